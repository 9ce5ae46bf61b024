// Traces, colours and host variables shared by the scene passes and the built-in drawings.
#include "display/Scene_Support.h"

#include "display/OpenGL_Internal.h"
#include "script/Remembered_Variable.h"

namespace quarn::scene {

namespace {
Remembered_Variable g_color_scheme{L"$COLOR_SCHEME"};
}  // namespace

void Pass_In(const char* name, Quarn_2D* object, Quarn_Window* window, uint64_t mask) {
  QUARN_REPORT(msg::Draw, ">>> in  Fct: %s(%s:%ls, window:%d, flag:%016llx)", name,
               Title_Of(Object_Of(object)), Name_Of(Object_Of(object)), Window_Index_Of(window),
               static_cast<unsigned long long>(mask));
}

int Pass_Out(const char* name, const char* why, int result) {
  QUARN_REPORT(msg::Draw, "<<< out Fct: %s(%s)", name, why ? why : "");
  return result;
}

int Class_Out(const char* name, const char* why, int result) {
  QUARN_REPORT(msg::Draw, "<<< out Class: %s(%s)", name, why ? why : "");
  return result;
}

Rgb Background_Of(const Quarn_Window* window) {
  const Host_Color& c = window->box_2.color;
  return {c.red(), c.green(), c.blue()};
}

bool Highlight_Of(Quarn_2D* node, Quarn_Window* window, Rgb* colour) {
  const uint64_t bits = Flag_Of(node, window, flag::Highlight);
  *colour = {uint8_t(bits & 0x1000 ? 255 : 0), uint8_t(bits & 0x2000 ? 255 : 0),
             uint8_t(bits & 0x4000 ? 255 : 0)};
  return bits != 0;
}

uint32_t OpenGL_State_Value() { return *OpenGL_State(); }

uint8_t Color_Scheme_Value() { return g_color_scheme.Value<uint8_t>(); }

}  // namespace quarn::scene
