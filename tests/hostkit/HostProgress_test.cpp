// Progress dialogs stepped and aborted from several threads, and the progress bar record.
#include <hostkit/HostProgress.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

namespace {

Host_Progress_State State_Of(Host_Progress_Handle h) {
  Host_Progress_State s;
  EXPECT_EQ(Host_Progress_Get(h, &s), 1);
  return s;
}

void Run_Threads(int n, const std::function<void(int)>& body) {
  std::vector<std::thread> threads;
  for (int t = 0; t < n; ++t) threads.emplace_back(body, t);
  for (auto& th : threads) th.join();
}

TEST(HostProgress, StepsFromSeveralThreadsAllCount) {
  struct Case { int total; int want_value; };
  const Case cases[] = {
      {0, 4000},      // no total: nothing clamps
      {10000, 4000},  // total not reached
      {3000, 3000},   // more steps than the total: held at the total
  };
  for (const Case& c : cases) {
    Host_Progress_Handle h = Host_Progress_Open(nullptr, L"Work", L"", nullptr, 0);
    ASSERT_NE(h, nullptr);
    Host_Progress_Total(h, c.total);
    Run_Threads(4, [h](int t) {
      for (int i = 0; i < 1000; ++i) {
        Host_Progress_Step(h, 1);
        if (i % 100 == 0) Host_Progress_Text(h, t % 2 ? L"odd" : L"even");
      }
    });
    Host_Progress_State s = State_Of(h);
    EXPECT_EQ(s.value, c.want_value) << c.total;
    EXPECT_EQ(s.steps, 4000);
    EXPECT_TRUE(s.text == L"odd" || s.text == L"even");
    Host_Progress_Close(h);
  }
}

TEST(HostProgress, ValueStaysWithinZeroAndTotal) {
  struct Case { int total; std::vector<int> steps; int want; };
  const Case cases[] = {
      {10, {4, 4, 4}, 10},             // overshoot
      {10, {3, -5}, 0},                // below zero
      {10, {8, -2, 1}, 7},             // back and forth
      {0, {2147483647, 5}, 2147483647},  // saturates instead of wrapping
  };
  for (const Case& c : cases) {
    Host_Progress_Handle h = Host_Progress_Open(nullptr, L"", L"", nullptr, 0);
    Host_Progress_Total(h, c.total);
    for (int s : c.steps) Host_Progress_Step(h, s);
    EXPECT_EQ(State_Of(h).value, c.want);
    Host_Progress_Close(h);
  }
  // Lowering the total pulls the value down with it.
  Host_Progress_Handle h = Host_Progress_Open(nullptr, L"", L"", nullptr, 0);
  Host_Progress_Total(h, 100);
  Host_Progress_Step(h, 80);
  Host_Progress_Total(h, 50);
  EXPECT_EQ(State_Of(h).value, 50);
  Host_Progress_Close(h);
}

std::atomic<int> g_abort_calls{0};
void Count_Abort(Host_Progress_Handle) { ++g_abort_calls; }

TEST(HostProgress, AbortFromAnotherThreadStopsTheWorkersAndCallsBackOnce) {
  g_abort_calls = 0;
  Host_Progress_Handle h = Host_Progress_Open(nullptr, L"Dispatch", L"", Count_Abort, 1);
  std::atomic<int> stopped{0};
  std::vector<std::thread> workers;
  for (int t = 0; t < 3; ++t)
    workers.emplace_back([&] {
      while (!Host_Progress_Aborted(h)) Host_Progress_Step(h, 1);
      ++stopped;
    });
  // Several presses at once, as an impatient user and the host's abort key would.
  Run_Threads(3, [h](int) { Host_Progress_Abort(h); });
  for (auto& w : workers) w.join();
  EXPECT_EQ(stopped.load(), 3);
  EXPECT_EQ(g_abort_calls.load(), 1);
  EXPECT_EQ(Host_Progress_Abort(h), 0);  // already aborted
  EXPECT_TRUE(State_Of(h).aborted);
  EXPECT_EQ(State_Of(h).flag, 1);
  Host_Progress_Close(h);
}

TEST(HostProgress, AbortAllReachesEveryOpenDialogOnly) {
  g_abort_calls = 0;
  ASSERT_EQ(Host_Progress_Open_Count(), 0);  // every test closes what it opens
  Host_Progress_Handle a = Host_Progress_Open(nullptr, L"a", L"", Count_Abort, 0);
  Host_Progress_Handle b = Host_Progress_Open(nullptr, L"b", L"", nullptr, 0);
  Host_Progress_Handle c = Host_Progress_Open(nullptr, L"c", L"", Count_Abort, 0);
  EXPECT_EQ(Host_Progress_Open_Count(), 3);
  Host_Progress_Close(c);
  EXPECT_EQ(Host_Progress_Abort(b), 1);
  EXPECT_EQ(Host_Progress_Abort_All(), 1);  // b was aborted already, c is closed
  EXPECT_NE(Host_Progress_Aborted(a), 0);
  EXPECT_EQ(g_abort_calls.load(), 1);
  Host_Progress_Close(a);
  Host_Progress_Close(b);
  EXPECT_EQ(Host_Progress_Open_Count(), 0);
}

TEST(HostProgress, NullHandleIsHarmless) {
  Host_Progress_Total(nullptr, 5);
  Host_Progress_Step(nullptr, 1);
  Host_Progress_Text(nullptr, L"x");
  Host_Progress_Close(nullptr);
  EXPECT_EQ(Host_Progress_Aborted(nullptr), 0);
  EXPECT_EQ(Host_Progress_Abort(nullptr), 0);
  Host_Progress_State s;
  EXPECT_EQ(Host_Progress_Get(nullptr, &s), 0);
}

TEST(HostProgress, BarCallsRecordTheirLastValues) {
  Host_Progress_Bar_Reset();
  Host_Progress_Object progress;
  Run_Threads(2, [&](int t) {
    for (int i = 0; i <= 100; ++i) {
      if (t == 0) Host_Progress_Bar_Redraw(&progress.box, i, 100);
      else Host_Progress_Bar_PingPong(&progress.box, i, 0);
    }
  });
  Host_Progress_Bar_Call bar = Host_Progress_Bar_Last_Redraw();
  EXPECT_EQ(bar.box, &progress.box);
  EXPECT_EQ(bar.value, 100);
  EXPECT_EQ(bar.total, 100);
  EXPECT_EQ(bar.calls, 101u);
  Host_Progress_Bar_Call ping = Host_Progress_Bar_Last_PingPong();
  EXPECT_EQ(ping.value, 100);
  EXPECT_EQ(ping.total, 0);
  EXPECT_EQ(ping.calls, 101u);
  Host_Progress_Bar_Reset();
  EXPECT_EQ(Host_Progress_Bar_Last_Redraw().calls, 0u);
}

}  // namespace
