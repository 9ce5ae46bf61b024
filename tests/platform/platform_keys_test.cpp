// Key state: sided and generic modifier keys, codes out of range, and readers on other threads.
#include <platform/PlatformKeys.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <utility>
#include <vector>

namespace {

class PlatformKeys : public ::testing::Test {
 protected:
  void SetUp() override { Platform_Key_State_Reset(); }
  void TearDown() override { Platform_Key_State_Reset(); }
};

// Each row replays key changes from all keys up, then asks about keys.
TEST_F(PlatformKeys, ModifiersAnswerForEitherSide) {
  using Changes = std::vector<std::pair<int, int>>;
  using Answers = std::vector<std::pair<int, int>>;
  const struct {
    const char* what;
    Changes changes;
    Answers answers;
  } cases[] = {
      {"all up", {}, {{PLATFORM_VK_SHIFT, 0}, {PLATFORM_VK_CONTROL, 0}, {PLATFORM_VK_MENU, 0}}},
      {"generic Shift only", {{PLATFORM_VK_SHIFT, 1}},
       {{PLATFORM_VK_SHIFT, 1}, {PLATFORM_VK_LSHIFT, 0}, {PLATFORM_VK_CONTROL, 0}}},
      {"left Shift", {{PLATFORM_VK_LSHIFT, 1}},
       {{PLATFORM_VK_SHIFT, 1}, {PLATFORM_VK_RSHIFT, 0}, {PLATFORM_VK_CONTROL, 0}}},
      {"right Ctrl", {{PLATFORM_VK_RCONTROL, 1}},
       {{PLATFORM_VK_CONTROL, 1}, {PLATFORM_VK_SHIFT, 0}, {PLATFORM_VK_LCONTROL, 0}}},
      {"right Alt", {{PLATFORM_VK_RMENU, 1}}, {{PLATFORM_VK_MENU, 1}, {PLATFORM_VK_CONTROL, 0}}},
      {"left Shift down and up", {{PLATFORM_VK_LSHIFT, 1}, {PLATFORM_VK_LSHIFT, 0}},
       {{PLATFORM_VK_SHIFT, 0}}},
      {"both Shifts down, the left one up",
       {{PLATFORM_VK_LSHIFT, 1}, {PLATFORM_VK_RSHIFT, 1}, {PLATFORM_VK_LSHIFT, 0}},
       {{PLATFORM_VK_SHIFT, 1}}},
      {"an arrow is no modifier", {{PLATFORM_VK_LEFT, 1}},
       {{PLATFORM_VK_LEFT, 1}, {PLATFORM_VK_RIGHT, 0}, {PLATFORM_VK_SHIFT, 0}}},
      {"any nonzero is down", {{'A', 42}}, {{'A', 1}}},
  };
  for (const auto& c : cases) {
    Platform_Key_State_Reset();
    for (auto [vk, down] : c.changes) ASSERT_EQ(Platform_Key_State_Set(vk, down), 1);
    for (auto [vk, expected] : c.answers)
      EXPECT_EQ(Platform_Key_Down(vk), expected) << c.what << " " << vk;
  }
}

TEST_F(PlatformKeys, CodesOutOfRangeAreRefusedAndTouchNothing) {
  for (int vk : {-1, PLATFORM_VK_COUNT, 1 << 20}) {
    EXPECT_EQ(Platform_Key_State_Set(vk, 1), 0) << vk;
    EXPECT_EQ(Platform_Key_Down(vk), 0) << vk;
  }
  for (int vk = 0; vk < PLATFORM_VK_COUNT; ++vk) ASSERT_EQ(Platform_Key_Down(vk), 0) << vk;
  EXPECT_EQ(Platform_Key_State_Set(PLATFORM_VK_COUNT - 1, 1), 1);  // the last code is valid
  EXPECT_EQ(Platform_Key_Down(PLATFORM_VK_COUNT - 1), 1);
}

// The host thread presses and lets go keys while workers read them: every reader sees a key
// only up or down, and the final state is what the host left.
TEST_F(PlatformKeys, HostWritesWhileOtherThreadsRead) {
  std::atomic<bool> done{false};
  std::vector<std::thread> readers;
  std::atomic<int> bad{0};
  for (int r = 0; r < 3; ++r)
    readers.emplace_back([&] {
      while (!done.load()) {
        int shift = Platform_Key_Down(PLATFORM_VK_SHIFT);
        if (shift != 0 && shift != 1) bad.fetch_add(1);
        Platform_Key_Down(PLATFORM_VK_CONTROL);
      }
    });
  for (int i = 0; i < 20000; ++i) {
    Platform_Key_State_Set(PLATFORM_VK_LSHIFT, i % 2);
    Platform_Key_State_Set(PLATFORM_VK_RCONTROL, i % 3 == 0);
  }
  done = true;
  for (auto& t : readers) t.join();
  EXPECT_EQ(bad.load(), 0);
  EXPECT_EQ(Platform_Key_Down(PLATFORM_VK_SHIFT), 1);    // 19999 is odd
  EXPECT_EQ(Platform_Key_Down(PLATFORM_VK_CONTROL), 0);  // 19999 % 3 != 0
}

}  // namespace
