// Space geometry: distance of a point to a line, and intersections of lines with a box, a
// plane, a surface polygon and a whole surface (every polygon tried, the reference for picking).
#include <quarn/algorithms/GEMS.h>
#include <quarn/classes/Quarn_3D_Geom.h>

#include "algorithms/Polygon_Hit.h"
#include "core/Check.h"
#include "core/Trace.h"

#include <hostkit/HostMovie.h>

#include <cmath>

namespace {

/// Slab bounds of an axis the ray does not move along.
constexpr double Unbounded = 549755813888.0;
/// The best parameter before any polygon is tried; one still above No_Hit_Above means no hit.
constexpr float Best_Start = 1e11f;
constexpr float No_Hit_Above = 1e9f;

Point_3D Difference(const Point_3D& b, const Point_3D& a) { return Point_3D(a.code, b.x - a.x, b.y - a.y, b.z - a.z); }

void Report_Missing(const char* function, const char* what) {
  QUARN_REPORT(quarn::msg::Invalid, "%s: no %s given", function, what);
}

}  // namespace

float GEMS_3D_Dist_Point_Line(const Point_3D& p, const Point_3D& a, const Point_3D& b, Point_3D* out) {
  const double u[3] = {double(b.x) - a.x, double(b.y) - a.y, double(b.z) - a.z};
  const double ap[3] = {double(p.x) - a.x, double(p.y) - a.y, double(p.z) - a.z};
  const double len2 = u[0] * u[0] + u[1] * u[1] + u[2] * u[2];
  const double t = len2 > 0 ? (ap[0] * u[0] + ap[1] * u[1] + ap[2] * u[2]) / len2 : 0.0;
  const double q[3] = {a.x + t * u[0], a.y + t * u[1], a.z + t * u[2]};
  if (out) out->Set(p.code, float(q[0]), float(q[1]), float(q[2]));
  return float((q[0] - p.x) * (q[0] - p.x) + (q[1] - p.y) * (q[1] - p.y) + (q[2] - p.z) * (q[2] - p.z));
}

uint8_t GEMS_3D_Intersect_Line_Box(const Point_3D& a, const Point_3D& b, const void* surface) {
  const auto* m = static_cast<const Host_Movie_Record*>(surface);
  if (!m) return Report_Missing("GEMS_3D_Intersect_Line_Box", "surface"), 0;
  double entry = -Unbounded, exit = Unbounded;
  for (int k = 0; k < 3; ++k) {
    const double lo = m->box_min[k], hi = m->box_max[k], p = a[k], v = double(b[k]) - p;
    if (v == 0) {
      if (p < lo || p > hi) return 0;
      continue;
    }
    if ((v > 0 && p > hi) || (v < 0 && p < lo)) return 0;  // beyond the slab and moving away
    double t0 = (lo - p) / v, t1 = (hi - p) / v;
    if (t0 > t1) std::swap(t0, t1);
    entry = std::max(entry, t0);
    exit = std::min(exit, t1);
  }
  return entry <= exit;
}

float GEMS_3D_Intersect_Segment_Plane(const Point_3D& a, const Point_3D& b, const Point_3D& n, const float* d,
                                      Point_3D* out) {
  if (!d) return Report_Missing("GEMS_3D_Intersect_Segment_Plane", "plane offset"), GEMS_NO_HIT;
  const Point_3D v = Difference(b, a);
  const double den = double(v.x) * n.x + double(v.y) * n.y + double(v.z) * n.z;
  if (!(std::fabs(den) >= GEMS_PARALLEL)) return GEMS_NO_HIT;
  const double t = (-double(*d) - (double(a.x) * n.x + double(a.y) * n.y + double(a.z) * n.z)) / den;
  if (!(t >= 0 && t <= 1)) return GEMS_NO_HIT;
  const float tf = float(t);
  if (out) out->Set(a.code, a.x + tf * v.x, a.y + tf * v.y, a.z + tf * v.z);
  return tf;
}

float GEMS_3D_Intersect_Ray_Polygon(const void* surface, const Point_3D& a, const Point_3D& dir, const void* polygon,
                                    Point_3D* out) {
  const auto* m = static_cast<const Host_Movie_Record*>(surface);
  const auto* p = static_cast<const Host_Movie_Polygon*>(polygon);
  if (!m || !p) return Report_Missing("GEMS_3D_Intersect_Ray_Polygon", m ? "polygon" : "surface"), GEMS_NO_HIT;
  return quarn::Polygon_Hit(*m, *p, a, dir, out);
}

float GEMS_3D_Intersect_Line_Polygon(const void* surface, const Point_3D& a, const Point_3D& b, const void* polygon,
                                     Point_3D* out) {
  return GEMS_3D_Intersect_Ray_Polygon(surface, a, Difference(b, a), polygon, out);
}

float GEMS_3D_Intersect_Line_Geom(const Point_3D& a, const Point_3D& b, Quarn_3D_Geom* geom, Point_3D* out,
                                  int* polygon) {
  if (!QUARN_CHECK(geom, Geom_3D, "GEMS_3D_Intersect_Line_Geom")) return GEMS_NO_HIT;
  const Host_Movie_Record* m = geom->movie;
  if (!m || !GEMS_3D_Intersect_Line_Box(a, b, m)) return GEMS_NO_HIT;
  const quarn::Hit_Line line(a, Difference(b, a));
  float best = Best_Start;
  int best_index = -1;
  Point_3D best_point, hit;
  for (int i = 0; i < m->poly_count; ++i) {
    const float t = quarn::Polygon_Hit(*m, m->polys[i], line, &hit);
    if (t > 0 && t < best) best = t, best_index = i, best_point = hit;
  }
  if (best > No_Hit_Above) return GEMS_NO_HIT;
  if (out) *out = best_point;
  if (polygon) *polygon = best_index;
  return best;
}
