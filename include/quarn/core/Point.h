// Point_2D, Point_3D, Point_4D: a space code and two, three or four float coordinates.
#pragma once

#include <quarn/Export.h>
#include <quarn/core/Axes.h>

#include <hostkit/HostMath.h>

#include <cstdint>

// Space codes in use: 2 patient, 6 frame, 7 interface, 8 window; 0 marks a value nobody placed.
// The coordinate maps set the code; every other operation carries it along, and arithmetic and
// comparison never look at it. Integer positions are stored as whole-numbered floats.

class Point_3D;
class Point_4D;

/// A position in the plane of the space its code names.
class QUARN_API Point_2D {
public:
  uint8_t code = 0;  ///< Space code of the coordinates.
  float x = 0;       ///< First coordinate.
  float y = 0;       ///< Second coordinate.

  /// Origin with code 0.
  Point_2D() = default;
  /// Origin in the given space.
  explicit Point_2D(uint8_t space) : code(space) {}
  /// Integer position.
  Point_2D(uint8_t space, int px, int py) : code(space), x(float(px)), y(float(py)) {}
  /// Float position.
  Point_2D(uint8_t space, float px, float py) : code(space), x(px), y(py) {}
  /// Code, x and y of a 3D point; assigning one goes through here as well.
  Point_2D(const Point_3D& p);
  /// Code, x and y of a 4D point; assigning one goes through here as well.
  Point_2D(const Point_4D& p);

  /// Sets the code only.
  void Set(uint8_t space) { code = space; }
  /// Sets code and integer position.
  void Set(uint8_t space, int px, int py) { code = space, x = float(px), y = float(py); }
  /// Sets code and float position.
  void Set(uint8_t space, float px, float py) { code = space, x = px, y = py; }
  /// Sets the integer position; the code stays.
  void Set(int px, int py) { x = float(px), y = float(py); }
  /// Sets the float position; the code stays.
  void Set(float px, float py) { x = px, y = py; }
  /// Copies x and y only: the target keeps its code.
  void Set(const Point_2D& p) { x = p.x, y = p.y; }

  /// Every coordinate takes v; the code stays.
  Point_2D& operator=(float v) { x = y = v; return *this; }

  /// Adds v to every coordinate.
  Point_2D& operator+=(float v) { x += v, y += v; return *this; }
  /// Subtracts v from every coordinate.
  Point_2D& operator-=(float v) { x -= v, y -= v; return *this; }
  /// Multiplies every coordinate by v.
  Point_2D& operator*=(float v) { x *= v, y *= v; return *this; }
  /// Divides every coordinate by v.
  Point_2D& operator/=(float v) { x /= v, y /= v; return *this; }
  /// Adds per coordinate.
  Point_2D& operator+=(const Point_2D& p) { x += p.x, y += p.y; return *this; }
  /// Subtracts per coordinate.
  Point_2D& operator-=(const Point_2D& p) { x -= p.x, y -= p.y; return *this; }

  /// Coordinate 0 (x) or 1 (y); any other index gives x.
  float& operator[](int i) { return this->*quarn::axes::Pick(Coords, i); }
  /// Coordinate 0 (x) or 1 (y); any other index gives x.
  float operator[](int i) const { return this->*quarn::axes::Pick(Coords, i); }

  /// Every coordinate within 1e-5 of p's; codes are not compared.
  bool operator==(const Point_2D& p) const { return quarn::axes::Near(*this, p, Coords); }
  /// Negation of ==.
  bool operator!=(const Point_2D& p) const { return !(*this == p); }

private:
  static constexpr quarn::axes::Members<Point_2D, 2> Coords = {&Point_2D::x, &Point_2D::y};
};

/// A position in a 3D space named by its code.
class QUARN_API Point_3D {
public:
  uint8_t code = 0;  ///< Space code of the coordinates.
  float x = 0;       ///< First coordinate.
  float y = 0;       ///< Second coordinate.
  float z = 0;       ///< Third coordinate (slice axis in frame space).

  /// Origin with code 0.
  Point_3D() = default;
  /// Origin in the given space.
  explicit Point_3D(uint8_t space) : code(space) {}
  /// Integer position.
  Point_3D(uint8_t space, int px, int py, int pz)
      : code(space), x(float(px)), y(float(py)), z(float(pz)) {}
  /// Float position.
  Point_3D(uint8_t space, float px, float py, float pz) : code(space), x(px), y(py), z(pz) {}
  /// x, y, z of a vector, in the given space.
  Point_3D(uint8_t space, const Vec4& v) : code(space), x(v.x), y(v.y), z(v.z) {}
  /// Code, x, y, z of a 4D point; assigning one goes through here as well.
  Point_3D(const Point_4D& p);

  /// Sets the code only.
  void Set(uint8_t space) { code = space; }
  /// Sets code and integer position.
  void Set(uint8_t space, int px, int py, int pz) { code = space, Set(px, py, pz); }
  /// Sets code and float position.
  void Set(uint8_t space, float px, float py, float pz) { code = space, Set(px, py, pz); }
  /// Sets the integer position; the code stays.
  void Set(int px, int py, int pz) { x = float(px), y = float(py), z = float(pz); }
  /// Sets the float position; the code stays.
  void Set(float px, float py, float pz) { x = px, y = py, z = pz; }
  /// Copies code and position.
  void Set(const Point_3D& p) { *this = p; }
  /// Copies x, y, z of the vector; the code stays.
  void Set(const Vec4& v) { x = v.x, y = v.y, z = v.z; }

  /// Every coordinate takes v; the code stays.
  Point_3D& operator=(float v) { x = y = z = v; return *this; }
  /// x, y, z of the vector, marked as patient space (code 2).
  Point_3D& operator=(const Vec4& v) { code = 2, Set(v); return *this; }

  /// Adds v to every coordinate.
  Point_3D& operator+=(float v) { x += v, y += v, z += v; return *this; }
  /// Subtracts v from every coordinate.
  Point_3D& operator-=(float v) { x -= v, y -= v, z -= v; return *this; }
  /// Multiplies every coordinate by v.
  Point_3D& operator*=(float v) { x *= v, y *= v, z *= v; return *this; }
  /// Divides every coordinate by v.
  Point_3D& operator/=(float v) { x /= v, y /= v, z /= v; return *this; }
  /// Adds per coordinate.
  Point_3D& operator+=(const Point_3D& p) { x += p.x, y += p.y, z += p.z; return *this; }
  /// Subtracts per coordinate.
  Point_3D& operator-=(const Point_3D& p) { x -= p.x, y -= p.y, z -= p.z; return *this; }
  /// Adds x, y, z of the vector.
  Point_3D& operator+=(const Vec4& v) { x += v.x, y += v.y, z += v.z; return *this; }
  /// Subtracts x, y, z of the vector.
  Point_3D& operator-=(const Vec4& v) { x -= v.x, y -= v.y, z -= v.z; return *this; }
  /// Transforms the point as the row vector (x, y, z, 1); the code stays.
  Point_3D& operator*=(const Mat4& m) { quarn::axes::Transform(x, y, z, m); return *this; }
  /// Transformed copy; the point itself stays.
  Point_3D Transform(const Mat4& m) const { Point_3D r(*this); return r *= m; }

  /// Coordinate 0 (x), 1 (y) or 2 (z); any other index gives x.
  float& operator[](int i) { return this->*quarn::axes::Pick(Coords, i); }
  /// Coordinate 0 (x), 1 (y) or 2 (z); any other index gives x.
  float operator[](int i) const { return this->*quarn::axes::Pick(Coords, i); }

  /// Length of (x, y, z).
  float Norm() const { return quarn::axes::Length(x, y, z); }
  /// Copy scaled to unit length, same code; a zero-length point gives (0, 0, 0).
  Point_3D Normalise() const { Point_3D r(*this); quarn::axes::Unit(r.x, r.y, r.z); return r; }
  /// Euclidean distance to p.
  float Dist(const Point_3D& p) const { return quarn::axes::Length(x - p.x, y - p.y, z - p.z); }

  /// Every coordinate within 1e-5 of p's; codes are not compared.
  bool operator==(const Point_3D& p) const { return quarn::axes::Near(*this, p, Coords); }
  /// Negation of ==.
  bool operator!=(const Point_3D& p) const { return !(*this == p); }

private:
  static constexpr quarn::axes::Members<Point_3D, 3> Coords = {&Point_3D::x, &Point_3D::y,
                                                                &Point_3D::z};
};

/// A position in a 3D space at a time point t; geometry (norms, transforms) ignores t.
class QUARN_API Point_4D {
public:
  uint8_t code = 0;  ///< Space code of the coordinates.
  float x = 0;       ///< First coordinate.
  float y = 0;       ///< Second coordinate.
  float z = 0;       ///< Third coordinate.
  float t = 0;       ///< Time coordinate.

  /// Origin with code 0.
  Point_4D() = default;
  /// Origin in the given space.
  explicit Point_4D(uint8_t space) : code(space) {}
  /// Integer position.
  Point_4D(uint8_t space, int px, int py, int pz, int pt)
      : code(space), x(float(px)), y(float(py)), z(float(pz)), t(float(pt)) {}
  /// Float position.
  Point_4D(uint8_t space, float px, float py, float pz, float pt)
      : code(space), x(px), y(py), z(pz), t(pt) {}
  /// All four components of a vector (w as t), in the given space.
  Point_4D(uint8_t space, const Vec4& v) : code(space), x(v.x), y(v.y), z(v.z), t(v.w) {}

  /// Sets the code only.
  void Set(uint8_t space) { code = space; }
  /// Sets code and integer position.
  void Set(uint8_t space, int px, int py, int pz, int pt) { code = space, Set(px, py, pz, pt); }
  /// Sets code and float position.
  void Set(uint8_t space, float px, float py, float pz, float pt) {
    code = space, Set(px, py, pz, pt);
  }
  /// Sets the integer position; the code stays.
  void Set(int px, int py, int pz, int pt) {
    x = float(px), y = float(py), z = float(pz), t = float(pt);
  }
  /// Sets the float position; the code stays.
  void Set(float px, float py, float pz, float pt) { x = px, y = py, z = pz, t = pt; }
  /// Copies code and position.
  void Set(const Point_4D& p) { *this = p; }
  /// Code, x, y, z from the point and the given t.
  void Set(const Point_3D& p, float pt) { *this = p, t = pt; }
  /// Copies all four components of the vector; the code stays.
  void Set(const Vec4& v) { x = v.x, y = v.y, z = v.z, t = v.w; }

  /// Every coordinate, t included, takes v; the code stays.
  Point_4D& operator=(float v) { x = y = z = t = v; return *this; }
  /// Code, x, y, z of the point; t becomes 0.
  Point_4D& operator=(const Point_3D& p);
  /// All four components of the vector, marked as patient space (code 2).
  Point_4D& operator=(const Vec4& v) { code = 2, Set(v); return *this; }

  /// Adds v to every coordinate, t included.
  Point_4D& operator+=(float v) { x += v, y += v, z += v, t += v; return *this; }
  /// Subtracts v from every coordinate, t included.
  Point_4D& operator-=(float v) { x -= v, y -= v, z -= v, t -= v; return *this; }
  /// Multiplies every coordinate, t included, by v.
  Point_4D& operator*=(float v) { x *= v, y *= v, z *= v, t *= v; return *this; }
  /// Divides every coordinate, t included, by v.
  Point_4D& operator/=(float v) { x /= v, y /= v, z /= v, t /= v; return *this; }
  /// Adds per coordinate.
  Point_4D& operator+=(const Point_4D& p) {
    x += p.x, y += p.y, z += p.z, t += p.t;
    return *this;
  }
  /// Subtracts per coordinate.
  Point_4D& operator-=(const Point_4D& p) {
    x -= p.x, y -= p.y, z -= p.z, t -= p.t;
    return *this;
  }
  /// Adds x, y, z of a 3D point; t stays.
  Point_4D& operator+=(const Point_3D& p);
  /// Subtracts x, y, z of a 3D point; t stays.
  Point_4D& operator-=(const Point_3D& p);
  /// Adds all four components of the vector.
  Point_4D& operator+=(const Vec4& v) { x += v.x, y += v.y, z += v.z, t += v.w; return *this; }
  /// Subtracts all four components of the vector.
  Point_4D& operator-=(const Vec4& v) { x -= v.x, y -= v.y, z -= v.z, t -= v.w; return *this; }
  /// Transforms x, y, z as the row vector (x, y, z, 1); code and t stay.
  Point_4D& operator*=(const Mat4& m) { quarn::axes::Transform(x, y, z, m); return *this; }
  /// Transformed copy; the point itself stays.
  Point_4D Transform(const Mat4& m) const { Point_4D r(*this); return r *= m; }

  /// Length of (x, y, z); t is ignored.
  float Norm() const { return quarn::axes::Length(x, y, z); }
  /// Copy with (x, y, z) scaled to unit length, same code and t; zero length gives x = y = z = 0.
  Point_4D Normalise() const { Point_4D r(*this); quarn::axes::Unit(r.x, r.y, r.z); return r; }
  /// Euclidean distance to p over x, y, z; t is ignored.
  float Dist(const Point_4D& p) const { return quarn::axes::Length(x - p.x, y - p.y, z - p.z); }

  /// Every coordinate, t included, within 1e-5 of p's; codes are not compared.
  bool operator==(const Point_4D& p) const { return quarn::axes::Near(*this, p, Coords); }
  /// Negation of ==.
  bool operator!=(const Point_4D& p) const { return !(*this == p); }

private:
  static constexpr quarn::axes::Members<Point_4D, 4> Coords = {&Point_4D::x, &Point_4D::y,
                                                                &Point_4D::z, &Point_4D::t};
};

inline Point_2D::Point_2D(const Point_3D& p) : code(p.code), x(p.x), y(p.y) {}
inline Point_2D::Point_2D(const Point_4D& p) : code(p.code), x(p.x), y(p.y) {}
inline Point_3D::Point_3D(const Point_4D& p) : code(p.code), x(p.x), y(p.y), z(p.z) {}

inline Point_4D& Point_4D::operator=(const Point_3D& p) {
  code = p.code, x = p.x, y = p.y, z = p.z, t = 0.0f;
  return *this;
}
inline Point_4D& Point_4D::operator+=(const Point_3D& p) {
  x += p.x, y += p.y, z += p.z;
  return *this;
}
inline Point_4D& Point_4D::operator-=(const Point_3D& p) {
  x -= p.x, y -= p.y, z -= p.z;
  return *this;
}
