// "contour:" computes the contours of the selected frames, tells, per tag, their loops and
// points, and has the window draw them over each frame; "contour: draw" draws the loops of the first selected frame into an off-screen window
// and saves the picture.
#include "Host_Command.h"

#include <quarn/quarn.h>

#include <hostkit/HostPng.h>

#include <GL/gl.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr uint32_t Flags = CONTOUR_LOOPS | CONTOUR_EXTEND;
constexpr long Step_Max = 0xFFFF;
constexpr long Zoom_Max = 16;
constexpr long Side_Max = 4096;
/// The slot of a frame's OpenGL draw table in which the host draws the frame's contours.
constexpr int Contour_Draw_Slot = 4;

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

// Model view from patient space to window pixels: back to the frame's pixels, then zoomed, so
// that the vertex at a pixel's centre lands on a window pixel's centre.
bool Frame_Projection(Quarn_2D_Frame* frame, int zoom, int width, int height) {
  Mat4 to_frame, to_window;
  if (!Fct_Contour_Patient_To_Frame(frame, &to_frame.m[0][0])) return false;
  to_window.init();
  to_window[0][0] = to_window[1][1] = zoom;
  to_window[3][0] = to_window[3][1] = 0.5;
  const Mat4 model = to_frame * to_window;
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, width, height, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixd(&model.m[0][0]);
  return true;
}

// The loops of every tag of the frame over a black background, saved as PNG.
int Draw(Quarn_2D_Frame* frame, const std::string& file, int zoom) {
  const int width = frame->width * zoom, height = frame->height * zoom;
  if (width > Side_Max || height > Side_Max) {
    Host_Print(L"contour: the picture would be larger than 4096 pixels a side");
    return 0;
  }
  Host_Window window = Platform_Window_Create(L"quarn-host contour", width, height, nullptr);
  std::vector<uint8_t> rgba(size_t(width) * size_t(height) * 4);
  bool ok = window && OpenGL_Context_On(window, OPENGL_CONTEXT_BACK);
  if (ok) {
    ok = Frame_Projection(frame, zoom, width, height);
    if (ok) {
      glClearColor(0, 0, 0, 1);
      glClearDepth(1.0);
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      for (int tag = 1; tag < Tag_Count(); ++tag) Fct_Contour_Draw_Loops(frame, int16_t(tag), 0, 0);
    }
    OpenGL_Context_Off(window, 0);
    ok = ok && Platform_GL_Read_Pixels(window, PLATFORM_GL_FRONT, rgba.data(), rgba.size(), nullptr, nullptr) &&
         Host_Png_Write(file.c_str(), width, height, 4, rgba.data());
  }
  OpenGL_Context_Cleanup();
  if (window) Platform_Window_Destroy(window);
  if (!ok) {
    Host_Print((L"contour: cannot draw into " + std::wstring(Host_Char_To_Wide(file.c_str()))).c_str());
    return 0;
  }
  long lit = 0;
  for (size_t i = 0; i < rgba.size(); i += 4) lit += rgba[i] || rgba[i + 1] || rgba[i + 2];
  Host_Print((L"contour: drew " + std::wstring(frame->Name_Get()) + L" " + std::to_wstring(width) + L"x" +
              std::to_wstring(height) + L", " + std::to_wstring(lit) + L" pixel(s) lit")
                 .c_str());
  return 1;
}

long Whole_Number(const wchar_t* word, long low, long high) {
  const std::wstring text = Host_Expand(word);
  wchar_t* end = nullptr;
  const long value = std::wcstol(text.c_str(), &end, 10);
  return !text.empty() && !*end && value >= low && value <= high ? value : -1;
}

int Draw_Command(int count, wchar_t** args) {
  const long zoom = count == 3 ? Whole_Number(args[2], 1, Zoom_Max) : 1;
  if (count < 2 || zoom < 1) {
    Host_Print(L"contour: draw FILE [ZOOM 1 ... 16]");
    return 0;
  }
  const std::vector<Quarn_2D_Frame*> frames = Host_Window_Get() ? Host_Selected_Frames() : std::vector<Quarn_2D_Frame*>{};
  if (frames.empty()) {
    Host_Print(L"contour: no frame selected (select: all)");
    return 0;
  }
  return Draw(frames.front(), Host_Wide_To_Char(Host_Expand(args[1]).c_str()), int(zoom));
}

int Contour(int* nb_arg, wchar_t*** pt_arg) {
  if (*nb_arg >= 1 && Host_Expand((*pt_arg)[0]) == L"draw") return Draw_Command(*nb_arg, *pt_arg);
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
  for (Quarn_2D_Frame* frame : frames) {
    Print_Frame(frame);
    // From now on the frame's drawing ends with its loops, over its pixels and tags.
    frame->fct_draw_opengl[Contour_Draw_Slot] = &Fct_Contour_Draw_Frame;
  }
  return 1;
}

const Host_Command_Registration contour_registration(
    {L"contour:", Contour,
     L"contour: [step] | draw FILE [ZOOM]   contours of the selected frames (loops and points per tag), or a "
     L"picture of the first one's loops"});

}  // namespace
