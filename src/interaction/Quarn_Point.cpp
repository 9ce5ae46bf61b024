// Quarn_Point: a landmark's fields, colour and size, and the redraw of what its marker covers.
#include <quarn/interaction/Quarn_Point.h>

#include <quarn/display/Update.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "core/Check.h"
#include "core/Trace.h"
#include "script/Remembered_Variable.h"

#include <algorithm>
#include <cwchar>

namespace {

quarn::Remembered_Variable g_point_label{L"$POINT_LABEL"};

/// Redraw bit of one frame's part, and of everything the points may cover without a frame.
constexpr uint64_t Redraw_Frame_Part = 8;
constexpr uint64_t Redraw_Everything = 0x7F8;
/// Width (window pixels) of one label character, and the blank characters around a label.
constexpr float Label_Char_Width = 10.0f;
constexpr int Label_Margin_Chars = 2;

}  // namespace

Quarn_Point::Quarn_Point() {
  Class_Magic_Set(Magic);
  pos = Point_3D(uint8_t(2));
  pos_frm = Point_3D(uint8_t(6));
}

Quarn_Point::~Quarn_Point() = default;

Quarn_Point& Quarn_Point::operator=(const Quarn_Point& other) {
  if (this == &other) return *this;
  Class_A_Set(other.Class_A_Get());
  Class_B_Set(other.Class_B_Get());
  Name_Set(L"%ls", other.Name_Get());
  size = other.size;
  color = other.color;
  pos = other.pos;
  pos_frm = other.pos_frm;
  frame = other.frame;
  image = other.image;
  group = other.group;
  return *this;
}

uint32_t Quarn_Point::Color_Get() {
  QUARN_CHECK(this, Point, "Quarn_Point::Color_Get");
  return color;
}

void Quarn_Point::Color_Set(uint32_t colour) {
  if (QUARN_CHECK(this, Point, "Quarn_Point::Color_Set")) color = colour;
}

void Quarn_Point::Color_Set(uint8_t red, uint8_t green, uint8_t blue) {
  if (QUARN_CHECK(this, Point, "Quarn_Point::Color_Set")) color = red | green << 8 | uint32_t(blue) << 16;
}

float Quarn_Point::Size_Get() {
  QUARN_CHECK(this, Point, "Quarn_Point::Size_Get");
  return size;
}

void Quarn_Point::Size_Set(float value) {
  if (QUARN_CHECK(this, Point, "Quarn_Point::Size_Set")) size = value;
}

void Quarn_Point::Erase(Quarn_Window* window, Quarn_2D_Frame* on) {
  if (!QUARN_CHECK(this, Point, "Quarn_Point::Erase")) return;
  if (!on) {
    Fct_Redraw(Redraw_Everything);
    return;
  }
  float zoom = on->Zoom_Get(window);
  if (!(zoom > 0)) zoom = 1;
  const float r = std::max(1.0f, size / zoom);
  const Point_2D c = on->Org_2_Frm(pos);
  float right = c.x + r;
  const uint8_t* label = g_point_label.As<uint8_t>();
  if (label && *label)
    right += float(std::wcslen(Name_Get()) + Label_Margin_Chars) * Label_Char_Width / zoom;
  const Region_2D area(uint8_t(6), c.x - r, c.y - r, right, c.y + r);
  Fct_Redraw(Redraw_Frame_Part, window, on, &area);
}
