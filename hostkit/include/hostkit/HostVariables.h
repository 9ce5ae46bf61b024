// The host variable table: typed, named storage that the library reaches through one lookup.
#pragma once

#include <hostkit/Export.h>

#include <cstddef>
#include <cstdint>

/// Access bits of a variable's flag word.
enum : uint16_t {
  VARIABLE_PROGRAM = 0x0001,    ///< Only the program may access it; scripts may not write it.
  VARIABLE_READ_ONLY = 0x0002,  ///< Nobody may write it through the lookup.
};

/// Type bits of a variable's flag word (compared after masking with VARIABLE_TYPE_MASK).
enum : uint16_t {
  VARIABLE_CHAR = 0x0010,      ///< Signed 8-bit integer; with VARIABLE_STRING a narrow text.
  VARIABLE_SHORT = 0x0020,     ///< Signed 16-bit integer.
  VARIABLE_INT = 0x0040,       ///< Signed 32-bit integer.
  VARIABLE_FLOAT = 0x0080,     ///< 32-bit float.
  VARIABLE_DOUBLE = 0x0100,    ///< 64-bit float.
  VARIABLE_INT64 = 0x0200,     ///< 64-bit integer (unsigned with VARIABLE_UNSIGNED).
  VARIABLE_VECT = 0x0400,      ///< Three 32-bit floats.
  VARIABLE_COLOR = 0x0800,     ///< 32-bit colour word 0x00BBGGRR.
  VARIABLE_STRING = 0x1000,    ///< Wide text.
  VARIABLE_POINTER = 0x2000,   ///< Pointer.
  VARIABLE_ARRAY = 0x4000,     ///< The storage holds a pointer to an array of elements.
  VARIABLE_UNSIGNED = 0x8000,  ///< The integer types are unsigned.
  VARIABLE_TYPE_MASK = 0xFFF0, ///< Mask of the type bits.
};

/// Function a variable names to be called after a change; returns nonzero when it acted.
typedef int (*Host_Var_Update)();

/// Signature of the lookup the host hands to the library: storage address or null, and the
/// element count, flag word and update function of the variable (each out may be null).
typedef void* (*Host_Var_Lookup)(const wchar_t* name, int* count, uint16_t* flags,
                                 Host_Var_Update* update);

/// The table's lookup, suitable as the library's Fct_Main_Var_Get.
HOSTKIT_API void* Host_Var_Get(const wchar_t* name, int* count, uint16_t* flags,
                               Host_Var_Update* update);

/// Defines or replaces a variable whose storage the caller owns and keeps alive.
HOSTKIT_API int Host_Var_Define(const wchar_t* name, uint16_t flags, int count, void* storage,
                                Host_Var_Update update = nullptr);
/// Defines or replaces a variable with storage owned by the table, initialised from value
/// (size bytes copied; the rest of the element zero-filled); returns the storage or null.
HOSTKIT_API void* Host_Var_Define_Owned(const wchar_t* name, uint16_t flags, int count,
                                        const void* value, size_t size,
                                        Host_Var_Update update = nullptr);
/// Removes a variable; 1 when it existed.
HOSTKIT_API int Host_Var_Remove(const wchar_t* name);
/// Removes every variable and releases the storage the table owns.
HOSTKIT_API void Host_Var_Clear();
/// Number of variables defined.
HOSTKIT_API int Host_Var_Count();
/// Name of variable i in definition order, or null.
HOSTKIT_API const wchar_t* Host_Var_Name(int i);
/// Defines every host variable the library reads, with the default configuration.
HOSTKIT_API void Host_Var_Default_Install();
