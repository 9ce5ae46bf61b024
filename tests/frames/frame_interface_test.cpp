// Tests of the planar maps: window <-> interface pixels through the pan, interface <-> frame
// pixels through zoom, aspect and the inside rectangle, and the frame's layout in a window.
#include "frames/Frame_Host.h"

namespace {

using frame_test::Frame_Test;
using tree_test::Window;

TEST_F(Frame_Test, WindowAndInterfaceSpacesMirrorRowsAndShiftByWholePans) {
  const struct {
    float pan_x, pan_y;
    Point_2D wnd, inf;
  } cases[] = {
      {0, 0, {8, 10.0f, 0.0f}, {7, 10.0f, 600.0f}},               // the top row is the highest
      {2.7f, -3.5f, {8, 10.0f, 20.0f}, {7, 12.0f, 577.0f}},        // pans move whole pixels
      {-40.9f, 12.2f, {8, 50.5f, 300.25f}, {7, 10.5f, 311.75f}},
  };
  Quarn_Window* w = Window(2);
  for (const auto& c : cases) {
    w->pan_x.value = c.pan_x, w->pan_y.value = c.pan_y;
    const Point_2D inf = w->Wnd_2_Inf(c.wnd), wnd = w->Inf_2_Wnd(inf);
    EXPECT_TRUE(inf.code == 7 && inf == c.inf) << inf.x << "," << inf.y;
    EXPECT_TRUE(wnd.code == 8 && wnd == c.wnd) << wnd.x << "," << wnd.y;
  }
  w->pan_x.value = w->pan_y.value = 0;
  EXPECT_EQ(w->Wnd_2_Inf(Region_2D(8, 0, 0, 799, 599)), Region_2D(7, 0, 1, 799, 600));  // sorted
}

TEST_F(Frame_Test, FramePointsSurviveTheTripThroughInterfaceAndWindow) {
  const struct {
    uint16_t mode;
    float zoom_all, zoom_one;  // zoom entries 0 and 1 of the window
    float aspect;              // row spacing with 1 mm columns
    int corner_x, corner_y;    // of the inside rectangle
    float pan_x, pan_y;
    Point_2D frm, inf;         // a point and where it must land
  } cases[] = {
      {WINDOW_MODE_2D_ALL, 2.0f, 3.0f, 1.5f, 100, 50, 0, 0, {6, 10, 10}, {7, 120, 80}},
      {WINDOW_MODE_2D_ALL, 0.25f, 4.0f, 0.75f, -30, 200, 17.6f, -8.2f,
       {6, 31.0f, 8.0f}, {7, -22.25f, 201.5f}},
      {WINDOW_MODE_2D_ONE, 9.0f, 1.75f, 1.25f, 0, 0, 3.0f, 4.0f, {6, 0.5f, 23.5f}, {7, 0.875f, 51.40625f}},
      {WINDOW_MODE_2D_ONE, 1.0f, 8.0f, 2.0f, -500, -300, 250.9f, 99.9f,
       {6, 13.25f, 0.0f}, {7, -394.0f, -300.0f}},
  };
  for (const auto& c : cases) {
    Host_Image_Layout l;
    l.spacing_y = c.aspect;
    Quarn_2D_Frame* f = Insert(Add_File(L"/scans/zoom.img", {frame_test::Ramp(32, 24, 1, 1, &l)}));
    Quarn_Window* w = Window(3);
    w->Class_A_Set(c.mode);
    w->pan_x.value = c.pan_x, w->pan_y.value = c.pan_y;
    f->zoom[3][0] = c.zoom_all, f->zoom[3][1] = c.zoom_one;
    Region_2D corner(7, c.corner_x, c.corner_y, c.corner_x, c.corner_y);
    ASSERT_EQ(f->Resize(w, &corner), 1);
    const Point_2D inf = f->Frm_2_Inf(w, c.frm);
    EXPECT_TRUE(inf.code == 7 && inf == c.inf) << inf.x << "," << inf.y;
    const Point_2D frm = f->Inf_2_Frm(w, w->Wnd_2_Inf(w->Inf_2_Wnd(inf)));
    EXPECT_TRUE(frm.code == 6 && frm == c.frm) << frm.x << "," << frm.y;
    const Region_2D box = f->Inf_2_Frm(w, f->Frm_2_Inf(w, Region_2D(6, 30.0f, 20.0f, 2.0f, 1.0f)));
    EXPECT_EQ(box, Region_2D(6, 2.0f, 1.0f, 30.0f, 20.0f));
  }
}

TEST_F(Frame_Test, ResizePlacesTheInsideRectangleByModeZoomAndAspect) {
  struct Case {
    uint16_t mode;
    uint16_t width, height;  // of the window
    bool corner;             // a corner at (10.7, -3.2) is given
    Region_2D want;
  };
  // The frame: 9 x 7 pixels, aspect 1.5, zoom 1.5 tiled (13 x 15 pixels), 2.25 single (20 x 23).
  const Case cases[] = {
      {WINDOW_MODE_2D_ALL, 800, 600, false, {7, 6, 6, 19, 21}},                  // a small margin
      {WINDOW_MODE_2D_ALL, 4, 3, false, {7, 4, 3, 17, 18}},                      // in a tiny window
      {WINDOW_MODE_2D_ONE, 800, 600, false, {7, 0, 0, 20, 23}},                  // at the origin
      {WINDOW_MODE_3D, 800, 600, false, {7, 100000, 100000, 100013, 100015}},    // off screen
      {WINDOW_MODE_2D_ONE, 800, 600, true, {7, 10, -3, 30, 20}},                 // corner truncated
  };
  Host_Image_Layout l;
  l.spacing_y = 1.5f;
  Quarn_2D_Frame* f = Insert(Add_File(L"/scans/layout.img", {frame_test::Ramp(9, 7, 1, 1, &l)}));
  f->zoom[4][0] = 1.5f, f->zoom[4][1] = 2.25f;
  Quarn_Window* w = Window(4);
  for (const Case& c : cases) {
    w->Class_A_Set(c.mode);
    w->width = c.width, w->height = c.height;
    Region_2D corner(7, 10.7f, -3.2f, 50.0f, 50.0f);
    EXPECT_EQ(f->Resize(w, c.corner ? &corner : nullptr), 1);
    EXPECT_EQ(f->Inside_Get(w), c.want) << c.mode << " " << c.width;
  }
  EXPECT_EQ(f->Inside_Get(Window(5)), Region_2D(7, 0, 0, 0, 0));  // other windows untouched
}

}  // namespace
