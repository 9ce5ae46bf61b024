// Pieces the overlay primitives share: the pictures folder, texture making, window indexes and
// the label margin.
#include "display/Overlay_Internal.h"

#include "display/GL.h"
#include "script/Remembered_Variable.h"

#include <quarn/display/Quarn_Window.h>

#include <hostkit/HostUtil.h>

namespace {

quarn::Remembered_Variable g_icon_path{L"$DEFAULT_ICON_PATH"};

// Leading spaces of a label by the size of its symbol: (size below, spaces).
struct Margin {
  float below;
  int spaces;
};
constexpr Margin kMargins[] = {{3, 1}, {5, 2}, {10, 3}, {20, 4}};
constexpr int kWideMargin = 7;

}  // namespace

std::wstring quarn::Overlay_Picture_Folder() {
  wchar_t** text = g_icon_path.As<wchar_t*>();
  return text && *text ? *text : L"";
}

uint32_t quarn::Overlay_Texture_New(int wrap, int min_filter, int mag_filter) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, min_filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mag_filter);
  return name;
}

int quarn::Overlay_Window_Index(const Quarn_Window* window) {
  if (!window) return 0;
  const int index = window->Class_B_Get();
  return index >= 0 && index < OVERLAY_WINDOWS ? index : 0;
}

std::string quarn::Overlay_Label_Text(float size, const wchar_t* label) {
  int spaces = kWideMargin;
  for (const Margin& m : kMargins)
    if (size < m.below) {
      spaces = m.spaces;
      break;
    }
  return std::string(size_t(spaces), ' ') + (label ? Host_Wide_To_Char(label) : "");
}
