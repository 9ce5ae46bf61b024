// Surfaces of 3D files: construction, extents, polygon planes and node normals.
#include <hostkit/HostMovie.h>

#include "HostFault.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace {

bool Index_Ok(const Host_Movie_Record& m, const Host_Movie_Polygon& p) {
  if (p.count < 3 || p.count > 4) return false;
  for (int k = 0; k < p.count; ++k)
    if (p.index[k] < 0 || p.index[k] >= m.node_count) return false;
  return true;
}

// Plane of the first three corners; the unnormalised cross product weights the node normals by area.
Vec4 Plane(const Host_Movie_Record& m, Host_Movie_Polygon& p) {
  const Vec4& a = m.nodes[p.index[0]].pos;
  Vec4 ab = m.nodes[p.index[1]].pos, ac = m.nodes[p.index[2]].pos;
  ab -= a;
  ac -= a;
  Vec4 n = ab.cross(ac);
  Vec4 unit = n;
  unit.normalise();
  p.normal[0] = unit.x;
  p.normal[1] = unit.y;
  p.normal[2] = unit.z;
  p.d = -(unit.x * a.x + unit.y * a.y + unit.z * a.z);
  return n;
}

}  // namespace

Host_Movie_Record::~Host_Movie_Record() {
  delete[] nodes;
  delete[] polys;
  std::free(name);
  std::free(text);
}

Host_Movie_Record* Host_Movie_Create(int node_count, const float* xyz, int poly_count, int corners,
                                     const int* indices) {
  if (node_count < 0 || poly_count < 0 || (node_count && !xyz) || (poly_count && !indices) ||
      (poly_count && corners != 3 && corners != 4)) {
    HOSTKIT_INVALID(nullptr, "Host_Movie_Create: bad surface (%d nodes, %d polygons of %d corners)",
                    node_count, poly_count, corners);
    return nullptr;
  }
  auto* m = new (std::nothrow) Host_Movie_Record;
  if (m) m->nodes = new (std::nothrow) Host_Movie_Node[size_t(node_count)];
  if (m && m->nodes) m->polys = new (std::nothrow) Host_Movie_Polygon[size_t(poly_count)];
  if (!m || !m->nodes || !m->polys) {
    HOSTKIT_MEMORY_ERROR("new", "movie", node_count, poly_count);
    delete m;
    return nullptr;
  }
  m->node_count = node_count;
  m->poly_count = poly_count;
  for (int i = 0; i < node_count; ++i) {
    m->nodes[i].rest.set(xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2], 0);
    m->nodes[i].pos = m->nodes[i].rest;
  }
  for (int i = 0; i < poly_count; ++i) {
    m->polys[i].count = corners;
    std::copy(indices + size_t(i) * corners, indices + size_t(i + 1) * corners, m->polys[i].index);
  }
  if (!Host_Movie_Init_Norm(m)) {
    delete m;
    return nullptr;
  }
  Host_Movie_Init_Dim(m);
  return m;
}

int Host_Movie_Init_Dim(Host_Movie_Record* m) {
  if (!m) return 0;
  for (int k = 0; k < 3; ++k) m->box_min[k] = m->box_max[k] = 0;
  for (int i = 0; i < m->node_count; ++i) {
    const Vec4& p = m->nodes[i].pos;
    const float c[3] = {p.x, p.y, p.z};
    for (int k = 0; k < 3; ++k) {
      if (i == 0 || c[k] < m->box_min[k]) m->box_min[k] = c[k];
      if (i == 0 || c[k] > m->box_max[k]) m->box_max[k] = c[k];
    }
  }
  return 1;
}

int Host_Movie_Init_Norm(Host_Movie_Record* m) {
  if (!m) return 0;
  for (int i = 0; i < m->poly_count; ++i)
    if (!Index_Ok(*m, m->polys[i])) {
      HOSTKIT_INVALID(nullptr, "Host_Movie_Init_Norm: polygon %d names a node outside 0 ... %d",
                      i, m->node_count - 1);
      return 0;
    }
  for (int i = 0; i < m->node_count; ++i) m->nodes[i].normal = 0.0f;
  for (int i = 0; i < m->poly_count; ++i) {
    Host_Movie_Polygon& p = m->polys[i];
    Vec4 n = Plane(*m, p);
    for (int k = 0; k < p.count; ++k) m->nodes[p.index[k]].normal += n;
  }
  for (int i = 0; i < m->node_count; ++i) m->nodes[i].normal.normalise();
  m->refresh |= HOST_MOVIE_REFRESH_NODES | HOST_MOVIE_REFRESH_POLYS;
  return 1;
}

void Host_Movie_Free(Host_Movie_Record* movie) { delete movie; }
