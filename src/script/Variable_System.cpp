// Mirroring of host variables as texts, and writing script texts back into host storage.
#include "script/Variable_Internal.h"

#include <quarn/script/Host_Variable.h>
#include <quarn/script/Script_Args.h>

#include "script/Script_Text.h"

#include "core/Check.h"
#include "core/Trace.h"

#include <hostkit/HostUtil.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace quarn::script {

Host_Type Host_Type_Of(uint16_t flags) {
  const uint16_t type = flags & VARIABLE_TYPE_MASK;
  Host_Type t{Host_Kind::Other, (type & VARIABLE_UNSIGNED) != 0, (type & VARIABLE_ARRAY) != 0, 0};
  const uint16_t base = type & ~(VARIABLE_ARRAY | VARIABLE_UNSIGNED);
  if (base & VARIABLE_STRING) t = {(base & VARIABLE_CHAR) ? Host_Kind::Narrow : Host_Kind::Text, false, t.is_array, sizeof(void*)};
  else if (base & VARIABLE_POINTER) t = {Host_Kind::Pointer, false, t.is_array, sizeof(void*)};
  else if ((base & VARIABLE_VECT) && (base & VARIABLE_CHAR)) t = {Host_Kind::Other, false, t.is_array, 0};
  else if (base & VARIABLE_VECT) t = {Host_Kind::Vect, false, t.is_array, sizeof(float)};
  else if (base & VARIABLE_COLOR) t = {Host_Kind::Color, true, t.is_array, sizeof(uint32_t)};
  else if (base & VARIABLE_INT64) t = {Host_Kind::Int64, t.is_unsigned, t.is_array, 8};
  else if (base & VARIABLE_DOUBLE) t = {Host_Kind::Double, false, t.is_array, sizeof(double)};
  else if (base & VARIABLE_FLOAT) t = {Host_Kind::Float, false, t.is_array, sizeof(float)};
  else if (base & VARIABLE_INT) t = {Host_Kind::Int, t.is_unsigned, t.is_array, 4};
  else if (base & VARIABLE_SHORT) t = {Host_Kind::Short, t.is_unsigned, t.is_array, 2};
  else if (base & VARIABLE_CHAR) t = {Host_Kind::Char, t.is_unsigned, t.is_array, 1};
  return t;
}

namespace {

constexpr int kNumberText = 64;

// Reads an integer element of any width, extended by its signedness.
long long Integer_At(const Host_Type& t, const char* p) {
  switch (t.width) {
    case 1: return t.is_unsigned ? (long long)*reinterpret_cast<const uint8_t*>(p) : *reinterpret_cast<const int8_t*>(p);
    case 2: return t.is_unsigned ? (long long)*reinterpret_cast<const uint16_t*>(p) : *reinterpret_cast<const int16_t*>(p);
    case 4: return t.is_unsigned ? (long long)*reinterpret_cast<const uint32_t*>(p) : *reinterpret_cast<const int32_t*>(p);
    default: return *reinterpret_cast<const int64_t*>(p);
  }
}

void Integer_Store(const Host_Type& t, char* p, long long v) {
  switch (t.width) {
    case 1: *reinterpret_cast<uint8_t*>(p) = uint8_t(v); break;
    case 2: *reinterpret_cast<uint16_t*>(p) = uint16_t(v); break;
    case 4: *reinterpret_cast<uint32_t*>(p) = uint32_t(v); break;
    default: *reinterpret_cast<uint64_t*>(p) = uint64_t(v); break;
  }
}

// The text of one element of a host array (or of scalar storage), null when it has none.
wchar_t* Element_Text(const Host_Type& t, const void* base, int k) {
  const char* p = static_cast<const char*>(base) + size_t(k) * t.width;
  wchar_t number[kNumberText];
  const wchar_t* text = number;
  switch (t.kind) {
    case Host_Kind::Char:
    case Host_Kind::Short:
    case Host_Kind::Int:
      if (t.is_unsigned) Host_Format(number, kNumberText, L"%u", unsigned(Integer_At(t, p)));
      else Host_Format(number, kNumberText, L"%d", int(Integer_At(t, p)));
      break;
    case Host_Kind::Int64: Host_Format(number, kNumberText, L"%lld", Integer_At(t, p)); break;
    case Host_Kind::Float:
    case Host_Kind::Vect:
      Host_Format(number, kNumberText, L"%.4f", double(*reinterpret_cast<const float*>(p)));
      break;
    case Host_Kind::Double: Host_Format(number, kNumberText, L"%.4g", *reinterpret_cast<const double*>(p)); break;
    case Host_Kind::Color: Host_Format(number, kNumberText, L"%08X", *reinterpret_cast<const uint32_t*>(p)); break;
    case Host_Kind::Pointer:
      Host_Format(number, kNumberText, L"%08llX",
                  (unsigned long long)reinterpret_cast<uintptr_t>(*reinterpret_cast<void* const*>(p)));
      break;
    case Host_Kind::Text: text = *reinterpret_cast<wchar_t* const*>(p); break;
    case Host_Kind::Narrow: text = Host_Char_To_Wide(*reinterpret_cast<char* const*>(p)); break;
    case Host_Kind::Other: text = nullptr; break;
  }
  wchar_t* copy = nullptr;
  Text_Dup(text, &copy, "var->value[k]");
  return copy;
}

// The text of a read-only scalar, whose value the record holds itself; false when the type
// has no direct value.
bool Direct_Text(const Host_Type& t, void* value, wchar_t** out) {
  wchar_t number[kNumberText];
  const wchar_t* text = number;
  const auto word = reinterpret_cast<intptr_t>(value);
  switch (t.kind) {
    case Host_Kind::Char:
    case Host_Kind::Short:
    case Host_Kind::Int:
      if (t.is_unsigned) Host_Format(number, kNumberText, L"%u", unsigned(word));
      else Host_Format(number, kNumberText, L"%d", int(word));
      break;
    case Host_Kind::Color: Host_Format(number, kNumberText, L"%08X", unsigned(word)); break;
    case Host_Kind::Pointer: Host_Format(number, kNumberText, L"%016llX", (unsigned long long)word); break;
    case Host_Kind::Text: text = static_cast<const wchar_t*>(value); break;
    case Host_Kind::Narrow: text = Host_Char_To_Wide(static_cast<const char*>(value)); break;
    case Host_Kind::Other: text = nullptr; break;
    default: return false;
  }
  Text_Dup(text, out, "var->value[k]");
  return true;
}

// Looks the record's host variable up again; null when the host no longer has it.
void* Fetch(Script_Vars* var, int* count, uint16_t* flags) {
  if (var->flags & VARIABLE_READ_ONLY) {
    void* value = Fct_Variable_Value(var->name, count, flags, nullptr);
    // A read-only value may well be 0; only a missing type says the host does not know it.
    return (value || (*flags & VARIABLE_TYPE_MASK)) ? value : nullptr;
  }
  void* storage = Fct_Variable_Get(var->name, count, flags, nullptr, 0);
  if (!storage) {
    *flags = 0;
    return nullptr;
  }
  return Host_Type_Of(*flags).is_array ? *static_cast<void**>(storage) : storage;
}

[[gnu::cold]] void Report_Index(const Script_Vars* var, int count) {
  QUARN_REPORT(msg::Notice, SCRIPT_WARNING_W L" Index out of range for variable %ls (%d /vs/ 0 to %d)",
               var->name, int(var->index), count - 1);
}

bool Store_Element(const Host_Type& t, void* base, int k, const wchar_t* text, const wchar_t* name) {
  char* p = static_cast<char*>(base) + size_t(k) * t.width;
  const wchar_t* s = text ? text : L"";
  switch (t.kind) {
    case Host_Kind::Char:
    case Host_Kind::Short:
    case Host_Kind::Int:
    case Host_Kind::Int64: Integer_Store(t, p, std::wcstoll(s, nullptr, 10)); return true;
    case Host_Kind::Color: {
      // Decimal as for every integer; "0x" also reads the hexadecimal form the mirror shows.
      const bool hex = s[0] == L'0' && (s[1] == L'x' || s[1] == L'X');
      Integer_Store(t, p, (long long)std::wcstoull(s, nullptr, hex ? 16 : 10));
      return true;
    }
    case Host_Kind::Float:
    case Host_Kind::Vect: *reinterpret_cast<float*>(p) = std::wcstof(s, nullptr); return true;
    case Host_Kind::Double: *reinterpret_cast<double*>(p) = std::wcstod(s, nullptr); return true;
    case Host_Kind::Text: {
      wchar_t* copy;
      if (!Text_Dup(text, &copy, "var->value[k]")) return false;
      auto** slot = reinterpret_cast<wchar_t**>(p);
      std::free(*slot);
      *slot = copy;
      return true;
    }
    case Host_Kind::Narrow: {
      char* copy = nullptr;
      if (text && *text) {
        copy = strdup(Host_Wide_To_Char(text));
        if (!copy) { QUARN_MEMORY_ERROR("_strdup", "var->value[k]", std::wcslen(text), 1); return false; }
      }
      auto** slot = reinterpret_cast<char**>(p);
      std::free(*slot);
      *slot = copy;
      return true;
    }
    default:
      QUARN_REPORT(msg::Notice, SCRIPT_ERROR_W L" variable " SCRIPT_HI_W L"%ls" SCRIPT_LO_W
                   L" cannot be written by a script", name);
      return false;
  }
}

[[gnu::cold]] void Report_Read_Only(const Script_Vars* var) {
  QUARN_REPORT(msg::Notice, SCRIPT_WARNING_W L" variable " SCRIPT_HI_W L"%ls" SCRIPT_LO_W L" is READ_ONLY",
               var->name);
}

}  // namespace

int Variable_Host_Write(Script_Vars* var, int element, int n, wchar_t* const* texts) {
  if (var->flags & VARIABLE_READ_ONLY) {
    Report_Read_Only(var);
    return 0;
  }
  int count = 0;
  uint16_t flags = 0;
  Host_Var_Update update = nullptr;
  void* storage = Fct_Variable_Get(var->name, &count, &flags, &update, 0);
  if (!storage) return 0;
  if (flags & VARIABLE_READ_ONLY) {
    Report_Read_Only(var);
    return 0;
  }
  const Host_Type t = Host_Type_Of(flags);
  void* base = t.is_array ? *static_cast<void**>(storage) : storage;
  if (element >= 0 && element >= count) {
    QUARN_REPORT(msg::Notice, SCRIPT_ERROR_W L" argument out of range for variable " SCRIPT_HI_W L"%ls"
                 SCRIPT_LO_W L" (max:%d, got:%d)", var->name, count, element);
    return 0;
  }
  if (element < 0 && n != count) {
    QUARN_REPORT(msg::Notice, SCRIPT_ERROR_W L" number of arguments mismatch for variable " SCRIPT_HI_W
                 L"%ls" SCRIPT_LO_W L" (expect:%d, got:%d)", var->name, count, n);
    return 0;
  }
  if (!base) return 0;
  bool ok = true;
  if (element >= 0) ok = Store_Element(t, base, element, n > 0 ? texts[0] : nullptr, var->name);
  for (int k = 0; element < 0 && k < n && ok; ++k) ok = Store_Element(t, base, k, texts[k], var->name);
  var->index = -1;
  Variable_System_Evaluate(var);
  if (update) update();
  return ok ? 1 : 0;
}

}  // namespace quarn::script

using namespace quarn::script;

int Variable_System_Evaluate(Script_Vars* var) {
  if (!var || !var->name) return 0;
  Args_Free(&var->count, &var->value);
  int count = 0;
  uint16_t flags = 0;
  void* ptr = Fetch(var, &count, &flags);
  if (!ptr && !(flags & VARIABLE_TYPE_MASK)) return 0;
  var->ptr = ptr;
  var->flags = uint16_t(flags | SCRIPT_VAR_HOST);
  if (var->index >= 0 && var->index >= count) {
    Report_Index(var, count);
    return -1;
  }
  if (count <= 0) return 0;
  const Host_Type t = Host_Type_Of(flags);
  wchar_t** value = static_cast<wchar_t**>(std::calloc(size_t(count), sizeof(wchar_t*)));
  if (!value) {
    QUARN_MEMORY_ERROR("calloc", "var->value", count, sizeof(wchar_t*));
    return 0;
  }
  var->value = value;
  var->count = count;
  if ((flags & VARIABLE_READ_ONLY) && !t.is_array) {
    const int k = var->index >= 0 ? var->index : 0;
    if (!Direct_Text(t, ptr, &value[k])) {
      Args_Free(&var->count, &var->value);
      return 0;
    }
    return 1;
  }
  if (!ptr) return 0;
  if (var->index >= 0) {
    value[var->index] = Element_Text(t, ptr, var->index);
    return 1;
  }
  for (int k = 0; k < count; ++k) value[k] = Element_Text(t, ptr, k);
  return count;
}
