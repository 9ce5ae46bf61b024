// RGB and HLS conversion of the host kit.
#include <hostkit/HostUtil.h>

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(HostColour, KnownColoursTable) {
  struct Case { float r, g, b; float h, l, s; };
  const Case cases[] = {
      {1, 0, 0, 0.0f, 0.5f, 1},          // red
      {0, 1, 0, 1 / 3.0f, 0.5f, 1},      // green
      {0, 0, 1, 2 / 3.0f, 0.5f, 1},      // blue
      {1, 1, 0, 1 / 6.0f, 0.5f, 1},      // yellow
      {1, 0, 1, 5 / 6.0f, 0.5f, 1},      // magenta: hue just below 1, not negative
      {0, 0, 0, 0, 0, 0},                // black
      {1, 1, 1, 0, 1, 0},                // white
      {0.5f, 0.5f, 0.5f, 0, 0.5f, 0},    // grey has no hue or saturation
      {0.5f, 0.25f, 0.25f, 0, 0.375f, 1 / 3.0f},
      {0.75f, 1.0f, 0.75f, 1 / 3.0f, 0.875f, 1.0f},  // light: the l > 0.5 saturation rule
  };
  for (const Case& c : cases) {
    float a = c.r, b = c.g, d = c.b;
    Host_RGB_To_HLS(&a, &b, &d);
    EXPECT_NEAR(a, c.h, 1e-6) << c.r << " " << c.g << " " << c.b;
    EXPECT_NEAR(b, c.l, 1e-6);
    EXPECT_NEAR(d, c.s, 1e-6);
    Host_HLS_To_RGB(&a, &b, &d);
    EXPECT_NEAR(a, c.r, 1e-6);
    EXPECT_NEAR(b, c.g, 1e-6);
    EXPECT_NEAR(d, c.b, 1e-6);
  }
}

TEST(HostColour, RoundTripOverGrid) {
  const int n = 12;
  for (int i = 0; i <= n; ++i)
    for (int j = 0; j <= n; ++j)
      for (int k = 0; k <= n; ++k) {
        float r = float(i) / n, g = float(j) / n, b = float(k) / n;
        float a = r, m = g, c = b;
        Host_RGB_To_HLS(&a, &m, &c);
        ASSERT_TRUE(a >= 0 && a < 1 && m >= 0 && m <= 1 && c >= 0 && c <= 1) << r << g << b;
        Host_HLS_To_RGB(&a, &m, &c);
        ASSERT_NEAR(a, r, 1e-5);
        ASSERT_NEAR(m, g, 1e-5);
        ASSERT_NEAR(c, b, 1e-5);
      }
}

TEST(HostColour, HueWrapsAndOutOfRangeIsClamped) {
  float h = 1.25f, l = 0.5f, s = 1.0f;  // same as hue 0.25
  Host_HLS_To_RGB(&h, &l, &s);
  float h2 = 0.25f, l2 = 0.5f, s2 = 1.0f;
  Host_HLS_To_RGB(&h2, &l2, &s2);
  EXPECT_FLOAT_EQ(h, h2);
  EXPECT_FLOAT_EQ(l, l2);
  EXPECT_FLOAT_EQ(s, s2);
  float r = 2.0f, g = -1.0f, b = NAN;  // taken as 1, 0, 0: red
  Host_RGB_To_HLS(&r, &g, &b);
  EXPECT_FLOAT_EQ(r, 0.0f);
  EXPECT_FLOAT_EQ(g, 0.5f);
  EXPECT_FLOAT_EQ(b, 1.0f);
  Host_RGB_To_HLS(nullptr, &g, &b);  // no crash
}

}  // namespace
