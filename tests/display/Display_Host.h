// A host for the display tests: variable table, main window queue, three windows, a 2D root.
#pragma once

#include <quarn/quarn.h>

#include <platform/PlatformMessage.h>
#include <platform/PlatformWindow.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace display_test {

/// A host with the default variable table, a main window whose queue the test reads, three
/// listed windows (the second one hidden) whose timers run on the main window, and an empty
/// 2D root.
class Display_Host : public ::testing::Test {
public:
  void SetUp() override {
    Host_Var_Default_Install();
    Fct_Main_Var_Get = Host_Var_Get;
    Host_Main_Window = Platform_Window_Create(L"main", 100, 100, nullptr);
    void** list = *static_cast<void***>(Host_Var_Get(L"$WINDOW_PT", nullptr, nullptr, nullptr));
    for (int i = 0; i < 3; ++i) {
      windows_.push_back(std::make_unique<Quarn_Window>(i));
      windows_[i]->Class_B_Set(uint16_t(i));
      windows_[i]->on = i != 1;
      windows_[i]->hwnd = Host_Main_Window;
      list[i] = windows_[i].get();
    }
    *Var<int>(L"$WINDOW_NB") = 3;
    *Var<void*>(L"$WINDOW_CUR") = windows_[2].get();
    root_ = std::make_unique<Quarn_2D_Root>();
    *Var<void*>(L"$DB_2D_ROOT_PT") = root_.get();
  }
  void TearDown() override {
    *Var<void*>(L"$DB_2D_ROOT_PT") = nullptr;
    Platform_Window_Destroy(Host_Main_Window);
    Host_Main_Window = nullptr;
  }

  template <class T>
  static T* Var(const wchar_t* name) {
    return static_cast<T*>(Host_Var_Get(name, nullptr, nullptr, nullptr));
  }

  /// Takes every queued message off the main window.
  std::vector<Platform_Message> Messages() {
    std::vector<Platform_Message> out;
    Platform_Message m;
    while (Platform_Peek_Message(Host_Main_Window, &m, 1)) out.push_back(m);
    return out;
  }

  Quarn_Window* W(int i) { return windows_[i].get(); }
  static Quarn_Window* Sel(uintptr_t s) { return reinterpret_cast<Quarn_Window*>(s); }

  std::vector<std::unique_ptr<Quarn_Window>> windows_;
  std::unique_ptr<Quarn_2D_Root> root_;
};

/// A plain group node of the 2D tree.
struct Group : Quarn_2D {
  explicit Group(const wchar_t* name, uint16_t class_a = 0x2001) {
    Name_Set(L"%ls", name);
    Class_A_Set(class_a);
  }
};

}  // namespace display_test
