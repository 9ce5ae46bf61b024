// Region_2D and Region_4D: axis-aligned boxes tagged with the code of their space.
#pragma once

#include <quarn/Export.h>
#include <quarn/core/Point.h>

#include <cstdint>

/// An axis-aligned 2D box; empty when every minimum is 100000 and every maximum -100000.
class QUARN_API Region_2D {
public:
  uint8_t code = 0;  ///< Space code.

  /// Empty region of code 0.
  Region_2D() = default;
  /// Empty region of the given code.
  explicit Region_2D(uint8_t space) : code(space) {}
  /// The box between two corners given in any order (sorted on the integers).
  Region_2D(uint8_t space, int ax, int ay, int bx, int by)
      : code(space), x0(float(ax < bx ? ax : bx)), y0(float(ay < by ? ay : by)),
        x1(float(ax < bx ? bx : ax)), y1(float(ay < by ? by : ay)) {}
  /// The box between two corners given in any order.
  Region_2D(uint8_t space, float ax, float ay, float bx, float by)
      : code(space), x0(ax < bx ? ax : bx), y0(ay < by ? ay : by), x1(ax < bx ? bx : ax),
        y1(ay < by ? by : ay) {}

  /// Makes the region empty; the code stays.
  void Clear() { x0 = y0 = 100000.0f; x1 = y1 = -100000.0f; }
  /// Grows the region to the union with another.
  void Add(const Region_2D& r) {
    if (r.x0 < x0) x0 = r.x0;
    if (r.y0 < y0) y0 = r.y0;
    if (r.x1 > x1) x1 = r.x1;
    if (r.y1 > y1) y1 = r.y1;
  }
  /// 1 when minimum <= p < maximum on both axes.
  int Inside(const Point_2D& p) const { return x0 <= p.x && p.x < x1 && y0 <= p.y && p.y < y1; }
  /// 1 when the two boxes overlap (this maximum > other minimum, other maximum >= this minimum).
  int Inside(const Region_2D& r) const {
    return x1 > r.x0 && r.x1 >= x0 && y1 > r.y0 && r.y1 >= y0;
  }
  /// Minimum corner with the region's code.
  Point_2D Get_Min() const { return Point_2D(code, x0, y0); }
  /// Maximum corner with the region's code.
  Point_2D Get_Max() const { return Point_2D(code, x1, y1); }

private:
  float x0 = 100000.0f, y0 = 100000.0f;
  float x1 = -100000.0f, y1 = -100000.0f;
};

/// An axis-aligned 4D box (x, y, z, t).
class QUARN_API Region_4D {
public:
  uint8_t code = 0;  ///< Space code.
};
