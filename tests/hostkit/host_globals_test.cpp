// Error texts, default folders and names, and the pointer position of the host kit.
#include <hostkit/HostUtil.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(HostErrors, GLNamesTable) {
  struct Case { unsigned code; const char* text; };
  const Case cases[] = {
      {0, "GL_NO_ERROR"},
      {0x0500, "GL_INVALID_ENUM"},
      {0x0501, "GL_INVALID_VALUE"},
      {0x0502, "GL_INVALID_OPERATION"},
      {0x0505, "GL_OUT_OF_MEMORY"},
      {0x0506, "GL_INVALID_FRAMEBUFFER_OPERATION"},
      {0x1234, "unknown OpenGL error 0x1234"},  // still printable, with its number
  };
  for (const Case& c : cases) EXPECT_STREQ(Host_GL_Error_Text(c.code), c.text);
}

TEST(HostErrors, SystemReasons) {
  std::wstring no_file = Host_Errno_Text(ENOENT);
  EXPECT_FALSE(no_file.empty());
  EXPECT_EQ(no_file, Host_Char_To_Wide(std::strerror(ENOENT)));
  EXPECT_STRNE(Host_Errno_Text(EACCES), no_file.c_str());
  EXPECT_STREQ(Host_Windows_Error_Text(ENOENT), std::strerror(ENOENT));
  EXPECT_NE(std::string(Host_Windows_Error_Text(ULONG_MAX)).find("Unknown error"), std::string::npos);
  EXPECT_NE(std::wstring(Host_Errno_Text(-12345)).find(L"12345"), std::wstring::npos);
}

TEST(HostGlobals, DefaultsNameTheRunningProgram) {
  std::wstring install = Host_Install_Dir;
  ASSERT_FALSE(install.empty());
  EXPECT_EQ(install.back(), L'/');
  EXPECT_EQ(install.front(), L'/');  // an absolute folder
  std::wstring exe = install + Host_Program_Name;
  EXPECT_TRUE(Host_Is_File(exe.c_str())) << Host_Wide_To_Char(exe.c_str());
  EXPECT_EQ(std::wstring(Host_Program_Name), L"quarn_tests");
  std::wstring scratch = Host_Scratch_Dir;
  EXPECT_EQ(scratch.back(), L'/');
  const char* tmp = std::getenv("TMPDIR");
  std::string expected = (tmp && *tmp) ? tmp : "/tmp";
  if (expected.back() != '/') expected += '/';
  EXPECT_EQ(scratch, Host_Char_To_Wide(expected.c_str()));
  EXPECT_TRUE(Host_Is_Dir(Host_Scratch_Dir));
}

TEST(HostCursor, SetMoveAndGet) {
  Host_Cursor_Set(100, -20);
  Host_Cursor_Move(-5, 3);
  int x = 0, y = 0;
  Host_Cursor_Get(&x, &y);
  EXPECT_EQ(x, 95);
  EXPECT_EQ(y, -17);
  Host_Cursor_Move(0, 0);  // staying put is a move too
  Host_Cursor_Get(&x, nullptr);
  EXPECT_EQ(x, 95);
  Host_Cursor_Set(INT_MAX - 1, INT_MIN + 1);
  Host_Cursor_Move(10, -10);  // no wrap-around at the ends
  Host_Cursor_Get(&x, &y);
  EXPECT_EQ(x, INT_MAX);
  EXPECT_EQ(y, INT_MIN);
}

TEST(HostCursor, ConcurrentMovesAddUpAndPairsStayWhole) {
  Host_Cursor_Set(0, 0);
  constexpr int kThreads = 4, kMoves = 5000;
  std::atomic<bool> torn{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < kMoves; ++i) {
        Host_Cursor_Move(1, 1);  // x and y always equal if no update is lost or split
        int x, y;
        Host_Cursor_Get(&x, &y);
        if (x != y) torn = true;
      }
    });
  for (auto& t : threads) t.join();
  int x, y;
  Host_Cursor_Get(&x, &y);
  EXPECT_EQ(x, kThreads * kMoves);
  EXPECT_EQ(y, kThreads * kMoves);
  EXPECT_FALSE(torn);
}

}  // namespace
