// Loading a working grey layer through the chain's matrices a row at a time: the same values as
// one chain walk per pixel, without the walk.
#include "frames/Grey_Mapped_Read.h"

#include <quarn/frames/Frame_Layers.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "frames/Frame_Access_Slots.h"
#include "frames/Grey_Convert.h"
#include "frames/Grey_Stepped_Run.h"
#include "frames/Pixel_Chain.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace quarn {

namespace {

// A float holds every multiple of 2^-g up to 2^24 * 2^-g exactly.
constexpr double Float_Exact_Limit = 16777216.0;
// Grids finer than 2^-60 are not followed: such coordinates are mapped pixel by pixel.
constexpr int Finest_Grain = 60;
// Magnitudes below this convert to a 64-bit integer and back unchanged when whole.
constexpr double Whole_Limit = 9007199254740992.0;  // 2^53

// 2^e for the exponents a double holds as a normal number, built from its bits.
double Power_Of_Two(int e) { return std::bit_cast<double>(uint64_t(1023 + e) << 52); }

// How one coordinate varies along a row.
enum class Lane_Kind : uint8_t {
  Constant,  ///< the same at every column
  Lattice,   ///< start + column * step, every value exact on a grid of 2^-grain
  General,   ///< anything else: one value per column
  Affine,    ///< the last matrix's sum of constant and lattice terms, computed when read
};

// One term of an Affine lane: a Constant or Lattice coordinate times its weight.
struct Term {
  bool lattice = false;
  double start = 0, step = 0, weight = 0;
};

struct Lane {
  Lane_Kind kind = Lane_Kind::Constant;
  double start = 0;     // value at column 0 (a float's value)
  double step = 0;      // Lattice: change per column
  int grain = 0;        // Constant, Lattice: values are whole multiples of 2^-grain; -1 finer
  double bound = 0;     // Constant, Lattice: largest magnitude along the row
  const float* values = nullptr;  // General
  bool finite = true;   // General: no value is infinite or not a number
  Term terms[3];        // Affine: the terms in the transform's order
  int term_count = 0;   // Affine
  double last = 0;      // Affine: the matrix's translation
};

// Value of an Affine lane at column k with the transform's own operations (as Evaluate makes
// it): each coordinate (a float) times its weight in double, summed in order, rounded to float.
float Affine_At(const Lane& l, int k) {
  double sum = 0;
  for (int i = 0; i < l.term_count; ++i) {
    const Term& t = l.terms[i];
    const double term = t.lattice ? double(float(t.start + double(k) * t.step)) * t.weight : double(float(t.start)) * t.weight;
    sum = i == 0 ? term : sum + term;
  }
  return float(sum + l.last);
}

// Smallest g >= 0 such that v * 2^g is whole; -1 when there is none up to Finest_Grain.
int Grain_Of(double v) {
  if (!std::isfinite(v)) return -1;
  // Whole numbers (row and slice indices, most weights) need no grid finer than 1.
  if (std::fabs(v) < Whole_Limit && double(static_cast<long long>(v)) == v) return 0;
  int exponent;
  const double fraction = std::frexp(std::fabs(v), &exponent);  // v = fraction * 2^exponent
  // The 53 bits of the fraction as a whole number, and how many of its low bits are zero.
  const auto mantissa = uint64_t(std::ldexp(fraction, 53));
  const int grain = std::max(0, 53 - exponent - std::countr_zero(mantissa));
  return grain > Finest_Grain ? -1 : grain;
}

// Lanes are rewritten in place row after row: only the fields their kind reads are set.
void Set_Constant(Lane& l, float v) {
  l.kind = Lane_Kind::Constant;
  l.start = v, l.step = 0, l.grain = Grain_Of(v), l.bound = std::fabs(double(v));
}

void Set_Lattice(Lane& l, double start, double step, int grain, double bound) {
  l.kind = Lane_Kind::Lattice;
  l.start = start, l.step = step, l.grain = grain, l.bound = bound;
}

// Marks count cells as reading nothing, in vector stores.
void Fill_None(int32_t* __restrict out, int count) {
  For_Blocks(count, [out](int k) { out[k] = GLI_NONE; });
}

// A node maps (x, y, z, 1) by its matrix; a matrix that could divide by w is not followed.
bool Affine(const Mat4& m) {
  for (const auto& row : m.m)
    for (double v : row)
      if (!std::isfinite(v)) return false;
  return m.m[0][3] == 0 && m.m[1][3] == 0 && m.m[2][3] == 0 && m.m[3][3] == 1;
}

// The matrices a grey read meets from the frame up to the root; false when a node hooks the
// read, a matrix is not affine or the chain does not reach the root.
bool Chain_Matrices(Quarn_2D_Frame* frame, std::vector<const Mat4*>& out) {
  if (frame->fct_read_gli && frame->fct_read_gli != &Frame_Read_GLI) return false;
  for (Quarn_2D* node = frame;;) {
    if (const Mat4* m = node->mat_child_to_parent) {
      if (!Affine(*m)) return false;
      out.push_back(m);
    }
    Quarn_2D* parent = node->Parent_Get_Pt();
    if (!parent) return false;
    if (parent->fct_read_gli == &Root_Read_GLI) return true;
    if (parent->fct_read_gli != &Node_Read_GLI) return false;
    node = parent;
  }
}

// The root's element addressing, learnt from the host once per load.
struct Plane {
  const uint8_t* base = nullptr;
  long long stride[4] = {};  // bytes per column, row, slice, time point
  int extent[4] = {};        // columns, rows, slices, time points
};

const uint8_t* Address(Host_Image_Record* r, int x, int y, int slice, int time) {
  return static_cast<const uint8_t*>(Host_Image_Pixel(nullptr, r, nullptr, 0, x, y, slice, time));
}

// False when the record's pixels are not one regular block (or there are none).
bool Plane_Of(Host_Image_Record* r, Plane& p) {
  p.extent[0] = r->columns, p.extent[1] = r->rows, p.extent[2] = r->slices, p.extent[3] = r->times;
  p.base = Address(r, 0, 0, 0, 0);
  if (!p.base) return false;
  long long last = 0;
  for (int axis = 0; axis < 4; ++axis) {
    if (p.extent[axis] < 2) continue;
    int at[4] = {0, 0, 0, 0};
    at[axis] = 1;
    const uint8_t* next = Address(r, at[0], at[1], at[2], at[3]);
    if (!next) return false;
    p.stride[axis] = next - p.base;
    last += p.stride[axis] * (p.extent[axis] - 1);
  }
  const uint8_t* end = Address(r, p.extent[0] - 1, p.extent[1] - 1, p.extent[2] - 1, p.extent[3] - 1);
  return end && end - p.base == last;
}

// The chain's matrices applied to whole rows: each coordinate kept as a constant, a stepped
// lattice or one value per column, whichever reproduces the chain's arithmetic exactly.
class Row_Mapper {
public:
  Row_Mapper(const std::vector<const Mat4*>& matrices, int width)
      : matrices_(matrices), width_(width), store_(size_t(width) * Scratch_Rows), sums_(size_t(width)) {
    for (const Mat4* m : matrices) {
      Grains g;
      for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 3; ++j) g.of[i][j] = Grain_Of(m->m[i][j]);
      grains_.push_back(g);
    }
  }

  // The record coordinates (column, row, slice) at every column of row y of slice z, time t;
  // valid until the next call.
  const std::array<Lane, 3>& Map(float y, float z, float t) {
    std::array<Lane, 3>*in = &lanes_[0], *next = &lanes_[1];
    Column_Lane((*in)[0]);
    Set_Constant((*in)[1], y);
    Set_Constant((*in)[2], z);
    Vec4 first(0.0f, y, z, t);
    int side = 0;
    for (size_t k = 0; k < matrices_.size(); ++k) {
      const Mat4& m = *matrices_[k];
      first *= m;  // column 0 through the chain's own transform
      const float at_first[3] = {first.x, first.y, first.z};
      for (int j = 0; j < 3; ++j)
        Combine(*in, m, grains_[k], j, at_first[j], Row(side * 3 + j), k + 1 == matrices_.size(), (*next)[size_t(j)]);
      std::swap(in, next);
      side ^= 1;
    }
    return *in;
  }

private:
  // Two sides of three rows: the values a node makes from the other side's.
  static constexpr int Scratch_Rows = 6;

  // Grain_Of each weight of a matrix (rows 0 ... 3, columns 0 ... 2).
  struct Grains {
    int of[4][3];
  };

  float* Row(int i) { return store_.data() + size_t(i) * size_t(width_); }

  void Column_Lane(Lane& l) const {
    if (width_ < 2) return Set_Constant(l, 0.0f);
    Set_Lattice(l, 0.0, 1.0, 0, double(width_ - 1));
  }

  // Coordinate j after matrix m, from the coordinates before it.
  // The last matrix's general sums are left to the reader, which needs only their indices.
  void Combine(const std::array<Lane, 3>& in, const Mat4& m, const Grains& grains, int j, float at_first,
               float* out, bool last, Lane& lane) {
    bool varying = false, general = false;
    for (int i = 0; i < 3; ++i) {
      const Lane& l = in[size_t(i)];
      // A zero weight removes a coordinate, unless a product is not a number.
      if (m.m[i][j] == 0 && (l.kind != Lane_Kind::General || l.finite)) continue;
      varying |= l.kind != Lane_Kind::Constant;
      general |= l.kind == Lane_Kind::General;
    }
    if (!varying) return Set_Constant(lane, at_first);
    if (!general && Exact_Step(in, m, grains, j, at_first, lane)) return;
    if (!general && last) return Affine(in, m, j, lane);
    Evaluate(in, m, j, out, lane);
  }

  // The terms Evaluate would sum, kept for the reader.
  static void Affine(const std::array<Lane, 3>& in, const Mat4& m, int j, Lane& l) {
    l.kind = Lane_Kind::Affine;
    l.grain = -1, l.bound = 0, l.term_count = 0;
    l.last = m.m[3][j];
    for (int i = 0; i < 3; ++i) {
      const Lane& c = in[size_t(i)];
      if (m.m[i][j] == 0 && std::isfinite(c.start)) continue;
      l.terms[l.term_count++] = {c.kind == Lane_Kind::Lattice, c.start, c.step, m.m[i][j]};
      l.bound += c.bound * std::fabs(m.m[i][j]);
    }
    l.bound += std::fabs(l.last);
  }

  // Every term on a grid that a float holds along the whole row: the chain's arithmetic is then
  // exact, and stepping from column 0 gives its values.
  static bool Exact_Step(const std::array<Lane, 3>& in, const Mat4& m, const Grains& grains, int j,
                         float at_first, Lane& out) {
    int grain = grains.of[3][j];
    double bound = std::fabs(m.m[3][j]), step = 0;
    if (grain < 0) return false;
    for (int i = 0; i < 3; ++i) {
      const double w = m.m[i][j];
      if (w == 0) continue;
      const Lane& l = in[size_t(i)];
      const int g = grains.of[i][j];
      if (g < 0 || l.grain < 0) return false;
      grain = std::max(grain, g + l.grain);
      bound += l.bound * std::fabs(w);
      if (l.kind == Lane_Kind::Lattice) step += l.step * w;
    }
    // bound * 2^grain beyond the limit, without a library call.
    if (grain > Finest_Grain || bound > Float_Exact_Limit * Power_Of_Two(-grain)) return false;
    Set_Lattice(out, double(at_first), step, grain, bound);
    return true;
  }

  // Column by column with the transform's own operations: each coordinate (a float) times its
  // weight in double, summed in the transform's order, rounded once to float.
  void Evaluate(const std::array<Lane, 3>& in, const Mat4& m, int j, float* out, Lane& l) {
    double* __restrict sum = sums_.data();
    bool first = true;
    for (int i = 0; i < 3; ++i) {
      const Lane& l = in[size_t(i)];
      // Adding a finite coordinate's zero product changes no sum (at most the sign of a zero).
      const bool finite = l.kind == Lane_Kind::General ? l.finite : std::isfinite(l.start);
      if (m.m[i][j] == 0 && finite) continue;
      Term_Add(l, m.m[i][j], first, sum);
      first = false;
    }
    if (first) For_Blocks(width_, [sum](int k) { sum[k] = 0; });
    const double last = m.m[3][j];
    float* __restrict o = out;
    For_Blocks(width_, [&](int k) { o[k] = float(sum[k] + last); });
    l.kind = Lane_Kind::General;
    l.grain = -1, l.bound = 0;
    l.values = out;
    l.finite = std::all_of(out, out + width_, [](float f) { return std::isfinite(f); });
  }

  // sum = (first ? 0 : sum) + coordinate * weight, per column.
  void Term_Add(const Lane& l, double weight, bool first, double* __restrict sum) const {
    auto add = [&](auto term) {
      if (first) For_Blocks(width_, [&](int k) { sum[k] = term(k); });
      else For_Blocks(width_, [&](int k) { sum[k] += term(k); });
    };
    if (l.kind == Lane_Kind::Constant) {
      const double t = double(float(l.start)) * weight;
      add([t](int) { return t; });
    } else if (l.kind == Lane_Kind::Lattice) {
      const double start = l.start, step = l.step;
      add([=](int k) { return double(float(start + double(k) * step)) * weight; });
    } else {
      const float* __restrict v = l.values;
      add([=](int k) { return double(v[k]) * weight; });
    }
  }

  const std::vector<const Mat4*>& matrices_;
  std::vector<Grains> grains_;
  int width_;
  std::vector<float> store_;
  std::vector<double> sums_;
  std::array<Lane, 3> lanes_[2];  // the coordinates before and after a matrix
};

// Record indices of the columns of one row, and the reads they give.
class Row_Reader {
public:
  Row_Reader(Host_Image_Record* record, const Plane& plane, int width)
      : r_(record), p_(plane), width_(width), index_(size_t(width) * 3) {}

  void Read(const std::array<Lane, 3>& lanes, int time, int32_t* out) {
    if (time < 0 || time >= p_.extent[3]) return Fill_None(out, width_);
    if (Contiguous(lanes, time, out)) return;
    if (Stepped(lanes, time, out)) return;
    const int* __restrict ix = Indices(lanes[0], 0);
    const int* __restrict iy = Indices(lanes[1], 1);
    const int* __restrict iz = Indices(lanes[2], 2);
    const int nx = p_.extent[0], ny = p_.extent[1], nz = p_.extent[2];
    auto inside = [=](int x) {
      return unsigned(ix[x]) < unsigned(nx) && unsigned(iy[x]) < unsigned(ny) && unsigned(iz[x]) < unsigned(nz);
    };
    const bool read = With_Element_Kind(r_->kind, [&]<int Kind, class T>() {
      const uint8_t* base = p_.base + p_.stride[3] * time;
      const long long sx = p_.stride[0], sy = p_.stride[1], sz = p_.stride[2];
      const int32_t pad = r_->pad_value;
      int32_t* __restrict o = out;
      for (int x = 0; x < width_; ++x)
        o[x] = inside(x) ? Grey_Classify_Of<Kind, T>(pad, Stored<Kind, T>(base + sx * ix[x] + sy * iy[x] + sz * iz[x]))
                         : GLI_NONE;
    });
    if (read) return;
    for (int x = 0; x < width_; ++x) out[x] = inside(x) ? Root_Pixel_GLI(r_, ix[x], iy[x], iz[x], time) : GLI_NONE;
  }

private:
  // Oblique views: record indices stepped along the row in fixed point. A column whose
  // coordinate comes within the stepping's error bound of a pixel edge is computed exactly; all
  // others truncate to the index the transform's own arithmetic gives.
  bool Stepped(const std::array<Lane, 3>& lanes, int time, int32_t* out) {
    Fixed f[3];
    bool any_affine = false;
    for (int a = 0; a < 3; ++a) {
      if (!Fixed_Of(lanes[size_t(a)], f[a])) return false;
      any_affine |= lanes[size_t(a)].kind == Lane_Kind::Affine;
    }
    if (!any_affine) return false;
    return With_Element_Kind(r_->kind, [&]<int Kind, class T>() { Stepped_Row<Kind, T>(lanes, f, time, out); });
  }

  // A coordinate along the row as (value + Bias) * 2^Fraction_Bits, stepped per column, with the
  // largest distance from the transform's own value that the stepping can have.
  struct Fixed {
    long long at = 0, step = 0, margin = 0;
  };
  static constexpr int Fraction_Bits = 32;
  static constexpr double One = 4294967296.0;  // 2^Fraction_Bits
  // Coordinates are kept within +-2^20 (else the row is mapped exactly), and biased to be positive.
  static constexpr double Stepped_Limit = 1048576.0;
  static constexpr long long Bias = 1ll << 21;
  static constexpr int Longest_Stepped_Row = 1 << 16;
  // The vector path reads four bytes per element and hands back eight columns at a time.
  static constexpr int Gather_Bytes = 4;
  static constexpr int Vector_Columns = 8;

  bool Fixed_Of(const Lane& l, Fixed& f) const {
    if (width_ > Longest_Stepped_Row || !(l.bound <= Stepped_Limit)) return false;
    if (l.kind == Lane_Kind::Constant) {
      // Its truncated value, exactly; off the record the whole row is.
      f.at = (Trunc_Index(float(l.start)) + Bias) << Fraction_Bits;
      return true;
    }
    if (l.kind == Lane_Kind::Lattice) {
      // Values on a grid of 2^-32 or coarser, below 2^20, are exact in fixed point (52 bits).
      if (l.grain > Fraction_Bits) return false;
      f.at = std::llround(l.start * One) + (Bias << Fraction_Bits);
      f.step = std::llround(l.step * One);
      return true;
    }
    if (l.kind != Lane_Kind::Affine) return false;
    // The exact sum is start + k * step; the transform's double operations stay within a few
    // units of 2^-53 of the magnitudes summed, its float rounding within 2^-24 of the value, and
    // the fixed-point start and step within 2^-32 each (the step's error grows with k).
    double start = l.last, step = 0;
    for (int i = 0; i < l.term_count; ++i) {
      const Term& t = l.terms[i];
      start += (t.lattice ? t.start : double(float(t.start))) * t.weight;
      if (t.lattice) step += t.step * t.weight;
    }
    const double error = l.bound * 0x1p-23 + double(width_) * 0x1p-31 + 0x1p-30;
    f.at = std::llround(start * One) + (Bias << Fraction_Bits);
    f.step = std::llround(step * One);
    f.margin = (long long)(std::ceil(error * One)) + 2;
    return true;
  }

  template <int Kind, class T>
  void Stepped_Row(const std::array<Lane, 3>& lanes, const Fixed (&f)[3], int time, int32_t* __restrict out) {
    // Which coordinate stays put: the loop steps the other two (or all three, slower).
    for (int still = 2; still >= 0; --still)
      if (f[still].step == 0 && f[still].margin == 0)
        return Stepped_Plane<Kind, T>(lanes, f, still, time, out);
    Stepped_Volume<Kind, T>(lanes, f, time, out);
  }

  // Two coordinates stepping, the third (`still`) the same at every column: the usual oblique
  // view within a slice, or a turned reslice. Each stepping coordinate is kept lowered by its
  // margin, so that its floor is the index whenever no pixel edge lies within twice the margin
  // above it, which its fraction tells.
  template <int Kind, class T>
  void Stepped_Plane(const std::array<Lane, 3>& lanes, const Fixed (&f)[3], int still, int time,
                     int32_t* __restrict out) {
    const int a = still == 0 ? 1 : 0, b = still == 2 ? 1 : 2;
    const long long fixed_index = (f[still].at >> Fraction_Bits) - Bias;
    if (fixed_index < 0 || fixed_index >= p_.extent[still]) return Fill_None(out, width_);
    const uint8_t* base = p_.base + p_.stride[3] * time + p_.stride[still] * fixed_index;
    const unsigned na = unsigned(p_.extent[a]), nb = unsigned(p_.extent[b]);
    const long long sa = p_.stride[a], sb = p_.stride[b], da = f[a].step, db = f[b].step;
    const unsigned long long limit_a = Edge_Limit(f[a]), limit_b = Edge_Limit(f[b]);
    const int32_t pad = r_->pad_value;
    constexpr long long Biased = Bias << Fraction_Bits;
    long long at_a = f[a].at - f[a].margin - Biased, at_b = f[b].at - f[b].margin - Biased;
    auto exact = [&](int k, long long& ia, long long& ib) {
      ia = Exact_Index(lanes[size_t(a)], k), ib = Exact_Index(lanes[size_t(b)], k);
    };
    auto read = [&](long long ia, long long ib) {
      return Grey_Classify_Of<Kind, T>(pad, Stored<Kind, T>(base + sa * ia + sb * ib));
    };
    // Columns near the record's border: any of them may fall off it.
    auto border = [&](int first, int end) {
      long long ta = at_a + first * da, tb = at_b + first * db;
      for (int k = first; k < end; ++k, ta += da, tb += db) {
        long long ia = ta >> Fraction_Bits, ib = tb >> Fraction_Bits;  // arithmetic: the floor
        if ((Fraction(ta) >= limit_a) | (Fraction(tb) >= limit_b)) [[unlikely]]
          exact(k, ia, ib);
        if ((unsigned(ia) < na) & (unsigned(ib) < nb)) [[likely]] {
          out[k] = read(ia, ib);
          continue;
        }
        // Between -1 and 0 truncation gives 0 where the floor gives -1: computed exactly.
        if ((ia == -1) | (ib == -1)) {
          exact(k, ia, ib);
          if ((unsigned(ia) < na) & (unsigned(ib) < nb)) {
            out[k] = read(ia, ib);
            continue;
          }
        }
        out[k] = GLI_NONE;
      }
    };
    // Columns that may read the record; the others surely fall off it.
    int on_first = 0, on_end = width_;
    Reachable(at_a, da, f[a].margin, na, on_first, on_end);
    Reachable(at_b, db, f[b].margin, nb, on_first, on_end);
    Fill_None(out, on_first);
    Fill_None(out + on_end, width_ - on_end);
    // Columns whose coordinates, margins included, lie well inside the record.
    int first = on_first, end = on_end;
    Interior(at_a, da, f[a].margin, na, first, end);
    Interior(at_b, db, f[b].margin, nb, first, end);
    if (first >= end) return border(on_first, on_end);
    border(on_first, first);
    // Eight columns at a time while no pixel edge is near; the columns the vector path leaves
    // (an edge near, the row's last few) go one by one.
    const Stepped_Run run = Run_Of(base, sa, sb, na, nb, da, db, limit_a, limit_b, pad, sizeof(T));
    for (int k = first; k < end;) {
      if (run.base) {
        k += Stepped_Run_Vector(Kind, run, at_a + k * da, at_b + k * db, end - k, out + k);
        // The last few columns as the run's last eight, some of them read twice.
        const int last = end - Vector_Columns;
        if (k < end && last >= first && k > last &&
            Stepped_Run_Vector(Kind, run, at_a + last * da, at_b + last * db, Vector_Columns, out + last))
          break;
      }
      const int stop = run.base ? std::min(end, k + Vector_Columns) : end;
      long long ta = at_a + k * da, tb = at_b + k * db;
      for (; k < stop; ++k, ta += da, tb += db) {
        long long ia = ta >> Fraction_Bits, ib = tb >> Fraction_Bits;
        if ((Fraction(ta) >= limit_a) | (Fraction(tb) >= limit_b)) [[unlikely]]
          exact(k, ia, ib);
        out[k] = read(ia, ib);
      }
    }
    border(end, on_end);
  }

  // What the vector path needs for a row's interior run; a null base when its byte offsets
  // could not be held in 32 bits.
  static Stepped_Run Run_Of(const uint8_t* base, long long sa, long long sb, unsigned na, unsigned nb, long long da,
                            long long db, unsigned long long limit_a, unsigned long long limit_b, int32_t pad,
                            int size) {
    Stepped_Run run;
    const long long reach_a = sa * (long long)(na - 1), reach_b = sb * (long long)(nb - 1);
    if (std::llabs(reach_a) + std::llabs(reach_b) + Gather_Bytes > INT_MAX) return run;
    run = {base, sa, sb, da, db, limit_a, limit_b, std::max(0ll, reach_a) + std::max(0ll, reach_b) + size - Gather_Bytes,
           pad};
    return run;
  }

  using Wide = __int128;
  // Below this magnitude the run ends are found with 64-bit division.
  static constexpr Wide Narrow_Limit = Wide(1) << 62;

  // Narrows [first, end) to the columns k at which the lowered coordinate at + k * step and the
  // same plus twice the margin both lie in [0, n) (a straight line: they form one run).
  static void Interior(long long at, long long step, long long margin, unsigned n, int& first, int& end) {
    Within(at, step, (Wide(n) << Fraction_Bits) - 1 - 2 * Wide(margin), first, end);
  }

  // Narrows [first, end) to the columns whose coordinate may truncate into [0, n): a lowered
  // coordinate at n or above, or one whose margins leave it at -1 or below, is off the record.
  static void Reachable(long long at, long long step, long long margin, unsigned n, int& first, int& end) {
    const Wide below = (Wide(1) << Fraction_Bits) + 2 * Wide(margin);  // lowest lowered value kept, negated
    Within(Wide(at) + below, step, (Wide(n) << Fraction_Bits) - 1 + below, first, end);
  }

  // Narrows [first, end) to the columns k at which at + k * step lies in [0, top].
  static void Within(Wide at, long long step, Wide top, int& first, int& end) {
    auto floor_div = [](Wide num, Wide den) {  // den > 0
      // The numbers met in practice fit 64 bits, whose division needs no library call.
      if (num > -Narrow_Limit && num < Narrow_Limit && den < Narrow_Limit) {
        const long long n = (long long)num, d = (long long)den;
        return Wide(n >= 0 ? n / d : -((-n + d - 1) / d));
      }
      return num >= 0 ? num / den : -((-num + den - 1) / den);
    };
    Wide low, high;  // the run of k, both ends included
    if (step == 0) {
      if (at >= 0 && at <= top) return;
      first = end;
      return;
    }
    if (step > 0) {
      low = -floor_div(at, step);      // ceil(-at / step)
      high = floor_div(top - at, step);
    } else {
      low = -floor_div(top - at, -step);     // ceil((top - at) / step)
      high = floor_div(at, -step);
    }
    if (low > first) first = low > end ? end : int(low);
    if (high + 1 < end) end = high + 1 < first ? first : int(high + 1);
  }

  static unsigned long long Fraction(long long at) { return (unsigned long long)(at) & 0xFFFFFFFFull; }
  // A lowered coordinate whose fraction reaches this has a pixel edge within twice its margin.
  static unsigned long long Edge_Limit(const Fixed& f) { return (1ull << Fraction_Bits) - 2 * (unsigned long long)(f.margin); }

  template <int Kind, class T>
  void Stepped_Volume(const std::array<Lane, 3>& lanes, const Fixed (&f)[3], int time, int32_t* __restrict out) {
    const uint8_t* base = p_.base + p_.stride[3] * time;
    const int32_t pad = r_->pad_value;
    long long at[3] = {f[0].at, f[1].at, f[2].at};
    for (int k = 0; k < width_; ++k) {
      long long index[3];
      bool sure = true;
#pragma GCC unroll 3
      for (int a = 0; a < 3; ++a) {
        const long long low = (at[a] - f[a].margin) >> Fraction_Bits, high = (at[a] + f[a].margin) >> Fraction_Bits;
        sure &= (low == high) & (low != Bias - 1);
        index[a] = low - Bias;
        at[a] += f[a].step;
      }
      if (!sure) [[unlikely]]
        for (int a = 0; a < 3; ++a) index[a] = Exact_Index(lanes[size_t(a)], k);
      const bool inside = (unsigned(index[0]) < unsigned(p_.extent[0])) & (unsigned(index[1]) < unsigned(p_.extent[1])) &
                          (unsigned(index[2]) < unsigned(p_.extent[2]));
      out[k] = inside ? Grey_Classify_Of<Kind, T>(pad, Stored<Kind, T>(base + p_.stride[0] * index[0] +
                                                                       p_.stride[1] * index[1] + p_.stride[2] * index[2]))
                      : GLI_NONE;
    }
  }

  static int Exact_Index(const Lane& l, int k) {
    switch (l.kind) {
      case Lane_Kind::Constant: return Trunc_Index(float(l.start));
      case Lane_Kind::Lattice: return Trunc_Index(float(l.start + double(k) * l.step));
      case Lane_Kind::Affine: return Trunc_Index(Affine_At(l, k));
      default: return Trunc_Index(l.values[k]);
    }
  }

  // The usual views keep whole record rows: column steps of one along a fixed row and slice.
  bool Contiguous(const std::array<Lane, 3>& lanes, int time, int32_t* out) {
    const Lane &lx = lanes[0], &ly = lanes[1], &lz = lanes[2];
    if (lx.kind != Lane_Kind::Lattice || lx.step != 1 || lx.start < 0 || ly.kind != Lane_Kind::Constant ||
        lz.kind != Lane_Kind::Constant || p_.stride[0] != Host_Image_Kind_Size(r_->kind))
      return false;
    // From a start s >= 0, column x truncates to trunc(s) + x.
    const int first = Trunc_Index(float(lx.start)), row = Trunc_Index(float(ly.start)),
              slice = Trunc_Index(float(lz.start));
    const bool in_plane = first >= 0 && row >= 0 && slice >= 0 && row < p_.extent[1] && slice < p_.extent[2];
    const int count = in_plane ? std::clamp(p_.extent[0] - first, 0, width_) : 0;
    const uint8_t* start = p_.base + p_.stride[0] * first + p_.stride[1] * row + p_.stride[2] * slice +
                           p_.stride[3] * time;
    const bool read = !count || With_Element_Kind(r_->kind, [&]<int Kind, class T>() {
      Grey_Run<Kind, T>(start, count, r_->pad_value, out);
    });
    if (!read) return false;
    Fill_None(out + count, width_ - count);
    return true;
  }

  int* Indices(const Lane& l, int axis) {
    int* __restrict out = index_.data() + size_t(axis) * size_t(width_);
    if (l.kind == Lane_Kind::Constant) {
      const int i = Trunc_Index(float(l.start));
      For_Blocks(width_, [&](int k) { out[k] = i; });
    } else if (l.kind == Lane_Kind::Lattice) {
      const double start = l.start, step = l.step;
      For_Blocks(width_, [&](int k) { out[k] = Trunc_Index(float(start + double(k) * step)); });
    } else if (l.kind == Lane_Kind::Affine) {
      for (int k = 0; k < width_; ++k) out[k] = Trunc_Index(Affine_At(l, k));
    } else {
      const float* __restrict v = l.values;
      For_Blocks(width_, [&](int k) { out[k] = Trunc_Index(v[k]); });
    }
    return out;
  }

  Host_Image_Record* r_;
  const Plane& p_;
  int width_;
  std::vector<int> index_;
};

}  // namespace

bool Grey_Mapped_Fill(Quarn_2D_Frame* frame, int32_t** rows) {
  std::vector<const Mat4*> matrices;
  if (!Chain_Matrices(frame, matrices)) return false;
  Host_Image_Record* record = frame->image;
  if (!record || !record->pixels) {
    // The root reads nothing from such a record.
    for (int y = 0; y < frame->height; ++y) std::fill(rows[y], rows[y] + frame->width, GLI_NONE);
    return true;
  }
  Plane plane;
  if (!Plane_Of(record, plane)) return false;
  Row_Mapper mapper(matrices, frame->width);
  Row_Reader reader(record, plane, frame->width);
  const float z = frame->z_index, t = frame->t_index;
  // Time passes through every matrix unchanged.
  const int time = Trunc_Index(t);
  for (int y = 0; y < frame->height; ++y) reader.Read(mapper.Map(float(y), z, t), time, rows[y]);
  return true;
}

}  // namespace quarn
