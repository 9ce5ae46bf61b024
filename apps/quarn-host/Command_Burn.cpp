// "burn: [TEMPLATE]" writes the tag of each surface in the 3D tree (those whose names match, all
// without a template) into every frame it crosses, as one undoable edit.
#include "Host_Command.h"

#include <quarn/quarn.h>

#include <string>

namespace {

int Burn(int* nb_arg, wchar_t*** pt_arg) {
  if (!Script_Arg_Check_Range(L"burn:", *nb_arg, 0, 1)) return 0;
  const std::wstring pattern = *nb_arg ? Host_Expand((*pt_arg)[0]) : std::wstring();
  const int burnt = Fct_Geom_Burn_Tags(pattern.empty() ? nullptr : pattern.c_str());
  if (!burnt) {
    Host_Print(L"burn: no surface burnt (mesh: read FILE places one)");
    return 0;
  }
  Host_Print((L"burn: " + std::to_wstring(burnt) + L" surface(s) burnt into the frames they cross").c_str());
  return 1;
}

const Host_Command_Registration registration(
    {L"burn:", Burn, L"burn: [TEMPLATE]          writes the surfaces' tag into every frame they cross"});

}  // namespace
