// Indentation of the tree dump lines: 8 blanks and 4 more per depth level, at most 16 levels.
#pragma once

namespace quarn {

/// Room for the deepest indentation and its terminator.
inline constexpr int Stool_Indent_Size = 8 + 4 * 16 + 1;

/// Writes the indentation of a dump line at depth into out and returns out.
inline char* Stool_Indent(char (&out)[Stool_Indent_Size], int depth) {
  if (depth < 0) depth = 0;
  if (depth > 16) depth = 16;
  const int n = 8 + 4 * depth;
  for (int i = 0; i < n; ++i) out[i] = ' ';
  out[n] = 0;
  return out;
}

}  // namespace quarn
