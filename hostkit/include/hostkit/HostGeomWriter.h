// The host's geometry writer: surfaces written to STL, OBJ or PLY files.
#pragma once

#include <hostkit/Export.h>

#include <cstdint>

struct Host_Movie_Record;

/// Writes count surfaces (their current node positions) into one file in format "stl" (binary),
/// "obj" or "ply" (text, with each polygon's colour); a null or empty format is taken from the
/// file's extension. name labels the file's header. Quadrilaterals are written as two triangles
/// in STL. Returns the number of surfaces written, 0 (reported) for an unknown format, a file
/// that cannot be written or a surface that is none.
HOSTKIT_API int Host_Geom_Write(const wchar_t* format, const wchar_t* file, const wchar_t* name, int count,
                                Host_Movie_Record* const* movies, const uint16_t* tags, const uint32_t* colours);
