// The polygon point test of surface polygons and the line-polygon hit that the brute-force and
// the grid picking share, so that both answer the same parameter for the same polygon.
#pragma once

#include <quarn/core/Point.h>

#include <hostkit/HostMovie.h>

#include <cmath>

namespace quarn {

/// Whether the point (x, y, z), taken to lie in the polygon's plane, is inside the polygon: the
/// triangle of its first three nodes or, for a quadrilateral, that of its third, fourth and
/// first. Borders count as inside, so that a point on an edge shared by two polygons hits both.
bool Polygon_Contains(const Host_Movie_Record& surface, const Host_Movie_Polygon& polygon, float x, float y,
                      float z);

/// Parameter t where the line a + t v meets the polygon, or GEMS_NO_HIT (also for a polygon that
/// is not a triangle or quadrilateral or names a node outside the surface, and for a line
/// parallel to its plane); out, when given, receives a + t v whenever the plane is met. A plane
/// met beyond the parameter `beyond` answers GEMS_NO_HIT without the point test: callers that
/// already hold a nearer hit need not know whether the polygon is met.
float Polygon_Hit(const Host_Movie_Record& surface, const Host_Movie_Polygon& polygon, const Point_3D& a,
                  const Point_3D& v, Point_3D* out, float beyond = HUGE_VALF);

}  // namespace quarn
