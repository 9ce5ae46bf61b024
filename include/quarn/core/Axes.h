// Per-axis helpers shared by the point and region types of every dimension.
#pragma once

#include <hostkit/HostMath.h>

#include <cmath>
#include <cstddef>

namespace quarn::axes {

/// Coordinates closer than this count as equal (the float nearest 0.00001).
inline constexpr float Near_Limit = 0.00001f;
/// Every minimum of an empty region: larger than any position in use.
inline constexpr float Empty_Min = 100000.0f;
/// Every maximum of an empty region: smaller than any position in use.
inline constexpr float Empty_Max = -100000.0f;

/// Float members of T in a fixed order (the axes of a point, an index map of a region).
template <class T, std::size_t N> using Members = float T::* const[N];

/// The bounds of a region type R, one minimum and one maximum member per axis.
template <class R, std::size_t N> struct Box {
  Members<R, N> min;  ///< Minimum member of each axis.
  Members<R, N> max;  ///< Maximum member of each axis.
};

/// True when every listed member of a and b differs by less than Near_Limit.
template <class T, std::size_t N>
bool Near(const T& a, const T& b, const Members<T, N>& members) {
  for (float T::*m : members)
    if (!(std::fabs(a.*m - b.*m) < Near_Limit)) return false;
  return true;
}

/// The member at index i, or the first one for any index out of range.
template <class T, std::size_t N>
constexpr float T::* Pick(const Members<T, N>& members, int i) {
  return (i >= 0 && std::size_t(i) < N) ? members[i] : members[0];
}

/// Makes every axis empty.
template <class R, std::size_t N> void Clear(R& r, const Box<R, N>& b) {
  for (std::size_t i = 0; i < N; ++i) {
    r.*b.min[i] = Empty_Min;
    r.*b.max[i] = Empty_Max;
  }
}

/// Sets each axis from a pair of values, the smaller into the minimum (integers compare as such).
template <class R, std::size_t N, class V>
void Sort(R& r, const Box<R, N>& b, const V (&p)[N], const V (&q)[N]) {
  for (std::size_t i = 0; i < N; ++i) {
    r.*b.min[i] = float(p[i] < q[i] ? p[i] : q[i]);
    r.*b.max[i] = float(p[i] < q[i] ? q[i] : p[i]);
  }
}

/// Widens the first M axes to hold the position v; an empty region becomes exactly v.
template <class R, std::size_t N, std::size_t M>
  requires(M <= N)
void Grow(R& r, const Box<R, N>& b, const float (&v)[M]) {
  for (std::size_t i = 0; i < M; ++i) {
    if (v[i] < r.*b.min[i]) r.*b.min[i] = v[i];
    if (v[i] > r.*b.max[i]) r.*b.max[i] = v[i];
  }
}

/// Union in place: each minimum takes the smaller, each maximum the larger.
template <class R, std::size_t N> void Unite(R& r, const R& o, const Box<R, N>& b) {
  for (std::size_t i = 0; i < N; ++i) {
    if (o.*b.min[i] < r.*b.min[i]) r.*b.min[i] = o.*b.min[i];
    if (o.*b.max[i] > r.*b.max[i]) r.*b.max[i] = o.*b.max[i];
  }
}

/// Intersection in place; 1 when minimum <= maximum on every axis afterwards, else 0.
template <class R, std::size_t N> int Cull(R& r, const R& o, const Box<R, N>& b) {
  int kept = 1;
  for (std::size_t i = 0; i < N; ++i) {
    if (o.*b.min[i] > r.*b.min[i]) r.*b.min[i] = o.*b.min[i];
    if (o.*b.max[i] < r.*b.max[i]) r.*b.max[i] = o.*b.max[i];
    if (!(r.*b.min[i] <= r.*b.max[i])) kept = 0;
  }
  return kept;
}

/// Moves every minimum down and every maximum up by d (a negative d shrinks).
template <class R, std::size_t N> void Widen(R& r, const Box<R, N>& b, float d) {
  for (std::size_t i = 0; i < N; ++i) {
    r.*b.min[i] -= d;
    r.*b.max[i] += d;
  }
}

/// 1 when minimum <= v < maximum on every axis (the maximum edge is outside), else 0.
template <class R, std::size_t N>
int Contains(const R& r, const Box<R, N>& b, const float (&v)[N]) {
  for (std::size_t i = 0; i < N; ++i)
    if (!(r.*b.min[i] <= v[i] && v[i] < r.*b.max[i])) return 0;
  return 1;
}

/// 1 when on every axis r's maximum > o's minimum and o's maximum >= r's minimum, else 0.
template <class R, std::size_t N> int Overlaps(const R& r, const R& o, const Box<R, N>& b) {
  for (std::size_t i = 0; i < N; ++i)
    if (!(r.*b.max[i] > o.*b.min[i] && o.*b.max[i] >= r.*b.min[i])) return 0;
  return 1;
}

/// True when every bound of a and b differs by less than Near_Limit.
template <class R, std::size_t N> bool Near(const R& a, const R& o, const Box<R, N>& b) {
  return Near(a, o, b.min) && Near(a, o, b.max);
}

/// Length of (x, y, z).
inline float Length(float x, float y, float z) { return std::sqrt(x * x + y * y + z * z); }

/// Scales (x, y, z) to unit length; a zero-length vector becomes exactly zero.
inline void Unit(float& x, float& y, float& z) {
  const float n = Length(x, y, z);
  if (n == 0.0f) {
    x = y = z = 0.0f;
    return;
  }
  x /= n;
  y /= n;
  z /= n;
}

/// Transforms the row vector (x, y, z, 1) by m in double precision, rounding each result to
/// float; divides by the rounded w (through its float reciprocal) unless w is exactly 1.
inline void Transform(float& x, float& y, float& z, const Mat4& mat) {
  const double(*m)[4] = mat.m;
  const double dx = x, dy = y, dz = z;
  float tx = float(dx * m[0][0] + dy * m[1][0] + dz * m[2][0] + m[3][0]);
  float ty = float(dx * m[0][1] + dy * m[1][1] + dz * m[2][1] + m[3][1]);
  float tz = float(dx * m[0][2] + dy * m[1][2] + dz * m[2][2] + m[3][2]);
  const float w = float(dx * m[0][3] + dy * m[1][3] + dz * m[2][3] + m[3][3]);
  if (w != 1.0f) {
    const float r = 1.0f / w;
    tx *= r;
    ty *= r;
    tz *= r;
  }
  x = tx;
  y = ty;
  z = tz;
}

/// Replaces the x, y, z box (the first three axes) by the bounding box of its eight transformed
/// corners; further axes stay.
template <class R, std::size_t N>
  requires(N >= 3)
void Transform_Box(R& r, const Box<R, N>& b, const Mat4& m) {
  const float lo[3] = {r.*b.min[0], r.*b.min[1], r.*b.min[2]};
  const float hi[3] = {r.*b.max[0], r.*b.max[1], r.*b.max[2]};
  for (int corner = 0; corner < 8; ++corner) {
    float c[3];
    for (int a = 0; a < 3; ++a) c[a] = (corner >> a & 1) ? hi[a] : lo[a];
    Transform(c[0], c[1], c[2], m);
    for (int a = 0; a < 3; ++a) {
      if (corner == 0 || c[a] < r.*b.min[a]) r.*b.min[a] = c[a];
      if (corner == 0 || c[a] > r.*b.max[a]) r.*b.max[a] = c[a];
    }
  }
}

}  // namespace quarn::axes
