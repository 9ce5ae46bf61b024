// Path splitting, clipping of labels and paths, and file-system tests of the host kit.
#include <hostkit/HostUtil.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

TEST(HostSplitPath, PartsTable) {
  struct Case { const wchar_t* path; const wchar_t *dir, *base, *ext; };
  const Case cases[] = {
      {L"/data/ct/head.nii", L"/data/ct/", L"head", L".nii"},
      {L"C:\\scans\\head.nii.gz", L"C:\\scans\\", L"head.nii", L".gz"},  // last dot only
      {L"mixed\\dir/x.raw", L"mixed\\dir/", L"x", L".raw"},
      {L"head", L"", L"head", L""},
      {L"/data/ct/", L"/data/ct/", L"", L""},
      {L"/data.d/head", L"/data.d/", L"head", L""},   // a dot in a folder is no extension
      {L".profile", L"", L".profile", L""},            // leading dots belong to the name
      {L"..", L"", L"..", L""},
      {L"../a.b", L"../", L"a", L".b"},
      {L"name.", L"", L"name", L"."},
      {L"C:head.nii", L"C:", L"head", L".nii"},        // a drive without a separator
      {L"", L"", L"", L""},
  };
  for (const Case& c : cases) {
    wchar_t dir[HOST_PATH_BUFFER], base[HOST_PATH_BUFFER], ext[HOST_PATH_BUFFER];
    Host_Split_Path(c.path, dir, base, ext);
    std::string what = Host_Wide_To_Char(c.path);
    EXPECT_STREQ(dir, c.dir) << what;
    EXPECT_STREQ(base, c.base) << what;
    EXPECT_STREQ(ext, c.ext) << what;
    // The narrow form splits the same way.
    char nd[HOST_PATH_BUFFER], nb[HOST_PATH_BUFFER], ne[HOST_PATH_BUFFER];
    Host_Split_Path(what.c_str(), nd, nb, ne);
    EXPECT_EQ(std::string(nd) + nb + ne, what);
    EXPECT_STREQ(nb, Host_Wide_To_Char(c.base)) << what;
  }
}

TEST(HostSplitPath, AbsentOutputsAndNullPath) {
  wchar_t base[HOST_PATH_BUFFER] = L"junk";
  Host_Split_Path(L"/a/b.c", nullptr, base, nullptr);
  EXPECT_STREQ(base, L"b");
  Host_Split_Path((const wchar_t*)nullptr, nullptr, base, nullptr);
  EXPECT_STREQ(base, L"");
}

TEST(HostSplitPath, OverlongPartIsCutAndReported) {
  std::wstring path = L"/d/" + std::wstring(2000, L'n') + L".e";
  wchar_t dir[HOST_PATH_BUFFER], base[HOST_PATH_BUFFER], ext[HOST_PATH_BUFFER];
  Host_Report_Capture capture;
  Host_Split_Path(path.c_str(), dir, base, ext);
  EXPECT_EQ(std::wcslen(base), size_t(HOST_PATH_BUFFER - 1));
  EXPECT_STREQ(dir, L"/d/");
  EXPECT_STREQ(ext, L".e");
  ASSERT_EQ(capture.Count(2), 1u);
  EXPECT_TRUE(capture.Contains("2000 characters"));
}

TEST(HostLastSlash, EitherSeparator) {
  const wchar_t* p = L"a/b\\c";
  EXPECT_EQ(Host_Last_Slash(p), p + 3);
  EXPECT_EQ(Host_Last_Slash(L"abc"), nullptr);
  EXPECT_EQ(Host_Last_Slash(nullptr), nullptr);
}

std::wstring Clip(const wchar_t* text, int width, int tail = 0) {
  std::wstring s = text;
  Host_Clip_String(s.data(), width, tail);
  return s.c_str();
}

TEST(HostClipString, LimitsTable) {
  struct Case { const wchar_t* text; int width, tail; const wchar_t* out; };
  const Case cases[] = {
      {L"abcdef", 6, 0, L"abcdef"},      // fits exactly: untouched
      {L"abcdefg", 6, 0, L"abc..."},
      {L"abcdefg", 4, 0, L"a..."},
      {L"abcdefg", 3, 0, L"..."},        // no room for text: the dots alone
      {L"abcdefg", 2, 0, L".."},
      {L"abcdefg", 0, 0, L""},
      {L"abcdefg", -5, 0, L""},
      {L"abcdefghij", 8, 2, L"abc...ij"}, // head and tail kept
      {L"abcdefghij", 8, 5, L"...fghij"}, // tail capped at the room left
      {L"abcdefghij", 8, 50, L"...fghij"},
      {L"abcdefghij", 10, 2, L"abcdefghij"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Clip(c.text, c.width, c.tail), c.out) << Host_Wide_To_Char(c.text) << " " << c.width;
  EXPECT_EQ(Host_Clip_String(nullptr, 5), nullptr);
}

std::wstring Clip_Path(const wchar_t* path, int width) {
  std::wstring s = path;
  Host_Clip_File_Name(s.data(), width);
  return s.c_str();
}

TEST(HostClipFileName, Table) {
  const wchar_t* p = L"/home/user/scans/2024/head.nii";  // 30 characters
  struct Case { const wchar_t* path; int width; const wchar_t* out; };
  const Case cases[] = {
      {p, 30, p},
      {p, 29, L"/home/.../scans/2024/head.nii"},    // first folder, "...", the folders that fit
      {p, 23, L"/home/.../2024/head.nii"},
      {p, 22, L"/home/.../head.nii"},
      {p, 18, L"/home/.../head.nii"},
      {p, 17, L".../2024/head.nii"},                // first folder dropped too
      {p, 12, L".../head.nii"},
      {p, 11, L"...head.nii"},                      // even the separator goes
      {p, 8, L"head.nii"},                          // the base name alone, whole
      {p, 6, L"hea..."},                            // the base name itself cut
      {L"C:\\data\\x\\y\\img.tga", 17, L"C:\\...\\y\\img.tga"},
      {L"relative/a/bb/cc/file", 17, L"relative/.../file"},
      {L"relative/a/bb/cc/file", 16, L".../a/bb/cc/file"},  // no room for the first folder
      {L"nofolders_at_all.txt", 10, L"nofolde..."},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Clip_Path(c.path, c.width), c.out) << Host_Wide_To_Char(c.path) << " " << c.width;
}

TEST(HostClipFileName, NeverLongerAndKeepsTheBaseWhenItFits) {
  const wchar_t* paths[] = {L"/home/user/scans/2024/head.nii", L"a/b/c/d/e/f/g/h", L"//srv/share/x/y.z",
                            L"\\\\srv\\share\\deep\\deeper\\file.ext", L"/x"};
  for (const wchar_t* p : paths) {
    std::wstring base = std::wstring(Host_Last_Slash(p) + 1);
    for (int w = 0; w <= int(std::wcslen(p)) + 2; ++w) {
      std::wstring out = Clip_Path(p, w);
      EXPECT_LE(out.size(), size_t(w)) << Host_Wide_To_Char(p) << " " << w;
      if (base.size() <= size_t(w)) {
        ASSERT_GE(out.size(), base.size());
        EXPECT_EQ(out.substr(out.size() - base.size()), base) << Host_Wide_To_Char(p) << " " << w;
      }
    }
  }
}

class HostFiles : public ::testing::Test {
protected:
  void SetUp() override {
    char templ[] = "/tmp/hostkit_files_XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    root_ = templ;
  }
  void TearDown() override {
    std::string cmd = "rm -rf '" + root_ + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
  }
  std::wstring W(const std::string& rel) const { return Host_Char_To_Wide((root_ + rel).c_str()); }
  std::string root_;
};

TEST_F(HostFiles, TestsTellFilesFromFolders) {
  std::string file = root_ + "/f\xC3\xA9.txt";  // a non-ASCII name goes to disk as UTF-8
  FILE* f = std::fopen(file.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_TRUE(Host_Is_File(W("/f\xC3\xA9.txt").c_str()));
  EXPECT_FALSE(Host_Is_Dir(W("/f\xC3\xA9.txt").c_str()));
  EXPECT_TRUE(Host_Is_Dir(W("").c_str()));
  EXPECT_FALSE(Host_Is_File(W("").c_str()));
  EXPECT_FALSE(Host_Is_File(W("/missing").c_str()));
  EXPECT_FALSE(Host_Is_Dir(W("/missing").c_str()));
  EXPECT_FALSE(Host_Is_File(nullptr));
  EXPECT_FALSE(Host_Is_Dir(L""));
}

TEST_F(HostFiles, CreateDirMakesParentsAndAcceptsExisting) {
  EXPECT_TRUE(Host_Create_Dir(W("/a/b//c/").c_str()));
  EXPECT_TRUE(Host_Is_Dir(W("/a/b/c").c_str()));
  EXPECT_TRUE(Host_Create_Dir(W("/a/b").c_str()));  // already there
  EXPECT_FALSE(Host_Create_Dir(nullptr));
  EXPECT_FALSE(Host_Create_Dir(L""));
  // A file in the way of a level makes it fail.
  FILE* f = std::fopen((root_ + "/plain").c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_FALSE(Host_Create_Dir(W("/plain").c_str()));
  EXPECT_FALSE(Host_Create_Dir(W("/plain/sub").c_str()));
}

}  // namespace
