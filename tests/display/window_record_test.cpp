// Tests of the window record: copies and module ownership.
#include <quarn/quarn.h>

#include <gtest/gtest.h>

namespace {

TEST(Window_Record, CopyTakesFieldsAndIdentityButNotTheId) {
  Quarn_Window a(1);
  a.Class_A_Set(WINDOW_MODE_3D);
  a.Module_Set(7);
  a.pan_x.value = 12.5f;
  a.view_b.init();

  Quarn_Window b(a);
  Quarn_Window c(9);
  c = a;
  for (const Quarn_Window* w : {&b, &c}) {
    EXPECT_EQ(w->Class_A_Get(), WINDOW_MODE_3D);
    EXPECT_STREQ(w->Name_Get(), L"Window 1");
    EXPECT_EQ(w->Module_Get(), 7u);
    EXPECT_FLOAT_EQ(w->pan_x.value, 12.5f);
    EXPECT_EQ(w->view_b.m[2][2], 1.0);
    EXPECT_NE(w->Class_UID_Get(), a.Class_UID_Get());
  }
  c = c;  // self-assignment keeps the record whole
  EXPECT_STREQ(c.Name_Get(), L"Window 1");
}

}  // namespace
