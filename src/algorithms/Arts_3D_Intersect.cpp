// Picking through the ray grid: the outside list, then the cells the line crosses in order (3D
// digital differential analyser) until no unvisited cell can hold a nearer hit. Each triangle keeps
// the result of the last query that tested it, so a triangle listed in several cells is
// intersected once per query.
#include <quarn/algorithms/Arts_3D.h>
#include <quarn/algorithms/GEMS.h>
#include <quarn/classes/Quarn_3D_Geom.h>

#include "algorithms/Polygon_Hit.h"
#include "core/Check.h"
#include "core/Trace.h"

#include <hostkit/HostMovie.h>

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {

/// An axis along which the line moves less than this share of its largest component counts as
/// still (2^-39): its cell index never changes.
constexpr double Still_Share = 1.8189894035458565e-12;
/// A hit beyond this parameter counts as none.
constexpr float No_Hit_Above = 1e9f;
/// The walk goes on past the best hit by this share of a cell crossing, so that rounding between
/// hit parameters and cell borders never leaves a nearer hit in an unvisited cell.
constexpr double Walk_Slack = 1e-3;

/// Process-wide query counter; stamp 0 is never handed out, as it marks untested polygons.
std::atomic<uint32_t> g_query{0};

uint32_t Next_Stamp() {
  uint32_t stamp;
  do stamp = g_query.fetch_add(1, std::memory_order_relaxed) + 1;
  while (stamp == 0);
  return stamp;
}

/// The nearest hit so far of one candidate set: smallest positive parameter, then lowest polygon
/// index (whatever order the lists hold the triangles in).
struct Best {
  float t = 0;
  int polygon = -1;
  Point_3D point;
  bool Found() const { return polygon >= 0; }
  void Offer(float hit_t, int p, const Host_Movie_Polygon& poly, uint8_t code) {
    if (!(hit_t > 0)) return;
    if (Found() && (hit_t > t || (hit_t == t && p > polygon))) return;
    t = hit_t, polygon = p;
    point.Set(code, poly.hit[0], poly.hit[1], poly.hit[2]);
  }
};

/// One query: the line a + t d and its stamp.
struct Query {
  Host_Movie_Record& m;
  Point_3D a, d;
  uint32_t stamp;
  quarn::Hit_Line line{a, d};

  /// Tests the listed triangles through their mailboxes, a block at a time: the block's records
  /// are asked for first, then the nodes of those not yet tested in this query, so that the
  /// memory fetches of a block overlap instead of queueing one behind the other.
  /// cutoff is the nearest hit of any candidate set: a triangle beyond it cannot win.
  void Test(const int32_t* list, int count, Best& best, float cutoff) const {
    for (int first = 0; first < count; first += Block) {
      const int end = std::min(count, first + Block);
      for (int i = first; i < end; ++i)
        if (Listed(list[i])) Prefetch(&m.polys[list[i]], sizeof(Host_Movie_Polygon));
      for (int i = first; i < end; ++i)
        if (Listed(list[i])) Prefetch_Nodes(m.polys[list[i]]);
      for (int i = first; i < end; ++i)
        if (Listed(list[i])) Test_One(list[i], best, cutoff);
    }
  }

private:
  /// Triangles per block of Test: enough fetches in flight to cover the memory's latency.
  static constexpr int Block = 16;

  bool Listed(int p) const { return p >= 0 && p < m.poly_count; }

  static void Prefetch(const void* at, size_t bytes) {
    __builtin_prefetch(at);
    __builtin_prefetch(static_cast<const char*>(at) + bytes - 1);
  }

  /// Asks for the positions of a triangle's nodes, unless the mailbox already holds its answer.
  void Prefetch_Nodes(const Host_Movie_Polygon& poly) const {
    if (poly.stamp == stamp) return;
    for (int k = 0; k < 3; ++k)
      if (unsigned(poly.index[k]) < unsigned(m.node_count)) Prefetch(&m.nodes[poly.index[k]].pos, 3 * sizeof(float));
  }

  [[gnu::always_inline]] void Test_One(int p, Best& best, float cutoff) const {
    Host_Movie_Polygon& poly = m.polys[p];
    if (poly.stamp != stamp) {
      Point_3D h = a;  // a line parallel to the plane leaves the point unset
      // A polygon whose plane lies beyond the best hit cannot win this query any more: it is
      // marked as no hit without the point test.
      poly.hit_t = quarn::Polygon_Hit(m, poly, line, &h, std::min(cutoff, best.Found() ? best.t : HUGE_VALF));
      poly.hit[0] = h.x, poly.hit[1] = h.y, poly.hit[2] = h.z;
      poly.stamp = stamp;
    }
    best.Offer(poly.hit_t, p, poly, a.code);
  }
};

/// The cell walk along the line through the grid.
class Walk {
public:
  Walk(const DDDAs& g, const Query& q) : g_(g), q_(q) {}

  /// Collects the grid's nearest hit in best; the walk stops once the cells left lie beyond both
  /// it and the outside list's hit.
  void Run(Best& best, const Best& outside) {
    if (!Start()) return;
    const float outside_t = outside.Found() ? outside.t : HUGE_VALF;
    for (;;) {
      const int32_t* list = g_.DDDA_Pt[idx_[2]][idx_[1]][idx_[0]];
      if (list) q_.Test(list, g_.DDDA_Nb[idx_[2]][idx_[1]][idx_[0]], best, outside_t);
      const int k = next_[1] < next_[0] ? (next_[2] < next_[1] ? 2 : 1) : (next_[2] < next_[0] ? 2 : 0);
      if (next_[k] == HUGE_VAL) return;
      const double nearest = std::min(double(outside_t), best.Found() ? double(best.t) : HUGE_VAL);
      if (next_[k] > nearest + slack_) return;
      idx_[k] += step_[k];
      if (idx_[k] < 0 || idx_[k] >= n_[k]) return;
      next_[k] += delta_[k];
    }
  }

private:
  /// Clips the line to the grid box and sets up the stepping from where it enters (or from a
  /// inside the box); false when the line misses the box ahead of a.
  bool Start() {
    const double a[3] = {q_.a.x, q_.a.y, q_.a.z}, d[3] = {q_.d.x, q_.d.y, q_.d.z};
    const double lo[3] = {g_.box.x_min, g_.box.y_min, g_.box.z_min};
    const double hi[3] = {g_.box.x_max, g_.box.y_max, g_.box.z_max};
    const double cell[3] = {g_.cell_x, g_.cell_y, g_.cell_z}, inv[3] = {g_.inv_x, g_.inv_y, g_.inv_z};
    const double largest = std::max({std::fabs(d[0]), std::fabs(d[1]), std::fabs(d[2])});
    bool moves[3];
    double t_in = 0, t_out = HUGE_VAL;
    for (int k = 0; k < 3; ++k) {
      moves[k] = std::fabs(d[k]) > Still_Share * largest && largest > 0;
      if (!moves[k]) {
        if (a[k] < lo[k] || a[k] > hi[k]) return false;
        continue;
      }
      const double t0 = (lo[k] - a[k]) / d[k], t1 = (hi[k] - a[k]) / d[k];
      t_in = std::max(t_in, std::min(t0, t1));
      t_out = std::min(t_out, std::max(t0, t1));
    }
    if (!(t_in <= t_out)) return false;
    slack_ = HUGE_VAL;
    for (int k = 0; k < 3; ++k) {
      n_[k] = k == 0 ? g_.nx : k == 1 ? g_.ny : g_.nz;
      const double u = std::floor((a[k] + t_in * d[k] - lo[k]) * inv[k]);
      idx_[k] = int(std::clamp(u, 0.0, double(n_[k] - 1)));
      if (!moves[k]) {
        step_[k] = 0, next_[k] = HUGE_VAL, delta_[k] = 0;
        continue;
      }
      step_[k] = d[k] > 0 ? 1 : -1;
      const double border = lo[k] + (idx_[k] + (d[k] > 0)) * cell[k];
      next_[k] = (border - a[k]) / d[k];
      delta_[k] = cell[k] / std::fabs(d[k]);
      slack_ = std::min(slack_, delta_[k] * Walk_Slack);
    }
    return true;
  }

  const DDDAs& g_;
  const Query& q_;
  int idx_[3] = {}, n_[3] = {}, step_[3] = {};
  double next_[3] = {}, delta_[3] = {}, slack_ = 0;
};

bool Finite(const Point_3D& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

}  // namespace

float Arts_3D_Intersect_Line_Geom(const Point_3D& from, const Point_3D& to, Quarn_3D_Geom* geom, Point_3D* hit,
                                  int* polygon) {
  if (!QUARN_CHECK(geom, Geom_3D, "Arts_3D_Intersect_Line_Geom")) return GEMS_NO_HIT;
  if (!geom->grid || !geom->movie) {
    QUARN_REPORT(quarn::msg::Invalid, "Arts_3D_Intersect_Line_Geom: the geometry %ls has no %s", geom->Name_Get(),
                 geom->movie ? "grid" : "surface");
    return GEMS_NO_HIT;
  }
  const Point_3D d(from.code, to.x - from.x, to.y - from.y, to.z - from.z);
  const Query q{*geom->movie, from, d, Next_Stamp()};
  if (!Finite(from) || !Finite(d)) return GEMS_NO_HIT;
  const DDDAs& g = *geom->grid;
  Best outside, inside;
  q.Test(g.Outside_Pt, g.Outside_Nb, outside, HUGE_VALF);
  Walk(g, q).Run(inside, outside);
  // The grid's hit wins only when it is strictly nearer: on a tie the outside list's triangle
  // (tested first) keeps the pick.
  const Best& best = inside.Found() && (!outside.Found() || inside.t < outside.t) ? inside : outside;
  if (!best.Found() || best.t > No_Hit_Above) return GEMS_NO_HIT;
  if (hit) *hit = best.point;
  if (polygon) *polygon = best.polygon;
  return best.t;
}
