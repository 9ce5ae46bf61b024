// Fct_Geom_*: drawing, finding, picking, burning in and writing the surfaces of the 3D tree.
#pragma once

#include <quarn/Export.h>
#include <quarn/core/Point.h>

#include <cstdint>

class Quarn_3D_Geom;
class Quarn_Window;
struct Host_Movie_Record;

/// Update bit that moves a surface's nodes to their rest position plus displacement.
inline constexpr uint64_t GEOM_UPDATE_NODES = 0x40000000000ull;
/// Flag-word bit of a geometry selected in a window (drawn with its render mode, picked, burnt).
inline constexpr uint64_t GEOM_FLAG_SELECTED = 0x200;

/// Draws the geometry's surface with its model matrix, colour and render mode (a window where it
/// is not selected gets a wire frame at most); 1 done, 0 without a surface.
QUARN_API int Class_Geom_Draw_Geom(Quarn_3D_Geom* geom, uint64_t mask, Quarn_Window* window, int width, int height);
/// Runs the geometry's drawing table: slots 31 down to 1, then slot 0 unless a slot answered 2;
/// 0 when a called slot answered 0, else 1.
QUARN_API int Fct_Callback_Draw_Geom(Quarn_3D_Geom* geom, uint64_t mask, Quarn_Window* window, int width,
                                     int height);
/// Draws the window's 3D scene with its 3D view (view_b x view_c as the projection): first the
/// 2D tree's 3D drawings (Database_3D_Draw, e.g. frames through Class_Frame_Draw_3D), then every
/// geometry of the 3D tree lit from the viewer, all depth-tested together; 0 when a table or the
/// 2D walk failed or the window is none.
QUARN_API int Database_Geom_Draw(uint64_t mask, Quarn_Window* window);

/// The first geometry of the 3D tree whose name is exactly name, or null.
QUARN_API Quarn_3D_Geom* Fct_Geom_Match_Name(const wchar_t* name);
/// The geometry nearest to the viewer under window point p (window pixels, y up) among those
/// selected and drawn in the window; hit (patient space) and polygon receive the hit. Null, the
/// outputs untouched, when nothing is hit.
QUARN_API Quarn_3D_Geom* Fct_Geom_Intersect(Quarn_Window* window, Point_2D p, Point_3D* hit, int* polygon);
/// Makes the displacement of the matching geometries selected in the current window permanent:
/// every node's current position becomes its rest position, displacements go to zero. The moves
/// are saved as one undo command. Null template: every selected geometry. Returns 1.
QUARN_API int Fct_Geom_BurnIn(const wchar_t* name_template);
/// Writes the tag of every matching geometry selected in the current window into every frame of
/// the 2D tree that its surface crosses: the pixels whose centres lie inside the surface's
/// cross-section with the frame's plane. One undo command; returns the number of geometries
/// burnt (0 when none matched or the work could not be dispatched).
QUARN_API int Fct_Geom_Burn_Tags(const wchar_t* name_template);

/// Writes one geometry (its surface, or movie when given) to file in format ("stl", "obj" or
/// "ply"; null or empty: from the file's extension) with the host's geometry writer; its result,
/// 0 (reported) for a geometry or movie that is none.
QUARN_API int Fct_Geom_Write_Direct(Quarn_3D_Geom* geom, Host_Movie_Record* movie, const wchar_t* format,
                                    const wchar_t* file);
/// Writes every geometry matching the template (quotes stripped; null: every one) into one file
/// with the host's geometry writer; its result, 0 when nothing matched.
QUARN_API int Fct_Geom_Write_Template(const wchar_t* name_template, const wchar_t* format, const wchar_t* file);

/// Cuts the links between geometries and points: every point forgets the group and frame it was
/// placed on, so that the 2D tree can go.
QUARN_API void Database_Geom_Cleanup();
