// Posted messages: order and arguments, the queue limit, what one pump takes, waiting for a
// message, and posters on several threads while the host thread pumps.
#include <platform/Platform.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

namespace {

// What the handler saw, reached through the window's user pointer as a host would.
struct Log {
  std::vector<Platform_Message> seen;
  bool destroy_on_first = false;
  bool post_back = false;
};

void Record(Platform_Window* window, const Platform_Message* message) {
  auto* log = static_cast<Log*>(Platform_Window_User_Get(window));
  log->seen.push_back(*message);
  if (log->post_back) Platform_Post_Message(window, message->id + 1, 0, 0);
  if (log->destroy_on_first) Platform_Window_Destroy(window);
}

class PlatformMessage : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = Platform_Window_Create(L"main", 320, 200, &log_);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override { Platform_Window_Destroy(window_); }

  Log log_;
  Platform_Window* window_ = nullptr;
};

TEST_F(PlatformMessage, QueueIsFirstInFirstOutWithWholeArguments) {
  const Platform_Message posted[] = {
      {window_, 0x402, 0x00000001, 0xFFFFFFFF},
      {window_, 0x403, 0, 0x8000000000000001ull},  // the top bit must survive
      {window_, PLATFORM_MSG_USER, UINT64_MAX, 0},
  };
  for (const auto& m : posted) ASSERT_EQ(Platform_Post_Message(window_, m.id, m.a, m.b), 1);

  Platform_Message peeked{};
  EXPECT_EQ(Platform_Peek_Message(window_, &peeked, 0), 1);  // looks without taking
  EXPECT_EQ(peeked.id, 0x402u);
  EXPECT_EQ(Platform_Queue_Count(window_), 3);

  EXPECT_EQ(Platform_Pump(window_, Record), 3);
  ASSERT_EQ(log_.seen.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(log_.seen[i].window, window_);
    EXPECT_EQ(log_.seen[i].id, posted[i].id);
    EXPECT_EQ(log_.seen[i].a, posted[i].a);
    EXPECT_EQ(log_.seen[i].b, posted[i].b);
  }
  EXPECT_EQ(Platform_Queue_Count(window_), 0);
  EXPECT_EQ(Platform_Pump(window_, Record), 0);
  EXPECT_EQ(Platform_Peek_Message(window_, &peeked, 1), 0);
}

TEST_F(PlatformMessage, FullQueueRefusesPostsUntilOneIsTaken) {
  for (int i = 0; i < PLATFORM_QUEUE_LIMIT; ++i)
    ASSERT_EQ(Platform_Post_Message(window_, PLATFORM_MSG_USER, uint64_t(i), 0), 1) << i;
  EXPECT_EQ(Platform_Post_Message(window_, PLATFORM_MSG_USER, 99999, 0), 0);
  EXPECT_EQ(Platform_Queue_Count(window_), PLATFORM_QUEUE_LIMIT);

  EXPECT_EQ(Platform_Peek_Message(window_, nullptr, 1), 1);  // taken and dropped
  EXPECT_EQ(Platform_Post_Message(window_, PLATFORM_MSG_USER, PLATFORM_QUEUE_LIMIT, 0), 1);
  EXPECT_EQ(Platform_Post_Message(window_, PLATFORM_MSG_USER, 99999, 0), 0);

  // The refused posts left no trace: 1 .. LIMIT arrive in order, nothing else.
  EXPECT_EQ(Platform_Pump(window_, Record), PLATFORM_QUEUE_LIMIT);
  ASSERT_EQ(log_.seen.size(), size_t(PLATFORM_QUEUE_LIMIT));
  for (size_t i = 0; i < log_.seen.size(); ++i) ASSERT_EQ(log_.seen[i].a, i + 1);
}

TEST_F(PlatformMessage, PumpTakesOnlyWhatWasQueuedWhenItBeganAndNeedsAHandler) {
  Platform_Post_Message(window_, PLATFORM_MSG_USER, 0, 0);
  EXPECT_EQ(Platform_Pump(window_, nullptr), 0);
  EXPECT_EQ(Platform_Queue_Count(window_), 1);
  log_.post_back = true;  // every message posts a follow-up
  Platform_Post_Message(window_, PLATFORM_MSG_USER, 0, 0);
  EXPECT_EQ(Platform_Pump(window_, Record), 2);
  EXPECT_EQ(Platform_Queue_Count(window_), 2);  // the follow-ups wait for the next pump
  EXPECT_EQ(Platform_Pump(window_, Record), 2);
  EXPECT_EQ(log_.seen[3].id, PLATFORM_MSG_USER + 1);
}

TEST_F(PlatformMessage, PumpStopsWhenTheHandlerDestroysTheWindow) {
  log_.destroy_on_first = true;
  for (int i = 0; i < 3; ++i) Platform_Post_Message(window_, PLATFORM_MSG_USER, i, 0);
  EXPECT_EQ(Platform_Pump(window_, Record), 1);
  EXPECT_EQ(log_.seen.size(), 1u);
  EXPECT_EQ(Platform_Window_Valid(window_), 0);
}

TEST_F(PlatformMessage, GetWaitsForAPostOrForTheWindowToGo) {
  Platform_Message message{};
  using Clock = std::chrono::steady_clock;
  auto start = Clock::now();
  EXPECT_EQ(Platform_Get_Message(window_, &message, 30), 0);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(30));
  EXPECT_EQ(Platform_Get_Message(window_, nullptr, 0), 0);

  std::thread poster([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Platform_Post_Message(window_, 0x402, 7, 8);
  });
  EXPECT_EQ(Platform_Get_Message(window_, &message, PLATFORM_WAIT_INFINITE), 1);
  poster.join();
  EXPECT_EQ(message.id, 0x402u);
  EXPECT_EQ(message.b, 8u);
  EXPECT_EQ(Platform_Queue_Count(window_), 0);

  std::thread closer([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Platform_Window_Destroy(window_);
  });
  EXPECT_EQ(Platform_Get_Message(window_, &message, PLATFORM_WAIT_INFINITE), 0);
  closer.join();
}

// Four threads post as fast as they can, retrying when the queue is full, while this thread
// pumps as the host does: every message arrives once, and each poster's in the order posted.
TEST_F(PlatformMessage, PostersOnFourThreadsWhileTheHostPumps) {
  constexpr int kPosters = 4;
  constexpr uint64_t kEach = 20000;
  std::vector<std::thread> posters;
  for (int p = 0; p < kPosters; ++p)
    posters.emplace_back([this, p] {
      for (uint64_t sequence = 0; sequence < kEach;)
        if (Platform_Post_Message(window_, PLATFORM_MSG_USER, uint64_t(p), sequence))
          ++sequence;
        else
          std::this_thread::yield();  // full: the host is behind
    });

  const size_t total = kPosters * kEach;
  while (log_.seen.size() < total)
    if (!Platform_Pump(window_, Record)) std::this_thread::yield();
  for (auto& t : posters) t.join();

  EXPECT_EQ(log_.seen.size(), total);
  EXPECT_EQ(Platform_Queue_Count(window_), 0);
  uint64_t next[kPosters] = {};
  for (const Platform_Message& m : log_.seen) {
    ASSERT_LT(m.a, uint64_t(kPosters));
    ASSERT_EQ(m.b, next[m.a]) << "poster " << m.a;
    ++next[m.a];
  }
  for (uint64_t count : next) EXPECT_EQ(count, kEach);
}

}  // namespace
