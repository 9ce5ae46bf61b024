// Smoothed values and gradients of frames: a reference model of the smoothing, closed forms on
// planes and quadratics, the neighbouring slices, the cache states of pixels without a value,
// colour components, invalidation by a grey update, and concurrent sampling.
#include "frames/Frame_Layers_Host.h"

#include <quarn/classes/Class_Flag.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <thread>

namespace {

using namespace layers_test;

using Frame_Gradient = Layers_Test;

Vec4 At(Quarn_2D_Frame* f, float x, float y) { return Vec4(x, y, float(f->z_index), float(f->t_index)); }
int Filtered(Quarn_2D_Frame* f, float x, float y) {
  return reinterpret_cast<Quarn_Frame_Grad_Value>(f->fct_grad[0])(f, At(f, x, y), f->image);
}
int Magnitude(Quarn_2D_Frame* f, float x, float y) {
  return reinterpret_cast<Quarn_Frame_Grad_Value>(f->fct_grad[1])(f, At(f, x, y), f->image);
}
Vec4 Direction(Quarn_2D_Frame* f, float x, float y) {
  return reinterpret_cast<Quarn_Frame_Grad_Dir>(f->fct_grad[2])(f, At(f, x, y), f->image);
}

// The 5 x 5 weights as the smoothing defines them.
int Weight(int dx, int dy) { return int(1000.0 * std::exp(-(dx * dx + dy * dy) * 0.25)); }

// An S16 record of columns x rows x slices from a function of (x, y, slice).
Host_Image_Record* Image(int columns, int rows, int slices, const std::function<int(int, int, int)>& value,
                         int32_t pad = HOST_IMAGE_NO_PAD) {
  std::vector<int16_t> v;
  for (int s = 0; s < slices; ++s)
    for (int y = 0; y < rows; ++y)
      for (int x = 0; x < columns; ++x) v.push_back(int16_t(value(x, y, s)));
  Host_Image_Layout layout;
  layout.pad_value = pad;
  return Record(columns, rows, slices, HOST_PIXEL_S16, v, &layout);
}

TEST_F(Frame_Gradient, FilteredValueIsTheWeightedMeanOfTheValidNeighbours) {
  // A noisy image with padding pixels scattered in it, borders included; the reference model
  // sums the valid in-frame neighbours with their weights.
  const int W = 11, H = 8, Pad = -999;
  auto value = [](int x, int y, int) { return (x * 7 + y * 13) % 5 == 0 ? Pad : (x * 37 + y * 91) % 400 - 150; };
  Frame_Tree tree(Image(W, H, 1, value, Pad));
  Quarn_2D_Frame* f = tree.Frame();
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      int expect;
      if (value(x, y, 0) == Pad) {
        expect = -2;
      } else {
        long long sum = 0, weights = 0;
        for (int dy = -2; dy <= 2; ++dy)
          for (int dx = -2; dx <= 2; ++dx) {
            const int xx = x + dx, yy = y + dy;
            if (xx < 0 || yy < 0 || xx >= W || yy >= H || value(xx, yy, 0) == Pad) continue;
            sum += (long long)Weight(dx, dy) * value(xx, yy, 0);
            weights += Weight(dx, dy);
          }
        expect = int((sum / weights) & 0xFFFF);
      }
      ASSERT_EQ(Filtered(f, float(x) + 0.7f, float(y) + 0.2f), expect) << x << "," << y;
    }
  // Points off the frame are clamped to its border.
  EXPECT_EQ(Filtered(f, -5.0f, -3.0f), Filtered(f, 0, 0));
  EXPECT_EQ(Filtered(f, 99.0f, 3.0f), Filtered(f, W - 1, 3));
}

TEST_F(Frame_Gradient, PlaneHasItsOwnValuesAndAConstantGradient) {
  // v = 1000 + 3x + 2y: the symmetric weights keep it exactly, and the differences give
  // gx = -2 * 3 * (1 + 2 * 0.71) and gy = -2 * 2 * (1 + 2 * 0.71); one slice, so gz = 0.
  const int a = 3, b = 2;
  Frame_Tree tree(Image(16, 12, 1, [&](int x, int y, int) { return 1000 + a * x + b * y; }));
  Quarn_2D_Frame* f = tree.Frame();
  const double gx = -2 * a * 2.42, gy = -2 * b * 2.42;
  for (int y = 3; y < 9; ++y)
    for (int x = 3; x < 13; ++x) {
      EXPECT_EQ(Filtered(f, float(x), float(y)), 1000 + a * x + b * y);
      EXPECT_EQ(Magnitude(f, float(x), float(y)), int(std::sqrt(gx * gx + gy * gy)));
      const Vec4 d = Direction(f, float(x), float(y));
      // Azimuth in steps of 360/511 degrees, elevation 90 degrees in steps of 180/127.
      const double angle = std::atan2(gy, gx);
      EXPECT_NEAR(d.x, std::cos(angle), 0.02);
      EXPECT_NEAR(d.y, std::sin(angle), 0.02);
      EXPECT_NEAR(d.z, 0.0, 0.02);
    }
}

TEST_F(Frame_Gradient, QuadraticIsSmoothedAndDifferentiatedInClosedForm) {
  // v = 4x^2: the weighted mean adds 4 * sum(w dx^2) / sum(w); differences of the means at
  // x - 1 and x + 1 give -16x per row.
  int sum_w = 0, sum_wdx2 = 0;
  for (int dy = -2; dy <= 2; ++dy)
    for (int dx = -2; dx <= 2; ++dx) sum_w += Weight(dx, dy), sum_wdx2 += Weight(dx, dy) * dx * dx;
  Frame_Tree tree(Image(20, 9, 1, [](int x, int, int) { return 4 * x * x; }));
  Quarn_2D_Frame* f = tree.Frame();
  auto mean = [&](int x) { return int((4LL * x * x * sum_w + 4LL * sum_wdx2) / sum_w); };
  for (int x = 3; x < 17; ++x) {
    EXPECT_EQ(Filtered(f, float(x), 4.0f), mean(x)) << x;
    const double gx = 2.42 * (mean(x - 1) - mean(x + 1));
    EXPECT_EQ(Magnitude(f, float(x), 4.0f), int(std::fabs(gx))) << x;
  }
}

TEST_F(Frame_Gradient, NeighbouringSlicesGiveTheThirdComponent) {
  // Slices 200 apart and flat inside each: gz = (next - previous) / 4 = 100 in the middle slice;
  // the first slice has no previous one and takes its own value there: gz = 50.
  Frame_Tree tree(Image(8, 8, 3, [](int, int, int s) { return 500 + 200 * s; }));
  const struct {
    int slice, magnitude;
  } cases[] = {{0, 50}, {1, 100}, {2, 50}};
  for (const auto& c : cases) {
    Quarn_2D_Frame* f = tree.Frame(c.slice);
    EXPECT_EQ(Magnitude(f, 4, 4), c.magnitude) << c.slice;
    const Vec4 d = Direction(f, 4, 4);
    EXPECT_NEAR(d.z, 1.0, 1e-6) << c.slice;  // straight along the slice normal: elevation 0
    EXPECT_EQ(f->grad_value[4][4] & 0x7F, 0u);
  }
}

TEST_F(Frame_Gradient, FlatNeighbourhoodPacksAzimuth255AndElevation63) {
  Frame_Tree tree(Image(6, 6, 1, [](int, int, int) { return 77; }));
  Quarn_2D_Frame* f = tree.Frame();
  EXPECT_EQ(Magnitude(f, 2, 3), 0);
  EXPECT_EQ(f->grad_value[3][2], 63u | 255u << 7);
  const Vec4 d = Direction(f, 2, 3);
  const double phi = (255 * 360.0 / 511 - 180) * M_PI / 180, theta = 63 * 180.0 / 127 * M_PI / 180;
  EXPECT_FLOAT_EQ(d.x, float(std::sin(theta) * std::cos(phi)));
  EXPECT_FLOAT_EQ(d.y, float(std::sin(theta) * std::sin(phi)));
  EXPECT_FLOAT_EQ(d.z, float(std::cos(theta)));
}

// Grey reads of a frame counted on their way through its slot.
struct Read_Counter {
  static inline std::atomic<int> reads{0};
  static inline Quarn_2D_Pixel_Read forward = nullptr;
  static int Read(Quarn_2D* node, void* image, Vec4 p) {
    ++reads;
    return forward(node, image, p);
  }
};

TEST_F(Frame_Gradient, PixelsWithoutValueAreMarkedAndNotReadAgain) {
  const struct {
    const char* what;
    bool pixels;    // the record has pixel data
    int expect;     // the answer of every slot
    uint8_t state;  // the pixel's cache state afterwards
  } cases[] = {
      {"padding centre", true, -2, 254},
      {"no pixel data", false, -1, 255},
  };
  for (const auto& c : cases) {
    std::vector<int16_t> v(25, 5);
    v[12] = -1;  // the centre pixel is padding
    Host_Image_Layout layout;
    layout.pad_value = -1;
    Frame_Tree tree(Host_Image_Create(5, 5, 1, 1, HOST_PIXEL_S16, c.pixels ? v.data() : nullptr, &layout));
    Quarn_2D_Frame* f = tree.Frame();
    EXPECT_EQ(Filtered(f, 2, 2), c.expect) << c.what;
    EXPECT_EQ(f->grad_mask[2][2], c.state) << c.what;
    Read_Counter::forward = f->fct_read_gli;
    f->fct_read_gli = &Read_Counter::Read;
    Read_Counter::reads = 0;
    EXPECT_EQ(Filtered(f, 2, 2), c.expect) << c.what;
    EXPECT_EQ(Magnitude(f, 2, 2), c.expect) << c.what;
    const Vec4 d = Direction(f, 2, 2);
    EXPECT_EQ(d.x * d.x + d.y * d.y + d.z * d.z, 0.0f) << c.what;
    EXPECT_EQ(Read_Counter::reads, 0) << c.what;
  }
}

TEST_F(Frame_Gradient, MarkedPixelStaysMarkedWhenTheGradientLayerIsMade) {
  // Regression: making the gradient layer keeps only the low bits of each cache state, which
  // turned the marker 254 into 0x0E and so "smoothed value cached", with no value stored.
  std::vector<int16_t> v(49, 40);
  v[0] = -1;
  Host_Image_Layout layout;
  layout.pad_value = -1;
  Frame_Tree tree(Host_Image_Create(7, 7, 1, 1, HOST_PIXEL_S16, v.data(), &layout));
  Quarn_2D_Frame* f = tree.Frame();
  EXPECT_EQ(Filtered(f, 0, 0), -2);
  EXPECT_EQ(f->grad_value, nullptr);
  EXPECT_GE(Magnitude(f, 4, 4), 0);  // makes the gradient layer
  EXPECT_EQ(f->grad_mask[0][0], 254);
  EXPECT_EQ(Filtered(f, 0, 0), -2);
}

TEST_F(Frame_Gradient, ColourFramesSmoothTheChosenComponent) {
  // Every pixel red 10, green 200, blue 60, alpha 255.
  const uint32_t pixel = 10u | 200u << 8 | 60u << 16 | 255u << 24;
  const struct {
    uint8_t component;
    int expect;
  } cases[] = {
      {0, 200},                                    // the largest of the three
      {1, 10},                                     // red
      {2, 200},                                    // green
      {3, 60},                                     // blue
      {4, int(0.587 * 200 + 0.299 * 10 + 0.114 * 60) & 255},  // luminance
  };
  for (const auto& c : cases) {
    Variables().colour_component = c.component;
    Frame_Tree tree(Record(4, 4, 1, HOST_PIXEL_RGBA, std::vector<uint32_t>(16, pixel)));
    EXPECT_EQ(Filtered(tree.Frame(), 1, 2), c.expect) << int(c.component);
  }
}

TEST_F(Frame_Gradient, GreyUpdateDropsTheCachedValues) {
  Frame_Tree tree(Image(6, 6, 1, [](int, int, int) { return 10; }));
  Quarn_2D_Frame* f = tree.Frame();
  EXPECT_EQ(Filtered(f, 3, 3), 10);
  EXPECT_EQ(Magnitude(f, 3, 3), 0);
  int16_t* pixels = static_cast<int16_t*>(tree.Record()->pixels);
  for (int i = 0; i < 36; ++i) pixels[i] = 90;
  f->Work_GLI_Load();  // the grey layer reads the new pixels; the caches still hold the old
  EXPECT_EQ(Filtered(f, 3, 3), 10);
  f->Update_A_Set_On(quarn::mode::Self, reinterpret_cast<void*>(8), 0x1000000);
  f->Update_A(0x1000000);
  EXPECT_EQ(f->grad_mask, nullptr);
  EXPECT_EQ(f->grad_filtered, nullptr);
  EXPECT_EQ(f->grad_value, nullptr);
  EXPECT_EQ(Filtered(f, 3, 3), 90);
}

TEST_F(Frame_Gradient, ConcurrentSamplingAgreesWithOneThread) {
  // Two threads sample every pixel of the same frames in opposite orders, racing to make the
  // layers and to fill the same cells.
  auto value = [](int x, int y, int s) { return (x * x * 3 + y * 17 + s * 40) % 300; };
  Frame_Tree alone(Image(24, 20, 3, value)), shared(Image(24, 20, 3, value));
  std::vector<int> expect;
  for (int s = 0; s < 3; ++s)
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 24; ++x) expect.push_back(Magnitude(alone.Frame(s), float(x), float(y)));
  std::vector<int> got_a(expect.size()), got_b(expect.size());
  auto sample = [&](std::vector<int>& out, bool backwards) {
    for (size_t k = 0; k < out.size(); ++k) {
      const size_t i = backwards ? out.size() - 1 - k : k;
      const int s = int(i / (24 * 20)), y = int(i / 24 % 20), x = int(i % 24);
      out[i] = Magnitude(shared.Frame(s), float(x), float(y));
    }
  };
  std::thread a(sample, std::ref(got_a), false), b(sample, std::ref(got_b), true);
  a.join();
  b.join();
  EXPECT_EQ(got_a, expect);
  EXPECT_EQ(got_b, expect);
}

}  // namespace
