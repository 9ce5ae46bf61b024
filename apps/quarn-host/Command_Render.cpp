// "render:" paints the host's window (layout, update pass, scene passes) into a drawable of the
// window's size and writes the picture as PNG.
#include "Host_Command.h"
#include "Host_Render.h"

#include <quarn/quarn.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr const wchar_t* Usage = L"render: [WINDOW] FILE.png   paints the window (0, the host's only one) into a PNG";

int Render(int* nb_arg, wchar_t*** pt_arg) {
  const int count = *nb_arg;
  if (count < 1 || count > 2) {
    Host_Print(Usage);
    return 0;
  }
  if (count == 2 && Host_Expand((*pt_arg)[0]) != L"0") {
    Host_Print(L"render: the host has one window, number 0");
    return 0;
  }
  Quarn_Window* window = Host_Window_Get();
  if (!window) {
    Host_Print(L"render: the host has no window");
    return 0;
  }
  const std::wstring file = Host_Expand((*pt_arg)[count - 1]);
  std::vector<uint8_t> rgba;
  int width = 0, height = 0;
  if (!Host_Render(window, &rgba, &width, &height)) {
    Host_Print(L"render: the window cannot be drawn");
    return 0;
  }
  const std::string path = Host_Wide_To_Char(file.c_str());
  // The picture is what the screen would show: opaque, whatever alpha the drawing left.
  std::vector<uint8_t> rgb;
  rgb.reserve(rgba.size() / 4 * 3);
  for (size_t i = 0; i + 3 < rgba.size(); i += 4) rgb.insert(rgb.end(), {rgba[i], rgba[i + 1], rgba[i + 2]});
  if (!Host_Png_Write(path.c_str(), width, height, 3, rgb.data())) {
    Host_Print((L"render: cannot write " + file).c_str());
    return 0;
  }
  std::error_code ignored;
  const std::string shown = std::filesystem::absolute(path, ignored).string();
  Host_Print((L"render: " + std::wstring(Host_Char_To_Wide(shown.c_str())) + L" (" + std::to_wstring(width) + L"x" +
              std::to_wstring(height) + L")")
                 .c_str());
  return 1;
}

const Host_Command_Registration render_registration({L"render:", Render, Usage});

}  // namespace
