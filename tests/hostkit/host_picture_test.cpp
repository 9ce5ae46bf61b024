// Picture reading of the widget library: TGA files of each depth, origin and packing, PNG files,
// and every kind of damage (short, truncated, wrong header, too large, missing) refused with a
// report instead of a picture.
#include <hostkit/HostPng.h>
#include <hostkit/HostReport.h>
#include <hostkit/HostPicture.h>
#include <hostkit/HostWidgets.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kGrey = 3, kTrue = 2, kRle = 8;
constexpr uint8_t kTopFirst = 0x20;  // descriptor bit: rows stored top first

/// A TGA file of a type and depth with the given pixel bytes (already in file order).
Bytes Tga(int type, int w, int h, int bits, const Bytes& pixels, uint8_t descriptor = 0) {
  Bytes b(18, 0);
  b[2] = uint8_t(type);
  b[12] = uint8_t(w), b[13] = uint8_t(w >> 8), b[14] = uint8_t(h), b[15] = uint8_t(h >> 8);
  b[16] = uint8_t(bits);
  b[17] = descriptor;
  for (uint8_t p : pixels) b.push_back(p);
  return b;
}

Bytes Samples(const Host_Icon_Image* image) {
  return Bytes(image->samples, image->samples + size_t(image->width) * size_t(image->height) * size_t(image->channels));
}

std::string Temp_File(const std::string& name, const Bytes& bytes) {
  const std::string path = (std::filesystem::temp_directory_path() / ("quarn_picture_" + name)).string();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  return path;
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

Host_Icon_Image* Read(const Bytes& bytes) {
  return Host_Read_Icon_Image_Memory(bytes.data(), bytes.size(), L"test.tga");
}

// Grey pictures keep their one channel, rows come top first whichever order the file keeps.
TEST(HostPicture, GreyTgaKeepsOneChannelTopRowFirstInEitherOrigin) {
  const Bytes bottom_first = {4, 5, 6, 1, 2, 3};  // rows (4 5 6) then (1 2 3): bottom row first
  Host_Icon_Image* a = Read(Tga(kGrey, 3, 2, 8, bottom_first));
  Host_Icon_Image* b = Read(Tga(kGrey, 3, 2, 8, {1, 2, 3, 4, 5, 6}, kTopFirst));
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->width, 3);
  EXPECT_EQ(a->height, 2);
  EXPECT_EQ(a->channels, 1);
  EXPECT_EQ(Samples(a), (Bytes{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(Samples(b), Samples(a));
  Host_Free_Icon_Image(a);
  Host_Free_Icon_Image(b);
}

// Colour pictures become R, G, B, A whatever the file's depth; a file without alpha is opaque.
TEST(HostPicture, ColourTgaBecomesRgbaFromBgrOrBgra) {
  struct Row {
    int bits;
    Bytes pixel;  // B, G, R (, A) as stored
    Bytes rgba;
  };
  const Row rows[] = {
      {32, {10, 20, 30, 40}, {30, 20, 10, 40}},  // alpha kept
      {24, {10, 20, 30}, {30, 20, 10, 255}},     // no alpha: opaque
  };
  for (const Row& r : rows) {
    Host_Icon_Image* image = Read(Tga(kTrue, 1, 1, r.bits, r.pixel));
    ASSERT_TRUE(image) << r.bits;
    EXPECT_EQ(image->channels, 4);
    EXPECT_EQ(Samples(image), r.rgba) << r.bits;
    Host_Free_Icon_Image(image);
  }
}

TEST(HostPicture, RunLengthTgaIsUnpacked) {
  // A run of three 7s and a raw packet of 8, 9, 10 make two rows of three, top first.
  const Bytes packets = {0x80 | 2, 7, 2, 8, 9, 10};
  Host_Icon_Image* image = Read(Tga(kGrey | kRle, 3, 2, 8, packets, kTopFirst));
  ASSERT_TRUE(image);
  EXPECT_EQ(Samples(image), (Bytes{7, 7, 7, 8, 9, 10}));
  Host_Free_Icon_Image(image);
}

// Every cut of a file short of its last pixel is refused with a report naming the file,
// whether its pixels are plain or packed.
TEST(HostPicture, TruncatedTgaIsRefusedAtEveryLength) {
  const Bytes plain = Tga(kGrey, 4, 4, 8, Bytes(16, 200));
  const Bytes packed = Tga(kGrey | kRle, 4, 4, 8, {0x80 | 7, 1, 0x80 | 7, 2});
  for (const Bytes* whole : {&plain, &packed}) {
    for (size_t cut = 0; cut < whole->size(); ++cut) {
      Host_Report_Capture capture;
      const Bytes part(whole->begin(), whole->begin() + long(cut));
      Host_Icon_Image* image = Read(part);
      EXPECT_EQ(image, nullptr) << "cut at " << cut;
      Host_Free_Icon_Image(image);
      EXPECT_TRUE(capture.Contains("picture \"test.tga\" cannot be read")) << cut;
    }
  }
}

TEST(HostPicture, BadHeadersAreRefused) {
  struct Row {
    const char* what;
    Bytes bytes;
    const char* reason;  // part of the report
  };
  Bytes too_wide = Tga(kGrey, HOST_PICTURE_MAX_SIDE + 1, 1, 8, Bytes(HOST_PICTURE_MAX_SIDE + 1, 0));
  const Row rows[] = {
      {"empty", {}, "empty"},
      {"shorter than a header", Bytes(10, 0), "header"},
      {"unknown image type", Tga(99, 2, 2, 8, Bytes(4, 0)), "cannot be read"},
      {"no pixel depth", Tga(kGrey, 2, 2, 0, Bytes(4, 0)), "depth"},
      {"zero width", Tga(kGrey, 0, 2, 8, {}), "cannot be read"},
      {"wider than the limit", too_wide, "cannot be read"},
      {"text, not a picture", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '!', '!', '!', '!',
                                    '!', '!', '!', '!'}, "cannot be read"},
  };
  for (const Row& r : rows) {
    Host_Report_Capture capture;
    Host_Icon_Image* image = Read(r.bytes);
    EXPECT_EQ(image, nullptr) << r.what;
    Host_Free_Icon_Image(image);
    EXPECT_TRUE(capture.Contains(r.reason)) << r.what;
  }
}

TEST(HostPicture, PngFilesAreReadAsIconAndAsSamples) {
  const Bytes grey = {0, 50, 100, 150, 200, 250};
  const Bytes rgba = {1, 2, 3, 4, 5, 6, 7, 8};
  const std::string grey_path = Temp_File("grey.png", {}), rgba_path = Temp_File("rgba.png", {});
  ASSERT_EQ(Host_Png_Write(grey_path.c_str(), 3, 2, 1, grey.data()), 1);
  ASSERT_EQ(Host_Png_Write(rgba_path.c_str(), 2, 1, 4, rgba.data()), 1);
  Host_Icon_Image* image = Host_Read_Icon_Image(Wide(grey_path).c_str());
  ASSERT_TRUE(image);
  EXPECT_EQ(image->channels, 1);
  EXPECT_EQ(Samples(image), grey);
  Host_Free_Icon_Image(image);
  Host_Icon_Record* icon = Host_Read_Icon(nullptr, Wide(rgba_path).c_str());
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->width, 2);
  EXPECT_EQ(Bytes(icon->rgba, icon->rgba + 8), rgba);
  Host_Free_Icon(icon);
  // An icon is always RGBA, grey pictures included.
  icon = Host_Read_Icon(nullptr, Wide(grey_path).c_str());
  ASSERT_TRUE(icon);
  EXPECT_EQ(Bytes(icon->rgba + 4, icon->rgba + 8), (Bytes{50, 50, 50, 255}));
  Host_Free_Icon(icon);
  std::filesystem::remove(grey_path);
  std::filesystem::remove(rgba_path);
}

TEST(HostPicture, TruncatedPngIsRefused) {
  const Bytes pixels(64 * 64, 77);
  const std::string path = Temp_File("whole.png", {});
  ASSERT_EQ(Host_Png_Write(path.c_str(), 64, 64, 1, pixels.data()), 1);
  FILE* f = std::fopen(path.c_str(), "rb");
  Bytes whole(size_t(std::filesystem::file_size(path)));
  ASSERT_EQ(std::fread(whole.data(), 1, whole.size(), f), whole.size());
  std::fclose(f);
  for (size_t cut : {size_t(8), size_t(40), whole.size() / 2, whole.size() - 13}) {
    Host_Report_Capture capture;
    Host_Icon_Image* image = Host_Read_Icon_Image_Memory(whole.data(), cut, L"cut.png");
    EXPECT_EQ(image, nullptr) << cut;
    Host_Free_Icon_Image(image);
    EXPECT_TRUE(capture.Contains("\"cut.png\" cannot be read")) << cut;
  }
  std::filesystem::remove(path);
}

// Regression: a PNG whose data chunk is empty made the first decoder copy into a null buffer
// (found by the fuzzer); PNG files now go through libpng, which refuses it with a report.
TEST(HostPicture, PngWithAnEmptyDataChunkIsRefusedCleanly) {
  const std::string path = std::string(QUARN_TEST_SOURCE_DIR) + "/hostkit/pictures/empty_data_chunk.png";
  Host_Report_Capture capture;
  Host_Icon_Image* image = Host_Read_Icon_Image(Wide(path).c_str());
  if (image) {
    EXPECT_EQ(image->channels, 4);
    EXPECT_EQ(image->width, 160);
  } else {
    EXPECT_TRUE(capture.Contains("empty_data_chunk.png\" cannot be read"));
  }
  Host_Free_Icon_Image(image);
}

TEST(HostPicture, MissingFileIsReportedByName) {
  Host_Report_Capture capture;
  EXPECT_EQ(Host_Read_Icon_Image(L"/nonexistent/none.tga"), nullptr);
  EXPECT_EQ(Host_Read_Icon(nullptr, L"/nonexistent/none.tga"), nullptr);
  EXPECT_EQ(Host_Read_Icon_Image(nullptr), nullptr);
  EXPECT_TRUE(capture.Contains("\"/nonexistent/none.tga\" cannot be read: no such file"));
  Host_Free_Icon(nullptr);  // null is fine
  Host_Free_Icon_Image(nullptr);
}

}  // namespace
