// Contours of hand-made tag maps computed on frames: known loops, orientations and points, the
// saddle rule, coarse grids, border handling, bad input, and the reuse of computed contours.
#include "algorithms/Contour_Host.h"

#include <algorithm>

namespace {

using namespace contour_test;
using layers_test::Frame_Tree;

constexpr uint32_t Loops = CONTOUR_LOOPS;
constexpr uint32_t Loops_Extend = CONTOUR_LOOPS | CONTOUR_EXTEND;

// The frame's points of a tag as pixels, in stored order.
std::vector<Pixel> Points_Of(Quarn_2D_Frame* f, int tag) {
  Point_2D* points = nullptr;
  const int count = Fct_Contour_Get_Points(f, int16_t(tag), &points);
  std::vector<Pixel> out;
  for (int i = 0; i < count; ++i) out.push_back({int(points[i].x), int(points[i].y)});
  return out;
}

// The pixels of the map holding tag, row by row.
std::vector<Pixel> Boundary_Pixels(const Tag_Map& m, int tag) {
  std::vector<Pixel> out;
  for (int y = 0; y < m.height; ++y)
    for (int x = 0; x < m.width; ++x) {
      if (m.Tag(x, y) != tag) continue;
      bool edge = false;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) edge |= dx * dy == 0 && m.Tag(x + dx, y + dy) != tag;
      if (edge) out.push_back({x, y});
    }
  return out;
}

using Contour_Shapes = Contour_Test;

TEST_F(Contour_Shapes, FilledSquareIsOneOuterLoopThroughItsBoundaryPixels) {
  Tag_Map m(10, 10);
  m.Fill(2, 2, 5, 5, 1);
  Frame_Tree tree(Record_Of(m));
  Quarn_2D_Frame* f = tree.Frame();
  ASSERT_EQ(Fct_Contour_Create(f, Loops, 1, 1), 1);
  EXPECT_EQ(Points_Of(f, 1), Boundary_Pixels(m, 1));
  const std::vector<Loop> loops = Loops_Of(f, 1);
  ASSERT_EQ(loops.size(), 1u);
  // Found from the first segment of the scan (the top edge), walked with the area on the left.
  const Loop expected = {{3, 2}, {2, 2}, {2, 3}, {2, 4}, {2, 5}, {3, 5},
                         {4, 5}, {5, 5}, {5, 4}, {5, 3}, {5, 2}, {4, 2}};
  EXPECT_EQ(loops[0], expected);
  EXPECT_EQ(Twice_Area(loops[0]), -2 * 9);
  EXPECT_EQ(f->Redraw_Get_Bit(0x10, tree_test::Selector(8), CONTOUR_REDRAW), CONTOUR_REDRAW);
}

TEST_F(Contour_Shapes, RingHasAnOuterAndAnInnerLoopOfOppositeOrientation) {
  Tag_Map m(11, 11);
  m.Fill(1, 1, 9, 9, 3);
  m.Fill(4, 4, 6, 6, 0);
  Frame_Tree tree(Record_Of(m));
  ASSERT_EQ(Fct_Contour_Create(tree.Frame(), Loops, 1, 1), 1);
  const std::vector<Loop> loops = Loops_Of(tree.Frame(), 3);
  ASSERT_EQ(loops.size(), 2u);
  EXPECT_EQ(loops[0].size(), 32u);                   // outer: pixel centres of the 9 x 9 square
  EXPECT_EQ(Twice_Area(loops[0]), -2 * 64);
  // Inner: around the 3 x 3 hole, cutting its four corners diagonally (the pixels touching the
  // hole only at a corner are no boundary nodes): a 4 x 4 square less four half cells.
  EXPECT_EQ(loops[1].size(), 12u);
  EXPECT_EQ(Twice_Area(loops[1]), 2 * 14);
  EXPECT_EQ(Points_Of(tree.Frame(), 3).size(), 44u);
}

TEST_F(Contour_Shapes, TouchingTagsEachCloseTheirOwnLoop) {
  const Tag_Map m({
      "........",
      ".111222.",
      ".111222.",
      ".111222.",
      "........",
  });
  Frame_Tree tree(Record_Of(m));
  ASSERT_EQ(Fct_Contour_Create(tree.Frame(), Loops, 1, 1), 1);
  for (int tag : {1, 2}) {
    const std::vector<Loop> loops = Loops_Of(tree.Frame(), tag);
    ASSERT_EQ(loops.size(), 1u) << tag;
    EXPECT_EQ(loops[0].size(), 8u) << tag;
    EXPECT_EQ(Twice_Area(loops[0]), -2 * 4) << tag;
    EXPECT_EQ(Points_Of(tree.Frame(), tag), Boundary_Pixels(m, tag)) << tag;
  }
  // The shared edge appears twice: column 3 closes tag 1, column 4 tag 2.
  EXPECT_EQ(Loops_Of(tree.Frame(), 1)[0][0], (Pixel{2, 1}));
  EXPECT_EQ(Loops_Of(tree.Frame(), 2)[0][0], (Pixel{5, 1}));
}

TEST_F(Contour_Shapes, OnePixelTagAndOnePixelLineHaveNoLoop) {
  const Tag_Map m({
      "........",
      ".1......",
      "....222.",
      "........",
  });
  Frame_Tree tree(Record_Of(m));
  ASSERT_EQ(Fct_Contour_Create(tree.Frame(), Loops, 1, 1), 1);
  EXPECT_EQ(Points_Of(tree.Frame(), 1), (std::vector<Pixel>{{1, 1}}));
  EXPECT_EQ(Points_Of(tree.Frame(), 2).size(), 3u);
  Quarn_Buffer* loops = reinterpret_cast<Quarn_Buffer*>(1);
  EXPECT_EQ(Fct_Contour_Get_Loops(tree.Frame(), 1, &loops), 0);
  EXPECT_EQ(loops, nullptr);
  EXPECT_EQ(Fct_Contour_Get_Loops(tree.Frame(), 2, &loops), 0);  // the opposite pairs cancel
}

TEST_F(Contour_Shapes, DiagonalNeighboursAreNotJoined) {
  const struct {
    const char* what;
    std::vector<std::string> lines;
    int tag;
    size_t loops;
    size_t loop_size;
  } cases[] = {
      // Two squares meeting at a corner along the main diagonal (cell mask 9): two loops.
      {"main diagonal", {".......", ".111...", ".111...", ".111...", "....111", "....111", "....111"}, 1, 2, 8},
      // The same along the other diagonal (cell mask 6).
      {"anti-diagonal", {".......", "....111", "....111", "....111", ".111...", ".111...", ".111..."}, 1, 2, 8},
      // A checkerboard of single pixels: every cell is a saddle, nothing closes.
      {"checkerboard", {"1.1.1.", ".1.1.1", "1.1.1.", ".1.1.1"}, 1, 0, 0},
      // Two tags crossing over a saddle: each sees its own diagonal pair only.
      {"two tags", {"......", ".12...", ".21...", "......"}, 2, 0, 0},
  };
  for (const auto& c : cases) {
    Frame_Tree tree(Record_Of(Tag_Map(c.lines)));
    ASSERT_EQ(Fct_Contour_Create(tree.Frame(), Loops_Extend, 1, 1), 1) << c.what;
    const std::vector<Loop> loops = Loops_Of(tree.Frame(), c.tag);
    ASSERT_EQ(loops.size(), c.loops) << c.what;
    for (const Loop& l : loops) EXPECT_EQ(l.size(), c.loop_size) << c.what;
  }
}

TEST_F(Contour_Shapes, TagOnTheBorderClosesOnlyWithTheExtendedGrid) {
  Tag_Map m(8, 6);
  m.Fill(0, 0, 3, 2, 1);
  Frame_Tree tree(Record_Of(m));
  Quarn_2D_Frame* f = tree.Frame();
  // Without the extension the chain along the edge is open: no loop can be built.
  EXPECT_EQ(Fct_Contour_Create(f, Loops, 1, 1), 0);
  EXPECT_EQ(Fct_Contour_Get_Points(f, 1, nullptr), 0);
  EXPECT_EQ(f->tag_used[1], 1) << "a failed tag waits for the next computation";
  EXPECT_EQ(Fct_Contour_Create(f, Loops, 1, 1), 0) << "and fails again";
  // Points alone need no closed chain.
  EXPECT_EQ(Fct_Contour_Create(f, CONTOUR_ABOVE, 1, 1), 1);
  EXPECT_EQ(Points_Of(f, 1).size(), 5u);  // row 2 and (3, 1): pixels on the frame edge have no outside cell
  // With the grid one step beyond the border the loop runs along the edge.
  ASSERT_EQ(Fct_Contour_Create(f, Loops_Extend, 1, 1), 1);
  const std::vector<Loop> loops = Loops_Of(f, 1);
  ASSERT_EQ(loops.size(), 1u);
  EXPECT_EQ(loops[0].size(), 10u);
  EXPECT_EQ(Twice_Area(loops[0]), -2 * 6);
  EXPECT_EQ(Points_Of(f, 1), Boundary_Pixels(m, 1));
}

TEST_F(Contour_Shapes, CoarseGridNodesArePushedOntoTheTrueEdge) {
  Tag_Map m(20, 20);
  m.Fill(3, 5, 14, 12, 1);
  Frame_Tree tree(Record_Of(m));
  ASSERT_EQ(Fct_Contour_Create(tree.Frame(), Loops_Extend, 4, 4), 1);
  // Grid nodes (4..12 step 4, 8..12 step 4) walk away from their same-tag neighbours.
  const std::vector<Pixel> expected = {{3, 5}, {8, 5}, {14, 5}, {3, 12}, {8, 12}, {14, 12}};
  EXPECT_EQ(Points_Of(tree.Frame(), 1), expected);
  const std::vector<Loop> loops = Loops_Of(tree.Frame(), 1);
  ASSERT_EQ(loops.size(), 1u);
  EXPECT_EQ(loops[0].size(), 6u);
  EXPECT_EQ(Twice_Area(loops[0]), -2 * 11 * 7);
}

TEST_F(Contour_Shapes, CoarsePushStopsWhereTheTagEnds) {
  // An L shape on a grid of step 2: corner nodes walk diagonally until the tag ends, then along
  // whichever axis still has it.
  const Tag_Map m({
      "..........",
      "..........",
      "...1111...",
      "...1111...",
      ".111111...",
      ".111111...",
      ".111111...",
      "..........",
  });
  Frame_Tree tree(Record_Of(m));
  ASSERT_EQ(Fct_Contour_Create(tree.Frame(), Loops_Extend, 2, 2), 1);
  const std::vector<Pixel> points = Points_Of(tree.Frame(), 1);
  for (const Pixel& p : points) EXPECT_EQ(m.Tag(p.x, p.y), 1) << p.x << "," << p.y;
  // (4, 2) goes up-left to the corner (3, 2); (2, 4) cannot go up, so only left, to (1, 4).
  EXPECT_NE(std::find(points.begin(), points.end(), Pixel{3, 2}), points.end());
  EXPECT_NE(std::find(points.begin(), points.end(), Pixel{1, 4}), points.end());
}

using Contour_Input = Contour_Test;

TEST_F(Contour_Input, BadStepsAndFramesAreRefused) {
  Tag_Map m(6, 6);
  m.Fill(1, 1, 4, 4, 1);
  Frame_Tree tree(Record_Of(m));
  const struct {
    int step_x, step_y;
  } bad[] = {{0, 1}, {1, 0}, {-2, 1}, {1, -1}};
  for (const auto& b : bad) EXPECT_EQ(Fct_Contour_Create(tree.Frame(), Loops, b.step_x, b.step_y), 0);
  EXPECT_EQ(Fct_Contour_Get_Points(tree.Frame(), 1, nullptr), 0);
  EXPECT_EQ(Fct_Contour_Create(nullptr, Loops, 1, 1), 0);
  EXPECT_EQ(Fct_Contour_Get_Points(nullptr, 1, nullptr), 0);
  EXPECT_EQ(Fct_Contour_Get_Loops(nullptr, 1, nullptr), 0);
  Fct_Contour_Free(nullptr);
}

TEST_F(Contour_Input, StepsLargerThanTheFrame) {
  Tag_Map m(6, 5);
  m.Fill(0, 0, 5, 4, 2);
  Frame_Tree tree(Record_Of(m));
  // Without the extension there is no whole cell: nothing to find, and nothing wrong.
  EXPECT_EQ(Fct_Contour_Create(tree.Frame(), Loops, 100, 7), 1);
  EXPECT_EQ(Fct_Contour_Get_Points(tree.Frame(), 2, nullptr), 0);
  // With it the one grid point inside is a lone corner of every cell: a point, no loop.
  EXPECT_EQ(Fct_Contour_Create(tree.Frame(), Loops_Extend, 100, 7), 1);
  EXPECT_EQ(Points_Of(tree.Frame(), 2), (std::vector<Pixel>{{0, 0}}));
  EXPECT_EQ(Fct_Contour_Get_Loops(tree.Frame(), 2, nullptr), 0);
}

TEST_F(Contour_Input, FramesWithoutTagsOrTagsBeyondTheCount) {
  Tag_Map m(8, 8);
  Frame_Tree empty(Record_Of(m));
  EXPECT_EQ(Fct_Contour_Create(empty.Frame(), Loops_Extend, 1, 1), 1);
  for (int t = 0; t < 8; ++t) EXPECT_EQ(Fct_Contour_Get_Points(empty.Frame(), int16_t(t), nullptr), 0);
  m.Fill(1, 1, 3, 3, 12);  // above $TAG_NB = 8
  m.Fill(5, 5, 6, 6, 7);
  Frame_Tree high(Record_Of(m));
  EXPECT_EQ(Fct_Contour_Create(high.Frame(), Loops_Extend, 1, 1), 1);
  EXPECT_EQ(Fct_Contour_Get_Points(high.Frame(), 12, nullptr), 0);
  EXPECT_EQ(Fct_Contour_Get_Points(high.Frame(), 7, nullptr), 4);
  for (int16_t t : {int16_t(-1), int16_t(256), int16_t(300)}) EXPECT_EQ(Fct_Contour_Get_Points(high.Frame(), t, nullptr), 0);
  Variables().tag_nb = 300;  // more than a tag byte holds: every tag value counts
  EXPECT_EQ(Fct_Contour_Create(high.Frame(), Loops_Extend, 1, 1), 1);
  EXPECT_EQ(Fct_Contour_Get_Points(high.Frame(), 12, nullptr), 8);
}

TEST_F(Contour_Input, AFrameWithoutPixelDataReadsNoTags) {
  Frame_Tree tree(Record_Of(Tag_Map(4, 4)));
  Quarn_2D_Frame* f = tree.Frame();
  f->fct_read_tag = nullptr;  // a module took the reader away
  EXPECT_EQ(Fct_Contour_Create(f, Loops_Extend, 1, 1), 1);
  EXPECT_EQ(Fct_Contour_Get_Points(f, 1, nullptr), 0);
}

// A record without a tag plane: the frame's tag layer is empty (all 0), so there is nothing to
// find; once the host gives the record its tags, the next computation finds them.
TEST_F(Contour_Input, ARecordWithoutTagPlaneHasAnEmptyTagLayer) {
  Tag_Map m(8, 6);
  m.Fill(2, 1, 5, 4, 3);
  Frame_Tree tree(Record_Of(m));
  Host_Image_Record* record = tree.Record();
  uint8_t* plane = record->tags;
  record->tags = nullptr;
  EXPECT_EQ(Fct_Contour_Create(tree.Frame(), Loops_Extend, 1, 1), 1);
  for (int t = 0; t < 8; ++t) EXPECT_EQ(Fct_Contour_Get_Points(tree.Frame(), int16_t(t), nullptr), 0) << t;
  EXPECT_EQ(Fct_Contour_Get_Loops(tree.Frame(), 3, nullptr), 0);
  record->tags = plane;
  tree.Frame()->Region_Update_Set(nullptr);
  ASSERT_NE(tree.Frame()->Work_TAG_Load(), nullptr);
  EXPECT_EQ(Fct_Contour_Create(tree.Frame(), Loops_Extend, 1, 1), 1);
  EXPECT_EQ(Fct_Contour_Get_Loops(tree.Frame(), 3, nullptr), 1);
  EXPECT_EQ(Fct_Contour_Get_Points(tree.Frame(), 3, nullptr), 12);
}

using Contour_Reuse = Contour_Test;

TEST_F(Contour_Reuse, SameParametersAndNoTagChangeKeepTheContours) {
  Tag_Map m(12, 8);
  m.Fill(1, 1, 4, 4, 1);
  m.Fill(7, 2, 10, 5, 2);
  Frame_Tree tree(Record_Of(m));
  Quarn_2D_Frame* f = tree.Frame();
  ASSERT_EQ(Fct_Contour_Create(f, Loops, 1, 1), 1);
  EXPECT_TRUE(Recomputed(f));
  Point_2D *one = nullptr, *again = nullptr;
  Fct_Contour_Get_Points(f, 1, &one);
  ASSERT_EQ(Fct_Contour_Create(f, Loops, 1, 1), 1);
  EXPECT_FALSE(Recomputed(f)) << "nothing to compute";
  // A tag write marks its tag: only that tag is computed again.
  ASSERT_EQ(layers_test::Write(f, 10, 6, 2), 1);
  ASSERT_EQ(Fct_Contour_Create(f, Loops, 1, 1), 1);
  Fct_Contour_Get_Points(f, 1, &again);
  EXPECT_EQ(again, one);
  EXPECT_EQ(Fct_Contour_Get_Points(f, 2, &again), 13);
  // Other steps or flags compute everything again.
  EXPECT_TRUE(Recomputed(f));
  ASSERT_EQ(Fct_Contour_Create(f, Loops_Extend, 1, 1), 1);
  EXPECT_TRUE(Recomputed(f));
  EXPECT_EQ(Fct_Contour_Get_Points(f, 1, nullptr), 12);
  for (int t = 0; t < 256; ++t) EXPECT_EQ(f->tag_used[t], 0) << t;
}

// Regression: a tag write marked only the tag written, so the tag it replaced kept contours
// around a pixel it no longer had.
TEST_F(Contour_Reuse, OverwritingATagMarksTheTagThatLostThePixel) {
  Tag_Map m(10, 8);
  m.Fill(1, 1, 4, 4, 1);
  m.Fill(5, 1, 8, 4, 2);
  Frame_Tree tree(Record_Of(m));
  Quarn_2D_Frame* f = tree.Frame();
  ASSERT_EQ(Fct_Contour_Create(f, Loops, 1, 1), 1);
  ASSERT_EQ(Fct_Contour_Get_Points(f, 1, nullptr), 12);
  for (int y = 1; y <= 4; ++y) ASSERT_EQ(layers_test::Write(f, 4, float(y), 2), 1);
  ASSERT_EQ(Fct_Contour_Create(f, Loops, 1, 1), 1);
  EXPECT_EQ(Fct_Contour_Get_Points(f, 1, nullptr), 10) << "tag 1 is 3 x 4 now";
  EXPECT_EQ(Fct_Contour_Get_Points(f, 2, nullptr), 14) << "tag 2 is 5 x 4 now";
}

TEST_F(Contour_Reuse, ReloadedTagRectangleMarksTheTagsItChanged) {
  Tag_Map m(10, 10);
  m.Fill(1, 1, 3, 3, 1);
  m.Fill(6, 6, 8, 8, 2);
  Frame_Tree tree(Record_Of(m));
  Quarn_2D_Frame* f = tree.Frame();
  ASSERT_EQ(Fct_Contour_Create(f, Loops, 1, 1), 1);
  Point_2D* one = nullptr;
  Fct_Contour_Get_Points(f, 1, &one);
  // The host changes the record behind the frame and asks for the rectangle to be reloaded.
  for (int y = 6; y <= 8; ++y)
    for (int x = 6; x <= 8; ++x) layers_test::Record_Tag_Ref(tree.Record(), x, y) = 4;
  f->Update_Child_A(UPDATE_DATA_TAG, nullptr, nullptr, nullptr);
  ASSERT_EQ(Fct_Contour_Create(f, Loops, 1, 1), 1);
  Point_2D* again = nullptr;
  Fct_Contour_Get_Points(f, 1, &again);
  EXPECT_EQ(again, one) << "tag 1 did not change";
  EXPECT_EQ(Fct_Contour_Get_Points(f, 2, nullptr), 0);
  EXPECT_EQ(Fct_Contour_Get_Points(f, 4, nullptr), 8);
}

TEST_F(Contour_Reuse, FreeDropsTheContoursAndTheNextComputationStartsAfresh) {
  Tag_Map m(6, 6);
  m.Fill(1, 1, 4, 4, 1);
  Frame_Tree tree(Record_Of(m));
  Quarn_2D_Frame* f = tree.Frame();
  Fct_Contour_Free(f);  // no store yet: nothing to do
  ASSERT_EQ(Fct_Contour_Create(f, Loops, 1, 1), 1);
  Fct_Contour_Free(f);
  EXPECT_EQ(Fct_Contour_Get_Points(f, 1, nullptr), 0);
  EXPECT_EQ(Fct_Contour_Get_Loops(f, 1, nullptr), 0);
  ASSERT_EQ(Fct_Contour_Create(f, Loops, 1, 1), 1);
  EXPECT_EQ(Fct_Contour_Get_Points(f, 1, nullptr), 12);
  EXPECT_EQ(Fct_Contour_Get_Loops(f, 1, nullptr), 1);
}

TEST_F(Contour_Reuse, TagsNeverComputedHaveNoContour) {
  Tag_Map m(6, 6);
  Frame_Tree tree(Record_Of(m));
  EXPECT_EQ(Fct_Contour_Get_Loops(tree.Frame(), 1, nullptr), 0);
  EXPECT_EQ(Fct_Contour_Get_Points(tree.Frame(), 1, nullptr), 0);
}

}  // namespace
