// GEMS_*: distances, intersections and polygon triangulation on 2D and 3D points.
#pragma once

#include <quarn/Export.h>
#include <quarn/core/Point.h>

#include <cstdint>

class Quarn_3D_Geom;

/// The answer of the 3D intersection functions when nothing is hit (-2^39).
inline constexpr float GEMS_NO_HIT = -549755813888.0f;
/// Determinants of smaller magnitude (computed in double) count as parallel (2^-39).
inline constexpr double GEMS_PARALLEL = 1.8189894035458565e-12;

// Output points are optional (null: not wanted); they receive the space code of the first input
// point. Surfaces and polygons are a Host_Movie_Record and one of its Host_Movie_Polygon entries.

/// Squared distance from p to the segment ab; out receives the nearest point of the segment.
QUARN_API float GEMS_2D_Dist_Point_Segment(const Point_2D& p, const Point_2D& a, const Point_2D& b,
                                           Point_2D* out);
/// Parameter along cd where the infinite line ab crosses it strictly inside (1e-8 < s <
/// 0.9999999), else 0; out receives the crossing point whatever its place on ab.
QUARN_API float GEMS_2D_Intertsect_Line_Segment(const Point_2D& a, const Point_2D& b, const Point_2D& c,
                                                const Point_2D& d, Point_2D* out);
/// Parameter along cd of a proper crossing of the segments ab and cd (both parameters strictly
/// between 1e-8 and 0.9999999), else 0: touching at or near an endpoint is no crossing.
QUARN_API float GEMS_2D_Intertsect_Segment_Segment(const Point_2D& a, const Point_2D& b, const Point_2D& c,
                                                   const Point_2D& d, Point_2D* out);
/// Triangulates the simple polygon of n points given in order; triangle k is (a[k], b[k], c[k]),
/// listed against the polygon's order, the three malloc'd lists being reallocated to the count.
/// Returns the number of triangles (0 after a failed allocation, reported).
QUARN_API int GEMS_2D_Tessellate(int n, const Point_2D* polygon, Point_2D** list_a, Point_2D** list_b,
                                 Point_2D** list_c);

/// Squared distance from p to the infinite line ab; out receives the foot of the perpendicular.
QUARN_API float GEMS_3D_Dist_Point_Line(const Point_3D& p, const Point_3D& a, const Point_3D& b, Point_3D* out);
/// 1 when the ray from a through b meets the bounding box of the surface, else 0.
QUARN_API uint8_t GEMS_3D_Intersect_Line_Box(const Point_3D& a, const Point_3D& b, const void* surface);
/// Parameter in [0, 1] where the segment ab meets the plane n . p + d = 0, or GEMS_NO_HIT.
QUARN_API float GEMS_3D_Intersect_Segment_Plane(const Point_3D& a, const Point_3D& b, const Point_3D& normal,
                                                const float* d, Point_3D* out);
/// Parameter where the line through a and b meets the polygon, or GEMS_NO_HIT; out receives the
/// point where the line meets the polygon's plane, inside or not.
QUARN_API float GEMS_3D_Intersect_Line_Polygon(const void* surface, const Point_3D& a, const Point_3D& b,
                                               const void* polygon, Point_3D* out);
/// The same for the line from a along the vector dir.
QUARN_API float GEMS_3D_Intersect_Ray_Polygon(const void* surface, const Point_3D& a, const Point_3D& dir,
                                              const void* polygon, Point_3D* out);
/// Smallest positive parameter over every polygon of the geometry's surface (the lowest polygon
/// index among equal ones), or GEMS_NO_HIT; out and polygon receive that hit only.
QUARN_API float GEMS_3D_Intersect_Line_Geom(const Point_3D& a, const Point_3D& b, Quarn_3D_Geom* geom,
                                            Point_3D* out, int* polygon);
