// A host for the small services: the default variable table, installed afresh for every test.
#pragma once

#include "support/Host_Fixture.h"

#include <quarn/quarn.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace services_test {

class Services_Host : public test_support::Host_Fixture {
protected:
  void SetUp() override { Install(); }
  void TearDown() override {
    Host_Fixture::TearDown();
    Host_Var_Default_Install();
  }

  /// The storage of a host variable (the test fails when there is none).
  template <class T>
  static T* Var(const wchar_t* name) {
    auto* storage = static_cast<T*>(Host_Var_Get(name, nullptr, nullptr, nullptr));
    EXPECT_NE(storage, nullptr) << "no variable";
    return storage;
  }
  /// The elements of an array variable.
  template <class T>
  static T* Table(const wchar_t* name) {
    return *Var<T*>(name);
  }
  /// Replaces the malloc'd wide text of a text variable.
  static void Set_Text(const wchar_t* name, const wchar_t* text) {
    wchar_t** slot = Var<wchar_t*>(name);
    std::free(*slot);
    *slot = text ? wcsdup(text) : nullptr;
  }
  /// Replaces the malloc'd narrow text of a text variable.
  static void Set_Narrow(const wchar_t* name, const char* text) {
    char** slot = Var<char*>(name);
    std::free(*slot);
    *slot = text ? strdup(text) : nullptr;
  }
};

}  // namespace services_test
