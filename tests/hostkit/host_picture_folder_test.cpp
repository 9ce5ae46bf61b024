// The pictures folder of a build that is not installed: the source tree's shipped pictures.
#include <hostkit/HostPicture.h>
#include <hostkit/HostVariables.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

// Neither installed nor beside the program, the library finds the pictures of its source tree,
// and the host variable's default is that folder.
TEST(HostPictureFolder, BuildTreeFindsTheSourcePictures) {
  const std::wstring folder = Host_Icon_Folder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), L'/');
  const std::filesystem::path shipped = std::filesystem::path(QUARN_TEST_SOURCE_DIR) / ".." / "data" / "icons";
  EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::path(folder), shipped));
  Host_Var_Default_Install();
  auto** text = static_cast<wchar_t**>(Host_Var_Get(L"$DEFAULT_ICON_PATH", nullptr, nullptr, nullptr));
  ASSERT_TRUE(text && *text);
  EXPECT_EQ(std::wstring(*text), folder);
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(folder) / "icon folder.tga"));
}

}  // namespace
