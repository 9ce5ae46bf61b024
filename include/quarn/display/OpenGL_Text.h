// Text in OpenGL: bitmap fonts kept as display lists and drawn at the raster position with
// in-text colour and font codes, and text rendered into a power-of-two mask for textures.
#pragma once

#include <quarn/Export.h>

#include <hostkit/HostTypes.h>

#include <cstdint>

/// Size of the raster-font table; further fonts reuse one already made.
inline constexpr int MAX_OGL_FONT = 128;
/// Characters 0 ... 126 of each raster font have a display list.
inline constexpr int OGL_FONT_GLYPHS = 127;

/// Draws a text at the raster position (x, y, z) in a colour, in "arial" of size pixels; bytes
/// 1-6 change the colour of what follows (blue, black, white, red, yellow, green), 240-242 the
/// font (plain, bold, italic); bytes without a glyph (127 and above) draw nothing. Returns 1.
QUARN_API int OpenGL_Text_DrawRasterFont(const char* text, uint16_t size, uint8_t red, uint8_t green,
                                         uint8_t blue, float x, float y, float z);
/// Draws a text with a black outline two pixels wide around it; no codes are read. Returns 1.
QUARN_API int OpenGL_Text_DrawRasterFont_2(const char* text, uint16_t size, uint8_t red,
                                           uint8_t green, uint8_t blue, float x, float y, float z);
/// Renders a text (face at size - 4 pixels) into a mask of texture_width x texture_height
/// 16-bit texels (0 or 0xFFFF, rows top first), power-of-two sides that hold it; flags & 0x0F
/// aligns it (0 right, 1 left, 2 centre), flags & 0xF0 measures its height without the descent.
/// Returns a malloc'd array the caller frees, or null (reported). text_width and text_height
/// may be null.
QUARN_API uint16_t* OpenGL_Text_To_Bitmap(Host_Window window, const char* text, const char* face,
                                          int size, int* texture_width, int* texture_height,
                                          int* text_width, int* text_height, int flags);
/// Wide-text form of OpenGL_Text_To_Bitmap; its font is made for each call.
QUARN_API uint16_t* OpenGL_Text_To_Bitmap(Host_Window window, const wchar_t* text, const char* face,
                                          int size, int* texture_width, int* texture_height,
                                          int* text_width, int* text_height, int flags);
/// Deletes the display lists of every raster font.
QUARN_API void OpenGL_Text_Cleanup();
