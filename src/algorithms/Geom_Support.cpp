// Validation of a geometry's surface before it is picked, burnt or written.
#include "algorithms/Geom_Support.h"

#include "core/Trace.h"

#include <cmath>

namespace quarn::geom {

namespace {

bool Finite(const Vec4& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

bool Surface_Valid(const Quarn_3D_Geom* geom, const char* label) {
  const Host_Movie_Record* m = geom->movie;
  if (!m || m->node_count < 0 || m->poly_count < 0 || (m->node_count && !m->nodes) || (m->poly_count && !m->polys)) {
    QUARN_REPORT(msg::Invalid, "%s: %ls has no usable surface", label, geom->Name_Get());
    return false;
  }
  for (int i = 0; i < m->node_count; ++i)
    if (!Finite(m->nodes[i].pos)) {
      QUARN_REPORT(msg::Invalid, "%s: node %d of %ls is not a finite point", label, i, geom->Name_Get());
      return false;
    }
  for (int i = 0; i < m->poly_count; ++i) {
    const Host_Movie_Polygon& p = m->polys[i];
    bool ok = p.count == 3 || p.count == 4;
    for (int k = 0; ok && k < p.count; ++k) ok = p.index[k] >= 0 && p.index[k] < m->node_count;
    if (!ok) {
      QUARN_REPORT(msg::Invalid, "%s: polygon %d of %ls has %d corners or names a missing node (3 or 4 corners "
                   "among %d nodes)", label, i, geom->Name_Get(), int(p.count), m->node_count);
      return false;
    }
  }
  return true;
}

bool All_Triangles(const Host_Movie_Record& movie) {
  for (int i = 0; i < movie.poly_count; ++i)
    if (movie.polys[i].count != 3) return false;
  return true;
}

}  // namespace quarn::geom
