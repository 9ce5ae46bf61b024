// What a module shared object gives the reference host: its registration record and the
// statement it serves. The host finds it under the C name HOST_MODULE_ENTRY.
#pragma once

#include <quarn/modules/Module_Functions.h>

/// A module's answer to the host.
struct Host_Module_Export {
  Module_Functions* functions;                  ///< Registration record (name, group text).
  const wchar_t* prefix;                        ///< Statement prefix it serves, as "threshold:".
  int (*run)(int* nb_arg, wchar_t*** pt_arg);   ///< The statement's handler.
  const wchar_t* usage;                         ///< One help line.
};

/// The entry every module exports.
using Host_Module_Describe_Fn = const Host_Module_Export* (*)();

/// Name of the entry in the shared object.
#define HOST_MODULE_ENTRY "Host_Module_Describe"
