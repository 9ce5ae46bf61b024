// A host for the display tests: variable table, main window queue, three windows, a 2D root.
#pragma once

#include "support/Host_Fixture.h"

#include <quarn/quarn.h>

#include <memory>

namespace display_test {

/// A host with the default variable table, a main window whose queue the test reads, three
/// listed windows (the second one hidden) whose timers run on the main window, and an empty
/// 2D root.
class Display_Host : public test_support::Host_Fixture {
public:
  void SetUp() override {
    Install();
    Open_Windows(3);
    W(0)->on = W(2)->on = 1;
    *Var<void*>(L"$WINDOW_CUR") = W(2);
    root_ = std::make_unique<Quarn_2D_Root>();
    saved_.Set<void*>(L"$DB_2D_ROOT_PT", root_.get());
  }

  static Quarn_Window* Sel(uintptr_t s) { return reinterpret_cast<Quarn_Window*>(s); }

  std::unique_ptr<Quarn_2D_Root> root_;
};

using Group = test_support::Group_2D;

}  // namespace display_test
