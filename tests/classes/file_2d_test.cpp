// Tests of the 2D file record: the multi-frame bit and the module blocks it owns.
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

TEST(File_2D, ModuleBlocksAreReleasedWithTheFile) {
  auto* f = new Quarn_2D_File(L"/x/z.dcm", Records({{2, 1}, {1, 1}}));
  f->block_a[0] = std::malloc(32);
  f->block_b[1] = std::malloc(16);
  delete f;  // the leak checker of the sanitizer build catches a block left behind
}

}  // namespace
