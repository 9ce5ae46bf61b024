// Pictures that drawing tests read back, and their comparison with PNG baselines kept in the
// source tree (tests/<area>/golden/*.png) under a stated tolerance.
//
// On a mismatch the actual picture and a difference picture (differing pixels red over a dim
// copy of the baseline) are written into the test binary folder's golden_out/ and named in
// the failure. A missing baseline fails too (its actual picture is written). To make or
// refresh baselines on purpose, run the tests with QUARN_UPDATE_GOLDEN=1 in the environment
// (tests/support/update_golden.sh does it for a filter), then look at every picture before
// committing it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace test_support {

/// An RGBA picture, rows top first.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;

  /// The pixel at column x, row y (row 0 is the top), as four bytes R, G, B, A.
  const uint8_t* At(int x, int y) const { return &rgba[(size_t(y) * size_t(width) + size_t(x)) * 4]; }
  /// The pixel as 0xRRGGBB (alpha left out).
  uint32_t Rgb(int x, int y) const {
    const uint8_t* p = At(x, y);
    return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
  }
  /// Number of pixels whose colour is rgb (0xRRGGBB).
  int Count(uint32_t rgb) const;
};

/// How far a picture may be from its baseline.
struct Tolerance {
  int channel = 0;     ///< Largest difference of one channel (0-255) that still counts as equal.
  double share = 0.0;  ///< Share of pixels (0-1) that may differ beyond channel.
};

/// Reads a PNG file as RGBA; an empty image when it cannot be read.
Image Read_Png(const std::string& path);
/// Writes a picture as PNG; true when written.
bool Write_Png(const std::string& path, const Image& image);

/// Compares a picture with the baseline tests/<baseline> (e.g. "display/golden/text.png").
/// With QUARN_UPDATE_GOLDEN=1 set it writes the baseline instead and passes.
::testing::AssertionResult Golden_Match(const Image& actual, const std::string& baseline,
                                        Tolerance tolerance);

}  // namespace test_support
