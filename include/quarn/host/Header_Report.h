// Header blocks of text exports: title, patients, image geometries and scanners of a set of
// frames, in a comment layout ("; " lines) and a table layout (columns split by one character).
#pragma once

#include <quarn/Export.h>

#include <cstdio>

class Quarn_2D_Frame;

// Every block is written to the caller's open file: as UTF-8 bytes to a byte-oriented file, or
// through the wide output functions (the locale's encoding) to a file the caller made wide.
// Settings read on every call: $REGIONAL_SEPARATOR (0: tab), $REGIONAL_FILLER (text for a
// missing value, "---" without the variable) and $INTERFACE_ANONYMOUS (nonzero hides patients).
// Each returns 1, or 0 for a null file.

/// Title block, comment layout: title and name framed by rules, and the creation time.
QUARN_API int Fct_Header_Time_ASCII(FILE* file, const char* title, const wchar_t* name);
/// Title block, table layout: title and name, creation time, program name and version.
QUARN_API int Fct_Header_Time_DB(FILE* file, const char* title, const wchar_t* name);
/// The distinct patients of the frames, comment layout.
QUARN_API int Fct_Header_Patient_ASCII(FILE* file, int count, Quarn_2D_Frame* const* frames);
/// The distinct patients of the frames, table layout.
QUARN_API int Fct_Header_Patient_DB(FILE* file, int count, Quarn_2D_Frame* const* frames);
/// The distinct image geometries of the frames, comment layout.
QUARN_API int Fct_Header_Image_ASCII(FILE* file, int count, Quarn_2D_Frame* const* frames);
/// The distinct image geometries of the frames, table layout.
QUARN_API int Fct_Header_Image_DB(FILE* file, int count, Quarn_2D_Frame* const* frames);
/// The distinct scanners of the frames, comment layout.
QUARN_API int Fct_Header_Scanner_ASCII(FILE* file, int count, Quarn_2D_Frame* const* frames);
/// The distinct scanners of the frames, table layout.
QUARN_API int Fct_Header_Scanner_DB(FILE* file, int count, Quarn_2D_Frame* const* frames);
