// Marching squares over a sampled tag map: boundary nodes, oriented segments, pushed nodes and
// closed loops. Only the rows the scan is on are kept, so memory follows the boundary, not the map.
#include "algorithms/Contour_Extract.h"

#include <quarn/algorithms/Contour.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "core/Check.h"
#include "core/Trace.h"

#include <algorithm>
#include <cstring>

namespace quarn::contour {

namespace {

/// Source name of the memory reports of this computation.
constexpr const char* Source_Name = "fct_contour";
/// Sample of a grid position outside the map.
constexpr int16_t Outside = -1;
/// Padding after each sample row, so that the scan may read a whole word past its last cell.
constexpr int Row_Slack = 8;
/// Link value of a node without that outgoing segment.
constexpr int32_t No_Link = 0;

#define CONTOUR_MEMORY(var, x, y) ::quarn::Memory_Error(Source_Name, __LINE__, "realloc", (var), long(x), long(y))

/// A grid point the scan wrote (a boundary node) or that a segment ends at.
struct Node {
  int32_t link[2];  ///< Outgoing segments, 1-based; the first is negated while a walk passed it.
  uint32_t index;   ///< Index in its tag's points.
  uint16_t x, y;    ///< Position, frame pixels (grid position until pushed).
  uint8_t tag;      ///< Tag written, 0 for none.
};

/// An oriented boundary piece between two nodes, with the area on its left.
struct Segment {
  uint32_t start, end;  ///< Node numbers.
  uint8_t tag;          ///< 0 once removed or consumed.
};

/// What a cell's corner mask (bit j: corner j belongs to the area) gives: the corner whose node
/// is written, and the corner the segment from it ends at (-1: no segment). Corners: 0 top left,
/// 1 top right, 2 bottom left, 3 bottom right.
struct Case {
  int8_t node;
  int8_t end;
};
constexpr Case Cases[16] = {
    {-1, -1},  // 0: nothing
    {0, -1},   // 1: lone corner
    {1, -1},   // 2: lone corner
    {0, 1},    // 3: top edge, 0 -> 1
    {2, -1},   // 4: lone corner
    {2, 0},    // 5: left edge, 2 -> 0
    {1, -1},   // 6: diagonal pair, no segment
    {2, 1},    // 7: three corners, 2 -> 1
    {3, -1},   // 8: lone corner
    {0, -1},   // 9: diagonal pair, no segment
    {1, 3},    // 10: right edge, 1 -> 3
    {0, 3},    // 11: three corners, 0 -> 3
    {3, 2},    // 12: bottom edge, 3 -> 2
    {3, 0},    // 13: three corners, 3 -> 0
    {1, 2},    // 14: three corners, 1 -> 2
    {-1, -1},  // 15: inside
};

/// Direction (sign of x, sign of y) in which a coarse node is pushed, from which of its four
/// grid neighbours share its tag (bit 1 below, 2 left, 4 right, 8 above): away from them.
struct Push {
  int8_t dx, dy;
};
constexpr Push Pushes[16] = {
    {0, 0},   {0, -1}, {1, 0},  {1, -1},  // 0, 1, 2, 3
    {-1, 0},  {-1, -1}, {0, 0}, {0, -1},  // 4, 5, 6, 7
    {0, 1},   {0, 0},  {1, 1},  {1, 0},   // 8, 9, 10, 11
    {-1, 1},  {-1, 0}, {0, 1},  {0, 0},   // 12, 13, 14, 15
};

int Sign(int v) { return (v > 0) - (v < 0); }

class Extractor {
public:
  Extractor(const Tag_Source& source, const Request& request, Tag_Contour* result)
      : src_(source), request_(request), result_(result), sx_(request.step_x), sy_(request.step_y),
        nc_((source.width + sx_ - 1) / sx_), nr_((source.height + sy_ - 1) / sy_),
        loops_(request.flags & CONTOUR_LOOPS), coarse_(sx_ > 1 || sy_ > 1) {}

  Outcome Run();

private:
  bool Prepare();
  int16_t* Row_Of(int row) { return ring_[(row + 3) % 3].Data() + 1; }
  void Load_Row(int row);
  bool Scan_Row(int row, int first_col, int last_col);
  bool Cell(int col, int row, const int q[4]);
  bool Belongs(int sample, int tag) const;
  int32_t Node_At(int col, int row);
  bool Finalize_Row(int row);
  void Push_Node(Node& node, int col, int row);
  void Link();
  void Cancel_Opposites();
  Outcome Build_Loops();
  bool Walk_Length(uint32_t first, uint32_t* length);
  bool Walk_Write(uint32_t first, uint32_t length);

  const Tag_Source& src_;
  const Request& request_;
  Tag_Contour* result_;
  const int sx_, sy_;
  const int nc_, nr_;  // grid columns and rows inside the map
  const bool loops_, coarse_;
  bool memory_failed_ = false;

  Pod_Array<int16_t> ring_[3];       // samples of rows r - 1, r, r + 1, padded with Outside
  Pod_Array<int32_t> node_map_[2];   // per column of rows r and r + 1: node number + 1, or 0
  Pod_Array<int32_t> touched_[2];    // columns of rows r and r + 1 that have a node
  Pod_Array<Node> nodes_;
  Pod_Array<Segment> segments_;
};

int Read_Slot(Quarn_2D_Frame* frame, int x, int y) {
  if (!frame || !frame->fct_read_tag) return 0;
  return frame->fct_read_tag(frame, frame->image,
                             Vec4(float(x), float(y), float(frame->z_index), float(frame->t_index))) & 0xFF;
}

bool Extractor::Prepare() {
  const size_t row = size_t(nc_) + 2 + Row_Slack;
  for (auto& r : ring_)
    if (!r.Assign_Zero(row)) return CONTOUR_MEMORY("Liste", row, sizeof(int16_t)), false;
  for (int i = 0; i < 2; ++i)
    if (!node_map_[i].Assign_Zero(size_t(nc_) + 1)) return CONTOUR_MEMORY("Liste", nc_ + 1, sizeof(int32_t)), false;
  return true;
}

void Extractor::Load_Row(int row) {
  int16_t* out = Row_Of(row);
  std::fill(out - 1, out + nc_ + 1 + Row_Slack, Outside);
  if (row < 0 || row >= nr_) return;
  const int y = row * sy_;
  if (src_.rows) {
    const uint16_t* in = src_.rows[y];
    if (sx_ == 1)
      for (int c = 0; c < nc_; ++c) out[c] = int16_t(in[c] & 0xFF);
    else
      for (int c = 0; c < nc_; ++c) out[c] = int16_t(in[c * sx_] & 0xFF);
    return;
  }
  for (int c = 0; c < nc_; ++c) out[c] = int16_t(Read_Slot(src_.frame, c * sx_, y));
}

bool Extractor::Belongs(int sample, int tag) const {
  if (sample < 0) return false;
  const uint32_t f = request_.flags;
  if (f & CONTOUR_LOOPS) return sample == tag;
  if (f & (CONTOUR_ABOVE | CONTOUR_BELOW))
    return ((f & CONTOUR_ABOVE) && sample >= tag) || ((f & CONTOUR_BELOW) && sample <= tag);
  return true;
}

int32_t Extractor::Node_At(int col, int row) {
  int32_t& slot = node_map_[row & 1][size_t(col)];
  if (slot) return slot - 1;
  const Node node{{No_Link, No_Link}, 0, uint16_t(col * sx_), uint16_t(row * sy_), 0};
  if (!nodes_.Push(node) || !touched_[row & 1].Push(col)) {
    CONTOUR_MEMORY("Liste", nodes_.Size() + 1, sizeof(Node));
    memory_failed_ = true;
    return -1;
  }
  slot = int32_t(nodes_.Size());
  return slot - 1;
}

// Each corner with a tag of 1 or more that no earlier corner of the cell had starts the tag's
// case: the corners that belong to its area make the mask.
bool Extractor::Cell(int col, int row, const int q[4]) {
  static constexpr int Dx[4] = {0, 1, 0, 1}, Dy[4] = {0, 0, 1, 1};
  for (int i = 0; i < 4; ++i) {
    const int t = q[i];
    if (t < 1) continue;
    bool seen = false;
    for (int j = 0; j < i; ++j) seen |= q[j] == t;
    if (seen || (loops_ && !request_.wanted[t])) continue;
    int mask = 1 << i;
    for (int j = 0; j < 4; ++j)
      if (j != i && Belongs(q[j], t)) mask |= 1 << j;
    const Case c = Cases[mask];
    if (c.node < 0) continue;
    const int32_t start = Node_At(col + Dx[c.node], row + Dy[c.node]);
    if (start < 0) return false;
    Node& n = nodes_[size_t(start)];
    n.tag = uint8_t(t);
    n.x = uint16_t((col + Dx[c.node]) * sx_);
    n.y = uint16_t((row + Dy[c.node]) * sy_);
    if (!loops_ || c.end < 0) continue;
    const int32_t end = Node_At(col + Dx[c.end], row + Dy[c.end]);
    if (end < 0) return false;
    if (!segments_.Push(Segment{uint32_t(start), uint32_t(end), uint8_t(t)}))
      return CONTOUR_MEMORY("(*segment)", segments_.Size() + 1, sizeof(Segment)), false;
  }
  return true;
}

// Most cells lie inside one area or outside all: four cells at a time are passed over when the
// two sample rows hold one value across them.
bool Extractor::Scan_Row(int row, int first_col, int last_col) {
  const int16_t* a = Row_Of(row);
  const int16_t* b = Row_Of(row + 1);
  int col = first_col;
  while (col <= last_col) {
    if (col + 3 <= last_col) {
      uint64_t a0, a1, b0, b1;
      std::memcpy(&a0, a + col, 8), std::memcpy(&a1, a + col + 1, 8);
      std::memcpy(&b0, b + col, 8), std::memcpy(&b1, b + col + 1, 8);
      if (((a0 ^ a1) | (b0 ^ b1) | (a0 ^ b0)) == 0) {
        col += 4;
        continue;
      }
    }
    const int q[4] = {a[col], a[col + 1], b[col], b[col + 1]};
    if ((q[0] != q[1] || q[0] != q[2] || q[0] != q[3]) && !Cell(col, row, q)) return false;
    ++col;
  }
  return !memory_failed_;
}

// A node of a coarse grid sits up to a step away from the area's true edge: it walks there pixel
// by pixel, away from its neighbours of the same tag, as long as it stays on its tag.
void Extractor::Push_Node(Node& node, int col, int row) {
  const int t = node.tag;
  const int16_t* up = Row_Of(row - 1);
  const int16_t* mid = Row_Of(row);
  const int16_t* down = Row_Of(row + 1);
  const int mask = (down[col] == t) | (mid[col - 1] == t) << 1 | (mid[col + 1] == t) << 2 | (up[col] == t) << 3;
  const Push p = Pushes[mask];
  const int tx = node.x + p.dx * (sx_ - 1), ty = node.y + p.dy * (sy_ - 1);
  const int steps = std::max(std::abs(tx - node.x), std::abs(ty - node.y));
  int x = node.x, y = node.y;
  for (int i = 0; i < steps; ++i) {
    const int nx = x + Sign(tx - x), ny = y + Sign(ty - y);
    if (nx == x && ny == y) break;
    if (src_.Pixel(nx, ny) == t) x = nx, y = ny;
    else if (nx != x && src_.Pixel(nx, y) == t) x = nx;
    else if (ny != y && src_.Pixel(x, ny) == t) y = ny;
    else break;  // nothing changes any more
  }
  node.x = uint16_t(x), node.y = uint16_t(y);
}

// A row is complete once the cells below it are scanned: its nodes take their point indices in
// column order, which makes every tag's points run row by row.
bool Extractor::Finalize_Row(int row) {
  Pod_Array<int32_t>& cols = touched_[row & 1];
  int32_t* map = node_map_[row & 1].Data();
  int32_t* c = cols.Data();
  const size_t n = cols.Size();
  for (size_t i = 1; i < n; ++i)  // nearly sorted: two ascending runs
    for (size_t j = i; j > 0 && c[j - 1] > c[j]; --j) std::swap(c[j - 1], c[j]);
  for (size_t i = 0; i < n; ++i) {
    Node& node = nodes_[size_t(map[c[i]] - 1)];
    map[c[i]] = 0;
    const int t = node.tag;
    if (!t || !request_.wanted[t]) continue;
    if (coarse_) Push_Node(node, c[i], row);
    Pod_Array<Point_2D>& points = result_[t].points;
    node.index = uint32_t(points.Size());
    if (!points.Push(Point_2D(6, float(node.x), float(node.y))))
      return CONTOUR_MEMORY("nb_pts[tag]", points.Size() + 1, sizeof(Point_2D)), false;
  }
  cols.Clear();
  return true;
}

void Extractor::Link() {
  for (size_t k = 0; k < segments_.Size(); ++k) {
    Node& n = nodes_[segments_[k].start];
    // A node starts at most two segments of its tag; a third would have no link.
    if (n.link[0] == No_Link) n.link[0] = int32_t(k + 1);
    else if (n.link[1] == No_Link) n.link[1] = int32_t(k + 1);
  }
}

// Two segments over the same edge in opposite directions bound a line one sample wide: both go.
void Extractor::Cancel_Opposites() {
  for (size_t k = 0; k < segments_.Size(); ++k) {
    Segment& s = segments_[k];
    if (!s.tag) continue;
    Node& end = nodes_[s.end];
    for (int32_t& link : end.link) {
      if (link <= 0) continue;
      Segment& o = segments_[size_t(link - 1)];
      if (!o.tag || o.end != s.start) continue;
      s.tag = o.tag = 0;
      link = No_Link;
      for (int32_t& own : nodes_[s.start].link)
        if (own == int32_t(k + 1)) own = No_Link;
      break;
    }
  }
}

// First walk: follows the links from segment first back to it, taking a node's first link while
// it is unused (and marking it used) and its second otherwise; false when the chain breaks.
bool Extractor::Walk_Length(uint32_t first, uint32_t* length) {
  uint32_t n = 0;
  for (uint32_t s = first;;) {
    if (++n > segments_.Size()) return false;
    Node& node = nodes_[segments_[s].end];
    int32_t next = node.link[0];
    if (next > 0) node.link[0] = -next;
    else next = node.link[1];
    if (next <= 0) return false;
    if (uint32_t(next - 1) == first) break;
    s = uint32_t(next - 1);
    if (!segments_[s].tag) return false;
  }
  *length = n;
  return true;
}

// Second walk: the same way again (a marked first link is taken and cleared), writing the start
// of the first segment and the end of every segment but the last, and consuming the segments.
bool Extractor::Walk_Write(uint32_t first, uint32_t length) {
  Tag_Contour& out = result_[segments_[first].tag];
  if (!out.indices.Reserve(out.indices.Size() + length))
    return CONTOUR_MEMORY("loop_idx[tag]", out.indices.Size() + length, sizeof(uint32_t)), false;
  out.indices.Push(nodes_[segments_[first].start].index);
  uint32_t s = first;
  for (uint32_t i = 0; i < length; ++i) {
    Segment& seg = segments_[s];
    seg.tag = 0;
    Node& node = nodes_[seg.end];
    if (i + 1 < length) out.indices.Push(node.index);
    int32_t next = node.link[0];
    if (next < 0) next = -next, node.link[0] = No_Link;
    else next = node.link[1];
    s = uint32_t(next - 1);
  }
  if (!out.loop_ends.Push(uint32_t(out.indices.Size())))
    return CONTOUR_MEMORY("nb_loop", out.loop_ends.Size() + 1, sizeof(uint32_t)), false;
  return true;
}

Outcome Extractor::Build_Loops() {
  Link();
  Cancel_Opposites();
  for (size_t first = 0; first < segments_.Size(); ++first) {
    if (!segments_[first].tag) continue;
    uint32_t length = 0;
    if (!Walk_Length(uint32_t(first), &length)) return Outcome_Open;
    if (!Walk_Write(uint32_t(first), length)) return Outcome_Memory;
  }
  return Outcome_Done;
}

Outcome Extractor::Run() {
  for (int t = 0; t < Tag_Values; ++t)
    if (request_.wanted[t]) result_[t].Clear();
  if (!Prepare()) return Outcome_Memory;
  // Cell corners start one step before the map with CONTOUR_EXTEND, and the last cell ends one
  // step past it; without, every corner lies inside.
  const bool extend = request_.flags & CONTOUR_EXTEND;
  const int first = extend ? -1 : 0;
  const int last_col = extend ? nc_ - 1 : nc_ - 2;
  const int last_row = extend ? nr_ - 1 : nr_ - 2;
  for (int row = first - 1; row <= first + 1; ++row) Load_Row(row);
  for (int row = first; row <= last_row; ++row) {
    if (row > first) Load_Row(row + 1);
    if (!Scan_Row(row, first, last_col)) return Outcome_Memory;
    if (row >= 0 && !Finalize_Row(row)) return Outcome_Memory;
  }
  if (last_row >= first && last_row + 1 < nr_) {
    Load_Row(last_row + 2);
    if (!Finalize_Row(last_row + 1)) return Outcome_Memory;
  }
  return loops_ ? Build_Loops() : Outcome_Done;
}

}  // namespace

int Tag_Source::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return Outside;
  return rows ? rows[y][x] & 0xFF : Read_Slot(frame, x, y);
}

Outcome Contour_Extract(const Tag_Source& source, const Request& request, Tag_Contour* result) {
  Extractor extractor(source, request, result);
  return extractor.Run();
}

}  // namespace quarn::contour
