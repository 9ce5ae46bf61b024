// The pointer has one position: the host kit's pointer calls and the platform's see each other.
#include <hostkit/HostUtil.h>
#include <platform/PlatformCursor.h>

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(PlatformCursor, HostKitAndPlatformShareOnePosition) {
  int x = 0, y = 0;
  Platform_Cursor_Set(120, 45);
  Host_Cursor_Get(&x, &y);
  EXPECT_EQ(std::make_pair(x, y), std::make_pair(120, 45));
  Host_Cursor_Move(-1, 0);  // a keyboard step left
  Platform_Cursor_Get(&x, &y);
  EXPECT_EQ(std::make_pair(x, y), std::make_pair(119, 45));
  Host_Cursor_Set(3, 4);
  Platform_Cursor_Move(0, 1);
  Host_Cursor_Get(&x, &y);
  EXPECT_EQ(std::make_pair(x, y), std::make_pair(3, 5));
}

}  // namespace
