// Tests of the planar maps: window <-> interface pixels through the pan, interface <-> frame
// pixels through zoom, aspect and the inside rectangle, and the frame's layout in a window.
#include "frames/Frame_Host.h"

namespace {

using frame_test::Frame_Test;
using tree_test::Window;

TEST_F(Frame_Test, WindowAndInterfaceSpacesMirrorRowsAndShiftByWholePans) {
  struct Case {
    const char* what;
    float pan_x, pan_y;
    Point_2D wnd, inf;
  };
  const Case cases[] = {
      {"no pan: the top row is the interface's highest", 0, 0, {8, 10.0f, 0.0f}, {7, 10.0f, 600.0f}},
      {"no pan, bottom row", 0, 0, {8, 0.0f, 599.0f}, {7, 0.0f, 1.0f}},
      {"fractional pans move whole pixels", 2.7f, -3.5f, {8, 10.0f, 20.0f}, {7, 12.0f, 577.0f}},
      {"negative horizontal pan", -40.9f, 12.2f, {8, 50.5f, 300.25f}, {7, 10.5f, 311.75f}},
  };
  Quarn_Window* w = Window(2);
  for (const Case& c : cases) {
    w->pan_x.value = c.pan_x;
    w->pan_y.value = c.pan_y;
    const Point_2D inf = w->Wnd_2_Inf(c.wnd);
    EXPECT_EQ(inf.code, 7) << c.what;
    EXPECT_EQ(inf, c.inf) << c.what;
    const Point_2D wnd = w->Inf_2_Wnd(inf);
    EXPECT_EQ(wnd.code, 8) << c.what;
    EXPECT_EQ(wnd, c.wnd) << c.what;
  }
}

TEST_F(Frame_Test, WindowRegionsComeOutSorted) {
  Quarn_Window* w = Window(0);
  const Region_2D inf = w->Wnd_2_Inf(Region_2D(8, 0, 0, 799, 599));
  EXPECT_EQ(inf.code, 7);
  EXPECT_EQ(inf, Region_2D(7, 0, 1, 799, 600));
  const Region_2D wnd = w->Inf_2_Wnd(inf);
  EXPECT_EQ(wnd.code, 8);
  EXPECT_EQ(wnd, Region_2D(8, 0, 0, 799, 599));
}

TEST_F(Frame_Test, FramePointsSurviveTheTripThroughInterfaceAndWindow) {
  struct Case {
    const char* what;
    uint16_t mode;
    float zoom_all, zoom_one;
    float spacing_y;  // column spacing 1: the aspect
    int corner_x, corner_y;
    float pan_x, pan_y;
  };
  const Case cases[] = {
      {"tiled, unit zoom", WINDOW_MODE_2D_ALL, 1.0f, 3.0f, 1.0f, 6, 6, 0, 0},
      {"tiled, zoomed in, tall pixels", WINDOW_MODE_2D_ALL, 2.5f, 0.5f, 1.5f, 120, 40, 0, 0},
      {"tiled, zoomed out, panned", WINDOW_MODE_2D_ALL, 0.25f, 4.0f, 0.8f, -30, 200, 17.6f, -8.2f},
      {"single frame uses the second zoom", WINDOW_MODE_2D_ONE, 9.0f, 1.75f, 1.25f, 0, 0, 3.0f, 4.0f},
      {"single frame, strong zoom, panned", WINDOW_MODE_2D_ONE, 1.0f, 8.0f, 2.0f, -500, -300, 250.9f, 99.9f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Host_Image_Layout l;
    l.spacing_y = c.spacing_y;
    Quarn_2D_File* file = Add_File(L"/scans/zoom.img", frame_test::List({frame_test::Ramp(32, 24, 1, 1, &l)}));
    Quarn_2D_Frame* f = Insert(file);
    Quarn_Window* w = Window(3);
    w->Class_A_Set(c.mode);
    w->pan_x.value = c.pan_x;
    w->pan_y.value = c.pan_y;
    f->zoom[3][0] = c.zoom_all;
    f->zoom[3][1] = c.zoom_one;
    Region_2D corner(7, c.corner_x, c.corner_y, c.corner_x, c.corner_y);
    ASSERT_EQ(f->Resize(w, &corner), 1);
    const float z = c.mode == WINDOW_MODE_2D_ONE ? c.zoom_one : c.zoom_all;
    ASSERT_FLOAT_EQ(f->aspect, c.spacing_y);
    for (float x : {0.0f, 0.5f, 13.25f, 31.0f})
      for (float y : {0.0f, 7.75f, 23.5f}) {
        const Point_2D inf = f->Frm_2_Inf(w, Point_2D(6, x, y));
        EXPECT_EQ(inf.code, 7);
        EXPECT_NEAR(inf.x, z * x + c.corner_x, 1e-3);
        EXPECT_NEAR(inf.y, z * c.spacing_y * y + c.corner_y, 1e-3);
        const Point_2D frm = f->Inf_2_Frm(w, w->Wnd_2_Inf(w->Inf_2_Wnd(inf)));
        EXPECT_EQ(frm.code, 6);
        EXPECT_NEAR(frm.x, x, 1e-3);
        EXPECT_NEAR(frm.y, y, 1e-3);
      }
    // Region forms map the corners and sort them.
    const Region_2D box = f->Inf_2_Frm(w, f->Frm_2_Inf(w, Region_2D(6, 30.0f, 20.0f, 2.0f, 1.0f)));
    EXPECT_EQ(box.code, 6);
    EXPECT_NEAR(box.x_min, 2.0f, 1e-3);
    EXPECT_NEAR(box.y_max, 20.0f, 1e-3);
    files_.clear();
    frame_test::Vars().file_nb = 0;
  }
}

TEST_F(Frame_Test, ZoomAspectAndInsideCornerPlaceAFramePoint) {
  Host_Image_Layout l;
  l.spacing_y = 1.5f;
  Quarn_2D_File* file = Add_File(L"/scans/corner.img", frame_test::List({frame_test::Ramp(40, 40, 1, 1, &l)}));
  Quarn_2D_Frame* f = Insert(file);
  f->zoom[0][0] = 2.0f;
  f->Inside_Set(Window(0), 100, 50, 180, 170);
  EXPECT_EQ(f->Frm_2_Inf(Window(0), Point_2D(6, 10, 10)), Point_2D(7, 120, 80));
}

TEST_F(Frame_Test, ResizePlacesTheInsideRectangleByModeZoomAndAspect) {
  struct Case {
    const char* what;
    uint16_t mode;
    uint16_t width, height;  // of the window
    bool corner;             // a corner at (10.7, -3.2) is given
    Region_2D want;
  };
  // The frame: 9 x 7 pixels, aspect 1.5, zoom 1.5 tiled and 2.25 single.
  const Case cases[] = {
      {"tiled, no corner: a small margin", WINDOW_MODE_2D_ALL, 800, 600, false, {7, 6, 6, 6 + 13, 6 + 15}},
      {"tiled in a tiny window", WINDOW_MODE_2D_ALL, 4, 3, false, {7, 4, 3, 4 + 13, 3 + 15}},
      {"single frame, no corner: the origin", WINDOW_MODE_2D_ONE, 800, 600, false, {7, 0, 0, 20, 23}},
      {"3D window: off screen", WINDOW_MODE_3D, 800, 600, false, {7, 100000, 100000, 100013, 100015}},
      {"given corner, truncated", WINDOW_MODE_2D_ALL, 800, 600, true, {7, 10, -3, 10 + 13, -3 + 15}},
      {"given corner in single mode", WINDOW_MODE_2D_ONE, 800, 600, true, {7, 10, -3, 10 + 20, -3 + 23}},
  };
  Host_Image_Layout l;
  l.spacing_y = 1.5f;
  Quarn_2D_File* file = Add_File(L"/scans/layout.img", frame_test::List({frame_test::Ramp(9, 7, 1, 1, &l)}));
  Quarn_2D_Frame* f = Insert(file);
  f->zoom[4][0] = 1.5f;
  f->zoom[4][1] = 2.25f;
  Quarn_Window* w = Window(4);
  for (const Case& c : cases) {
    w->Class_A_Set(c.mode);
    w->width = c.width;
    w->height = c.height;
    Region_2D corner(7, 10.7f, -3.2f, 50.0f, 50.0f);
    EXPECT_EQ(f->Resize(w, c.corner ? &corner : nullptr), 1);
    const Region_2D got = f->Inside_Get(w);
    EXPECT_EQ(got.code, 7) << c.what;
    EXPECT_EQ(got, c.want) << c.what;
    EXPECT_EQ(f->Inside_Get(Window(5)), Region_2D(7, 0, 0, 0, 0)) << c.what;  // other windows untouched
  }
}

TEST_F(Frame_Test, VisibilityTestsTheWindowsRealSurface) {
  Quarn_2D_File* file = Add_File(L"/scans/visible.img", frame_test::List({frame_test::Ramp(8, 8)}));
  Quarn_2D_Frame* f = Insert(file);
  root_.Flag_Set_On(0x10, Window(1), CLASS_FLAG_EXPAND);
  struct Case {
    const char* what;
    int x0, y0, x1, y1;
    bool visible;
  };
  // The window is 800 x 600: interface x 0 ... 799, y 1 ... 600.
  const Case cases[] = {
      {"inside", 10, 10, 50, 50, true},
      {"right of the surface", 800, 10, 900, 50, false},
      {"above the surface", 10, 601, 50, 700, false},
      {"overlapping the left edge", -50, 10, 1, 50, true},
      {"far off screen", 100000, 100000, 100010, 100010, false},
  };
  for (const Case& c : cases) {
    f->Inside_Set(Window(1), c.x0, c.y0, c.x1, c.y1);
    f->Visibility_Set(Window(1), 0);
    EXPECT_EQ(f->Flag_Get_Bit(0x10, Window(1), quarn::flag::Visible) != 0, c.visible) << c.what;
  }
}

}  // namespace
