// The frame's base drawing: the calls that draw a region when its first column or row lies
// outside the window, culling, and the frame drawn through a pan compared with the same frame
// drawn without one.
#include "display/Scene_Host.h"

#include "display/Scene_Frame_Calls.h"

#include <quarn/quarn.h>

#include <random>
#include <vector>

namespace {

using quarn::scene::Frame_Calls;
using quarn::scene::Frame_Calls_Plan;
using quarn::scene::Pixel_Call;
using scene_test::Scene_Test;

bool Same(const Pixel_Call& a, const Pixel_Call& b) {
  return a.zoom_x == b.zoom_x && a.zoom_y == b.zoom_y && a.x == b.x && a.y == b.y && a.width == b.width &&
         a.height == b.height;
}

TEST(Scene_Frame_Calls, ColumnAndRowOutsideTheWindowAreDrawnApart) {
  const int H = 100, width = 10, height = 8;
  const struct {
    const char* what;
    float rx, ry, zx, zy;
    float out_rx, out_ry;
    std::vector<Pixel_Call> calls;
  } cases[] = {
      // The raster point is inside: one call for the whole region.
      {"inside", 5, 50, 2, 2, 5, 50, {{2, 2, 0, 0, 10, 8}}},
      // Exactly on the left edge and on the top row: still usable.
      {"edges", 0, 99, 2, 2, 0, 99, {{2, 2, 0, 0, 10, 8}}},
      // Left of the window: start one column on, the first column drawn leftward apart.
      {"left", -1, 50, 2, 2, 1, 50, {{2, 2, 1, 0, 9, 8}, {-2, 2, 0, 0, 1, 8}}},
      // Above the window: start one row on, the first row drawn upward apart.
      {"top", 5, 101, 2, 3, 5, 98, {{2, 3, 0, 1, 10, 7}, {2, -3, 0, 0, 10, 1}}},
      // Both: the corner pixel is drawn with both zooms mirrored.
      {"both",
       -0.5f,
       100,
       2.5f,
       2.5f,
       2,
       97.5f,
       {{2.5f, 2.5f, 1, 1, 9, 7}, {-2.5f, 2.5f, 0, 1, 1, 7}, {2.5f, -2.5f, 1, 0, 9, 1}, {-2.5f, -2.5f, 0, 0, 1, 1}}},
  };
  for (const auto& c : cases) {
    const Frame_Calls plan = Frame_Calls_Plan(0, 0, width, height, c.rx, c.ry, c.zx, c.zy, H, width, height);
    EXPECT_EQ(plan.raster_x, c.out_rx) << c.what;
    EXPECT_EQ(plan.raster_y, c.out_ry) << c.what;
    ASSERT_EQ(plan.count, int(c.calls.size())) << c.what;
    for (int i = 0; i < plan.count; ++i) EXPECT_TRUE(Same(plan.call[i], c.calls[i])) << c.what << " call " << i;
  }
}

TEST(Scene_Frame_Calls, RegionIsCoveredExactlyOnce) {
  // Property: whatever the region and raster point, the calls cover every pixel of the region
  // once, stay in the frame, and overlap nothing; a split-off column (row) may let the main call
  // reach one column (row) past the region, where the window ends anyway.
  std::mt19937 random(12);
  for (int round = 0; round < 500; ++round) {
    const int width = 1 + int(random() % 20), height = 1 + int(random() % 20);
    const int px = int(random() % width), py = int(random() % height);
    const int w = 1 + int(random() % (width - px)), h = 1 + int(random() % (height - py));
    const float rx = float(int(random() % 7) - 3), ry = float(95 + int(random() % 10));
    const Frame_Calls plan = Frame_Calls_Plan(px, py, w, h, rx, ry, 2, 2, 100, width, height);
    std::vector<int> cover(size_t(width * height), 0);
    for (int i = 0; i < plan.count; ++i) {
      const Pixel_Call& c = plan.call[i];
      for (int y = c.y; y < c.y + c.height; ++y)
        for (int x = c.x; x < c.x + c.width; ++x) {
          ASSERT_TRUE(x >= 0 && x < width && y >= 0 && y < height) << "round " << round;
          ++cover[size_t(y * width + x)];
        }
    }
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const bool in = x >= px && x < px + w && y >= py && y < py + h;
        const bool may = x >= px && x <= px + w && y >= py && y <= py + h;
        const int n = cover[size_t(y * width + x)];
        ASSERT_TRUE(in ? n == 1 : (may ? n <= 1 : n == 0)) << "round " << round << " pixel " << x << "," << y;
      }
  }
}

class Scene_Frame : public Scene_Test {
protected:
  Quarn_2D_Frame* One_Frame(float zoom) {
    std::vector<Quarn_2D_Frame*> frames = Make_Frames(&root_, 1, 32, 32, zoom);
    w_->Class_A_Set(WINDOW_MODE_2D_ONE);
    event_test::Vars().frame_cur[0] = frames[0];
    frames[0]->Flag_Set_On(0x10, w_, quarn::flag::Current | quarn::flag::Selected);
    return frames[0];
  }
};

TEST_F(Scene_Frame, FrameScrolledAwayIsCulled) {
  Quarn_2D_Frame* frame = One_Frame(1);
  Lay_Out();
  w_->pan_x.value = 5000;
  Host_Report_Capture capture;
  EXPECT_EQ(Class_Frame_Draw_Base(frame, ~0ull, w_), 1);
  EXPECT_TRUE(capture.Contains("Class_Frame_Draw_Base(! reg_frm.Cull)") ||
              capture.Contains("Class_Frame_Draw_Base(! Database_2D_Viewport)"));
  // Without the visible bit nothing is even tried.
  frame->Flag_Set_Off(0x10, w_, quarn::flag::Visible);
  capture.Clear();
  Class_Frame_Draw_Base(frame, ~0ull, w_);
  EXPECT_TRUE(capture.Contains("Class_Frame_Draw_Base(! pt->Flag_Get_Bit)"));
}

TEST_F(Scene_Frame, EmptyRedrawRegionDrawsNothing) {
  Quarn_2D_Frame* frame = One_Frame(1);
  Lay_Out();
  frame->Region_Redraw_Clear();
  Host_Report_Capture capture;
  Class_Frame_Draw_Base(frame, ~0ull, w_);
  EXPECT_TRUE(capture.Contains("Class_Frame_Draw_Base(! reg_frm.Cull)"));
}

TEST_F(Scene_Frame, PannedFrameShowsTheSamePixelsShifted) {
  // Drawn at pan (0, 0) and at pan (3, 3): the first column and row of the second picture lie
  // before the raster point and are drawn apart, and must still show the right frame pixels.
  One_Frame(2);
  Lay_Out();
  const test_support::Image a = Draw_All();
  w_->pan_x.value = 3;
  w_->pan_y.value = 3;
  Lay_Out();
  const test_support::Image b = Draw_All();
  ASSERT_EQ(a.width, b.width);
  bool varied = false;
  for (int x = 1; x < 60; ++x) varied |= a.Rgb(x, 10) != a.Rgb(0, 10);
  if (!varied) GTEST_SKIP() << "the pixel drawing draws nothing in this build";
  for (int y = 0; y < 58; ++y)
    for (int x = 0; x < 58; ++x) ASSERT_EQ(b.Rgb(x, y), a.Rgb(x + 3, y + 3)) << "window pixel " << x << "," << y;
}

}  // namespace
