// Triangulation of a simple plane polygon: reflex vertices are removed by cutting ears along
// inner diagonals, then the convex remainder is clipped vertex by vertex. Every triangle is
// listed against the polygon's order, whichever way the polygon turns.
//
// What callers rely on is that the triangles cover the polygon exactly, none inverted (their
// areas add up to the polygon's). The plain two-step method breaks that on ordinary input, so it
// departs from it in five places, each explained where it is made: repeated points are merged
// first (Merge_Repeated), the inside test counts a ray through a vertex once (Inside), a
// diagonal through a vertex is refused (Touches_A_Vertex), a sweep that cuts nothing cuts any
// ear it finds (Cut_Any_Ear), and the last triangle is turned by the polygon's orientation
// rather than its own (Finish).
#include <quarn/algorithms/GEMS.h>

#include "core/Check.h"
#include "core/Trace.h"

#include <cstdlib>
#include <cstring>

namespace {

/// A vertex is cut in the convex clipping only when its turn is larger than this.
constexpr double Convex_Turn = 5e-7;
/// Length of the ray (along +y) whose crossings tell whether a point is inside the polygon.
constexpr float Inside_Ray_Length = 100000.0f;

class Tessellation {
public:
  Tessellation(Point_2D* vertices, int n, Point_2D** a, Point_2D** b, Point_2D** c)
      : v_(vertices), m_(n), lists_{a, b, c} {
    Merge_Repeated();
    clockwise_ = Area() < 0;
  }

  /// Step 1: sweeps of ear cuts beside reflex vertices, until none is left or n sweeps ran.
  bool Remove_Reflex(int n) {
    for (int sweep = 0;;) {
      const int before = m_;
      if (!Pass(+1) || !Pass(-1)) return false;
      if (Reflex_Count() == 0) return true;
      // A sweep that cut nothing would repeat itself: an ear is cut wherever one is, so that the
      // convex clipping never sees a reflex vertex.
      if (m_ == before && !Cut_Any_Ear()) return false;
      if (++sweep >= n) {
        Warn("Warning: in Work_2D_geom_polygon, unable to tessellate polygon (step 1, cpt=%d)", sweep);
        return true;
      }
    }
  }

  /// Step 4: cuts convex vertices until three are left, at most n passes.
  bool Clip_Convex(int n) {
    for (int pass = 0; m_ > 3; ++pass) {
      if (pass >= n) {
        Warn("Warning: Unable to tessellate polygon (step 4, cpt=%d)", pass);
        return true;
      }
      for (int i = 0; i < m_ && m_ > 3;) {
        if (Turn(i) > Convex_Turn) {
          if (!Emit(v_[Next(i)], v_[i], v_[Prev(i)])) return false;
          Remove(i);
        } else {
          ++i;
        }
      }
    }
    return true;
  }

  /// The last three vertices as one triangle, turned against the polygon (clockwise for a
  /// counter-clockwise polygon). Turning it by its own left or right turn alone would always list
  /// it clockwise: for a clockwise polygon that is with its order, the one triangle inverted.
  bool Finish() {
    if (m_ != 3) return true;
    const Point_2D &p = v_[0], &q = v_[1], &r = v_[2];
    return (Cross(p, q, r) > 0) != clockwise_ ? Emit(r, q, p) : Emit(p, q, r);
  }

  int Count() const { return count_; }

  static void Warn(const char* format, int count) { QUARN_REPORT(quarn::msg::Geometry_Warning, format, count); }

private:
  /// Drops every point equal to the one before it (the last compared with the first). A repeated
  /// point makes an edge of no length, so the turn at both copies is 0: a reflex corner given
  /// twice is never seen as reflex, no ear is cut beside it, and the convex clipping later cuts
  /// across the notch (a triangle outside the polygon, overlapping others).
  void Merge_Repeated() {
    int kept = 0;
    for (int i = 0; i < m_; ++i)
      if (kept == 0 || v_[i].x != v_[kept - 1].x || v_[i].y != v_[kept - 1].y) v_[kept++] = v_[i];
    while (kept > 1 && v_[kept - 1].x == v_[0].x && v_[kept - 1].y == v_[0].y) --kept;
    m_ = kept;
  }

  double Area() const {
    double s = 0;
    for (int i = 0; i < m_; ++i) s += double(v_[i].x) * v_[Next(i)].y - double(v_[Next(i)].x) * v_[i].y;
    return s;
  }

  int Next(int i) const { return (i + 1) % m_; }
  int Prev(int i) const { return (i + m_ - 1) % m_; }

  /// (q - p) x (r - q): positive for a left turn at q.
  static double Cross(const Point_2D& p, const Point_2D& q, const Point_2D& r) {
    return (double(q.x) - p.x) * (double(r.y) - q.y) - (double(q.y) - p.y) * (double(r.x) - q.x);
  }
  double Turn(int i) const { return Cross(v_[Prev(i)], v_[i], v_[Next(i)]); }
  bool Reflex(int i) const { return m_ >= 3 && Turn(i) < 0; }

  int Reflex_Count() const {
    if (m_ < 4) return 0;
    int count = 0;
    for (int i = 0; i < m_; ++i) count += Reflex(i);
    return count;
  }

  bool Crosses_An_Edge(const Point_2D& p, const Point_2D& q) const {
    for (int e = 0; e < m_; ++e)
      if (GEMS_2D_Intertsect_Segment_Segment(p, q, v_[e], v_[Next(e)], nullptr) != 0) return true;
    return false;
  }

  /// Whether the ray from p along +y crosses the border an odd number of times. An edge counts
  /// when its ends lie on either side of the ray's x, one end's side taken half-open, so that a
  /// ray through a vertex counts it once. The segment test ignores crossings at segment ends, so
  /// counting with it would miss both edges at such a vertex: a diagonal whose midpoint lies
  /// below a vertex (common on whole coordinates) would be called outside and its ear never cut.
  bool Inside(const Point_2D& p) const {
    int crossings = 0;
    for (int e = 0; e < m_; ++e) {
      const Point_2D &s = v_[e], &t = v_[Next(e)];
      if ((s.x > p.x) == (t.x > p.x)) continue;
      const double y = s.y + (double(p.x) - s.x) * (double(t.y) - s.y) / (double(t.x) - s.x);
      crossings += y > p.y && y <= double(p.y) + Inside_Ray_Length;
    }
    return crossings % 2 == 1;
  }

  /// Whether a vertex other than i and j lies on the segment between them. The segment test
  /// ignores such touching, yet a diagonal through a vertex can leave the polygon there and come
  /// back through another (common on whole coordinates): its ear would overlap the rest.
  bool Touches_A_Vertex(int i, int j) const {
    const Point_2D &p = v_[i], &q = v_[j];
    const double dx = double(q.x) - p.x, dy = double(q.y) - p.y;
    for (int k = 0; k < m_; ++k) {
      if (k == i || k == j) continue;
      const double ux = double(v_[k].x) - p.x, uy = double(v_[k].y) - p.y;
      if (ux * dy - uy * dx != 0) continue;
      const double along = ux * dx + uy * dy;
      if (along > 0 && along < dx * dx + dy * dy) return true;
    }
    return false;
  }

  bool Inner_Diagonal(int i, int j) const {
    const Point_2D mid(v_[i].code, (v_[i].x + v_[j].x) * 0.5f, (v_[i].y + v_[j].y) * 0.5f);
    return !Crosses_An_Edge(v_[i], v_[j]) && !Touches_A_Vertex(i, j) && Inside(mid);
  }

  /// One pass over the vertices: beside each reflex vertex i, the ear at i + dir is cut when the
  /// diagonal from i to i + 2 dir lies inside; the pass then looks at i again.
  bool Pass(int dir) {
    for (int i = 0; i < m_;) {
      if (Reflex(i)) {
        const int ear = (i + dir + m_) % m_, j = (i + 2 * dir + 2 * m_) % m_;
        if (Inner_Diagonal(i, j)) {
          const bool emitted = dir > 0 ? Emit(v_[j], v_[ear], v_[i]) : Emit(v_[ear], v_[j], v_[i]);
          if (!emitted) return false;
          Remove(ear);
          if (ear < i) --i;
          continue;
        }
      }
      ++i;
    }
    return true;
  }

  /// Cuts the first vertex whose two neighbours see each other inside the polygon. The sweeps
  /// only try the diagonals two steps from a reflex vertex; when other edges block all of those,
  /// the sweeps repeat without progress and the convex clipping would then meet reflex vertices
  /// and cut triangles outside the polygon. Any ear keeps the cover exact, and a simple polygon of
  /// four or more vertices always has one.
  bool Cut_Any_Ear() {
    for (int i = 0; i < m_; ++i)
      if (Turn(i) != 0 && Inner_Diagonal(Prev(i), Next(i))) {
        if (!Emit(v_[Next(i)], v_[i], v_[Prev(i)])) return false;
        Remove(i);
        return true;
      }
    return true;  // none: the sweeps run out and report
  }

  void Remove(int k) {
    std::memmove(v_ + k, v_ + k + 1, sizeof(Point_2D) * size_t(m_ - k - 1));
    --m_;
  }

  bool Emit(const Point_2D& a, const Point_2D& b, const Point_2D& c) {
    static const char* const names[3] = {"*list_a", "*list_b", "*list_c"};
    const Point_2D* corners[3] = {&a, &b, &c};
    for (int k = 0; k < 3; ++k) {
      auto* grown = static_cast<Point_2D*>(std::realloc(*lists_[k], sizeof(Point_2D) * size_t(count_ + 1)));
      if (!grown) {
        QUARN_MEMORY_ERROR("realloc", names[k], count_ + 1, 1);
        return false;
      }
      *lists_[k] = grown;
      grown[count_] = *corners[k];
    }
    ++count_;
    return true;
  }

  Point_2D* v_;
  int m_;
  Point_2D** lists_[3];
  int count_ = 0;
  bool clockwise_ = false;
};

}  // namespace

int GEMS_2D_Tessellate(int n, const Point_2D* polygon, Point_2D** list_a, Point_2D** list_b, Point_2D** list_c) {
  if (!list_a || !list_b || !list_c || (n > 0 && !polygon)) {
    QUARN_REPORT(quarn::msg::Invalid, "GEMS_2D_Tessellate: no polygon or no triangle lists given");
    return 0;
  }
  if (n <= 0) {
    Tessellation::Warn("Warning: in Work_2D_geom_polygon, unable to tessellate polygon (step 1, cpt=%d)", 0);
    return 0;
  }
  // The working copy loses a vertex with every triangle cut off.
  auto* sommet = static_cast<Point_2D*>(std::malloc(sizeof(Point_2D) * size_t(n)));
  if (!sommet) {
    QUARN_MEMORY_ERROR("malloc", "sommet", n, 1);
    return 0;
  }
  std::memcpy(sommet, polygon, sizeof(Point_2D) * size_t(n));
  Tessellation work(sommet, n, list_a, list_b, list_c);
  const bool done = work.Remove_Reflex(n) && work.Clip_Convex(n) && work.Finish();
  std::free(sommet);
  return done ? work.Count() : 0;
}
