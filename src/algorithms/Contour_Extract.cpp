// Marching squares over a sampled tag map: boundary nodes, oriented segments, pushed nodes and
// closed loops. Only the rows the scan is on are kept, so memory follows the boundary, not the map.
#include "algorithms/Contour_Extract.h"

#include <quarn/algorithms/Contour.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "core/Check.h"
#include "core/Trace.h"

#include <algorithm>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cstring>
#include <new>

namespace quarn::contour {

namespace {

/// Source name of the memory reports of this computation.
constexpr const char* Source_Name = "fct_contour";
/// Sample of a grid position outside the map.
constexpr int16_t Outside = -1;
/// Cells the scan tests at once (one bit each of a word).
constexpr int Block = 64;
/// Samples of one vector register.
constexpr int Lane = 8;
/// End of a segment slot that no segment took.
constexpr int32_t No_Segment = -1;
/// End of a segment slot whose segment went with its opposite; the slot is not given again.
constexpr int32_t Cancelled = -2;
/// Slot of a segment found when its start node had both slots taken: no walk reaches it.
constexpr uint32_t No_Slot = UINT32_MAX;

#define CONTOUR_MEMORY(var, x, y) ::quarn::Memory_Error(Source_Name, __LINE__, "realloc", (var), long(x), long(y))

/// A grid point the scan wrote (a boundary node) or that a segment ends at; its position is
/// its grid point's, pushed when its row is complete.
struct Node {
  uint32_t index;  ///< Index in its tag's points.
  uint8_t tag;     ///< Tag written, 0 for none.
};

/// A node's position, frame pixels.
struct Position {
  uint16_t x, y;
};

/// The oriented boundary pieces (segments, with the area on their left) that start at a node, in
/// the order they were found: slot k of node n is segment slot 2n + k. A loop walk reads one of
/// these per step and nothing else of the node, so they are kept apart and small.
struct Link {
  int32_t end[2];  ///< Node each outgoing segment ends at, No_Segment or Cancelled.
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

/// The areas of a cell whose areas are single tags: each distinct value, by the first corner that
/// holds it (its leader), with the case its corners make.
struct Group {
  int8_t leader, node, end;
};
struct Partition {
  int8_t count;
  Group group[4];
};

/// Bit of each pair of corners in a cell's equality code.
constexpr int Pair_Bit[4][4] = {{-1, 0, 2, 4}, {0, -1, 5, 3}, {2, 5, -1, 1}, {4, 3, 1, -1}};

/// Bits of a cell code: which corner pairs are equal (Pair_Bit), then which corners hold no tag.
constexpr int Pair_Bits = 6;
constexpr int Code_Count = 1 << (Pair_Bits + 4);

/// Which corners of a cell hold equal values and which hold no tag (background or outside).
inline unsigned Cell_Code(const int q[4]) {
  return unsigned(q[0] == q[1]) | unsigned(q[2] == q[3]) << 1 | unsigned(q[0] == q[2]) << 2 |
         unsigned(q[1] == q[3]) << 3 | unsigned(q[0] == q[3]) << 4 | unsigned(q[1] == q[2]) << 5 |
         unsigned(q[0] < 1) << 6 | unsigned(q[1] < 1) << 7 | unsigned(q[2] < 1) << 8 | unsigned(q[3] < 1) << 9;
}

/// Per cell code, the groups of corners of a tag that make a node, leaders in corner order.
constexpr auto Partitions = [] {
  struct Table {
    Partition p[Code_Count];
  } table{};
  for (unsigned code = 0; code < Code_Count; ++code) {
    Partition& part = table.p[code];
    auto equal = [code](int i, int j) { return i == j || (code >> Pair_Bit[i][j] & 1); };
    for (int i = 0; i < 4; ++i) {
      if (code >> (Pair_Bits + i) & 1) continue;
      bool seen = false;
      int mask = 0;
      for (int j = 0; j < 4; ++j) {
        seen |= j < i && equal(j, i);
        mask |= int(equal(i, j)) << j;
      }
      const Case c = Cases[mask];
      if (!seen && c.node >= 0) part.group[part.count++] = Group{int8_t(i), c.node, c.end};
    }
  }
  return table;
}();

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

}  // namespace

struct Workspace::Records {
  Pod_Array<int16_t> ring[3];       // samples of rows r - 1, r, r + 1, padded with Outside
  Pod_Array<uint64_t> same[3];      // per ring row, per cell: its two top corners are equal
  Pod_Array<int32_t> node_map[2];   // per column of rows r and r + 1: node number + 1, or 0
  Pod_Array<int32_t> touched[4];    // columns of rows r and r + 1 that have a node
  Pod_Array<Node> nodes;
  Pod_Array<Link> links;            // per node, its outgoing segments
  Pod_Array<uint32_t> order;        // per segment number (order found): its slot, or No_Slot
  Pod_Array<uint64_t> used;         // per slot, one bit: cancelled or walked
};

namespace {

class Extractor {
public:
  Extractor(const Tag_Source& source, const Request& request, Tag_Contour* result, Workspace::Records& records)
      : src_(source), request_(request), result_(result), ring_(records.ring), same_(records.same),
        node_map_(records.node_map),
        touched_(records.touched), nodes_(records.nodes), links_(records.links), order_(records.order),
        used_(records.used),
        sx_(request.step_x),
        sy_(request.step_y),
        nc_((source.width + sx_ - 1) / sx_), nr_((source.height + sy_ - 1) / sy_),
        loops_(request.flags & CONTOUR_LOOPS), equal_(loops_), coarse_(sx_ > 1 || sy_ > 1),
        first_col_(request.flags & CONTOUR_EXTEND ? -1 : 0), words_((nc_ + 1 + Block - 1) / Block),
        row_length_(size_t(words_) * Block + 2 + Lane) {}

  Outcome Run();

private:
  bool Prepare();
  int16_t* Row_Of(int row) { return ring_[(row + 3) % 3].Data() + 1; }
  uint64_t* Same_Of(int row) { return same_[(row + 3) % 3].Data(); }
  void Load_Row(int row);
  void Load_Samples(int row);
  bool Scan_Row(int row, int last_col);
  bool Cell(int col, int row, const int q[4]);
  bool Equal_Cell(int col, int row, const int q[4]);
  bool Belongs(int sample, int tag) const;
  int Mask(const int q[4], int t) const;
  /// The node of a grid point of rows r or r + 1, made when there is none; -1 after a failure.
  int32_t Node_At(int col, int row) {
    int32_t& slot = node_map_[row & 1][size_t(col)];
    return slot ? slot - 1 : New_Node(slot, col, row);
  }
  int32_t New_Node(int32_t& slot, int col, int row);
  void Sort_Touched(Pod_Array<int32_t>& cols);
  bool Finalize_Row(int row);
  Position Push_Node(int t, Position at, int col, int row);
  bool Add_Segment(int32_t start, int32_t end);
  Outcome Build_Loops();
  Outcome Walk(uint32_t first);
  Outcome Close_Loop(uint32_t first, Tag_Contour& out);
  bool Used(uint32_t k) const { return used_[k >> 6] >> (k & 63) & 1; }
  void Use(uint32_t k) { used_[k >> 6] |= uint64_t(1) << (k & 63); }

  const Tag_Source& src_;
  const Request& request_;
  Tag_Contour* result_;
  Pod_Array<int16_t>* ring_;
  Pod_Array<uint64_t>* same_;
  Pod_Array<int32_t>* node_map_;
  Pod_Array<int32_t>* touched_;  // [2 * (row & 1) + k]: columns of the row's nodes made while
                                 // scanning the row above (k 0) and the row itself (k 1)
  Pod_Array<Node>& nodes_;
  Pod_Array<Link>& links_;
  Pod_Array<uint32_t>& order_;
  Pod_Array<uint64_t>& used_;
  const int sx_, sy_;
  const int nc_, nr_;  // grid columns and rows inside the map
  const bool loops_, equal_, coarse_;  // equal_: an area is its tag alone
  const int first_col_;                // column of the first cell, -1 with CONTOUR_EXTEND
  const int words_;                    // words of cell bits a row
  const size_t row_length_;            // samples of a ring row, from column -1; the scan reads
                                       // whole words of cells and one sample more
  int scan_row_ = 0;
  bool memory_failed_ = false;
};

int Read_Slot(Quarn_2D_Frame* frame, int x, int y) {
  if (!frame || !frame->fct_read_tag) return 0;
  return frame->fct_read_tag(frame, frame->image,
                             Vec4(float(x), float(y), float(frame->z_index), float(frame->t_index))) & 0xFF;
}

bool Extractor::Prepare() {
  for (int i = 0; i < 3; ++i) {
    if (!ring_[i].Assign_Zero(row_length_)) return CONTOUR_MEMORY("Liste", row_length_, sizeof(int16_t)), false;
    if (!same_[i].Assign_Zero(size_t(words_))) return CONTOUR_MEMORY("Liste", words_, sizeof(uint64_t)), false;
  }
  for (int i = 0; i < 4; ++i) touched_[i].Clear();
  for (int i = 0; i < 2; ++i)
    if (!node_map_[i].Assign_Zero(size_t(nc_) + 1)) return CONTOUR_MEMORY("Liste", nc_ + 1, sizeof(int32_t)), false;
  nodes_.Clear();
  links_.Clear();
  order_.Clear();
  used_.Clear();
  return true;
}

// Bits of the Block positions from x on where x and y hold equal samples.
uint64_t Equal_Bits(const int16_t* x, const int16_t* y) {
  uint64_t bits = 0;
#if defined(__SSE2__)
  for (int k = 0; k < Block; k += 2 * Lane) {
    auto load = [](const int16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
    const __m128i low = _mm_cmpeq_epi16(load(x + k), load(y + k));
    const __m128i high = _mm_cmpeq_epi16(load(x + k + Lane), load(y + k + Lane));
    bits |= uint64_t(uint32_t(_mm_movemask_epi8(_mm_packs_epi16(low, high)))) << k;
  }
#else
  for (int k = 0; k < Block; ++k) bits |= uint64_t(x[k] == y[k]) << k;
#endif
  return bits;
}

// A row's samples and which of its neighbouring samples are equal: the scan needs the latter
// for both pairs of rows a row is in, so it is worked out once.
void Extractor::Load_Row(int row) {
  Load_Samples(row);
  const int16_t* samples = Row_Of(row) + first_col_;
  uint64_t* same = Same_Of(row);
  for (int w = 0; w < words_; ++w) same[w] = Equal_Bits(samples + w * Block, samples + w * Block + 1);
}

void Extractor::Load_Samples(int row) {
  int16_t* out = Row_Of(row);
  if (row < 0 || row >= nr_) return std::fill(out - 1, out - 1 + row_length_, Outside);
  out[-1] = Outside;
  std::fill(out + nc_, out - 1 + row_length_, Outside);
  const int y = row * sy_;
  if (src_.rows) {
    const uint16_t* in = src_.rows[y];
    if (sx_ == 1) {
      // Four cells a word: the tag is the low byte of each.
      constexpr uint64_t Low_Bytes = 0x00FF00FF00FF00FFull;
      int c = 0;
#if defined(__SSE2__)
      const __m128i low = _mm_set1_epi16(0xFF);
      for (; c + 8 <= nc_; c += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + c));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + c), _mm_and_si128(v, low));
      }
#endif
      for (; c + 4 <= nc_; c += 4) {
        uint64_t v;
        std::memcpy(&v, in + c, sizeof v);
        v &= Low_Bytes;
        std::memcpy(out + c, &v, sizeof v);
      }
      for (; c < nc_; ++c) out[c] = int16_t(in[c] & 0xFF);
    } else
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

// The node is filled in place: built aside and copied, its mixed-size fields would be read back
// before their stores complete.
int32_t Extractor::New_Node(int32_t& slot, int col, int row) {
  constexpr size_t Nodes_Per_Word = 32;  // two slot bits a node
  const size_t number = nodes_.Size();
  Node* node = nodes_.Grow();
  Link* link = node ? links_.Grow() : nullptr;
  if (!link || (number % Nodes_Per_Word == 0 && !used_.Push(0)) ||
      !touched_[2 * (row & 1) + (row == scan_row_)].Push(col)) {
    CONTOUR_MEMORY("Liste", number + 1, sizeof(Node) + sizeof(Link));
    memory_failed_ = true;
    return -1;
  }
  link->end[0] = link->end[1] = No_Segment;
  node->index = 0;
  node->tag = 0;
  slot = int32_t(number + 1);
  return int32_t(number);
}

// The corners of a cell (bit j for corner j) that belong to the area of tag t.
int Extractor::Mask(const int q[4], int t) const {
  if (equal_)
    return (q[0] == t) | (q[1] == t) << 1 | (q[2] == t) << 2 | (q[3] == t) << 3;
  int mask = 0;
  for (int j = 0; j < 4; ++j)
    if (Belongs(q[j], t)) mask |= 1 << j;
  return mask;
}

// Each corner with a tag of 1 or more that no earlier corner of the cell had starts the tag's
// case: the corners that belong to its area make the mask.
bool Extractor::Cell(int col, int row, const int q[4]) {
  static constexpr int Dx[4] = {0, 1, 0, 1}, Dy[4] = {0, 0, 1, 1};
  if (equal_) return Equal_Cell(col, row, q);
  for (int i = 0; i < 4; ++i) {
    const int t = q[i];
    if (t < 1) continue;
    bool seen = false;
    for (int j = 0; j < i; ++j) seen |= q[j] == t;
    if (seen || (loops_ && !request_.wanted[t])) continue;
    const Case c = Cases[Mask(q, t) | 1 << i];
    if (c.node < 0) continue;
    const int32_t start = Node_At(col + Dx[c.node], row + Dy[c.node]);
    if (start < 0) return false;
    nodes_[size_t(start)].tag = uint8_t(t);  // its position is the grid point's until pushed
    if (!loops_ || c.end < 0) continue;
    const int32_t end = Node_At(col + Dx[c.end], row + Dy[c.end]);
    if (end < 0 || !Add_Segment(start, end)) return false;
  }
  return true;
}

// A cell whose areas are single tags: the groups of equal corners of a tag come from a table
// instead of a comparison per corner and tag, corners without a tag already left out.
bool Extractor::Equal_Cell(int col, int row, const int q[4]) {
  static constexpr int Dx[4] = {0, 1, 0, 1}, Dy[4] = {0, 0, 1, 1};
  const Partition& part = Partitions.p[Cell_Code(q)];
  for (int g = 0; g < part.count; ++g) {
    const Group c = part.group[g];
    const int t = q[c.leader];
    if (loops_ && !request_.wanted[t]) continue;
    const int32_t start = Node_At(col + Dx[c.node], row + Dy[c.node]);
    if (start < 0) return false;
    nodes_[size_t(start)].tag = uint8_t(t);
    if (!loops_ || c.end < 0) continue;
    const int32_t end = Node_At(col + Dx[c.end], row + Dy[c.end]);
    if (end < 0 || !Add_Segment(start, end)) return false;
  }
  return true;
}

// Most cells lie inside one area or outside all: the cells are tested a word at a time and only
// the mixed ones are looked at. A cell is uniform when its top corners, its bottom corners and
// its left corners are equal.
bool Extractor::Scan_Row(int row, int last_col) {
  const int16_t* a = Row_Of(row);
  const int16_t* b = Row_Of(row + 1);
  const uint64_t* same_a = Same_Of(row);
  const uint64_t* same_b = Same_Of(row + 1);
  scan_row_ = row;
  for (int w = 0, col = first_col_; col <= last_col; ++w, col += Block) {
    uint64_t mixed = ~(same_a[w] & same_b[w] & Equal_Bits(a + col, b + col));
    if (last_col - col < Block - 1) mixed &= (uint64_t(1) << (last_col - col + 1)) - 1;
    for (; mixed; mixed &= mixed - 1) {
      const int c = col + __builtin_ctzll(mixed);
      const int q[4] = {a[c], a[c + 1], b[c], b[c + 1]};
      if (!Cell(c, row, q)) return false;
    }
  }
  return !memory_failed_;
}

// A node of a coarse grid sits up to a step away from the area's true edge: it walks there pixel
// by pixel, away from its neighbours of the same tag, as long as it stays on its tag.
Position Extractor::Push_Node(int t, Position at, int col, int row) {
  const int16_t* up = Row_Of(row - 1);
  const int16_t* mid = Row_Of(row);
  const int16_t* down = Row_Of(row + 1);
  const int mask = (down[col] == t) | (mid[col - 1] == t) << 1 | (mid[col + 1] == t) << 2 | (up[col] == t) << 3;
  const Push p = Pushes[mask];
  int x = at.x, y = at.y;
  const int tx = x + p.dx * (sx_ - 1), ty = y + p.dy * (sy_ - 1);
  const int steps = std::max(std::abs(tx - x), std::abs(ty - y));
  for (int i = 0; i < steps; ++i) {
    const int nx = x + Sign(tx - x), ny = y + Sign(ty - y);
    if (nx == x && ny == y) break;
    if (src_.Pixel(nx, ny) == t) x = nx, y = ny;
    else if (nx != x && src_.Pixel(nx, y) == t) x = nx;
    else if (ny != y && src_.Pixel(x, ny) == t) y = ny;
    else break;  // nothing changes any more
  }
  return Position{uint16_t(x), uint16_t(y)};
}

// The columns of one pass are ascending but for neighbours made out of order within a cell.
void Extractor::Sort_Touched(Pod_Array<int32_t>& cols) {
  int32_t* c = cols.Data();
  for (size_t i = 1; i < cols.Size(); ++i)
    for (size_t j = i; j > 0 && c[j - 1] > c[j]; --j) std::swap(c[j - 1], c[j]);
}

// A row is complete once the cells below it are scanned: its nodes take their point indices in
// column order (the two passes that made them merged), which makes every tag's points run row
// by row.
bool Extractor::Finalize_Row(int row) {
  Pod_Array<int32_t>& above = touched_[2 * (row & 1)];
  Pod_Array<int32_t>& own = touched_[2 * (row & 1) + 1];
  Sort_Touched(above);
  Sort_Touched(own);
  int32_t* map = node_map_[row & 1].Data();
  for (size_t i = 0, j = 0; i < above.Size() || j < own.Size();) {
    const bool from_above = j == own.Size() || (i < above.Size() && above[i] < own[j]);
    const int32_t col = from_above ? above[i++] : own[j++];
    Node& node = nodes_[size_t(map[col] - 1)];
    map[col] = 0;
    const int t = node.tag;
    if (!t || !request_.wanted[t]) continue;
    Position at{uint16_t(col * sx_), uint16_t(row * sy_)};
    if (coarse_) at = Push_Node(t, at, col, row);
    Pod_Array<Point_2D>& points = result_[t].points;
    node.index = uint32_t(points.Size());
    if (!points.Push(Point_2D(6, float(at.x), float(at.y))))
      return CONTOUR_MEMORY("nb_pts[tag]", points.Size() + 1, sizeof(Point_2D)), false;
  }
  above.Clear();
  own.Clear();
  return true;
}

// Enters a new segment in its start node's first free slot (a node starts at most two segments
// of its tag). A segment running back over the edge of an earlier one bounds a line one sample
// wide: both go, and their slots stay taken.
bool Extractor::Add_Segment(int32_t start, int32_t end) {
  Link& from = links_[size_t(start)];
  const int slot = from.end[0] == No_Segment ? 0 : from.end[1] == No_Segment ? 1 : -1;
  const uint32_t number = slot < 0 ? No_Slot : 2 * uint32_t(start) + uint32_t(slot);  // none: no link reaches it
  if (!order_.Push(number)) return CONTOUR_MEMORY("(*segment)", order_.Size() + 1, sizeof(uint32_t)), false;
  if (slot < 0) return true;
  from.end[slot] = end;
  Link& to = links_[size_t(end)];
  for (int back = 0; back < 2; ++back) {
    if (to.end[back] != start) continue;  // also skips No_Segment and Cancelled
    Use(2 * uint32_t(end) + uint32_t(back));
    Use(number);
    to.end[back] = from.end[slot] = Cancelled;
    break;
  }
  return true;
}

// Walks the loop of segment slot first: from each segment's end node it goes on by the node's
// first segment while no walk took that way yet, by its second otherwise, until it comes back to
// first. It writes the start of first and the end of every segment but the last (node numbers,
// made point indices once every loop is closed), and uses up the segments; a missing or used
// segment on the way means the loop does not close.
Outcome Extractor::Walk(uint32_t first) {
  Tag_Contour& out = result_[nodes_[first >> 1].tag];
  if (!out.indices.Push(first >> 1))
    return CONTOUR_MEMORY("loop_idx[tag]", out.indices.Size() + 1, sizeof(uint32_t)), Outcome_Memory;
  Use(first);
  if (const Outcome o = Close_Loop(first, out); o != Outcome_Done) return o;
  if (!out.loop_ends.Push(uint32_t(out.indices.Size())))
    return CONTOUR_MEMORY("nb_loop", out.loop_ends.Size() + 1, sizeof(uint32_t)), Outcome_Memory;
  return Outcome_Done;
}

// The steps of a walk. A node's first segment is taken exactly when its slot is used by now
// (walks use every segment they go on by), but for the walk's own first segment, which is
// used from the start and ends the walk when it comes round again.
Outcome Extractor::Close_Loop(uint32_t first, Tag_Contour& out) {
  const Link* links = links_.Data();
  for (int32_t at = links[first >> 1].end[first & 1];;) {
    const Link& link = links[size_t(at)];
    const uint32_t slot = 2 * uint32_t(at);
    uint32_t next = slot;
    if (link.end[0] < 0 || (Used(slot) && slot != first)) {
      if (link.end[1] < 0) return Outcome_Open;
      next = slot + 1;
    }
    if (next == first) break;
    if (Used(next)) return Outcome_Open;
    Use(next);
    if (!out.indices.Push(uint32_t(at)))
      return CONTOUR_MEMORY("loop_idx[tag]", out.indices.Size() + 1, sizeof(uint32_t)), Outcome_Memory;
    at = link.end[next & 1];
  }
  return Outcome_Done;
}

// Loops are found in the order of their first segment. The walks write node numbers: reading
// each node's point index on the way would add a memory access to every step, where afterwards
// the reads of a whole loop go out at once.
Outcome Extractor::Build_Loops() {
  for (const uint32_t first : order_) {
    if (first == No_Slot || Used(first)) continue;
    if (const Outcome o = Walk(first); o != Outcome_Done) return o;
  }
  const Node* nodes = nodes_.Data();
  for (int t = 1; t < Tag_Values; ++t)
    if (request_.wanted[t])
      for (uint32_t& i : result_[t].indices) i = nodes[i].index;
  return Outcome_Done;
}

Outcome Extractor::Run() {
  for (int t = 0; t < Tag_Values; ++t)
    if (request_.wanted[t]) result_[t].Clear();
  if (!Prepare()) return Outcome_Memory;
  // Cell corners start one step before the map with CONTOUR_EXTEND, and the last cell ends one
  // step past it; without, every corner lies inside.
  const bool extend = request_.flags & CONTOUR_EXTEND;
  const int first = first_col_;
  const int last_col = extend ? nc_ - 1 : nc_ - 2;
  const int last_row = extend ? nr_ - 1 : nr_ - 2;
  for (int row = first - 1; row <= first + 1; ++row) Load_Row(row);
  for (int row = first; row <= last_row; ++row) {
    if (row > first) Load_Row(row + 1);
    if (!Scan_Row(row, last_col)) return Outcome_Memory;
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

Workspace::Workspace() : records(new (std::nothrow) Records) {}

Workspace::~Workspace() { delete records; }

void Workspace::Trim() {
  constexpr size_t Kept_Bytes = size_t(16) << 20;  // the records of a 2048 x 2048 frame of blobs
  const size_t bytes = records->nodes.Size() * (sizeof(Node) + sizeof(Link)) + records->order.Size() * sizeof(uint32_t);
  if (bytes <= Kept_Bytes) return;
  if (auto* fresh = new (std::nothrow) Records) {
    delete records;
    records = fresh;
  }
}

Outcome Contour_Extract(const Tag_Source& source, const Request& request, Tag_Contour* result,
                        Workspace& workspace) {
  if (!workspace.records) return CONTOUR_MEMORY("Liste", 1, sizeof(Workspace::Records)), Outcome_Memory;
  Extractor extractor(source, request, result, *workspace.records);
  return extractor.Run();
}

}  // namespace quarn::contour
