// Four-float vectors and 4 x 4 double matrices of the host's utility library.
#pragma once

#include <hostkit/Export.h>

#include <cmath>

class Mat4;

/// A vector of four floats; points are row vectors (x, y, z, w) multiplied on the left of a Mat4.
class HOSTKIT_API Vec4 {
public:
  float x = 0, y = 0, z = 0, w = 0;

  /// Zero vector.
  Vec4() = default;
  /// Vector from four integers.
  Vec4(int a, int b, int c, int d) : x(float(a)), y(float(b)), z(float(c)), w(float(d)) {}
  /// Vector with every component set to v.
  explicit Vec4(float v) : x(v), y(v), z(v), w(v) {}
  /// Vector from four floats.
  Vec4(float a, float b, float c, float d) : x(a), y(b), z(c), w(d) {}
  Vec4(const Vec4&) = default;
  Vec4& operator=(const Vec4&) = default;
  /// Sets every component to v.
  Vec4& operator=(float v) { x = y = z = w = v; return *this; }

  /// Sets the four components.
  void set(float a, float b, float c, float d) { x = a; y = b; z = c; w = d; }
  /// Adds per component.
  Vec4& operator+=(const Vec4& v) { x += v.x; y += v.y; z += v.z; w += v.w; return *this; }
  /// Subtracts per component.
  Vec4& operator-=(const Vec4& v) { x -= v.x; y -= v.y; z -= v.z; w -= v.w; return *this; }
  /// Scales every component.
  Vec4& operator*=(float f) { x *= f; y *= f; z *= f; w *= f; return *this; }
  /// Scaled copy.
  Vec4 operator*(float f) const { return Vec4(x * f, y * f, z * f, w * f); }
  /// Dot product over x, y, z.
  float dot(const Vec4& v) const { return x * v.x + y * v.y + z * v.z; }
  /// Cross product over x, y, z; w of the result is 0.
  Vec4 cross(const Vec4& v) const {
    return Vec4(y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x, 0.0f);
  }
  /// Length over x, y, z.
  float norm() const { return std::sqrt(x * x + y * y + z * z); }
  /// Scales x, y, z to unit length in place (a zero vector stays zero); returns the old length.
  float normalise() {
    float n = norm();
    if (n > 0) { x /= n; y /= n; z /= n; }
    return n;
  }
  /// Transforms (x, y, z, 1) by m in place, dividing by the resulting w unless it is 1.
  Vec4& operator*=(const Mat4& m);
  /// Transformed copy (same rule as *=).
  Vec4 transform(const Mat4& m) const { Vec4 r(*this); r *= m; return r; }
};

/// A 4 x 4 matrix of doubles, row-major; row 3 holds the translation.
class HOSTKIT_API Mat4 {
public:
  double m[4][4] = {};

  /// Zero matrix.
  Mat4() = default;
  Mat4(const Mat4&) = default;
  Mat4& operator=(const Mat4&) = default;

  /// Makes the matrix the identity.
  void init();
  /// Rotation about the x axis by angle radians; mode 0 replaces, 1 applies it after, 2 before.
  void rot_x(double angle, int mode = 0);
  /// Inverse by Gauss-Jordan elimination; returns 0 (and leaves *this) when singular, else 1.
  int inverse(Mat4& out) const;
  /// Inverted copy (the identity when singular).
  Mat4 inverse() const;
  /// Matrix product this * b (apply this, then b, to a row vector).
  Mat4 operator*(const Mat4& b) const;
  /// In-place product this = this * b.
  Mat4& operator*=(const Mat4& b) { *this = *this * b; return *this; }
  /// Pointer to the four doubles of a row.
  double* operator[](int row) { return m[row]; }
  /// Pointer to the four doubles of a row.
  const double* operator[](int row) const { return m[row]; }
  /// Copies the matrix as sixteen floats in OpenGL order.
  void to_float(float out[16]) const;
};
