// Plane geometry: squared distance of a point to a segment, crossings of lines and segments.
#include <quarn/algorithms/GEMS.h>

#include <algorithm>
#include <cmath>

namespace {

/// Crossings nearer to an endpoint than this share of the segment do not count.
constexpr double Endpoint_Low = 1e-8;
constexpr double Endpoint_High = 0.9999999;

/// The crossing of the lines a + t u and c + s v: t along ab, s along cd; false when parallel.
struct Crossing {
  double t = 0, s = 0;
  bool found = false;
  Crossing(const Point_2D& a, const Point_2D& b, const Point_2D& c, const Point_2D& d) {
    const double ux = double(b.x) - a.x, uy = double(b.y) - a.y;
    const double vx = double(d.x) - c.x, vy = double(d.y) - c.y;
    const double den = vy * ux - vx * uy;
    if (!(std::fabs(den) >= GEMS_PARALLEL)) return;
    const double acx = double(a.x) - c.x, acy = double(a.y) - c.y;
    t = (acy * vx - acx * vy) / den;
    s = (acy * ux - acx * uy) / den;
    found = true;
  }
  void Point(const Point_2D& a, const Point_2D& b, Point_2D* out) const {
    if (out) out->Set(a.code, float(a.x + t * (double(b.x) - a.x)), float(a.y + t * (double(b.y) - a.y)));
  }
};

bool Strictly_Inside(double p) { return p > Endpoint_Low && p < Endpoint_High; }

}  // namespace

float GEMS_2D_Dist_Point_Segment(const Point_2D& p, const Point_2D& a, const Point_2D& b, Point_2D* out) {
  const double ux = double(b.x) - a.x, uy = double(b.y) - a.y;
  const double len2 = ux * ux + uy * uy;
  // A segment of length 0 is its point a.
  const double t = len2 > 0 ? std::clamp(((double(p.x) - a.x) * ux + (double(p.y) - a.y) * uy) / len2, 0.0, 1.0) : 0.0;
  const double qx = a.x + t * ux, qy = a.y + t * uy;
  if (out) out->Set(p.code, float(qx), float(qy));
  return float((qx - p.x) * (qx - p.x) + (qy - p.y) * (qy - p.y));
}

float GEMS_2D_Intertsect_Line_Segment(const Point_2D& a, const Point_2D& b, const Point_2D& c, const Point_2D& d,
                                      Point_2D* out) {
  const Crossing x(a, b, c, d);
  if (!x.found) return 0;
  x.Point(a, b, out);
  return Strictly_Inside(x.s) ? float(x.s) : 0.0f;
}

float GEMS_2D_Intertsect_Segment_Segment(const Point_2D& a, const Point_2D& b, const Point_2D& c,
                                         const Point_2D& d, Point_2D* out) {
  const Crossing x(a, b, c, d);
  if (!x.found) return 0;
  x.Point(a, b, out);
  return Strictly_Inside(x.t) && Strictly_Inside(x.s) ? float(x.s) : 0.0f;
}
