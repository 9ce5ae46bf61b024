// Pieces shared by the scene passes and the built-in drawings: traces, host variables, colours.
#pragma once

#include <quarn/classes/Class_Flag.h>
#include <quarn/classes/Quarn_2D.h>
#include <quarn/core/Region.h>
#include <quarn/display/Quarn_Window.h>

#include "classes/Window_Selector.h"
#include "core/Check.h"
#include "classes/Tree_Trace.h"
#include "core/Trace.h"

#include <cstdint>

class Quarn_2D_Frame;

namespace quarn::scene {

/// Light grey of the tree lines.
inline constexpr uint8_t Tree_Line_Grey = 210;
/// Grey of the outline around a highlighted icon.
inline constexpr uint8_t Icon_Outline_Grey = 80;
/// $OPENGL_STATE bit: the pixel format has a stencil buffer.
inline constexpr uint32_t State_Stencil = 0x10;
/// frame_type bit of frames whose colour schemes stop at 2.
inline constexpr uint32_t Frame_Type_Scheme_Cap = 0x08000000;
/// Largest colour scheme such a frame is drawn with.
inline constexpr uint8_t Scheme_Cap = 2;

/// ">>> in  Fct: <name>(title:name, window:index, flag:mask)" of a pass.
void Pass_In(const char* name, Quarn_2D* object, Quarn_Window* window, uint64_t mask);
/// "<<< out Fct: <name>(why)" (or "()" for null why); returns result.
int Pass_Out(const char* name, const char* why, int result);
/// "<<< out Class: <name>(why)" (or "()" for null why); returns result.
int Class_Out(const char* name, const char* why, int result);

/// The node's flag word for the window, masked.
inline uint64_t Flag_Of(Quarn_2D* node, Quarn_Window* window, uint64_t mask) {
  return node->Flag_Get_Bit(0x10, window, mask);
}
/// True when the node's redraw word for the window has a bit of mask.
inline bool Redraw_Hit(Quarn_2D* node, Quarn_Window* window, uint64_t mask) {
  return node->Redraw_Get_Bit(0x10, window, mask) != 0;
}

/// An RGB colour of the drawings.
struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
};
/// The part of a frame drawing done under the frame's lock: null when drawn, else why not.
using Frame_Locked_Draw = const char* (*)(Quarn_2D_Frame* frame, uint64_t mask, Quarn_Window* window);
/// A frame drawing's frame: entry trace, 0 for no frame or window, nothing but the exit "why_off"
/// when the frame's flag word for the window lacks flag_bit, else draw under the frame's lock
/// (the display layers must not be replaced while drawn) and its answer as the exit. Returns 1.
int Frame_Drawing(const char* name, Quarn_2D* object, uint64_t mask, Quarn_Window* window, uint64_t flag_bit,
                  const char* why_off, Frame_Locked_Draw draw);

/// $COLOR_SCHEME as the frame is drawn with it (capped for frames whose type asks so).
uint8_t Scheme_Of(const Quarn_2D_Frame* frame);
/// Makes sure the frame's display layers exist before it is drawn; the texts (with the frame's
/// name) report a missing work layer in the voice of the drawing that asks.
void Layers_Ready(Quarn_2D_Frame* frame, const char* gli_text, const char* tag_text);

/// The window's background colour (its second panel's colour).
Rgb Background_Of(const Quarn_Window* window);
/// The highlight colour of the node's flag bits; false when no highlight bit is set.
bool Highlight_Of(Quarn_2D* node, Quarn_Window* window, Rgb* colour);

/// $OPENGL_STATE, 0 while the host has none.
uint32_t OpenGL_State_Value();
/// $COLOR_SCHEME, 0 while the host has none.
uint8_t Color_Scheme_Value();

/// Integer part toward zero, as the drawings place pixels.
inline int Trunc(float v) { return int(v); }

}  // namespace quarn::scene
