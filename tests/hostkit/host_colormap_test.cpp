// The host's default colour maps: all there, of the stated size, and each with the shape its name
// promises (grey ramps, hot iron, rainbow, a viridis map whose lightness rises evenly).
#include <hostkit/HostVariables.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

namespace {

template <class T>
T* Var(const wchar_t* name, int* count = nullptr) {
  return static_cast<T*>(Host_Var_Get(name, count, nullptr, nullptr));
}

struct Rgb {
  double r, g, b;
};

Rgb At(const uint32_t* map, int i) {
  return {double(map[i] & 0xFF), double(map[i] >> 8 & 0xFF), double(map[i] >> 16 & 0xFF)};
}

// Lightness (CIE L*) of a byte colour in sRGB.
double Lightness(Rgb c) {
  auto linear = [](double v) {
    v /= 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  const double y = 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
  return y > 216.0 / 24389.0 ? 116.0 * std::cbrt(y) - 16.0 : y * 24389.0 / 27.0;
}

class HostColormaps : public ::testing::Test {
protected:
  void SetUp() override { Host_Var_Default_Install(); }

  // The maps in the order the host keeps them.
  const uint32_t* Map(const std::string& name) {
    const char* const order[] = {"grey", "inverted grey", "hot iron", "rainbow", "viridis"};
    int count = 0;
    uint32_t** maps = *Var<uint32_t**>(L"$COLORMAP_GLI_PT", &count);
    for (int k = 0; k < 5 && k < count; ++k)
      if (name == order[k]) return maps[k];
    ADD_FAILURE() << "no colour map named " << name;
    return nullptr;
  }
};

TEST_F(HostColormaps, EveryMapIsThere) {
  int count = 0;
  uint32_t** maps = *Var<uint32_t**>(L"$COLORMAP_GLI_PT", &count);
  EXPECT_EQ(count, 5);
  for (int k = 0; k < count; ++k) EXPECT_NE(maps[k], nullptr) << k;
}

TEST_F(HostColormaps, EachMapHasTheShapeOfItsName) {
  const int n = *Var<uint16_t>(L"$COLORMAP_GLI_SIZE");
  const uint32_t* grey = Map("grey");
  const uint32_t* inverted = Map("inverted grey");
  const uint32_t* hot = Map("hot iron");
  const uint32_t* rainbow = Map("rainbow");
  const uint32_t* viridis = Map("viridis");
  ASSERT_TRUE(grey && inverted && hot && rainbow && viridis);
  for (int i = 0; i < n; ++i) {
    EXPECT_EQ(inverted[i] & 0xFFFFFF, grey[n - 1 - i] & 0xFFFFFF) << i;  // the grey ramp reversed
    if (i == 0) continue;
    // Hot iron: no component ever falls, and red leads green, which leads blue.
    const Rgb h = At(hot, i), h0 = At(hot, i - 1);
    EXPECT_TRUE(h.r >= h0.r && h.g >= h0.g && h.b >= h0.b) << i;
    EXPECT_TRUE(h.r >= h.g && h.g >= h.b) << i;
  }
  EXPECT_EQ(hot[0] & 0xFFFFFF, 0u);
  EXPECT_EQ(hot[n - 1] & 0xFFFFFF, 0xFFFFFFu);
  // Rainbow: blue at the bottom, green in the middle, red at the top.
  const Rgb low = At(rainbow, 0), mid = At(rainbow, n / 2), high = At(rainbow, n - 1);
  EXPECT_TRUE(low.b > low.r && low.b > low.g);
  EXPECT_TRUE(mid.g > mid.r && mid.g > mid.b);
  EXPECT_TRUE(high.r > high.g && high.r > high.b);
}

// Perceptually uniform: lightness rises at every step, and by nearly the same amount.
TEST_F(HostColormaps, ViridisLightnessRisesEvenly) {
  const int n = *Var<uint16_t>(L"$COLORMAP_GLI_SIZE");
  const uint32_t* viridis = Map("viridis");
  ASSERT_NE(viridis, nullptr);
  const Rgb first = At(viridis, 0), last = At(viridis, n - 1);
  // Dark violet to yellow, within a few steps of the published end colours.
  EXPECT_NEAR(first.r, 68, 4);
  EXPECT_NEAR(first.g, 1, 4);
  EXPECT_NEAR(first.b, 84, 4);
  EXPECT_NEAR(last.r, 253, 4);
  EXPECT_NEAR(last.g, 231, 4);
  EXPECT_NEAR(last.b, 37, 8);
  const double step = (Lightness(last) - Lightness(first)) / (n - 1);
  constexpr int Span = 16;  // bytes round, so judge the rise over short spans
  for (int i = Span; i < n; i += Span) {
    const double rise = Lightness(At(viridis, i)) - Lightness(At(viridis, i - Span));
    EXPECT_GT(rise, 0.0) << i;
    EXPECT_NEAR(rise, step * Span, step * Span * 0.35) << i;
  }
}

}  // namespace
