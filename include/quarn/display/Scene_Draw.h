// Scene drawing: the passes that walk the 2D tree for one window and run each object's draw
// tables, the viewport set-up they share, and the built-in drawings of class nodes and frames.
#pragma once

#include <quarn/Export.h>

#include <cstdint>

class Quarn_2D;
class Quarn_Window;

/// Redraw-mask bit of the background pass: clear the colour buffer.
inline constexpr uint64_t REDRAW_CLEAR_COLOR = 0x4000;
/// Redraw-mask bit of the background pass: clear the stencil buffer.
inline constexpr uint64_t REDRAW_CLEAR_STENCIL = 0x8000;

/// Clears the viewport of each frame the pass reaches (the window's current frame when it shows
/// one frame); 1 done, 0 when a recursion failed, the viewport is culled or no frame is current.
QUARN_API int Database_2D_Draw_BackGrnd(uint64_t mask, Quarn_Window* window, Quarn_2D* object);
/// Brings display layers up to date and runs fct_draw_base then fct_draw_opengl of each object
/// the pass reaches; 1 done, 0 when a recursion failed or no frame is current.
QUARN_API int Database_2D_Draw_OpenGL(uint64_t mask, Quarn_Window* window, Quarn_2D* object);
/// Runs fct_draw_stencil of each object the pass reaches; 1 done, 0 as the OpenGL pass.
QUARN_API int Database_2D_Draw_Stencil(uint64_t mask, Quarn_Window* window, Quarn_2D* object);
/// Runs fct_draw_highlight of each object the pass reaches (nothing in a one-frame window).
QUARN_API int Database_2D_Draw_Highlight(uint64_t mask, Quarn_Window* window, Quarn_2D* object);
/// Runs fct_draw_3d over the object's whole subtree (nothing in a geometry window).
QUARN_API int Database_3D_Draw(uint64_t mask, Quarn_Window* window, Quarn_2D* object);

/// Sets viewport, projection, scissor box and model-view for drawing the object (the whole
/// window for null); 0 when the object lies outside the window.
QUARN_API int Database_2D_Viewport(Quarn_Window* window, Quarn_2D* object);

/// Runs fct_draw_base: slots 31 down to 1, then slot 0 unless a slot answered 2; 0 when a
/// called slot answered 0.
QUARN_API int Fct_Callback_Draw_Base(Quarn_2D* object, uint64_t mask, Quarn_Window* window);
/// Runs fct_draw_opengl, slots 0 up to 31; 0 when a slot answered 0.
QUARN_API int Fct_Callback_Draw_OpenGL(Quarn_2D* object, uint64_t mask, Quarn_Window* window);
/// Runs fct_draw_stencil, slots 0 up to 7, slot i writing stencil bit 1 << i; 0 when a slot
/// answered 0.
QUARN_API int Fct_Callback_Draw_Stencil(Quarn_2D* object, uint64_t mask, Quarn_Window* window);
/// Runs fct_draw_xor, slots 0 up to 31; 0 when a slot answered 0.
QUARN_API int Fct_Callback_Draw_XOR(Quarn_2D* object, uint64_t mask, Quarn_Window* window);
/// Runs fct_draw_3d, slots 0 up to 31; 0 when a slot answered 0.
QUARN_API int Fct_Callback_Draw_3D(Quarn_2D* object, uint64_t mask, Quarn_Window* window);

/// Draws the node's row of the tree list: background, highlight, tree lines, glyph, icon,
/// slider and label. Returns 1.
QUARN_API int Class_Class_Draw_Base(Quarn_2D* object, uint64_t mask, Quarn_Window* window);
/// Draws the frame's redraw region at its zoom with the current colour scheme. Returns 1.
QUARN_API int Class_Frame_Draw_Base(Quarn_2D* object, uint64_t mask, Quarn_Window* window);
/// Draws the frame's highlight (three nested outlines) or erases it. Returns 1.
QUARN_API int Class_Frame_Draw_Highlight(Quarn_2D* object, uint64_t mask, Quarn_Window* window);
/// Draws a frame selected in a 3D window where it lies in patient space: its pixels in the
/// colour scheme as a textured quad, depth-tested, and its outline. For a slot of fct_draw_3d,
/// run inside the window's 3D view (Database_Geom_Draw). Returns 1, 0 for no frame.
QUARN_API int Class_Frame_Draw_3D(Quarn_2D* object, uint64_t mask, Quarn_Window* window);
