// Tests of the tree-list rows of class nodes: expand glyph, slider clicks and wheel, release.
#include "interaction/Event_Host.h"

namespace {

using event_test::Event_Test;
using event_test::Group;

/// A node that counts the clicks offered to it and takes them when told to.
struct Counting : Group {
  int offered = 0;
  int take = 0;
  int Interface_Click(Quarn_Window*, int, Point_2D*) override {
    ++offered;
    return take;
  }
};

class Class_Node_Test : public Event_Test {
protected:
  /// A group under the root whose row starts at (100, 100).
  Group* Row(int children) {
    Group* group = Make_Group(children);
    group->Inside_Set(w_, 100, 100, 200, 110);
    Show_All();
    return group;
  }
  int Click(Quarn_2D* node, float x, float y, int code = 1) {
    Point_2D p(7, x, y);
    return node->Interface_Click(w_, code, &p);
  }
  /// A wheel turn at offset dx along the node's row (which a change of child may have moved).
  int Scroll(Quarn_2D* node, float dx, int steps) {
    const Region_2D row = node->Inside_Get(w_);
    Point_2D p(7, float(int(row.x_min)) + dx, float(int(row.y_min)) + 4.0f);
    return node->Interface_Scroll(w_, steps, &p);
  }
};

TEST_F(Class_Node_Test, ExpandGlyphCyclesTheDisplayMode) {
  struct Case {
    int children;
    uint64_t modes[5];  // after each click, starting from mode 0
  };
  const Case cases[] = {
      {3, {1, 4, 2, 0, 1}},  // several children: all, one, animated, none
      {1, {1, 0, 1, 0, 1}},  // one child: all and none only
      {0, {1, 0, 1, 0, 1}},  // no child behaves as one
  };
  for (const Case& c : cases) {
    Group* group = Row(c.children);
    Set_Mode(group, 0);
    for (uint64_t expected : c.modes) {
      EXPECT_EQ(Click(group, 99.0f, 99.0f), 1);  // the glyph reaches 2 pixels out of the row
      EXPECT_EQ(Mode(group), expected) << c.children << " children";
    }
    Fct_Loop_Stop(w_, group, 0);
  }
}

TEST_F(Class_Node_Test, SliderClickPicksRateOrChildByPosition) {
  struct Case {
    uint8_t size;     // $INTERFACE_SIZE
    uint64_t mode;    // 2 animated, 4 one child
    int x;            // click offset from the row start
    int expected;     // frames per second, or index of the current child
  };
  const Case cases[] = {
      {1, 2, 43, 1},         // far left of the slider
      {1, 2, 43 + 119, 30},  // far right
      {1, 2, 43 + 60, 15},   // middle: (60 - 2) / 4 = 14
      {3, 2, 75, 1},         // large interface: slider further right
      {3, 2, 75 + 239, 30},
      {1, 4, 43, 0},         // three children of 40 pixels each
      {1, 4, 43 + 119, 2},
      {1, 4, 43 + 61, 1},    // (61 - 20) / 40 = 1
  };
  for (const Case& c : cases) {
    event_test::Vars().interface_size = c.size;
    Group* group = Row(3);
    Set_Mode(group, c.mode);
    EXPECT_EQ(Click(group, float(100 + c.x), 101.0f), 1);
    const int got = c.mode == 2 ? group->loop_rate[0] : group->Child_Get_Cur(w_);
    EXPECT_EQ(got, c.expected) << "size " << int(c.size) << " mode " << c.mode << " x " << c.x;
    Fct_Loop_Stop(w_, group, 0);
  }
}

TEST_F(Class_Node_Test, WheelOnTheSliderStaysInRange) {
  struct Case {
    uint64_t mode;
    int start;  // frames per second or current child
    int steps;
    int expected;
  };
  const Case cases[] = {
      {2, 1, -1, 1},   // slowest stays
      {2, 30, 1, 30},  // fastest stays
      {2, 10, 3, 13},
      {4, 0, -1, 0},   // first child stays
      {4, 2, 1, 2},    // last child stays
      {4, 0, 1, 1},    // next child
  };
  for (const Case& c : cases) {
    Group* group = Row(3);
    Set_Mode(group, c.mode);
    if (c.mode == 2) group->loop_rate[0] = uint16_t(c.start);
    else Fct_Change_Child(w_, group->Child_Get_Pt(c.start));
    EXPECT_EQ(Scroll(group, 50.0f, c.steps), 1);
    const int got = c.mode == 2 ? group->loop_rate[0] : group->Child_Get_Cur(w_);
    EXPECT_EQ(got, c.expected) << "mode " << c.mode << " from " << c.start << " by " << c.steps;
    Fct_Loop_Stop(w_, group, 0);
  }
  Group* group = Row(3);
  Set_Mode(group, 1);
  EXPECT_EQ(Scroll(group, 50.0f, 1), 0);  // no slider in the tiled mode, no child takes it
}

TEST_F(Class_Node_Test, ReleaseIsOfferedToEveryChildAndChangesNoMode) {
  Group* group = Row(0);
  Counting* kids[3];
  for (auto*& k : kids) group->Child_Add(k = new Counting());
  Show_All();
  Set_Mode(group, 4);
  EXPECT_EQ(Click(group, 100.0f, 100.0f, 0), 0);  // on the glyph, but released
  for (Counting* k : kids) EXPECT_EQ(k->offered, 1);
  EXPECT_EQ(Mode(group), 4u);
  // The first child that takes a release ends the offer.
  kids[1]->take = 1;
  EXPECT_EQ(Click(group, 100.0f, 100.0f, 0), 1);
  EXPECT_EQ(kids[0]->offered, 2);
  EXPECT_EQ(kids[1]->offered, 2);
  EXPECT_EQ(kids[2]->offered, 1);
}

TEST_F(Class_Node_Test, IconPicksNodeShiftSpansSiblingsCtrlToggles) {
  Group* parent = Make_Group(4);
  Group* kids[4];
  for (int i = 0; i < 4; ++i) {
    kids[i] = static_cast<Group*>(parent->Child_Get_Pt(i));
    kids[i]->Child_Add(new Group(L"leaf"));
    kids[i]->Inside_Set(w_, 100, float(100 + 20 * i), 300, float(116 + 20 * i));
  }
  Show_All();
  const auto icon = [&](int i) { return Click(kids[i], 120.0f, float(102 + 20 * i)); };
  const auto picked = [&](std::initializer_list<bool> expected) {
    int i = 0;
    for (bool e : expected) {
      EXPECT_EQ(Picked(kids[i]), e) << "sibling " << i;
      EXPECT_EQ(Picked(kids[i]->Child_Get_Pt(0)), e) << "leaf of sibling " << i;
      ++i;
    }
  };
  EXPECT_EQ(icon(1), 1);  // plain: the node, its subtree and its ancestors
  picked({false, true, false, false});
  EXPECT_TRUE(Picked(parent));
  EXPECT_TRUE(Picked(&root_));
  Host_Key_State_Set(16, true);
  EXPECT_EQ(icon(3), 1);  // Shift: every sibling from the anchor on
  picked({false, true, true, true});
  Host_Key_State_Reset();
  Host_Key_State_Set(17, true);
  EXPECT_EQ(icon(2), 1);  // Ctrl: toggled off, and the new anchor
  picked({false, true, false, true});
  Host_Key_State_Reset();
  Host_Key_State_Set(16, true);
  EXPECT_EQ(icon(0), 1);  // Shift backwards from the Ctrl anchor
  picked({true, true, true, true});
}

TEST_F(Class_Node_Test, RubberBandSumsTheIconsItCrosses) {
  Group* parent = Make_Group(3);
  for (int i = 0; i < 3; ++i)
    parent->Child_Get_Pt(i)->Inside_Set(w_, 100, float(100 + 20 * i), 300, float(116 + 20 * i));
  parent->Inside_Set(w_, 0, 0, 10, 10);  // its own icon lies outside the band
  Show_All();
  Region_2D band(7, 110, 105, 125, 125);  // crosses the icons of the first two rows
  EXPECT_EQ(parent->Interface_Select(w_, &band), 2);
  EXPECT_TRUE(Picked(parent->Child_Get_Pt(0)));
  EXPECT_TRUE(Picked(parent->Child_Get_Pt(1)));
  EXPECT_FALSE(Picked(parent->Child_Get_Pt(2)));
}

TEST_F(Class_Node_Test, HiddenNodeTakesNothing) {
  Group* group = Row(2);
  group->Flag_Set_Off(0x10, w_, 0x0400);
  Set_Mode(group, 0);
  Host_Report_Capture capture;
  EXPECT_EQ(Click(group, 100.0f, 100.0f), 0);
  EXPECT_EQ(Mode(group), 0u);
  EXPECT_TRUE(capture.Contains("Quarn_2D::Interface_Click(not visible)"));
}

TEST_F(Class_Node_Test, RoutingMapsWindowPixelsAndRefusesAnEmptyRoot) {
  Host_Report_Capture capture;
  EXPECT_EQ(Database_2D_Click(w_, 1, 100, 100), 0);
  EXPECT_TRUE(capture.Contains("<<< out Fct: Database_2D_Click(empty root)"));
  Group* group = Row(3);
  Set_Mode(group, 0);
  root_.Inside_Set(w_, 0, 0, 10, 10);
  // Window row 499 of a 600-row window is interface row 101: on the group's glyph.
  EXPECT_EQ(Database_2D_Click(w_, 1, 101, 499), 1);
  EXPECT_EQ(Mode(group), 1u);
}

}  // namespace
