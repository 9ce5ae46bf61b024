// Inside regions of 2D nodes, the current child of a window, and visibility.
#include "classes/Tree_Kinds.h"

namespace {

using namespace tree_test;

constexpr uint64_t Visible = quarn::flag::Visible;
constexpr uint64_t Current = quarn::flag::Current;

std::string Text(Region_2D r) {
  const Point_2D lo = r.Get_Min(), hi = r.Get_Max();
  return std::to_string(int(r.code)) + ":" + std::to_string(lo.x) + "," + std::to_string(lo.y) +
         "-" + std::to_string(hi.x) + "," + std::to_string(hi.y);
}

TEST_F(Tree_Test, InsideRegionsStartAtTheOriginAndSortTheirCorners) {
  Quarn_2D_Root root;
  EXPECT_EQ(Text(root.Inside_Get(Window(3))), Text(Region_2D(7, 0, 0, 0, 0)));
  root.Inside_Set(Window(1), 110, 220, 10, 20);
  EXPECT_EQ(Text(root.Inside_Get(Window(1))), Text(Region_2D(7, 10, 20, 110, 220)));
  EXPECT_EQ(Text(root.Inside_Get(Window(2))), Text(Region_2D(7, 0, 0, 0, 0)));  // per window

  root.Inside_Set(Window(2), Region_2D(6, 5.5f, 1.0f, 8.0f, 2.0f));  // a copy, code included
  root.Inside_Add(Window(2), Region_2D(7, 0, 0, 6, 9));              // union, code kept
  EXPECT_EQ(Text(root.Inside_Get(Window(2))), Text(Region_2D(6, 0.0f, 0.0f, 8.0f, 9.0f)));
  root.Inside_Clear(Window(2));
  EXPECT_EQ(Text(root.Inside_Get(Window(2))), Text(Region_2D(6)));  // empty, code kept

  root.Inside_Set(static_cast<Quarn_Window*>(Selector(8)), 1, 1, 2, 2);  // selector 8 is index 0
  EXPECT_EQ(Text(root.Inside_Get(Window(0))), Text(Region_2D(7, 1, 1, 2, 2)));
  root.Inside_Set(static_cast<Quarn_Window*>(Selector(4)), 3, 3, 4, 4);  // selector 4 is the current window
  EXPECT_EQ(Text(root.Inside_Get(Window(1))), Text(Region_2D(7, 3, 3, 4, 4)));
}

TEST_F(Tree_Test, InsidePointIsHalfOpenAndRangesTouchOnlyOnTheMinimumSide) {
  Quarn_2D_Root root;
  root.Inside_Set(Window(1), 10, 20, 110, 220);
  struct Case {
    float x, y;
    int inside;
  };
  const Case points[] = {
      {10, 20, 1},          // minimum corner
      {109.9f, 219.9f, 1},  // just below the maximum
      {110, 50, 0},         // maximum x edge
      {50, 220, 0},         // maximum y edge
      {9.99f, 50, 0},       // left of it
  };
  for (const Case& c : points)
    EXPECT_EQ(root.Inside_Pt(Window(1), Point_2D(7, c.x, c.y)), c.inside) << c.x << "," << c.y;
  EXPECT_EQ(root.Inside_Pt(Window(2), Point_2D(7, 0.0f, 0.0f)), 0);  // an untouched region holds nothing
  root.Inside_Set(Window(1), 10, 10, 20, 20);
  struct Range {
    int x0, y0, x1, y1;
    int overlap;
  };
  const Range ranges[] = {
      {12, 12, 15, 15, 1},  // within
      {0, 0, 100, 100, 1},  // around
      {0, 0, 10, 10, 1},    // its maximum touches our minimum
      {20, 20, 30, 30, 0},  // its minimum touches our maximum
      {21, 0, 30, 30, 0},   // apart on x
      {0, 21, 30, 30, 0},   // apart on y
  };
  for (const Range& c : ranges)
    EXPECT_EQ(root.Inside_Range(Window(1), Region_2D(7, c.x0, c.y0, c.x1, c.y1)), c.overlap)
        << c.x0 << "," << c.y0 << "-" << c.x1 << "," << c.y1;
}

TEST_F(Tree_Test, ChildGetCurFindsTheFirstCurrentChild) {
  Quarn_2D_Root root;
  Quarn_2D* child[3];
  for (auto*& n : child) root.Child_Add(n = new Group<Quarn_2D>(L"n"));
  Quarn_2D *b = child[1], *c = child[2];
  EXPECT_EQ(root.Child_Get_Cur(Window(1)), 0);  // none is current
  c->Flag_Set_On(0x10, Window(1), Current);
  b->Flag_Set_On(0x10, Window(2), Current);
  EXPECT_EQ(root.Child_Get_Cur(Window(1)), 2);
  EXPECT_EQ(root.Child_Get_Cur(Window(2)), 1);
  b->Flag_Set_On(0x10, Window(1), Current);
  EXPECT_EQ(root.Child_Get_Cur(Window(1)), 1);  // the first one wins
}

// R -> G -> (c0, c1 -> leaf); visibility is decided for c1 in window 1.
struct Visibility_Case {
  const char* what;
  uint64_t parent_mode;  // G's display mode in window 1
  int current;           // index of G's child carrying the current bit, -1 for none
  uint16_t window_mode;
  bool inside;  // whether c1 has an inside region in window 1
  bool visible;
  const char* exit;
};

const Visibility_Case Visibility_Cases[] = {
    {"all children shown", CLASS_FLAG_EXPAND, -1, 0x100, true, true, "()"},
    {"no inside region", CLASS_FLAG_EXPAND, -1, 0x100, false, false, "(outside range)"},
    {"parent shows no child", 0, -1, 0x100, true, false, "(not visible)"},
    {"parent shows one child, another one", CLASS_FLAG_ONE, 0, 0x100, true, false, "(not visible)"},
    {"parent shows one child, this one", CLASS_FLAG_ONE, 1, 0x100, true, true, "()"},
    {"parent loops, none current: the first plays", CLASS_FLAG_LOOP, -1, 0x100, true, false, "(not visible)"},
    {"parent loops, this one current", CLASS_FLAG_LOOP, 1, 0x100, true, true, "()"},
    {"one-frame window, not current", CLASS_FLAG_EXPAND, 0, 0x101, true, false, "(WINDOW_MODE_2D_ONE)"},
    {"one-frame window, current", CLASS_FLAG_EXPAND, 1, 0x101, true, true, "()"},
};

TEST_F(Tree_Test, VisibilityFollowsInsideRegionParentModeAndCurrentChild) {
  for (const Visibility_Case& c : Visibility_Cases) {
    Quarn_2D_Root root;
    Quarn_2D *g = new Group<Quarn_2D>(L"g"), *c1 = new Group<Quarn_2D>(L"c1"), *leaf = new Group<Quarn_2D>(L"leaf");
    root.Child_Add(g);
    g->Child_Add(new Group<Quarn_2D>(L"c0"));
    g->Child_Add(c1);
    c1->Child_Add(leaf);
    Host().window[1]->Class_A_Set(c.window_mode);
    g->Flag_Set_Off(0x10, Window(1), quarn::flag::Display_Mode);
    g->Flag_Set_On(0x10, Window(1), c.parent_mode);
    if (c.current >= 0) g->Child_Get_Pt(c.current)->Flag_Set_On(0x10, Window(1), Current);
    if (c.inside) c1->Inside_Set(Window(1), 0, 0, 100, 100);
    else c1->Inside_Clear(Window(1));
    leaf->Inside_Set(Window(1), 0, 0, 10, 10);
    c1->Flag_Set_On(0x30, Window(1), Visible);  // shown before: a hidden node hides its subtree

    Host_Report_Capture capture;
    c1->Visibility_Set(Window(1), 1);
    EXPECT_EQ(c1->Flag_Get_Bit(0x10, Window(1), Visible) != 0, c.visible) << c.what;
    EXPECT_EQ(leaf->Flag_Get_Bit(0x10, Window(1), Visible) != 0, c.visible) << c.what;
    EXPECT_TRUE(capture.Contains(std::string("<<< out Class: Quarn_2D::Visibility_Set") + c.exit)) << c.what;
    EXPECT_EQ(c1->Flag_Get_Bit(0x10, Window(2), Visible), 0u) << c.what;  // other windows untouched
  }
}

TEST_F(Tree_Test, VisibilityNeedsARealWindow) {
  Quarn_2D_Root root;
  root.Inside_Set(Window(0), 0, 0, 10, 10);
  Host_Report_Capture capture;
  root.Visibility_Set(reinterpret_cast<Quarn_Window*>(8), 1);
  root.Visibility_Set(nullptr, 1);
  EXPECT_EQ(capture.Count(quarn::msg::Invalid), 2u);
  EXPECT_EQ(root.Flag_Get_Bit(0x10, Selector(0), Visible), 0u);
}

}  // namespace
