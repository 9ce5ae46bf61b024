// Triangulated test surfaces: a latitude-longitude sphere and a torus, as host movie records.
#pragma once

#include <hostkit/HostMovie.h>

#include <cmath>
#include <memory>
#include <vector>

namespace mesh_shapes {

struct Movie_Deleter {
  void operator()(Host_Movie_Record* m) const { Host_Movie_Free(m); }
};
using Movie_Ptr = std::unique_ptr<Host_Movie_Record, Movie_Deleter>;

/// A surface from node positions and triangle corners.
inline Movie_Ptr Surface(const std::vector<float>& xyz, const std::vector<int>& corners) {
  return Movie_Ptr(Host_Movie_Create(int(xyz.size() / 3), xyz.data(), int(corners.size() / 3), 3, corners.data()));
}

/// A sphere of radius r around (cx, cy, cz): rings x segments quads split into triangles, with a
/// fan at each pole.
inline Movie_Ptr Sphere(int rings, int segments, float r, float cx = 0, float cy = 0, float cz = 0) {
  std::vector<float> xyz = {cx, cy, cz + r};
  for (int i = 1; i < rings; ++i)
    for (int j = 0; j < segments; ++j) {
      const double theta = M_PI * i / rings, phi = 2 * M_PI * j / segments;
      xyz.push_back(float(cx + r * std::sin(theta) * std::cos(phi)));
      xyz.push_back(float(cy + r * std::sin(theta) * std::sin(phi)));
      xyz.push_back(float(cz + r * std::cos(theta)));
    }
  xyz.insert(xyz.end(), {cx, cy, cz - r});
  const int south = int(xyz.size() / 3) - 1;
  auto ring = [&](int i, int j) { return 1 + (i - 1) * segments + (j % segments); };
  std::vector<int> c;
  for (int j = 0; j < segments; ++j) c.insert(c.end(), {0, ring(1, j), ring(1, j + 1)});
  for (int i = 1; i + 1 < rings; ++i)
    for (int j = 0; j < segments; ++j) {
      c.insert(c.end(), {ring(i, j), ring(i + 1, j), ring(i + 1, j + 1)});
      c.insert(c.end(), {ring(i, j), ring(i + 1, j + 1), ring(i, j + 1)});
    }
  for (int j = 0; j < segments; ++j) c.insert(c.end(), {south, ring(rings - 1, j + 1), ring(rings - 1, j)});
  return Surface(xyz, c);
}

/// A torus around the z axis: tube centre radius big, tube radius small, nu x nv quads split.
inline Movie_Ptr Torus(int nu, int nv, float big, float small) {
  std::vector<float> xyz;
  for (int i = 0; i < nu; ++i)
    for (int j = 0; j < nv; ++j) {
      const double u = 2 * M_PI * i / nu, v = 2 * M_PI * j / nv;
      xyz.push_back(float((big + small * std::cos(v)) * std::cos(u)));
      xyz.push_back(float((big + small * std::cos(v)) * std::sin(u)));
      xyz.push_back(float(small * std::sin(v)));
    }
  auto at = [&](int i, int j) { return (i % nu) * nv + (j % nv); };
  std::vector<int> c;
  for (int i = 0; i < nu; ++i)
    for (int j = 0; j < nv; ++j) {
      c.insert(c.end(), {at(i, j), at(i + 1, j), at(i + 1, j + 1)});
      c.insert(c.end(), {at(i, j), at(i + 1, j + 1), at(i, j + 1)});
    }
  return Surface(xyz, c);
}

}  // namespace mesh_shapes
