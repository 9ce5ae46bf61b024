// Tests of the 2D file record: sequence numbers, the multi-frame bit, matching and ownership.
#include <quarn/quarn.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

/// A reader-style null-terminated array of records of the given slice and time counts.
void** Records(std::initializer_list<std::pair<int, int>> shapes) {
  auto** list = static_cast<Host_Image_Record**>(std::calloc(shapes.size() + 1, sizeof(void*)));
  int i = 0;
  for (auto [slices, times] : shapes) list[i++] = Host_Image_Create(4, 3, slices, times, HOST_PIXEL_U16, nullptr);
  return reinterpret_cast<void**>(list);
}

TEST(File_2D, SequenceNumbersFollowConstruction) {
  const uint16_t first = Quarn_2D_File::Counter_Get();
  Quarn_2D_File a(L"/data/a.dcm", Records({{1, 1}}));
  Quarn_2D_File b(L"/data/b.dcm", Records({{1, 1}}));
  EXPECT_EQ(a.Class_B_Get(), first);
  EXPECT_EQ(b.Class_B_Get(), uint16_t(first + 1));
  EXPECT_EQ(a.Class_Magic_Get(), 0xABBB);
}

TEST(File_2D, MultiFrameBitCountsSlicesTimesOverRecords) {
  struct Case {
    std::initializer_list<std::pair<int, int>> shapes;
    uint16_t class_a;
  };
  const Case cases[] = {
      {{{1, 1}}, 0},            // one frame in all
      {{{2, 1}}, 0x80},         // two slices
      {{{1, 3}}, 0x80},         // three time points
      {{{1, 1}, {1, 1}}, 0x80}, // two single-frame records
      {{}, 0},                  // no record at all
  };
  for (const Case& c : cases) {
    Quarn_2D_File f(L"/x/y.dcm", Records(c.shapes));
    EXPECT_EQ(f.Class_A_Get(), c.class_a) << f.Record_Count();
    EXPECT_EQ(f.Record_Count(), int(c.shapes.size()));
  }
}

TEST(File_2D, NameIsBaseNameAndMatchComparesThePath) {
  Quarn_2D_File f(L"/scans/head/ct_01.dcm", Records({{1, 1}}));
  EXPECT_STREQ(f.Name_Get(), L"ct_01");
  EXPECT_STREQ(f.Path_Get(), L"/scans/head/ct_01.dcm");
  EXPECT_EQ(f.Match(L"/scans/head/ct_01.dcm"), 0);
  EXPECT_EQ(f.Match(L"ct_01"), -1);               // '/' sorts before 'c'
  EXPECT_EQ(f.Match(L"/scans/head/ct_01.dc"), 1);  // a prefix is smaller
  EXPECT_EQ(f.Match(L"/scans/head/ct_01.dcm\x8000"), -1);  // code units compare unsigned
}

TEST(File_2D, ModuleBlocksAreReleasedWithTheFile) {
  auto* f = new Quarn_2D_File(L"/x/z.dcm", Records({{2, 1}, {1, 1}}));
  f->block_a[0] = std::malloc(32);
  f->block_b[1] = std::malloc(16);
  delete f;  // the leak checker of the sanitizer build catches a block left behind
}

TEST(File_2D, MatchReportsAnInvalidRecord) {
  Host_Report_Capture capture;
  Quarn_2D_File f(L"/x/w.dcm", Records({}));
  f.Class_Magic_Set(0x1234);
  f.Match(L"/x/w.dcm");
  EXPECT_TRUE(capture.Contains("Invalid 2D file structure in Quarn_2D_File::Match"));
  f.Class_Magic_Set(0xABBB);
}

}  // namespace
