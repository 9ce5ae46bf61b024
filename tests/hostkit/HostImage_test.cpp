// Image records built from memory: pixel access of every kind, value ranges, geometry, conversions.
#include <hostkit/HostImage.h>
#include <hostkit/HostReport.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int NX = 4, NY = 3, NZ = 2;

struct Record_Deleter {
  void operator()(Host_Image_Record* r) const { Host_Image_Free(r); }
};
using Record_Ptr = std::unique_ptr<Host_Image_Record, Record_Deleter>;

int Index(int x, int y, int z) { return x + NX * y + NX * NY * z; }

// Every pixel gets its own value, so a swapped axis or a wrong stride reads a different one.
template <class T>
std::vector<T> Ramp(long long offset, long long step) {
  std::vector<T> v(NX * NY * NZ);
  for (size_t i = 0; i < v.size(); ++i) v[i] = T(offset + step * static_cast<long long>(i));
  return v;
}

// Reads one element of the plane the way a caller of Host_Image_Pixel does.
long long Read_Element(const void* p, int kind) {
  switch (kind) {
    case HOST_PIXEL_U8: return *static_cast<const uint8_t*>(p);
    case HOST_PIXEL_S8: return *static_cast<const int8_t*>(p);
    case HOST_PIXEL_U16: return *static_cast<const uint16_t*>(p);
    case HOST_PIXEL_S16: return *static_cast<const int16_t*>(p);
    case HOST_PIXEL_S32: return *static_cast<const int32_t*>(p);
  }
  return -1;
}

struct Kind_Case { const char* name; int kind; long long offset, step; };

const Kind_Case kKinds[] = {
    {"u8", HOST_PIXEL_U8, 10, 10},            // 10 ... 240
    {"s8", HOST_PIXEL_S8, -100, 8},           // crosses zero
    {"u16", HOST_PIXEL_U16, 65000, 20},       // above the signed 16-bit range
    {"s16", HOST_PIXEL_S16, -1000, 97},       // crosses zero
    {"s32", HOST_PIXEL_S32, -100000, 12345},  // beyond 16 bits both ways
};

Record_Ptr Make(const Kind_Case& c, const Host_Image_Layout* layout = nullptr) {
  switch (c.kind) {
    case HOST_PIXEL_U8: return Record_Ptr(Host_Image_Create(NX, NY, NZ, 1, c.kind, Ramp<uint8_t>(c.offset, c.step).data(), layout));
    case HOST_PIXEL_S8: return Record_Ptr(Host_Image_Create(NX, NY, NZ, 1, c.kind, Ramp<int8_t>(c.offset, c.step).data(), layout));
    case HOST_PIXEL_U16: return Record_Ptr(Host_Image_Create(NX, NY, NZ, 1, c.kind, Ramp<uint16_t>(c.offset, c.step).data(), layout));
    case HOST_PIXEL_S16: return Record_Ptr(Host_Image_Create(NX, NY, NZ, 1, c.kind, Ramp<int16_t>(c.offset, c.step).data(), layout));
    default: return Record_Ptr(Host_Image_Create(NX, NY, NZ, 1, c.kind, Ramp<int32_t>(c.offset, c.step).data(), layout));
  }
}

TEST(HostImage, EveryKindReadsEachPixelThroughEveryAccessFunction) {
  for (const Kind_Case& c : kKinds) {
    SCOPED_TRACE(c.name);
    Record_Ptr r = Make(c);
    ASSERT_TRUE(r);
    for (int z = 0; z < NZ; ++z)
      for (int y = 0; y < NY; ++y)
        for (int x = 0; x < NX; ++x) {
          long long want = c.offset + c.step * Index(x, y, z);
          EXPECT_EQ(Host_Image_Pixel_Int(nullptr, r.get(), x, y, z, 0), want) << x << "," << y << "," << z;
          void* p = Host_Image_Pixel(nullptr, r.get(), nullptr, 0, x, y, z, 0);
          ASSERT_NE(p, nullptr);
          EXPECT_EQ(Read_Element(p, c.kind), want);
          EXPECT_EQ(Host_Image_Pixel_Tag(nullptr, r.get(), x, y, z, 0), 0);  // zeroed plane
        }
    EXPECT_EQ(r->int_min, c.offset);
    EXPECT_EQ(r->int_max, c.offset + c.step * (NX * NY * NZ - 1));
    EXPECT_FLOAT_EQ(r->float_min, float(r->int_min));
    EXPECT_FLOAT_EQ(r->float_max, float(r->int_max));
  }
}

TEST(HostImage, ValueRangeFollowsSlopeAndIntercept) {
  struct Case { float slope, intercept; float lo, hi; };
  // s16 ramp -1000 ... 1231.
  const Case cases[] = {
      {1, 0, -1000, 1231},
      {2, -5, -2005, 2457},
      {-1, 10, -1221, 1010},  // a negative slope swaps the ends
      {0.5f, 1024, 524, 1639.5f},
  };
  for (const Case& c : cases) {
    Host_Image_Layout l;
    l.slope = c.slope;
    l.intercept = c.intercept;
    Record_Ptr r = Make(kKinds[3], &l);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->int_min, -1000);
    EXPECT_EQ(r->int_max, 1231);
    EXPECT_FLOAT_EQ(r->float_min, c.lo) << c.slope;
    EXPECT_FLOAT_EQ(r->float_max, c.hi) << c.slope;
  }
}

TEST(HostImage, OutsideCoordinatesReadNothing) {
  Record_Ptr r = Make(kKinds[3]);
  const int bad[][4] = {
      {-1, 0, 0, 0},  // left of column 0
      {NX, 0, 0, 0},  // past the last column
      {0, -1, 0, 0},  // above row 0
      {0, NY, 0, 0},  // past the last row
      {0, 0, NZ, 0},  // past the last slice
      {0, 0, -1, 0},  // before slice 0
      {0, 0, 0, 1},   // past the only time point
  };
  for (const auto& b : bad) {
    EXPECT_EQ(Host_Image_Pixel_Int(nullptr, r.get(), b[0], b[1], b[2], b[3]), HOST_IMAGE_NONE);
    EXPECT_EQ(Host_Image_Pixel_Tag(nullptr, r.get(), b[0], b[1], b[2], b[3]), 0);
    EXPECT_EQ(Host_Image_Pixel(nullptr, r.get(), r->tags, HOST_PIXEL_TAG, b[0], b[1], b[2], b[3]), nullptr);
  }
}

TEST(HostImage, TagWrittenThroughPixelPointerReadsBackAtThatPixelOnly) {
  Record_Ptr r = Make(kKinds[0]);
  auto* p = static_cast<uint8_t*>(Host_Image_Pixel(nullptr, r.get(), r->tags, HOST_PIXEL_TAG, 2, 1, 1, 0));
  ASSERT_NE(p, nullptr);
  *p = 7;
  int written = 0;
  for (int z = 0; z < NZ; ++z)
    for (int y = 0; y < NY; ++y)
      for (int x = 0; x < NX; ++x) written += Host_Image_Pixel_Tag(nullptr, r.get(), x, y, z, 0);
  EXPECT_EQ(written, 7);
  EXPECT_EQ(Host_Image_Pixel_Tag(nullptr, r.get(), 2, 1, 1, 0), 7);
  // The grey plane is untouched.
  EXPECT_EQ(Host_Image_Pixel_Int(nullptr, r.get(), 2, 1, 1, 0), 10 + 10 * Index(2, 1, 1));
}

TEST(HostImage, PixelPointerRefusesAKindThatDoesNotFitThePlane) {
  Record_Ptr r = Make(kKinds[3]);
  Host_Report_Capture cap;
  EXPECT_EQ(Host_Image_Pixel(nullptr, r.get(), r->tags, HOST_PIXEL_S16, 0, 0, 0, 0), nullptr);
  EXPECT_EQ(Host_Image_Pixel(nullptr, r.get(), nullptr, HOST_PIXEL_TAG, 0, 0, 0, 0), nullptr);
  EXPECT_EQ(Host_Image_Pixel(nullptr, r.get(), nullptr, 77, 0, 0, 0, 0), nullptr);
  EXPECT_EQ(cap.Count(2), 6u);  // each refusal and its source line
  // A plane of the caller's own with a named kind is addressed with that kind's size.
  std::vector<float> mine(NX * NY * NZ);
  EXPECT_EQ(Host_Image_Pixel(nullptr, r.get(), mine.data(), HOST_PIXEL_FLOAT, 1, 2, 1, 0),
            &mine[Index(1, 2, 1)]);
}

TEST(HostImage, PaddingIsLeftOutOfTheRange) {
  std::vector<uint16_t> v = {5, 9, 0xFFFF, 7, 0xFFFF, 3};
  Host_Image_Layout l;
  l.pad_value = 0xFFFF;
  Record_Ptr r(Host_Image_Create(3, 2, 1, 1, HOST_PIXEL_U16, v.data(), &l));
  ASSERT_TRUE(r);
  EXPECT_EQ(r->int_min, 3);
  EXPECT_EQ(r->int_max, 9);
  // Padding is still read as stored; recognising it is the reader's business.
  EXPECT_EQ(Host_Image_Pixel_Int(nullptr, r.get(), 2, 0, 0, 0), 0xFFFF);
}

// The block-wise range scan against a plain loop over every element: each integer kind, with and
// without padding, at lengths around the scan's block, padding at the ends and everywhere.
TEST(HostImage, RangeScanMatchesAPlainLoop) {
  struct Case { int kind; int32_t pad; };
  const Case cases[] = {{HOST_PIXEL_U8, HOST_IMAGE_NO_PAD}, {HOST_PIXEL_S8, HOST_IMAGE_NO_PAD},
                        {HOST_PIXEL_U16, 7}, {HOST_PIXEL_S16, -2000}, {HOST_PIXEL_S16, HOST_IMAGE_NO_PAD},
                        {HOST_PIXEL_S32, 123456}, {HOST_PIXEL_S32, HOST_IMAGE_NO_PAD}};
  std::mt19937 rng(3);
  for (const Case& c : cases)
    for (int columns : {1, 255, 256, 257, 1031}) {
      SCOPED_TRACE(testing::Message() << "kind " << c.kind << ", pad " << c.pad << ", " << columns);
      for (int fill = 0; fill < 3; ++fill) {  // random values, pads at both ends, pads only
        Host_Image_Layout layout;
        layout.pad_value = c.pad;
        std::unique_ptr<Host_Image_Record, void (*)(Host_Image_Record*)> r(
            Host_Image_Create(columns, 2, 1, 1, c.kind, nullptr, &layout), Host_Image_Free);
        ASSERT_NE(r, nullptr);
        size_t n = size_t(columns) * 2, size = size_t(Host_Image_Kind_Size(c.kind));
        std::vector<uint8_t> bytes(n * size);
        for (uint8_t& b : bytes) b = uint8_t(rng());
        r->pixels = std::malloc(bytes.size());
        std::memcpy(r->pixels, bytes.data(), bytes.size());
        bool pads = c.pad != HOST_IMAGE_NO_PAD;
        for (size_t i = 0; i < n && pads; ++i)
          if (fill == 2 || i == 0 || i + 1 == n) std::memcpy(static_cast<uint8_t*>(r->pixels) + i * size, &c.pad, size);
        int lo = 0, hi = 0;
        bool any = false;
        for (int i = 0; i < int(n); ++i) {
          int v = Host_Image_Pixel_Int(nullptr, r.get(), i % columns, i / columns, 0, 0);
          if (pads && v == c.pad) continue;
          lo = any ? std::min(lo, v) : v;
          hi = any ? std::max(hi, v) : v;
          any = true;
        }
        Host_Image_Range_Update(r.get());
        EXPECT_EQ(r->int_min, lo);
        EXPECT_EQ(r->int_max, hi);
      }
    }
}

TEST(HostImage, FloatPixelsRoundTripThroughTheirConversion) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  std::vector<float> v = {-2.5f, 0.125f, nan, 1000.0f, 3.75f, -0.001f};
  Record_Ptr r(Host_Image_Create(3, 2, 1, 1, HOST_PIXEL_FLOAT, v.data()));
  ASSERT_TRUE(r);
  EXPECT_FLOAT_EQ(r->float_min, -2.5f);
  EXPECT_FLOAT_EQ(r->float_max, 1000.0f);
  EXPECT_EQ(r->int_min, 0);
  EXPECT_EQ(r->int_max, 65535);
  for (int i = 0; i < 6; ++i) {
    int stored = Host_Image_Pixel_Int(nullptr, r.get(), i % 3, i / 3, 0, 0);
    if (std::isnan(v[i])) {
      EXPECT_EQ(stored, HOST_IMAGE_NONE);
      continue;
    }
    float back = Host_Image_Int_To_Float(stored, r->kind, r->conv_a, r->conv_b);
    EXPECT_NEAR(back, v[i], r->conv_b / 2 + 1e-4f) << i;
  }
}

TEST(HostImage, ColourPixelsPackRedInTheLowByte) {
  const uint8_t rgba[] = {1, 2, 3, 4, 200, 100, 50, 0};
  Record_Ptr r(Host_Image_Create(2, 1, 1, 1, HOST_PIXEL_RGBA, rgba));
  ASSERT_TRUE(r);
  EXPECT_EQ(Host_Image_Pixel_Int(nullptr, r.get(), 0, 0, 0, 0), 0x04030201);
  EXPECT_EQ(Host_Image_Pixel_Int(nullptr, r.get(), 1, 0, 0, 0), 0x003264C8);
  EXPECT_EQ(r->int_min, 0);  // colour records leave the range to their readers
  EXPECT_EQ(r->int_max, 0);
}

TEST(HostImage, RecordWithoutPixelsReadsNoValueButHasTags) {
  Record_Ptr r(Host_Image_Create(2, 2, 1, 1, HOST_PIXEL_S16, nullptr));
  ASSERT_TRUE(r);
  EXPECT_EQ(Host_Image_Pixel_Int(nullptr, r.get(), 0, 0, 0, 0), HOST_IMAGE_NONE);
  EXPECT_EQ(Host_Image_Pixel(nullptr, r.get(), nullptr, 0, 0, 0, 0, 0), nullptr);
  EXPECT_NE(Host_Image_Pixel(nullptr, r.get(), r->tags, 0, 1, 1, 0, 0), nullptr);
}

TEST(HostImage, MultiTimeRecordsStoreSlicesWithinEachTimePoint) {
  // 2 x 1 pixels, 2 slices, 3 times: frame n = slice + 2 * time.
  std::vector<int32_t> v(12);
  for (int i = 0; i < 12; ++i) v[i] = i;
  Record_Ptr r(Host_Image_Create(2, 1, 2, 3, HOST_PIXEL_S32, v.data()));
  ASSERT_TRUE(r);
  EXPECT_EQ(Host_Image_Pixel_Int(nullptr, r.get(), 1, 0, 1, 2), 11);
  EXPECT_EQ(Host_Image_Pixel_Int(nullptr, r.get(), 0, 0, 0, 1), 4);
  EXPECT_EQ(r->position_count, 6);
}

TEST(HostImage, CreateRefusesBadInput) {
  const int16_t px[4] = {};
  struct Case { const char* why; int c, r, s, t, kind; Vec4 row, col; };
  const Vec4 x(1.0f, 0.0f, 0.0f, 0.0f), y(0.0f, 1.0f, 0.0f, 0.0f), zero;
  const Case cases[] = {
      {"no columns", 0, 1, 1, 1, HOST_PIXEL_S16, x, y},
      {"too many rows", 1, 65536, 1, 1, HOST_PIXEL_S16, x, y},
      {"negative times", 1, 1, 1, -1, HOST_PIXEL_S16, x, y},
      {"tag kind is no grey kind", 1, 1, 1, 1, HOST_PIXEL_TAG, x, y},
      {"unknown kind", 1, 1, 1, 1, 7, x, y},
      {"parallel directions", 1, 1, 1, 1, HOST_PIXEL_S16, x, x * -2.0f},
      {"zero direction", 1, 1, 1, 1, HOST_PIXEL_S16, zero, y},
  };
  for (const Case& c : cases) {
    Host_Report_Capture cap;
    Host_Image_Layout l;
    l.dir_row = c.row;
    l.dir_col = c.col;
    EXPECT_EQ(Host_Image_Create(c.c, c.r, c.s, c.t, c.kind, px, &l), nullptr) << c.why;
    EXPECT_EQ(cap.Count(2), 2u) << c.why;
  }
}

// ---- geometry ------------------------------------------------------------------------------

struct V3 { double x, y, z; };
V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V3 Unit(V3 a) {
  double n = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
  return {a.x / n, a.y / n, a.z / n};
}

void Expect_Near(const Vec4& got, V3 want, double tolerance) {
  EXPECT_NEAR(got.x, want.x, tolerance);
  EXPECT_NEAR(got.y, want.y, tolerance);
  EXPECT_NEAR(got.z, want.z, tolerance);
}

TEST(HostImage, PatientMatrixPlacesEveryPixelAlongRowColumnAndNormal) {
  Host_Image_Layout l;
  l.position.set(10, -20, 30, 0);
  // An oblique plane: rows turned 30 degrees about z, columns tilted out of the xy-plane.
  V3 u = Unit({std::cos(0.5236), std::sin(0.5236), 0});
  V3 v = Unit({-std::sin(0.5236) * 0.8, std::cos(0.5236) * 0.8, 0.6});
  l.dir_row.set(float(u.x), float(u.y), float(u.z), 0);
  l.dir_col.set(float(v.x), float(v.y), float(v.z), 0);
  l.spacing_x = 0.7f;
  l.spacing_y = 1.3f;
  l.slice_spacing = 2.5f;
  Record_Ptr r = Make(kKinds[3], &l);
  ASSERT_TRUE(r);
  V3 n = Unit(Cross(u, v));
  Expect_Near(r->normal, n, 1e-6);
  EXPECT_EQ(r->orientation, HOST_ORIENT_OBLIQUE);
  for (int k = 0; k < NZ; ++k)
    for (int j = 0; j < NY; ++j)
      for (int i = 0; i < NX; ++i) {
        V3 want = {10 + i * 0.7 * u.x + j * 1.3 * v.x + k * 2.5 * n.x,
                   -20 + i * 0.7 * u.y + j * 1.3 * v.y + k * 2.5 * n.y,
                   30 + i * 0.7 * u.z + j * 1.3 * v.z + k * 2.5 * n.z};
        SCOPED_TRACE(testing::Message() << i << "," << j << "," << k);
        Vec4 got = Vec4(float(i), float(j), float(k), 0.0f).transform(r->frm_2_org);
        Expect_Near(got, want, 1e-4);
        Expect_Near(got.transform(r->org_2_frm), {double(i), double(j), double(k)}, 1e-4);
      }
  // The per-frame table holds the position of each slice.
  ASSERT_EQ(r->position_count, NZ);
  EXPECT_NEAR(r->positions[1].x, 10 + 2.5 * n.x, 1e-4);
  EXPECT_NEAR(r->positions[1].z, 30 + 2.5 * n.z, 1e-4);
}

TEST(HostImage, PatientAndFrameMatricesAreInverses) {
  Host_Image_Layout l;
  l.position.set(-120.5f, 88, 4, 0);
  l.dir_row.set(0, 1, 0, 0);
  l.dir_col.set(0, 0, -1, 0);
  l.spacing_x = 0.488f;
  l.spacing_y = 0.9f;
  l.slice_spacing = -3;  // slices stored against the normal
  Record_Ptr r = Make(kKinds[1], &l);
  ASSERT_TRUE(r);
  for (const Mat4& p : {r->frm_2_org * r->org_2_frm, r->org_2_frm * r->frm_2_org})
    for (int i = 0; i < 4; ++i)
      for (int j = 0; j < 4; ++j) EXPECT_NEAR(p.m[i][j], i == j ? 1.0 : 0.0, 1e-9) << i << j;
}

// ---- conversions and texts -----------------------------------------------------------------

TEST(HostImage, IntToFloatAppliesSlopeAndIntercept) {
  struct Case { int value, kind; float a, b, want; };
  const Case cases[] = {
      {100, HOST_PIXEL_S16, -1024, 1, -924},     // CT-like intercept
      {3, HOST_PIXEL_U16, 0.5f, 2, 6.5f},        // slope and intercept together
      {-7, HOST_PIXEL_S32, 1, -2, 15},           // negative slope
      {10, HOST_PIXEL_S16, 4, 0, 14},            // a missing slope counts as 1
      {200, HOST_PIXEL_TAG, 5, 3, 200},          // tags are no measurements
      {0x00102030, HOST_PIXEL_RGBA, 5, 3, float(0x00102030)},  // nor are colours
  };
  for (const Case& c : cases)
    EXPECT_FLOAT_EQ(Host_Image_Int_To_Float(c.value, c.kind, c.a, c.b), c.want) << c.value;
}

TEST(HostImage, IntToShortKeepsOrScalesIntoSixteenBits) {
  struct Case { int value, kind, lo, hi, want; };
  const Case cases[] = {
      {300, HOST_PIXEL_U8, 0, 0, 255},              // clamped to its own range
      {-5, HOST_PIXEL_U16, 0, 0, 0},
      {65535, HOST_PIXEL_U16, 0, 0, 65535},         // unsigned values stay unsigned
      {-40000, HOST_PIXEL_S16, 0, 0, -32768},
      {-1000, HOST_PIXEL_S32, -1024, 3071, -1000},  // range fits 16 bits: kept
      {60000, HOST_PIXEL_S32, 0, 65535, 60000},     // fits unsigned 16 bits: kept
      {50000, HOST_PIXEL_S32, -100000, 100000, 49151},   // wider: three quarters up the range
      {-100000, HOST_PIXEL_S32, -100000, 100000, 0},     // the range's ends map to the ends
      {100000, HOST_PIXEL_S32, -100000, 100000, 65535},
      {150000, HOST_PIXEL_S32, -100000, 100000, 65535},  // beyond the range: clamped
      {0x000000FF, HOST_PIXEL_RGBA, 0, 0, 76},      // pure red: luminance 0.299 * 255
  };
  for (const Case& c : cases)
    EXPECT_EQ(Host_Image_Int_To_Short(c.value, c.kind, c.lo, c.hi), c.want) << c.value;
}

TEST(HostImage, ModalityTextDecodesTheTwoLetters) {
  struct Case { int code; const char* want; };
  const Case cases[] = {
      {HOST_MODALITY_CT, "CT"}, {HOST_MODALITY_MR, "MR"}, {0x5054, "PT"}, {0x5553, "US"},
      {0, ""},                  // unknown modality
      {0x4300, "??"},           // one letter only
      {0x10043, "??"},          // not a 16-bit code
  };
  for (const Case& c : cases) EXPECT_STREQ(Host_Image_Modality_Text(c.code), c.want) << c.code;
}

TEST(HostImage, FreeHeadersReleasesEveryRecordAndClearsTheList) {
  Host_Image_Record* list[4] = {Make(kKinds[0]).release(), Make(kKinds[1]).release(),
                                Make(kKinds[2]).release(), nullptr};
  EXPECT_EQ(Host_Image_Free_Headers(nullptr, list), 3);
  for (auto* r : list) EXPECT_EQ(r, nullptr);
  EXPECT_EQ(Host_Image_Free_Headers(nullptr, list), 0);
  EXPECT_EQ(Host_Image_Free_Headers(nullptr, nullptr), 0);
}

TEST(HostImage, LaterRecordsCompareLater) {
  Record_Ptr a = Make(kKinds[0]), b = Make(kKinds[0]);
  EXPECT_LT(a->order, b->order);
}

TEST(HostImage, TextSetCopiesAndClears) {
  Record_Ptr r = Make(kKinds[0]);
  char source[] = "Maker";
  ASSERT_EQ(Host_Image_Text_Set(&r->manufacturer, source), 1);
  source[0] = 'X';  // the record keeps its own copy
  EXPECT_STREQ(r->manufacturer, "Maker");
  ASSERT_EQ(Host_Image_Text_Set(&r->manufacturer, nullptr), 1);
  EXPECT_EQ(r->manufacturer, nullptr);
  ASSERT_EQ(Host_Image_Text_Set(&r->file_name, L"/data/a.dcm"), 1);
  EXPECT_STREQ(r->file_name, L"/data/a.dcm");
}

}  // namespace
