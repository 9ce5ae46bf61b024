// Drawing of a frame's contours as lines or points into the current OpenGL context.
//
// The library does not make OpenGL contexts yet, so both drawings validate their frame, keep out
// of a running computation and trace, but draw nothing. What they will draw: each loop of the tag
// as a closed line strip through the patient-space positions of its points (pixel centres, in the
// tag's colour), or every step-th point as a lit point with the frame's normal.
#include <quarn/algorithms/Contour.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "classes/Tree_Trace.h"

using namespace quarn;

void Fct_Contour_Draw_Loops(Quarn_2D_Frame* frame, int16_t tag, int part, int parts) {
  constexpr const char* label = "Fct_Contour_Draw_Loops";
  if (Fct_Contour_Active() || !QUARN_CHECK(Object_Of(frame), Frame, label)) return;
  QUARN_REPORT(msg::Draw, "-> %s(%ls, tag %d, part %d of %d): no OpenGL context to draw into", label,
               frame->Name_Get(), int(tag), part, parts);
}

void Fct_Contour_Draw_Points(Quarn_2D_Frame* frame, int16_t tag, int first, int step) {
  constexpr const char* label = "Fct_Contour_Draw_Points";
  if (Fct_Contour_Active() || !QUARN_CHECK(Object_Of(frame), Frame, label)) return;
  QUARN_REPORT(msg::Draw, "-> %s(%ls, tag %d, from %d by %d): no OpenGL context to draw into", label,
               frame->Name_Get(), int(tag), first, step);
}
