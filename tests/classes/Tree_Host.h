// A host for the tree tests: the window list, the current window and the node counters as host
// variables, ten window records, and node kinds that count their destruction.
#pragma once

#include "support/Host_Vars.h"

#include <quarn/quarn.h>

#include <gtest/gtest.h>

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

inline void* Lookup(const wchar_t* name, int* count, uint16_t* flags, Host_Var_Update* update) {
  Host_State& h = Host();
  return test_support::Var_Lookup({{L"$WINDOW_NB", &h.window_nb},
                                   {L"$WINDOW_PT", &h.window_list, 1, test_support::kTableFlags},
                                   {L"$WINDOW_CUR", &h.window_cur},
                                   {L"$DB_2D_INDEX", &h.db_2d_index}},
                                  nullptr, name, count, flags, update);
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
