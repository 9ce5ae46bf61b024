// The reference host's module table: each module is a prefix ending in ":" with its handler.
#pragma once

#include <string>
#include <vector>

class Quarn_2D_Frame;
class Quarn_Window;

/// One module of the host: statements whose prefix is `prefix` go to `run`.
struct Host_Command {
  const wchar_t* prefix;  ///< Lower-case module word ending in ":".
  int (*run)(int* nb_arg, wchar_t*** pt_arg);  ///< The handler; its result is the statement's.
  const wchar_t* usage;   ///< One help line.
  /// False for a module that only reads or prints (echo:, var:, help...): its statements are left
  /// out of the session's script.
  bool recorded = true;
};

/// Adds a module to the table at start-up; each module's file holds one such object, so that a
/// new module is a new file and the dispatcher never changes.
class Host_Command_Registration {
public:
  explicit Host_Command_Registration(const Host_Command& command);
};

/// The library's dispatch entry: runs the module named by prefix; 0 for an unknown module.
int Host_Dispatch(const wchar_t* prefix, int* nb_arg, wchar_t*** pt_arg);
/// Called by a handler whose statement changed nothing worth replaying (a listing, a count):
/// the session's script leaves the statement out.
void Host_Record_Skip();
/// The statement as the text that performs it again: the prefix and every argument with its "$"
/// references expanded, quoted where it holds blanks.
std::wstring Host_Statement_Text(const wchar_t* prefix, int nb_arg, wchar_t** pt_arg);

/// The library's help entry: prints every module's usage.
void Host_Help();

/// Destroys the file records the session read (and with them their frames) and empties the list.
void Host_Files_Release();

/// Writes a UTF-8 line to standard output.
void Host_Print(const wchar_t* text);
/// A word with its "$" references expanded, the values joined with blanks.
std::wstring Host_Expand(const wchar_t* word);

/// The host's window record, made (and made current) on first use; null when the host lacks the
/// window variables.
Quarn_Window* Host_Window_Get();
/// Destroys the host's window record, if any.
void Host_Window_Release();
/// The frames selected in the host's window, in tree order.
std::vector<Quarn_2D_Frame*> Host_Selected_Frames();

/// Forgets the modules loaded so far (their shared objects stay mapped until the program ends).
void Host_Modules_Release();
