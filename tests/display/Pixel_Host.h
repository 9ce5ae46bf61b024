// A host for the pixel-rendering tests: the default host variables, with an identity colour map
// (entry i holds i) that the tests can put in place of the host's maps.
#pragma once

#include "support/Host_Vars.h"

#include <gtest/gtest.h>

#include <quarn/quarn.h>

#include <cstdint>
#include <vector>

namespace pixel_test {

using test_support::Var;

/// The default host variables; Identity_Map() swaps the host's colour maps for one whose entry i
/// is i, so that a mapped value shows its map index.
class Pixel_Test : public ::testing::Test {
protected:
  void SetUp() override {
    Host_Var_Default_Install();
    Fct_Main_Var_Get = Host_Var_Get;
    saved_.Save<uint32_t**>(L"$COLORMAP_GLI_PT");
  }
  void TearDown() override { saved_.Restore(); }

  /// Replaces the colour maps by one identity map of size entries.
  void Identity_Map(uint16_t size = 256) {
    identity_.resize(size);
    for (uint32_t i = 0; i < size; ++i) identity_[i] = i;
    table_[0] = identity_.data();
    *Var<uint32_t**>(L"$COLORMAP_GLI_PT") = table_;
    *Var<uint16_t>(L"$COLORMAP_GLI_CUR") = 0;
    *Var<uint16_t>(L"$COLORMAP_GLI_SIZE") = size;
  }
  /// Makes the host's table of colour maps null.
  void No_Maps() { *Var<uint32_t**>(L"$COLORMAP_GLI_PT") = nullptr; }

private:
  test_support::Var_Restore saved_;
  std::vector<uint32_t> identity_;
  uint32_t* table_[1] = {};
};

/// 0xAABBGGRR of four bytes R, G, B, A.
constexpr uint32_t Rgba(uint32_t r, uint32_t g, uint32_t b, uint32_t a) { return r | g << 8 | b << 16 | a << 24; }

}  // namespace pixel_test
