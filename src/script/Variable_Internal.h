// Shared pieces of the variable sources: host type decoding, lookups, references and writes.
#pragma once

#include <quarn/script/Script_Vars.h>

#include "script/Script_Limits.h"

#include <cstddef>
#include <cstdint>

namespace quarn::script {

/// What one element of a host variable is.
enum class Host_Kind { Char, Short, Int, Int64, Float, Double, Vect, Color, Text, Narrow, Pointer, Other };

/// Decoded type bits of a host variable.
struct Host_Type {
  Host_Kind kind;
  bool is_unsigned;
  bool is_array;
  size_t width;  ///< Bytes of one element in the host storage.
};

/// Decodes a host flag word.
Host_Type Host_Type_Of(uint16_t flags);

/// Finds a name in the table; a host variable not yet mirrored is entered on first use.
/// Returns the index or -1.
int Variable_Find(const wchar_t* name);

/// Writes texts into the host variable behind a mirrored record: one element (element >= 0, the
/// first text) or all of them; refreshes the record and calls the host's update. 1 done, 0 refused.
int Variable_Host_Write(Script_Vars* var, int element, int n, wchar_t* const* texts);

/// A variable reference split into its name and optional element index.
struct Var_Ref {
  wchar_t name[VARIABLE_NAME_MAX + 1];
  int index;       ///< The element, when has_index.
  bool has_index;
};

/// Parses len characters of "$name" or "$name[expression]"; the expression is normalised,
/// split and evaluated, and its first token read as an integer. False (reported) on bad input.
bool Var_Ref_Parse(const wchar_t* text, size_t len, Var_Ref* out);

}  // namespace quarn::script
