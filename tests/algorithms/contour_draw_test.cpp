// Contours drawn into a real OpenGL window: the loops of a hand-made tag map as lines and its
// boundary points as points, read back and compared with baselines; loops drawn in parts; and
// the drawings that must draw nothing.
#include "algorithms/Contour_Host.h"
#include "support/GL_Test.h"

#include <quarn/quarn.h>

#include <GL/gl.h>

#include <map>
#include <set>
#include <utility>

namespace {

using namespace test_support;
using contour_test::Tag_Map;

constexpr uint32_t Background = 0x202020;
constexpr uint32_t Flags = CONTOUR_LOOPS | CONTOUR_EXTEND;

/// A frame over a tag map, its contours computed, seen in a window at a zoom: frame pixel (u, v)
/// covers window pixels zoom x u ... zoom x u + zoom - 1, so a boundary node's vertex (the
/// pixel's centre) lands on the centre of window pixel zoom x u + zoom / 2.
class Frame_View {
public:
  Frame_View(const Tag_Map& map, int zoom)
      : map_(map), zoom_(zoom), tree_(contour_test::Record_Of(map)), frame_(tree_.Frame()) {
    EXPECT_EQ(Fct_Contour_Create(frame_, Flags, 1, 1), 1);
  }

  Quarn_2D_Frame* Frame() const { return frame_; }
  int Width() const { return map_.width * zoom_; }
  int Height() const { return map_.height * zoom_; }
  /// The window pixel on which the vertex of frame pixel (u, v) lands.
  std::pair<int, int> Window_Pixel(int u, int v) const { return {zoom_ * u + zoom_ / 2, zoom_ * v + zoom_ / 2}; }

  /// Viewport, projection and model view for the current context: patient space back to the
  /// frame's pixels (through the inverse of the frame's own map), then to window pixels.
  void Project() const {
    Pixel_Projection(Width(), Height());
    const Point_4D o = Org(0, 0), a = Org(1, 0), b = Org(0, 1);
    const Vec4 u(a.x - o.x, a.y - o.y, a.z - o.z, 0.0f), v(b.x - o.x, b.y - o.y, b.z - o.z, 0.0f);
    const Vec4 n = frame_->normal;
    Mat4 to_patient;  // rows: the images of the frame's axes and origin (row vectors)
    const Vec4 rows[4] = {u, v, n, Vec4(o.x, o.y, o.z, 1.0f)};
    for (int r = 0; r < 4; ++r) {
      to_patient[r][0] = rows[r].x, to_patient[r][1] = rows[r].y, to_patient[r][2] = rows[r].z;
      to_patient[r][3] = r == 3 ? 1 : 0;
    }
    Mat4 to_window;
    to_window.init();
    to_window[0][0] = to_window[1][1] = zoom_;
    to_window[3][0] = to_window[3][1] = 0.5;  // the vertex lands on a pixel's centre, not its edge
    const Mat4 model = to_patient.inverse() * to_window;
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixd(&model.m[0][0]);
  }

  /// What lies under the contours: the window's background, cleared with its depth. (Drawing
  /// over the frame itself is this step drawing the frame's pixels.)
  void Underlay() const {
    Clear(Background);
    glClearDepth(1.0);
    glClear(GL_DEPTH_BUFFER_BIT);
  }

private:
  Point_4D Org(float u, float v) const {
    return frame_->Frm_2_Org(Point_4D(6, u, v, float(frame_->z_index), float(frame_->t_index)));
  }

  Tag_Map map_;
  int zoom_;
  layers_test::Frame_Tree tree_;
  Quarn_2D_Frame* frame_;
};

// A square of tag 1, a ring of tag 2 (an outer and an inner loop), a small square of tag 3, tag 4
// on the frame's border, a tag 5 that touches tag 1 and a one-pixel tag 6 (boundary points, but
// no loop: its cells give no segment).
const Tag_Map& Scene() {
  static const Tag_Map map({
      "..............4444",
      ".1111.........4444",
      ".1111...2222222...",
      ".111155.2222222...",
      ".111155.22...22...",
      "........22...22...",
      "..33....2222222...",
      "..33....2222222...",
      "..................",
      "......6........555",
      "...............555",
      "...............555",
  });
  return map;
}

constexpr int16_t Last_Tag = 6;

/// The colour a tag is drawn in (0xRRGGBB).
uint32_t Tag_Rgb(int tag) {
  const auto* red = *static_cast<uint16_t**>(Host_Var_Get(L"$TAG_RED", nullptr, nullptr, nullptr));
  const auto* green = *static_cast<uint16_t**>(Host_Var_Get(L"$TAG_GRN", nullptr, nullptr, nullptr));
  const auto* blue = *static_cast<uint16_t**>(Host_Var_Get(L"$TAG_BLU", nullptr, nullptr, nullptr));
  return uint32_t(red[tag] >> 8) << 16 | uint32_t(green[tag] >> 8) << 8 | uint32_t(blue[tag] >> 8);
}

/// The contour tests' variables, and the host's defaults (tag colours, OpenGL state) beside them,
/// so that these tests and the other contour tests find the same storage in one process.
void* Lookup(const wchar_t* name, int* count, uint16_t* flags, Host_Var_Update* update) {
  if (void* storage = contour_test::Lookup(name, count, flags, update)) return storage;
  return Host_Var_Get(name, count, flags, update);
}

class Contour_Drawing : public GL_Test {
protected:
  void SetUp() override {
    GL_Test::SetUp();
    Fct_Main_Var_Get = &Lookup;
    contour_test::Variables() = contour_test::Contour_Variables{};
    layers_test::Variables() = layers_test::Layer_Variables{};
  }

  /// Draws into a window of the view's size and reads the picture back.
  template <class Draw>
  Image Picture(const Frame_View& view, Draw draw) {
    Host_Window w = Window(view.Width(), view.Height());
    EXPECT_EQ(OpenGL_Context_On(w, OPENGL_CONTEXT_BACK), 1);
    view.Project();
    view.Underlay();
    draw();
    OpenGL_Context_Off(w, 0);
    return Read(w);
  }
};

TEST_F(Contour_Drawing, LoopsAreLinesThroughTheBoundaryPixels) {
  Frame_View view(Scene(), 8);
  const Image picture = Picture(view, [&] {
    for (int16_t tag = 1; tag <= Last_Tag; ++tag) Fct_Contour_Draw_Loops(view.Frame(), tag, 0, 0);
  });
  EXPECT_TRUE(Golden_Match(picture, "algorithms/golden/contour_loops.png", {8, 0.002}));
  // Each boundary point of a tag with loops lies on its tag's line; the lone pixel has no line;
  // inside the squares and the ring nothing is drawn.
  for (int16_t tag = 1; tag <= Last_Tag; ++tag) {
    Point_2D* points = nullptr;
    const int n = Fct_Contour_Get_Points(view.Frame(), tag, &points);
    ASSERT_GT(n, 0) << tag;
    const bool lines = Fct_Contour_Get_Loops(view.Frame(), tag, nullptr) > 0;
    EXPECT_EQ(lines, tag != 6) << tag;
    for (int i = 0; i < n; ++i) {
      const auto [x, y] = view.Window_Pixel(int(points[i].x), int(points[i].y));
      EXPECT_EQ(picture.Rgb(x, y), lines ? Tag_Rgb(tag) : Background) << "tag " << tag << " point " << i;
    }
  }
  for (const auto& [u, v] : {std::pair{2, 2}, {3, 3}, {11, 4}, {11, 5}, {16, 10}}) {
    const auto [x, y] = view.Window_Pixel(u, v);
    EXPECT_EQ(picture.Rgb(x, y), Background) << u << "," << v;
  }
}

TEST_F(Contour_Drawing, PointsAreDrawnInTheCellsOfTheBoundaryPixels) {
  Frame_View view(Scene(), 8);
  // The host lights its scenes; a light along the frame's normal shows the points in full colour.
  const Image picture = Picture(view, [&] {
    glEnable(GL_LIGHT0);
    for (int16_t tag = 1; tag <= Last_Tag; ++tag) Fct_Contour_Draw_Points(view.Frame(), tag, 0, 1);
    glDisable(GL_LIGHT0);
  });
  EXPECT_TRUE(Golden_Match(picture, "algorithms/golden/contour_points.png", {8, 0.002}));
  // A smooth point covers a few pixels around its centre, all inside its frame pixel's cell:
  // a cell is lit, in its tag's colour, exactly when it holds a boundary point.
  std::map<std::pair<int, int>, uint32_t> cells;
  for (int16_t tag = 1; tag <= Last_Tag; ++tag) {
    Point_2D* points = nullptr;
    const int n = Fct_Contour_Get_Points(view.Frame(), tag, &points);
    for (int i = 0; i < n; ++i) cells[{int(points[i].x), int(points[i].y)}] = Tag_Rgb(tag);
  }
  for (int v = 0; v < Scene().height; ++v)
    for (int u = 0; u < Scene().width; ++u) {
      const auto [cx, cy] = view.Window_Pixel(u, v);
      std::set<uint32_t> seen;
      for (int y = cy - 4; y < cy + 4; ++y)
        for (int x = cx - 4; x < cx + 4; ++x)
          if (picture.Rgb(x, y) != Background) seen.insert(picture.Rgb(x, y));
      const auto cell = cells.find({u, v});
      if (cell == cells.end()) EXPECT_TRUE(seen.empty()) << u << "," << v;
      else EXPECT_EQ(seen, std::set<uint32_t>{cell->second}) << u << "," << v;
    }
}

TEST_F(Contour_Drawing, EveryStepThPointFromTheFirst) {
  Frame_View view(Scene(), 8);
  Point_2D* points = nullptr;
  const int n = Fct_Contour_Get_Points(view.Frame(), 1, &points);
  const Image picture = Picture(view, [&] {
    glEnable(GL_LIGHT0);
    Fct_Contour_Draw_Points(view.Frame(), 1, 1, 3);
    glDisable(GL_LIGHT0);
  });
  std::set<std::pair<int, int>> lit;
  for (int i = 0; i < n; ++i) {
    const auto [x, y] = view.Window_Pixel(int(points[i].x), int(points[i].y));
    if (picture.Rgb(x, y) != Background) lit.insert({x, y});
    EXPECT_EQ(picture.Rgb(x, y) != Background, i % 3 == 1) << "point " << i;
  }
  EXPECT_EQ(int(lit.size()), (n - 1 + 2) / 3);
}

// A tag with many loops drawn part by part ends up as the whole drawing: a square whose outer
// loop is longer than a block of indices, with sixty holes.
TEST_F(Contour_Drawing, LoopsDrawnInPartsMakeTheWhole) {
  Tag_Map map(300, 300);
  map.Fill(4, 4, 295, 295, 6);
  for (int i = 0; i < 60; ++i) map.Fill(20 + (i % 10) * 25, 20 + (i / 10) * 40, 30 + (i % 10) * 25, 40 + (i / 10) * 40, 0);
  Frame_View view(map, 1);
  ASSERT_GE(Fct_Contour_Get_Loops(view.Frame(), 6, nullptr), 50);
  const Image whole = Picture(view, [&] { Fct_Contour_Draw_Loops(view.Frame(), 6, 0, 0); });
  const Image parts = Picture(view, [&] {
    for (int part = 0; part < 3; ++part) Fct_Contour_Draw_Loops(view.Frame(), 6, part, 3);
  });
  const Image first = Picture(view, [&] { Fct_Contour_Draw_Loops(view.Frame(), 6, 0, 3); });
  EXPECT_GT(first.Count(Background), whole.Count(Background) + 500) << "one part draws a share of the whole";
  int differing = 0;
  for (int y = 0; y < whole.height; ++y)
    for (int x = 0; x < whole.width; ++x) differing += whole.Rgb(x, y) != parts.Rgb(x, y);
  EXPECT_EQ(differing, 0);
}

// Drawings that must leave the picture alone: a tag never computed, tag values out of range, no
// frame at all.
TEST_F(Contour_Drawing, NothingIsDrawnWithoutAContour) {
  Frame_View view(Scene(), 4);
  Host_Report_Capture capture;
  const Image picture = Picture(view, [&] {
    Fct_Contour_Draw_Loops(view.Frame(), 7, 0, 0);   // no tag 7 in the map
    Fct_Contour_Draw_Points(view.Frame(), 7, 0, 1);
    Fct_Contour_Draw_Loops(view.Frame(), -1, 0, 0);  // not a tag value
    Fct_Contour_Draw_Points(view.Frame(), 300, 0, 1);
    Fct_Contour_Draw_Loops(nullptr, 1, 0, 0);
    Fct_Contour_Draw_Points(nullptr, 1, 0, 1);
  });
  EXPECT_EQ(picture.Count(Background), view.Width() * view.Height());
  EXPECT_TRUE(capture.Contains("tag -1 is no tag value"));
  EXPECT_TRUE(capture.Contains("tag 300 is no tag value"));
  EXPECT_FALSE(capture.Contains("OpenGL Error"));
}

}  // namespace
