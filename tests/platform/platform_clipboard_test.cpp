// The clipboard of the platform layer: one owner at a time, the text handed over and kept, and
// the helper program that takes it to the desktop.
#include "platform/Fake_Program.h"

#include <platform/PlatformClipboard.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

namespace {

class Platform_Clipboard : public ::testing::Test {
protected:
  void SetUp() override { Platform_Clipboard_Helper_Set(""); }
  void TearDown() override {
    Platform_Clipboard_Close();
    Platform_Clipboard_Helper_Set("");
  }
  static std::wstring Text() {
    wchar_t buffer[256];
    return Platform_Clipboard_Get_Text(buffer, 256) < 0 ? L"<none>" : buffer;
  }
  /// Opens, empties, hands text over and closes; the result of the hand-over.
  static int Copy(const wchar_t* text) {
    if (!Platform_Clipboard_Open(nullptr)) return 0;
    Platform_Clipboard_Empty();
    wchar_t* owned = wcsdup(text);
    const int done = Platform_Clipboard_Set_Text(owned);
    if (!done) std::free(owned);
    Platform_Clipboard_Close();
    return done;
  }
};

TEST_F(Platform_Clipboard, TextHandedOverIsKeptAndReadBack) {
  ASSERT_EQ(Copy(L"r\u00E9sum\u00E9 12,50 mm\u00B2"), 1);
  EXPECT_EQ(Text(), L"r\u00E9sum\u00E9 12,50 mm\u00B2");
  // A short buffer gets the beginning and the full length comes back.
  wchar_t small[4];
  EXPECT_EQ(Platform_Clipboard_Get_Text(small, 4), 16);
  EXPECT_EQ(std::wstring(small), L"r\u00E9s");
  // Emptying drops it.
  ASSERT_EQ(Platform_Clipboard_Open(nullptr), 1);
  ASSERT_EQ(Platform_Clipboard_Empty(), 1);
  ASSERT_EQ(Platform_Clipboard_Close(), 1);
  EXPECT_EQ(Text(), L"<none>");
}

TEST_F(Platform_Clipboard, EveryStepOutsideAnOpenClipboardIsRefusedWithItsReason) {
  errno = 0;
  EXPECT_EQ(Platform_Clipboard_Empty(), 0);
  EXPECT_EQ(errno, EPERM);
  wchar_t text[] = L"x";
  EXPECT_EQ(Platform_Clipboard_Set_Text(text), 0);
  EXPECT_EQ(errno, EPERM);
  EXPECT_EQ(Platform_Clipboard_Close(), 0);
  // A handle that names no window cannot open it.
  Platform_Window* window = Platform_Window_Create(L"w", 10, 10, nullptr);
  Platform_Window_Destroy(window);
  EXPECT_EQ(Platform_Clipboard_Open(window), 0);
  EXPECT_EQ(errno, EBADF);
  // A second owner waits its turn.
  ASSERT_EQ(Platform_Clipboard_Open(nullptr), 1);
  EXPECT_EQ(Platform_Clipboard_Open(nullptr), 0);
  EXPECT_EQ(errno, EBUSY);
  EXPECT_EQ(Platform_Clipboard_Set_Text(nullptr), 0);
  EXPECT_EQ(errno, EINVAL);
  std::thread other([] { EXPECT_EQ(Platform_Clipboard_Close(), 0); });  // not its clipboard
  other.join();
  EXPECT_EQ(Platform_Clipboard_Close(), 1);
}

TEST_F(Platform_Clipboard, TheHelperGetsTheTextAsUtf8OnItsInput) {
  fake::Program xclip("xclip");
  Platform_Clipboard_Helper_Set(xclip.Path().c_str());
  ASSERT_EQ(Copy(L"caf\u00E9"), 1);
  EXPECT_EQ(xclip.Input(), "caf\xC3\xA9");
  EXPECT_EQ(xclip.Args(), (std::vector<std::string>{"-selection", "clipboard", "-in"}));
  EXPECT_EQ(Text(), L"caf\u00E9");
  // A helper that fails keeps the text with the caller and the clipboard as it was.
  xclip.Status(3);
  EXPECT_EQ(Copy(L"lost"), 0);
  EXPECT_EQ(Text(), L"<none>");  // emptied before the failed hand-over
}

TEST_F(Platform_Clipboard, CopiesFromSeveralThreadsEachLeaveOneWholeText) {
  constexpr int kThreads = 4;
  constexpr int kEach = 50;
  std::vector<std::thread> threads;
  std::vector<std::wstring> texts;
  for (int t = 0; t < kThreads; ++t) texts.push_back(std::wstring(20, wchar_t(L'a' + t)));
  std::atomic<int> done{0};
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      // A copy while another thread holds the clipboard is refused, as for a busy clipboard.
      for (int i = 0; i < kEach; ++i) done += Copy(texts[size_t(t)].c_str());
    });
  for (auto& t : threads) t.join();
  EXPECT_GT(done.load(), 0);
  const std::wstring last = Text();
  EXPECT_NE(std::find(texts.begin(), texts.end(), last), texts.end()) << "torn text";
}

}  // namespace
