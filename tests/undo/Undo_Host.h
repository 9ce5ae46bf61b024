// A host for the undo and dispatch tests: the default variables, a main window whose messages the
// test reads, an empty undo ring, and frames over one image record when a test asks for them.
#pragma once

#include "support/Host_Fixture.h"

#include <quarn/quarn.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace undo_test {

using test_support::Var;
using Group = test_support::Group_2D;

/// The 256 marks of "$UNDO_TAG" (the variable holds their address).
inline uint8_t* Marks() { return *Var<uint8_t*>(L"$UNDO_TAG"); }

/// A record of columns x rows x slices 16-bit pixels, pixel i holding i modulo 997.
inline Host_Image_Record* Grey_997(int columns, int rows, int slices) {
  std::vector<int16_t> grey(size_t(columns) * rows * slices);
  for (size_t i = 0; i < grey.size(); ++i) grey[i] = int16_t(i % 997);
  return Host_Image_Create(columns, rows, slices, 1, HOST_PIXEL_S16, grey.data());
}

/// Frames over one record of columns x rows x slices 16-bit pixels: root -> series -> frames,
/// the root in $DB_2D_ROOT_PT.
class Frame_Set : public test_support::Root_Holder, public test_support::Frame_Series {
public:
  Frame_Set(int columns, int rows, int slices)
      : Frame_Series(&root, new Group(L"series"), L"/undo/series.dcm", Grey_997(columns, rows, slices)) {
    *Var<void*>(L"$DB_2D_ROOT_PT") = &root;
  }
  ~Frame_Set() {
    *Var<void*>(L"$DB_2D_ROOT_PT") = nullptr;
    root.Child_Delete();  // the frames go before the record they point into
  }

  /// The record's grey value at a pixel of frame n.
  int16_t& Grey(int n, int x, int y) const {
    return *static_cast<int16_t*>(Host_Image_Pixel(nullptr, Record(), Record()->pixels, 0, x, y, n, 0));
  }
  /// The host's update pass: frames drop the layers their pending bits name.
  void Update_Pass() {
    Database_2D_Update_A(~0ull, &root);
    root.Update_A_Set_Off(0x30, reinterpret_cast<void*>(uintptr_t(8)), ~0ull);
  }
};

/// Default variables, a main window, the undo ring emptied; pop-ups answered from a script.
class Undo_Host : public test_support::Host_Fixture {
public:
  void SetUp() override {
    Install();
    // A plain 256-byte lock table reads the same whether or not the reader honours the array flag.
    static uint8_t no_locks[256] = {};
    Host_Var_Define(L"$TAG_LOCK", VARIABLE_CHAR | VARIABLE_UNSIGNED, 256, no_locks);
    Open_Windows(1);  // index 0 in the host's list: "all windows" reaches it
    Host_Popup_Reset();
    Undo_Create();
    Undo_Reset();
  }
  void TearDown() override {
    // An aborted recording refuses edits until the next start: start and stop once, so that the
    // edits of later tests in this process are not refused.
    if (Undo_Pixel_Start_TAG()) std::free(Undo_Pixel_Stop_TAG());
    if (Undo_Pixel_Start_GLI()) std::free(Undo_Pixel_Stop_GLI());
    Undo_Cleanup();
    Host_Popup_Reset();
    Host_Fixture::TearDown();
  }

  /// The host's window.
  Quarn_Window* Window() const { return W(0); }
};

}  // namespace undo_test
