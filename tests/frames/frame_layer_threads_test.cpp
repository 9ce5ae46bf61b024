// The layers on several threads: first uses racing for one load, workers editing the frames of
// one record, and rectangles changed while a drawing thread copies them.
#include "frames/Frame_Layers_Host.h"

#include <atomic>
#include <thread>
#include <vector>

namespace {

using namespace layers_test;

// Reads of one kind that reach the group node, counted on their way to the root.
template <int Kind>
struct Counter {
  static inline std::atomic<int> reads{0};
  static inline Quarn_2D_Pixel_Read forward = nullptr;
  static int Read(Quarn_2D* node, void* image, Vec4 p) {
    reads.fetch_add(1, std::memory_order_relaxed);
    return forward(node, image, p);
  }
  static void Install(Quarn_2D_Pixel_Read& slot) { forward = slot, slot = &Read, reads = 0; }
};
using Grey_Reads = Counter<0>;
using Tag_Reads = Counter<1>;

// 64 x 64 U16 pixels per slice, value 64 y + x, all tags 1.
Host_Image_Record* Slices(int slices) {
  std::vector<uint16_t> v;
  for (int s = 0; s < slices; ++s)
    for (int i = 0; i < 64 * 64; ++i) v.push_back(uint16_t(i));
  Host_Image_Record* r = Record(64, 64, slices, HOST_PIXEL_U16, v);
  std::memset(r->tags, 1, size_t(64 * 64 * slices));
  return r;
}

template <class Body>
void On_Threads(int count, Body body) {
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < count; ++t)
    threads.emplace_back([&, t] {
      while (!go.load()) std::this_thread::yield();
      body(t);
    });
  go = true;
  for (std::thread& t : threads) t.join();
}

using Layer_Threads = Layers_Test;

TEST_F(Layer_Threads, RacingFirstUsesShareOneLoad) {
  Frame_Tree tree(Slices(1));
  Quarn_2D_Frame* f = tree.Frame();
  Grey_Reads::Install(tree.group->fct_read_gli);
  Tag_Reads::Install(tree.group->fct_read_tag);
  std::vector<int32_t**> grey(4);
  std::vector<uint16_t**> tags(4);
  std::atomic<int> wrong{0};
  On_Threads(4, [&](int t) {
    grey[size_t(t)] = f->Work_GLI_Get();
    tags[size_t(t)] = f->Work_TAG_Get();
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x)
        if (grey[size_t(t)][y][x] != 64 * y + x || tags[size_t(t)][y][x] != 1) ++wrong;
  });
  EXPECT_EQ(wrong, 0);
  for (int t = 1; t < 4; ++t) {
    EXPECT_EQ(grey[size_t(t)], grey[0]);
    EXPECT_EQ(tags[size_t(t)], tags[0]);
  }
  EXPECT_EQ(Grey_Reads::reads, 64 * 64) << "one load for all";
  EXPECT_EQ(Tag_Reads::reads, 64 * 64) << "one load for all";
  EXPECT_EQ(f->Critical_Class_Depth(), 0);
}

TEST_F(Layer_Threads, WorkersEditTheSlicesOfOneRecord) {
  constexpr int Frames = 3;  // edited frames; one more slice is only copied
  Frame_Tree tree(Slices(Frames + 1));
  std::atomic<int> written{0};
  // One editor per frame; beside them a histogram of the grey values of frame 0 (its tags are
  // being written) and erase copies of the last slice, whose tags nobody edits.
  On_Threads(Frames + 2, [&](int t) {
    if (t == Frames) {
      for (int i = 0; i < 5; ++i) tree.Frame(0)->Histogram_Compute(0);
      return;
    }
    if (t == Frames + 1) {
      for (int i = 0; i < 5; ++i) tree.Frame(Frames)->Erase_Load();
      return;
    }
    Quarn_2D_Frame* f = tree.Frame(t);
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) written += Write(f, float(x), float(y), 2 + t);
  });
  EXPECT_EQ(written, Frames * 64 * 64);
  for (int s = 0; s < Frames; ++s)
    EXPECT_EQ(Record_Tag(tree.Record(), 63, 63, s), 2 + s) << "slice " << s;
  EXPECT_EQ(tree.Frame(Frames)->erase[63][63], 1);
  EXPECT_EQ(tree.Record()->flags & HOST_IMAGE_TAG_EDITED, HOST_IMAGE_TAG_EDITED);
  EXPECT_EQ(Variables().cuda_flag, uint64_t(1) << 32);
  Quarn_Histogram* h = tree.Frame(0)->Histogram_Get();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->peak, 1u);  // 4096 distinct values, one pixel each
}

TEST_F(Layer_Threads, RectanglesChangeWhileADrawingThreadCopiesThem) {
  Frame_Tree tree(Slices(1));
  Quarn_2D_Frame* f = tree.Frame();
  f->Region_Update_Clear();
  std::atomic<int> torn{0};
  On_Threads(2, [&](int t) {
    for (int i = 0; i < 2000; ++i) {
      if (t == 0) {
        const float a = float(i % 60);
        const Region_2D r(6, a, a, a + 3, a + 3);
        f->Region_Update_Clear();
        f->Region_Update_Set(&r);
      } else {
        // What the display side does before rebuilding a layer.
        f->Critical_Class_In("display copy");
        const Region_2D copy = f->reg_update;
        f->Critical_Class_Out("display copy");
        const bool empty = copy.x_max < copy.x_min;
        if (!empty && copy.x_max - copy.x_min != 3) ++torn;
      }
    }
  });
  EXPECT_EQ(torn, 0);
}

}  // namespace
