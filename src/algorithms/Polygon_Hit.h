// The polygon point test of surface polygons and the line-polygon hit that the brute-force and
// the grid picking share, so that both answer the same parameter for the same polygon. Inline:
// picking runs them tens of times per ray, and a call per triangle costs as much as the test.
#pragma once

#include <quarn/algorithms/GEMS.h>
#include <quarn/core/Point.h>

#include <hostkit/HostMovie.h>

#include <cmath>

namespace quarn {
namespace polygon_hit {

/// The two coordinates left when the axis along which the normal is longest is dropped; the
/// projection then keeps the triangle's area as large as it can be. Chosen without branches: the
/// dominant axis of neighbouring polygons of a curved surface changes unpredictably.
struct Projection {
  int u, v;
  explicit Projection(const float n[3]) {
    static constexpr int U[3] = {0, 2, 1}, V[3] = {1, 0, 2};
    const float ax = std::fabs(n[0]), ay = std::fabs(n[1]), az = std::fabs(n[2]);
    const bool z = (az >= ax) & (az >= ay), y = ay >= ax;
    const int kind = int(!z) + int(!z & !y);  // 0 drops z, 1 drops y, 2 drops x
    u = U[kind], v = V[kind];
  }
};

/// The x, y, z of a position, to be picked by axis number.
struct Coords {
  float c[3];
  explicit Coords(const Vec4& p) : c{p.x, p.y, p.z} {}
};

/// Whether q lies in the projected triangle p0 p1 p2 or on its border: the three edge sides, in
/// double (the products of float differences are then exact or nearly so), share a sign.
[[gnu::always_inline]] inline bool Triangle_Contains(const Vec4& p0, const Vec4& p1, const Vec4& p2,
                                                     const Projection& pr, const float q[3]) {
  const Coords c0(p0), c1(p1), c2(p2);
  const double qu = q[pr.u], qv = q[pr.v];
  const double u0 = c0.c[pr.u], v0 = c0.c[pr.v], u1 = c1.c[pr.u], v1 = c1.c[pr.v], u2 = c2.c[pr.u], v2 = c2.c[pr.v];
  const double e0 = (u1 - u0) * (qv - v0) - (v1 - v0) * (qu - u0);
  const double e1 = (u2 - u1) * (qv - v1) - (v2 - v1) * (qu - u1);
  const double e2 = (u0 - u2) * (qv - v2) - (v0 - v2) * (qu - u2);
  // Bitwise, not short-circuit: the signs are unpredictable, and a branch on each costs more
  // than the six comparisons.
  return ((e0 >= 0) & (e1 >= 0) & (e2 >= 0)) | ((e0 <= 0) & (e1 <= 0) & (e2 <= 0));
}

/// Whether the polygon is a triangle or quadrilateral whose node indices all lie in the surface.
[[gnu::always_inline]] inline bool Nodes_Valid(const Host_Movie_Record& m, const Host_Movie_Polygon& p) {
  const unsigned n = m.node_count > 0 ? unsigned(m.node_count) : 0u;
  const bool three = (unsigned(p.index[0]) < n) & (unsigned(p.index[1]) < n) & (unsigned(p.index[2]) < n);
  if (p.count == 3) return three;
  return p.count == 4 && three && unsigned(p.index[3]) < n;
}

/// Polygon_Contains for a polygon that passed Nodes_Valid.
[[gnu::always_inline]] inline bool Contains_Valid(const Host_Movie_Record& m, const Host_Movie_Polygon& p, float x,
                                                  float y, float z) {
  const Projection pr(p.normal);
  const float q[3] = {x, y, z};
  const Vec4& a = m.nodes[p.index[0]].pos;
  const Vec4& c = m.nodes[p.index[2]].pos;
  if (Triangle_Contains(a, m.nodes[p.index[1]].pos, c, pr, q)) return true;
  return p.count == 4 && Triangle_Contains(c, m.nodes[p.index[3]].pos, a, pr, q);
}

}  // namespace polygon_hit

/// Whether the point (x, y, z), taken to lie in the polygon's plane, is inside the polygon: the
/// triangle of its first three nodes or, for a quadrilateral, that of its third, fourth and
/// first. Borders count as inside, so that a point on an edge shared by two polygons hits both.
inline bool Polygon_Contains(const Host_Movie_Record& m, const Host_Movie_Polygon& p, float x, float y, float z) {
  return polygon_hit::Nodes_Valid(m, p) && polygon_hit::Contains_Valid(m, p, x, y, z);
}

/// A line a + t v with its coordinates also widened to double, once for the many polygons a
/// query tests.
struct Hit_Line {
  Point_3D a, v;
  double ad[3], vd[3];
  Hit_Line(const Point_3D& from, const Point_3D& along)
      : a(from), v(along), ad{from.x, from.y, from.z}, vd{along.x, along.y, along.z} {}
};

/// Parameter t where the line meets the polygon, or GEMS_NO_HIT (also for a polygon that is not
/// a triangle or quadrilateral or names a node outside the surface, and for a line parallel to
/// its plane); out, when given, receives a + t v whenever the plane is met. A plane met beyond
/// the parameter `beyond` answers GEMS_NO_HIT without the point test: callers that already hold
/// a nearer hit need not know whether the polygon is met.
[[gnu::always_inline]] inline float Polygon_Hit(const Host_Movie_Record& m, const Host_Movie_Polygon& p,
                                                const Hit_Line& l, Point_3D* out, float beyond = HUGE_VALF) {
  if (!polygon_hit::Nodes_Valid(m, p)) return GEMS_NO_HIT;
  const double den = l.vd[0] * p.normal[0] + l.vd[1] * p.normal[1] + l.vd[2] * p.normal[2];
  if (!(std::fabs(den) >= GEMS_PARALLEL)) return GEMS_NO_HIT;  // parallel, or NaN
  const double an = l.ad[0] * p.normal[0] + l.ad[1] * p.normal[1] + l.ad[2] * p.normal[2];
  const float t = float((-double(p.d) - an) / den);
  const float x = l.a.x + t * l.v.x, y = l.a.y + t * l.v.y, z = l.a.z + t * l.v.z;
  if (out) out->Set(l.a.code, x, y, z);
  if (t > beyond) return GEMS_NO_HIT;
  return polygon_hit::Contains_Valid(m, p, x, y, z) ? t : GEMS_NO_HIT;
}

/// The same for a line given by its start a and vector v.
inline float Polygon_Hit(const Host_Movie_Record& m, const Host_Movie_Polygon& p, const Point_3D& a,
                         const Point_3D& v, Point_3D* out, float beyond = HUGE_VALF) {
  return Polygon_Hit(m, p, Hit_Line(a, v), out, beyond);
}

}  // namespace quarn
