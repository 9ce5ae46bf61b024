// "window:" sets how the host's window shows the trees: its mode (tree list, one frame or 3D),
// size, zoom, pan, colour scheme and colour map.
#include "Host_Command.h"
#include "Host_Render.h"

#include <quarn/quarn.h>

#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

constexpr const wchar_t* Usage =
    L"window: mode all|one|3d | size W H | zoom Z | pan X Y | scheme 0-4 | colormap N | show";
// Zoom limits of a frame in the window.
constexpr double Zoom_Min = 0.05, Zoom_Max = 64;
constexpr double Pan_Max = 100000;
constexpr long Scheme_Max = 4;
// Update bits that drop the grey and tag display layers of a frame.
constexpr uint64_t Display_Layers = 0x4000000 | 0x8000000;

template <class T>
T* Var(const wchar_t* name) {
  return static_cast<T*>(Host_Var_Get(name, nullptr, nullptr, nullptr));
}

/// The word as a number in low ... high, or false.
bool Number(const wchar_t* word, double low, double high, double* value) {
  const std::wstring text = Host_Expand(word);
  wchar_t* end = nullptr;
  *value = std::wcstod(text.c_str(), &end);
  return !text.empty() && end && *end == L'\0' && *value >= low && *value <= high;
}

int Refuse(const std::wstring& what) {
  Host_Print((L"window: " + what + L" (" + Usage + L")").c_str());
  return 0;
}

/// Every frame's zoom in the window's current mode.
void Zoom_All(Quarn_Window* window, float zoom) {
  const int slot = window->Class_A_Get() == WINDOW_MODE_2D_ONE ? 1 : 0;
  const uint16_t id = Iterator_Init("window:", nullptr);
  while (Quarn_2D* node = Iterator_Class_2D(id, Quarn_2D_Frame::Class_A, nullptr, 0)) {
    auto* frame = static_cast<Quarn_2D_Frame*>(node);
    if (frame->zoom && frame->zoom[window->Class_B_Get()]) frame->zoom[window->Class_B_Get()][slot] = zoom;
  }
  Iterator_End(id);
}

void Show(Quarn_Window* window) {
  const uint8_t* scheme = Var<uint8_t>(L"$COLOR_SCHEME");
  const uint16_t* map = Var<uint16_t>(L"$COLORMAP_GLI_CUR");
  Host_Print((L"window: " + std::wstring(window->Class_A_Get() == WINDOW_MODE_2D_ONE ? L"one"
                                            : window->Class_A_Get() == WINDOW_MODE_3D ? L"3d"
                                                                                      : L"all") + L" " +
              std::to_wstring(window->width) + L"x" + std::to_wstring(window->height) + L" pan " +
              std::to_wstring(int(window->pan_x.value)) + L" " + std::to_wstring(int(window->pan_y.value)) +
              L" scheme " + std::to_wstring(scheme ? *scheme : 0) + L" colormap " + std::to_wstring(map ? *map : 0))
                 .c_str());
}

int Set(Quarn_Window* window, const std::wstring& what, int count, wchar_t** args) {
  double a = 0, b = 0;
  if (what == L"mode" && count == 2) {
    const std::wstring mode = Host_Expand(args[1]);
    if (mode != L"all" && mode != L"one" && mode != L"3d") return Refuse(L"mode is all, one or 3d");
    window->Class_A_Set(mode == L"one" ? WINDOW_MODE_2D_ONE : mode == L"3d" ? WINDOW_MODE_3D : WINDOW_MODE_2D_ALL);
  } else if (what == L"size" && count == 3) {
    if (!Number(args[1], 1, Host_Window_Max_Side, &a) || !Number(args[2], 1, Host_Window_Max_Side, &b))
      return Refuse(L"size takes a width and a height of 1 ... 4096 pixels");
    window->width = uint16_t(a);
    window->height = uint16_t(b);
  } else if (what == L"zoom" && count == 2) {
    if (!Number(args[1], Zoom_Min, Zoom_Max, &a)) return Refuse(L"zoom takes a factor of 0.05 ... 64");
    Zoom_All(window, float(a));
  } else if (what == L"pan" && count == 3) {
    if (!Number(args[1], -Pan_Max, Pan_Max, &a) || !Number(args[2], -Pan_Max, Pan_Max, &b))
      return Refuse(L"pan takes two pixel offsets");
    window->pan_x.value = float(a);
    window->pan_y.value = float(b);
  } else if (what == L"scheme" && count == 2) {
    uint8_t* scheme = Var<uint8_t>(L"$COLOR_SCHEME");
    if (!Number(args[1], 0, Scheme_Max, &a) || !scheme) return Refuse(L"scheme takes 0 ... 4");
    *scheme = uint8_t(a);
  } else if (what == L"colormap" && count == 2) {
    uint16_t* map = Var<uint16_t>(L"$COLORMAP_GLI_CUR");
    int maps = 0;
    Host_Var_Get(L"$COLORMAP_GLI_PT", &maps, nullptr, nullptr);
    const double last = maps > 0 ? maps - 1 : 0;
    if (!map || !Number(args[1], 0, last, &a)) return Refuse(L"colormap takes 0 ... " + std::to_wstring(int(last)));
    *map = uint16_t(a);
  } else if (what != L"show" || count != 1) {
    return Refuse(L"unknown setting \"" + what + L"\"");
  }
  // New colours: every frame's display layers are made again in the next update pass.
  if (what == L"scheme" || what == L"colormap")
    if (auto** root = Var<Quarn_2D*>(L"$DB_2D_ROOT_PT"); root && *root)
      (*root)->Update_A_Set_On(0x30, window, Display_Layers);
  Show(window);
  return 1;
}

int Window(int* nb_arg, wchar_t*** pt_arg) {
  const int count = *nb_arg;
  Quarn_Window* window = Host_Window_Get();
  if (!window) return Refuse(L"the host has no window");
  if (!count) return Refuse(L"what to set?");
  return Set(window, Host_Expand((*pt_arg)[0]), count, *pt_arg);
}

const Host_Command_Registration window_registration({L"window:", Window, Usage});

}  // namespace
