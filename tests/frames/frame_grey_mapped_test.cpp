// The working grey layer of frames whose chain maps points through matrices must hold exactly
// what the chain reads pixel by pixel: every element kind, every kind of view (shifts, flips,
// reslices, zooms, rotations, several matrices), points falling off the record, and random
// chains.
#include "frames/Grey_Kind_Cases.h"

#include <climits>
#include <cmath>
#include <random>

namespace {

using namespace layers_test;

constexpr const char* Mapped_Trace = "-> Work_GLI_Load: rows mapped through the chain's matrices";
constexpr int W = 7, H = 5, S = 3;

// W x H x S pixels of one kind: varied values with the kind's markers and padding among them.
template <class T>
Host_Image_Record* Kind_Record(int kind, const std::vector<T>& specials, int32_t pad) {
  std::vector<T> v(size_t(W) * H * S);
  for (size_t i = 0; i < v.size(); ++i) v[i] = T((i * 2654435761u) % 97 + 3);
  for (size_t i = 0; i < specials.size(); ++i) v[(i * 11 + 5) % v.size()] = specials[i];
  return Padded_Record(W, H, S, kind, v, pad);
}

const Kind_Case Kinds[] = {
    {"U8", [] { return Kind_Record<uint8_t>(HOST_PIXEL_U8, {0, 255, 7}, 7); }},
    {"S8", [] { return Kind_Record<int8_t>(HOST_PIXEL_S8, {-128, 127, -5}, -5); }},
    {"U16", [] { return Kind_Record<uint16_t>(HOST_PIXEL_U16, {0, 65535, 999}, 999); }},
    {"S16", [] { return Kind_Record<int16_t>(HOST_PIXEL_S16, {-32768, 32767, -1000}, -1000); }},
    {"S32", [] { return Kind_Record<int32_t>(HOST_PIXEL_S32, {INT_MIN, 0x7FFFFFFF, 0x7FFFFFFE, -7}, -7); }},
    {"float", [] { return Kind_Record<float>(HOST_PIXEL_FLOAT, {NAN, -2.5f, 1e3f}, 0); }},
    {"colour", [] { return Kind_Record<uint32_t>(HOST_PIXEL_RGBA, {0x00FFFFFF, 0xFF000000, 0x7FFFFFFF}, 0); }},
};

Mat4 Identity() {
  Mat4 m;
  m.init();
  return m;
}

// Rotation by angle about the slice normal around the frame's centre.
Mat4 Turned(double angle) {
  const double c = std::cos(angle), s = std::sin(angle), cx = (W - 1) / 2.0, cy = (H - 1) / 2.0;
  return Rows({{c, s, 0, 0}, {-s, c, 0, 0}, {0, 0, 1, 0}, {cx - c * cx + s * cy, cy - s * cx - c * cy, 0, 1}});
}

struct View_Case {
  const char* what;
  Mat4 group;  // on the group node (identity: none)
  Mat4 frame;  // on the frame itself (identity: none)
  bool mapped; // the row mapping applies (else the chain is walked per pixel)
};

const View_Case Views[] = {
    {"identity", Identity(), Identity(), true},
    {"whole shift", Rows({{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {2, -1, 0, 1}}), Identity(), true},
    {"half-pixel shift", Rows({{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0.5, 0.5, 0, 1}}), Identity(), true},
    {"mirrored columns", Rows({{-1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {W - 1, 0, 0, 1}}), Identity(), true},
    {"rows become slices", Rows({{1, 0, 0, 0}, {0, 0, 1, 0}, {0, 1, 0, 0}, {0, 0, 0, 1}}), Identity(), true},
    {"columns become slices", Rows({{0, 0, 1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 0, 1}}), Identity(), true},
    {"zoom by two", Rows({{0.5, 0, 0, 0}, {0, 0.5, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}), Identity(), true},
    {"turned 30 degrees", Turned(M_PI / 6), Identity(), true},
    {"turned a third", Rows({{1.0 / 3, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {1.0 / 3, 0.1, 0, 1}}), Identity(), true},
    {"tilted about x", [] { Mat4 m; m.rot_x(0.4); return m; }(), Identity(), true},
    {"two matrices", Rows({{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {1, 1, 0, 1}}), Turned(-0.3), true},
    // Column 0 maps to 3.00000013, which a float rounds up to 3.00000024; column 1 to
    // 2.99999983, which only the exact sum keeps below 3.
    {"just under a pixel edge",
     Rows({{-3e-7, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {3.00000013, 0, 0, 1}}), Identity(), true},
    // Whole numbers past 2^24 in the middle of the chain: a float keeps only the even ones, so
    // columns 1, 3 and 5 come back as 0, 4 and 4.
    {"large middle step", Rows({{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {-16777216.0, 0, 0, 1}}),
     Rows({{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {16777216.0, 0, 0, 1}}), true},
    {"far off the record", Rows({{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {1e6, 0, 0, 1}}), Identity(), true},
    {"beyond any int", Rows({{1e30, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}), Identity(), true},
    {"dividing by w", Rows({{1, 0, 0, 0.05}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}), Identity(), false},
};

bool Is_Identity(const Mat4& m) {
  const Mat4 i = Identity();
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (m.m[r][c] != i.m[r][c]) return false;
  return true;
}

void Place(Quarn_2D* node, const Mat4& m) {
  delete node->mat_child_to_parent;
  node->mat_child_to_parent = Is_Identity(m) && node->Class_A_Get() == Quarn_2D_Frame::Class_A ? nullptr : new Mat4(m);
}

using Grey_Mapped = Layers_Test;

TEST_F(Grey_Mapped, HoldsWhatTheChainReadsForEveryKindAndView) {
  for (const Kind_Case& k : Kinds)
    for (const View_Case& v : Views) {
      Frame_Tree tree(k.make());
      Place(tree.group, v.group);
      for (int slice : {0, 2}) {
        Quarn_2D_Frame* f = tree.Frame(slice);
        Place(f, v.frame);
        const std::vector<int> expect = Chain_Reads(f);
        Host_Report_Capture capture;
        ASSERT_NE(f->Work_GLI_Load(), nullptr) << k.what << " / " << v.what;
        EXPECT_EQ(capture.Contains(Mapped_Trace), v.mapped) << k.what << " / " << v.what;
        EXPECT_EQ(Layer_Cells(f), expect) << k.what << " / " << v.what << " slice " << slice;
      }
    }
}

TEST_F(Grey_Mapped, RandomChainsReadWhatTheChainReads) {
  // One to three matrices of entries drawn from simple fractions, awkward decimals and plain
  // numbers, so that both the stepped and the column-by-column coordinates meet rounding edges.
  std::mt19937 gen(20240611);
  const double pool[] = {0, 0, 0, 1, -1, 0.5, 2, 0.25, 1.0 / 3, 0.1, -0.7, 3, 0.999999, 1e-7, 1.5};
  std::uniform_int_distribution<size_t> pick(0, std::size(pool) - 1);
  std::uniform_real_distribution<double> shift(-4, 8);
  for (int round = 0; round < 150; ++round) {
    Frame_Tree tree(Kind_Record<int16_t>(HOST_PIXEL_S16, {-5}, -5));
    auto* upper = new tree_test::Group<Quarn_2D>(L"upper");
    // root -> upper -> group -> frames: a matrix on any of the three nodes below the root.
    tree.root.Child_Remove(tree.group);
    upper->Child_Add(tree.group);
    tree.root.Child_Add(upper);
    Quarn_2D_Frame* f = tree.Frame(round % S);
    Quarn_2D* nodes[] = {f, tree.group, upper};
    for (Quarn_2D* node : nodes) {
      if (gen() % 3 == 0) continue;
      Mat4 m = Identity();
      for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m.m[i][j] = gen() % 2 ? pool[pick(gen)] : (i == j);
      for (int j = 0; j < 3; ++j) m.m[3][j] = gen() % 2 ? std::round(shift(gen) * 4) / 4 : shift(gen);
      node->mat_child_to_parent = new Mat4(m);
    }
    const std::vector<int> expect = Chain_Reads(f);
    ASSERT_NE(f->Work_GLI_Load(), nullptr);
    ASSERT_EQ(Layer_Cells(f), expect) << "round " << round;
  }
}

TEST_F(Grey_Mapped, TimePassesThroughTheMatrices) {
  std::vector<uint16_t> v;
  for (int t = 0; t < 2; ++t)
    for (int i = 0; i < W * H; ++i) v.push_back(uint16_t(i + 1000 * t));
  Frame_Tree tree(Host_Image_Create(W, H, 1, 2, HOST_PIXEL_U16, v.data()));
  Place(tree.group, Rows({{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {1, 0, 0, 1}}));
  Quarn_2D_Frame* f = tree.Frame(1);
  ASSERT_EQ(f->t_index, 1);
  const std::vector<int> expect = Chain_Reads(f);
  ASSERT_NE(f->Work_GLI_Load(), nullptr);
  EXPECT_EQ(Layer_Cells(f), expect);
  EXPECT_EQ(f->work_gli[0][0], 1001);
}

// A reader a module put in the group's slot before the one it replaced: the chain is walked
// pixel by pixel through it.
Quarn_2D_Pixel_Read g_replaced = nullptr;
int Doubling_Read(Quarn_2D* node, void* image, Vec4 p) {
  const int v = g_replaced(node, image, p);
  return v < 0x7FFFFFF0 ? 2 * v : v;
}

TEST_F(Grey_Mapped, HookedChainIsWalkedPixelByPixel) {
  Frame_Tree tree(Kinds[3].make());
  Place(tree.group, Turned(0.2));
  g_replaced = tree.group->fct_read_gli;
  tree.group->fct_read_gli = &Doubling_Read;
  Quarn_2D_Frame* f = tree.Frame();
  const std::vector<int> expect = Chain_Reads(f);
  Host_Report_Capture capture;
  ASSERT_NE(f->Work_GLI_Load(), nullptr);
  EXPECT_FALSE(capture.Contains(Mapped_Trace));
  EXPECT_EQ(Layer_Cells(f), expect);
}

}  // namespace
