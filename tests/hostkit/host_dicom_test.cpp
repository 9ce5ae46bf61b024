// DICOM series written as synthetic phantoms and read back: pixels, order, geometry, values,
// headers, multi-frame tables, series splitting, and damaged files reported without a record.
#include <hostkit/HostDicom.h>
#include <hostkit/HostRecords.h>
#include <hostkit/HostReport.h>
#include <hostkit/HostUtil.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::wstring Wide(const fs::path& p) { return Host_Char_To_Wide(p.string().c_str()); }

// A folder of its own for each test, removed afterwards.
class HostDicom : public ::testing::Test {
protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("quarn_dicom_" + std::to_string(getpid()) + "_" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Sub(const std::string& name) const { return dir_ / name; }

  /// A folder of its own with the phantom written into it (files: the count it must give, -1 any).
  fs::path Written(const Host_Phantom_Options& o, int files = -1) {
    const fs::path folder = Sub("p" + std::to_string(written_++));
    const int got = Host_Dicom_Write_Phantom(Wide(folder).c_str(), &o);
    EXPECT_TRUE(files < 0 ? got > 0 : got == files) << got;
    return folder;
  }

  fs::path dir_;
  int written_ = 0;
};

// The list a reader returns, released with the test.
struct Series {
  int count = 0;  // before list, which the constructors fill together with it
  Host_Image_Record** list = nullptr;

  explicit Series(const fs::path& path, int flags = HOST_DICOM_RECURSIVE)
      : list(Host_Dicom_Read_Series(Wide(path).c_str(), &count, flags)) {}
  explicit Series(const std::vector<fs::path>& files) {
    std::vector<std::wstring> wide;
    for (const fs::path& f : files) wide.push_back(Wide(f));
    std::vector<const wchar_t*> names;
    for (const std::wstring& w : wide) names.push_back(w.c_str());
    list = Host_Dicom_Read_Files(names.data(), int(names.size()), &count);
  }
  ~Series() { Host_Dicom_Free_Series(list); }
  Series(const Series&) = delete;
  Series& operator=(const Series&) = delete;

  Host_Image_Record* operator[](int i) const { return list[i]; }
};

int Write(const fs::path& folder, const Host_Phantom_Options& o) {
  return Host_Dicom_Write_Phantom(Wide(folder).c_str(), &o);
}

std::vector<fs::path> Files_Of(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(folder)) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<char> Bytes_Of(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

void Put_Bytes(const fs::path& file, const std::vector<char>& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
}

// Counts pixels (all slices and time points) whose stored value differs from the phantom's.
int Mismatches(const Host_Image_Record* r, const Host_Phantom_Options& o) {
  int bad = 0;
  for (int t = 0; t < r->times; ++t)
    for (int k = 0; k < r->slices; ++k)
      for (int j = 0; j < r->rows; ++j)
        for (int i = 0; i < r->columns; ++i)
          bad += Host_Image_Pixel_Int(nullptr, r, i, j, k, t) != Host_Dicom_Phantom_Value(&o, i, j, k, t);
  return bad;
}

// Patient position of pixel (i, j) of slice k, from what was written, not from the record.
void Patient_Position(const Host_Phantom_Options& o, double i, double j, double k, double out[3]) {
  const Vec4 &u = o.dir_row, &v = o.dir_col;
  double n[3] = {double(u.y) * v.z - double(u.z) * v.y, double(u.z) * v.x - double(u.x) * v.z,
                 double(u.x) * v.y - double(u.y) * v.x};
  double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  const double p[3] = {o.position.x, o.position.y, o.position.z};
  const double du[3] = {u.x, u.y, u.z}, dv[3] = {v.x, v.y, v.z};
  for (int a = 0; a < 3; ++a)
    out[a] = p[a] + i * o.spacing_x * du[a] + j * o.spacing_y * dv[a] + k * o.slice_spacing * n[a] / len;
}

// Overwrites the value of an explicit little-endian US element; false when it is not found.
bool Patch_US(std::vector<char>& b, uint16_t group, uint16_t element, uint16_t value) {
  const char key[8] = {char(group & 0xFF), char(group >> 8), char(element & 0xFF), char(element >> 8),
                       'U', 'S', 2, 0};
  auto at = std::search(b.begin(), b.end(), key, key + 8);
  if (at == b.end()) return false;
  at[8] = char(value & 0xFF);
  at[9] = char(value >> 8);
  return true;
}

// Offset of the first occurrence of a tag written little endian, or the size when absent.
size_t Tag_Offset(const std::vector<char>& b, uint16_t group, uint16_t element) {
  const char key[4] = {char(group & 0xFF), char(group >> 8), char(element & 0xFF), char(element >> 8)};
  return size_t(std::search(b.begin(), b.end(), key, key + 4) - b.begin());
}

Vec4 V(float x, float y, float z) { return Vec4(x, y, z, 0.0f); }

void Expect_Near(const Vec4& got, const double want[3], double tolerance) {
  EXPECT_NEAR(got.x, want[0], tolerance);
  EXPECT_NEAR(got.y, want[1], tolerance);
  EXPECT_NEAR(got.z, want[2], tolerance);
}

// The toolkit's JPEG 2000 encoder overruns its output buffer on images much smaller than this
// (AddressSanitizer sees it): JPEG 2000 phantoms are written at least this wide and high.
constexpr int kJpeg2000Side = 32;

void Jpeg2000_Size(Host_Phantom_Options& o) {
  if (o.encoding != HOST_PHANTOM_JPEG_2000) return;
  o.columns = std::max(o.columns, kJpeg2000Side);
  o.rows = std::max(o.rows, kJpeg2000Side);
}

Host_Phantom_Options Small(int columns = 12, int rows = 10, int slices = 3) {
  Host_Phantom_Options o;
  o.columns = columns;
  o.rows = rows;
  o.slices = slices;
  return o;
}

// ---- pixels ------------------------------------------------------------------------------------

TEST_F(HostDicom, PixelsRoundTripInEveryLayoutAndEncoding) {
  struct Case { const char* name; uint16_t modality; int bits, layout, encoding, times;
                bool scramble; int kind; int columns = 20, rows = 16; };
  const Case cases[] = {
      {"CT files, explicit", HOST_MODALITY_CT, 16, HOST_PHANTOM_FILES, HOST_PHANTOM_EXPLICIT, 1, false, HOST_PIXEL_S16},
      {"CT files, implicit", HOST_MODALITY_CT, 16, HOST_PHANTOM_FILES, HOST_PHANTOM_IMPLICIT, 1, true, HOST_PIXEL_S16},
      {"CT files, RLE", HOST_MODALITY_CT, 16, HOST_PHANTOM_FILES, HOST_PHANTOM_RLE, 1, true, HOST_PIXEL_S16},
      {"CT enhanced, scrambled frames", HOST_MODALITY_CT, 16, HOST_PHANTOM_MULTI_FRAME, HOST_PHANTOM_EXPLICIT, 1, true, HOST_PIXEL_S16},
      {"CT enhanced, RLE", HOST_MODALITY_CT, 16, HOST_PHANTOM_MULTI_FRAME, HOST_PHANTOM_RLE, 1, true, HOST_PIXEL_S16},
      {"CT evenly spaced frames", HOST_MODALITY_CT, 16, HOST_PHANTOM_EVEN_FRAMES, HOST_PHANTOM_IMPLICIT, 1, false, HOST_PIXEL_S16},
      {"MR 8-bit files", HOST_MODALITY_MR, 8, HOST_PHANTOM_FILES, HOST_PHANTOM_EXPLICIT, 1, true, HOST_PIXEL_U8},
      {"MR 8-bit RLE frames", HOST_MODALITY_MR, 8, HOST_PHANTOM_EVEN_FRAMES, HOST_PHANTOM_RLE, 1, false, HOST_PIXEL_U8},
      {"MR 16-bit files", HOST_MODALITY_MR, 16, HOST_PHANTOM_FILES, HOST_PHANTOM_EXPLICIT, 1, false, HOST_PIXEL_U16},
      {"MR 16-bit enhanced, implicit", HOST_MODALITY_MR, 16, HOST_PHANTOM_MULTI_FRAME, HOST_PHANTOM_IMPLICIT, 1, true, HOST_PIXEL_U16},
      {"CT files, JPEG lossless", HOST_MODALITY_CT, 16, HOST_PHANTOM_FILES, HOST_PHANTOM_JPEG_LOSSLESS, 1, true, HOST_PIXEL_S16},
      {"MR 8-bit JPEG lossless frames", HOST_MODALITY_MR, 8, HOST_PHANTOM_EVEN_FRAMES, HOST_PHANTOM_JPEG_LOSSLESS, 1, false, HOST_PIXEL_U8},
      {"MR 16-bit enhanced, JPEG-LS", HOST_MODALITY_MR, 16, HOST_PHANTOM_MULTI_FRAME, HOST_PHANTOM_JPEG_LS, 1, true, HOST_PIXEL_U16},
      {"CT enhanced, JPEG 2000", HOST_MODALITY_CT, 16, HOST_PHANTOM_MULTI_FRAME, HOST_PHANTOM_JPEG_2000, 1, true, HOST_PIXEL_S16},
      {"MR 8-bit files, JPEG 2000", HOST_MODALITY_MR, 8, HOST_PHANTOM_FILES, HOST_PHANTOM_JPEG_2000, 1, false, HOST_PIXEL_U8},
      {"CT dynamic files", HOST_MODALITY_CT, 16, HOST_PHANTOM_FILES, HOST_PHANTOM_EXPLICIT, 3, true, HOST_PIXEL_S16},
      {"MR dynamic enhanced", HOST_MODALITY_MR, 16, HOST_PHANTOM_MULTI_FRAME, HOST_PHANTOM_EXPLICIT, 2, true, HOST_PIXEL_U16},
      // Big-endian values are swapped as they are walked, deflated data sets inflated first.
      {"CT files, big endian", HOST_MODALITY_CT, 16, HOST_PHANTOM_FILES, HOST_PHANTOM_BIG_ENDIAN, 1, true, HOST_PIXEL_S16},
      {"MR 16-bit enhanced, big endian", HOST_MODALITY_MR, 16, HOST_PHANTOM_MULTI_FRAME, HOST_PHANTOM_BIG_ENDIAN, 2, true, HOST_PIXEL_U16},
      {"MR 8-bit files, big endian", HOST_MODALITY_MR, 8, HOST_PHANTOM_FILES, HOST_PHANTOM_BIG_ENDIAN, 1, false, HOST_PIXEL_U8},
      {"CT files, deflated", HOST_MODALITY_CT, 16, HOST_PHANTOM_FILES, HOST_PHANTOM_DEFLATED, 1, true, HOST_PIXEL_S16},
      {"MR 16-bit enhanced, deflated", HOST_MODALITY_MR, 16, HOST_PHANTOM_MULTI_FRAME, HOST_PHANTOM_DEFLATED, 1, true, HOST_PIXEL_U16},
      // Slices of 320 KB come from their files in parts, each swapped where it lands.
      {"CT files, big endian, large slices", HOST_MODALITY_CT, 16, HOST_PHANTOM_FILES, HOST_PHANTOM_BIG_ENDIAN, 1, false, HOST_PIXEL_S16, 400, 400},
      {"MR 16-bit enhanced, big endian, large frames", HOST_MODALITY_MR, 16, HOST_PHANTOM_EVEN_FRAMES, HOST_PHANTOM_BIG_ENDIAN, 1, false, HOST_PIXEL_U16, 400, 400},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Host_Phantom_Options o = Small(c.columns, c.rows, 5);
    o.modality = c.modality;
    o.bits = c.bits;
    o.layout = c.layout;
    o.encoding = c.encoding;
    o.times = c.times;
    o.scramble = c.scramble;
    Jpeg2000_Size(o);
    const fs::path folder = Written(o, c.layout == HOST_PHANTOM_FILES ? o.slices * o.times : 1);
    Host_Report_Capture cap;
    Series s(folder);
    ASSERT_EQ(s.count, 1);
    const Host_Image_Record* r = s[0];
    EXPECT_EQ(s[1], nullptr);  // null-terminated
    EXPECT_EQ(r->columns, o.columns);
    EXPECT_EQ(r->rows, o.rows);
    EXPECT_EQ(r->slices, 5);
    EXPECT_EQ(r->times, c.times);
    EXPECT_EQ(r->kind, c.kind);
    EXPECT_EQ(Mismatches(r, o), 0);
    ASSERT_NE(r->tags, nullptr);
    std::vector<uint8_t> zero(size_t(o.columns) * size_t(o.rows) * 5 * size_t(c.times), 0);
    EXPECT_EQ(std::memcmp(r->tags, zero.data(), zero.size()), 0);
    EXPECT_EQ(cap.Count(2) + cap.Count(4), 0u);
  }
}

// Largest difference of one colour component between what was written and what was read.
int Colour_Error(const Host_Image_Record* r, const Host_Phantom_Options& o, double* mean) {
  int worst = 0;
  double sum = 0;
  size_t count = 0;
  for (int k = 0; k < r->slices; ++k)
    for (int j = 0; j < r->rows; ++j)
      for (int i = 0; i < r->columns; ++i) {
        uint32_t got = uint32_t(Host_Image_Pixel_Int(nullptr, r, i, j, k, 0));
        uint32_t want = uint32_t(Host_Dicom_Phantom_Value(&o, i, j, k, 0));
        for (int c = 0; c < 4; ++c) {
          int d = std::abs(int(got >> (8 * c) & 0xFF) - int(want >> (8 * c) & 0xFF));
          worst = std::max(worst, d);
          sum += d;
          ++count;
        }
      }
  if (mean) *mean = sum / double(count);
  return worst;
}

// Colour images of every kind and encoding come out as RGBA records with opaque pixels.
TEST_F(HostDicom, ColourPixelsReadAsRgbaInEveryEncoding) {
  struct Case { const char* name; int pixels, encoding, planar, layout; int worst; double mean; };
  // Luminance and chroma round to whole numbers both ways (1); JPEG baseline is lossy (at the
  // edges of flat regions): a mean within 10 tells the right colour space, a wrong one is over 40.
  const Case cases[] = {
      {"RGB, interleaved", HOST_PHANTOM_RGB, HOST_PHANTOM_EXPLICIT, 0, HOST_PHANTOM_FILES, 0, 0},
      {"RGB, by plane", HOST_PHANTOM_RGB, HOST_PHANTOM_IMPLICIT, 1, HOST_PHANTOM_FILES, 0, 0},
      {"RGB, big endian", HOST_PHANTOM_RGB, HOST_PHANTOM_BIG_ENDIAN, 0, HOST_PHANTOM_FILES, 0, 0},
      {"RGB, deflated, by plane", HOST_PHANTOM_RGB, HOST_PHANTOM_DEFLATED, 1, HOST_PHANTOM_FILES, 0, 0},
      {"RGB frames, RLE", HOST_PHANTOM_RGB, HOST_PHANTOM_RLE, 0, HOST_PHANTOM_EVEN_FRAMES, 0, 0},
      {"RGB, JPEG 2000", HOST_PHANTOM_RGB, HOST_PHANTOM_JPEG_2000, 0, HOST_PHANTOM_FILES, 0, 0},
      {"RGB, JPEG lossless", HOST_PHANTOM_RGB, HOST_PHANTOM_JPEG_LOSSLESS, 0, HOST_PHANTOM_FILES, 0, 0},
      {"RGB, JPEG baseline", HOST_PHANTOM_RGB, HOST_PHANTOM_JPEG_BASELINE, 0, HOST_PHANTOM_FILES, 255, 10},
      {"YBR_FULL, interleaved", HOST_PHANTOM_YBR_FULL, HOST_PHANTOM_EXPLICIT, 0, HOST_PHANTOM_FILES, 1, 1},
      {"YBR_FULL, by plane", HOST_PHANTOM_YBR_FULL, HOST_PHANTOM_EXPLICIT, 1, HOST_PHANTOM_FILES, 1, 1},
      {"YBR_FULL, RLE", HOST_PHANTOM_YBR_FULL, HOST_PHANTOM_RLE, 0, HOST_PHANTOM_FILES, 1, 1},
      {"YBR_FULL, JPEG baseline", HOST_PHANTOM_YBR_FULL, HOST_PHANTOM_JPEG_BASELINE, 0, HOST_PHANTOM_FILES, 255, 10},
      {"YBR_FULL, JPEG 2000", HOST_PHANTOM_YBR_FULL, HOST_PHANTOM_JPEG_2000, 0, HOST_PHANTOM_FILES, 1, 1},
      {"YBR_FULL_422, native", HOST_PHANTOM_YBR_FULL_422, HOST_PHANTOM_EXPLICIT, 0, HOST_PHANTOM_FILES, 1, 1},
      {"YBR_FULL_422, JPEG baseline", HOST_PHANTOM_YBR_FULL_422, HOST_PHANTOM_JPEG_BASELINE, 0, HOST_PHANTOM_FILES, 255, 10},
      {"palette", HOST_PHANTOM_PALETTE, HOST_PHANTOM_EXPLICIT, 0, HOST_PHANTOM_FILES, 0, 0},
      {"palette, RLE", HOST_PHANTOM_PALETTE, HOST_PHANTOM_RLE, 0, HOST_PHANTOM_FILES, 0, 0},
      {"palette, JPEG 2000", HOST_PHANTOM_PALETTE, HOST_PHANTOM_JPEG_2000, 0, HOST_PHANTOM_FILES, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Host_Phantom_Options o = Small(24, 16, 3);
    o.pixels = c.pixels;
    o.encoding = c.encoding;
    o.planar = c.planar;
    o.layout = c.layout;
    Jpeg2000_Size(o);
    const fs::path folder = Written(o);
    Host_Report_Capture cap;
    Series s(folder);
    ASSERT_EQ(s.count, 1) << (cap.Count() ? cap.Texts()[0] : "");
    const Host_Image_Record* r = s[0];
    EXPECT_EQ(r->kind, HOST_PIXEL_RGBA);
    EXPECT_EQ(r->slices, 3);
    double mean = 0;
    EXPECT_LE(Colour_Error(r, o, &mean), c.worst);
    EXPECT_LE(mean, c.mean);
    EXPECT_EQ(cap.Count(2) + cap.Count(4), 0u);
  }
}

// 32-bit integers, float pixel data and dose grids keep their real values; unsigned values past
// the signed range and per-slice rescales turn the record into floats.
TEST_F(HostDicom, WidePixelsKeepTheirRealValues) {
  struct Case { const char* name; int pixels, encoding, layout; int kind; double tolerance; };
  const Case cases[] = {
      {"signed 32-bit", HOST_PHANTOM_S32, HOST_PHANTOM_EXPLICIT, HOST_PHANTOM_FILES, HOST_PIXEL_S32, 0},
      {"signed 32-bit, RLE", HOST_PHANTOM_S32, HOST_PHANTOM_RLE, HOST_PHANTOM_FILES, HOST_PIXEL_S32, 0},
      {"signed 32-bit, deflated", HOST_PHANTOM_S32, HOST_PHANTOM_DEFLATED, HOST_PHANTOM_MULTI_FRAME, HOST_PIXEL_S32, 0},
      // Values up to 4e9 in a float plane: float precision at that size.
      {"unsigned 32-bit beyond the signed range", HOST_PHANTOM_U32, HOST_PHANTOM_IMPLICIT, HOST_PHANTOM_FILES, HOST_PIXEL_FLOAT, 2e9 * 6e-8},
      {"float pixel data", HOST_PHANTOM_FLOAT, HOST_PHANTOM_EXPLICIT, HOST_PHANTOM_FILES, HOST_PIXEL_FLOAT, 0},
      {"float pixel data, enhanced", HOST_PHANTOM_FLOAT, HOST_PHANTOM_IMPLICIT, HOST_PHANTOM_MULTI_FRAME, HOST_PIXEL_FLOAT, 0},
      {"dose grid", HOST_PHANTOM_DOSE, HOST_PHANTOM_EXPLICIT, HOST_PHANTOM_EVEN_FRAMES, HOST_PIXEL_S32, 1e-9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Host_Phantom_Options o = Small(10, 8, 4);
    o.pixels = c.pixels;
    o.encoding = c.encoding;
    o.layout = c.layout;
    const fs::path folder = Written(o);
    Host_Report_Capture cap;
    Series s(folder);
    ASSERT_EQ(s.count, 1) << (cap.Count() ? cap.Texts()[0] : "");
    const Host_Image_Record* r = s[0];
    EXPECT_EQ(r->kind, c.kind);
    int bad = 0;
    for (int k = 0; k < 4; ++k)
      for (int j = 0; j < 8; ++j)
        for (int i = 0; i < 10; ++i) {
          int v = Host_Image_Pixel_Int(nullptr, r, i, j, k, 0);
          double real = r->kind == HOST_PIXEL_FLOAT ? static_cast<const float*>(r->pixels)[(k * 8 + j) * 10 + i]
                                                    : double(v) * r->conv_b + r->conv_a;
          double want = Host_Dicom_Phantom_Real(&o, i, j, k, 0);
          bad += std::fabs(real - want) > c.tolerance + std::fabs(want) * 1e-7;
        }
    EXPECT_EQ(bad, 0);
  }
}

// A dose grid places its frames by its grid frame offset vector; an uneven grid splits as any
// other series does.
TEST_F(HostDicom, DoseGridFramesSitAtTheirGridOffsets) {
  const float offsets[] = {0, 3, 6, 9, 15, 18};
  Host_Phantom_Options o = Small(10, 8, 6);
  o.pixels = HOST_PHANTOM_DOSE;
  o.layout = HOST_PHANTOM_EVEN_FRAMES;
  o.slice_offsets = offsets;
  ASSERT_EQ(Write(dir_, o), 1);
  Host_Report_Capture cap;
  Series s(dir_);
  ASSERT_EQ(s.count, 2);
  EXPECT_EQ(cap.Count(6), 1u);
  const int first[2] = {0, 4};
  for (int k = 0; k < 2; ++k) {
    const Host_Image_Record* r = s[k];
    EXPECT_NEAR(r->slice_spacing, 3, 1e-4);
    for (int z = 0; z < r->slices; ++z) {
      double want[3];
      Patient_Position(o, 0, 0, 0, want);
      want[2] += offsets[first[k] + z];
      Expect_Near(Vec4(0.0f, 0.0f, float(z), 0.0f).transform(r->frm_2_org), want, 1e-3);
      EXPECT_NEAR(double(Host_Image_Pixel_Int(nullptr, r, 5, 4, z, 0)) * r->conv_b + r->conv_a,
                  Host_Dicom_Phantom_Real(&o, 5, 4, first[k] + z, 0), 1e-6);
    }
  }
}

// Fewer stored bits than allocated: the bits above are dropped and the sign is extended.
TEST_F(HostDicom, StoredBitsAreMaskedAndSignExtended) {
  struct Case { const char* name; uint16_t modality; uint16_t stored; };
  const Case cases[] = {
      {"CT signed, 11 bits: values above 1023 turn negative", HOST_MODALITY_CT, 11},
      {"MR unsigned, 12 bits: 40000 loses its top bits", HOST_MODALITY_MR, 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir_);
    Host_Phantom_Options o = Small();
    o.modality = c.modality;
    ASSERT_EQ(Write(dir_, o), 3);
    for (const fs::path& f : Files_Of(dir_)) {
      std::vector<char> b = Bytes_Of(f);
      ASSERT_TRUE(Patch_US(b, 0x0028, 0x0101, c.stored));
      ASSERT_TRUE(Patch_US(b, 0x0028, 0x0102, uint16_t(c.stored - 1)));
      Put_Bytes(f, b);
    }
    Series s(dir_);
    ASSERT_EQ(s.count, 1);
    int mask = (1 << c.stored) - 1, sign = 1 << (c.stored - 1), bad = 0, changed = 0;
    for (int k = 0; k < o.slices; ++k)
      for (int j = 0; j < o.rows; ++j)
        for (int i = 0; i < o.columns; ++i) {
          int v = Host_Dicom_Phantom_Value(&o, i, j, k, 0) & mask;
          if (c.modality == HOST_MODALITY_CT) v = (v ^ sign) - sign;
          changed += v != Host_Dicom_Phantom_Value(&o, i, j, k, 0);
          bad += Host_Image_Pixel_Int(nullptr, s[0], i, j, k, 0) != v;
        }
    EXPECT_EQ(bad, 0);
    EXPECT_GT(changed, 0);  // the case really exercises the dropped bits
  }
}

// ---- order and geometry --------------------------------------------------------------------------

TEST_F(HostDicom, SlicesFollowPositionsNotFileNamesOrInstanceNumbers) {
  Host_Phantom_Options o = Small(16, 16, 7);
  o.scramble = true;                    // instance numbers out of slice order
  o.dir_col.set(0.0f, -1.0f, 0.0f, 0.0f);  // normal along -z: slice order is descending z
  ASSERT_EQ(Write(dir_, o), 7);
  // Rename the files in a shuffled order as well.
  std::vector<fs::path> files = Files_Of(dir_);
  std::vector<int> perm(files.size());
  for (size_t i = 0; i < perm.size(); ++i) perm[i] = int(i);
  std::shuffle(perm.begin(), perm.end(), std::mt19937(5));
  for (size_t i = 0; i < files.size(); ++i) fs::rename(files[i], Sub("tmp" + std::to_string(i)));
  for (size_t i = 0; i < files.size(); ++i)
    fs::rename(Sub("tmp" + std::to_string(i)), Sub("z" + std::to_string(perm[i]) + ".dcm"));

  Series folder(dir_);
  std::vector<fs::path> listed = Files_Of(dir_);
  std::reverse(listed.begin(), listed.end());
  Series list(listed);
  for (const Series* s : {&folder, &list}) {
    ASSERT_EQ(s->count, 1);
    const Host_Image_Record* r = (*s)[0];
    EXPECT_EQ(Mismatches(r, o), 0);
    ASSERT_EQ(r->position_count, 7);
    for (int k = 0; k < 7; ++k) {
      double p[3];
      Patient_Position(o, 0, 0, k, p);
      EXPECT_NEAR(r->positions[k].z, p[2], 1e-3) << k;
    }
    EXPECT_GT(r->positions[0].z, r->positions[6].z);
  }
}

TEST_F(HostDicom, GeometryPlacesEveryPixelWhereTheFileSaysInEachOrientation) {
  const float c30 = std::cos(0.5235988f), s30 = std::sin(0.5235988f);
  const float c20 = std::cos(0.3490659f), s20 = std::sin(0.3490659f);
  struct Case { const char* name; Vec4 row, col; int layout; uint16_t orientation; };
  const Case cases[] = {
      {"axial", V(1, 0, 0), V(0, 1, 0), HOST_PHANTOM_FILES, HOST_ORIENT_AXIAL},
      {"axial, rows upward", V(1, 0, 0), V(0, -1, 0), HOST_PHANTOM_FILES, HOST_ORIENT_AXIAL},
      {"sagittal", V(0, 1, 0), V(0, 0, -1), HOST_PHANTOM_FILES, HOST_ORIENT_SAGITTAL},
      {"coronal", V(1, 0, 0), V(0, 0, -1), HOST_PHANTOM_EVEN_FRAMES, HOST_ORIENT_CORONAL},
      // Rotated 30 degrees about z, then tilted 20 degrees about x.
      {"oblique files", V(c30, s30 * c20, s30 * s20), V(-s30, c30 * c20, c30 * s20), HOST_PHANTOM_FILES, HOST_ORIENT_OBLIQUE},
      {"oblique enhanced", V(c30, s30 * c20, s30 * s20), V(-s30, c30 * c20, c30 * s20), HOST_PHANTOM_MULTI_FRAME, HOST_ORIENT_OBLIQUE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Host_Phantom_Options o = Small(9, 7, 4);
    o.dir_row = c.row;
    o.dir_col = c.col;
    o.layout = c.layout;
    o.position.set(-31.5f, 12.25f, 104.0f, 0.0f);
    const fs::path folder = Written(o);
    Series s(folder);
    ASSERT_EQ(s.count, 1);
    const Host_Image_Record* r = s[0];
    EXPECT_EQ(r->orientation, c.orientation);
    EXPECT_FLOAT_EQ(r->pixel_spacing[0], 0.7f);  // along a row, the second value of the pair
    EXPECT_FLOAT_EQ(r->pixel_spacing[1], 0.8f);
    EXPECT_NEAR(r->slice_spacing, 2.5f, 1e-4);
    EXPECT_FLOAT_EQ(r->slice_thickness, 2.0f);
    EXPECT_FLOAT_EQ(r->pixel_dim[2], 2.0f);
    // Every corner of the volume and an inner pixel, both ways through the matrices.
    for (int corner = 0; corner < 9; ++corner) {
      float i = corner == 8 ? 4 : (corner & 1) * 8, j = corner == 8 ? 3 : (corner >> 1 & 1) * 6,
            k = corner == 8 ? 2 : (corner >> 2 & 1) * 3;
      SCOPED_TRACE(corner);
      double want[3], frame[3] = {i, j, k};
      Patient_Position(o, i, j, k, want);
      Vec4 p = Vec4(i, j, k, 0.0f).transform(r->frm_2_org);
      Expect_Near(p, want, 2e-3);
      Expect_Near(p.transform(r->org_2_frm), frame, 1e-3);
    }
    double last[3];
    Patient_Position(o, 0, 0, 3, last);
    ASSERT_EQ(r->position_count, 4);
    Expect_Near(r->positions[3], last, 2e-3);
  }
}

// Every record holds evenly spaced slices, so that each frame sits at its own file's position:
// a gap or a change of step splits the series, with a warning per split.
TEST_F(HostDicom, UnevenSlicesSplitIntoEvenlySpacedRecords) {
  struct Case {
    const char* name;
    std::vector<float> offsets;               // slice positions along the normal, mm
    std::vector<std::vector<int>> records;    // slices (indices into offsets) of each record
    std::vector<float> spacing;               // slice spacing of each record
  };
  const Case cases[] = {
      {"even", {0, 2.5f, 5, 7.5f}, {{0, 1, 2, 3}}, {2.5f}},
      {"a missing middle slice", {0, 2.5f, 7.5f, 10}, {{0, 1}, {2, 3}}, {2.5f, 2.5f}},
      {"a lone slice far before a fine run", {0, 202.5f, 203.75f, 205}, {{0}, {1, 2, 3}}, {2.5f, 1.25f}},
      {"a fine run, then a coarse one", {0, 1, 2, 3, 6, 9, 12}, {{0, 1, 2, 3}, {4, 5, 6}}, {1, 3}},
      {"rounding in the files does not split", {0, 0.624f, 1.251f, 1.874f, 2.5f}, {{0, 1, 2, 3, 4}}, {0.625f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Host_Phantom_Options o = Small(8, 6, int(c.offsets.size()));
    o.slice_offsets = c.offsets.data();
    o.scramble = true;
    const fs::path folder = Written(o, o.slices);
    Host_Report_Capture cap;
    Series s(folder);
    ASSERT_EQ(s.count, int(c.records.size()));
    EXPECT_EQ(cap.Count(6), c.records.size() - 1);  // one warning per split
    if (c.records.size() > 1) {
      EXPECT_TRUE(cap.Contains("the series is split between")) << cap.Texts(6)[0];
    }
    for (size_t k = 0; k < c.records.size(); ++k) {
      SCOPED_TRACE(k);
      const Host_Image_Record* r = s[int(k)];
      ASSERT_EQ(r->slices, c.records[k].size());
      EXPECT_NEAR(r->slice_spacing, c.spacing[k], 2e-3);
      for (size_t z = 0; z < c.records[k].size(); ++z) {
        int written = c.records[k][z];
        double want[3];
        Patient_Position(o, 3, 2, 0, want);
        want[2] += c.offsets[size_t(written)];
        // Through the record's own map: the frame's slice index, not the file's.
        Expect_Near(Vec4(3.0f, 2.0f, float(z), 0.0f).transform(r->frm_2_org), want, 2e-3);
        EXPECT_EQ(Host_Image_Pixel_Int(nullptr, r, 3, 2, int(z), 0),
                  Host_Dicom_Phantom_Value(&o, 3, 2, written, 0));
      }
    }
  }
}

// The warning names the files on either side of the split and both spacings.
TEST_F(HostDicom, SplitWarningNamesTheFilesAndSpacings) {
  const float offsets[] = {0, 202.5f, 203.75f, 205};
  Host_Phantom_Options o = Small(8, 6, 4);
  o.slice_offsets = offsets;
  ASSERT_EQ(Write(dir_, o), 4);
  Host_Report_Capture cap;
  Series s(dir_);
  ASSERT_EQ(cap.Count(6), 1u);
  std::string line = cap.Texts(6)[0];
  EXPECT_NE(line.find("WARNING:"), std::string::npos) << line;
  EXPECT_NE(line.find("IM_0000.dcm and " + Sub("IM_0001.dcm").string()), std::string::npos) << line;
  EXPECT_NE(line.find("202.5 mm apart where its slices lie 1.25 mm apart"), std::string::npos) << line;
}

// ---- values and header ---------------------------------------------------------------------------

TEST_F(HostDicom, ValueMappingWindowAndPaddingFollowTheModality) {
  // Window centre and half width in real units (after the rescale), as the frames read them.
  struct Case { const char* name; uint16_t modality; int bits; float slope, intercept;
                int window_c, window_w, pad; int columns = 24, rows = 20, layout = HOST_PHANTOM_FILES; };
  const Case cases[] = {
      {"CT: HU = stored - 1024, window 40/400 HU", HOST_MODALITY_CT, 16, 1, -1024, 40, 200, -2000},
      {"MR 16-bit, values above the signed range", HOST_MODALITY_MR, 16, 1, 0, 20000, 20000, HOST_IMAGE_NO_PAD},
      {"MR 8-bit", HOST_MODALITY_MR, 8, 1, 0, 128, 128, HOST_IMAGE_NO_PAD},
      // A slice read from its file in several parts: the range joins theirs.
      {"CT slices of 320 KB", HOST_MODALITY_CT, 16, 1, -1024, 40, 200, -2000, 400, 400},
      // Frames read from one file straight into their slots, parts crossing frame boundaries.
      {"CT frames of 320 KB in one file", HOST_MODALITY_CT, 16, 1, -1024, 40, 200, -2000, 400, 400, HOST_PHANTOM_EVEN_FRAMES},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Host_Phantom_Options o = Small(c.columns, c.rows, 4);
    o.modality = c.modality;
    o.bits = c.bits;
    o.layout = c.layout;
    const fs::path folder = Written(o, c.layout == HOST_PHANTOM_FILES ? 4 : 1);
    Series s(folder);
    ASSERT_EQ(s.count, 1);
    const Host_Image_Record* r = s[0];
    EXPECT_FLOAT_EQ(r->conv_b, c.slope);
    EXPECT_FLOAT_EQ(r->conv_a, c.intercept);
    EXPECT_EQ(r->window_c, c.window_c);
    EXPECT_EQ(r->window_w, c.window_w);
    EXPECT_EQ(r->pad_value, c.pad);
    int lo = INT32_MAX, hi = INT32_MIN;
    for (int k = 0; k < 4; ++k)
      for (int j = 0; j < c.rows; ++j)
        for (int i = 0; i < c.columns; ++i) {
          int v = Host_Dicom_Phantom_Value(&o, i, j, k, 0);
          if (v == c.pad) continue;
          lo = std::min(lo, v);
          hi = std::max(hi, v);
        }
    EXPECT_EQ(r->int_min, lo);
    EXPECT_EQ(r->int_max, hi);
    EXPECT_FLOAT_EQ(r->float_min, lo * c.slope + c.intercept);
  }
}

// A slice with a rescale of its own cannot share one slope: the record keeps real values.
TEST_F(HostDicom, PerSliceRescaleGivesRealValues) {
  Host_Phantom_Options o = Small(10, 10, 3);
  ASSERT_EQ(Write(dir_, o), 3);
  fs::path second = Sub("IM_0001.dcm");
  std::vector<char> b = Bytes_Of(second);
  const char slope[] = {0x28, 0x00, 0x53, 0x10, 'D', 'S', 2, 0, '1', ' '};
  auto at = std::search(b.begin(), b.end(), slope, slope + 10);
  ASSERT_NE(at, b.end());
  at[8] = '2';
  Put_Bytes(second, b);

  Series s(dir_);
  ASSERT_EQ(s.count, 1);
  const Host_Image_Record* r = s[0];
  ASSERT_EQ(r->kind, HOST_PIXEL_FLOAT);
  int bad = 0, padding = 0;
  for (int k = 0; k < 3; ++k)
    for (int j = 0; j < 10; ++j)
      for (int i = 0; i < 10; ++i) {
        int stored = Host_Dicom_Phantom_Value(&o, i, j, k, 0);
        int v = Host_Image_Pixel_Int(nullptr, r, i, j, k, 0);
        if (stored == -2000) {
          padding += v == HOST_IMAGE_NONE;  // padding reads as no value
          continue;
        }
        float real = Host_Image_Int_To_Float(v, r->kind, r->conv_a, r->conv_b);
        float want = float(stored * (k == 1 ? 2 : 1) - 1024);
        bad += std::fabs(real - want) > r->conv_b;
      }
  EXPECT_EQ(bad, 0);
  EXPECT_GT(padding, 0);
}

TEST_F(HostDicom, HeaderValuesReachTheRecord) {
  struct Case { const char* name; uint16_t modality; int slices; };
  const Case cases[] = {{"CT series", HOST_MODALITY_CT, 3}, {"MR single slice", HOST_MODALITY_MR, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Host_Phantom_Options o = Small(8, 8, c.slices);
    o.modality = c.modality;
    o.description = "Head & neck";
    const fs::path folder = Written(o);
    Series s(folder);
    ASSERT_EQ(s.count, 1);
    const Host_Image_Record* r = s[0];
    bool ct = c.modality == HOST_MODALITY_CT;
    EXPECT_EQ(r->modality, c.modality);
    EXPECT_STREQ(r->description, "Head & neck");
    EXPECT_STREQ(r->manufacturer, "Synthetic Imaging");
    EXPECT_STREQ(r->model, ct ? "Phantom CT 1" : "Phantom MR 1");
    EXPECT_STREQ(r->patient_name.family, "Phantom");
    EXPECT_STREQ(r->patient_name.given, "Jos\xC3\xA9");  // Latin-1 in the file, UTF-8 here
    EXPECT_STREQ(r->patient_id, "PH-0001");
    EXPECT_EQ(r->patient_sex, 'O');
    EXPECT_STREQ(Host_Time_Text(&r->birth_date, nullptr), "1970-01-01");
    EXPECT_FLOAT_EQ(r->patient_weight, 70);
    EXPECT_FLOAT_EQ(r->patient_height, 1.75f);
    EXPECT_STREQ(Host_Time_Text(&r->date[0], &r->time[0]), "2024-03-15 10:15:45.25");
    EXPECT_STREQ(Host_Time_Text(&r->date[1], &r->time[1]), "2024-03-15 10:15:30");
    EXPECT_FLOAT_EQ(r->tube_voltage, ct ? 120 : 0);
    EXPECT_FLOAT_EQ(r->tube_current, ct ? 200 : 0);
    EXPECT_FLOAT_EQ(r->field_strength, ct ? 0 : 1.5f);
    EXPECT_FLOAT_EQ(r->repetition_time, ct ? 0 : 500);
    EXPECT_FLOAT_EQ(r->echo_time, ct ? 0 : 15);
    EXPECT_FLOAT_EQ(r->averages, ct ? 0 : 2);
    if (ct) EXPECT_EQ(r->sequence_name, nullptr);
    else EXPECT_STREQ(r->sequence_name, "se2d");
    // A series shows frame numbers; a lone image shows its instance number.
    EXPECT_EQ(r->slice_number, c.slices == 1 ? 1 : -1);
    ASSERT_NE(r->file_name, nullptr);
    EXPECT_TRUE(Host_Is_File(r->file_name));
  }
}

// ---- series ------------------------------------------------------------------------------------

TEST_F(HostDicom, SeriesSharingAFolderComeApart) {
  Host_Phantom_Options ct = Small(16, 16, 4);
  ct.series_uid = "1.2.826.0.1.3680043.2.1125.77.1";
  ct.file_prefix = "CT";
  Host_Phantom_Options mr = Small(12, 10, 6);
  mr.modality = HOST_MODALITY_MR;
  mr.bits = 8;
  mr.series_number = 2;
  mr.file_prefix = "MR";
  // Same series UID as the CT but another size, as a scout taken with the series.
  Host_Phantom_Options scout = Small(8, 8, 1);
  scout.series_uid = ct.series_uid;
  scout.file_prefix = "SC";
  ASSERT_EQ(Write(dir_, mr), 6);
  ASSERT_EQ(Write(dir_, ct), 4);
  ASSERT_EQ(Write(dir_, scout), 1);

  Series s(dir_);
  ASSERT_EQ(s.count, 3);
  for (int i = 0; i < 3; ++i) {
    const Host_Image_Record* r = s[i];
    const Host_Phantom_Options* o = r->columns == 16 ? &ct : r->columns == 12 ? &mr : &scout;
    SCOPED_TRACE(r->columns);
    EXPECT_EQ(r->slices, o->slices);
    EXPECT_EQ(Mismatches(r, *o), 0);
  }
  EXPECT_EQ(s[2]->columns, mr.columns);  // series number 2 comes last
}

// A patient folder holds its series in subfolders: they are read by default, hidden ones not.
TEST_F(HostDicom, SubfoldersAreReadUnlessAskedNotTo) {
  for (const char* folder : {"patient/study", "patient/.trash"}) fs::create_directories(Sub(folder));
  ASSERT_EQ(Write(Sub("patient/study/a"), Small()), 3);
  ASSERT_EQ(Write(Sub("patient/study/b"), Small(12, 10, 4)), 4);
  ASSERT_EQ(Write(Sub("patient/.trash/c"), Small()), 3);
  Series deep(Sub("patient"));
  ASSERT_EQ(deep.count, 2);
  EXPECT_EQ(deep[0]->slices + deep[1]->slices, 7);
  Host_Report_Capture cap;
  Series flat(Sub("patient"), HOST_DICOM_FLAT);
  EXPECT_EQ(flat.count, 0);
  EXPECT_EQ(flat.list, nullptr);
  EXPECT_TRUE(cap.Contains("the folder holds no file"));
}

// ---- damaged input -------------------------------------------------------------------------------

TEST_F(HostDicom, DamagedFilesAreReportedWithTheirReasonAndGiveNoRecord) {
  Host_Phantom_Options o = Small(8, 6, 1);
  ASSERT_EQ(Write(Sub("src"), o), 1);
  const std::vector<char> good = Bytes_Of(Sub("src/IM_0000.dcm"));
  const size_t pixels = Tag_Offset(good, 0x7FE0, 0x0010);
  ASSERT_LT(pixels, good.size());

  struct Case { const char* name; std::vector<char> bytes; const char* reason; };
  std::string preamble(128, '\0');
  preamble += "DICM" + std::string(400, char(0xAB));
  std::vector<char> garbage(preamble.begin(), preamble.end());
  std::string text = "PATIENT LIST\nname,id\nDoe,17\n";
  std::vector<char> wide_bits = good, colour = good;
  Patch_US(wide_bits, 0x0028, 0x0100, 32);
  Patch_US(colour, 0x0028, 0x0002, 3);
  // The meta group (its length is the value of its first element) straight before the pixels.
  const size_t meta_end = 144 + size_t(uint8_t(good[140])) + (size_t(uint8_t(good[141])) << 8);
  std::vector<char> no_data_set(good.begin(), good.begin() + long(meta_end));
  no_data_set.insert(no_data_set.end(), good.begin() + long(pixels), good.end());
  const Case cases[] = {
      {"text file", std::vector<char>(text.begin(), text.end()), "not a DICOM file"},
      {"empty file", {}, "empty file"},
      {"garbage after the preamble", garbage, "no file meta information"},
      {"cut inside the pixel data", std::vector<char>(good.begin(), good.end() - 10), "truncated"},
      {"cut inside the header", std::vector<char>(good.begin(), good.begin() + 300), "truncated"},
      {"cut before the pixel data", std::vector<char>(good.begin(), good.begin() + long(pixels)), "holds no image"},
      // Regression: the toolkit's meta reader asserted on a stream ending after the meta group.
      {"meta group straight before the pixels", no_data_set, "no data set before its pixel data"},
      {"32-bit pixels in 16-bit data", wide_bits, "does not fit an image"},
      {"three samples of a grey image", colour, "3 samples per pixel for MONOCHROME2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::path file = Sub("bad.dcm");
    Put_Bytes(file, c.bytes);
    Host_Report_Capture cap;
    Series s(file);
    EXPECT_EQ(s.list, nullptr);
    EXPECT_EQ(s.count, 0);
    std::vector<std::string> lines = cap.Texts(2);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(file.string()), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find(c.reason), std::string::npos) << lines[0];
  }
}

// A compressed stream whose own header disagrees with the image would be decoded past the end
// of the plane made for it; such streams are refused before any codec sees them.
TEST_F(HostDicom, CompressedStreamsThatDisagreeWithTheImageAreRefused) {
  struct Case {
    const char* name;
    int encoding;
    std::vector<uint8_t> marker;  // the stream segment that holds the image width
    size_t width_at;              // offset of the width's low byte from the marker
    const char* reason;
  };
  const Case cases[] = {
      {"JPEG frame header", HOST_PHANTOM_JPEG_LOSSLESS, {0xFF, 0xC3}, 8, "the frame size differs from the image"},
      {"JPEG-LS frame header", HOST_PHANTOM_JPEG_LS, {0xFF, 0xF7}, 8, "the frame size differs from the image"},
      {"JPEG 2000 image size", HOST_PHANTOM_JPEG_2000, {0xFF, 0x4F, 0xFF, 0x51}, 11, "the image size differs from the image"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Host_Phantom_Options o = Small(12, 10, 1);
    o.encoding = c.encoding;
    Jpeg2000_Size(o);
    const fs::path folder = Written(o, 1);
    fs::path file = folder / "IM_0000.dcm";
    std::vector<char> b = Bytes_Of(file);
    auto at = std::search(b.begin(), b.end(), c.marker.begin(), c.marker.end(),
                          [](char x, uint8_t y) { return uint8_t(x) == y; });
    ASSERT_NE(at, b.end());
    ASSERT_EQ(uint8_t(at[long(c.width_at)]), o.columns);
    at[long(c.width_at)] = 64;  // wider than the image
    Put_Bytes(file, b);
    Host_Report_Capture cap;
    Series s(file);
    EXPECT_EQ(s.list, nullptr);
    ASSERT_EQ(cap.Count(2), 1u);
    EXPECT_TRUE(cap.Contains(c.reason)) << cap.Texts(2)[0];
  }
}

// The toolkit sizes a buffer after a delimiter's length field, which must be zero.
TEST_F(HostDicom, DelimiterWithALengthIsRefused) {
  Host_Phantom_Options o = Small(8, 6, 1);
  o.encoding = HOST_PHANTOM_RLE;
  ASSERT_EQ(Write(dir_, o), 1);
  fs::path file = Sub("IM_0000.dcm");
  std::vector<char> b = Bytes_Of(file);
  const char end[] = {char(0xFE), char(0xFF), char(0xDD), char(0xE0), 0, 0, 0, 0};
  auto at = std::find_end(b.begin(), b.end(), end, end + 8);
  ASSERT_NE(at, b.end());
  at[7] = 0x45;  // about a gigabyte
  Put_Bytes(file, b);
  Host_Report_Capture cap;
  Series s(file);
  EXPECT_EQ(s.list, nullptr);
  EXPECT_TRUE(cap.Contains("delimiter at byte")) << (cap.Count() ? cap.Texts()[0] : "");
}

TEST_F(HostDicom, MissingPathIsReportedAsASystemError) {
  Host_Report_Capture cap;
  Series s(Sub("nowhere/IM_0000.dcm"));
  EXPECT_EQ(s.list, nullptr);
  ASSERT_EQ(cap.Count(4), 1u);
  EXPECT_TRUE(cap.Contains("nowhere/IM_0000.dcm"));
  EXPECT_TRUE(cap.Contains("No such file"));
}

TEST_F(HostDicom, FolderWithBadFilesStillYieldsItsSeries) {
  Host_Phantom_Options o = Small(16, 12, 5);
  ASSERT_EQ(Write(dir_, o), 5);
  std::vector<char> slice = Bytes_Of(Sub("IM_0003.dcm"));
  Put_Bytes(Sub("IM_0003_copy.dcm"), std::vector<char>(slice.begin(), slice.begin() + long(slice.size() / 2)));
  Put_Bytes(Sub("notes.txt"), {'h', 'i', '\n'});
  Put_Bytes(Sub("zero.dcm"), {});
  Put_Bytes(Sub("DICOMDIR"), {'x'});    // the index of a medium, skipped
  Put_Bytes(Sub(".DS_Store"), {'x'});   // hidden, skipped
  Host_Report_Capture cap;
  Series s(dir_);
  ASSERT_EQ(s.count, 1);
  EXPECT_EQ(s[0]->slices, 5);
  EXPECT_EQ(Mismatches(s[0], o), 0);
  std::vector<std::string> lines = cap.Texts(2);
  ASSERT_EQ(lines.size(), 3u);
  for (const char* name : {"IM_0003_copy.dcm", "notes.txt", "zero.dcm"})
    EXPECT_TRUE(cap.Contains(name)) << name;
}

// A folder in memory when the system has a memory file system (else under the test's folder):
// the damage test writes thousands of small files. Removed with the object.
struct Scratch_Folder {
  fs::path path;
  explicit Scratch_Folder(const fs::path& fallback) {
    std::error_code ec;
    fs::path shm("/dev/shm");
    bool memory = fs::is_directory(shm, ec) && access(shm.c_str(), W_OK) == 0;
    path = (memory ? shm : fallback) / ("quarn_dicom_damage_" + std::to_string(getpid()));
    fs::remove_all(path, ec);
    fs::create_directories(path);
  }
  ~Scratch_Folder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

// Every truncation of a file and a run of random corruptions: never a crash, never a record
// from a cut file, and a record built from a corrupted one still has sane dimensions. The cuts
// are read as one folder (one report each), the corruptions one file at a time.
TEST_F(HostDicom, CutOrCorruptedFilesNeverCrashTheReader) {
  // tail: bytes at the end whose loss loses nothing.
  struct Case { const char* name; int layout, encoding; size_t tail; };
  const Case cases[] = {
      {"single frame, explicit", HOST_PHANTOM_FILES, HOST_PHANTOM_EXPLICIT, 0},
      {"enhanced, implicit", HOST_PHANTOM_MULTI_FRAME, HOST_PHANTOM_IMPLICIT, 0},
      {"enhanced, RLE", HOST_PHANTOM_MULTI_FRAME, HOST_PHANTOM_RLE, 0},
      {"single frame, JPEG lossless", HOST_PHANTOM_FILES, HOST_PHANTOM_JPEG_LOSSLESS, 0},
      {"single frame, big endian", HOST_PHANTOM_FILES, HOST_PHANTOM_BIG_ENDIAN, 0},
      // The writer appends a checksum and the length after the deflate stream; inflation ends
      // before them.
      {"single frame, deflated", HOST_PHANTOM_FILES, HOST_PHANTOM_DEFLATED, 8},
  };
  constexpr int kCorruptions = 150;
  Scratch_Folder scratch(dir_);
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Host_Phantom_Options o = Small(6, 4, c.layout == HOST_PHANTOM_FILES ? 1 : 2);
    o.layout = c.layout;
    o.encoding = c.encoding;
    fs::path folder = Sub("src" + std::to_string(n));
    ASSERT_EQ(Write(folder, o), 1);
    const std::vector<char> good = Bytes_Of(folder / "IM_0000.dcm");
    fs::path cuts = scratch.path / ("cuts" + std::to_string(n++));
    fs::create_directories(cuts);
    const size_t lossy = good.size() - c.tail;
    for (size_t cut = 0; cut < lossy; ++cut)
      Put_Bytes(cuts / ("cut_" + std::to_string(cut)), std::vector<char>(good.begin(), good.begin() + long(cut)));
    {
      Host_Report_Capture cap(false);
      Series s(cuts, HOST_DICOM_FLAT);
      EXPECT_EQ(s.count, 0);
      EXPECT_EQ(cap.Count(2), lossy);  // one report per cut
    }
    fs::path file = scratch.path / "t.dcm";
    Host_Report_Capture cap(false);
    std::mt19937 rng(11);
    for (int trial = 0; trial < kCorruptions; ++trial) {
      std::vector<char> bytes = good;
      for (int k = 1 + int(rng() % 4); k > 0; --k) bytes[rng() % bytes.size()] = char(rng());
      Put_Bytes(file, bytes);
      Series s(file);
      for (int i = 0; i < s.count; ++i) {
        EXPECT_GT(s[i]->columns, 0);
        EXPECT_NE(s[i]->pixels, nullptr);
      }
    }
  }
}

// A host may load series on worker threads: readers of separate folders and of one shared
// folder run at once.
TEST_F(HostDicom, ReadersOnSeveralThreadsEachGetWholeSeries) {
  Host_Phantom_Options ct = Small(16, 12, 4);
  Host_Phantom_Options mr = Small(10, 10, 3);
  mr.modality = HOST_MODALITY_MR;
  mr.encoding = HOST_PHANTOM_RLE;
  // The JPEG decoders' message routine is set up per decoder and listens per thread.
  Host_Phantom_Options jp = Small(16, 8, 3);
  jp.encoding = HOST_PHANTOM_JPEG_LOSSLESS;
  ASSERT_EQ(Write(Sub("ct"), ct), 4);
  ASSERT_EQ(Write(Sub("mr"), mr), 3);
  ASSERT_EQ(Write(Sub("jp"), jp), 3);
  const struct {
    const char* folder;
    const Host_Phantom_Options* options;
  } jobs[] = {{"ct", &ct}, {"mr", &mr}, {"jp", &jp}, {"ct", &ct}, {"mr", &mr}, {"jp", &jp}};
  constexpr int kJobs = int(std::size(jobs));
  int bad[kJobs];
  std::fill(bad, bad + kJobs, -1);
  std::vector<std::thread> threads;
  for (int t = 0; t < kJobs; ++t)
    threads.emplace_back([&, t] {
      for (int round = 0; round < 3; ++round) {
        Series s(Sub(jobs[t].folder));
        bad[t] = s.count == 1 ? Mismatches(s[0], *jobs[t].options) : 1000000;
        if (bad[t]) return;
      }
    });
  for (std::thread& t : threads) t.join();
  for (int t = 0; t < kJobs; ++t) EXPECT_EQ(bad[t], 0) << jobs[t].folder;
}

// The reader's own worker threads: any thread count gives the same records and the same reports
// in the order of the files (run under ThreadSanitizer too).
TEST_F(HostDicom, ReaderThreadsGiveWhatOneThreadGives) {
  Host_Phantom_Options o = Small(16, 12, 24);
  o.scramble = true;
  ASSERT_EQ(Write(dir_, o), 24);
  for (const char* bad : {"IM_0003.dcm", "IM_0017.dcm"}) {  // cut in the middle of their pixels
    std::vector<char> b = Bytes_Of(Sub(bad));
    Put_Bytes(Sub(std::string("cut_") + bad), std::vector<char>(b.begin(), b.end() - 100));
  }
  std::vector<std::string> reports[2];
  for (int threads : {1, 4}) {
    Host_Dicom_Threads_Set(threads);
    Host_Report_Capture cap;
    Series s(dir_);
    Host_Dicom_Threads_Set(0);
    ASSERT_EQ(s.count, 1);
    EXPECT_EQ(Mismatches(s[0], o), 0);
    reports[threads == 4] = cap.Texts(2);
  }
  ASSERT_EQ(reports[0].size(), 2u);
  EXPECT_EQ(reports[0], reports[1]);
}

// ---- writer --------------------------------------------------------------------------------------

TEST_F(HostDicom, WriterRejectsOptionsItCannotHonour) {
  struct Case { const char* name; void (*change)(Host_Phantom_Options&); };
  const Case cases[] = {
      {"12-bit MR", [](Host_Phantom_Options& o) { o.modality = HOST_MODALITY_MR; o.bits = 12; }},
      {"no columns", [](Host_Phantom_Options& o) { o.columns = 0; }},
      {"evenly spaced frames over time", [](Host_Phantom_Options& o) { o.layout = HOST_PHANTOM_EVEN_FRAMES; o.times = 2; }},
      {"directions not orthogonal", [](Host_Phantom_Options& o) { o.dir_col.set(0.6f, 0.8f, 0.0f, 0.0f); }},
      {"zero slice spacing", [](Host_Phantom_Options& o) { o.slice_spacing = 0; }},
      {"unknown modality", [](Host_Phantom_Options& o) { o.modality = 0x5553; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Host_Phantom_Options o = Small();
    c.change(o);
    Host_Report_Capture cap;
    EXPECT_EQ(Write(dir_, o), 0);
    EXPECT_GE(cap.Count(2), 1u);
    EXPECT_TRUE(fs::is_empty(dir_));
  }
  Host_Report_Capture cap;
  EXPECT_EQ(Host_Dicom_Write_Phantom(nullptr, nullptr), 0);
  EXPECT_EQ(Host_Dicom_Read_Series(nullptr, nullptr), nullptr);
  EXPECT_EQ(cap.Count(2), 4u);  // each reported with its source line
}

}  // namespace

// What the JPEG decoder says about damaged entropy-coded data reaches the reports with the file's
// name, never standard error: a warning when the image still decodes, the decoder's reason beside
// the reader's when it does not.
TEST_F(HostDicom, JpegDecoderMessagesGoToTheReportNotToStandardError) {
  struct Case { const char* name; int encoding; size_t from_end; char value; int records; uint32_t cls;
                const char* said; };
  const Case cases[] = {
      // The image decodes, with bytes to spare before its end: a notice.
      {"baseline, zeros", HOST_PHANTOM_JPEG_BASELINE, 40, 0, 1, 6, "the JPEG decoder warns: Corrupt JPEG data"},
      {"lossless, zeros", HOST_PHANTOM_JPEG_LOSSLESS, 40, 0, 1, 6, "the JPEG decoder warns: Corrupt JPEG data"},
      {"baseline, 0x55", HOST_PHANTOM_JPEG_BASELINE, 60, 0x55, 1, 6, "the JPEG decoder warns: Corrupt JPEG data"},
      // Here the scan runs out of data: no image, the decoder's reason beside the reader's.
      {"lossless, 0x55", HOST_PHANTOM_JPEG_LOSSLESS, 60, 0x55, 0, 2,
       "the JPEG pixel data cannot be decoded (Corrupt JPEG data: premature end of data segment)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Host_Phantom_Options o = Small(32, 32, 1);
    o.modality = HOST_MODALITY_MR;
    o.bits = 8;
    o.encoding = c.encoding;
    const fs::path folder = Written(o, 1);
    fs::path file = folder / "IM_0000.dcm";
    std::vector<char> bytes = Bytes_Of(file);
    const char eoi[2] = {char(0xFF), char(0xD9)};
    auto end = std::find_end(bytes.begin(), bytes.end(), eoi, eoi + 2);
    ASSERT_NE(end, bytes.end());
    std::fill(end - long(c.from_end), end - 2, c.value);
    Put_Bytes(file, bytes);
    Host_Report_Capture cap;
    ::testing::internal::CaptureStderr();
    Series s(file);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(s.count, c.records);
    std::vector<std::string> said = cap.Texts(c.cls);
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find(file.string() + ": " + c.said), std::string::npos) << said[0];
  }
}

// A file that changes between the header scan and the pixel read is reported and left out, the
// rest of its series still read: the pixels are read from where the scan found them only while
// the header still says they lie there.
std::function<void()> g_between;  // runs once, when the scan has ended

void Between_Scan_And_Decode(float fraction) {
  if (fraction == 0.5f && g_between) std::exchange(g_between, nullptr)();
}

TEST_F(HostDicom, FileChangedBetweenScanAndPixelReadIsReported) {
  struct Case { const char* name; int encoding; const char* description; size_t cut; const char* reason; };
  const Case cases[] = {
      {"cut in its pixel data", HOST_PHANTOM_EXPLICIT, nullptr, 50,
       "the file changed while it was read (truncated: element (7FE0,0010)"},
      {"a longer header", HOST_PHANTOM_EXPLICIT, "a description long enough to move the pixels", 0,
       "the file changed while it was read"},
      {"compressed since", HOST_PHANTOM_RLE, nullptr, 0, "the file changed while it was read"},
  };
  Host_Dicom_Threads_Set(1);
  Host_Progress_Hook = Between_Scan_And_Decode;
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Host_Phantom_Options o = Small(8, 6, 3);
    o.series_uid = "1.2.3.4.5";
    fs::path folder = Sub("f" + std::to_string(n)), other = Sub("g" + std::to_string(n++));
    ASSERT_EQ(Write(folder, o), 3);
    o.encoding = c.encoding;
    o.description = c.description;
    ASSERT_EQ(Write(other, o), 3);
    std::vector<char> next = Bytes_Of(other / "IM_0001.dcm");
    next.resize(next.size() - c.cut);
    g_between = [&] { Put_Bytes(folder / "IM_0001.dcm", next); };
    Host_Report_Capture cap;
    Series s(folder);
    EXPECT_EQ(g_between, nullptr);  // the change was made
    ASSERT_EQ(s.count, 1);
    EXPECT_EQ(s[0]->slices, 2);
    std::vector<std::string> said = cap.Texts(2);
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find("IM_0001.dcm: " + std::string(c.reason)), std::string::npos) << said[0];
  }
  Host_Progress_Hook = nullptr;
  Host_Dicom_Threads_Set(0);
}

// The header scan reads a file's first bytes only; an enhanced file whose per-frame groups run
// past them is read again whole, natively and compressed.
TEST_F(HostDicom, HeaderLongerThanTheFirstReadIsReadWhole) {
  for (int encoding : {HOST_PHANTOM_EXPLICIT, HOST_PHANTOM_RLE}) {
    SCOPED_TRACE(encoding);
    Host_Phantom_Options o = Small(4, 4, 400);
    o.layout = HOST_PHANTOM_MULTI_FRAME;
    o.encoding = encoding;
    fs::path folder = Sub("e" + std::to_string(encoding));
    ASSERT_EQ(Write(folder, o), 1);
    ASSERT_GT(fs::file_size(folder / "IM_0000.dcm"), 4u * 4 * 400 * 2 + (64u << 10));
    Host_Report_Capture cap;
    Series s(folder);
    ASSERT_EQ(s.count, 1);
    EXPECT_EQ(s[0]->slices, 400);
    EXPECT_EQ(Mismatches(s[0], o), 0);
    EXPECT_EQ(cap.Count(2) + cap.Count(4), 0u);
  }
}
