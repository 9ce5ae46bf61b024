// Contours of the tagged areas of a frame: computed from its tag layer, kept on the frame, read
// by modules, drawn, and computed for a selected group of frames by a threaded driver.
#pragma once

#include <quarn/Export.h>

#include <cstdint>

class Point_2D;
class Quarn_2D_Frame;
class Quarn_Buffer;
class Quarn_2D;
class Quarn_Window;

/// A sample belongs to the area of tag t when its tag is t or higher.
inline constexpr uint32_t CONTOUR_ABOVE = 0x01;
/// A sample belongs to the area of tag t when its tag is t or lower.
inline constexpr uint32_t CONTOUR_BELOW = 0x02;
/// The grid reaches one step beyond each border, so areas touching the edge close along it.
inline constexpr uint32_t CONTOUR_EXTEND = 0x04;
/// A sample belongs to the area of tag t only when its tag is t; the loops are built.
inline constexpr uint32_t CONTOUR_LOOPS = 0x08;
/// The flags a frame's contour store remembers.
inline constexpr uint32_t CONTOUR_STORE_FLAGS = 0x0F;
/// Driver only: take the first selected group of frames alone.
inline constexpr uint32_t CONTOUR_FIRST_GROUP = 0x10;

/// User-buffer slot of a frame that holds its contour store.
inline constexpr uint32_t CONTOUR_SLOT = 50;
/// Redraw bit set on a frame whose contours were recomputed.
inline constexpr uint64_t CONTOUR_REDRAW = 0x200000;

/// Computes the contours of the frame's tags that changed since the last computation (all of
/// them when the flags or steps differ); 1 done, 0 failed (bad steps, no $TAG_NB, memory, or a
/// boundary that does not close while loops are asked for).
QUARN_API int Fct_Contour_Create(Quarn_2D_Frame* frame, uint32_t flags, int step_x, int step_y);

/// Computes the contours of the selected frames of the current window (every frame_step-th child
/// of each selected group); 1 when done or nothing was to do, 0 while another computation runs or
/// without a current window.
QUARN_API int Fct_Contour_Compute(uint32_t flags, uint16_t step_x, uint16_t step_y, uint16_t frame_step);

/// The tag's point count, with *points set to its boundary points (frame pixel column and row);
/// 0 when the tag has no contour. The array lives until the tag is recomputed or freed.
QUARN_API int Fct_Contour_Get_Points(Quarn_2D_Frame* frame, int16_t tag, Point_2D** points);

/// The tag's loop count, with *loops set to the array of loop buffers (each holding 32-bit point
/// indices in walking order); 0 when the tag has no contour or no loop.
QUARN_API int Fct_Contour_Get_Loops(Quarn_2D_Frame* frame, int16_t tag, Quarn_Buffer** loops);

/// Number of point indices held by one loop buffer of Fct_Contour_Get_Loops.
QUARN_API int Fct_Contour_Loop_Length(Quarn_Buffer* loop);

/// Deletes the data of the frame's contour store; the next computation starts afresh.
QUARN_API void Fct_Contour_Free(Quarn_2D_Frame* frame);

/// Draws the tag's loops (part of every loop, in parts, for tags with many loops) into the current
/// OpenGL context.
QUARN_API void Fct_Contour_Draw_Loops(Quarn_2D_Frame* frame, int16_t tag, int part, int parts);

/// Draws every step-th point of the tag from first on into the current OpenGL context.
QUARN_API void Fct_Contour_Draw_Points(Quarn_2D_Frame* frame, int16_t tag, int first, int step);

/// The map from patient space to the frame's pixels (column, row, distance from the slice along
/// its normal) as sixteen doubles in OpenGL order, for row vectors: where the loops' vertices
/// land. 0 when the frame's map to patient space cannot be inverted.
QUARN_API int Fct_Contour_Patient_To_Frame(Quarn_2D_Frame* frame, double matrix[16]);

/// Draws the loops of every tag of the frame over its pixels in the window, through the window's
/// zoom and pan: a callback for a slot of the frame's fct_draw_opengl table. 0 when object is no
/// frame or its map to patient space cannot be inverted, else 1.
QUARN_API int Fct_Contour_Draw_Frame(Quarn_2D* object, uint64_t mask, Quarn_Window* window);

/// 1 while a contour computation of the driver is running (drawing waits for it to end).
QUARN_API int Fct_Contour_Active();
