// What the three database roots share: their host variables, the confirmation and the build loop.
#pragma once

#include <quarn/classes/Class_Flag.h>
#include <quarn/display/Critical.h>
#include <quarn/display/Update.h>
#include <quarn/host/Progress.h>
#include <quarn/modules/Module_Functions.h>

#include "classes/Window_Selector.h"
#include "core/Check.h"
#include "core/Trace.h"
#include "script/Remembered_Variable.h"

#include <cstdint>
#include <new>

namespace quarn::db {

/// The array a pair of count and array variables holds; returns the count (0 without either).
template <class T>
int List_Of(Remembered_Variable& nb, Remembered_Variable& pt, T* const** list) {
  const int* count = nb.As<int>();
  T** const* items = pt.As<T**>();
  *list = items ? *items : nullptr;
  return count && *list && *count > 0 ? *count : 0;
}

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
    return List_Of(file_nb, file_pt, list);
  }
};

/// The three trees' variables, indexed 0 (1D), 1 (2D), 2 (3D).
Dimension& Dim(int which);
/// Index 0-2 of a dimension text by its first two characters, any case; -1 when none.
int Dim_Index(const char* dimension);

/// Asks whether the unsaved edits may go; true for the first button ("Go ahead").
bool Cleanup_Confirmed();

/// True when the root carries the bit of unsaved edits (window index 0).
template <class Node>
bool Root_Modified(Node* root) {
  return root && root->Flag_Get_Bit(mode::Self, reinterpret_cast<void*>(Selector_None), flag::Modified);
}

/// The clean-up every tree shares: the confirmation when the root holds unsaved edits (the 3D
/// tree first says so), the node counter back to 0, free() to release the old tree and a new
/// empty Root in the variable. 0 when the user keeps the edits; the caller traces the exit.
template <class Root, class Node>
int Tree_Cleanup(Dimension& d, const char* label, void (*free)(), bool report_edited = false) {
  QUARN_REPORT(msg::DB_Cleanup, ">>> in  Fct: %s()", label);
  if (Root_Modified(d.Root<Node>())) {
    if (report_edited) QUARN_REPORT(msg::Low_File, "in %s(root=edited!)", label);
    if (!Cleanup_Confirmed()) {
      QUARN_REPORT(msg::DB_Cleanup, "<<< out Fct: %s(cancel)", label);
      return 0;
    }
  }
  d.Index_Reset();
  free();
  if (Node** slot = d.Root_Slot<Node>()) {
    *slot = new (std::nothrow) Root();
    if (!*slot) QUARN_MEMORY_ERROR_NEW();
  }
  return 1;
}

/// Destroys the tree of the dimension; its root variable becomes null.
template <class Node>
void Root_Delete(Dimension& d) {
  if (Node** slot = d.Root_Slot<Node>()) {
    delete *slot;
    *slot = nullptr;
  }
}

/// Adds every file with add(file); on the first failure leaves the lock, reports the file by
/// key(file), closes the batch and returns 0.
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

/// The generation every tree shares: batch and lock around cleanup() and fill() (which starts the
/// progress and adds the files, 0 on a failed file), then finish() with the batch released.
template <class Fill, class Finish>
int Tree_Generate(const char* label, int (*cleanup)(), Fill&& fill, Finish&& finish) {
  QUARN_REPORT(msg::DB_Cleanup, ">>> in  Fct: %s()", label);
  Rebuild_Open(label);
  if (!cleanup()) {
    Rebuild_Close(label);
    QUARN_REPORT(msg::DB_Cleanup, "<<< out Fct: %s(bad cleanup)", label);
    return 0;
  }
  if (!fill()) {
    Fct_Progress_Stop();
    QUARN_REPORT(msg::DB_Cleanup, "<<< out Fct: %s(failed)", label);
    return 0;
  }
  Rebuild_Close(label);
  finish();
  Fct_Progress_Stop();
  QUARN_REPORT(msg::DB_Cleanup, "<<< out Fct: %s()", label);
  return 1;
}

}  // namespace quarn::db
