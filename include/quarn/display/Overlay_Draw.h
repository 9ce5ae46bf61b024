// Overlays: tree-list glyphs, icons, circles, markers, gizmos and lit spheres drawn in GL.
#pragma once

#include <quarn/Export.h>
#include <quarn/core/Point.h>

#include <cstdint>

class Quarn_Window;

/// Draws the expand glyph of the tree list: state 0 minus, 1 plus, 2 digit one, 3 small ring.
QUARN_API void OpenGL_Draw_PlusMinus(uint8_t state, int16_t x, int16_t y, int16_t w, int16_t h);
/// Draws the red circle-slash glyph of a node without children.
QUARN_API void OpenGL_Draw_CircleSlash(int16_t x, int16_t y, int16_t w, int16_t h);
/// Draws the slider of the tree list with its knob at knob pixels from the left.
QUARN_API void OpenGL_Draw_Slider(int knob, int16_t x, int16_t y, int16_t length, int16_t height);
/// Draws a picture of $DEFAULT_ICON_PATH in the box whose top-left corner is (x, y).
QUARN_API void OpenGL_Draw_Icon(int16_t x, int16_t y, int16_t w, int16_t h, const wchar_t* name);
/// Deletes the texture shared by all icons.
QUARN_API void OpenGL_Icon_Cleanup();
/// Draws a filled circle of a diameter around a centre; returns 1.
QUARN_API int OpenGL_Draw_Circle(Quarn_Window* window, Point_2D centre, float diameter);
/// Draws a marker picture in a colour at a position and size, with an optional label.
QUARN_API void OpenGL_Draw_Marker(Quarn_Window* window, uint32_t colour, Point_2D position,
                                  float size, const wchar_t* name, const wchar_t* label);
/// Frees the marker table and its textures.
QUARN_API void OpenGL_Cleanup_Marker();
/// Allocates the per-window gizmo texture tables.
QUARN_API void OpenGL_Draw_Gizmo_Init();
/// Frees the per-window gizmo texture tables.
QUARN_API void OpenGL_Draw_Gizmo_Exit();
/// Loads a gizmo picture of $DEFAULT_ICON_PATH into a new texture; 1 done, 0 failed.
QUARN_API int OpenGL_Draw_Gizmo_Read(uint32_t* texture, const char* file, uint16_t min_alpha);
/// Draws one textured gizmo quad at a position, turned by angle degrees and scaled.
QUARN_API void OpenGL_Draw_Gizmo_Draw(Point_2D position, float angle, float scale);
/// Draws the arrow handle, textured or as lines.
QUARN_API void OpenGL_Draw_Gizmo_Arrow(Quarn_Window* window, Point_2D position, float angle,
                                       float scale, int colour, uint8_t textured);
/// Draws the bump handle, textured or as lines.
QUARN_API void OpenGL_Draw_Gizmo_Bump(Quarn_Window* window, Point_2D position, float angle,
                                      float scale, int colour, uint8_t textured);
/// Draws the target handle, textured or as lines.
QUARN_API void OpenGL_Draw_Gizmo_Target(Quarn_Window* window, Point_2D position, float angle,
                                        float scale, int colour, uint8_t textured);
/// Draws a wide text label turned by angle radians about its anchor.
QUARN_API void OpenGL_Draw_Gizmo_Label(Quarn_Window* window, const wchar_t* text, Point_2D anchor,
                                       Point_2D offset, float angle, float width, float height,
                                       int colour, uint8_t textured);
/// Draws a narrow text label turned by angle radians about its anchor.
QUARN_API void OpenGL_Draw_Gizmo_Data(Quarn_Window* window, const char* text, Point_2D anchor,
                                      Point_2D offset, float angle, float width, float height,
                                      int colour, uint8_t textured);
/// Draws the unit sphere with a subdivision (2 x 2 up to 10 x 10 points per cube face).
QUARN_API void OpenGL_Draw_Sphere(int subdivision);
/// Draws a lit sphere (or, for subdivision 0, a point) in a 3D view, with an optional label.
QUARN_API void OpenGL_Draw_Sphere(Quarn_Window* window, uint32_t colour, Point_3D centre, float size,
                                  int subdivision, const wchar_t* label);
