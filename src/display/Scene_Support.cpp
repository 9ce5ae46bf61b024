// Traces, colours and host variables shared by the scene passes and the built-in drawings.
#include "display/Scene_Support.h"

#include <quarn/display/Pixel_Render.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "classes/Node_Kinds.h"
#include "display/OpenGL_Internal.h"
#include "script/Remembered_Variable.h"

#include <algorithm>

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

int Frame_Drawing(const char* name, Quarn_2D* object, uint64_t mask, Quarn_Window* window, uint64_t flag_bit,
                  const char* why_off, Frame_Locked_Draw draw) {
  QUARN_REPORT(msg::Draw, ">>> in  Class: %s(%s:%ls)", name, Title_Of(Object_Of(object)), Name_Of(Object_Of(object)));
  Quarn_2D_Frame* frame = Frame_If(object);
  if (!frame || !window) return Class_Out(name, "! frame", 0);
  if (!Flag_Of(frame, window, flag_bit)) return Class_Out(name, why_off, 1);
  frame->Critical_Class_In(name);
  const char* why = draw(frame, mask, window);
  frame->Critical_Class_Out(name);
  return Class_Out(name, why, 1);
}

uint8_t Scheme_Of(const Quarn_2D_Frame* frame) {
  const uint8_t scheme = Color_Scheme_Value();
  return frame->frame_type & Frame_Type_Scheme_Cap ? std::min(scheme, Scheme_Cap) : scheme;
}

void Layers_Ready(Quarn_2D_Frame* frame, const char* gli_text, const char* tag_text) {
  if (!frame->Work_GLI_Get()) QUARN_REPORT(msg::Low_File, gli_text, Name_Of(frame));
  if (!frame->disp_gli) Fct_Callback_Update_GLI_Disp(frame);
  if (!frame->Work_TAG_Get()) QUARN_REPORT(msg::Low_File, tag_text, Name_Of(frame));
  if (!frame->disp_tag) Fct_Callback_Update_TAG_Disp(frame);
  frame->Region_Update_Clear();
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
