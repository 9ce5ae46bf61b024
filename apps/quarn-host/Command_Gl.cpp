// "gl:" opens an OpenGL window of a size (off-screen, no display needed), draws raster text in
// it, and saves its picture as PNG: the plumbing that drawing commands stand on.
#include "Host_Command.h"

#include <quarn/quarn.h>

#include <GL/gl.h>

#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// Largest window side the command opens.
constexpr long kMaxSide = 4096;
constexpr uint16_t kTextSize = 16;

Host_Window g_window = nullptr;
int g_width = 0, g_height = 0;

long Number(const wchar_t* word, long low, long high) {
  const std::wstring text = Host_Expand(word);
  wchar_t* end = nullptr;
  const long value = std::wcstol(text.c_str(), &end, 10);
  return !text.empty() && end && *end == L'\0' && value >= low && value <= high ? value : -1;
}

void Close() {
  if (!g_window) return;
  OpenGL_Text_Cleanup();
  OpenGL_Context_Cleanup();
  Platform_Window_Destroy(g_window);
  g_window = nullptr;
}

// Makes the window's context current with window pixels as coordinates, (0, 0) top left.
bool Begin() {
  if (!g_window) {
    Host_Print(L"gl: no window (gl: open WIDTH HEIGHT)");
    return false;
  }
  if (!OpenGL_Context_On(g_window, 0)) return false;
  glViewport(0, 0, g_width, g_height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, g_width, g_height, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  return true;
}

int Open(long width, long height) {
  if (width < 1 || height < 1) {
    Host_Print(L"gl: open takes a width and a height of 1 ... 4096 pixels");
    return 0;
  }
  Close();
  g_window = Platform_Window_Create(L"quarn-host", int(width), int(height), nullptr);
  g_width = int(width);
  g_height = int(height);
  if (!Begin()) return 0;
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  OpenGL_Context_Off(g_window, 0);
  Host_Print((L"gl: window " + std::to_wstring(width) + L"x" + std::to_wstring(height) + L", pixel format #" +
              std::to_wstring(*static_cast<int*>(Host_Var_Get(L"$OPENGL_CONTEXT", nullptr, nullptr, nullptr))))
                 .c_str());
  return 1;
}

int Text(int count, wchar_t** args) {
  const long x = count >= 3 ? Number(args[1], 0, kMaxSide) : -1;
  const long y = count >= 3 ? Number(args[2], 0, kMaxSide) : -1;
  if (x < 0 || y < 0) {
    Host_Print(L"gl: text X Y words...");
    return 0;
  }
  std::wstring words;
  for (int i = 3; i < count; ++i) words += (i > 3 ? L" " : L"") + Host_Expand(args[i]);
  if (!Begin()) return 0;
  OpenGL_Text_DrawRasterFont(Host_Wide_To_Char(words.c_str()), kTextSize, 255, 255, 255, float(x), float(y), 0);
  OpenGL_Context_Off(g_window, 0);
  return 1;
}

int Save(int count, wchar_t** args) {
  if (!g_window || count != 2) {
    Host_Print(L"gl: save FILE (after gl: open)");
    return 0;
  }
  int width = 0, height = 0;
  Platform_GL_Read_Pixels(g_window, PLATFORM_GL_FRONT, nullptr, 0, &width, &height);
  std::vector<uint8_t> rgba(size_t(width) * size_t(height) * 4);
  const std::string file = Host_Wide_To_Char(Host_Expand(args[1]).c_str());
  if (!Platform_GL_Read_Pixels(g_window, PLATFORM_GL_FRONT, rgba.data(), rgba.size(), nullptr, nullptr) ||
      !Host_Png_Write(file.c_str(), width, height, 4, rgba.data()))
    return 0;
  long lit = 0;
  for (size_t i = 0; i < rgba.size(); i += 4) lit += rgba[i] || rgba[i + 1] || rgba[i + 2];
  Host_Print((L"gl: saved " + std::to_wstring(width) + L"x" + std::to_wstring(height) + L", " +
              std::to_wstring(lit) + L" pixel(s) lit")
                 .c_str());
  return 1;
}

int Gl(int* nb_arg, wchar_t*** pt_arg) {
  const int count = *nb_arg;
  const std::wstring what = count ? Host_Expand((*pt_arg)[0]) : L"";
  if (what == L"open" && count == 3) return Open(Number((*pt_arg)[1], 1, kMaxSide), Number((*pt_arg)[2], 1, kMaxSide));
  if (what == L"text") return Text(count, *pt_arg);
  if (what == L"save") return Save(count, *pt_arg);
  if (what == L"close" && count == 1) {
    Close();
    return 1;
  }
  Host_Print(L"gl: open WIDTH HEIGHT | text X Y words... | save FILE | close");
  return 0;
}

const Host_Command_Registration gl_registration(
    {L"gl:", Gl, L"gl: open W H | text X Y words | save FILE | close   an OpenGL window"});

}  // namespace
