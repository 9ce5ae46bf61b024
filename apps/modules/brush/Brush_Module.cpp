// The paint-brush tool module: "brush: tag N | radius R | erase on|off | off | show" chooses
// what it paints; pointer presses, drags and releases routed by the host's window procedure
// paint strokes on the frame under the pointer.
#include "Brush_Stroke.h"
#include "Host_Module.h"

#include <quarn/quarn.h>

#include <cmath>
#include <cwchar>
#include <string>

namespace {

constexpr const wchar_t* Usage =
    L"brush: tag N | radius R | erase on|off | off | show   the paint brush (module; pointer: paints)";
// Tags are bytes; 0 is no tag, which erase mode writes.
constexpr int Tag_Max = 255;

Brush_Settings g_settings;
Brush_Stroke g_stroke;

void Print(const std::wstring& line) { Host_Report(Host_Main_Window, quarn::msg::Notice, L"%ls", line.c_str()); }

/// The number of tags the host knows ($TAG_NB), at most 256.
int Tag_Count() {
  const auto* count = static_cast<const uint16_t*>(Host_Var_Get(L"$TAG_NB", nullptr, nullptr, nullptr));
  return count && *count ? std::min<int>(*count, Tag_Max + 1) : Tag_Max + 1;
}

bool Number(const wchar_t* text, double* out) {
  wchar_t* end = nullptr;
  *out = text ? std::wcstod(text, &end) : 0;
  return text && end != text && !*end && std::isfinite(*out);
}

std::wstring Text(double v) {
  wchar_t buffer[32];
  std::swprintf(buffer, 32, L"%g", v);
  return buffer;
}

Point_2D Frame_Point(Quarn_Window* window, Quarn_2D_Frame* frame, int x, int y) {
  return frame->Inf_2_Frm(window, window->Wnd_2_Inf(Point_2D(8, float(x), float(y))));
}

std::wstring Stroke_Line(long changed) {
  if (g_settings.erase) return L"brush: " + std::to_wstring(changed) + L" pixel(s) erased";
  return L"brush: " + std::to_wstring(changed) + L" pixel(s) painted with tag " + std::to_wstring(g_settings.tag);
}

int Pointer(Host_Pointer_Kind kind, Quarn_Window* window, Quarn_2D_Frame* frame, int x, int y) {
  if (!window) return 0;
  switch (kind) {
    case Host_Pointer_Kind::Press:
      if (g_stroke.Active()) Print(Stroke_Line(g_stroke.End()));  // a release that never came
      if (!frame) {
        Print(L"brush: the pointer is over no frame; nothing painted");
        return 0;
      }
      return g_stroke.Begin(window, frame, Frame_Point(window, frame, x, y), g_settings) ? 1 : 0;
    case Host_Pointer_Kind::Drag:
      // The stroke stays on its frame, also where the pointer has left it (the discs are clipped).
      if (!g_stroke.Active() || g_stroke.Window() != window) return 0;
      g_stroke.To(Frame_Point(window, g_stroke.Frame(), x, y));
      return 1;
    case Host_Pointer_Kind::Release:
      if (!g_stroke.Active() || g_stroke.Window() != window) return 0;
      g_stroke.To(Frame_Point(window, g_stroke.Frame(), x, y));
      Print(Stroke_Line(g_stroke.End()));
      return 1;
    case Host_Pointer_Kind::Move: return 0;
  }
  return 0;
}

Host_Tool g_tool{&Pointer};
const wchar_t* Name(int) { return L"Brush"; }
const wchar_t* Group() { return L"Segmentation:2"; }
Module_Functions g_functions{&Name, &Group, nullptr, nullptr, nullptr, &g_tool};

void Show() {
  Print(L"brush: tag " + std::to_wstring(g_settings.tag) + L" radius " + Text(g_settings.radius) + L" erase " +
        (g_settings.erase ? L"on" : L"off"));
}

int Refuse(const std::wstring& why) {
  Print(L"brush: " + why + L"; nothing changed");
  return 0;
}

int Set(const std::wstring& what, const wchar_t* word) {
  double v = 0;
  if (what == L"tag") {
    const int tags = Tag_Count();
    if (!Number(word, &v) || v != std::floor(v) || v < 1 || v >= tags)
      return Refuse(L"the tag is a whole number from 1 to " + std::to_wstring(tags - 1) + L", not \"" +
                    (word ? word : L"") + L"\" (erase on paints tag 0)");
    g_settings.tag = int(v);
  } else if (what == L"radius") {
    if (!Number(word, &v) || v < Brush_Radius_Min || v > Brush_Radius_Max)
      return Refuse(L"the radius is a number of frame pixels from " + Text(Brush_Radius_Min) + L" to " + Text(Brush_Radius_Max) +
                    L", not \"" + (word ? word : L"") + L"\"");
    g_settings.radius = float(v);
  } else if (what == L"erase") {
    const std::wstring mode = word ? word : L"";
    if (mode != L"on" && mode != L"off") return Refuse(L"erase is on or off");
    g_settings.erase = mode == L"on";
  } else {
    return Refuse(L"unknown setting \"" + what + L"\" (" + Usage + L")");
  }
  Fct_Module_Active_Add(&g_functions);  // choosing the brush takes it up
  Show();
  return 1;
}

int Run(int* nb_arg, wchar_t*** pt_arg) {
  if (!Script_Arg_Check_Range(L"brush:", *nb_arg, 1, 2)) return 0;
  const std::wstring what = Host_Module_Expand((*pt_arg)[0]);
  if (*nb_arg == 1 && what == L"show") return Show(), 1;
  if (*nb_arg == 1 && what == L"off") {
    if (g_stroke.Active()) Print(Stroke_Line(g_stroke.End()));
    Fct_Module_Active_Del(&g_functions);
    Print(L"brush: put down");
    return 1;
  }
  if (*nb_arg != 2) return Refuse(Usage);
  const std::wstring value = Host_Module_Expand((*pt_arg)[1]);
  return Set(what, value.c_str());
}

const Host_Module_Export g_export{&g_functions, L"brush:", &Run, Usage};

}  // namespace

extern "C" __attribute__((visibility("default"))) const Host_Module_Export* Host_Module_Describe() {
  return &g_export;
}
