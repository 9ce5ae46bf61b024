// Access to the host's variables through the host-supplied lookup.
#pragma once

#include <quarn/Export.h>

#include <hostkit/HostVariables.h>

#include <cstdint>

/// The host's lookup, set by the host before any variable is read; null means no variables.
extern QUARN_API Host_Var_Lookup Fct_Main_Var_Get;

/// Storage address of a host variable, or null when unknown (or read-only and !read_only_ok).
QUARN_API void* Fct_Variable_Get(const wchar_t* name, int* count, uint16_t* flags,
                                 Host_Var_Update* update, uint8_t read_only_ok);
/// The value itself in a pointer-sized word (8, 16 and 32-bit integers and colours extended, texts,
/// pointers and arrays as pointers); 0 with a warning for float and double scalars and for types
/// without a direct value (64-bit integers, vectors, records).
QUARN_API void* Fct_Variable_Value(const wchar_t* name, int* count, uint16_t* flags,
                                   Host_Var_Update* update);

/// The first element of a table-valued variable: the pointer its storage holds when the flag word
/// has VARIABLE_ARRAY, else the storage itself; null for null storage.
inline void* Fct_Variable_Elements(void* storage, uint16_t flags) {
  if (!storage) return nullptr;
  return (flags & VARIABLE_ARRAY) ? *static_cast<void**>(storage) : storage;
}
