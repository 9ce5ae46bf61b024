// Script variables: the sorted variable table, host mirroring, expansion and the evaluator.
#pragma once

#include <quarn/Export.h>

#include <cstdint>

/// One variable: a list of texts, either set by scripts or mirrored from a host variable.
struct Script_Vars {
  wchar_t* name;    ///< The name with its "$", without index; owned.
  uint16_t flags;   ///< Access bits (low nibble) and the host's type bits.
  int16_t index;    ///< Element refreshed next from the host; negative means every element.
  int32_t count;    ///< Number of values.
  wchar_t** value;  ///< The text of each value (an entry may be null); owned.
  void* ptr;        ///< Host storage (the array itself for arrays), or a read-only value.
};

/// Flag of a record that mirrors a host variable.
inline constexpr uint16_t SCRIPT_VAR_HOST = 0x0008;
/// Flags added to a script variable at each assignment.
inline constexpr uint16_t SCRIPT_VAR_SCRIPT = 0x0014;

/// Number of records of the variable table.
extern QUARN_API int Variable_Nb;
/// The variable table, sorted by name; a record pointer is valid until the next assignment.
extern QUARN_API Script_Vars* Variable_Pt;

/// Bisection over entries first..last (inclusive) by exact name; returns the index or -1.
QUARN_API int Variable_Search(const wchar_t* name, int first, int last);
/// Expands the "$" references of one word into a new list of texts owned by the caller (their
/// number through count); null with count 0 on failure or for an empty word.
QUARN_API wchar_t** Variable_Replacement(const wchar_t* word, int* count);
/// Refreshes the texts of a host-mirrored record; returns the element count (1 when one element
/// was refreshed), 0 when the host value is unavailable, -1 when the index is out of range.
QUARN_API int Variable_System_Evaluate(Script_Vars* var);
/// Releases every record and the table; returns 1.
QUARN_API int Variable_Cleanup();
/// Assigns n texts to a name ("$a", or "$a[i]" for one element); returns the record or null.
QUARN_API Script_Vars* Variable_Assignment(const wchar_t* name, int n, wchar_t* const* texts);
/// Evaluates tokens first..end-1 of a list in place; returns the number they became.
QUARN_API int Variable_Evaluate(int* nb_arg, wchar_t*** pt_arg, int first, int end);
/// Writes a computed value: "%d" when it equals its integer part, else "%f"; returns out.
QUARN_API wchar_t* Variable_Format_Number(double value, wchar_t* out, int size);
