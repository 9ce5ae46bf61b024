// Window records: handle validity after destruction, title, client size, user pointer, and the
// registry under threads.
#include <platform/Platform.h>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

int g_handled = 0;
void Count(Platform_Window*, const Platform_Message*) { ++g_handled; }

// Every operation on a handle that is not a live window answers with its failure value and
// leaves the caller's outs alone.
void Expect_Refused(Platform_Window* window) {
  Platform_Message message{};
  int width = -7;
  wchar_t title[8] = L"x";
  g_handled = 0;
  const struct {
    const char* op;
    long long result;
  } cases[] = {
      {"Valid", Platform_Window_Valid(window)},
      {"Destroy", Platform_Window_Destroy(window)},
      {"Post", Platform_Post_Message(window, PLATFORM_MSG_USER, 1, 2)},
      {"Peek", Platform_Peek_Message(window, &message, 1)},
      {"Get", Platform_Get_Message(window, &message, 0)},
      {"Queue_Count", Platform_Queue_Count(window)},
      {"Pump", Platform_Pump(window, Count)},
      {"Set_Timer", Platform_Set_Timer(window, 1, 10, nullptr)},
      {"Kill_Timer", Platform_Kill_Timer(window, 1)},
      {"Timer_Next", Platform_Timer_Next(window) + 1},  // -1 means none
      {"Title_Set", Platform_Window_Title_Set(window, L"t")},
      {"Title_Get", Platform_Window_Title_Get(window, title, 8)},
      {"Size_Set", Platform_Window_Size_Set(window, 1, 1)},
      {"Size_Get", Platform_Window_Size_Get(window, &width, nullptr)},
      {"User_Set", Platform_Window_User_Set(window, &width)},
      {"User_Get", Platform_Window_User_Get(window) != nullptr},
  };
  for (const auto& c : cases) EXPECT_EQ(c.result, 0) << c.op;
  EXPECT_EQ(g_handled, 0);
  EXPECT_EQ(width, -7);
  EXPECT_EQ(title[0], L'\0');
}

TEST(PlatformWindow, HandlesThatAreNotLiveWindowsAreRefused) {
  Expect_Refused(nullptr);
  int not_a_window = 0;
  Expect_Refused(reinterpret_cast<Platform_Window*>(&not_a_window));

  const int before = Platform_Window_Count();
  Platform_Window* window = Platform_Window_Create(L"short-lived", 4, 3, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(Platform_Window_Count(), before + 1);
  ASSERT_EQ(Platform_Post_Message(window, PLATFORM_MSG_USER, 0, 0), 1);
  ASSERT_EQ(Platform_Set_Timer(window, 3, 10, nullptr), 3u);
  ASSERT_EQ(Platform_Window_Destroy(window), 1);
  EXPECT_EQ(Platform_Window_Count(), before);
  Expect_Refused(window);  // its queued message and timer went with it
}

// Creation and resizing take the same sizes; a refused resize keeps the old size.
TEST(PlatformWindow, SizesAreCheckedAlike) {
  const struct {
    int width, height;
    bool taken;
  } cases[] = {
      {640, 480, true},
      {0, 0, true},  // a minimised window has an empty client area
      {-1, 10, false},
      {10, -1, false},
  };
  Platform_Window* resized = Platform_Window_Create(nullptr, 1, 2, nullptr);
  ASSERT_NE(resized, nullptr);
  int last_width = 1, last_height = 2;
  for (const auto& c : cases) {
    Platform_Window* made = Platform_Window_Create(nullptr, c.width, c.height, nullptr);
    EXPECT_EQ(made != nullptr, c.taken) << c.width << "x" << c.height;
    Platform_Window_Destroy(made);
    EXPECT_EQ(Platform_Window_Size_Set(resized, c.width, c.height), int(c.taken));
    if (c.taken) last_width = c.width, last_height = c.height;
    int width = -1, height = -1;
    Platform_Window_Size_Get(resized, &width, nullptr);
    Platform_Window_Size_Get(resized, nullptr, &height);
    EXPECT_EQ(width, last_width) << c.width << "x" << c.height;
    EXPECT_EQ(height, last_height) << c.width << "x" << c.height;
  }
  Platform_Window_Destroy(resized);
}

TEST(PlatformWindow, TitleIsCutOnlyInTheCopyAndTheLengthTellsIt) {
  Platform_Window* window = Platform_Window_Create(L"Segmentation view", 1, 1, nullptr);
  ASSERT_NE(window, nullptr);
  const struct {
    int count;
    const wchar_t* copied;
  } cases[] = {
      {64, L"Segmentation view"},
      {18, L"Segmentation view"},  // exactly fits with its terminator
      {17, L"Segmentation vie"},
      {1, L""},
  };
  for (const auto& c : cases) {
    wchar_t buffer[64];
    EXPECT_EQ(Platform_Window_Title_Get(window, buffer, c.count), 17) << c.count;
    EXPECT_EQ(std::wstring(buffer), c.copied) << c.count;
  }
  EXPECT_EQ(Platform_Window_Title_Get(window, nullptr, 0), 17);  // asks for the length only

  EXPECT_EQ(Platform_Window_Title_Set(window, nullptr), 1);
  wchar_t buffer[8] = L"junk";
  EXPECT_EQ(Platform_Window_Title_Get(window, buffer, 8), 0);
  EXPECT_EQ(buffer[0], L'\0');
  Platform_Window_Destroy(window);
}

// Windows come and go on some threads while others post to whatever handles they last saw: a
// post lands in a live window or is refused, never in freed memory.
TEST(PlatformWindow, RegistryStaysSoundWhileWindowsComeAndGo) {
  constexpr int kSlots = 8, kRounds = 300;
  const int before = Platform_Window_Count();
  std::array<std::atomic<Platform_Window*>, kSlots> slots{};
  std::atomic<bool> done{false};

  std::vector<std::thread> threads;
  for (int t = 0; t < 2; ++t)
    threads.emplace_back([&, t] {
      for (int round = 0; round < kRounds; ++round) {
        auto& slot = slots[(round * 2 + t) % kSlots];
        Platform_Window* made = Platform_Window_Create(L"churn", 1, 1, nullptr);
        Platform_Window* old = slot.exchange(made);
        if (old) {
          EXPECT_EQ(Platform_Window_Destroy(old), 1);
        }
      }
    });
  for (int t = 0; t < 2; ++t)
    threads.emplace_back([&] {
      while (!done.load()) {
        for (auto& slot : slots) {
          Platform_Window* window = slot.load();
          Platform_Post_Message(window, PLATFORM_MSG_USER, 0, 0);
          Platform_Queue_Count(window);
        }
      }
    });
  threads[0].join();
  threads[1].join();
  done = true;
  threads[2].join();
  threads[3].join();

  EXPECT_EQ(Platform_Window_Count(), before + kSlots);
  for (auto& slot : slots) {
    EXPECT_EQ(Platform_Window_Valid(slot.load()), 1);
    EXPECT_EQ(Platform_Window_Destroy(slot.load()), 1);
  }
  EXPECT_EQ(Platform_Window_Count(), before);
}

}  // namespace
