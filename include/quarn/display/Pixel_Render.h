// Pixel rendering: grey values to colours, display layers of a frame, and drawing them in GL.
#pragma once

#include <quarn/Export.h>

#include <cstdint>

class Quarn_2D_Frame;

/// Prepares the grey-to-colour mapping for a pixel type, rescale slope and intercept and a
/// display window (min, max). Returns 1, or 0 for a grey image when the host has no colour maps.
QUARN_API unsigned int Fct_GLI_2_Color(uint8_t type, float slope, float intercept, float min,
                                       float max);
/// Prepares the mapping with the window held in $COLOR_VAL_MIN and $COLOR_VAL_MAX; returns 1.
QUARN_API unsigned int Fct_GLI_2_Color(uint8_t type, float slope, float intercept);
/// Maps one grey value with the last prepared mapping to an RGBA word (bytes R, G, B, A).
QUARN_API uint32_t Fct_GLI_2_Color(int value);

/// Rebuilds the frame's grey display layer over its update region; 1 done, 0 failed.
QUARN_API int Class_Frame_Update_GLI_Disp(Quarn_2D_Frame* frame);
/// Rebuilds the frame's tag display layer over its update region; 1 done, 0 failed.
QUARN_API int Class_Frame_Update_TAG_Disp(Quarn_2D_Frame* frame);
/// Runs the frame's grey display-update table (slots 31 to 1, then 0 unless one answered 2).
QUARN_API int Fct_Callback_Update_GLI_Disp(Quarn_2D_Frame* frame);
/// Runs the frame's tag display-update table (slots 31 to 1, then 0 unless one answered 2).
QUARN_API int Fct_Callback_Update_TAG_Disp(Quarn_2D_Frame* frame);

/// Draws the sub-rectangle (skip_x, skip_y, width, height) of the frame's display layers at the
/// raster position with a colour scheme and zoom; 0 when a layer the scheme needs is missing.
QUARN_API int Fct_Draw_OpenGL_Pixel(uint8_t scheme, float zoom_x, float zoom_y, uint16_t skip_x,
                                    uint16_t skip_y, uint16_t width, uint16_t height,
                                    Quarn_2D_Frame* frame);
/// Draws one grey RGBA buffer (texture name used or created through texture); returns 1.
QUARN_API int Fct_Draw_OpenGL_GLI(uint8_t scheme, float zoom_x, float zoom_y, uint16_t width,
                                  uint16_t height, uint32_t* texture, const void* rgba);
/// Draws one tag RGBA buffer with the scheme's test and blending; returns 1.
QUARN_API int Fct_Draw_OpenGL_TAG(uint8_t scheme, float zoom_x, float zoom_y, uint16_t width,
                                  uint16_t height, uint32_t* texture, const void* rgba);
/// Draws two whole RGBA buffers that belong to no frame with the current scheme; returns 1.
QUARN_API int Fct_Draw_OpenGL_Preview(float zoom_x, float zoom_y, uint16_t width, uint16_t height,
                                      const void* gli_rgba, const void* tag_rgba);
