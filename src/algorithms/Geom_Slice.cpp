// Slicing a surface with a frame's plane and scan-converting the cross-section row by row.
#include "algorithms/Geom_Slice.h"

#include <quarn/classes/Quarn_3D_Geom.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include <hostkit/HostMovie.h>

#include <algorithm>
#include <cmath>

namespace quarn::geom {

namespace {

/// Patient-space step (mm) along each axis from which the affine map of a frame is measured.
constexpr double Probe_Step = 100.0;
/// Largest disagreement (pixels) between the affine map and the frame's own map at a test point
/// for the frame to count as planar.
constexpr double Planar_Tolerance = 1e-2;

void Frame_Point(Quarn_2D_Frame* frame, double x, double y, double z, double out[3]) {
  const Point_4D f = frame->Org_2_Frm(float(x), float(y), float(z), 0.0f);
  out[0] = f.x;
  out[1] = f.y;
  out[2] = f.z;
}

}  // namespace

Slice_Surface Slice_Surface::Of(Quarn_3D_Geom* geom) {
  Slice_Surface s;
  const Host_Movie_Record& m = *geom->movie;
  s.tag = uint8_t(geom->TAG_Get());
  s.xyz.resize(size_t(m.node_count) * 3);
  for (int i = 0; i < m.node_count; ++i) {
    Vec4 p = m.nodes[i].pos;
    p *= geom->transfo[0];
    const float c[3] = {p.x, p.y, p.z};
    for (int k = 0; k < 3; ++k) {
      s.xyz[size_t(i) * 3 + k] = c[k];
      if (i == 0 || c[k] < s.box_min[k]) s.box_min[k] = c[k];
      if (i == 0 || c[k] > s.box_max[k]) s.box_max[k] = c[k];
    }
  }
  s.triangles.reserve(size_t(m.poly_count) * 3);
  for (int i = 0; i < m.poly_count; ++i) {
    const Host_Movie_Polygon& p = m.polys[i];
    s.triangles.insert(s.triangles.end(), {p.index[0], p.index[1], p.index[2]});
    if (p.count == 4) s.triangles.insert(s.triangles.end(), {p.index[0], p.index[2], p.index[3]});
  }
  return s;
}

Frame_Map Frame_Map::Of(Quarn_2D_Frame* frame) {
  Frame_Map map;
  map.frame_ = frame;
  map.z_ = float(frame->z_index);
  const Point_4D o = frame->Frm_2_Org(0.0f, 0.0f, 0.0f, 0.0f);
  const double origin[3] = {o.x, o.y, o.z};
  Frame_Point(frame, origin[0], origin[1], origin[2], map.origin_);
  for (int a = 0; a < 3; ++a) {
    double moved[3] = {origin[0], origin[1], origin[2]}, f[3];
    moved[a] += Probe_Step;
    Frame_Point(frame, moved[0], moved[1], moved[2], f);
    for (int k = 0; k < 3; ++k) map.axis_[a][k] = (f[k] - map.origin_[k]) / Probe_Step;
  }
  // The affine map is only trusted where it agrees with the frame's own at an unrelated point.
  const double test[3] = {origin[0] + 37.0, origin[1] - 53.0, origin[2] + 71.0};
  double direct[3];
  Frame_Point(frame, test[0], test[1], test[2], direct);
  map.affine_ = true;
  for (int k = 0; k < 3; ++k) {
    double v = map.origin_[k];
    for (int a = 0; a < 3; ++a) v += (test[a] - origin[a]) * map.axis_[a][k];
    if (!(std::fabs(v - direct[k]) <= Planar_Tolerance)) map.affine_ = false;
  }
  // Shift the origin to patient (0, 0, 0) so that Apply is one product.
  for (int k = 0; k < 3; ++k)
    for (int a = 0; a < 3; ++a) map.origin_[k] -= origin[a] * map.axis_[a][k];
  return map;
}

void Frame_Map::Apply(const float p[3], float out[3]) const {
  if (affine_) {
    for (int k = 0; k < 3; ++k)
      out[k] = float(origin_[k] + p[0] * axis_[0][k] + p[1] * axis_[1][k] + p[2] * axis_[2][k]);
  } else {
    const Point_4D f = frame_->Org_2_Frm(p[0], p[1], p[2], 0.0f);
    out[0] = f.x;
    out[1] = f.y;
    out[2] = f.z;
  }
  out[2] -= z_;
}

bool Box_Crosses(const Slice_Surface& s, const Frame_Map& map, int width, int height) {
  float lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
  for (int corner = 0; corner < 8; ++corner) {
    const float p[3] = {corner & 1 ? s.box_max[0] : s.box_min[0], corner & 2 ? s.box_max[1] : s.box_min[1],
                        corner & 4 ? s.box_max[2] : s.box_min[2]};
    float f[3];
    map.Apply(p, f);
    for (int k = 0; k < 3; ++k) {
      if (corner == 0 || f[k] < lo[k]) lo[k] = f[k];
      if (corner == 0 || f[k] > hi[k]) hi[k] = f[k];
    }
  }
  return lo[2] <= 0 && hi[2] >= 0 && hi[0] >= 0 && lo[0] <= float(width - 1) && hi[1] >= 0 &&
         lo[1] <= float(height - 1);
}

void Slice_Rows::Reset(int height) {
  rows_.resize(size_t(std::max(0, height)));
  for (std::vector<float>& row : rows_) row.clear();
}

void Slice_Rows::Segment(float x0, float y0, float x1, float y1) {
  if (y0 > y1) {
    std::swap(x0, x1);
    std::swap(y0, y1);
  }
  // Rows y with y0 <= y + 0.5 < y1.
  const int first = std::max(0, int(std::ceil(y0 - 0.5f)));
  const int last = std::min(int(rows_.size()) - 1, int(std::ceil(y1 - 0.5f)) - 1);
  if (first > last) return;
  const float slope = (x1 - x0) / (y1 - y0);
  for (int y = first; y <= last; ++y) rows_[y].push_back(x0 + (float(y) + 0.5f - y0) * slope);
}

void Slice_Rows::Sort() {
  for (std::vector<float>& row : rows_) std::sort(row.begin(), row.end());
}

bool Slice(const Slice_Surface& s, const Frame_Map& map, int width, int height, Slice_Rows* rows) {
  if (!Box_Crosses(s, map, width, height)) return false;
  const size_t nodes = s.xyz.size() / 3;
  std::vector<float> f(nodes * 3);
  for (size_t i = 0; i < nodes; ++i) map.Apply(&s.xyz[i * 3], &f[i * 3]);
  rows->width = width;
  rows->Reset(height);
  // A node exactly on the plane counts as above it, so that every crossing edge has one end on
  // each side and the outline stays closed.
  auto above = [&](int32_t n) { return f[size_t(n) * 3 + 2] >= 0; };
  auto cut = [&](int32_t a, int32_t b, float* x, float* y) {
    const float* p = &f[size_t(a) * 3];
    const float* q = &f[size_t(b) * 3];
    const float t = p[2] / (p[2] - q[2]);
    *x = p[0] + t * (q[0] - p[0]);
    *y = p[1] + t * (q[1] - p[1]);
  };
  for (size_t t = 0; t + 2 < s.triangles.size(); t += 3) {
    const int32_t v[3] = {s.triangles[t], s.triangles[t + 1], s.triangles[t + 2]};
    const bool up[3] = {above(v[0]), above(v[1]), above(v[2])};
    if (up[0] == up[1] && up[1] == up[2]) continue;
    // The lone corner is the one on its own side; the outline crosses its two edges.
    const int lone = up[0] == up[1] ? 2 : (up[0] == up[2] ? 1 : 0);
    float x0, y0, x1, y1;
    cut(v[lone], v[(lone + 1) % 3], &x0, &y0);
    cut(v[lone], v[(lone + 2) % 3], &x1, &y1);
    rows->Segment(x0, y0, x1, y1);
  }
  rows->Sort();
  return true;
}

}  // namespace quarn::geom
