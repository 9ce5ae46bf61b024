// Whole scenes drawn headless and compared with baselines under tests/display/golden/scene/:
// the tree list with thumbnails, one frame at zoom 1 and 2.5, highlight colours, the large
// interface. Regenerate with tests/support/update_golden.sh 'Scene_Golden*'.
#include "display/Scene_Host.h"

#include <quarn/quarn.h>

#include <vector>

namespace {

using scene_test::Scene_Test;

// Rasteriser rounding of lines and text may move a few pixels by a little.
constexpr test_support::Tolerance kTolerance{8, 0.004};

class Scene_Golden : public Scene_Test {
protected:
  void SetUp() override {
    Scene_Test::SetUp();
    w_->box_2.color = Host_Color(40, 44, 52);
  }

  // Root > "patient" > "series" with n thumbnails, every node expanded.
  std::vector<Quarn_2D_Frame*> Series(int n, int size, float zoom = 1) {
    event_test::Group* patient = Make_Group(0);
    patient->Name_Set(L"PH-0001");
    patient->Title_Set("Patient");
    auto* series = new event_test::Group(L"CT phantom series");
    series->Title_Set("Series");
    patient->Child_Add(series);
    return Make_Frames(series, n, size, size, zoom);
  }
};

TEST_F(Scene_Golden, TreeListWithThumbnails) {
  Open(320, 200);
  std::vector<Quarn_2D_Frame*> frames = Series(6, 40);
  // A second group shows its current child only, with its position slider.
  event_test::Group* other = Make_Group(3);
  other->Name_Set(L"loop group");
  other->Title_Set("Group");
  Set_Mode(other, CLASS_FLAG_ONE);
  other->Child_Get_Pt(2)->Flag_Set_On(0x10, w_, quarn::flag::Current);
  // The current frame's path is highlighted yellow.
  frames[1]->Flag_Set_On(0x50, w_, quarn::flag::Current_Path);
  Lay_Out();
  EXPECT_TRUE(test_support::Golden_Match(Draw_All(), "display/golden/scene/tree_list.png", kTolerance));
}

TEST_F(Scene_Golden, TreeListLargeInterface) {
  Open(480, 240);
  event_test::Vars().interface_size = 3;
  std::vector<Quarn_2D_Frame*> frames = Series(3, 48);
  frames[0]->Flag_Set_On(0x50, w_, quarn::flag::Current_Path);
  Lay_Out();
  EXPECT_TRUE(test_support::Golden_Match(Draw_All(), "display/golden/scene/tree_list_large.png", kTolerance));
}

TEST_F(Scene_Golden, HighlightColours) {
  Open(240, 110);
  std::vector<Quarn_2D_Frame*> frames = Series(4, 24);
  // Red, green, blue, and no highlight bit (drawn in the background colour, erasing).
  const uint64_t bits[] = {0x1000, 0x2000, 0x4000, 0};
  for (int i = 0; i < 4; ++i)
    if (bits[i]) frames[size_t(i)]->Flag_Set_On(0x10, w_, bits[i]);
  Lay_Out();
  const test_support::Image picture = Draw_All();
  EXPECT_TRUE(test_support::Golden_Match(picture, "display/golden/scene/highlight.png", kTolerance));
  // The outline just outside each frame's top-left corner has the frame's highlight colour.
  const uint32_t expected[] = {0xFF0000, 0x00FF00, 0x0000FF, 0x282C34};
  for (int i = 0; i < 4; ++i) {
    const Point_2D corner = w_->Inf_2_Wnd(frames[size_t(i)]->Inside_Get(w_).Get_Min());
    // Window y counts up from the bottom in the drawing; the picture's rows go down from the top.
    const int x = int(corner.x) - 2, row = w_->height - int(corner.y) - 3;
    EXPECT_EQ(picture.Rgb(x, row), expected[i]) << "frame " << i;
  }
}

TEST_F(Scene_Golden, OneFrameAtZoomOneAndTwoAndAHalfPanned) {
  const struct {
    float zoom, pan_x, pan_y;
    const char* golden;
  } rows[] = {
      {1, 0, 0, "display/golden/scene/frame_zoom_1.png"},
      // Panned by a part of a zoomed pixel, so that the first column and row start outside.
      {2.5f, 21, 11, "display/golden/scene/frame_zoom_2_5.png"},
  };
  for (const auto& row : rows) {
    Open(96, 96);
    root_.Child_Delete();
    std::vector<Quarn_2D_Frame*> frames = Make_Frames(&root_, 1, 64, 64, row.zoom);
    w_->Class_A_Set(WINDOW_MODE_2D_ONE);
    event_test::Vars().frame_cur[0] = frames[0];
    frames[0]->Flag_Set_On(0x10, w_, quarn::flag::Current | quarn::flag::Selected);
    w_->pan_x.value = row.pan_x;
    w_->pan_y.value = row.pan_y;
    Lay_Out();
    EXPECT_TRUE(test_support::Golden_Match(Draw_All(), row.golden, kTolerance)) << row.golden;
  }
}

}  // namespace
