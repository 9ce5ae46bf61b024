// Point_2D and Point_4D: coordinates tagged with the code of the space they are expressed in.
#pragma once

#include <quarn/Export.h>

#include <cstdint>

/// A 2D position and its space code.
class QUARN_API Point_2D {
public:
  uint8_t code = 0;  ///< Space code.
  float x = 0.0f;    ///< First coordinate.
  float y = 0.0f;    ///< Second coordinate.

  /// Code 0 at the origin.
  Point_2D() = default;
  /// The given code at the origin.
  explicit Point_2D(uint8_t space) : code(space) {}
  /// Integer coordinates stored as floats.
  Point_2D(uint8_t space, int px, int py) : code(space), x(float(px)), y(float(py)) {}
  /// Float coordinates.
  Point_2D(uint8_t space, float px, float py) : code(space), x(px), y(py) {}
};

/// A 4D position (x, y, z, t) and its space code.
class QUARN_API Point_4D {
public:
  uint8_t code = 0;  ///< Space code.
  float x = 0.0f;    ///< First coordinate.
  float y = 0.0f;    ///< Second coordinate.
  float z = 0.0f;    ///< Third coordinate.
  float t = 0.0f;    ///< Fourth coordinate.

  /// Code 0 at the origin.
  Point_4D() = default;
  /// The given code at the origin.
  explicit Point_4D(uint8_t space) : code(space) {}
  /// Float coordinates.
  Point_4D(uint8_t space, float px, float py, float pz, float pt)
      : code(space), x(px), y(py), z(pz), t(pt) {}
};
