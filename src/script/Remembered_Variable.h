// Remembered_Variable: a host variable's storage address, looked up once and kept while the host's
// lookup stays the same.
#pragma once

#include <quarn/script/Host_Variable.h>

#include <atomic>

namespace quarn {

/// The storage of one host variable. The lookup is repeated only while the host does not know
/// the name, so a host that defines its variables late is still found; once found, the address
/// is kept, as the host keeps its variables for the whole run, until the host installs another
/// lookup (another variable table): then the name is looked up again in the new table.
class Remembered_Variable {
public:
  /// A variable that is only read (read-only variables are accepted).
  explicit constexpr Remembered_Variable(const wchar_t* name, bool written = false)
      : name_(name), written_(written) {}

  /// The storage address, or null while the host has no such variable.
  void* Get() {
    const Host_Var_Lookup lookup = Fct_Main_Var_Get;
    void* storage = storage_.load(std::memory_order_acquire);
    if (storage && lookup_.load(std::memory_order_relaxed) == lookup) return storage;
    return Look_Up(lookup);
  }

  /// The storage as a T, or null.
  template <class T>
  T* As() {
    return static_cast<T*>(Get());
  }

  /// The variable's value as a T, or T{} while the host has no such variable.
  template <class T>
  T Value() {
    T* storage = As<T>();
    return storage ? *storage : T{};
  }

  /// The elements of a table-valued variable as T, read through the pointer the storage holds when
  /// the host flags the variable as an array (so a host that moves its table is followed), or the
  /// storage itself otherwise; null while the host has no such variable or no table.
  template <class T>
  T* Table() {
    void* storage = Get();
    return static_cast<T*>(Fct_Variable_Elements(storage, flags_.load(std::memory_order_relaxed)));
  }

  /// The element count the host gave for the variable (0 when it gave none or has no such
  /// variable); a table read must stay below it.
  int Count() {
    Get();
    return count_.load(std::memory_order_relaxed);
  }

private:
  // Out of line of the hot path: the first read, and the first after the host changed its lookup.
  [[gnu::noinline]] void* Look_Up(Host_Var_Lookup lookup) {
    uint16_t flags = 0;
    int count = 0;
    void* storage = Fct_Variable_Get(name_, &count, &flags, nullptr, written_ ? 0 : 1);
    flags_.store(storage ? flags : 0, std::memory_order_relaxed);
    count_.store(storage ? count : 0, std::memory_order_relaxed);
    lookup_.store(lookup, std::memory_order_relaxed);
    storage_.store(storage, std::memory_order_release);
    return storage;
  }

  const wchar_t* name_;
  bool written_;
  std::atomic<Host_Var_Lookup> lookup_{nullptr};  // the lookup storage_ came from
  std::atomic<void*> storage_{nullptr};
  std::atomic<uint16_t> flags_{0};
  std::atomic<int> count_{0};
};

}  // namespace quarn
