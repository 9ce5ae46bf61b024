// The ray grid's construction and upkeep: cell ranges of triangle boxes, listing and unlisting
// triangles, the size estimate and the release.
#include <quarn/algorithms/Arts_3D.h>
#include <quarn/classes/Quarn_3D_Geom.h>
#include <quarn/display/Update.h>

#include "core/Check.h"
#include "core/Trace.h"

#include <hostkit/HostMovie.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

/// The grid reaches beyond the surface's box by this share of a cell on every side.
constexpr double Margin_Cells = 0.25;
/// An axis along which the surface is flat (or nearly) is widened to this share of its largest
/// extent, so that no cell has size 0.
constexpr double Flat_Share = 1e-3;
/// Extent of every axis of a surface without extent (no node, or all nodes at one place).
constexpr double Point_Extent = 1.0;
/// What the grid's update asks the host to refresh.
constexpr uint64_t Grid_Update_Mask = 0x40000000;

/// Bounding box of a valid triangle of the surface (current node positions); false for a polygon
/// that is not a triangle or names a node outside the surface.
bool Triangle_Box(const Host_Movie_Record* m, int p, Point_3D& lo, Point_3D& hi) {
  if (!m || p < 0 || p >= m->poly_count) return false;
  const Host_Movie_Polygon& poly = m->polys[p];
  if (poly.count != 3) return false;
  for (int k = 0; k < 3; ++k)
    if (poly.index[k] < 0 || poly.index[k] >= m->node_count) return false;
  lo = hi = Point_3D(2, m->nodes[poly.index[0]].pos);
  for (int k = 1; k < 3; ++k) {
    const Vec4& v = m->nodes[poly.index[k]].pos;
    lo.Set(std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z));
    hi.Set(std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z));
  }
  return true;
}

/// The cell ranges of a box (Arts_3D_Find_Index without its argument checks).
int Find_Cells(const DDDAs& grid, const Point_3D& low, const Point_3D& high, int index[6]) {
  const DDDAs* g = &grid;
  const float lo[3] = {low.x, low.y, low.z}, hi[3] = {high.x, high.y, high.z};
  const float gmin[3] = {g->box.x_min, g->box.y_min, g->box.z_min};
  const float gmax[3] = {g->box.x_max, g->box.y_max, g->box.z_max};
  for (int k = 0; k < 3; ++k)
    if (!std::isfinite(lo[k]) || !std::isfinite(hi[k]) || lo[k] >= gmax[k] || gmin[k] > hi[k]) return ARTS_OUTSIDE;
  const double inv[3] = {g->inv_x, g->inv_y, g->inv_z};
  const int n[3] = {g->nx, g->ny, g->nz};
  int answer = ARTS_INSIDE;
  for (int k = 0; k < 3; ++k) {
    // Rounding may put a coordinate just below the top border into the cell past it: clamped.
    int first = 0, last = n[k] - 1;
    if (gmin[k] >= lo[k]) answer = ARTS_PARTLY;
    else first = std::min(int((double(lo[k]) - gmin[k]) * inv[k]), n[k] - 1);
    if (hi[k] >= gmax[k]) answer = ARTS_PARTLY;
    else last = std::min(int((double(hi[k]) - gmin[k]) * inv[k]), n[k] - 1);
    index[2 * k] = first;
    index[2 * k + 1] = last;
  }
  return answer;
}

/// The cells listed for one triangle: its Find_Index answer and ranges.
struct Cell_Range {
  int answer = 0;
  int index[6] = {};
  bool Read(const DDDAs* grid, const Host_Movie_Record* m, int p) {
    Point_3D lo, hi;
    if (!Triangle_Box(m, p, lo, hi)) return false;
    answer = Find_Cells(*grid, lo, hi, index);
    return true;
  }
  bool In_Cells() const { return answer & ARTS_INSIDE; }
  bool In_Outside() const { return answer & ARTS_OUTSIDE; }
  /// Calls f(k, j, i) for every cell of the ranges, z outermost, then y, then x.
  template <class F> void For_Cells(F&& f) const {
    if (!In_Cells()) return;
    for (int k = index[4]; k <= index[5]; ++k)
      for (int j = index[2]; j <= index[3]; ++j)
        for (int i = index[0]; i <= index[1]; ++i) f(k, j, i);
  }
};

/// Grows a list by one entry holding p; false, reported, when it cannot grow.
bool Append(int32_t*& list, int32_t& count, int32_t p, const char* var) {
  auto* grown = static_cast<int32_t*>(std::realloc(list, sizeof(int32_t) * size_t(count + 1)));
  if (!grown) {
    QUARN_MEMORY_ERROR("realloc", var, count + 1, 1);
    return false;
  }
  list = grown;
  list[count++] = p;
  return true;
}

/// Removes the first p of a list, closing the gap; false when p is not listed.
bool Unlist(int32_t*& list, int32_t& count, int32_t p) {
  int32_t* end = list ? list + count : list;
  int32_t* at = std::find(list, end, p);
  if (at == end) return false;
  std::memmove(at, at + 1, sizeof(int32_t) * size_t(end - at - 1));
  if (--count == 0) {
    std::free(list);
    list = nullptr;
  } else if (auto* shrunk = static_cast<int32_t*>(std::realloc(list, sizeof(int32_t) * size_t(count)))) {
    list = shrunk;  // a list that cannot shrink stays as it was, longer than needed
  }
  return true;
}

/// Per-cell tables: [nz] rows of [ny] rows of nx entries, all zero.
template <class T> T*** Cell_Table(int nx, int ny, int nz, const char* name, const char* row, const char* cells) {
  auto*** table = static_cast<T***>(std::calloc(size_t(nz), sizeof(T**)));
  if (!table) return QUARN_MEMORY_ERROR("calloc", name, nz, 1), nullptr;
  for (int k = 0; k < nz; ++k) {
    if (!(table[k] = static_cast<T**>(std::calloc(size_t(ny), sizeof(T*))))) {
      QUARN_MEMORY_ERROR("calloc", row, ny, 1);
      return table;
    }
    for (int j = 0; j < ny; ++j)
      if (!(table[k][j] = static_cast<T*>(std::calloc(size_t(nx), sizeof(T))))) {
        QUARN_MEMORY_ERROR("calloc", cells, nx, 1);
        return table;
      }
  }
  return table;
}

template <class T> bool Cell_Table_Whole(T*** table, int ny, int nz) {
  if (!table) return false;
  for (int k = 0; k < nz; ++k) {
    if (!table[k]) return false;
    for (int j = 0; j < ny; ++j)
      if (!table[k][j]) return false;
  }
  return true;
}

/// Releases everything of a grid, whole or partly built.
void Release(DDDAs* g) {
  for (int k = 0; k < g->nz; ++k) {
    for (int j = 0; j < g->ny; ++j) {
      if (g->DDDA_Pt && g->DDDA_Pt[k] && g->DDDA_Pt[k][j])
        for (int i = 0; i < g->nx; ++i) std::free(g->DDDA_Pt[k][j][i]);
      if (g->DDDA_Pt && g->DDDA_Pt[k]) std::free(g->DDDA_Pt[k][j]);
      if (g->DDDA_Nb && g->DDDA_Nb[k]) std::free(g->DDDA_Nb[k][j]);
    }
    if (g->DDDA_Pt) std::free(g->DDDA_Pt[k]);
    if (g->DDDA_Nb) std::free(g->DDDA_Nb[k]);
  }
  std::free(g->DDDA_Pt);
  std::free(g->DDDA_Nb);
  std::free(g->Outside_Pt);
  delete g;
}

/// The surface's box from the finite node positions, flat axes widened, grown by a quarter cell.
void Grid_Box(DDDAs* g, const Host_Movie_Record* m) {
  double lo[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, hi[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  for (int n = 0; n < m->node_count; ++n) {
    const Vec4& v = m->nodes[n].pos;
    const double c[3] = {v.x, v.y, v.z};
    if (!std::isfinite(c[0]) || !std::isfinite(c[1]) || !std::isfinite(c[2])) continue;
    for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], c[k]), hi[k] = std::max(hi[k], c[k]);
  }
  if (lo[0] > hi[0]) std::fill(lo, lo + 3, 0.0), std::fill(hi, hi + 3, 0.0);
  const double largest = std::max({hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]});
  const double least = largest > 0 ? largest * Flat_Share : Point_Extent;
  const int cells[3] = {g->nx, g->ny, g->nz};
  for (int k = 0; k < 3; ++k) {
    if (hi[k] - lo[k] < least) {
      const double mid = 0.5 * (lo[k] + hi[k]);
      lo[k] = mid - 0.5 * least, hi[k] = mid + 0.5 * least;
    }
    const double grow = (hi[k] - lo[k]) / cells[k] * Margin_Cells;
    lo[k] -= grow, hi[k] += grow;
  }
  g->box.Set(2, float(lo[0]), float(lo[1]), float(lo[2]), float(hi[0]), float(hi[1]), float(hi[2]));
  g->cell_x = (double(g->box.x_max) - g->box.x_min) / g->nx;
  g->cell_y = (double(g->box.y_max) - g->box.y_min) / g->ny;
  g->cell_z = (double(g->box.z_max) - g->box.z_min) / g->nz;
  g->inv_x = 1 / g->cell_x, g->inv_y = 1 / g->cell_y, g->inv_z = 1 / g->cell_z;
}

/// Lists every triangle in two passes (count, then fill): the lists end as inserting the
/// triangles one by one from index 0 would leave them, without growing each list per entry.
/// Without room for the passes' ranges, the triangles are inserted one by one.
void Fill(DDDAs* g, const Host_Movie_Record* m) {
  const int n = m->poly_count;
  auto* ranges = static_cast<Cell_Range*>(std::malloc(sizeof(Cell_Range) * size_t(std::max(n, 1))));
  if (!ranges) {
    for (int p = 0; p < n; ++p) Arts_3D_Insert(g, m, p);
    return;
  }
  for (int p = 0; p < n; ++p) {
    Cell_Range& r = ranges[p];
    if (!r.Read(g, m, p)) r.answer = 0;
    r.For_Cells([&](int k, int j, int i) { ++g->DDDA_Nb[k][j][i]; });
    if (r.In_Outside()) ++g->Outside_Nb;
  }
  for (int k = 0; k < g->nz; ++k)
    for (int j = 0; j < g->ny; ++j)
      for (int i = 0; i < g->nx; ++i) {
        int32_t& count = g->DDDA_Nb[k][j][i];
        if (count && !(g->DDDA_Pt[k][j][i] = static_cast<int32_t*>(std::malloc(sizeof(int32_t) * size_t(count)))))
          QUARN_MEMORY_ERROR("malloc", "arts->DDDA_Pt[k][j][i]", count, 1);
        count = 0;  // refilled below
      }
  const int32_t outside = g->Outside_Nb;
  if (outside && !(g->Outside_Pt = static_cast<int32_t*>(std::malloc(sizeof(int32_t) * size_t(outside)))))
    QUARN_MEMORY_ERROR("malloc", "arts->Outside_Pt", outside, 1);
  g->Outside_Nb = 0;
  for (int p = 0; p < n; ++p) {
    const Cell_Range& r = ranges[p];
    r.For_Cells([&](int k, int j, int i) {
      if (int32_t* list = g->DDDA_Pt[k][j][i]) list[g->DDDA_Nb[k][j][i]++] = p;
    });
    if (r.In_Outside() && g->Outside_Pt) g->Outside_Pt[g->Outside_Nb++] = p;
  }
  std::free(ranges);
}

}  // namespace

DDDAs* Arts_3D_Init(Quarn_3D_Geom* geom) {
  if (!QUARN_CHECK(geom, Geom_3D, "Arts_3D_Init")) return nullptr;
  QUARN_REPORT(quarn::msg::Class, ">>> in  Fct: Arts_3D_Init(%ls)", geom->Name_Get());
  const Host_Movie_Record* m = geom->movie;
  if (!m) {
    QUARN_REPORT(quarn::msg::Invalid, "Arts_3D_Init: the geometry %ls has no surface", geom->Name_Get());
    return nullptr;
  }
  auto* g = new (std::nothrow) DDDAs;
  if (!g) return QUARN_MEMORY_ERROR("calloc", "arts", 1, 1), nullptr;
  g->nx = g->ny = g->nz = ARTS_CELLS;
  g->DDDA_Nb = Cell_Table<int32_t>(g->nx, g->ny, g->nz, "arts->DDDA_Nb", "arts->DDDA_Nb[k]", "arts->DDDA_Nb[k][j]");
  g->DDDA_Pt = Cell_Table<int32_t*>(g->nx, g->ny, g->nz, "arts->DDDA_Pt", "arts->DDDA_Pt[k]", "arts->DDDA_Pt[k][j]");
  if (!Cell_Table_Whole(g->DDDA_Nb, g->ny, g->nz) || !Cell_Table_Whole(g->DDDA_Pt, g->ny, g->nz)) {
    Release(g);
    QUARN_REPORT(quarn::msg::Class, "<<< out Fct: Arts_3D_Init(memory)");
    return nullptr;
  }
  Grid_Box(g, m);
  Fill(g, m);
  Arts_3D_Free(geom);
  geom->grid = g;
  Fct_Update(Grid_Update_Mask);
  QUARN_REPORT(quarn::msg::Class, "<<< out Fct: Arts_3D_Init()");
  return g;
}

int Arts_3D_Find_Index(const DDDAs* g, const Point_3D& low, const Point_3D& high, int index[6]) {
  return g && index ? Find_Cells(*g, low, high, index) : ARTS_OUTSIDE;
}

int Arts_3D_Insert(DDDAs* g, const Host_Movie_Record* m, int p) {
  Cell_Range r;
  if (!g || !r.Read(g, m, p)) return 0;
  int listed = 0;
  r.For_Cells([&](int k, int j, int i) {
    listed += Append(g->DDDA_Pt[k][j][i], g->DDDA_Nb[k][j][i], p, "arts->DDDA_Pt[k][j][i]");
  });
  if (r.In_Outside()) listed += Append(g->Outside_Pt, g->Outside_Nb, p, "arts->Outside_Pt");
  return listed;
}

int Arts_3D_Remove(DDDAs* g, const Host_Movie_Record* m, int p) {
  Cell_Range r;
  if (!g || !r.Read(g, m, p)) return 0;
  int removed = 0;
  r.For_Cells([&](int k, int j, int i) { removed += Unlist(g->DDDA_Pt[k][j][i], g->DDDA_Nb[k][j][i], p); });
  if (r.In_Outside()) removed += Unlist(g->Outside_Pt, g->Outside_Nb, p);
  return removed;
}

int Arts_3D_Get_Inside(const DDDAs* g, int i, int j, int k, const int32_t** list) {
  const bool in = g && i >= 0 && i < g->nx && j >= 0 && j < g->ny && k >= 0 && k < g->nz;
  if (list) *list = in ? g->DDDA_Pt[k][j][i] : nullptr;
  return in ? g->DDDA_Nb[k][j][i] : 0;
}

int Arts_3D_Get_Outside(const DDDAs* g, const int32_t** list) {
  if (list) *list = g ? g->Outside_Pt : nullptr;
  return g ? g->Outside_Nb : 0;
}

uint64_t Arts_3D_Size(Quarn_3D_Geom* geom) {
  if (!QUARN_CHECK(geom, Geom_3D, "Arts_3D_Size") || !geom->grid) return 0;
  const auto* g = geom->grid;
  uint64_t size = 16ull * uint64_t(g->nz + 8);
  for (int k = 0; k < g->nz; ++k) {
    size += 16ull * uint64_t(g->ny);
    for (int j = 0; j < g->ny; ++j) {
      size += 12ull * uint64_t(g->nx);
      for (int i = 0; i < g->nx; ++i) size += 4ull * uint64_t(g->DDDA_Nb[k][j][i]);
    }
  }
  return size + 4ull * uint64_t(g->Outside_Nb + 1);
}

uint64_t Arts_3D_Free(Quarn_3D_Geom* geom) {
  const uint64_t size = Arts_3D_Size(geom);
  if (!geom || !geom->grid) return size;
  Release(geom->grid);
  geom->grid = nullptr;
  return size;
}
