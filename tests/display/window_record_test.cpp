// Tests of the window record: the default view, copies and module ownership.
#include <quarn/quarn.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cwchar>

namespace {

TEST(Window_Record, StartsAsTiledWindowWithDefaultView) {
  Quarn_Window w(3);
  EXPECT_EQ(w.Class_Magic_Get(), 0xACBC);
  EXPECT_EQ(w.Class_A_Get(), WINDOW_MODE_2D_ALL);
  EXPECT_EQ(w.Class_B_Get(), 0);
  EXPECT_STREQ(w.Name_Get(), L"Window 3");
  EXPECT_STREQ(w.Title_Get(), "Window");
  EXPECT_EQ(w.Module_Get(), 0xFFFFFFu);
  EXPECT_EQ(w.module_2d, 0xFFFFFFu);
  EXPECT_EQ(w.module_3d, 0xFFFFFFu);
  EXPECT_EQ(w.on, 0);
  EXPECT_FLOAT_EQ(w.fov, 27.0f);
  EXPECT_FLOAT_EQ(w.size_3d, 1.0f);
  EXPECT_FLOAT_EQ(w.up.z, 1.0f);
  EXPECT_FLOAT_EQ(w.front.y, 1.0f);
  // The half turn about x keeps x and flips y and z.
  const double expected[4][4] = {{1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, -1, 0}, {0, 0, 0, 1}};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(w.view_a.m[r][c], expected[r][c], 1e-12) << r << "," << c;
}

TEST(Window_Record, CopyTakesFieldsAndIdentityButNotTheId) {
  Quarn_Window a(1);
  a.Class_A_Set(WINDOW_MODE_3D);
  a.Class_B_Set(4);
  a.Module_Set(7);
  a.width = 640;
  a.height = 480;
  a.pan_x.value = 12.5f;
  a.box_2.color.set(0x00123456);
  a.view_b.init();
  a.center_3d = Point_3D(5, 1.0f, 2.0f, 3.0f);

  Quarn_Window b(a);
  Quarn_Window c(9);
  c = a;
  for (const Quarn_Window* w : {&b, &c}) {
    EXPECT_EQ(w->Class_A_Get(), WINDOW_MODE_3D);
    EXPECT_EQ(w->Class_B_Get(), 4);
    EXPECT_STREQ(w->Name_Get(), L"Window 1");
    EXPECT_EQ(w->Module_Get(), 7u);
    EXPECT_EQ(w->width, 640);
    EXPECT_EQ(w->height, 480);
    EXPECT_FLOAT_EQ(w->pan_x.value, 12.5f);
    EXPECT_EQ(w->box_2.color.get(), 0x00123456u);
    EXPECT_EQ(w->view_b.m[2][2], 1.0);
    EXPECT_FLOAT_EQ(w->center_3d.z, 3.0f);
    EXPECT_NE(w->Class_UID_Get(), a.Class_UID_Get());
  }
  c = c;  // self-assignment keeps the record whole
  EXPECT_STREQ(c.Name_Get(), L"Window 1");
}

}  // namespace
