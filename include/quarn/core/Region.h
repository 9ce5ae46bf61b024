// Region_2D, Region_3D, Region_4D: axis-aligned boxes with a space code.
#pragma once

#include <quarn/Export.h>
#include <quarn/core/Axes.h>
#include <quarn/core/Point.h>

#include <hostkit/HostMath.h>

#include <cstdint>

// A region holds a minimum and a maximum per axis. The empty region has every minimum at 100000
// and every maximum at -100000, so that the first added position becomes both corners. A region
// is valid when minimum <= maximum on every axis; only the corner-sorting constructors and setters
// see to that. Positions are inside when minimum <= coordinate < maximum, while extents count
// pixels inclusively (maximum - minimum + 1).

class Region_3D;
class Region_4D;

/// A rectangle in the plane of the space its code names.
class QUARN_API Region_2D {
public:
  uint8_t code = 0;                         ///< Space code of both corners.
  float x_min = quarn::axes::Empty_Min;     ///< Smallest x.
  float y_min = quarn::axes::Empty_Min;     ///< Smallest y.
  float x_max = quarn::axes::Empty_Max;     ///< Largest x.
  float y_max = quarn::axes::Empty_Max;     ///< Largest y.

  /// Empty region with code 0.
  Region_2D() = default;
  /// Empty region in the given space.
  explicit Region_2D(uint8_t space) : code(space) {}
  /// Box spanned by two integer corners in any order.
  Region_2D(uint8_t space, int x0, int y0, int x1, int y1) { Set(space, x0, y0, x1, y1); }
  /// Box spanned by two float corners in any order.
  Region_2D(uint8_t space, float x0, float y0, float x1, float y1) { Set(space, x0, y0, x1, y1); }
  /// Box spanned by two points in any order, with the code of a.
  Region_2D(const Point_2D& a, const Point_2D& b) : code(a.code) { Set(a, b); }
  /// Code and x, y bounds of a 3D region; assigning one goes through here as well.
  Region_2D(const Region_3D& r);
  /// Code and x, y bounds of a 4D region; assigning one goes through here as well.
  Region_2D(const Region_4D& r);

  /// Sets the code only.
  void Set(uint8_t space) { code = space; }
  /// Sets the code and the box spanned by two integer corners.
  void Set(uint8_t space, int x0, int y0, int x1, int y1) { code = space, Set(x0, y0, x1, y1); }
  /// Sets the code and the box spanned by two float corners.
  void Set(uint8_t space, float x0, float y0, float x1, float y1) {
    code = space, Set(x0, y0, x1, y1);
  }
  /// Sets the box spanned by two integer corners; the code stays.
  void Set(int x0, int y0, int x1, int y1) { quarn::axes::Sort(*this, Bounds, {x0, y0}, {x1, y1}); }
  /// Sets the box spanned by two float corners; the code stays.
  void Set(float x0, float y0, float x1, float y1) {
    quarn::axes::Sort(*this, Bounds, {x0, y0}, {x1, y1});
  }
  /// Sets the box spanned by two points; the region's code stays.
  void Set(const Point_2D& a, const Point_2D& b) { Set(a.x, a.y, b.x, b.y); }

  /// Makes the region empty; the code stays.
  void Clear() { quarn::axes::Clear(*this, Bounds); }
  /// Grows the region to hold the integer position.
  void Add(int px, int py) { Add(float(px), float(py)); }
  /// Grows the region to hold the position.
  void Add(float px, float py) { quarn::axes::Grow(*this, Bounds, {px, py}); }
  /// Grows the region to hold the point.
  void Add(const Point_2D& p) { Add(p.x, p.y); }
  /// Grows the region to hold r (union).
  void Add(const Region_2D& r) { quarn::axes::Unite(*this, r, Bounds); }
  /// Grows the region to hold *r; a null region adds nothing.
  void Add(const Region_2D* r) { if (r) Add(*r); }
  /// Union in place; returns this region.
  Region_2D& operator+(const Region_2D& r) { Add(r); return *this; }
  /// Moves every minimum down and every maximum up by d (a negative d shrinks).
  void Border(float d) { quarn::axes::Widen(*this, Bounds, d); }
  /// Intersection in place; 1 when the result has minimum <= maximum on every axis, else 0.
  int Cull(const Region_2D& r) { return quarn::axes::Cull(*this, r, Bounds); }
  /// Leaves the point as it is.
  void Clip(Point_2D&) const {}

  /// 1 when the point is inside (the maximum edge is outside), else 0.
  int Inside(const Point_2D& p) const { return quarn::axes::Contains(*this, Bounds, {p.x, p.y}); }
  /// As Inside(point); 0 for a null point.
  int Inside(const Point_2D* p) const { return p ? Inside(*p) : 0; }
  /// 1 when the regions overlap: this maximum > r's minimum and r's maximum >= this minimum.
  int Inside(const Region_2D& r) const { return quarn::axes::Overlaps(*this, r, Bounds); }
  /// As Inside(region); 0 for a null region.
  int Inside(const Region_2D* r) const { return r ? Inside(*r) : 0; }

  /// The minimum corner, with the region's code.
  Point_2D Get_Min() const { return Point_2D(code, x_min, y_min); }
  /// The maximum corner, with the region's code.
  Point_2D Get_Max() const { return Point_2D(code, x_max, y_max); }
  /// Pixel-inclusive width: x_max - x_min + 1.
  float Get_Dim_X() const { return x_max - x_min + 1.0f; }
  /// Pixel-inclusive height: y_max - y_min + 1.
  float Get_Dim_Y() const { return y_max - y_min + 1.0f; }

  /// Bound 0 x_min, 1 y_min, 2 x_max, 3 y_max; any other index gives x_min.
  float& operator[](int i) { return this->*quarn::axes::Pick(Index, i); }
  /// Bound 0 x_min, 1 y_min, 2 x_max, 3 y_max; any other index gives x_min.
  float operator[](int i) const { return this->*quarn::axes::Pick(Index, i); }

  /// Every bound within 1e-5 of r's; codes are not compared.
  bool operator==(const Region_2D& r) const { return quarn::axes::Near(*this, r, Bounds); }
  /// Negation of ==.
  bool operator!=(const Region_2D& r) const { return !(*this == r); }

private:
  static constexpr quarn::axes::Box<Region_2D, 2> Bounds = {
      {&Region_2D::x_min, &Region_2D::y_min}, {&Region_2D::x_max, &Region_2D::y_max}};
  static constexpr quarn::axes::Members<Region_2D, 4> Index = {
      &Region_2D::x_min, &Region_2D::y_min, &Region_2D::x_max, &Region_2D::y_max};
};

/// A box in a 3D space named by its code.
class QUARN_API Region_3D {
public:
  uint8_t code = 0;                         ///< Space code of both corners.
  float x_min = quarn::axes::Empty_Min;     ///< Smallest x.
  float y_min = quarn::axes::Empty_Min;     ///< Smallest y.
  float z_min = quarn::axes::Empty_Min;     ///< Smallest z.
  float x_max = quarn::axes::Empty_Max;     ///< Largest x.
  float y_max = quarn::axes::Empty_Max;     ///< Largest y.
  float z_max = quarn::axes::Empty_Max;     ///< Largest z.

  /// Empty region with code 0.
  Region_3D() = default;
  /// Empty region in the given space.
  explicit Region_3D(uint8_t space) : code(space) {}
  /// Box spanned by two integer corners in any order.
  Region_3D(uint8_t space, int x0, int y0, int z0, int x1, int y1, int z1) {
    Set(space, x0, y0, z0, x1, y1, z1);
  }
  /// Box spanned by two float corners in any order.
  Region_3D(uint8_t space, float x0, float y0, float z0, float x1, float y1, float z1) {
    Set(space, x0, y0, z0, x1, y1, z1);
  }
  /// Box spanned by two points in any order, with the code of a.
  Region_3D(const Point_3D& a, const Point_3D& b) : code(a.code) { Set(a, b); }
  /// Code and x, y, z bounds of a 4D region; assigning one goes through here as well.
  Region_3D(const Region_4D& r);

  /// Sets the code only.
  void Set(uint8_t space) { code = space; }
  /// Sets the code and the box spanned by two integer corners.
  void Set(uint8_t space, int x0, int y0, int z0, int x1, int y1, int z1) {
    code = space, Set(x0, y0, z0, x1, y1, z1);
  }
  /// Sets the code and the box spanned by two float corners.
  void Set(uint8_t space, float x0, float y0, float z0, float x1, float y1, float z1) {
    code = space, Set(x0, y0, z0, x1, y1, z1);
  }
  /// Sets the box spanned by two integer corners; the code stays.
  void Set(int x0, int y0, int z0, int x1, int y1, int z1) {
    quarn::axes::Sort(*this, Bounds, {x0, y0, z0}, {x1, y1, z1});
  }
  /// Sets the box spanned by two float corners; the code stays.
  void Set(float x0, float y0, float z0, float x1, float y1, float z1) {
    quarn::axes::Sort(*this, Bounds, {x0, y0, z0}, {x1, y1, z1});
  }
  /// Sets the box spanned by two points; the region's code stays.
  void Set(const Point_3D& a, const Point_3D& b) { Set(a.x, a.y, a.z, b.x, b.y, b.z); }

  /// Makes the region empty; the code stays.
  void Clear() { quarn::axes::Clear(*this, Bounds); }
  /// Grows the region to hold the integer position.
  void Add(int px, int py, int pz) { Add(float(px), float(py), float(pz)); }
  /// Grows the region to hold the position.
  void Add(float px, float py, float pz) { quarn::axes::Grow(*this, Bounds, {px, py, pz}); }
  /// Grows the region to hold the point.
  void Add(const Point_3D& p) { Add(p.x, p.y, p.z); }
  /// Grows the region to hold x, y, z of the vector.
  void Add(const Vec4& v) { Add(v.x, v.y, v.z); }
  /// Grows the region to hold r (union).
  void Add(const Region_3D& r) { quarn::axes::Unite(*this, r, Bounds); }
  /// Grows the region to hold *r; a null region adds nothing.
  void Add(const Region_3D* r) { if (r) Add(*r); }
  /// Union in place; returns this region.
  Region_3D& operator+(const Region_3D& r) { Add(r); return *this; }
  /// Moves every minimum down and every maximum up by d (a negative d shrinks).
  void Border(float d) { quarn::axes::Widen(*this, Bounds, d); }
  /// Intersection in place; 1 when the result has minimum <= maximum on every axis, else 0.
  int Cull(const Region_3D& r) { return quarn::axes::Cull(*this, r, Bounds); }
  /// Leaves the point as it is.
  void Clip(Point_3D&) const {}

  /// 1 when the point is inside (the maximum faces are outside), else 0.
  int Inside(const Point_3D& p) const {
    return quarn::axes::Contains(*this, Bounds, {p.x, p.y, p.z});
  }
  /// As Inside(point); 0 for a null point.
  int Inside(const Point_3D* p) const { return p ? Inside(*p) : 0; }
  /// 1 when the regions overlap: this maximum > r's minimum and r's maximum >= this minimum.
  int Inside(const Region_3D& r) const { return quarn::axes::Overlaps(*this, r, Bounds); }
  /// As Inside(region); 0 for a null region.
  int Inside(const Region_3D* r) const { return r ? Inside(*r) : 0; }

  /// The minimum corner, with the region's code.
  Point_3D Get_Min() const { return Point_3D(code, x_min, y_min, z_min); }
  /// The maximum corner, with the region's code.
  Point_3D Get_Max() const { return Point_3D(code, x_max, y_max, z_max); }
  /// Pixel-inclusive width: x_max - x_min + 1.
  float Get_Dim_X() const { return x_max - x_min + 1.0f; }
  /// Pixel-inclusive height: y_max - y_min + 1.
  float Get_Dim_Y() const { return y_max - y_min + 1.0f; }
  /// Pixel-inclusive depth: z_max - z_min + 1.
  float Get_Dim_Z() const { return z_max - z_min + 1.0f; }

  /// Replaces the box by the bounding box of its eight transformed corners; the code stays.
  Region_3D& operator*=(const Mat4& m) {
    quarn::axes::Transform_Box(*this, Bounds, m);
    return *this;
  }

  /// Bound 0 x_min, 1 y_min, 2 x_max, 3 y_max, 4 z_min, 5 z_max (the planar bounds first, as
  /// in Region_2D); any other index gives x_min.
  float& operator[](int i) { return this->*quarn::axes::Pick(Index, i); }
  /// Bound by the same numbering as the writable form.
  float operator[](int i) const { return this->*quarn::axes::Pick(Index, i); }

  /// Every bound within 1e-5 of r's; codes are not compared.
  bool operator==(const Region_3D& r) const { return quarn::axes::Near(*this, r, Bounds); }
  /// Negation of ==.
  bool operator!=(const Region_3D& r) const { return !(*this == r); }

private:
  static constexpr quarn::axes::Box<Region_3D, 3> Bounds = {
      {&Region_3D::x_min, &Region_3D::y_min, &Region_3D::z_min},
      {&Region_3D::x_max, &Region_3D::y_max, &Region_3D::z_max}};
  static constexpr quarn::axes::Members<Region_3D, 6> Index = {
      &Region_3D::x_min, &Region_3D::y_min, &Region_3D::x_max,
      &Region_3D::y_max, &Region_3D::z_min, &Region_3D::z_max};
};

/// A box in a 3D space over a span of time points.
class QUARN_API Region_4D {
public:
  uint8_t code = 0;                         ///< Space code of both corners.
  float x_min = quarn::axes::Empty_Min;     ///< Smallest x.
  float y_min = quarn::axes::Empty_Min;     ///< Smallest y.
  float z_min = quarn::axes::Empty_Min;     ///< Smallest z.
  float t_min = quarn::axes::Empty_Min;     ///< Earliest t.
  float x_max = quarn::axes::Empty_Max;     ///< Largest x.
  float y_max = quarn::axes::Empty_Max;     ///< Largest y.
  float z_max = quarn::axes::Empty_Max;     ///< Largest z.
  float t_max = quarn::axes::Empty_Max;     ///< Latest t.

  /// Empty region with code 0.
  Region_4D() = default;
  /// Empty region in the given space.
  explicit Region_4D(uint8_t space) : code(space) {}
  /// Box spanned by two integer corners in any order.
  Region_4D(uint8_t space, int x0, int y0, int z0, int t0, int x1, int y1, int z1, int t1) {
    Set(space, x0, y0, z0, t0, x1, y1, z1, t1);
  }
  /// Box spanned by two float corners in any order.
  Region_4D(uint8_t space, float x0, float y0, float z0, float t0, float x1, float y1, float z1,
            float t1) {
    Set(space, x0, y0, z0, t0, x1, y1, z1, t1);
  }
  /// Box spanned by two points in any order, with the code of a.
  Region_4D(const Point_4D& a, const Point_4D& b) : code(a.code) { Set(a, b); }

  /// Sets the code only.
  void Set(uint8_t space) { code = space; }
  /// Sets the code and the box spanned by two integer corners.
  void Set(uint8_t space, int x0, int y0, int z0, int t0, int x1, int y1, int z1, int t1) {
    code = space, Set(x0, y0, z0, t0, x1, y1, z1, t1);
  }
  /// Sets the code and the box spanned by two float corners.
  void Set(uint8_t space, float x0, float y0, float z0, float t0, float x1, float y1, float z1,
           float t1) {
    code = space, Set(x0, y0, z0, t0, x1, y1, z1, t1);
  }
  /// Sets the box spanned by two integer corners; the code stays.
  void Set(int x0, int y0, int z0, int t0, int x1, int y1, int z1, int t1) {
    quarn::axes::Sort(*this, Bounds, {x0, y0, z0, t0}, {x1, y1, z1, t1});
  }
  /// Sets the box spanned by two float corners; the code stays.
  void Set(float x0, float y0, float z0, float t0, float x1, float y1, float z1, float t1) {
    quarn::axes::Sort(*this, Bounds, {x0, y0, z0, t0}, {x1, y1, z1, t1});
  }
  /// Sets the box spanned by two points; the region's code stays.
  void Set(const Point_4D& a, const Point_4D& b) {
    Set(a.x, a.y, a.z, a.t, b.x, b.y, b.z, b.t);
  }

  /// Makes the region empty; the code stays.
  void Clear() { quarn::axes::Clear(*this, Bounds); }
  /// Grows the region to hold the integer position.
  void Add(int px, int py, int pz, int pt) { Add(float(px), float(py), float(pz), float(pt)); }
  /// Grows the region to hold the position.
  void Add(float px, float py, float pz, float pt) {
    quarn::axes::Grow(*this, Bounds, {px, py, pz, pt});
  }
  /// Grows the x, y, z bounds to hold a 3D point; the t bounds stay.
  void Add(const Point_3D& p) { quarn::axes::Grow(*this, Bounds, {p.x, p.y, p.z}); }
  /// Grows the region to hold the point.
  void Add(const Point_4D& p) { Add(p.x, p.y, p.z, p.t); }
  /// Grows the region to hold all four components of the vector (w as t).
  void Add(const Vec4& v) { Add(v.x, v.y, v.z, v.w); }
  /// Grows the region to hold r (union).
  void Add(const Region_4D& r) { quarn::axes::Unite(*this, r, Bounds); }
  /// Grows the region to hold *r; a null region adds nothing.
  void Add(const Region_4D* r) { if (r) Add(*r); }
  /// Union in place; returns this region.
  Region_4D& operator+(const Region_4D& r) { Add(r); return *this; }
  /// Moves every minimum down and every maximum up by d (a negative d shrinks).
  void Border(float d) { quarn::axes::Widen(*this, Bounds, d); }
  /// Intersection in place; 1 when the result has minimum <= maximum on every axis, else 0.
  int Cull(const Region_4D& r) { return quarn::axes::Cull(*this, r, Bounds); }
  /// Leaves the point as it is.
  void Clip(Point_4D&) const {}

  /// 1 when the point is inside (the maximum faces are outside), else 0.
  int Inside(const Point_4D& p) const {
    return quarn::axes::Contains(*this, Bounds, {p.x, p.y, p.z, p.t});
  }
  /// As Inside(point); 0 for a null point.
  int Inside(const Point_4D* p) const { return p ? Inside(*p) : 0; }
  /// 1 when the regions overlap: this maximum > r's minimum and r's maximum >= this minimum.
  int Inside(const Region_4D& r) const { return quarn::axes::Overlaps(*this, r, Bounds); }
  /// As Inside(region); 0 for a null region.
  int Inside(const Region_4D* r) const { return r ? Inside(*r) : 0; }

  /// The minimum corner, with the region's code.
  Point_4D Get_Min() const { return Point_4D(code, x_min, y_min, z_min, t_min); }
  /// The maximum corner, with the region's code.
  Point_4D Get_Max() const { return Point_4D(code, x_max, y_max, z_max, t_max); }

  /// Replaces the x, y, z box by the bounding box of its eight transformed corners; code and t
  /// bounds stay.
  Region_4D& operator*=(const Mat4& m) {
    quarn::axes::Transform_Box(*this, Bounds, m);
    return *this;
  }

  /// Every bound within 1e-5 of r's; codes are not compared.
  bool operator==(const Region_4D& r) const { return quarn::axes::Near(*this, r, Bounds); }
  /// Negation of ==.
  bool operator!=(const Region_4D& r) const { return !(*this == r); }

private:
  static constexpr quarn::axes::Box<Region_4D, 4> Bounds = {
      {&Region_4D::x_min, &Region_4D::y_min, &Region_4D::z_min, &Region_4D::t_min},
      {&Region_4D::x_max, &Region_4D::y_max, &Region_4D::z_max, &Region_4D::t_max}};
};

inline Region_2D::Region_2D(const Region_3D& r)
    : code(r.code), x_min(r.x_min), y_min(r.y_min), x_max(r.x_max), y_max(r.y_max) {}
inline Region_2D::Region_2D(const Region_4D& r)
    : code(r.code), x_min(r.x_min), y_min(r.y_min), x_max(r.x_max), y_max(r.y_max) {}
inline Region_3D::Region_3D(const Region_4D& r)
    : code(r.code), x_min(r.x_min), y_min(r.y_min), z_min(r.z_min), x_max(r.x_max),
      y_max(r.y_max), z_max(r.z_max) {}
