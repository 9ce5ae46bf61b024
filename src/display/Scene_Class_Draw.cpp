// Class_Class_Draw_Base: one row of the tree list (background, highlight, tree lines, glyph,
// icon, slider and label) for a node of the 2D tree.
#include <quarn/display/OpenGL_Text.h>
#include <quarn/display/Overlay_Draw.h>
#include <quarn/display/Scene_Draw.h>

#include <hostkit/HostUtil.h>

#include "display/GL.h"
#include "classes/Node_Kinds.h"
#include "display/Scene_Support.h"
#include "interaction/Event_Support.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

using namespace quarn;

namespace {

constexpr const char* Name = "Class_Class_Draw_Base";
constexpr const wchar_t* Default_Icon = L"icon folder.tga";
// The label's name is shortened to this many characters, keeping its last Label_Tail.
constexpr int Label_Width = 60;
constexpr int Label_Tail = 18;
// Gap between the icon and the label, and after the slider.
constexpr int Icon_Gap = 8;
constexpr int Slider_Gap = 6;
// Rows above this window height are not drawn (their lines are).
constexpr int Row_Above_Limit = -8;
// The loop slider spans 1 ... 31 frames per second.
constexpr int Fps_Span = 30;
constexpr scene::Rgb Counter_Colour{50, 50, 255};
constexpr int Text_Buffer = 64;

/// The sizes of one row, small or large interface.
struct Row {
  int icon, indent, text, advance, slider, slider_h;
};

Row Row_Now() {
  const List_Metrics m = Metrics_Now();
  const bool large = m.icon == 32;
  return {m.icon, large ? 36 : 20, large ? 20 : 10, large ? 12 : 7, m.slider, m.slider_h};
}

/// Window position of the node's left and top edges, truncated.
void Corner_Of(Quarn_2D* node, Quarn_Window* window, int* x, int* y) {
  const Point_2D p = window->Inf_2_Wnd(node->Inside_Get(window).Get_Min());
  *x = scene::Trunc(p.x);
  *y = scene::Trunc(p.y);
}

void Quad(float x0, float y0, float x1, float y1) {
  glBegin(GL_QUADS);
  glVertex2f(x0, y0);
  glVertex2f(x1, y0);
  glVertex2f(x1, y1);
  glVertex2f(x0, y1);
  glEnd();
}

void Line(float x0, float y0, float x1, float y1) {
  glVertex2f(x0, y0);
  glVertex2f(x1, y1);
}

/// The middle row of a frame child in window y.
int Middle_Of(Quarn_2D* child, Quarn_Window* window) {
  const Region_2D r = child->Inside_Get(window);
  const float top = window->Inf_2_Wnd(r.Get_Min()).y, bottom = window->Inf_2_Wnd(r.Get_Max()).y;
  return scene::Trunc((top + bottom) / 2);
}

/// Lines from the node's column to every row of its thumbnails: one vertical line under the
/// node's icon, and from it a horizontal line to the first thumbnail of each row.
void Thumbnail_Lines(Quarn_2D* node, Quarn_Window* window, const Row& s, int X, int Y) {
  const float column = float(X + s.indent + s.icon / 2 - 1);
  int last_top = 1 << 30, lowest = Y - s.icon;
  for (int i = 0; i < node->Child_Get_Nb(); ++i) {
    Quarn_2D* child = node->Child_Get_Pt(i);
    int cx = 0, cy = 0;
    Corner_Of(child, window, &cx, &cy);
    if (cy == last_top) continue;  // same row as the previous thumbnail
    last_top = cy;
    const int m = Middle_Of(child, window);
    Line(column, float(m), float(cx - 3), float(m));
    lowest = std::min(lowest, m);
  }
  Line(column, float(Y - s.icon - 1), column, float(lowest));
}

void Tree_Lines(Quarn_2D* node, Quarn_Window* window, const Row& s, int X, int Y, uint64_t mode) {
  const int I = s.icon;
  glColor3ub(scene::Tree_Line_Grey, scene::Tree_Line_Grey, scene::Tree_Line_Grey);
  glBegin(GL_LINES);
  Line(float(X + I / 4 + I / 2), float(Y - I / 2 - 1), float(X + s.indent - 1), float(Y - I / 2 - 1));
  const int n = node->Child_Get_Nb();
  if (mode == CLASS_FLAG_EXPAND && n) {
    if (Is_Frame(node->Child_Get_Pt(0))) {
      Thumbnail_Lines(node, window, s, X, Y);
    } else {
      int from = Y + 1 - I;
      for (int i = 0; i < n; ++i) {
        int cx = 0, cy = 0;
        Corner_Of(node->Child_Get_Pt(i), window, &cx, &cy);
        Line(float(cx + I / 2), float(from), float(cx + I / 2), float(cy - I / 4));
        from = cy + I / 4 - I;
      }
    }
  } else if ((mode == CLASS_FLAG_LOOP || mode == CLASS_FLAG_ONE) && n) {
    Quarn_2D* child = node->Child_Get_Pt(node->Child_Get_Cur(window));
    int cx = 0, cy = 0;
    Corner_Of(child, window, &cx, &cy);
    if (Is_Frame(child)) {
      const int m = Middle_Of(child, window);
      Line(float(cx - I / 2), float(Y - I + 1), float(cx - I / 2), float(m));
      Line(float(cx - I / 2), float(m), float(cx), float(m));
    } else {
      Line(float(cx + I / 2), float(Y - I + 1), float(cx + I / 2), float(cy - 4));
    }
  }
  glEnd();
  QUARN_GL_ERRORS("Icon Lines");
}

uint8_t Glyph_State(uint64_t mode) {
  switch (mode) {
    case CLASS_FLAG_EXPAND: return 1;
    case CLASS_FLAG_LOOP: return 3;
    case CLASS_FLAG_ONE: return 2;
    default: return 0;
  }
}

/// The loop or position slider with its counter text; returns the label's new start.
int Slider(Quarn_2D* node, Quarn_Window* window, const Row& s, int t, int Y, uint64_t mode) {
  const int L = s.slider, I = s.icon;
  char text[Text_Buffer];
  float text_y = 0;
  int knob = 0;
  if (mode == CLASS_FLAG_LOOP) {
    const int fps = node->loop_rate[Window_Index_Of(window)];
    knob = (fps - 1) * L / Fps_Span + L / (2 * Fps_Span);
    std::snprintf(text, sizeof text, "%2d fps", fps);
    text_y = float(Y - 4 - 3 * I / 4);
  } else {
    const int n = std::max(node->Child_Get_Nb(), 1), c = node->Child_Get_Cur(window);
    knob = c * L / n + L / (2 * n);
    std::snprintf(text, sizeof text, "%2d of %d", c + 1, n);
    text_y = float(Y - 3 * I / 4);
  }
  OpenGL_Draw_Slider(knob, int16_t(t), int16_t(Y - 2), int16_t(L), int16_t(s.slider_h));
  OpenGL_Text_DrawRasterFont(text, uint16_t(s.text), Counter_Colour.r, Counter_Colour.g, Counter_Colour.b,
                             float(t + L + Slider_Gap), text_y, 0);
  return t + L + Slider_Gap + int(std::strlen(text)) * s.advance;
}

/// "title: name", the name shortened to fit the row.
std::string Label_Of(Quarn_2D* node) {
  const wchar_t* name = node->Name_Get();
  std::vector<wchar_t> clipped(name ? name : L"", (name ? name : L"") + (name ? std::wcslen(name) : 0));
  clipped.push_back(L'\0');
  Host_Clip_String(clipped.data(), Label_Width, Label_Tail);
  std::string label = Title_Of(Object_Of(node));
  label += ": ";
  label += Host_Wide_To_Char(clipped.data());
  return label;
}

}  // namespace

int Class_Class_Draw_Base(Quarn_2D* node, uint64_t mask, Quarn_Window* window) {
  QUARN_REPORT(msg::Draw, ">>> in  Class: %s(%s:%ls)", Name, Title_Of(Object_Of(node)), Name_Of(Object_Of(node)));
  if (!QUARN_CHECK_NODE(node, Class_2D, Name) || !window) return scene::Class_Out(Name, "! node", 0);
  if (Window_Mode_Of(window) == WINDOW_MODE_2D_ONE) return scene::Class_Out(Name, "WINDOW_MODE_2D_ONE", 1);
  if (Window_Mode_Of(window) != WINDOW_MODE_2D_ALL) return scene::Class_Out(Name, "! WINDOW_MODE_2D_ALL", 1);
  if (!scene::Redraw_Hit(node, window, mask)) return scene::Class_Out(Name, "! pt->Redraw_Get_Bit", 1);

  const Row s = Row_Now();
  const int I = s.icon;
  Database_2D_Viewport(window, nullptr);
  int X = 0, Y = 0;
  Corner_Of(node, window, &X, &Y);

  const scene::Rgb back = scene::Background_Of(window);
  glColor3ub(back.r, back.g, back.b);
  Quad(float(X + s.indent - 3), float(Y + 2), float(window->width), float(Y + 2 - I - 4));
  scene::Rgb high;
  const bool highlighted = scene::Highlight_Of(node, window, &high);
  if (highlighted) {
    glColor3ub(high.r, high.g, high.b);
    Quad(float(X + s.indent - 2), float(Y + 1), float(X + s.indent + I), float(Y - I - 1));
    glColor3ub(scene::Icon_Outline_Grey, scene::Icon_Outline_Grey, scene::Icon_Outline_Grey);
    glBegin(GL_LINE_LOOP);
    glVertex2f(float(X + s.indent - 2), float(Y + 2));
    glVertex2f(float(X + s.indent + I + 1), float(Y + 2));
    glVertex2f(float(X + s.indent + I + 1), float(Y - I - 1));
    glVertex2f(float(X + s.indent - 2), float(Y - I - 1));
    glEnd();
  }
  QUARN_GL_ERRORS("glBegin/End");

  const uint64_t mode = scene::Flag_Of(node, window, flag::Display_Mode);
  Tree_Lines(node, window, s, X, Y, mode);
  if (Y < Row_Above_Limit) return scene::Class_Out(Name, "pos_y < -8", 1);

  if (node->Child_Get_Nb())
    OpenGL_Draw_PlusMinus(Glyph_State(mode), int16_t(X + I / 4), int16_t(Y - I / 4), int16_t(I / 2), int16_t(I / 2));
  else
    OpenGL_Draw_CircleSlash(int16_t(X + I / 4), int16_t(Y - I / 4), int16_t(I / 2), int16_t(I / 2));
  const wchar_t* icon = node->Icon_Name();
  OpenGL_Draw_Icon(int16_t(X + s.indent - 1), int16_t(Y), int16_t(I), int16_t(I), icon ? icon : Default_Icon);
  int t = X + s.indent - 1 + Icon_Gap + I;
  if (mode == CLASS_FLAG_LOOP || mode == CLASS_FLAG_ONE) t = Slider(node, window, s, t, Y, mode);
  if (t < 0) return scene::Class_Out(Name, "pos_x < 0", 1);

  glPixelZoom(1, 1);
  QUARN_GL_ERRORS("glPixelZoom");
  const std::string label = Label_Of(node);
  const uint8_t blue = highlighted ? 0 : 255;
  OpenGL_Text_DrawRasterFont(label.c_str(), uint16_t(s.text), 255, 255, blue, float(t), float(Y - 3 * I / 4), 0);
  return scene::Class_Out(Name, nullptr, 1);
}
