// "header:" prints the header blocks of text exports for the selected frame.
#include "Host_Command.h"

#include <quarn/quarn.h>

#include <cstdio>
#include <string>

namespace {

/// The frame the user selected: the first frame whose name matches pattern (any frame when
/// there is none), or null.
Quarn_2D_Frame* Selected(const std::wstring& pattern) {
  const uint16_t id = Iterator_Init("header:", nullptr);
  Quarn_2D_Frame* found = nullptr;
  while (Quarn_2D* node = Iterator_Class_2D(id, Quarn_2D_Frame::Class_A, nullptr, 0)) {
    if (pattern.empty() || Host_Str_Match(node->Name_Get(), pattern.c_str())) {
      found = static_cast<Quarn_2D_Frame*>(node);
      break;
    }
  }
  Iterator_End(id);
  return found;
}

int Header(int* nb_arg, wchar_t*** pt_arg) {
  if (!Script_Arg_Check_Range(L"header:", *nb_arg, 0, 2)) return 0;
  const std::wstring layout = *nb_arg > 0 ? Host_Expand((*pt_arg)[0]) : L"ascii";
  if (layout != L"ascii" && layout != L"db") {
    Script_Arg_Error(1, "ascii or db");
    return 0;
  }
  const std::wstring pattern = *nb_arg > 1 ? Host_Expand((*pt_arg)[1]) : L"";
  Quarn_2D_Frame* frame = Selected(pattern);
  if (!frame) {
    Host_Print((L"header: no frame " + (pattern.empty() ? L"in the 2D tree" : L"named " + pattern)).c_str());
    return 0;
  }
  Quarn_2D_Frame* const frames[] = {frame};
  std::fflush(stdout);
  if (layout == L"ascii") {
    Fct_Header_Time_ASCII(stdout, "quarn-host", frame->Name_Get());
    Fct_Header_Patient_ASCII(stdout, 1, frames);
    Fct_Header_Image_ASCII(stdout, 1, frames);
    Fct_Header_Scanner_ASCII(stdout, 1, frames);
  } else {
    Fct_Header_Time_DB(stdout, "quarn-host", frame->Name_Get());
    Fct_Header_Patient_DB(stdout, 1, frames);
    Fct_Header_Image_DB(stdout, 1, frames);
    Fct_Header_Scanner_DB(stdout, 1, frames);
  }
  std::fflush(stdout);
  return 1;
}

const Host_Command_Registration registration(
    {L"header:", Header, L"header: [ascii|db] [frame]  prints the header blocks of the frame (first by name)", false});

}  // namespace
