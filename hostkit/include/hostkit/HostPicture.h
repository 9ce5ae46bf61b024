// Pictures of the widget library read as 8-bit samples (TGA and PNG files), and the folder the
// pictures are installed in. Icons read as RGBA are in HostWidgets.h (Host_Read_Icon).
#pragma once

#include <hostkit/Export.h>

#include <cstddef>
#include <cstdint>
#include <string>

/// Largest width or height of a picture the readers accept.
inline constexpr int HOST_PICTURE_MAX_SIDE = 4096;
/// Largest picture file the readers load.
inline constexpr size_t HOST_PICTURE_MAX_BYTES = size_t(64) << 20;

/// A picture read from a file as 8-bit samples: grey pictures keep one channel, every other
/// picture has four (R, G, B, A); rows top first, channels samples per pixel.
struct Host_Icon_Image {
  int width = 0;               ///< Columns.
  int height = 0;              ///< Rows.
  int channels = 0;            ///< Samples per pixel: 1 or 4.
  uint8_t* samples = nullptr;  ///< Samples (malloc'd, owned).
};

/// Reads a TGA or PNG picture as samples; null (reported) when the file is missing, damaged,
/// truncated or larger than HOST_PICTURE_MAX_SIDE.
HOSTKIT_API Host_Icon_Image* Host_Read_Icon_Image(const wchar_t* file);
/// Reads a TGA or PNG picture held in memory; name only labels the reports.
HOSTKIT_API Host_Icon_Image* Host_Read_Icon_Image_Memory(const uint8_t* data, size_t size,
                                                         const wchar_t* name);
/// Releases a picture read as samples (null is fine).
HOSTKIT_API void Host_Free_Icon_Image(Host_Icon_Image* image);
/// The folder of the pictures, with a final '/': the installed pictures beside the library, else
/// "icons" beside the program, else the source tree's pictures of the build.
HOSTKIT_API std::wstring Host_Icon_Folder();
