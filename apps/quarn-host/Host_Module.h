// What a module shared object gives the reference host: its registration record and the
// statement it serves. The host finds it under the C name HOST_MODULE_ENTRY.
#pragma once

#include <quarn/modules/Module_Functions.h>
#include <quarn/script/Script_Vars.h>

#include <cstdlib>
#include <string>

class Quarn_Window;
class Quarn_2D_Frame;

/// A module's answer to the host.
struct Host_Module_Export {
  Module_Functions* functions;                  ///< Registration record (name, group text).
  const wchar_t* prefix;                        ///< Statement prefix it serves, as "threshold:".
  int (*run)(int* nb_arg, wchar_t*** pt_arg);   ///< The statement's handler.
  const wchar_t* usage;                         ///< One help line.
};

/// What a pointer event is to a tool.
enum class Host_Pointer_Kind : int { Move = 0, Press = 1, Drag = 2, Release = 3 };

/// A tool module's pointer handler, reached through its registration record's `user` entry once
/// the module is active: the host's window procedure offers every routed pointer event to the
/// active tools, with the window pixel and the frame under the pointer (null over none).
struct Host_Tool {
  /// Takes the event; 1 when it acted, 0 when it did not.
  int (*pointer)(Host_Pointer_Kind kind, Quarn_Window* window, Quarn_2D_Frame* frame, int x, int y);
};

/// A statement's word with its "$" references expanded, the values joined with blanks: the
/// library passes words of several-word statements on as written.
inline std::wstring Host_Module_Expand(const wchar_t* word) {
  int count = 0;
  wchar_t** values = Variable_Replacement(word, &count);
  if (!values) return word ? word : L"";
  std::wstring out;
  for (int i = 0; i < count; ++i) {
    if (i) out += L' ';
    if (values[i]) out += values[i];
    std::free(values[i]);
  }
  std::free(values);
  return out;
}

/// The entry every module exports.
using Host_Module_Describe_Fn = const Host_Module_Export* (*)();

/// Name of the entry in the shared object.
#define HOST_MODULE_ENTRY "Host_Module_Describe"
