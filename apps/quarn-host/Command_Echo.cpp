// "echo:" prints its words, with "$" references expanded, on standard output.
#include "Host_Command.h"

namespace {

int Echo(int* nb_arg, wchar_t*** pt_arg) {
  std::wstring line;
  for (int i = 0; i < *nb_arg; ++i) {
    if (i) line += L' ';
    if ((*pt_arg)[i]) line += Host_Expand((*pt_arg)[i]);
  }
  Host_Print(line.c_str());
  return 1;
}

const Host_Command_Registration registration({L"echo:", Echo, L"echo: words...          prints the words, variables expanded", false});

}  // namespace
