// What the three database roots share: their host variables, the confirmation and the build loop.
#pragma once

#include <quarn/classes/Class_Flag.h>
#include <quarn/display/Critical.h>
#include <quarn/display/Update.h>
#include <quarn/host/Progress.h>
#include <quarn/modules/Module_Functions.h>

#include "core/Trace.h"
#include "script/Remembered_Variable.h"

#include <cstdint>

namespace quarn::db {

/// The host variables of one tree ("1D", "2D" or "3D").
struct Dimension {
  const char* tag;
  Remembered_Variable root;
  Remembered_Variable index;
  Remembered_Variable file_nb;
  Remembered_Variable file_pt;
  Remembered_Variable tree_nb;
  Remembered_Variable tree_pt;

  /// The tree's root variable as a T* slot, or null without the variable.
  template <class T>
  T** Root_Slot() {
    return root.As<T*>();
  }
  /// The tree's root, or null.
  template <class T>
  T* Root() {
    T** slot = Root_Slot<T>();
    return slot ? *slot : nullptr;
  }
  /// Sets the node serial counter back to 0.
  void Index_Reset() {
    if (uint32_t* counter = index.As<uint32_t>()) *counter = 0;
  }
  /// The tree modules in level order; returns their count (0 without a list).
  int Modules(Module_Functions* const** list);
  /// The file records; returns their count (0 without a list).
  template <class File>
  int Files(File* const** list) {
    const int* count = file_nb.As<int>();
    File** const* files = file_pt.As<File**>();
    *list = files ? *files : nullptr;
    return count && *list ? *count : 0;
  }
};

/// The three trees' variables, indexed 0 (1D), 1 (2D), 2 (3D).
Dimension& Dim(int which);
/// Index 0-2 of a dimension text by its first two characters, any case; -1 when none.
int Dim_Index(const char* dimension);

/// Asks whether the unsaved edits may go; true for the first button ("Go ahead").
bool Cleanup_Confirmed();

/// The steps every generation shares around its file loop: batch, lock, progress, failure text.
/// add(file) inserts one file; key(file) is the text the failure report names.
template <class File, class Add, class Key>
int Generate_Files(const char* label, File* const* files, int count, Add&& add, Key&& key) {
  for (int i = 0; i < count; ++i) {
    if (add(files[i])) continue;
    Fct_Critical_Out(label);
    QUARN_REPORT(msg::Invalid, "\xF1" "\x04" "ERROR:" "\x02" " Failed in setup for file %ls", key(files[i]));
    Fct_Update(UPDATE_DELAY_OFF);
    Fct_Redraw(UPDATE_DELAY_OFF);
    return 0;
  }
  return 1;
}

/// Opens a batch of requests and enters the global lock for a rebuild.
void Rebuild_Open(const char* label);
/// Leaves the global lock and closes the batch (cleanup failed or done).
void Rebuild_Close(const char* label);

}  // namespace quarn::db
