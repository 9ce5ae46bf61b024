// Grey and colour values to RGBA words: window, rescale, 8-bit window limits, colour map ends,
// fill and invalid values, colour components, and mappings kept apart per thread.
#include "display/Pixel_Host.h"

#include <quarn/display/Pixel_Render.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using namespace pixel_test;

constexpr uint8_t U16 = 0x04, U8 = 0x02, S8 = 0x03, Colour = 0x80;
constexpr int Invalid = 0x7FFFFFFF, Fill = 0x7FFFFFFE;

class PixelColourMap : public Pixel_Test {};

struct Grey_Case {
  const char* why;
  uint8_t type;
  float slope, intercept, min, max;
  int value;
  uint32_t index;  // with the identity map of 256 entries
};

TEST_F(PixelColourMap, GreyValuesIndexTheMapThroughWindowAndRescale) {
  Identity_Map(256);
  const Grey_Case cases[] = {
      {"window 0..256 over 256 entries: the value itself", U16, 1, 0, 0, 256, 10, 10},
      {"index below 0 takes the first entry", U16, 1, 0, 0, 256, -5, 0},
      {"index past the end takes the last entry", U16, 1, 0, 0, 256, 300, 255},
      {"a fraction below 1 truncates to the first entry", U16, 1, 0, 0.5f, 256.5f, 1, 0},
      {"slope and intercept: (2v - 100) * 256 / 512", U16, 2, -100, 0, 512, 60, 10},
      {"half the window: twice the index", U16, 1, 0, 100, 228, 110, 20},
      {"min = max: the raw value indexes the map", U16, 3, 50, 100, 100, 7, 7},
      {"min = max: a large raw value takes the last entry", U16, 3, 50, 100, 100, 1000, 255},
      {"min = max: a negative raw value takes the first entry", U16, 3, 50, 100, 100, -3, 0},
      {"8-bit unsigned: -50..300 maps as 0..255", U8, 1, 0, -50, 300, 51, 51},
      {"8-bit unsigned: the top sample takes the last entry", U8, 1, 0, -50, 300, 255, 255},
      {"8-bit signed: -300..300 maps as -128..127", S8, 1, 0, -300, 300, -128, 0},
      {"8-bit signed: sample 0 sits half way", S8, 1, 0, -300, 300, 0, 128},
      {"a huge value does not overflow the index", U16, 1000, 0, 0, 1, 0x7FFFFFF0, 255},
      {"a huge negative value does not overflow the index", U16, 1000, 0, 0, 1, -0x7FFFFFF0, 0},
      {"GLI_MISSING is an ordinary value", U16, 1, 0, 0, 256, 0x7FFFFFFD, 255},
  };
  for (const Grey_Case& c : cases) {
    ASSERT_EQ(Fct_GLI_2_Color(c.type, c.slope, c.intercept, c.min, c.max), 1u) << c.why;
    EXPECT_EQ(Fct_GLI_2_Color(c.value), c.index) << c.why;
  }
}

TEST_F(PixelColourMap, EightBitWindowsBeyondTheSampleRangeMapLikeTheSampleRange) {
  Identity_Map(256);
  for (const auto& [type, wide_min, wide_max, min, max] :
       {std::tuple{U8, -50.f, 300.f, 0.f, 255.f}, std::tuple{S8, -300.f, 300.f, -128.f, 127.f},
        std::tuple{S8, -128.f, 500.f, -128.f, 127.f}}) {
    for (int v = -128; v <= 255; ++v) {
      Fct_GLI_2_Color(type, 1, 0, wide_min, wide_max);
      const uint32_t wide = Fct_GLI_2_Color(v);
      Fct_GLI_2_Color(type, 1, 0, min, max);
      ASSERT_EQ(wide, Fct_GLI_2_Color(v)) << int(type) << " value " << v;
    }
  }
}

TEST_F(PixelColourMap, FillAndInvalidTakeTheirColoursInGreyAndColourImages) {
  Identity_Map(256);
  *Var<uint32_t>(L"$COLORMAP_GLI_FILL") = 0x11223344;
  *Var<uint32_t>(L"$COLORMAP_GLI_INVALID") = 0x55667788;
  for (uint8_t type : {U16, U8, S8, Colour}) {
    for (uint8_t component : {0, 1, 4, 9}) {
      *Var<uint8_t>(L"$GLI_COLOR_COMPONENT") = component;
      Fct_GLI_2_Color(type, 1, 0, 0, 255);
      EXPECT_EQ(Fct_GLI_2_Color(Fill), 0x11223344u) << int(type);
      EXPECT_EQ(Fct_GLI_2_Color(Invalid), 0x55667788u) << int(type);
    }
  }
}

struct Colour_Case {
  const char* why;
  uint8_t component, display;
  float min, max;
  uint32_t r, g, b;
  uint32_t expected;
};

TEST_F(PixelColourMap, ColourImagesMapTheChosenComponents) {
  const Colour_Case cases[] = {
      {"all three, window 0..255: unchanged, alpha 255 - brightest", 0, 1, 0, 255, 10, 20, 30,
       Rgba(10, 20, 30, 225)},
      {"all three, window 0..127.5: doubled and clamped at 255", 0, 1, 0, 127.5f, 100, 200, 30,
       Rgba(200, 255, 60, 0)},
      {"all three, window 50..305: shifted and clamped at 0", 0, 1, 50, 305, 10, 60, 255,
       Rgba(0, 10, 205, 50)},
      {"all three, min = max: unchanged", 0, 1, 40, 40, 1, 2, 3, Rgba(1, 2, 3, 252)},
      {"red in its own colour", 1, 1, 0, 255, 10, 20, 30, Rgba(10, 0, 0, 245)},
      {"green in its own colour", 2, 1, 0, 255, 10, 20, 30, Rgba(0, 20, 0, 235)},
      {"blue in its own colour", 3, 1, 0, 255, 10, 20, 30, Rgba(0, 0, 30, 225)},
      {"red as grey", 1, 0, 0, 255, 10, 20, 30, Rgba(10, 10, 10, 245)},
      {"blue as grey", 3, 0, 0, 255, 10, 20, 30, Rgba(30, 30, 30, 225)},
      {"a component scaled past 255 stays 255", 2, 1, 0, 100, 10, 200, 30, Rgba(0, 255, 0, 0)},
      {"luminance: trunc(29.9 + 88.05 + 22.8)", 4, 1, 0, 255, 100, 150, 200, Rgba(140, 140, 140, 115)},
      {"luminance of pure red: trunc(76.245)", 4, 0, 0, 255, 255, 0, 0, Rgba(76, 76, 76, 179)},
      {"luminance below the window is 0", 4, 1, 200, 255, 100, 150, 190, Rgba(0, 0, 0, 255)},
      {"an unknown component returns the value", 5, 1, 0, 255, 10, 20, 30, Rgba(10, 20, 30, 0)},
  };
  for (const Colour_Case& c : cases) {
    *Var<uint8_t>(L"$GLI_COLOR_COMPONENT") = c.component;
    *Var<uint8_t>(L"$GLI_COLOR_DISPLAY") = c.display;
    ASSERT_EQ(Fct_GLI_2_Color(Colour, 1, 0, c.min, c.max), 1u) << c.why;
    EXPECT_EQ(Fct_GLI_2_Color(int(Rgba(c.r, c.g, c.b, 0))), c.expected) << c.why;
  }
}

TEST_F(PixelColourMap, GreyImagesNeedAColourMapColourImagesDoNot) {
  No_Maps();
  EXPECT_EQ(Fct_GLI_2_Color(U16, 1, 0, 0, 255), 0u);
  EXPECT_EQ(Fct_GLI_2_Color(100), 0u);  // a refused mapping draws nothing, it does not crash
  EXPECT_EQ(Fct_GLI_2_Color(Colour, 1, 0, 0, 255), 1u);
  *Var<uint8_t>(L"$GLI_COLOR_COMPONENT") = 0;
  EXPECT_EQ(Fct_GLI_2_Color(int(Rgba(1, 2, 3, 0))), Rgba(1, 2, 3, 252));
  // The short form always answers 1.
  EXPECT_EQ(Fct_GLI_2_Color(U16, 1, 0), 1u);
}

TEST_F(PixelColourMap, ShortFormTakesTheWindowFromTheHost) {
  Identity_Map(256);
  *Var<float>(L"$COLOR_VAL_MIN") = 100;
  *Var<float>(L"$COLOR_VAL_MAX") = 228;
  EXPECT_EQ(Fct_GLI_2_Color(U16, 1, 0), 1u);
  EXPECT_EQ(Fct_GLI_2_Color(110), 20u);
}

TEST_F(PixelColourMap, TheHostsCurrentMapIsUsed) {
  const int size = *Var<uint16_t>(L"$COLORMAP_GLI_SIZE");
  uint32_t** maps = *Var<uint32_t**>(L"$COLORMAP_GLI_PT");
  for (uint16_t cur : {0, 1, 2}) {
    *Var<uint16_t>(L"$COLORMAP_GLI_CUR") = cur;
    Fct_GLI_2_Color(U16, 1, 0, 0, float(size));
    EXPECT_EQ(Fct_GLI_2_Color(5), maps[cur][5]) << cur;
    EXPECT_EQ(Fct_GLI_2_Color(size + 5), maps[cur][size - 1]) << cur;
  }
}

// Regression: a current-map index past the host's table was read from beyond its end.
TEST_F(PixelColourMap, ACurrentMapPastTheHostsTableIsRefused) {
  int maps = 0;
  ASSERT_NE(Host_Var_Get(L"$COLORMAP_GLI_PT", &maps, nullptr, nullptr), nullptr);
  ASSERT_GT(maps, 0);
  for (int cur : {maps, maps + 1, 65535}) {
    *Var<uint16_t>(L"$COLORMAP_GLI_CUR") = uint16_t(cur);
    EXPECT_EQ(Fct_GLI_2_Color(U16, 1, 0, 0, 255), 0u) << cur;
    EXPECT_EQ(Fct_GLI_2_Color(7), 0u) << cur;
  }
  *Var<uint16_t>(L"$COLORMAP_GLI_CUR") = uint16_t(maps - 1);
  EXPECT_EQ(Fct_GLI_2_Color(U16, 1, 0, 0, 255), 1u);
}

// Dispatch workers convert several frames at once, each with its own window: a mapping prepared
// on one thread must not change what another thread maps.
TEST_F(PixelColourMap, ThreadsKeepTheirOwnMapping) {
  Identity_Map(256);
  constexpr int Threads = 4, Rounds = 2000;
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < Threads; ++t)
    threads.emplace_back([t, &wrong] {
      // Thread t maps value v to index v - 10 t.
      const float low = float(10 * t);
      for (int round = 0; round < Rounds; ++round) {
        if (Fct_GLI_2_Color(U16, 1, 0, low, low + 256) != 1) ++wrong;
        const int v = 10 * t + round % 200;
        if (Fct_GLI_2_Color(v) != uint32_t(round % 200)) ++wrong;
      }
    });
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(wrong, 0);
}

}  // namespace
