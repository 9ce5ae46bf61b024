// The host variable table: typed, named storage that the library reaches through one lookup.
#pragma once

#include <hostkit/Export.h>

#include <cstddef>
#include <cstdint>

// Access bits of a variable's flag word.

/// Only the program may access it; scripts may not write it.
inline constexpr uint16_t VARIABLE_PROGRAM = 0x0001;
/// Nobody may write it through the lookup.
inline constexpr uint16_t VARIABLE_READ_ONLY = 0x0002;

// Type bits of a variable's flag word (compared after masking with VARIABLE_TYPE_MASK).

/// Signed 8-bit integer; with VARIABLE_STRING a narrow text.
inline constexpr uint16_t VARIABLE_CHAR = 0x0010;
/// Signed 16-bit integer.
inline constexpr uint16_t VARIABLE_SHORT = 0x0020;
/// Signed 32-bit integer.
inline constexpr uint16_t VARIABLE_INT = 0x0040;
/// 32-bit float.
inline constexpr uint16_t VARIABLE_FLOAT = 0x0080;
/// 64-bit float.
inline constexpr uint16_t VARIABLE_DOUBLE = 0x0100;
/// 64-bit integer (unsigned with VARIABLE_UNSIGNED).
inline constexpr uint16_t VARIABLE_INT64 = 0x0200;
/// Three 32-bit floats.
inline constexpr uint16_t VARIABLE_VECT = 0x0400;
/// 32-bit colour word 0x00BBGGRR.
inline constexpr uint16_t VARIABLE_COLOR = 0x0800;
/// Wide text.
inline constexpr uint16_t VARIABLE_STRING = 0x1000;
/// Pointer.
inline constexpr uint16_t VARIABLE_POINTER = 0x2000;
/// The storage holds a pointer to an array of elements.
inline constexpr uint16_t VARIABLE_ARRAY = 0x4000;
/// The integer types are unsigned.
inline constexpr uint16_t VARIABLE_UNSIGNED = 0x8000;
/// Mask of the type bits.
inline constexpr uint16_t VARIABLE_TYPE_MASK = 0xFFF0;
/// A plain record (a point, a table row) with no direct value and no text form; the variable
/// says what the record is. Scripts see such a variable as empty.
inline constexpr uint16_t VARIABLE_RECORD = VARIABLE_VECT | VARIABLE_CHAR;

/// One row of the key-name table ("$KEY_NAME"): a virtual-key code and its name.
struct Host_Key_Name {
  int code;              ///< Virtual-key code.
  const wchar_t* name;   ///< Name as scripts write it ("Escape", "F1", "A").
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

// Names begin with "$" and are compared exactly. A definition needs at least one type bit and a
// count of 0 or more; a bad one is reported (class 2) and refused. Redefining a name replaces the
// variable in place: it keeps its position in the definition order. Lookups give an array
// variable whose storage holds no array 0 elements.

/// Defines or replaces a variable whose storage the caller owns and keeps alive; 1 done, 0 refused.
HOSTKIT_API int Host_Var_Define(const wchar_t* name, uint16_t flags, int count, void* storage,
                                Host_Var_Update update = nullptr);
/// Defines or replaces a variable with storage owned by the table, initialised from value
/// (size bytes copied, null value for zeros; the rest of the block zero-filled, at least 32 bytes);
/// returns the storage or null. The block of a name is reused by its later definitions when large
/// enough, and is never released, so that addresses callers keep in statics never dangle: a
/// redefinition is seen through them. A text variable (VARIABLE_STRING without VARIABLE_ARRAY)
/// takes over the malloc'd text its value points to and frees it when it is replaced or removed;
/// whoever writes such a variable frees the old text and stores a malloc'd one.
HOSTKIT_API void* Host_Var_Define_Owned(const wchar_t* name, uint16_t flags, int count,
                                        const void* value, size_t size,
                                        Host_Var_Update update = nullptr);
/// Makes the element count that lookups of an array variable give follow the integer variable
/// count_name, clamped to 0 … max_count (no upper clamp when max_count < 0); 1 done, 0 when
/// either is missing or count_name is not an integer scalar. A redefinition of name drops it.
HOSTKIT_API int Host_Var_Count_Link(const wchar_t* name, const wchar_t* count_name,
                                    int max_count = -1);
/// Removes a variable; 1 when it existed.
HOSTKIT_API int Host_Var_Remove(const wchar_t* name);
/// Removes every variable; owned blocks are kept for later definitions of the same names.
HOSTKIT_API void Host_Var_Clear();
/// Number of variables defined.
HOSTKIT_API int Host_Var_Count();
/// Name of variable i in definition order, or null; valid until that variable is removed.
HOSTKIT_API const wchar_t* Host_Var_Name(int i);
/// Defines every host variable the library reads, with the default configuration, and resets
/// those already defined to it (whatever the lists held is the caller's to release first).
/// Call it while no other thread reads the variables.
HOSTKIT_API void Host_Var_Default_Install();
