// Tests of frames under the pointer: Shift and Ctrl selection, arrow keys at frame and window
// edges, the tiled layout and the zoom about the pointer.
#include "interaction/Event_Host.h"

#include <cmath>

namespace {

using event_test::Event_Test;
using event_test::Group;

class Frame_Events_Test : public Event_Test {
protected:
  /// A group of n frames of 100 x 50 laid out in window 0.
  std::vector<Quarn_2D_Frame*> Tiled(int n, float z = 1) {
    Group* group = Make_Group(0);
    auto frames = Make_Frames(group, n, 100, 50, z);
    root_.Resize(w_, nullptr);
    Show_All();
    root_.Flag_Set_On(0x30, w_, 0x0200);  // as the tiled mode starts
    return frames;
  }
  int Click(Quarn_2D_Frame* f) {
    const Region_2D r = f->Inside_Get(w_);
    Point_2D p(7, r.x_min + 3, r.y_min + 3);
    return f->Interface_Click(w_, 1, &p);
  }
};

TEST_F(Frame_Events_Test, ShiftSelectsTheRangeFromTheLastPlainPick) {
  auto f = Tiled(5);
  root_.Flag_Set_Off(0x30, w_, 0x0200);
  EXPECT_EQ(Click(f[1]), 1);
  Host_Key_State_Set(16, true);
  EXPECT_EQ(Click(f[3]), 1);
  const bool expected[] = {false, true, true, true, false};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Picked(f[i]), expected[i]) << i;
  EXPECT_TRUE(Picked(f[1]->Parent_Get_Pt()));
  // Shift backwards from the same anchor reaches the first frame.
  EXPECT_EQ(Click(f[0]), 1);
  EXPECT_TRUE(Picked(f[0]));
  EXPECT_FALSE(Picked(f[4]));
}

TEST_F(Frame_Events_Test, CtrlTogglesOneFrameAndKeepsTheAncestors) {
  auto f = Tiled(3);
  root_.Flag_Set_Off(0x30, w_, 0x0200);
  Quarn_2D* group = f[0]->Parent_Get_Pt();
  EXPECT_EQ(Click(f[1]), 1);
  EXPECT_TRUE(Picked(group));
  Host_Key_State_Set(17, true);
  EXPECT_EQ(Click(f[1]), 1);  // deselects
  EXPECT_FALSE(Picked(f[1]));
  EXPECT_TRUE(Picked(group));
  EXPECT_EQ(Click(f[2]), 1);  // selects
  EXPECT_TRUE(Picked(f[2]));
  EXPECT_FALSE(Picked(f[0]));
  // Without a key, an already selected frame is not taken again by a rubber band.
  Host_Key_State_Reset();
  Region_2D band = f[2]->Inside_Get(w_);
  EXPECT_EQ(f[2]->Interface_Select(w_, &band), 0);
  EXPECT_EQ(f[0]->Interface_Select(w_, &band), 0);  // not overlapping
}

TEST_F(Frame_Events_Test, DragSelectsUnlessCtrlAndFollowsTheCurrentFrame) {
  auto f = Tiled(3);
  root_.Flag_Set_Off(0x30, w_, 0x0200);
  const auto drag = [&](Quarn_2D_Frame* frame) {
    const Region_2D r = frame->Inside_Get(w_);
    Point_2D p(7, r.x_min + 5, r.y_min + 5);
    return frame->Interface_Motion(w_, 0, &p);
  };
  Quarn_2D*& current = event_test::Vars().frame_cur[0];
  EXPECT_EQ(drag(f[1]), 0);  // motion never takes the event
  EXPECT_TRUE(Picked(f[1]));
  EXPECT_EQ(current, nullptr);  // without a current frame there is none to follow
  Host_Key_State_Set(17, true);
  EXPECT_EQ(drag(f[2]), 0);
  EXPECT_FALSE(Picked(f[2]));  // Ctrl: no drag selection
  Host_Key_State_Reset();
  Fct_Change_Child(w_, f[0]);
  ASSERT_EQ(current, f[0]);
  EXPECT_EQ(drag(f[2]), 0);
  EXPECT_EQ(current, f[2]);
  EXPECT_TRUE(Picked(f[2]));
}

TEST_F(Frame_Events_Test, TiledFramesWrapAtTheAreaEdge) {
  auto f = Tiled(9);
  // Area (6, 6) ... (800, 600); each level indents by 20, thumbnails start one icon further
  // right.
  const Region_2D expected[] = {
      {7, 62, 46, 162, 96},   {7, 170, 46, 270, 96}, {7, 278, 46, 378, 96},
      {7, 386, 46, 486, 96},  {7, 494, 46, 594, 96}, {7, 602, 46, 702, 96},
      {7, 62, 104, 162, 154},                          // 710 + 100 would pass 800: wrap 8 below
      {7, 170, 104, 270, 154}, {7, 278, 104, 378, 154},
  };
  for (int i = 0; i < 9; ++i) EXPECT_EQ(f[i]->Inside_Get(w_), expected[i]) << i;
  EXPECT_EQ(f[0]->Parent_Get_Pt()->Inside_Get(w_), Region_2D(7, 26, 26, 702, 154));
}

TEST_F(Frame_Events_Test, NodesWithoutFramesStackAndSingleModeNotesThePointer) {
  Group* outer = Make_Group(2);
  root_.Resize(w_, nullptr);
  EXPECT_EQ(outer->Inside_Get(w_), Region_2D(7, 26, 26, 146, 78));
  EXPECT_EQ(outer->Child_Get_Pt(1)->Inside_Get(w_), Region_2D(7, 46, 68, 146, 78));  // 12 below

  auto f = Make_Frames(outer, 1, 40, 30, 2);
  w_->Class_A_Set(WINDOW_MODE_2D_ONE);
  event_test::Vars().frame_cur[0] = f[0];
  event_test::Vars().mouse_inf = Point_2D(7, 20.0f, 10.0f);
  EXPECT_EQ(root_.Resize(w_, nullptr), 1);
  EXPECT_EQ(root_.Inside_Get(w_), Region_2D(7, 0, 0, 80, 60));
  EXPECT_EQ(event_test::Vars().frame_ovr, f[0]);
  EXPECT_EQ(event_test::Vars().mouse_frm, Point_2D(6, 10.0f, 5.0f));
  event_test::Vars().frame_cur[0] = nullptr;
  EXPECT_EQ(root_.Resize(w_, nullptr), 0);
}

TEST_F(Frame_Events_Test, ArrowKeysStepThePointerOrPanAtTheEdge) {
  struct Case {
    int corner_x;   // of the 10 x 10 frame
    float zoom;
    int key;
    float frame_x;  // pointer column in the frame
    int result;
    int cursor_dx;  // pointer move
    float pan_dx;   // window pan
  };
  const Case cases[] = {
      {100, 1, 0x827, 9.5f, 0, 0, 0},   // right on the last column: off the frame
      {100, 1, 0x825, 0.5f, 0, 0, 0},   // left on the first column
      {100, 4, 0x827, 4.5f, 1, 4, 0},   // one frame pixel is four window pixels
      {100, 4, 0x825, 4.5f, 1, -4, 0},
      {797, 1, 0x827, 2.5f, 1, 0, 1},   // next pixel beyond the window's right edge: pan
      {100, 1, 0x841, 4.5f, 0, 0, 0},   // not an arrow
  };
  for (const Case& c : cases) {
    Group* group = Make_Group(0);
    Quarn_2D_Frame* f = Make_Frames(group, 1, 10, 10, c.zoom)[0];
    Region_2D corner(7, c.corner_x, 100, c.corner_x, 100);
    f->Resize(w_, &corner);
    Show_All();
    w_->pan_x.value = 0;
    Host_Cursor_Set(300, 300);
    Point_2D p = f->Frm_2_Inf(w_, Point_2D(6, c.frame_x, 4.5f));
    EXPECT_EQ(f->Interface_Key(w_, c.key, &p), c.result) << c.corner_x << " key " << c.key;
    int x = 0, y = 0;
    Host_Cursor_Get(&x, &y);
    EXPECT_EQ(x - 300, c.cursor_dx) << c.corner_x << " key " << c.key;
    EXPECT_EQ(y, 300);
    EXPECT_EQ(w_->pan_x.value, c.pan_dx) << c.corner_x << " key " << c.key;
  }
  EXPECT_EQ(Host_Region_Depth(), 0);
  EXPECT_EQ(Host_Region_Last_Tag(), "Quarn_2D_Frame::Interface_Key(LEFTARROWKEY)");
}

TEST_F(Frame_Events_Test, ScaleClampsAndKeepsThePointUnderThePointer) {
  struct Case {
    float start, absolute, factor, expected;
  };
  const Case cases[] = {
      {39, 0, 1.1f, 40},          // upper bound
      {0.05f, 0, 0.5f, 0.05f},    // lower bound
      {1, 0, -1, 0.05f},          // nonsense factors land on the lower bound
      {2, 3, 0, 3},               // absolute alone
      {2, 3, 2, 6},               // absolute, then factor
  };
  for (const Case& c : cases) {
    auto f = Tiled(2, c.start);
    event_test::Vars().frame_ovr = f[1];
    event_test::Vars().mouse_frm = Point_2D(6, 10.0f, 20.0f);
    const Point_2D before = w_->Inf_2_Wnd(f[1]->Frm_2_Inf(w_, event_test::Vars().mouse_frm));
    event_test::Vars().mouse_wnd = before;
    Fct_Change_Scale(w_, c.absolute, c.factor);
    EXPECT_FLOAT_EQ(f[0]->zoom[0][0], c.expected);
    EXPECT_FLOAT_EQ(f[1]->zoom[0][0], c.expected);
    const Point_2D after = w_->Inf_2_Wnd(f[1]->Frm_2_Inf(w_, event_test::Vars().mouse_frm));
    EXPECT_NEAR(after.x, before.x, 1.0f) << c.start << " x" << c.factor;
    EXPECT_NEAR(after.y, before.y, 1.0f) << c.start << " x" << c.factor;
    root_.Child_Get_Pt(0)->Flag_Set_Off(0x30, w_, 0x0200);  // leave this case's frames alone
    w_->pan_x.value = w_->pan_y.value = 0;
  }
}

TEST_F(Frame_Events_Test, SingleModeScalesEverySiblingAndUnselectedFramesKeepTheirZoom) {
  auto f = Tiled(3, 2);
  root_.Flag_Set_Off(0x30, w_, 0x0200);
  root_.Flag_Set_On(0x10, w_, 0x0200);
  f[0]->Parent_Get_Pt()->Flag_Set_On(0x10, w_, 0x0200);
  f[1]->Flag_Set_On(0x10, w_, 0x0200);
  Fct_Change_Scale(w_, 0, 2);  // tiled: only the selected frame
  EXPECT_FLOAT_EQ(f[0]->zoom[0][0], 2);
  EXPECT_FLOAT_EQ(f[1]->zoom[0][0], 4);
  w_->Class_A_Set(WINDOW_MODE_2D_ONE);
  Fct_Change_Scale(w_, 5, 0);  // single: the selected frame's zoom goes to all its siblings
  for (auto* frame : f) EXPECT_FLOAT_EQ(frame->zoom[0][1], 5);
  EXPECT_FLOAT_EQ(f[1]->zoom[0][0], 4);
}

TEST_F(Frame_Events_Test, CentreCoversTheSelectedFramesCorners) {
  auto f = Tiled(1);
  f[0]->width = 10, f[0]->height = 10;
  EXPECT_EQ(Fct_3D_Center(w_), 1);
  EXPECT_NEAR(w_->center_3d.x, 4.0f, 1e-4);  // pixel centres lie half a pixel in
  EXPECT_NEAR(w_->center_3d.y, 4.0f, 1e-4);
  EXPECT_NEAR(w_->size_3d, 10 * std::sqrt(2.0f), 1e-3);
}

}  // namespace
