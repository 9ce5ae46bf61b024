// A host for the tree tests: the window list, the current window and the node counters as host
// variables, ten window records, and node kinds that count their destruction.
#pragma once

#include <quarn/quarn.h>

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <string>

namespace tree_test {

/// Ten window records, window i with index i.
struct Host_State {
  std::unique_ptr<Quarn_Window> window[10];
  Quarn_Window* window_pt[10] = {};
  int window_nb = 0;
  Quarn_Window** window_list = window_pt;
  Quarn_Window* window_cur = nullptr;
  uint32_t db_2d_index = 0;

  Host_State() {
    for (int i = 0; i < 10; ++i) {
      window[i] = std::make_unique<Quarn_Window>(i);
      window[i]->Class_B_Set(uint16_t(i));
      window_pt[i] = window[i].get();
    }
  }
};

/// The process's host; its storage stays put, as the library keeps the addresses it looks up.
inline Host_State& Host() {
  static Host_State state;
  return state;
}

/// The flag word of a test variable: the lists hold the address of their array, as a host's do.
inline uint16_t Flags_Of(const wchar_t* name) {
  for (const wchar_t* table : {L"$WINDOW_PT", L"$DB_2D_FILE_PT", L"$FRAME_CUR"})
    if (!std::wcscmp(name, table)) return VARIABLE_POINTER | VARIABLE_ARRAY;
  return 0;
}

inline void* Lookup(const wchar_t* name, int* count, uint16_t* flags, Host_Var_Update* update) {
  Host_State& h = Host();
  if (count) *count = 1;
  if (flags) *flags = Flags_Of(name);
  if (update) *update = nullptr;
  if (!std::wcscmp(name, L"$WINDOW_NB")) return &h.window_nb;
  if (!std::wcscmp(name, L"$WINDOW_PT")) return &h.window_list;
  if (!std::wcscmp(name, L"$WINDOW_CUR")) return &h.window_cur;
  if (!std::wcscmp(name, L"$DB_2D_INDEX")) return &h.db_2d_index;
  return nullptr;
}

/// Window i as the operations take it.
inline Quarn_Window* Window(int i) { return Host().window_pt[i]; }
/// A selector value that is not a window pointer (null, 4, 8).
inline void* Selector(uintptr_t value) { return reinterpret_cast<void*>(value); }

/// Installs the host: windows 0, 1 and 2 in the list, window 1 current, every window tiled.
class Tree_Test : public ::testing::Test {
protected:
  void SetUp() override {
    Fct_Main_Var_Get = &Lookup;
    Host_State& h = Host();
    h.window_nb = 3;
    h.window_list = h.window_pt;
    h.window_cur = Window(1);
    for (int i = 0; i < 10; ++i) {
      h.window[i]->Class_A_Set(0x100);
      h.window[i]->Class_B_Set(uint16_t(i));
    }
  }
};

/// Counts destructions of test nodes.
inline int& Destroyed() {
  static int count = 0;
  return count;
}

/// A group node of any tree, named on construction, that counts its destruction.
template <class Base>
struct Group : Base {
  explicit Group(const wchar_t* name) { this->Name_Set(L"%ls", name); }
  ~Group() override { ++Destroyed(); }
};

}  // namespace tree_test
