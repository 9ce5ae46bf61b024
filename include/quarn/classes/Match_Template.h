// Name templates: a user's text ("all", "cur", a number, a name with wild cards) turned into the
// indices or objects a command acts on.
#pragma once

#include <quarn/Export.h>

#include <cstdint>

class Quarn_2D_File;
class Quarn_2D_Frame;
class Quarn_3D_Geom;
class Quarn_Point;
class Quarn_Window;

// Every function returns the number of entries written to out. Names match by the host's
// wild-card match; "all", "cur" and "ambient" are recognised in any case ("cur" and "ambient"
// by their first three letters). Kinds with a max write at most max entries and, frames
// excepted, warn when more would match; the object and label kinds also warn when nothing
// matches.

/// Each class B i below count for which a 2D node of class (node_class | i) exists and whose
/// decimal text matches.
QUARN_API int Fct_Match_Template_Class(uint32_t node_class, const wchar_t* pattern, int count, uint16_t out[]);
/// Each index below count whose number (index + 1) matches; "all" takes every index.
QUARN_API int Fct_Match_Template_Id(const wchar_t* pattern, int count, uint16_t out[]);
/// As Fct_Match_Template_Id; "ambient" gives the ambient light, index 0, alone.
QUARN_API int Fct_Match_Template_Light(const wchar_t* pattern, int count, uint16_t out[]);
/// Tags whose label or number matches; "cur" the current tag, "all" every tag up to max.
QUARN_API int Fct_Match_Template_TAG(const wchar_t* pattern, int max, uint16_t out[]);
/// Markers whose label or number matches; "cur" the current marker, "all" every one up to max.
QUARN_API int Fct_Match_Template_Marker(const wchar_t* pattern, int max, uint16_t out[]);
/// 2D file records whose name matches.
QUARN_API int Fct_Match_Template_File(const wchar_t* pattern, int max, Quarn_2D_File* out[]);
/// Frames in tree order whose name matches or whose 1-based position is the pattern's number;
/// "cur" (or "0") the current window's current frame, "all" or "*" every frame.
QUARN_API int Fct_Match_Template_Frame(const wchar_t* pattern, int max, Quarn_2D_Frame* out[]);
/// Geometry objects of the 3D tree whose name matches; "all" every one.
QUARN_API int Fct_Match_Template_Geom(const wchar_t* pattern, int max, Quarn_3D_Geom* out[]);
/// Points of the point list whose name matches; "all" the first max points.
QUARN_API int Fct_Match_Template_Point(const wchar_t* pattern, int max, Quarn_Point* out[]);
/// Windows of the window list whose name matches; "cur" the current window, "all" every one.
QUARN_API int Fct_Match_Template_Window(const wchar_t* pattern, int max, Quarn_Window* out[]);
