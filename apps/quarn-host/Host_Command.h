// The reference host's module table: each module is a prefix ending in ":" with its handler.
#pragma once

#include <string>

/// One module of the host: statements whose prefix is `prefix` go to `run`.
struct Host_Command {
  const wchar_t* prefix;  ///< Lower-case module word ending in ":".
  int (*run)(int* nb_arg, wchar_t*** pt_arg);  ///< The handler; its result is the statement's.
  const wchar_t* usage;   ///< One help line.
};

/// Adds a module to the table at start-up; each module's file holds one such object, so that a
/// new module is a new file and the dispatcher never changes.
class Host_Command_Registration {
public:
  explicit Host_Command_Registration(const Host_Command& command);
};

/// The library's dispatch entry: runs the module named by prefix; 0 for an unknown module.
int Host_Dispatch(const wchar_t* prefix, int* nb_arg, wchar_t*** pt_arg);
/// The library's help entry: prints every module's usage.
void Host_Help();

/// Destroys the file records the session read (and with them their frames) and empties the list.
void Host_Files_Release();

/// Writes a UTF-8 line to standard output.
void Host_Print(const wchar_t* text);
/// A word with its "$" references expanded, the values joined with blanks.
std::wstring Host_Expand(const wchar_t* word);
