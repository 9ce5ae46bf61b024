// Timers on the manual clock: deadlines and beats, several timers, changes made inside a tick,
// restarts, and ticks on the pumping thread only.
#include <platform/Platform.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

struct Tick {
  unsigned id;
  uint64_t time;  // relative to the start of the test
};

// Tick log of a test window, reached through its user pointer.
struct Ticks {
  uint64_t origin = 0;
  std::vector<Tick> seen;
  std::thread::id thread;
  bool other_thread = false;

  std::vector<uint64_t> Times(unsigned id) const {
    std::vector<uint64_t> times;
    for (const Tick& t : seen)
      if (t.id == id) times.push_back(t.time);
    return times;
  }
};

void Note(Platform_Window* window, unsigned id, uint64_t time) {
  Ticks& log = *static_cast<Ticks*>(Platform_Window_User_Get(window));
  log.seen.push_back(Tick{id, time - log.origin});
  if (std::this_thread::get_id() != log.thread) log.other_thread = true;
}

// Timers without a procedure arrive at the handler as timer messages.
void Handler(Platform_Window* window, const Platform_Message* message) {
  if (message->id == PLATFORM_MSG_TIMER) Note(window, unsigned(message->a), message->b);
}

// Procedures that change the timers from inside a tick.
void Kill_Self(Platform_Window* w, unsigned id, uint64_t t) {
  Note(w, id, t);
  EXPECT_EQ(Platform_Kill_Timer(w, id), 1);
}
void Kill_Two(Platform_Window* w, unsigned id, uint64_t t) { Note(w, id, t), Platform_Kill_Timer(w, 2); }
void Restart_Slower(Platform_Window* w, unsigned id, uint64_t t) {
  Note(w, id, t), Platform_Set_Timer(w, id, 50, Restart_Slower);
}
void Destroy_Window(Platform_Window* w, unsigned id, uint64_t t) {
  Note(w, id, t), Platform_Window_Destroy(w);
}

class PlatformTimer : public ::testing::Test {
 protected:
  void SetUp() override {
    Platform_Clock_Manual(1);
    log_.origin = Platform_Clock_Now();
    log_.thread = std::this_thread::get_id();
    window_ = Platform_Window_Create(L"cine", 64, 64, &log_);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    Platform_Window_Destroy(window_);
    Platform_Clock_Manual(0);
  }

  // Moves the clock one millisecond at a time, pumping after each, as a busy host would.
  int Run(uint32_t ms) {
    int handled = 0;
    for (uint32_t i = 0; i < ms; ++i) {
      Platform_Clock_Advance(1);
      handled += Platform_Pump(window_, Handler);
    }
    return handled;
  }

  Ticks log_;
  Platform_Window* window_ = nullptr;
};

TEST(PlatformClock, ManualClockMovesOnlyByHandAndNeverGoesBack) {
  Platform_Clock_Manual(1);
  EXPECT_EQ(Platform_Clock_Is_Manual(), 1);
  const uint64_t start = Platform_Clock_Now();
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(Platform_Clock_Now(), start);
  EXPECT_EQ(Platform_Clock_Advance(250), 1);
  EXPECT_EQ(Platform_Clock_Now(), start + 250);

  Platform_Clock_Manual(0);
  EXPECT_EQ(Platform_Clock_Is_Manual(), 0);
  EXPECT_GE(Platform_Clock_Now(), start + 250);  // goes on from the manual time
  EXPECT_EQ(Platform_Clock_Advance(1), 0);        // the steady clock cannot be moved
}

// Each row starts one timer at time 0, then advances the clock in the given jumps, pumping once
// after each, and expects the tick times so far.
TEST_F(PlatformTimer, TicksFallOnTheBeatAndMissedBeatsMerge) {
  struct Step {
    uint32_t advance;
    std::vector<uint64_t> times;
  };
  const struct {
    const char* what;
    uint32_t period;
    std::vector<Step> steps;
  } cases[] = {
      {"nothing before the deadline, a tick on it", 100,
       {{99, {}}, {1, {100}}, {99, {100}}, {1, {100, 200}}}},
      {"five beats missed give one tick, the next stays on the beat", 100,
       {{550, {550}}, {49, {550}}, {1, {550, 600}}}},
      {"a period below the minimum is raised to it", 3, {{9, {}}, {1, {10}}}},
      {"a zero period too", 0, {{10, {10}}, {10, {10, 20}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    log_.seen.clear();
    log_.origin = Platform_Clock_Now();
    ASSERT_EQ(Platform_Set_Timer(window_, 9, c.period, Note), 9u);
    for (const Step& step : c.steps) {
      Platform_Clock_Advance(step.advance);
      Platform_Pump(window_, Handler);
      EXPECT_EQ(log_.Times(9), step.times) << "after +" << step.advance;
    }
    EXPECT_EQ(Platform_Kill_Timer(window_, 9), 1);
  }
}

TEST_F(PlatformTimer, SeveralTimersKeepTheirOwnPeriods) {
  const struct {
    unsigned id;
    uint32_t period;
    Platform_Timer_Proc proc;
  } timers[] = {{1, 10, Note}, {2, 30, Note}, {3, 70, Note}, {4, 25, nullptr}};
  for (const auto& t : timers) ASSERT_EQ(Platform_Set_Timer(window_, t.id, t.period, t.proc), t.id);
  EXPECT_EQ(Platform_Timer_Next(window_), 10);

  constexpr uint32_t kSpan = 700;
  EXPECT_EQ(Run(kSpan), 70 + 23 + 10 + 28);
  for (const auto& t : timers) EXPECT_EQ(log_.Times(t.id).size(), kSpan / t.period) << t.id;

  // At 210 the first three fall due in the same pump and tick in the order they were started.
  std::vector<unsigned> at_210;
  for (const Tick& t : log_.seen)
    if (t.time == 210) at_210.push_back(t.id);
  EXPECT_EQ(at_210, (std::vector<unsigned>{1, 2, 3}));
}

TEST_F(PlatformTimer, RestartBeginsANewPeriodAndKillEndsTheTicks) {
  EXPECT_EQ(Platform_Set_Timer(window_, 0, 100, Note), 0u);  // 0 is the failure value
  ASSERT_EQ(Platform_Set_Timer(window_, 5, 100, Note), 5u);
  Platform_Clock_Advance(80);
  ASSERT_EQ(Platform_Set_Timer(window_, 5, 100, Note), 5u);
  EXPECT_EQ(Platform_Timer_Next(window_), 100);
  Run(179);
  EXPECT_EQ(Platform_Kill_Timer(window_, 5), 1);
  EXPECT_EQ(Platform_Kill_Timer(window_, 5), 0);
  EXPECT_EQ(Platform_Timer_Next(window_), -1);
  Run(1000);
  EXPECT_EQ(log_.Times(5), (std::vector<uint64_t>{180}));
}

// Each row starts timers 1 and 2 (period 10) at time 0 and runs 100 ms; timer 1's procedure
// changes the timers or the window from inside its tick.
TEST_F(PlatformTimer, ChangesMadeInsideATick) {
  const struct {
    const char* what;
    Platform_Timer_Proc first;
    std::vector<uint64_t> times_1, times_2;
  } cases[] = {
      {"kills itself", Kill_Self, {10}, {10, 20, 30, 40, 50, 60, 70, 80, 90, 100}},
      {"kills a timer due in the same pump", Kill_Two, {10, 20, 30, 40, 50, 60, 70, 80, 90, 100}, {}},
      {"restarts itself with a longer period", Restart_Slower, {10, 60},
       {10, 20, 30, 40, 50, 60, 70, 80, 90, 100}},
      {"destroys the window", Destroy_Window, {10}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Platform_Window_Destroy(window_);
    window_ = Platform_Window_Create(L"cine", 64, 64, &log_);
    ASSERT_NE(window_, nullptr);
    log_.seen.clear();
    log_.origin = Platform_Clock_Now();
    Platform_Set_Timer(window_, 1, 10, c.first);
    Platform_Set_Timer(window_, 2, 10, Note);
    Run(100);
    EXPECT_EQ(log_.Times(1), c.times_1);
    EXPECT_EQ(log_.Times(2), c.times_2);
  }
}

// The clock moves and timers are started and stopped on other threads; ticks still run only on
// the thread that pumps, one at a time and in time order.
TEST_F(PlatformTimer, TicksRunOnThePumpingThreadWhileOthersChangeTimers) {
  ASSERT_EQ(Platform_Set_Timer(window_, 1, 10, Note), 1u);
  std::atomic<bool> done{false};
  std::thread clock([&] {
    for (int i = 0; i < 1000; ++i) {
      Platform_Clock_Advance(1);
      std::this_thread::yield();
    }
    done = true;
  });
  std::thread toggler([&] {
    for (unsigned round = 0; !done.load(); ++round)
      if (round % 2)
        Platform_Kill_Timer(window_, 2);
      else
        Platform_Set_Timer(window_, 2, 10, nullptr);
  });
  while (!done.load()) Platform_Pump(window_, Handler);
  clock.join();
  toggler.join();
  Platform_Pump(window_, Handler);

  EXPECT_FALSE(log_.other_thread);
  const std::vector<uint64_t> times = log_.Times(1);
  ASSERT_FALSE(times.empty());
  EXPECT_EQ(times.back(), 1000u);  // the last beat is never lost
  for (size_t i = 1; i < times.size(); ++i) EXPECT_LT(times[i - 1], times[i]);
}

}  // namespace
