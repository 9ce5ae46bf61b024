// The polygon point test (projection on the plane's dominant axes, inclusive edge signs) and the
// line-polygon hit used by every surface query.
#include "algorithms/Polygon_Hit.h"

#include <quarn/algorithms/GEMS.h>

#include <cmath>

namespace quarn {
namespace {

/// The two coordinates left when the axis along which the normal is longest is dropped; the
/// projection then keeps the triangle's area as large as it can be.
struct Projection {
  int u, v;
  explicit Projection(const float n[3]) {
    const float ax = std::fabs(n[0]), ay = std::fabs(n[1]), az = std::fabs(n[2]);
    if (az >= ax && az >= ay) u = 0, v = 1;
    else if (ay >= ax) u = 2, v = 0;
    else u = 1, v = 2;
  }
  double U(const Vec4& p) const { return u == 0 ? p.x : u == 1 ? p.y : p.z; }
  double V(const Vec4& p) const { return v == 0 ? p.x : v == 1 ? p.y : p.z; }
};

/// Whether q lies in the projected triangle p0 p1 p2 or on its border: the three edge sides, in
/// double (the products of float differences are then exact or nearly so), share a sign.
[[gnu::always_inline]] inline bool Triangle_Contains(const Vec4& p0, const Vec4& p1, const Vec4& p2, const Projection& pr,
                                                     const float q[3]) {
  const double qu = q[pr.u], qv = q[pr.v];
  const double u0 = pr.U(p0), v0 = pr.V(p0), u1 = pr.U(p1), v1 = pr.V(p1), u2 = pr.U(p2), v2 = pr.V(p2);
  const double e0 = (u1 - u0) * (qv - v0) - (v1 - v0) * (qu - u0);
  const double e1 = (u2 - u1) * (qv - v1) - (v2 - v1) * (qu - u1);
  const double e2 = (u0 - u2) * (qv - v2) - (v0 - v2) * (qu - u2);
  return (e0 >= 0 && e1 >= 0 && e2 >= 0) || (e0 <= 0 && e1 <= 0 && e2 <= 0);
}

bool Nodes_Valid(const Host_Movie_Record& m, const Host_Movie_Polygon& p) {
  if (p.count != 3 && p.count != 4) return false;
  for (int k = 0; k < p.count; ++k)
    if (p.index[k] < 0 || p.index[k] >= m.node_count) return false;
  return true;
}

}  // namespace

bool Polygon_Contains(const Host_Movie_Record& m, const Host_Movie_Polygon& p, float x, float y, float z) {
  if (!Nodes_Valid(m, p)) return false;
  const Projection pr(p.normal);
  const float q[3] = {x, y, z};
  const Vec4& a = m.nodes[p.index[0]].pos;
  const Vec4& c = m.nodes[p.index[2]].pos;
  if (Triangle_Contains(a, m.nodes[p.index[1]].pos, c, pr, q)) return true;
  return p.count == 4 && Triangle_Contains(c, m.nodes[p.index[3]].pos, a, pr, q);
}

float Polygon_Hit(const Host_Movie_Record& m, const Host_Movie_Polygon& p, const Point_3D& a, const Point_3D& v,
                  Point_3D* out, float beyond) {
  if (!Nodes_Valid(m, p)) return GEMS_NO_HIT;
  const double den = double(v.x) * p.normal[0] + double(v.y) * p.normal[1] + double(v.z) * p.normal[2];
  if (!(std::fabs(den) >= GEMS_PARALLEL)) return GEMS_NO_HIT;  // parallel, or NaN
  const double an = double(a.x) * p.normal[0] + double(a.y) * p.normal[1] + double(a.z) * p.normal[2];
  const float t = float((-double(p.d) - an) / den);
  const float x = a.x + t * v.x, y = a.y + t * v.y, z = a.z + t * v.z;
  if (out) out->Set(a.code, x, y, z);
  if (t > beyond) return GEMS_NO_HIT;
  return Polygon_Contains(m, p, x, y, z) ? t : GEMS_NO_HIT;
}

}  // namespace quarn
