// "script:" runs another script file, or asks the library to save the session.
#include "Host_Command.h"

#include <quarn/quarn.h>

#include <cwchar>

namespace {

int Script(int* nb_arg, wchar_t*** pt_arg) {
  if (!Script_Arg_Check(L"script: run|save file", *nb_arg, 2)) return 0;
  const wchar_t* what = (*pt_arg)[0] ? (*pt_arg)[0] : L"";
  const std::wstring file = Host_Expand((*pt_arg)[1]);
  if (std::wcscmp(what, L"run") == 0) return Script_Read_File(file.c_str());
  // Saving the session is not part of it.
  if (std::wcscmp(what, L"save") == 0) return Host_Record_Skip(), Script_Save_File(file.c_str());
  Script_Arg_Error(1, "run or save");
  return 0;
}

const Host_Command_Registration registration(
    {L"script:", Script, L"script: run FILE | save FILE   reads a script, or saves the session as a script"});

}  // namespace
