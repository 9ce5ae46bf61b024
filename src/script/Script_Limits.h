// Size limits of the script language and the one check that reports any of them.
#pragma once

namespace quarn::script {

/// Characters of one formatted script line, terminator included.
inline constexpr int SCRIPT_LINE_SIZE = 2048;
/// Characters of one line read from a script file, line feed excluded.
inline constexpr int SCRIPT_FILE_LINE_MAX = SCRIPT_LINE_SIZE - 1;
/// Characters of the current command prefix, terminator included.
inline constexpr int SCRIPT_KEY_SIZE = 128;
/// Characters of the name of the script being read, terminator included.
inline constexpr int SCRIPT_NAME_SIZE = 2048;
/// Characters of a variable name (without its index).
inline constexpr int VARIABLE_NAME_MAX = 256;
/// Values a script variable may hold (an element index must stay below it).
inline constexpr int VARIABLE_VALUES_MAX = 1 << 20;
/// Characters of a macro name, terminator included.
inline constexpr int MACRO_NAME_SIZE = 80;
/// Buffer of a composed trace or error text; joining stops at SCRIPT_TEXT_STOP.
inline constexpr int SCRIPT_TEXT_SIZE = 1024;
/// Length at which a composed text stops taking further words.
inline constexpr int SCRIPT_TEXT_STOP = 1014;
/// Characters of the detail text of an out-of-range argument report.
inline constexpr int ARG_ERROR_DETAIL_MAX = 59;
/// Nesting of blocks, loops and conditions in one statement tree.
inline constexpr int SCRIPT_BLOCK_DEPTH_MAX = 256;
/// Nesting of script reading re-entered from command handlers.
inline constexpr int SCRIPT_READ_DEPTH_MAX = 32;

/// Returns 1 when value <= max; otherwise reports "ERROR: <what> exceeds its limit (value /vs/
/// max)" to the user and returns 0.
int Limit_Check(const char* what, long value, long max);

}  // namespace quarn::script
