// "contour:" computes the contours of the selected frames and tells, per tag, their loops and
// points.
#include "Host_Command.h"

#include <quarn/quarn.h>

#include <cwchar>
#include <string>

namespace {

constexpr uint32_t Flags = CONTOUR_LOOPS | CONTOUR_EXTEND;
constexpr long Step_Max = 0xFFFF;

int Tag_Count() {
  const auto* nb = static_cast<const uint16_t*>(Host_Var_Get(L"$TAG_NB", nullptr, nullptr, nullptr));
  return nb ? (*nb > 256 ? 256 : int(*nb)) : 0;
}

void Print_Frame(Quarn_2D_Frame* frame) {
  bool any = false;
  for (int tag = 1; tag < Tag_Count(); ++tag) {
    const int points = Fct_Contour_Get_Points(frame, int16_t(tag), nullptr);
    if (!points) continue;
    const int loops = Fct_Contour_Get_Loops(frame, int16_t(tag), nullptr);
    Host_Print((L"contour: " + std::wstring(frame->Name_Get()) + L" tag " + std::to_wstring(tag) + L": " +
                std::to_wstring(loops) + L" loop(s), " + std::to_wstring(points) + L" point(s)")
                   .c_str());
    any = true;
  }
  if (!any) Host_Print((L"contour: " + std::wstring(frame->Name_Get()) + L": no tagged area").c_str());
}

int Contour(int* nb_arg, wchar_t*** pt_arg) {
  if (!Script_Arg_Check_Range(L"contour:", *nb_arg, 0, 1)) return 0;
  long step = 1;
  if (*nb_arg == 1) {
    const std::wstring text = Host_Expand((*pt_arg)[0]);
    wchar_t* end = nullptr;
    step = std::wcstol(text.c_str(), &end, 10);
    if (text.empty() || *end || step < 1 || step > Step_Max) {
      Host_Print((L"contour: the step is a whole number from 1 to 65535, not \"" + text + L"\"").c_str());
      return 0;
    }
  }
  if (!Host_Window_Get()) {
    Host_Print(L"contour: the host has no window variables");
    return 0;
  }
  const std::vector<Quarn_2D_Frame*> frames = Host_Selected_Frames();
  if (frames.empty()) {
    Host_Print(L"contour: no frame selected (select: all)");
    return 0;
  }
  if (!Fct_Contour_Compute(Flags, uint16_t(step), uint16_t(step), 1)) return 0;
  for (Quarn_2D_Frame* frame : frames) Print_Frame(frame);
  return 1;
}

const Host_Command_Registration contour_registration(
    {L"contour:", Contour, L"contour: [step]   contours of the selected frames: loops and points per tag"});

}  // namespace
