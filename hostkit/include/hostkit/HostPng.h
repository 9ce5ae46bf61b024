// PNG picture files: writing pixels out and reading them back as RGBA.
#pragma once

#include <hostkit/Export.h>

#include <cstdint>

/// Writes width x height pixels of channels bytes each (1 grey, 2 grey + alpha, 3 RGB, 4 RGBA),
/// rows top first, as a PNG file; 1 done, 0 (reported) for a bad size or channel count or when
/// the file cannot be written.
HOSTKIT_API int Host_Png_Write(const char* path, int width, int height, int channels,
                               const uint8_t* pixels);
/// Reads a PNG file of any colour type as RGBA rows top first into a malloc'd block the caller
/// frees; null (reported) when it cannot be read. width and height receive its size.
HOSTKIT_API uint8_t* Host_Png_Read(const char* path, int* width, int* height);
