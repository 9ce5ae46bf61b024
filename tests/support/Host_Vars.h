// Host variables for tests: tables of name -> storage that hand on to the next lookup, the host
// kit's variables by name, and slots put back as they were when a test ends.
#pragma once

#include <quarn/quarn.h>

#include <cstring>
#include <cwchar>
#include <functional>
#include <initializer_list>
#include <vector>

namespace test_support {

/// One variable a test host provides: name, storage, element count and flag word.
struct Host_Var {
  const wchar_t* name;
  void* storage;
  int count = 1;
  uint16_t flags = 0;
};

/// The flag word of a variable whose storage holds the address of its elements.
inline constexpr uint16_t kTableFlags = VARIABLE_POINTER | VARIABLE_ARRAY;

/// The storage of name in table, its count and flags in the outs; otherwise what next finds
/// (null when there is no next).
inline void* Var_Lookup(std::initializer_list<Host_Var> table, Host_Var_Lookup next, const wchar_t* name,
                        int* count, uint16_t* flags, Host_Var_Update* update) {
  for (const Host_Var& v : table)
    if (!std::wcscmp(name, v.name)) {
      if (count) *count = v.count;
      if (flags) *flags = v.flags;
      if (update) *update = nullptr;
      return v.storage;
    }
  return next ? next(name, count, flags, update) : nullptr;
}

/// The storage of a host kit variable, as T.
template <class T>
T* Var(const wchar_t* name) {
  return static_cast<T*>(Host_Var_Get(name, nullptr, nullptr, nullptr));
}

/// Values of host kit variables (or any slot) put back when it goes, last saved first.
class Var_Restore {
public:
  Var_Restore() = default;
  Var_Restore(const Var_Restore&) = delete;
  Var_Restore& operator=(const Var_Restore&) = delete;
  ~Var_Restore() { Restore(); }

  /// Remembers the value of slot.
  template <class T>
  void Save(T* slot) {
    if (!slot) return;
    undo_.push_back([slot, value = *slot] { *slot = value; });
  }
  /// Remembers the value of the host kit variable name, as T.
  template <class T>
  void Save(const wchar_t* name) {
    Save(Var<T>(name));
  }
  /// Remembers the host kit variable name, then sets it to value.
  template <class T>
  void Set(const wchar_t* name, T value) {
    T* slot = Var<T>(name);
    Save(slot);
    if (slot) *slot = value;
  }
  /// Puts every remembered value back.
  void Restore() {
    while (!undo_.empty()) {
      undo_.back()();
      undo_.pop_back();
    }
  }

private:
  std::vector<std::function<void()>> undo_;
};

}  // namespace test_support
