// Contours drawn over their frame by the scene passes, from a slot of the frame's OpenGL table:
// the frame's pixels, its tags and then the loops, at the window's zoom and pan.
#include "algorithms/Contour_Host.h"
#include "display/Scene_Host.h"

#include <quarn/quarn.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <cstring>

namespace {

using contour_test::Tag_Map;

constexpr uint32_t Flags = CONTOUR_LOOPS | CONTOUR_EXTEND;
/// The slot of the frame's OpenGL table the host gives to contours.
constexpr int Contour_Slot = 4;
/// Rasteriser rounding of lines may move a few pixels by a little.
constexpr test_support::Tolerance kTolerance{8, 0.004};

// A square of tag 1, a ring of tag 2 (outer and inner loop), a bar of tag 3, and tag 4 along the
// frame's right border (its loop closes along the border).
const Tag_Map& Tags() {
  static const Tag_Map map({
      "................................444",
      "..11111.............................",
      "..11111.......222222222.............",
      "..11111.......222222222.........444",
      "..11111.......22.....22.........444",
      "..11111.......22.....22.........444",
      "..............22.....22.........444",
      "..............222222222.............",
      "..............222222222.............",
      "....................................",
      "....3333333333333333................",
      "....3333333333333333................",
      "....................................",
      "....................................",
  });
  return map;
}

/// $TAG_NB from the contour tests' storage (the library keeps the first address it finds), the
/// scene host's variables for the rest.
void* Lookup(const wchar_t* name, int* count, uint16_t* flags, Host_Var_Update* update) {
  if (!std::wcscmp(name, L"$TAG_NB")) return contour_test::Lookup(name, count, flags, update);
  return scene_test::Lookup(name, count, flags, update);
}

/// The colour a tag's loops are drawn in (0xRRGGBB).
uint32_t Tag_Rgb(int tag) {
  const auto* red = *static_cast<uint16_t**>(Host_Var_Get(L"$TAG_RED", nullptr, nullptr, nullptr));
  const auto* green = *static_cast<uint16_t**>(Host_Var_Get(L"$TAG_GRN", nullptr, nullptr, nullptr));
  const auto* blue = *static_cast<uint16_t**>(Host_Var_Get(L"$TAG_BLU", nullptr, nullptr, nullptr));
  return uint32_t(red[tag] >> 8) << 16 | uint32_t(green[tag] >> 8) << 8 | uint32_t(blue[tag] >> 8);
}

int Distance(uint32_t a, uint32_t b) {
  int d = 0;
  for (int shift = 0; shift < 24; shift += 8) d += std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF));
  return d;
}

/// How much nearer to rgb a pixel came than the frame alone had it.
constexpr int Pulled = 60;

/// True when a pixel at (x, y) or next to it is pulled towards rgb in with, against without: a
/// smoothed line blends over the frame, and a line through a vertex that is not on a pixel's
/// centre may cover the neighbour more.
bool Line_Near(const test_support::Image& with, const test_support::Image& without, int x, int y, uint32_t rgb) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      const int px = x + dx, py = y + dy;
      if (px < 0 || py < 0 || px >= with.width || py >= with.height) continue;
      if (Distance(with.Rgb(px, py), rgb) + Pulled < Distance(without.Rgb(px, py), rgb)) return true;
    }
  return false;
}

class Contour_Scene : public scene_test::Scene_Test {
protected:
  void SetUp() override {
    Scene_Test::SetUp();
    contour_test::Variables() = contour_test::Contour_Variables{};
    Fct_Main_Var_Get = &Lookup;
    w_->box_2.color = Host_Color(40, 44, 52);
  }

  /// One frame over the tag map, alone in a one-frame window of width x height at zoom, its
  /// contours computed and drawn from the frame's OpenGL table.
  Quarn_2D_Frame* Frame(int width, int height, float zoom) {
    Open(width, height);
    const Tag_Map& map = Tags();
    Quarn_2D_Frame* frame = Make_Frames(&root_, 1, map.width, map.height, zoom)[0];
    auto* record = static_cast<Host_Image_Record*>(frame->image);
    EXPECT_EQ(Host_Image_Tags_Alloc(record), 1);
    for (size_t i = 0; i < map.cells.size(); ++i) record->tags[i] = uint8_t(map.cells[i]);
    w_->Class_A_Set(WINDOW_MODE_2D_ONE);
    event_test::Vars().frame_cur[0] = frame;
    frame->Flag_Set_On(0x10, w_, quarn::flag::Current | quarn::flag::Selected);
    EXPECT_EQ(Fct_Contour_Create(frame, Flags, 1, 1), 1);
    frame->fct_draw_opengl[Contour_Slot] = &Fct_Contour_Draw_Frame;
    return frame;
  }

  /// The picture pixel (column, row from the top) on which the vertex of the frame's pixel
  /// (u, v) lands, by the frame's and the window's coordinate maps.
  std::pair<int, int> Picture_Pixel(Quarn_2D_Frame* frame, float u, float v) {
    const Point_2D p = w_->Inf_2_Wnd(frame->Frm_2_Inf(w_, Point_2D(6, u + 0.5f, v + 0.5f)));
    return {int(std::floor(p.x)), w_->height - 1 - int(std::floor(p.y))};
  }
};

TEST_F(Contour_Scene, LoopsLieOnTheTagBordersOfTheDrawnFrame) {
  Frame(128, 64, 3);
  w_->pan_x.value = 2;
  w_->pan_y.value = 1;
  Lay_Out();
  EXPECT_TRUE(test_support::Golden_Match(Draw_All(), "algorithms/golden/contour_over_frame.png", kTolerance));
}

// Zoom and pan move the loops with the pixels: next to every boundary point's vertex, where the
// coordinate maps put it, the picture takes the tag's line colour; and every pixel the loops
// change lies between such vertices, so no line is drawn anywhere else.
TEST_F(Contour_Scene, ZoomAndPanMoveTheLoopsWithThePixels) {
  const struct {
    const char* what;
    float zoom;
    int pan_x, pan_y;
  } cases[] = {
      {"zoom 1, no pan", 1, 0, 0},
      {"zoom 3, panned right and up", 3, 5, 4},
      {"zoom 2.5, panned by parts of a pixel", 2.5f, 21, 11},
      {"zoom 4, first column out of the window", 4, 9, -3},
  };
  Quarn_2D_Frame* frame = Frame(160, 80, 1);
  for (const auto& c : cases) {
    frame->zoom[0][0] = frame->zoom[0][1] = c.zoom;
    frame->fct_draw_opengl[Contour_Slot] = &Fct_Contour_Draw_Frame;
    w_->pan_x.value = c.pan_x;
    w_->pan_y.value = c.pan_y;
    Lay_Out();
    const test_support::Image with = Draw_All();
    frame->fct_draw_opengl[Contour_Slot] = nullptr;
    Lay_Out();
    const test_support::Image without = Draw_All();
    std::set<std::pair<int, int>> vertices;
    for (int tag = 1; tag <= 4; ++tag) {
      Point_2D* points = nullptr;
      const int n = Fct_Contour_Get_Points(frame, int16_t(tag), &points);
      ASSERT_GT(n, 0) << c.what << " tag " << tag;
      for (int i = 0; i < n; ++i) {
        const auto [x, y] = Picture_Pixel(frame, points[i].x, points[i].y);
        vertices.insert({x, y});
        if (tag == 4 || x < 1 || y < 1 || x >= with.width - 1 || y >= with.height - 1) continue;
        EXPECT_TRUE(Line_Near(with, without, x, y, Tag_Rgb(tag))) << c.what << ": tag " << tag << " point " << i;
      }
    }
    const int reach = int(std::ceil(c.zoom)) + 1;  // vertices lie a zoomed pixel apart
    int changed = 0;
    for (int y = 0; y < with.height; ++y)
      for (int x = 0; x < with.width; ++x) {
        if (with.Rgb(x, y) == without.Rgb(x, y)) continue;
        ++changed;
        bool near_vertex = false;
        for (const auto& [vx, vy] : vertices) near_vertex |= std::abs(vx - x) <= reach && std::abs(vy - y) <= reach;
        EXPECT_TRUE(near_vertex) << c.what << ": pixel " << x << "," << y << " changed away from every vertex";
      }
    EXPECT_GT(changed, 100) << c.what;
  }
}

}  // namespace
