// Display layers of a frame rebuilt from its working layers: whole frame when the layer is new,
// then only the update region; tag colours and tag numbers; the update tables' slot order.
#include "Memory_Cap.h"
#include "display/Pixel_Host.h"
#include "frames/Frame_Layers_Host.h"

#include <quarn/core/Quarn_Buffer.h>
#include <quarn/display/Pixel_Render.h>

#include <string>
#include <vector>

namespace {

using namespace pixel_test;

constexpr int W = 6, H = 4;

// A 6 x 4 16-bit frame whose grey value at (x, y) is 10 y + x, shown through the identity map
// with the window 0 ... 256, so that a display word is the grey value itself.
class PixelDisplayUpdate : public Pixel_Test {
protected:
  void SetUp() override {
    Pixel_Test::SetUp();
    Identity_Map(256);
    std::vector<uint16_t> grey;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) grey.push_back(uint16_t(10 * y + x));
    tree_ = std::make_unique<layers_test::Frame_Tree>(Host_Image_Create(W, H, 1, 1, HOST_PIXEL_U16, grey.data()));
    f = tree_->Frame();
    f->val_min = 0, f->val_max = 256, f->conv_a = 0, f->conv_b = 1;
  }
  void TearDown() override {
    tree_.reset();
    Pixel_Test::TearDown();
  }

  uint32_t Gli(int x, int y) const { return static_cast<uint32_t*>(f->disp_gli)[y * W + x]; }
  uint32_t Tag(int x, int y) const { return static_cast<uint32_t*>(f->disp_tag)[y * W + x]; }
  void Update_Region(float x0, float y0, float x1, float y1) {
    f->Region_Update_Clear();
    f->reg_update = Region_2D(6, x0, y0, x1, y1);
  }

  std::unique_ptr<layers_test::Frame_Tree> tree_;
  Quarn_2D_Frame* f = nullptr;
};

TEST_F(PixelDisplayUpdate, NewLayerCoversTheWholeFrameWhateverTheRegion) {
  f->Region_Update_Clear();  // nothing due: a new layer is made whole all the same
  ASSERT_EQ(Class_Frame_Update_GLI_Disp(f), 1);
  ASSERT_NE(f->disp_gli, nullptr);
  Quarn_Buffer* buffer = f->User_Get(3);
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(buffer->Data_Get(), f->disp_gli);
  EXPECT_EQ(buffer->Size_Get(), uint32_t(W * H * 4));
  EXPECT_STREQ(buffer->Name_Get(), L"Disp GLI");
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) EXPECT_EQ(Gli(x, y), uint32_t(10 * y + x)) << x << "," << y;
}

struct Region_Case {
  const char* why;
  float x0, y0, x1, y1;
  std::vector<std::pair<int, int>> changed;  // pixels converted again
};

// After the first build only the update region is converted: the other pixels keep the colours
// they had even though their grey values changed.
TEST_F(PixelDisplayUpdate, LaterUpdatesConvertOnlyTheUpdateRegion) {
  const Region_Case cases[] = {
      {"one pixel", 2, 1, 2, 1, {{2, 1}}},
      {"a row of two", 1, 2, 2, 2, {{1, 2}, {2, 2}}},
      {"fractions truncate: 0.9 .. 1.7 is column 0 .. 1", 0.9f, 3, 1.7f, 3.2f, {{0, 3}, {1, 3}}},
      {"clipped to the frame", 4, -5, 40, 0, {{4, 0}, {5, 0}}},
      {"wholly outside", 10, 10, 20, 20, {}},
      {"empty region", 100000, 100000, -100000, -100000, {}},
  };
  for (const Region_Case& c : cases) {
    Update_Region(0, 0, W - 1, H - 1);
    f->disp_gli = nullptr;
    ASSERT_EQ(Class_Frame_Update_GLI_Disp(f), 1);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) f->work_gli[y][x] = 200;
    f->reg_update.x_min = c.x0, f->reg_update.y_min = c.y0;
    f->reg_update.x_max = c.x1, f->reg_update.y_max = c.y1;
    f->disp_gli = nullptr;  // as an update of the display bit leaves it
    ASSERT_EQ(Class_Frame_Update_GLI_Disp(f), 1) << c.why;
    int converted = 0;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) converted += Gli(x, y) == 200;
    EXPECT_EQ(converted, int(c.changed.size())) << c.why;
    for (auto [x, y] : c.changed) EXPECT_EQ(Gli(x, y), 200u) << c.why << " at " << x << "," << y;
    f->Work_GLI_Load();  // the record's values back
  }
}

TEST_F(PixelDisplayUpdate, TagsTakeTheirColourAndLargeTagsTheColourOfTheLastTag) {
  *Var<uint16_t>(L"$TAG_NB") = 5;
  uint16_t* red = *Var<uint16_t*>(L"$TAG_RED");
  uint16_t* green = *Var<uint16_t*>(L"$TAG_GRN");
  uint16_t* blue = *Var<uint16_t*>(L"$TAG_BLU");
  float* alpha = *Var<float*>(L"$TAG_ALPHA");
  for (int t = 0; t <= 6; ++t) {
    red[t] = uint16_t(0x1000 * t + 0xFF);  // the low byte is not a colour
    green[t] = uint16_t(0x2000 + 0x100 * t);
    blue[t] = 0x3300;
    alpha[t] = t == 0 ? 1.0f : 0.1f * float(t);
  }
  uint16_t** tags = f->Work_TAG_Get();
  const uint16_t written[W] = {0, 1, 4, 5, 6, 200};
  for (int x = 0; x < W; ++x) tags[0][x] = written[x];
  ASSERT_EQ(Class_Frame_Update_TAG_Disp(f), 1);
  EXPECT_STREQ(f->User_Get(2)->Name_Get(), L"Disp TAG");
  const uint32_t expected[W] = {
      Rgba(0x00, 0x20, 0x33, 255),           // alpha 1.0
      Rgba(0x10, 0x21, 0x33, 25),            // trunc(0.1 * 255)
      Rgba(0x40, 0x24, 0x33, 102),           // trunc(0.4 * 255)
      Rgba(0x50, 0x25, 0x33, 127),           // trunc(0.5 * 255)
      Rgba(0x50, 0x25, 0x33, 127),           // above $TAG_NB: tag 5
      Rgba(0x50, 0x25, 0x33, 127),
  };
  for (int x = 0; x < W; ++x) EXPECT_EQ(Tag(x, 0), expected[x]) << x;
}

TEST_F(PixelDisplayUpdate, TagNumberLayerHoldsBytesMadeWhileTheFlagWasSet) {
  *Var<uint16_t>(L"$TAG_NB") = 5;
  *Var<uint8_t>(L"$OPENGL_FLAG") = 0x04;
  uint16_t** tags = f->Work_TAG_Get();
  for (int x = 0; x < W; ++x) tags[1][x] = uint16_t(2 * x);
  ASSERT_EQ(Class_Frame_Update_TAG_Disp(f), 1);
  EXPECT_EQ(f->User_Get(2)->Size_Get(), uint32_t(W * H));
  const uint8_t* bytes = static_cast<uint8_t*>(f->disp_tag);
  const uint8_t expected[W] = {0, 2, 4, 5, 5, 5};
  for (int x = 0; x < W; ++x) EXPECT_EQ(bytes[W + x], expected[x]) << x;
  // The flag cleared later does not turn the byte layer into words (which would overrun it).
  *Var<uint8_t>(L"$OPENGL_FLAG") = 0;
  f->disp_tag = nullptr;
  Update_Region(0, 0, W - 1, H - 1);
  tags[1][0] = 3;
  ASSERT_EQ(Class_Frame_Update_TAG_Disp(f), 1);
  EXPECT_EQ(f->User_Get(2)->Size_Get(), uint32_t(W * H));
  EXPECT_EQ(static_cast<uint8_t*>(f->disp_tag)[W], 3);
}

TEST_F(PixelDisplayUpdate, RefusedMappingOrMissingFrameFailsWithItsReason) {
  No_Maps();
  Host_Report_Capture capture;
  EXPECT_EQ(Class_Frame_Update_GLI_Disp(f), 0);
  EXPECT_TRUE(capture.Contains("<<< out Class: Class_Frame_Update_GLI_Disp(! Fct_GLI_2_Color)"));
  EXPECT_EQ(Class_Frame_Update_GLI_Disp(nullptr), 0);
  EXPECT_EQ(Class_Frame_Update_TAG_Disp(nullptr), 0);
  EXPECT_TRUE(capture.Contains("Invalid frame class pointer"));
  EXPECT_EQ(Fct_Callback_Update_GLI_Disp(nullptr), 0);
}

// What the slots of the update tables answered, in the order they ran.
std::string g_calls;
template <int Slot, int Answer>
int Recorder(Quarn_2D_Frame*) {
  g_calls += std::to_string(Slot) + " ";
  return Answer;
}

struct Table_Case {
  const char* why;
  std::vector<std::pair<int, Quarn_Frame_Disp>> slots;
  const char* calls;
  int result;
};

TEST_F(PixelDisplayUpdate, UpdateTablesRunHighSlotsFirstAndSlotZeroUnlessSkipped) {
  const Table_Case cases[] = {
      {"slot 0 alone", {{0, &Recorder<0, 1>}}, "0 ", 1},
      {"31 down to 1, then 0", {{0, &Recorder<0, 1>}, {5, &Recorder<5, 1>}, {31, &Recorder<31, 1>}}, "31 5 0 ", 1},
      {"an answer 2 keeps slot 0 from running", {{0, &Recorder<0, 1>}, {7, &Recorder<7, 2>}}, "7 ", 1},
      {"a failed slot: the walk goes on, the result is 0",
       {{0, &Recorder<0, 1>}, {3, &Recorder<3, 1>}, {9, &Recorder<9, 0>}}, "9 3 0 ", 0},
      {"a failed slot 0", {{0, &Recorder<0, 0>}}, "0 ", 0},
      {"2 and 0 together", {{0, &Recorder<0, 1>}, {2, &Recorder<2, 2>}, {4, &Recorder<4, 0>}}, "4 2 ", 0},
      {"an empty table", {}, "", 1},
  };
  for (const Table_Case& c : cases) {
    for (auto* table : {f->fct_gli_disp, f->fct_tag_disp}) {
      std::fill(table, table + 32, nullptr);
      for (auto [slot, fn] : c.slots) table[slot] = fn;
    }
    g_calls.clear();
    EXPECT_EQ(Fct_Callback_Update_GLI_Disp(f), c.result) << c.why;
    EXPECT_EQ(g_calls, c.calls) << c.why;
    g_calls.clear();
    EXPECT_EQ(Fct_Callback_Update_TAG_Disp(f), c.result) << c.why;
    EXPECT_EQ(g_calls, c.calls) << c.why;
  }
}

TEST_F(PixelDisplayUpdate, DefaultTablesBuildBothLayers) {
  EXPECT_EQ(Fct_Callback_Update_GLI_Disp(f), 1);
  EXPECT_EQ(Fct_Callback_Update_TAG_Disp(f), 1);
  EXPECT_NE(f->disp_gli, nullptr);
  EXPECT_NE(f->disp_tag, nullptr);
}

// Display layers go with their buffers: a host clean-up of the frame's buffers clears the views.
TEST_F(PixelDisplayUpdate, LayerViewsGoWithTheirBuffers) {
  ASSERT_EQ(Class_Frame_Update_GLI_Disp(f), 1);
  ASSERT_EQ(Class_Frame_Update_TAG_Disp(f), 1);
  f->User_Delete(3);
  f->User_Delete(2);
  EXPECT_EQ(f->disp_gli, nullptr);
  EXPECT_EQ(f->disp_tag, nullptr);
  EXPECT_EQ(Class_Frame_Update_GLI_Disp(f), 1);
  EXPECT_EQ(Gli(W - 1, H - 1), uint32_t(10 * (H - 1) + W - 1));
}

// The frames of dispatch workers are converted at once, each with its own window.
TEST_F(PixelDisplayUpdate, FramesConvertedOnSeveralThreadsKeepTheirWindows) {
  std::vector<uint16_t> grey(size_t(W) * H * 4);
  for (size_t i = 0; i < grey.size(); ++i) grey[i] = uint16_t(i % 100);
  layers_test::Frame_Tree tree(Host_Image_Create(W, H, 4, 1, HOST_PIXEL_U16, grey.data()));
  for (int k = 0; k < 4; ++k) {
    Quarn_2D_Frame* frame = tree.Frame(k);
    frame->conv_a = 0, frame->conv_b = 1;
    frame->val_min = float(-10 * k), frame->val_max = float(256 - 10 * k);  // index = value + 10 k
    frame->Work_GLI_Get();
    frame->Work_TAG_Get();
  }
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int k = 0; k < 4; ++k)
    threads.emplace_back([&, k] {
      Quarn_2D_Frame* frame = tree.Frame(k);
      for (int round = 0; round < 50; ++round) {
        frame->disp_gli = nullptr;
        frame->Region_Update_Set(nullptr);
        if (Fct_Callback_Update_GLI_Disp(frame) != 1 || Fct_Callback_Update_TAG_Disp(frame) != 1) ++wrong;
        const auto* words = static_cast<uint32_t*>(frame->disp_gli);
        for (int i = 0; i < W * H; ++i)
          if (words[i] != uint32_t(frame->work_gli[i / W][i % W] + 10 * k)) ++wrong;
      }
    });
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(wrong, 0);
}

TEST_F(PixelDisplayUpdate, FailedLayerAllocationIsReported) {
#ifdef MEMORY_CAP_SANITIZED
  GTEST_SKIP() << "the sanitizers reserve their address space up front";
#endif
  const int code = memory_cap::In_Child([] {
    // Display layers above 64 MB: the allocator cannot place them in the unused room of the
    // arenas that earlier threads left behind, which the address cap does not count.
    layers_test::Frame_Tree tree(Host_Image_Create(40000, 420, 1, 1, HOST_PIXEL_S16, nullptr));
    Quarn_2D_Frame* frame = tree.Frame();
    if (!frame->Work_GLI_Get() || !frame->Work_TAG_Get()) return memory_cap::Fail("layers", "no work layers");
    Host_Report_Capture capture;
    int result = 0;
    {
      memory_cap::Address_Limit limit(1 << 20);
      result = Class_Frame_Update_GLI_Disp(frame) + Class_Frame_Update_TAG_Disp(frame);
    }
    if (result != 0) return memory_cap::Fail("update", "a layer was made although memory was short");
    for (const char* text : {"memory error in new", "<<< out Class: Class_Frame_Update_GLI_Disp(! disp_gli)",
                             "<<< out Class: Class_Frame_Update_TAG_Disp(! disp_tag)"})
      if (!capture.Contains(text)) return memory_cap::Fail("report", text);
    if (frame->User_Get(3) || frame->User_Get(2)) return memory_cap::Fail("slots", "a half-made buffer is left");
    if (Class_Frame_Update_GLI_Disp(frame) != 1) return memory_cap::Fail("retry", "no layer once memory is back");
    return 0;
  });
  EXPECT_EQ(code, 0);
}

}  // namespace
