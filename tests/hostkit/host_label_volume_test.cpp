// Label volumes in NRRD files: round trips, the encodings and spaces other writers use, bad files.
#include <hostkit/HostLabelVolume.h>
#include <hostkit/HostReport.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>

namespace {

using Volume = std::unique_ptr<Host_Label_Volume, decltype(&Host_Label_Free)>;

std::string Temp_Path(const char* name) {
  return testing::TempDir() + "label_" + std::to_string(getpid()) + "_" + name;
}

void Write_File(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

Volume Read(const std::string& path) { return Volume(Host_Label_Read_NRRD(path.c_str()), &Host_Label_Free); }

const std::string kHead =
    "NRRD0004\ntype: unsigned short\ndimension: 3\nsizes: 2 1 2\n"
    "space: left-posterior-superior\nspace directions: (0.5,0,0) (0,0.5,0) (0,0,2)\n"
    "space origin: (-10,20,30.5)\n";

TEST(HostLabelVolume, RoundTripKeepsEveryLabelAndTheGeometryExactly) {
  Volume v(Host_Label_Alloc(37, 23, 5), &Host_Label_Free);
  ASSERT_TRUE(v);
  std::mt19937 random(7);
  for (size_t i = 0; i < size_t(37 * 23 * 5); ++i) v->labels[i] = uint16_t(random() % 300 == 0 ? 65535 : random() % 9);
  const double steps[3][3] = {{0.7031249, 0.01, 0}, {-0.01, 0.7031249, 0.002}, {0, 0.1, 2.5}};
  std::memcpy(v->step, steps, sizeof steps);
  v->origin[0] = -180.123456789, v->origin[1] = 1e-7, v->origin[2] = 1234.5;
  const std::string path = Temp_Path("round.nrrd");
  ASSERT_EQ(Host_Label_Write_NRRD(path.c_str(), v.get()), 1);
  Volume back = Read(path);
  ASSERT_TRUE(back);
  for (int a = 0; a < 3; ++a) {
    EXPECT_EQ(back->size[a], v->size[a]);
    EXPECT_EQ(back->origin[a], v->origin[a]);
    for (int b = 0; b < 3; ++b) EXPECT_EQ(back->step[a][b], v->step[a][b]);
  }
  EXPECT_EQ(std::memcmp(back->labels, v->labels, 37 * 23 * 5 * sizeof(uint16_t)), 0);
  std::remove(path.c_str());
}

TEST(HostLabelVolume, ReadsTheRawFormsOtherWritersUse) {
  struct Case {
    const char* what;
    std::string file;
    uint16_t first, last;
    double origin_x, step_x;
  };
  const std::string raw_le = std::string("\x01\x00\x02\x00\x03\x00\x04\x01", 8);
  const std::string raw_be = std::string("\x00\x01\x00\x02\x00\x03\x01\x04", 8);
  const std::string ras = "NRRD0005\ntype: uint8\ndimension: 3\nsizes: 2 1 2\nspace: RAS\n"
                          "space directions: (0.5,0,0) (0,0.5,0) (0,0,2)\nspace origin: (-10,20,30.5)\n";
  const Case cases[] = {
      // Little-endian raw 16-bit labels, as written by most tools.
      {"raw little", kHead + "encoding: raw\nendian: little\n\n" + raw_le, 1, 0x0104, -10, 0.5},
      // Big-endian raw labels are swapped into place.
      {"raw big", kHead + "encoding: raw\nendian: big\n\n" + raw_be, 1, 0x0104, -10, 0.5},
      // 8-bit labels in RAS space: x and y of the geometry change sign.
      {"uint8 RAS", ras + "encoding: raw\n\n" + std::string("\x05\x06\x07\x08", 4), 5, 8, 10, -0.5},
      // Comments, key-value pairs and CRLF line ends are skipped.
      {"comments", "NRRD0004\r\n# made elsewhere\r\ncontent:=x\r\ntype: ushort\r\ndimension: 3\r\nsizes: 2 1 2\r\nencoding: raw\r\n\r\n" + raw_le, 1, 0x0104, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = Temp_Path("forms.nrrd");
    Write_File(path, c.file);
    Volume v = Read(path);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->labels[0], c.first);
    EXPECT_EQ(v->labels[3], c.last);
    EXPECT_EQ(v->origin[0], c.origin_x);
    EXPECT_EQ(v->step[0][0], c.step_x);
    std::remove(path.c_str());
  }
}

TEST(HostLabelVolume, DamagedFilesAreRefusedWithTheReason) {
  struct Case {
    std::string file;
    const char* reason;  // part of the report
  };
  const std::string data8 = std::string(8, '\x01');
  const Case cases[] = {
      // Not an NRRD file at all.
      {"P5\n2 2\n255\n....", "no NRRD magic"},
      // A slice, not a volume.
      {"NRRD0004\ntype: ushort\ndimension: 2\nsizes: 2 2\nencoding: raw\n\n" + data8, "dimension 2"},
      // Labels must be unsigned integers.
      {"NRRD0004\ntype: float\ndimension: 3\nsizes: 2 1 1\nencoding: raw\n\n" + data8, "type \"float\""},
      // A zero or absurd size.
      {"NRRD0004\ntype: ushort\ndimension: 3\nsizes: 0 1 1\nencoding: raw\n\n", "sizes"},
      {"NRRD0004\ntype: ushort\ndimension: 3\nsizes: 99999 1 1\nencoding: raw\n\n", "sizes"},
      // Fewer raw bytes than the sizes need.
      {kHead + "encoding: raw\n\n" + std::string(7, '\0'), "7 bytes of labels where 8"},
      // A gzip stream that is not one.
      {kHead + "encoding: gzip\n\n" + data8, "cut or damaged"},
      // Labels kept in another file.
      {kHead + "data file: labels.raw\nencoding: raw\n\n", "detached"},
      // A header that never ends.
      {kHead, "blank line"},
      // A header line without a key.
      {kHead + "nonsense\n\n" + data8, "header line"},
      // Space directions that are not three vectors.
      {"NRRD0004\ntype: ushort\ndimension: 3\nsizes: 2 1 2\nspace directions: (1,0,0) (0,1,0)\nencoding: raw\n\n" + data8, "space directions"},
      // An encoding we do not read.
      {"NRRD0004\ntype: ushort\ndimension: 3\nsizes: 2 1 2\nencoding: bzip2\n\n" + data8, "encoding \"bzip2\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    const std::string path = Temp_Path("bad.nrrd");
    Write_File(path, c.file);
    Host_Report_Capture capture;
    EXPECT_FALSE(Read(path));
    EXPECT_TRUE(capture.Contains(c.reason)) << (capture.Texts().empty() ? "" : capture.Texts().back());
    std::remove(path.c_str());
  }
}

TEST(HostLabelVolume, CutGzipDataIsRefused) {
  Volume v(Host_Label_Alloc(64, 64, 3), &Host_Label_Free);
  ASSERT_TRUE(v);
  for (size_t i = 0; i < size_t(64 * 64 * 3); ++i) v->labels[i] = uint16_t(i * 2654435761u >> 20);
  const std::string path = Temp_Path("cut.nrrd");
  ASSERT_EQ(Host_Label_Write_NRRD(path.c_str(), v.get()), 1);
  FILE* f = std::fopen(path.c_str(), "rb+");
  ASSERT_NE(f, nullptr);
  std::fseek(f, 0, SEEK_END);
  const long size = std::ftell(f);
  std::fclose(f);
  ASSERT_EQ(truncate(path.c_str(), size / 2), 0);
  Host_Report_Capture capture;
  EXPECT_FALSE(Read(path));
  EXPECT_TRUE(capture.Contains("cut or damaged"));
  std::remove(path.c_str());
}

TEST(HostLabelVolume, BadArgumentsAreReported) {
  Host_Report_Capture capture;
  EXPECT_EQ(Host_Label_Alloc(0, 5, 5), nullptr);
  EXPECT_EQ(Host_Label_Alloc(HOST_LABEL_MAX_SIDE, HOST_LABEL_MAX_SIDE, 2), nullptr);  // too many labels
  EXPECT_EQ(Host_Label_Write_NRRD("/tmp/x.nrrd", nullptr), 0);
  EXPECT_EQ(Host_Label_Read_NRRD(nullptr), nullptr);
  EXPECT_EQ(Host_Label_Read_NRRD("/nonexistent/none.nrrd"), nullptr);
  Volume v(Host_Label_Alloc(2, 2, 2), &Host_Label_Free);
  EXPECT_EQ(Host_Label_Write_NRRD("/nonexistent/dir/x.nrrd", v.get()), 0);
  EXPECT_EQ(capture.Count(), 6u);
}

}  // namespace
