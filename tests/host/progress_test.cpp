// The progress light and bar: clamping, the bouncing marker, what is drawn and when, the light
// colours, the lock's trace brackets and steps from several threads.
#include <quarn/quarn.h>

#include <platform/PlatformWindow.h>

#include "host/Progress_Light.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace light = quarn::progress;

constexpr int kWidth = 40;
constexpr int kHeight = 12;
constexpr int kBorder = 2;

// Every draw the progress can make, counted through the widget layer's own records.
uint64_t Draws() {
  return Host_Widget_Draw_Count() + Host_Progress_Bar_Last_Redraw().calls +
         Host_Progress_Bar_Last_PingPong().calls;
}

int Marker() { return Host_Progress_Bar_Last_PingPong().value; }

/// Gives the progress a window and a box, and leaves it idle and windowless afterwards.
class Progress : public ::testing::Test {
protected:
  void SetUp() override {
    window_ = Platform_Window_Create(L"progress", 200, 100, nullptr);
    ASSERT_NE(window_, nullptr);
    Progress_Quarn.wnd = window_;
    Progress_Quarn.box.width = kWidth;
    Progress_Quarn.box.height = kHeight;
    Progress_Quarn.box.border = kBorder;
    Fct_Progress_Stop();
    Fct_Progress_Reset();
    Host_Widget_Draw_Reset();
    Host_Progress_Bar_Reset();
  }
  void TearDown() override {
    Fct_Progress_Stop();
    Fct_Progress_Reset();
    Progress_Quarn.wnd = nullptr;
    Platform_Window_Destroy(window_);
  }

  Host_Window window_ = nullptr;
};

TEST_F(Progress, WithoutWindowEveryCallOnlyTracesItsExit) {
  const struct {
    std::function<void()> call;
    const char* exit;
  } cases[] = {
      {[] { Fct_Progress_Start(10); }, "<<< out Fct: Fct_Progress_Start(! Progress_Quarn.wnd)"},
      {[] { Fct_Progress_Inc(1); }, "<<< out Fct: Fct_Progress_Inc(! Progress_Quarn.wnd)"},
      {[] { Fct_Progress_PingPong(5); }, "<<< out Fct: Fct_Progress_PingPong(! Progress_Quarn.wnd)"},
      {[] { Fct_Progress_Stop(); }, "<<< out Fct: Fct_Progress_Stop(! Progress_Quarn.wnd)"},
      {[] { Fct_Progress_Reset(); }, "<<< out Fct: Fct_Progress_Reset(! Progress_Quarn.wnd)"},
      {[] { Fct_Progress_Clear(3); }, "<<< out Fct: Fct_Progress_Clear(! Progress_Quarn.wnd)"},
  };
  Progress_Quarn.wnd = nullptr;
  for (const auto& c : cases) {
    Host_Report_Capture cap;
    c.call();
    EXPECT_EQ(cap.Texts(), std::vector<std::string>{c.exit});
  }
  EXPECT_EQ(Draws(), 0u);
}

TEST_F(Progress, LockBracketsNameTheOperation) {
  std::string bar_down, bar_up;
  for (int i = 0; i < 43; ++i) bar_down += "\u25BC", bar_up += "\u25B2";
  Host_Report_Capture cap;
  Fct_Progress_Start(5);
  std::vector<std::string> lines = cap.Texts(quarn::msg::Progress);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], ">>> in  Fct: Fct_Progress_Start(5)");
  EXPECT_EQ(lines[1], "\u25BCD\u25BC\u25BC\u25BC\u25BC Fct_Progress " + bar_down + "(Start)");
  EXPECT_EQ(lines[2], "\u25B2D\u25B2\u25B2\u25B2\u25B2 Fct Progress " + bar_up + "(Start)");
  EXPECT_EQ(lines[3], "<<< out Fct: Fct_Progress_Start()");
}

TEST_F(Progress, IncKeepsTheBarWithinZeroAndTotal) {
  const struct {
    int total;
    std::vector<int> steps;
    int want;
  } cases[] = {
      {10, {3, 4}, 7},                  // plain count
      {10, {6, 6}, 10},                 // passing the total leaves the bar full
      {10, {3, -5}, 0},                 // a negative result leaves it at 0
      {10, {10, -2, 1}, 9},             // back from full
      {0, {5}, 0},                      // no total: nothing to fill
      {-4, {5}, 0},                     // a negative total counts as none
      {100, {2147483647, 1}, 100},      // a huge step saturates instead of wrapping
      {100, {50, -2147483647 - 1}, 0},  // and so does a huge negative one
  };
  for (const auto& c : cases) {
    Fct_Progress_Start(c.total);
    for (int s : c.steps) Fct_Progress_Inc(s);
    EXPECT_EQ(Host_Progress_Bar_Last_Redraw().value, c.want) << c.total << " " << c.steps.size();
  }
  EXPECT_EQ(Host_Progress_Bar_Last_Redraw().box, &Progress_Quarn.box);
}

TEST_F(Progress, StartRedrawsAnEmptyBarAndIncCountsOnlyUntilReset) {
  Fct_Progress_Start(20);
  Fct_Progress_Inc(8);
  Fct_Progress_Start(30);  // a new count forgets the old one
  EXPECT_EQ(Host_Progress_Bar_Last_Redraw().value, 0);
  EXPECT_EQ(Host_Progress_Bar_Last_Redraw().total, 30);
  Fct_Progress_Stop();
  Fct_Progress_Inc(4);  // stopped still counts
  EXPECT_EQ(Host_Progress_Bar_Last_Redraw().value, 4);
  Fct_Progress_Reset();
  const uint64_t before = Draws();
  Host_Report_Capture cap;
  Fct_Progress_Inc(4);
  Fct_Progress_PingPong(3);
  EXPECT_EQ(Draws(), before);
  EXPECT_TRUE(cap.Contains("<<< out Fct: Fct_Progress_Inc(! Progress_Flag)"));
  EXPECT_TRUE(cap.Contains("<<< out Fct: Fct_Progress_PingPong(! Progress_Flag)"));
}

// The marker as described: mirrored at 0 with direction +1, at or past the width folded back
// with direction -1, both in one pass; repeated until inside, so long moves are followed fully.
// The accumulator wraps at 1000, so the marker may run back a long way.
struct Reference_Marker {
  float accumulator = 0;
  long long position = 0;
  int direction = 0;

  bool Step(float step, int width) {
    long long before = static_cast<long long>(std::trunc(accumulator));
    accumulator += step;
    if (accumulator >= 1000) accumulator = 0;
    long long change = static_cast<long long>(std::trunc(accumulator)) - before;
    if (change == 0) return false;
    if (direction == 0) direction = 1;
    position += change * direction;
    for (;;) {
      if (position < 0) position = -position, direction = 1;
      if (position >= width) position = 2LL * width - position, direction = -1;
      if (position >= 0 && position <= width) return true;
    }
  }
};

TEST_F(Progress, PingPongFollowsTheMirrorRulesForAnySteps) {
  std::mt19937 rng(1234);
  std::uniform_real_distribution<float> small(-30.f, 90.f);
  for (int width : {1, 7, kWidth}) {
    Progress_Quarn.box.width = width;
    Fct_Progress_Start(0);
    Reference_Marker ref;
    for (int i = 0; i < 2000; ++i) {
      float s = i % 97 == 0 ? 2500.f : small(rng);  // now and then a move of many widths
      bool moved = ref.Step(s, width);
      uint64_t before = Host_Progress_Bar_Last_PingPong().calls;
      Fct_Progress_PingPong(s);
      ASSERT_EQ(Host_Progress_Bar_Last_PingPong().calls != before, moved) << width << " " << i;
      if (moved) {
        ASSERT_EQ(Marker(), ref.position) << width << " step " << i;
      }
      ASSERT_TRUE(Marker() >= 0 && Marker() <= width) << Marker();
    }
  }
}

TEST_F(Progress, UnchangedIntegerPartDrawsNothing) {
  const float steps[] = {
      0.25f, 0.25f, 0.25f,                      // 0.75: still 0
      0.0f,                                     // no step at all
      std::numeric_limits<float>::quiet_NaN(),  // not a number: ignored
      std::numeric_limits<float>::infinity(),   // nor is an infinite step taken
  };
  Fct_Progress_Start(0);
  uint64_t before = Draws();
  Host_Report_Capture cap;
  for (float s : steps) Fct_Progress_PingPong(s);
  EXPECT_EQ(Draws(), before);
  std::vector<std::string> lines = cap.Texts(quarn::msg::Progress);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "<<< out Fct: Fct_Progress_PingPong(! val)"),
            std::ptrdiff_t(std::size(steps)));
  Fct_Progress_PingPong(0.25f);  // 1.0: now it moves
  EXPECT_EQ(Marker(), 1);
}

TEST_F(Progress, PingPongShowsTheCountWhenThereIsATotalElseAGreyBox) {
  for (int total : {0, 50}) {
    Fct_Progress_Start(total);
    Fct_Progress_Inc(7);
    Host_Progress_Bar_Reset();
    Host_Widget_Draw_Reset();
    Fct_Progress_PingPong(3);
    EXPECT_EQ(Host_Progress_Bar_Last_PingPong().value, 3);
    // With a total the bar is redrawn with the count; without one a grey box is filled.
    EXPECT_EQ(Host_Progress_Bar_Last_Redraw().calls, total ? 1u : 0u) << total;
    EXPECT_EQ(Host_Widget_Draw_Count(), total ? 0u : 1u) << total;
    if (total) {
      EXPECT_EQ(Host_Progress_Bar_Last_Redraw().value, 7);
    } else {
      EXPECT_EQ(Host_Widget_Draw_Last().color.get(), light::Empty_Rgb);
    }
  }
}

TEST_F(Progress, ClearPaintsTheInnerBoxWithTheLight) {
  const struct {
    bool start_first;
    int light;
    uint32_t want;
  } cases[] = {
      {false, 3, light::Light_Rgb[3]},  // red
      {false, 0, light::Light_Rgb[3]},  // 0 keeps the remembered one
      {false, 4, light::Light_Rgb[4]},  // blue
      {true, 0, light::Light_Rgb[1]},   // a start makes it green
      {false, 2, light::Light_Rgb[2]},  // yellow
  };
  for (const auto& c : cases) {
    if (c.start_first) Fct_Progress_Start(9);
    Host_Widget_Draw_Reset();
    Fct_Progress_Clear(c.light);
    ASSERT_EQ(Host_Widget_Draw_Count(), 2u) << c.light;  // the box, then the light
    Host_Widget_Draw fill = Host_Widget_Draw_Last();
    EXPECT_EQ(fill.kind, HOST_DRAW_FILL);
    EXPECT_EQ(fill.color.get(), c.want) << c.light;
    EXPECT_EQ((std::vector<int>{fill.left, fill.top, fill.right, fill.bottom}),
              (std::vector<int>{kBorder, kBorder, kWidth - kBorder, kHeight - kBorder}));
  }
}

TEST_F(Progress, ResetClearsToGreenOnlyAfterAStop) {
  Fct_Progress_Start(10);
  Fct_Progress_Clear(3);
  Host_Widget_Draw_Reset();
  Fct_Progress_Reset();  // running: nothing happens
  EXPECT_EQ(Host_Widget_Draw_Count(), 0u);
  Fct_Progress_Inc(2);
  EXPECT_EQ(Host_Progress_Bar_Last_Redraw().value, 2);

  Fct_Progress_Stop();
  Host_Report_Capture cap;
  Fct_Progress_Reset();
  EXPECT_EQ(Host_Widget_Draw_Count(), 2u);
  EXPECT_EQ(Host_Widget_Draw_Last().color.get(), light::Light_Rgb[1]);
  // The light is cleared while Reset still holds the lock: the brackets nest.
  std::vector<std::string> brackets;
  for (const std::string& line : cap.Texts(quarn::msg::Progress))
    if (line.rfind("\u25BC", 0) == 0 || line.rfind("\u25B2", 0) == 0)
      brackets.push_back(line.substr(line.rfind('(')));
  EXPECT_EQ(brackets, (std::vector<std::string>{"(Reset)", "(Clear)", "(Clear)", "(Reset)"}));

  Host_Widget_Draw_Reset();
  Fct_Progress_Reset();  // idle now: a second reset draws nothing
  EXPECT_EQ(Host_Widget_Draw_Count(), 0u);
}

TEST_F(Progress, StepsFromSeveralThreadsAllCount) {
  constexpr int kThreads = 4, kSteps = 500;
  Fct_Progress_Start(kThreads * kSteps + 100);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < kSteps; ++i) {
        Fct_Progress_Inc(1);
        if (i % 50 == 0) Fct_Progress_PingPong(t + 0.5f);
        if (i % 125 == 0) Fct_Progress_Clear(t % 2 ? 2 : 0);
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(Host_Progress_Bar_Last_Redraw().value, kThreads * kSteps);
  EXPECT_GE(Marker(), 0);
  EXPECT_LE(Marker(), kWidth);
  Fct_Progress_Inc(1000);  // and still clamped at the total afterwards
  EXPECT_EQ(Host_Progress_Bar_Last_Redraw().value, kThreads * kSteps + 100);
}

}  // namespace
