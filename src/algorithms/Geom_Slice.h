// The cross-section of a closed surface with a frame's plane, as runs of pixels per row: the
// scan conversion behind burning surfaces into tag layers.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

class Quarn_2D_Frame;
class Quarn_3D_Geom;

namespace quarn::geom {

/// A surface made ready for slicing: node positions in patient space (model matrix applied),
/// triangles (quadrilaterals split along their first diagonal) and the nodes' box.
struct Slice_Surface {
  uint8_t tag = 0;
  std::vector<float> xyz;         ///< Three floats per node.
  std::vector<int32_t> triangles;  ///< Three node indices per triangle.
  float box_min[3] = {0, 0, 0};
  float box_max[3] = {0, 0, 0};

  /// The geometry's surface (which must have passed Surface_Valid) and tag.
  static Slice_Surface Of(Quarn_3D_Geom* geom);
};

/// Patient space to a frame's space: column, row and the distance from the frame's plane in
/// slices. Planar frames map through one affine map; curved ones point by point.
class Frame_Map {
public:
  /// The map of frame.
  static Frame_Map Of(Quarn_2D_Frame* frame);
  /// out = (column, row, slice offset from the frame's own slice) of patient point p.
  void Apply(const float p[3], float out[3]) const;

private:
  Quarn_2D_Frame* frame_ = nullptr;
  bool affine_ = false;
  double origin_[3] = {0, 0, 0};
  double axis_[3][3] = {};
  float z_ = 0;
};

/// True when the surface's box reaches the frame: it meets the frame's plane inside width x height.
bool Box_Crosses(const Slice_Surface& s, const Frame_Map& map, int width, int height);

/// Per row of a frame, the sorted columns where the cross-section's outline crosses the row.
class Slice_Rows {
public:
  /// Empties the rows and sizes them for height rows.
  void Reset(int height);
  /// Adds the crossings of the outline segment (x0, y0) - (x1, y1) with the rows' centre lines
  /// (frame coordinates count from a pixel's corner, so row y's centre is y + 0.5): a row counts
  /// when one end lies at or below its centre and the other above, so shared ends count once.
  void Segment(float x0, float y0, float x1, float y1);
  /// Orders each row's crossings.
  void Sort();
  /// Calls fn(y, first, end) for each run of pixel columns first <= x < end whose centres (x + 0.5)
  /// lie between a pair of crossings (even-odd rule), clipped to 0 ... width; stops when fn
  /// answers false.
  template <class Fn>
  void For_Each_Span(Fn&& fn);

  int width = 0;  ///< Columns of the frame.

private:
  std::vector<std::vector<float>> rows_;
};

/// Fills rows with the cross-section of the surface with the frame's plane; false when the
/// surface does not cross the frame.
bool Slice(const Slice_Surface& s, const Frame_Map& map, int width, int height, Slice_Rows* rows);

template <class Fn>
void Slice_Rows::For_Each_Span(Fn&& fn) {
  for (int y = 0; y < int(rows_.size()); ++y) {
    std::vector<float>& row = rows_[y];
    for (size_t k = 0; k + 1 < row.size(); k += 2) {
      int first = int(std::max(0.0f, std::min(float(width), std::ceil(row[k] - 0.5f))));
      int end = int(std::max(0.0f, std::min(float(width), std::ceil(row[k + 1] - 0.5f))));
      if (first < end && !fn(y, first, end)) return;
    }
  }
}

}  // namespace quarn::geom
