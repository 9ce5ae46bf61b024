// Opening an address with the desktop's opener: started in the background, or refused.
#include "platform/Fake_Program.h"

#include <platform/PlatformShell.h>

#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(Platform_Shell, TheOpenerGetsTheAddressAndIsNotWaitedFor) {
  fake::Program opener("xdg-open");
  opener.Expect_Detached();
  Platform_Shell_Program_Set(opener.Path().c_str());
  ASSERT_EQ(Platform_Shell_Open(L"file:///tmp/help/caf\u00E9.htm#top"), 1);
  EXPECT_EQ(opener.Await(10000), "file:///tmp/help/caf\xC3\xA9.htm#top");
  Platform_Shell_Program_Set("");
}

TEST(Platform_Shell, WithoutOpenerOrAddressNothingStarts) {
  Platform_Shell_Program_Set("");
  errno = 0;
  EXPECT_EQ(Platform_Shell_Open(L"https://example.org/"), 0);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(Platform_Shell_Open(L""), 0);
  EXPECT_EQ(errno, EINVAL);
  EXPECT_EQ(Platform_Shell_Open(nullptr), 0);
}

}  // namespace
