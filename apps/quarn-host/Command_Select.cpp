// "select:" selects every frame of the 2D tree in the host's window, or none.
#include "Host_Command.h"

#include <quarn/quarn.h>

#include <string>

namespace {

int Select(int* nb_arg, wchar_t*** pt_arg) {
  if (!Script_Arg_Check_Range(L"select:", *nb_arg, 1, 1)) return 0;
  const std::wstring what = Host_Expand((*pt_arg)[0]);
  auto* const* root = static_cast<Quarn_2D_Root* const*>(Host_Var_Get(L"$DB_2D_ROOT_PT", nullptr, nullptr, nullptr));
  Quarn_Window* window = Host_Window_Get();
  if (!root || !*root || !window) {
    Host_Print(L"select: no 2D tree or no window");
    return 0;
  }
  if (what == L"all") (*root)->Flag_Set_On(0x30, window, quarn::flag::Selected);
  else if (what == L"none") (*root)->Flag_Set_Off(0x30, window, quarn::flag::Selected);
  else {
    Host_Print((L"select: unknown choice \"" + what + L"\" (all, none)").c_str());
    return 0;
  }
  Host_Print((L"select: " + std::to_wstring(Host_Selected_Frames().size()) + L" frame(s) selected").c_str());
  return 1;
}

const Host_Command_Registration select_registration(
    {L"select:", Select, L"select: all | none   select the frames of the 2D tree in the host's window"});

}  // namespace
