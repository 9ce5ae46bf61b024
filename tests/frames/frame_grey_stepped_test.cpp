// Oblique views loaded row by row with stepped record indices must hold exactly what the chain
// reads pixel by pixel: frames wide and tall enough for long rows, every element kind, turns,
// zooms, weights that put many columns right at pixel edges, coordinates just below 0, reslices,
// and coordinates too large to step.
#include "frames/Grey_Kind_Cases.h"
#include "frames/Grey_Stepped_Run.h"

#include <sys/mman.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <string>

namespace {

using namespace layers_test;

constexpr int W = 131, H = 97, S = 3;
constexpr size_t Pad_Every = 37;

template <class T>
Host_Image_Record* Kind_Record(int kind, T first, T spread, int32_t pad) {
  std::vector<T> v(size_t(W) * H * S);
  for (size_t i = 0; i < v.size(); ++i) v[i] = T(first + T((i * 2654435761u) % uint32_t(spread)));
  // Padding elements strewn over every slice, so that each way through a row meets some.
  for (size_t i = 5; i < v.size(); i += Pad_Every) v[i] = T(pad);
  return Padded_Record(W, H, S, kind, v, pad);
}

const Kind_Case Kinds[] = {
    {"U8", [] { return Kind_Record<uint8_t>(HOST_PIXEL_U8, 0, 250, 7); }},
    {"S8", [] { return Kind_Record<int8_t>(HOST_PIXEL_S8, -100, 120, -5); }},
    {"U16", [] { return Kind_Record<uint16_t>(HOST_PIXEL_U16, 0, 60000, 999); }},
    {"S16", [] { return Kind_Record<int16_t>(HOST_PIXEL_S16, -1000, 4000, -1000); }},
    {"S32", [] { return Kind_Record<int32_t>(HOST_PIXEL_S32, -70000, 140000, -7); }},
    {"float", [] { return Kind_Record<float>(HOST_PIXEL_FLOAT, -3.5f, 900, 0); }},
    {"colour", [] { return Kind_Record<uint32_t>(HOST_PIXEL_RGBA, 0x00102030, 0x00FFFFFF, 0); }},
};

// Turn by angle about the slice normal around (cx, cy), scaled by zoom.
Mat4 Turned(double angle, double zoom = 1, double cx = (W - 1) / 2.0, double cy = (H - 1) / 2.0) {
  const double c = zoom * std::cos(angle), s = zoom * std::sin(angle);
  return Rows({{c, s, 0, 0}, {-s, c, 0, 0}, {0, 0, 1, 0}, {cx - c * cx + s * cy, cy - s * cx - c * cy, 0, 1}});
}

struct View_Case {
  const char* what;
  Mat4 m;
  int slice = 1;  // the frame's slice
};

const View_Case Views[] = {
    {"turned 30 degrees", Turned(M_PI / 6)},
    {"turned -17 degrees", Turned(-17 * M_PI / 180)},
    {"turned almost a right angle", Turned(89.9 * M_PI / 180)},
    {"zoomed by a third and turned", Turned(0.2, 1.0 / 3)},
    // Column k maps to k * (1 - 1e-7): within rounding of a pixel edge at nearly every column.
    {"a hair under whole columns", Rows({{1 - 1e-7, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0.1, 0, 1}})},
    // k * (1 - 1e-9) is below k, but rounds to k as a float: the index is k.
    {"rounding up to whole columns", Rows({{1 - 1e-9, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0.1, 0, 1}})},
    // Turned about the frame's corner and pulled half a pixel out: coordinates between -1 and
    // 0, which truncate to 0, along the first column and row.
    {"turned about the corner, just off it", Turned(0.01, 1, 0, 0) * Rows({{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {-0.7, -0.4, 0, 1}})},
    // Rows run through the slices, tilted: the slice index steps along each row.
    {"tilted reslice", Rows({{0.99, 0, 0.02, 0}, {0, 0, 1, 0}, {0.1, 1, 0, 0}, {0.3, 0, 0.2, 1}})},
    {"turned far off the record", Turned(0.5, 1, 3e6, 0)},
    // Mirrored and barely turned: column 0 of the last row reads the record's very last element,
    // where reading a whole 32-bit word from a narrower element would run past the block.
    {"mirrored on the last slice, its last element first",
     Rows({{-std::cos(1e-3), -1e-3, 0, 0}, {-1e-3, std::cos(1e-3), 0, 0}, {0, 0, 1, 0}, {W - 0.6, 0.4, 0, 1}}), S - 1},
};

// Both ways through the rows well inside the record: eight columns at a time where the
// processor allows, and one by one.
const bool Vector_Paths[] = {true, false};

using Grey_Stepped = Layers_Test;

TEST_F(Grey_Stepped, LongObliqueRowsHoldWhatTheChainReads) {
  for (const bool vector : Vector_Paths)
    for (const Kind_Case& k : Kinds)
      for (const View_Case& v : Views) {
        const std::string what = std::string(vector ? "vector / " : "scalar / ") + k.what + " / " + v.what;
        Frame_Tree tree(k.make());
        tree.group->mat_child_to_parent = new Mat4(v.m);
        Quarn_2D_Frame* f = tree.Frame(v.slice);
        const std::vector<int> expect = Chain_Reads(f);
        const bool before = quarn::Grey_Stepped_Vector_Allow(vector);
        int32_t** rows = f->Work_GLI_Load();
        quarn::Grey_Stepped_Vector_Allow(before);
        ASSERT_NE(rows, nullptr) << what;
        const std::vector<int> got = Layer_Cells(f);
        ASSERT_EQ(got.size(), expect.size());
        int wrong = 0, first = -1;
        for (size_t i = 0; i < got.size(); ++i)
          if (got[i] != expect[i] && wrong++ == 0) first = int(i);
        EXPECT_EQ(wrong, 0) << what << ": first at column " << first % W << " row " << first / W << ", "
                            << got[size_t(std::max(first, 0))] << " instead of " << expect[size_t(std::max(first, 0))];
      }
}

#if defined(__x86_64__)
// The vector path reads a whole 32-bit word at each element: for a narrower element at the end
// of the block that word runs past it. With the block's end against an unreadable page, the
// eight columns that would read its last element must be left to the caller, and the eight
// before them read.
TEST(Grey_Stepped_Vector, StopsBeforeReadingPastTheBlock) {
  if (!__builtin_cpu_supports("avx2")) GTEST_SKIP() << "no vector path on this processor";
  const long page = sysconf(_SC_PAGESIZE);
  void* pages = mmap(nullptr, size_t(2 * page), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(pages, MAP_FAILED);
  ASSERT_EQ(mprotect(static_cast<uint8_t*>(pages) + page, size_t(page), PROT_NONE), 0);
  constexpr int N = 64;  // one row of N bytes, its last against the unreadable page
  uint8_t* row = static_cast<uint8_t*>(pages) + page - N;
  for (int i = 0; i < N; ++i) row[i] = uint8_t(i + 100);
  constexpr long long One = 1ll << 32, Half = One / 2;
  quarn::Stepped_Run run;
  run.base = row;
  run.stride_a = 1, run.step_a = One;  // one element per column, halfway into each
  run.limit_a = run.limit_b = One - 2000;
  run.last_safe = N - 4;  // the last offset with four readable bytes
  int32_t out[8] = {};
  EXPECT_EQ(quarn::Stepped_Run_Vector(HOST_PIXEL_U8, run, (N - 8) * One + Half, Half, 8, out), 0);
  EXPECT_EQ(quarn::Stepped_Run_Vector(HOST_PIXEL_U8, run, (N - 12) * One + Half, Half, 8, out), 8);
  for (int k = 0; k < 8; ++k) EXPECT_EQ(out[k], N - 12 + k + 100) << "column " << k;
  munmap(pages, size_t(2 * page));
}
#endif

}  // namespace
