// Host variable lookups under the variable lock, and direct values of scalar variables.
#include <quarn/script/Host_Variable.h>

#include "core/Trace.h"

#include <cstdint>
#include <mutex>

Host_Var_Lookup Fct_Main_Var_Get = nullptr;

namespace {

// Created on first use: lookups may start before the host has finished its start-up.
std::recursive_mutex& Variable_Lock() {
  static std::recursive_mutex lock;
  return lock;
}

void* Locked_Lookup(const wchar_t* name, int* count, uint16_t* flags, Host_Var_Update* update) {
  std::lock_guard<std::recursive_mutex> hold(Variable_Lock());
  const wchar_t* shown = name ? name : L"null";
  QUARN_REPORT(quarn::msg::Critical, L"\u25BC6\u25BC\u25BC\u25BC\u25BC Var \u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC \"%ls\"", shown);
  Host_Var_Lookup lookup = Fct_Main_Var_Get;
  void* storage = lookup && name ? lookup(name, count, flags, update) : nullptr;
  QUARN_REPORT(quarn::msg::Critical, L"\u25B26\u25B2\u25B2\u25B2\u25B2 Var \u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2 \"%ls\"", shown);
  return storage;
}

[[gnu::cold]] void Warn(const wchar_t* what, const wchar_t* name, const wchar_t* hint) {
  QUARN_REPORT(quarn::msg::Notice, L"\xF1\x05WARNING:\x02 %ls \x01%ls\x02", what, name);
  if (hint) QUARN_REPORT(quarn::msg::Notice, L"\xF1\t%ls", hint);
}

}  // namespace

void* Fct_Variable_Get(const wchar_t* name, int* count, uint16_t* flags, Host_Var_Update* update,
                       uint8_t read_only_ok) {
  QUARN_REPORT(quarn::msg::Variable, L">>> in  Fct: Fct_Variable_Get(%ls)", name ? name : L"null");
  uint16_t local_flags = 0;
  uint16_t* f = flags ? flags : &local_flags;
  void* storage = Locked_Lookup(name, count, f, update);
  if (!storage) {
    QUARN_REPORT(quarn::msg::Variable, "<<< out Fct: Fct_Variable_Get(unknown)");
    return nullptr;
  }
  if (!read_only_ok && (*f & VARIABLE_READ_ONLY)) {
    QUARN_REPORT(quarn::msg::Notice, L"\xF1\x05WARNING:\x02 Variable \x01%ls\x02 is read only!", name);
    QUARN_REPORT(quarn::msg::Notice, L"\xF1\tUse \"Fct_Variable_Value()\" to get its value");
    QUARN_REPORT(quarn::msg::Variable, "<<< out Fct: Fct_Variable_Get(read only)");
    return nullptr;
  }
  QUARN_REPORT(quarn::msg::Variable, "<<< out Fct: Fct_Variable_Get()");
  return storage;
}

void* Fct_Variable_Value(const wchar_t* name, int* count, uint16_t* flags,
                         Host_Var_Update* update) {
  QUARN_REPORT(quarn::msg::Variable, L">>> in  Fct: Fct_Variable_Value(%ls)", name ? name : L"null");
  uint16_t local_flags = 0;
  uint16_t* f = flags ? flags : &local_flags;
  void* storage = Locked_Lookup(name, count, f, update);
  if (!storage) {
    QUARN_REPORT(quarn::msg::Variable, "<<< out Fct: Fct_Variable_Value(unknown)");
    return nullptr;
  }
  const uint16_t type = *f & VARIABLE_TYPE_MASK;
  const bool is_unsigned = type & VARIABLE_UNSIGNED;
  intptr_t value = 0;
  bool ok = true;
  if (type & (VARIABLE_ARRAY | VARIABLE_STRING | VARIABLE_POINTER)) {
    // Texts (wide or narrow), pointers and arrays hand out the pointer the storage holds.
    value = reinterpret_cast<intptr_t>(*static_cast<void**>(storage));
  } else {
    switch (type & ~VARIABLE_UNSIGNED) {
      case VARIABLE_CHAR:
        value = is_unsigned ? intptr_t(*static_cast<uint8_t*>(storage))
                            : intptr_t(*static_cast<int8_t*>(storage));
        break;
      case VARIABLE_SHORT:
        value = is_unsigned ? intptr_t(*static_cast<uint16_t*>(storage))
                            : intptr_t(*static_cast<int16_t*>(storage));
        break;
      case VARIABLE_INT:
        value = is_unsigned ? intptr_t(*static_cast<uint32_t*>(storage))
                            : intptr_t(*static_cast<int32_t*>(storage));
        break;
      case VARIABLE_COLOR:
        value = intptr_t(*static_cast<uint32_t*>(storage));
        break;
      case VARIABLE_FLOAT:
      case VARIABLE_DOUBLE:
        Warn(L"You can not get a direct value for", name,
             L"For float & double variable use \"Fct_Variable_Get()\"");
        ok = false;
        break;
      default:
        Warn(L"Unable to get a value for", name, nullptr);
        ok = false;
        break;
    }
  }
  QUARN_REPORT(quarn::msg::Variable, ok ? "<<< out Fct: Fct_Variable_Value()"
                                        : "<<< out Fct: Fct_Variable_Value(no value)");
  return reinterpret_cast<void*>(value);
}
