// Properties of contours on random tag maps: the extraction agrees with the plain reference for
// every flag set and step, its loops are closed, simple and oriented, and the area they enclose
// accounts for the tag's pixels cell by cell.
#include "algorithms/Contour_Reference.h"

#include <map>
#include <memory>
#include <random>
#include <set>

namespace {

using namespace contour_test;
using quarn::contour::Contour_Extract;
using quarn::contour::Outcome_Done;
using quarn::contour::Outcome_Open;
using quarn::contour::Request;
using quarn::contour::Tag_Contour;

constexpr int Tags = 8;  // tags 1 to 7 are extracted

/// Blobs of random tags (discs and rectangles, overlapping) with scattered single pixels, which
/// make saddles, spurs, holes and lines one pixel wide.
Tag_Map Random_Blobs(std::mt19937& rng, int w, int h, int blobs, int specks) {
  Tag_Map m(w, h);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int b = 0; b < blobs; ++b) {
    const int tag = pick(0, Tags - 1), cx = pick(0, w - 1), cy = pick(0, h - 1);
    const int rx = pick(1, std::max(1, w / 4)), ry = pick(1, std::max(1, h / 4));
    const bool disc = pick(0, 1);
    for (int y = std::max(0, cy - ry); y <= std::min(h - 1, cy + ry); ++y)
      for (int x = std::max(0, cx - rx); x <= std::min(w - 1, cx + rx); ++x) {
        const double u = double(x - cx) / rx, v = double(y - cy) / ry;
        if (!disc || u * u + v * v <= 1.0) m.At(x, y) = uint16_t(tag);
      }
  }
  for (int s = 0; s < specks; ++s) m.At(pick(0, w - 1), pick(0, h - 1)) = uint16_t(pick(0, Tags - 1));
  return m;
}

const uint8_t* Wanted() {
  static uint8_t wanted[256] = {};
  for (int t = 1; t < Tags; ++t) wanted[t] = 1;
  return wanted;
}

struct Extracted {
  quarn::contour::Outcome outcome;
  std::unique_ptr<Tag_Contour[]> tags{new Tag_Contour[256]};
};

Extracted Extract(const Tag_Map& m, uint32_t flags, int sx, int sy) {
  Extracted e;
  static quarn::contour::Workspace workspace;  // reused, as the frames' computation does
  e.outcome = Contour_Extract(m.Source(), Request{flags, sx, sy, Wanted()}, e.tags.get(), workspace);
  return e;
}

std::vector<std::vector<uint32_t>> Index_Loops(const Tag_Contour& c) {
  std::vector<std::vector<uint32_t>> out;
  for (int i = 0; i < c.Loop_Count(); ++i)
    out.emplace_back(c.indices.Data() + c.Loop_Begin(i), c.indices.Data() + c.loop_ends[size_t(i)]);
  return out;
}

std::vector<Pixel> Pixels(const Tag_Contour& c) {
  std::vector<Pixel> out;
  for (size_t i = 0; i < c.points.Size(); ++i) out.push_back({int(c.points[i].x), int(c.points[i].y)});
  return out;
}

TEST(Contour_Property, AgreesWithTheReferenceForEveryFlagSetAndStep) {
  std::mt19937 rng(20240611);
  // Every combination that changes what belongs to an area, with and without the extension.
  const uint32_t flag_sets[] = {0, CONTOUR_ABOVE, CONTOUR_BELOW, CONTOUR_ABOVE | CONTOUR_BELOW, CONTOUR_LOOPS,
                                CONTOUR_EXTEND, CONTOUR_EXTEND | CONTOUR_ABOVE, CONTOUR_EXTEND | CONTOUR_BELOW,
                                CONTOUR_EXTEND | CONTOUR_LOOPS};
  int compared = 0;
  for (int round = 0; round < 120; ++round) {
    const int w = std::uniform_int_distribution<int>(1, 40)(rng);
    const int h = std::uniform_int_distribution<int>(1, 40)(rng);
    const Tag_Map m = Random_Blobs(rng, w, h, 6, (w * h) / 40);
    const int sx = std::uniform_int_distribution<int>(1, 5)(rng), sy = std::uniform_int_distribution<int>(1, 5)(rng);
    for (uint32_t flags : flag_sets)
      for (const auto& step : {std::pair{1, 1}, std::pair{sx, sy}}) {
        const Reference_Result ref = Reference(m, flags, step.first, step.second, Wanted());
        const Extracted got = Extract(m, flags, step.first, step.second);
        const std::string where = "round " + std::to_string(round) + " flags " + std::to_string(flags) +
                                  " step " + std::to_string(step.first) + "x" + std::to_string(step.second);
        ASSERT_EQ(got.outcome, ref.closed ? Outcome_Done : Outcome_Open) << where;
        if (!ref.closed) continue;
        for (int t = 1; t < Tags; ++t) {
          ASSERT_EQ(Pixels(got.tags[t]), ref.points[t]) << where << " tag " << t;
          ASSERT_EQ(Index_Loops(got.tags[t]), ref.loops[t]) << where << " tag " << t;
        }
        ++compared;
      }
  }
  EXPECT_GT(compared, 1500);
}

// The cells of the extended grid that the loops of tag t enclose: whole cells (four corners of
// the tag) and half cells (three corners, cut by a diagonal).
struct Cell_Count {
  long whole = 0, halves = 0, corner_quarters = 0;
};

Cell_Count Count_Cells(const Tag_Map& m, int t) {
  Cell_Count c;
  for (int y = -1; y < m.height; ++y)
    for (int x = -1; x < m.width; ++x) {
      const int k = (m.Tag(x, y) == t) + (m.Tag(x + 1, y) == t) + (m.Tag(x, y + 1) == t) + (m.Tag(x + 1, y + 1) == t);
      c.whole += k == 4, c.halves += k == 3, c.corner_quarters += k;
    }
  return c;
}

TEST(Contour_Property, LoopsAreClosedSimpleAndEncloseTheTagCellByCell) {
  std::mt19937 rng(7);
  for (int round = 0; round < 40; ++round) {
    const Tag_Map m = Random_Blobs(rng, 96, 80, 14, 200);
    const Extracted got = Extract(m, CONTOUR_LOOPS | CONTOUR_EXTEND, 1, 1);
    ASSERT_EQ(got.outcome, Outcome_Done) << round;
    for (int t = 1; t < Tags; ++t) {
      const Tag_Contour& c = got.tags[t];
      const std::vector<Loop> loops = Loops_Of(c);
      std::set<std::tuple<int, int, int, int>> edges;
      std::map<std::pair<int, int>, int> diagonals;  // cell -> diagonals crossing it
      long twice_area = 0;
      for (const Loop& loop : loops) {
        ASSERT_GE(loop.size(), 3u) << "a loop encloses something";
        for (size_t i = 0; i < loop.size(); ++i) {
          const Pixel a = loop[i], b = loop[(i + 1) % loop.size()];  // the last point joins the first
          ASSERT_NE(a.x, -1000) << "index within the points";
          ASSERT_TRUE(std::abs(a.x - b.x) <= 1 && std::abs(a.y - b.y) <= 1 && !(a == b))
              << "round " << round << " tag " << t << ": a step to a neighbour pixel";
          EXPECT_TRUE(edges.insert({a.x, a.y, b.x, b.y}).second) << "no edge walked twice";
          EXPECT_EQ(edges.count({b.x, b.y, a.x, a.y}), 0u) << "no edge walked both ways";
          if (a.x != b.x && a.y != b.y) ++diagonals[{std::min(a.x, b.x), std::min(a.y, b.y)}];
        }
        twice_area += Twice_Area(loop);
      }
      for (const auto& [cell, n] : diagonals) EXPECT_EQ(n, 1) << "no loop crosses another in a cell";
      // Area on the left in frame space: the tag's area is minus the shoelace sum.
      const Cell_Count cells = Count_Cells(m, t);
      EXPECT_EQ(-twice_area, 2 * cells.whole + cells.halves) << "round " << round << " tag " << t;
      // Against the pixel count: each boundary pixel loses at most its four quarter cells.
      long pixels = 0;
      for (uint16_t v : m.cells) pixels += v == t;
      EXPECT_EQ(cells.corner_quarters, 4 * pixels);
      const long missing_twice = 2 * pixels + twice_area;
      EXPECT_GE(missing_twice, 0);
      EXPECT_LE(missing_twice, 2 * long(c.points.Size())) << "the sampling error is below a pixel per point";
    }
  }
}

TEST(Contour_Property, EmptyAndDegenerateMapsGiveNothingAndFailNothing) {
  const struct {
    int w, h, sx, sy;
    uint32_t flags;
  } cases[] = {
      {0, 0, 1, 1, CONTOUR_LOOPS | CONTOUR_EXTEND},  // no pixels at all
      {0, 5, 1, 1, CONTOUR_LOOPS | CONTOUR_EXTEND},  // no columns
      {1, 1, 1, 1, CONTOUR_LOOPS},                   // no whole cell
      {7, 3, 9, 9, CONTOUR_LOOPS},                   // steps beyond the map
      {7, 3, 60000, 60000, CONTOUR_LOOPS | CONTOUR_EXTEND},
  };
  for (const auto& c : cases) {
    Tag_Map m(c.w, c.h);
    for (uint16_t& v : m.cells) v = 3;
    const Extracted got = Extract(m, c.flags, c.sx, c.sy);
    EXPECT_EQ(got.outcome, Outcome_Done) << c.w << "x" << c.h;
    EXPECT_EQ(got.tags[3].Loop_Count(), 0);
    EXPECT_LE(got.tags[3].points.Size(), 1u);
  }
}

}  // namespace
