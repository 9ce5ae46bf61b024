// Arts_3D_*: the uniform grid over a surface that lets a line find its nearest triangle by
// walking only the cells it crosses.
#pragma once

#include <quarn/Export.h>
#include <quarn/core/Point.h>
#include <quarn/core/Region.h>

#include <cstdint>

class Quarn_3D_Geom;
struct Host_Movie_Record;

/// Cells per axis of a ray grid.
inline constexpr int ARTS_CELLS = 50;

/// Answers of Arts_3D_Find_Index.
enum : int {
  ARTS_INSIDE = 1,   ///< The box lies inside the grid.
  ARTS_OUTSIDE = 2,  ///< The box lies entirely outside the grid.
  ARTS_PARTLY = 3,   ///< The box sticks out of the grid; the index ranges are clamped.
};

/// The ray grid of one surface: per cell the triangles whose bounding box overlaps it, and a list
/// of the triangles that stick out of the grid, which every query tests.
struct DDDAs {
  Region_3D box;                 ///< Grid bounds in patient space (code 2).
  int32_t nx = 0, ny = 0, nz = 0;  ///< Cells per axis.
  double cell_x = 0, cell_y = 0, cell_z = 0;  ///< Cell size per axis.
  double inv_x = 0, inv_y = 0, inv_z = 0;     ///< 1 / cell size per axis.
  int32_t Outside_Nb = 0;        ///< Triangles in the outside list.
  int32_t* Outside_Pt = nullptr;  ///< Outside list (malloc'd triangle indices).
  int32_t*** DDDA_Nb = nullptr;   ///< [nz][ny][nx] triangle count per cell.
  int32_t**** DDDA_Pt = nullptr;  ///< [nz][ny][nx] triangle indices per cell, exactly count long.
};

/// Builds the grid of the geometry's surface (its current node positions) and gives it to the
/// geometry in place of any former grid; null, reported, without surface or memory.
QUARN_API DDDAs* Arts_3D_Init(Quarn_3D_Geom* geom);
/// Lists triangle polygon of the surface in the cells its box overlaps, and in the outside list
/// when it sticks out; returns the number of listings (0 for a polygon that is not a triangle).
QUARN_API int Arts_3D_Insert(DDDAs* grid, const Host_Movie_Record* surface, int polygon);
/// Removes the first listing of the triangle from each cell its box overlaps and from the
/// outside list; returns the number of listings removed.
QUARN_API int Arts_3D_Remove(DDDAs* grid, const Host_Movie_Record* surface, int polygon);
/// Cell index ranges of the box from low to high into index (x first, x last, y first, y last,
/// z first, z last): ARTS_INSIDE, ARTS_OUTSIDE (index untouched) or ARTS_PARTLY (clamped).
QUARN_API int Arts_3D_Find_Index(const DDDAs* grid, const Point_3D& low, const Point_3D& high, int index[6]);
/// Triangle count of cell (i, j, k); list receives its triangle indices (null for an empty or
/// missing cell).
QUARN_API int Arts_3D_Get_Inside(const DDDAs* grid, int i, int j, int k, const int32_t** list);
/// Triangle count of the outside list; list receives it.
QUARN_API int Arts_3D_Get_Outside(const DDDAs* grid, const int32_t** list);
/// Byte estimate of the geometry's grid, 0 without one.
QUARN_API uint64_t Arts_3D_Size(Quarn_3D_Geom* geom);
/// Frees the geometry's grid and leaves it without one; returns the size it had.
QUARN_API uint64_t Arts_3D_Free(Quarn_3D_Geom* geom);
/// Parameter along the line from `from` through `to` (0 at from, 1 at to) of the nearest hit at a
/// positive parameter, or GEMS_NO_HIT; on equal parameters a triangle of the outside list wins
/// over one found only in the cells, and the lowest index among the same kind. hit and polygon
/// receive that hit only. Queries on one geometry must not run at the same time.
QUARN_API float Arts_3D_Intersect_Line_Geom(const Point_3D& from, const Point_3D& to, Quarn_3D_Geom* geom,
                                            Point_3D* hit, int* polygon);
