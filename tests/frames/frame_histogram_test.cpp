// Tests of the frame histogram (bin counts, limits, tag filter, colour components) and of the
// conversion of stored grey integers to real values.
#include "frames/Frame_Layers_Host.h"

#include <numeric>

namespace {

using namespace layers_test;

// A 10 x 10 S16 ramp 0 ... 99 (slope and intercept as given).
Host_Image_Record* Ramp(float slope = 1, float intercept = 0) {
  std::vector<int16_t> v(100);
  std::iota(v.begin(), v.end(), int16_t(0));
  Host_Image_Layout layout;
  layout.slope = slope;
  layout.intercept = intercept;
  return Record(10, 10, 1, HOST_PIXEL_S16, v, &layout);
}

uint32_t Total(const Quarn_Histogram* h, int array = 0) {
  return std::accumulate(h->counts[array], h->counts[array] + h->bins, 0u);
}

using Histogram = Layers_Test;

TEST_F(Histogram, BinsFollowTheValueSpanAndTheLimit) {
  const struct {
    const char* what;
    int32_t low;        // a ramp of S32 values from low, one pixel each...
    int columns, rows;  // ...over a frame of this size
    uint16_t limit;     // $GLI_HISTO_BINS_MAX
    int bins;
    float width;
  } cases[] = {
      {"one bin per value", 0, 100, 1, 4096, 100, 1.0f},
      {"divided by 10", 0, 100, 1, 10, 10, 10.0f},
      {"divided by 18", 0, 700, 100, 4096, 3888, 70000.0f / 3888},
      {"just over the limit", 0, 241, 17, 4096, 2048, 4097.0f / 2048},
      {"one value", 5, 1, 1, 4096, 1, 1.0f},
  };
  for (const auto& c : cases) {
    Variables().bins_max = c.limit;
    const int n = c.columns * c.rows;
    std::vector<int32_t> v(static_cast<size_t>(n));
    std::iota(v.begin(), v.end(), c.low);
    Frame_Tree tree(Record(c.columns, c.rows, 1, HOST_PIXEL_S32, v));
    Quarn_Histogram* h = tree.Frame()->Histogram_Compute(0);
    ASSERT_NE(h, nullptr) << c.what;
    EXPECT_EQ(h->bins, c.bins) << c.what;
    EXPECT_FLOAT_EQ(h->width, c.width) << c.what;
    EXPECT_FLOAT_EQ(h->start, float(c.low) - 0.4999f) << c.what;
    EXPECT_EQ(h->flags, 0) << c.what;
    EXPECT_EQ(Total(h), uint32_t(n)) << c.what << ": every pixel counted once";
    EXPECT_EQ(h->counts[0][0], n == 1 ? 1u : uint32_t(n / c.bins)) << c.what;
    EXPECT_GE(h->counts[0][c.bins - 1], 1u) << c.what << ": the largest value lands in the last bin";
    EXPECT_EQ(h->peak, *std::max_element(h->counts[0], h->counts[0] + h->bins)) << c.what;
  }
}

TEST_F(Histogram, SlopeWidensTheBins) {
  Frame_Tree tree(Ramp(2, -50));  // real values -50 ... 148
  Quarn_Histogram* h = tree.Frame()->Histogram_Compute(0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->bins, 99);  // span (148 + 50 + 1) / 2 = 99.5
  EXPECT_FLOAT_EQ(h->start, -50.4999f);
  EXPECT_FLOAT_EQ(h->width, 199.0f / 99);
  EXPECT_EQ(Total(h), 100u);
  EXPECT_EQ(h->counts[0][0], 1u);
  // Bin = (real value - start) / width: real 48 and 50 both fall in bin 49, the only shared one.
  EXPECT_EQ(h->counts[0][49], 2u);
  EXPECT_EQ(h->counts[0][98], 1u);
  EXPECT_EQ(h->peak, 2u);
}

TEST_F(Histogram, SkipsPaddingAndPixelsOfOtherTags) {
  std::vector<int16_t> v(100);
  std::iota(v.begin(), v.end(), int16_t(0));
  v[50] = -1;
  Host_Image_Layout layout;
  layout.pad_value = -1;
  Frame_Tree tree(Record(10, 10, 1, HOST_PIXEL_S16, v, &layout));
  Quarn_2D_Frame* f = tree.Frame();
  EXPECT_EQ(Total(f->Histogram_Compute(0)), 99u);
  for (int x : {1, 2, 3}) Record_Tag_Ref(tree.Record(), x, 4) = 3;  // values 41, 42, 43
  Record_Tag_Ref(tree.Record(), 0, 5) = 3;                          // padding: still skipped
  Quarn_Histogram* h = f->Histogram_Compute(3);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(Total(h), 3u);
  EXPECT_EQ(h->counts[0][41] + h->counts[0][42] + h->counts[0][43], 3u);
  EXPECT_EQ(h->peak, 1u);
}

TEST_F(Histogram, ColourFramesCountEachComponent) {
  const std::vector<uint32_t> pixels = {
      0xFF0000C8,  // red 200
      0xFF006400,  // green 100
      0xFF1E140A,  // red 10, green 20, blue 30
      0x00FFFFFF,  // alpha 0: padding
  };
  Frame_Tree tree(Record(4, 1, 1, HOST_PIXEL_RGBA, pixels));
  Quarn_Histogram* h = tree.Frame()->Histogram_Compute(0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->flags, HISTOGRAM_COLOR);
  EXPECT_EQ(h->bins, 256);
  EXPECT_FLOAT_EQ(h->start, 0.0f);
  EXPECT_FLOAT_EQ(h->width, 1.0f);
  const struct {
    int array, bin;
    uint32_t count;
  } counts[] = {
      {0, 59, 1}, {0, 58, 1}, {0, 18, 1},     // luminance 0.587 g + 0.299 r + 0.114 b
      {1, 200, 1}, {1, 0, 1}, {1, 10, 1},     // red
      {2, 0, 1}, {2, 100, 1}, {2, 20, 1},     // green
      {3, 0, 2}, {3, 30, 1},                  // blue
      {4, 200, 1}, {4, 100, 1}, {4, 30, 1},   // largest component
  };
  for (const auto& c : counts) EXPECT_EQ(h->counts[c.array][c.bin], c.count) << c.array << ":" << c.bin;
  for (int a = 0; a < 5; ++a) EXPECT_EQ(Total(h, a), 3u) << "array " << a;
  EXPECT_EQ(h->peak, 2u);
}

TEST_F(Histogram, EmptyRangeGivesAHeaderWithoutWidth) {
  Frame_Tree tree(Ramp());
  Quarn_2D_Frame* f = tree.Frame();
  f->gli_min = 5;
  f->gli_max = 4;  // span exactly 0
  Host_Report_Capture capture;
  Quarn_Histogram* h = f->Histogram_Compute(0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->bins, 1);
  EXPECT_EQ(h->width, 0.0f);
  EXPECT_EQ(h->peak, 0u);
  EXPECT_EQ(Total(h), 0u);
  EXPECT_TRUE(capture.Contains("<<< out Class: Quarn_2D_Frame::Histogram_Compute(! range)"));
}

TEST_F(Histogram, GetKeepsTheHistogramUntilItIsDeleted) {
  Frame_Tree tree(Ramp());
  Quarn_2D_Frame* f = tree.Frame();
  Quarn_Histogram* h = f->Histogram_Get();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(f->Histogram_Get(), h);
  Quarn_Buffer* buffer = f->User_Get(8);
  ASSERT_NE(buffer, nullptr);
  EXPECT_STREQ(buffer->Name_Get(), L"Histogram");
  EXPECT_EQ(buffer->Size_Get(), 56u + 100u * 4u);  // header and one count per bin
  f->Histogram_Delete();
  EXPECT_EQ(f->User_Get(8), nullptr);
  h = f->Histogram_Get();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(Total(h), 100u);
}

using Grey_Value = Layers_Test;

TEST_F(Grey_Value, ConvertsThroughTheRecordsSlopeAndInterceptAndReportsANullFrame) {
  const struct {
    const char* what;
    int kind;
    float slope, intercept;
    int stored;
    float expect;
  } cases[] = {
      {"S16 scaled", HOST_PIXEL_S16, 2, -1000, 10, -980},
      {"U16 halved", HOST_PIXEL_U16, 0.5f, 0, 3, 1.5f},
      {"colour unchanged", HOST_PIXEL_RGBA, 1, 0, 0x00102030, float(0x00102030)},
  };
  for (const auto& c : cases) {
    Host_Image_Layout layout;
    layout.slope = c.slope;
    layout.intercept = c.intercept;
    Frame_Tree tree(Host_Image_Create(1, 1, 1, 1, c.kind, nullptr, &layout));
    EXPECT_FLOAT_EQ(Fct_GLI_2_Float(tree.Frame(), c.stored), c.expect) << c.what;
  }
  Host_Report_Capture capture;
  EXPECT_EQ(Fct_GLI_2_Float(nullptr, 5), 0.0f);
  EXPECT_TRUE(capture.Contains("Invalid frame class pointer in Fct_GLI_2_Float"));
}

TEST_F(Grey_Value, FloatPixelsComeBackFromTheirStoredIntegers) {
  const std::vector<float> values = {-1.5f, 0.0f, 2.25f, 100.0f};
  Frame_Tree tree(Record(4, 1, 1, HOST_PIXEL_FLOAT, values));
  Quarn_2D_Frame* f = tree.Frame();
  const float step = f->conv_b;  // one stored unit
  for (int x = 0; x < 4; ++x)
    EXPECT_NEAR(Fct_GLI_2_Float(f, Grey(f, float(x), 0)), values[size_t(x)], step) << x;
}

}  // namespace
