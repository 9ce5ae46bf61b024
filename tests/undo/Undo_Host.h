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

/// Frames over one record of columns x rows x slices 16-bit pixels: root -> series -> frames.
class Frame_Set {
public:
  Frame_Set(int columns, int rows, int slices) {
    std::vector<int16_t> grey(size_t(columns) * rows * slices);
    for (size_t i = 0; i < grey.size(); ++i) grey[i] = int16_t(i % 997);
    file_ = test_support::File_Of(
        L"/undo/series.dcm", {Host_Image_Create(columns, rows, slices, 1, HOST_PIXEL_S16, grey.data())});
    auto* series = new Group(L"series");
    root.Child_Add(series);
    frames = test_support::Insert_Frames(series, file_.get());
    *Var<void*>(L"$DB_2D_ROOT_PT") = &root;
  }
  ~Frame_Set() {
    *Var<void*>(L"$DB_2D_ROOT_PT") = nullptr;
    root.Child_Delete();  // the frames go before the record they point into
  }
  Frame_Set(const Frame_Set&) = delete;
  Frame_Set& operator=(const Frame_Set&) = delete;

  Host_Image_Record* Record() const { return file_->Record_Get(0); }
  /// The record's tag byte at a pixel of frame n.
  uint8_t& Tag(int n, int x, int y) const {
    return *static_cast<uint8_t*>(Host_Image_Pixel(nullptr, Record(), Record()->tags, HOST_PIXEL_TAG, x, y, n, 0));
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

  Quarn_2D_Root root;
  std::vector<Quarn_2D_Frame*> frames;

private:
  std::unique_ptr<Quarn_2D_File> file_;
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
