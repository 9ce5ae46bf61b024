// Contour_Extract: the boundary points and loops of the tags of one tag map, on a sampling grid.
#pragma once

#include <quarn/Export.h>
#include <quarn/core/Point.h>

#include "algorithms/Pod_Array.h"

#include <cstdint>

class Quarn_2D_Frame;

namespace quarn::contour {

/// Number of tag values a tag byte can hold.
inline constexpr int Tag_Values = 256;

/// Where an extraction reads its tags: the rows of a tag layer (tag in the low byte of each
/// cell) or, without rows, the frame's tag-read slot. Positions outside read -1.
struct Tag_Source {
  int width = 0;                            ///< Columns.
  int height = 0;                           ///< Rows.
  const uint16_t* const* rows = nullptr;    ///< Tag rows, or null to read through the frame.
  Quarn_2D_Frame* frame = nullptr;          ///< Read through its tag slot when rows is null.

  /// The tag at a pixel, -1 outside the map.
  int Pixel(int x, int y) const;
};

/// What an extraction is asked for.
struct Request {
  uint32_t flags = 0;              ///< CONTOUR_ABOVE, _BELOW, _EXTEND, _LOOPS.
  int step_x = 1;                  ///< Grid step along a row, >= 1.
  int step_y = 1;                  ///< Grid step between rows, >= 1.
  const uint8_t* wanted = nullptr; ///< Tag_Values entries: nonzero for the tags to extract.
};

/// The contour of one tag: its boundary points in grid order (rows top down, columns left to
/// right) and its loops, stored one after the other as point indices.
struct Tag_Contour {
  Pod_Array<Point_2D> points;     ///< Boundary nodes, frame pixel column and row (space 6).
  Pod_Array<uint32_t> indices;    ///< Point indices of every loop, loop after loop.
  Pod_Array<uint32_t> loop_ends;  ///< End of each loop in indices (one past its last index).

  /// Number of loops.
  int Loop_Count() const { return int(loop_ends.Size()); }
  /// First index of loop i in indices.
  uint32_t Loop_Begin(int i) const { return i ? loop_ends[size_t(i - 1)] : 0; }
  /// Forgets the points and loops, keeping the storage.
  void Clear() { points.Clear(), indices.Clear(), loop_ends.Clear(); }
};

/// How an extraction ended.
enum Outcome : int {
  Outcome_Memory = -1,  ///< Working storage could not grow (reported).
  Outcome_Open = 0,     ///< Loops were asked for and a boundary did not close.
  Outcome_Done = 1,     ///< Every wanted tag has its points (and loops).
};

/// The working records of extractions, kept from one to the next so that a computation finds
/// its storage grown already; one extraction at a time may use it.
class QUARN_API Workspace {
public:
  Workspace();
  ~Workspace();
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  /// Releases storage grown past what a common frame needs.
  void Trim();

  struct Records;
  Records* records;  ///< The arrays themselves (opaque).
};

/// Extracts the wanted tags of source into result[t] (an array of Tag_Values entries; the
/// entries of tags not wanted are left alone), with the working records of workspace. The steps
/// must be at least 1.
QUARN_API Outcome Contour_Extract(const Tag_Source& source, const Request& request, Tag_Contour* result,
                                  Workspace& workspace);

}  // namespace quarn::contour
