// A plain reference of the contour extraction for the property tests: one node per grid point,
// every cell read sample by sample, every node pushed after the scan, then links and loops.
// Slow and simple on purpose, so that the fast extraction can be checked against it.
#pragma once

#include "algorithms/Contour_Host.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace contour_test {

/// What the reference finds: per tag its points and its loops (point indices).
struct Reference_Result {
  bool closed = true;
  std::vector<Pixel> points[256];
  std::vector<std::vector<uint32_t>> loops[256];
};

inline Reference_Result Reference(const Tag_Map& m, uint32_t flags, int sx, int sy, const uint8_t* wanted) {
  struct Node {
    int tag = 0, link[2] = {0, 0}, x = 0, y = 0;
    uint32_t index = 0;
  };
  struct Seg {
    int tag, start, end;
  };
  static constexpr int Node_Of[16] = {-1, 0, 1, 0, 2, 2, 1, 2, 3, 0, 1, 0, 3, 3, 1, -1};
  static constexpr int Start[16] = {-1, -1, -1, 0, -1, 2, -1, 2, -1, -1, 1, 0, 3, 3, 1, -1};
  static constexpr int End[16] = {-1, -1, -1, 1, -1, 0, -1, 1, -1, -1, 3, 3, 2, 0, 2, -1};
  const int W = m.width, H = m.height;
  const int ncol = (W + sx - 1) / sx, nrow = (H + sy - 1) / sy;
  std::vector<Node> nodes(size_t(ncol) * size_t(std::max(nrow, 0)));
  std::vector<Seg> segs;
  auto belongs = [&](int v, int t) {
    if (v < 0) return false;
    if (flags & CONTOUR_LOOPS) return v == t;
    if (flags & (CONTOUR_ABOVE | CONTOUR_BELOW))
      return ((flags & CONTOUR_ABOVE) && v >= t) || ((flags & CONTOUR_BELOW) && v <= t);
    return true;
  };
  auto at = [&](int x, int y) -> int { return (y / sy) * ncol + x / sx; };
  const bool ext = flags & CONTOUR_EXTEND;
  for (int y = ext ? -sy : 0; ext ? y < H : y < H - sy; y += sy)
    for (int x = ext ? -sx : 0; ext ? x < W : x < W - sx; x += sx) {
      const int cx[4] = {x, x + sx, x, x + sx}, cy[4] = {y, y, y + sy, y + sy};
      int c[4];
      for (int i = 0; i < 4; ++i) c[i] = m.Tag(cx[i], cy[i]);
      for (int i = 0; i < 4; ++i) {
        const int t = c[i];
        bool seen = false;
        for (int j = 0; j < i; ++j) seen |= c[j] == t;
        if (t < 1 || seen) continue;
        int mask = 1 << i;
        for (int j = 0; j < 4; ++j)
          if (j != i && belongs(c[j], t)) mask |= 1 << j;
        if (Node_Of[mask] < 0) continue;
        Node& n = nodes[size_t(at(cx[Node_Of[mask]], cy[Node_Of[mask]]))];
        n.tag = t, n.x = cx[Node_Of[mask]], n.y = cy[Node_Of[mask]];
        if (Start[mask] >= 0)
          segs.push_back({t, at(cx[Start[mask]], cy[Start[mask]]), at(cx[End[mask]], cy[End[mask]])});
      }
    }
  if (sx > 1 || sy > 1)
    for (Node& n : nodes) {
      if (!n.tag) continue;
      const int t = n.tag;
      const int mask = (m.Tag(n.x, n.y + sy) == t) | (m.Tag(n.x - sx, n.y) == t) << 1 |
                       (m.Tag(n.x + sx, n.y) == t) << 2 | (m.Tag(n.x, n.y - sy) == t) << 3;
      int dx = 0, dy = 0;
      switch (mask) {
        case 1: case 7: dy = -(sy - 1); break;
        case 2: case 11: dx = sx - 1; break;
        case 3: dx = sx - 1, dy = -(sy - 1); break;
        case 4: case 13: dx = -(sx - 1); break;
        case 5: dx = -(sx - 1), dy = -(sy - 1); break;
        case 8: case 14: dy = sy - 1; break;
        case 10: dx = sx - 1, dy = sy - 1; break;
        case 12: dx = -(sx - 1), dy = sy - 1; break;
        default: break;
      }
      const int tx = n.x + dx, ty = n.y + dy;
      int x = n.x, y = n.y;
      for (int i = 0; i < std::max(std::abs(dx), std::abs(dy)); ++i) {
        const int nx = x + (tx > x) - (tx < x), ny = y + (ty > y) - (ty < y);
        if (nx == x && ny == y) break;
        if (m.Tag(nx, ny) == t) x = nx, y = ny;
        else if (m.Tag(nx, y) == t) x = nx;
        else if (m.Tag(x, ny) == t) y = ny;
      }
      n.x = x, n.y = y;
    }
  for (size_t k = 0; k < segs.size(); ++k) {
    Node& n = nodes[size_t(segs[k].start)];
    if (!n.link[0]) n.link[0] = int(k + 1);
    else if (!n.link[1]) n.link[1] = int(k + 1);
  }
  for (size_t k = 0; k < segs.size(); ++k) {
    if (!segs[k].tag) continue;
    for (int& s : nodes[size_t(segs[k].end)].link) {
      if (s <= 0 || !segs[size_t(s - 1)].tag || segs[size_t(s - 1)].end != segs[k].start) continue;
      segs[k].tag = segs[size_t(s - 1)].tag = 0;
      s = 0;
      for (int& own : nodes[size_t(segs[k].start)].link)
        if (own == int(k + 1)) own = 0;
      break;
    }
  }
  Reference_Result r;
  for (Node& n : nodes)
    if (n.tag && wanted[n.tag]) {
      n.index = uint32_t(r.points[n.tag].size());
      r.points[n.tag].push_back({n.x, n.y});
    }
  if (!(flags & CONTOUR_LOOPS)) return r;
  for (size_t first = 0; first < segs.size(); ++first) {
    if (!segs[first].tag) continue;
    size_t length = 0;
    for (size_t s = first;;) {
      if (++length > segs.size()) return r.closed = false, r;
      Node& n = nodes[size_t(segs[s].end)];
      int next = n.link[0];
      if (next > 0) n.link[0] = -next;
      else next = n.link[1];
      if (next <= 0) return r.closed = false, r;
      if (size_t(next - 1) == first) break;
      s = size_t(next - 1);
      if (!segs[s].tag) return r.closed = false, r;
    }
    std::vector<uint32_t> loop{nodes[size_t(segs[first].start)].index};
    const int tag = segs[first].tag;
    for (size_t i = 0, s = first; i < length; ++i) {
      segs[s].tag = 0;
      Node& n = nodes[size_t(segs[s].end)];
      if (i + 1 < length) loop.push_back(n.index);
      int next = n.link[0];
      if (next < 0) next = -next, n.link[0] = 0;
      else next = n.link[1];
      s = size_t(next - 1);
    }
    if (wanted[tag]) r.loops[tag].push_back(loop);
  }
  return r;
}

}  // namespace contour_test
