// "macro:" hands its words to the library's macro module (list, print).
#include "Host_Command.h"

#include <quarn/quarn.h>

namespace {

int Macro(int* nb_arg, wchar_t*** pt_arg) { return W_Script_Macro_Script_Read(*nb_arg, *pt_arg); }

const Host_Command_Registration registration({L"macro:", Macro, L"macro: list | print @name   lists or prints macros", false});

}  // namespace
