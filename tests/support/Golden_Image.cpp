// Golden-image comparison: baselines read from the source tree, failures written beside the
// test binary.
#include "support/Golden_Image.h"

#include <hostkit/HostPng.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace test_support {

namespace {

namespace fs = std::filesystem;

// The difference picture shows the baseline at this share of its brightness under the red.
constexpr int kDim = 4;

bool Updating() {
  const char* update = std::getenv("QUARN_UPDATE_GOLDEN");
  return update && std::strcmp(update, "1") == 0;
}

fs::path Output_Folder() { return fs::path(QUARN_TEST_BINARY_DIR) / "golden_out"; }

// The base name under golden_out/ for a baseline: its path with separators made dashes.
std::string Output_Name(const std::string& baseline) {
  std::string name = fs::path(baseline).replace_extension().string();
  std::replace(name.begin(), name.end(), '/', '-');
  return name;
}

std::string Write_Actual(const Image& actual, const std::string& baseline) {
  fs::create_directories(Output_Folder());
  const std::string path = (Output_Folder() / (Output_Name(baseline) + ".actual.png")).string();
  Write_Png(path, actual);
  return path;
}

bool Differs(const uint8_t* a, const uint8_t* b, int channel) {
  for (int k = 0; k < 4; ++k)
    if (std::abs(int(a[k]) - int(b[k])) > channel) return true;
  return false;
}

}  // namespace

int Image::Count(uint32_t rgb) const {
  int n = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) n += Rgb(x, y) == rgb;
  return n;
}

Image Read_Png(const std::string& path) {
  Image image;
  if (!fs::exists(path)) return image;
  uint8_t* pixels = Host_Png_Read(path.c_str(), &image.width, &image.height);
  if (!pixels) return Image{};
  image.rgba.assign(pixels, pixels + size_t(image.width) * size_t(image.height) * 4);
  std::free(pixels);
  return image;
}

bool Write_Png(const std::string& path, const Image& image) {
  return Host_Png_Write(path.c_str(), image.width, image.height, 4, image.rgba.data()) == 1;
}

::testing::AssertionResult Golden_Match(const Image& actual, const std::string& baseline,
                                        Tolerance tolerance) {
  const fs::path source = fs::path(QUARN_TEST_SOURCE_DIR) / baseline;
  if (Updating()) {
    fs::create_directories(source.parent_path());
    if (!Write_Png(source.string(), actual))
      return ::testing::AssertionFailure() << "cannot write baseline " << source;
    return ::testing::AssertionSuccess() << "baseline " << source << " written";
  }
  const Image expected = Read_Png(source.string());
  if (expected.rgba.empty())
    return ::testing::AssertionFailure() << "no baseline " << source << "; the picture drawn is "
                                         << Write_Actual(actual, baseline)
                                         << " (QUARN_UPDATE_GOLDEN=1 writes baselines)";
  if (expected.width != actual.width || expected.height != actual.height)
    return ::testing::AssertionFailure() << "baseline " << source << " is " << expected.width << "x"
                                         << expected.height << ", the picture " << actual.width << "x"
                                         << actual.height << ": " << Write_Actual(actual, baseline);
  Image difference = expected;
  long differing = 0;
  for (size_t i = 0; i < actual.rgba.size(); i += 4) {
    uint8_t* d = &difference.rgba[i];
    if (Differs(&actual.rgba[i], &expected.rgba[i], tolerance.channel)) {
      ++differing;
      d[0] = 255, d[1] = 0, d[2] = 0, d[3] = 255;
    } else {
      for (int k = 0; k < 3; ++k) d[k] = uint8_t(d[k] / kDim);
      d[3] = 255;
    }
  }
  const long pixels = long(actual.width) * actual.height;
  if (double(differing) <= tolerance.share * double(pixels)) return ::testing::AssertionSuccess();
  const std::string diff_path = (Output_Folder() / (Output_Name(baseline) + ".diff.png")).string();
  const std::string actual_path = Write_Actual(actual, baseline);
  Write_Png(diff_path, difference);
  return ::testing::AssertionFailure() << differing << " of " << pixels << " pixels differ from " << source
                                       << " by more than " << tolerance.channel << " (at most "
                                       << tolerance.share * 100 << "% may); actual " << actual_path
                                       << ", difference " << diff_path;
}

}  // namespace test_support
