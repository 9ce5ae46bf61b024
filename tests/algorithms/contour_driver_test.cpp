// The contour driver: the per-frame work from several threads at once, and the choice of the
// selected frames of the current window with its steps, groups and reuse.
#include "algorithms/Contour_Host.h"

#include "algorithms/Contour_Driver.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <random>
#include <thread>

namespace {

using namespace contour_test;
using quarn::contour::Contour_Job_Wait;

constexpr int Side = 64;

// A map of overlapping rectangles of tags 1 to 7, different for every seed.
Tag_Map Blobs(unsigned seed) {
  std::mt19937 rng(seed);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  Tag_Map m(Side, Side);
  for (int b = 0; b < 12; ++b) {
    const int x = pick(0, Side - 2), y = pick(0, Side - 2);
    m.Fill(x, y, std::min(Side - 1, x + pick(1, 20)), std::min(Side - 1, y + pick(1, 20)), pick(1, 7));
  }
  return m;
}

// A record of count slices, slice s holding Blobs(s).
Host_Image_Record* Blob_Slices(int count) {
  Host_Image_Record* r =
      layers_test::Record(Side, Side, count, HOST_PIXEL_U16, std::vector<uint16_t>(size_t(Side * Side * count)));
  for (int s = 0; s < count; ++s) {
    const Tag_Map m = Blobs(unsigned(s));
    for (size_t i = 0; i < m.cells.size(); ++i) r->tags[size_t(s) * m.cells.size() + i] = uint8_t(m.cells[i]);
  }
  return r;
}

// Everything the frame keeps of its contours, as plain values.
using Snapshot = std::vector<std::vector<Loop>>;
Snapshot Snapshot_Of(Quarn_2D_Frame* f) {
  Snapshot s;
  for (int t = 1; t < 8; ++t) {
    s.push_back(Loops_Of(f, t));
    Point_2D* p = nullptr;
    const int n = Fct_Contour_Get_Points(f, int16_t(t), &p);
    Loop points;
    for (int i = 0; i < n; ++i) points.push_back({int(p[i].x), int(p[i].y)});
    s.back().push_back(points);
  }
  return s;
}

/// root -> two groups (class A 0x2010) of frames over one record of blob slices.
struct Two_Groups {
  static constexpr uint16_t Group_Class = 0x2010;
  Quarn_2D_Root root;
  Quarn_2D* group[2] = {};
  std::vector<Quarn_2D_Frame*> frames[2];
  Quarn_2D_File* file = nullptr;

  Two_Groups(int first_count, int second_count) {
    auto** list = static_cast<void**>(std::calloc(2, sizeof(void*)));
    list[0] = Blob_Slices(first_count + second_count);
    file = new Quarn_2D_File(L"/scans/contour.dcm", list);
    int slice = 0;
    for (int g = 0; g < 2; ++g) {
      group[g] = new tree_test::Group<Quarn_2D>(g ? L"second" : L"first");
      group[g]->Class_A_Set(Group_Class);
      root.Child_Add(group[g]);
      for (int i = 0; i < (g ? second_count : first_count); ++i) {
        Class_2D_Frame_Insert(group[g], file, 0, 0, slice++);
        frames[g].push_back(static_cast<Quarn_2D_Frame*>(group[g]->Child_Get_Pt(-1)));
      }
    }
    Variables().root = &root;
  }
  ~Two_Groups() {
    Variables().root = nullptr;
    root.Child_Delete();
    delete file;
  }
  Two_Groups(const Two_Groups&) = delete;
  Two_Groups& operator=(const Two_Groups&) = delete;

  void Select(Quarn_2D* node) { node->Flag_Set_On(0x30, tree_test::Window(1), quarn::flag::Selected); }
  static bool Computed(Quarn_2D_Frame* f) { return Fct_Contour_Get_Points(f, 1, nullptr) > 0; }
};

/// Starts a computation as the host's interface does and waits for its job to end.
int Compute(uint32_t flags, uint16_t step_x, uint16_t step_y, uint16_t frame_step) {
  const int started = Fct_Contour_Compute(flags, step_x, step_y, frame_step);
  Contour_Job_Wait();
  return started;
}

using Contour_Driver = Contour_Test;

TEST_F(Contour_Driver, ComputesEveryFrameStepOfTheSelectedGroups) {
  Two_Groups tree(4, 3);
  tree.Select(&tree.root);
  ASSERT_EQ(Compute(CONTOUR_LOOPS | CONTOUR_EXTEND, 1, 1, 2), 1);
  const bool expected[2][4] = {{true, false, true, false}, {true, false, true, false}};
  for (int g = 0; g < 2; ++g)
    for (size_t i = 0; i < tree.frames[g].size(); ++i)
      EXPECT_EQ(Two_Groups::Computed(tree.frames[g][i]), expected[g][i]) << g << "/" << i;
  EXPECT_EQ(Variables().lock_focus, 0);
  EXPECT_EQ(Variables().lock_action, 0);
  EXPECT_EQ(Host_Progress_Open_Count(), 0);
  EXPECT_EQ(Fct_Contour_Active(), 0);
}

TEST_F(Contour_Driver, FramesWhoseContoursAreCurrentAreLeftAlone) {
  Two_Groups tree(3, 0);
  tree.Select(&tree.root);
  ASSERT_EQ(Compute(CONTOUR_LOOPS | CONTOUR_EXTEND, 2, 2, 1), 1);
  for (Quarn_2D_Frame* f : tree.frames[0]) EXPECT_TRUE(Recomputed(f));
  ASSERT_EQ(layers_test::Write(tree.frames[0][1], 0, 0, 1), 1);  // frame 1 changes
  Host_Report_Capture capture;
  ASSERT_EQ(Compute(CONTOUR_LOOPS | CONTOUR_EXTEND, 2, 2, 1), 1);
  EXPECT_TRUE(capture.Contains("Computing Contour Lines 2x2 for 1 frames"));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Recomputed(tree.frames[0][size_t(i)]), i == 1) << i;
}

TEST_F(Contour_Driver, FirstGroupOnlyWarnsOfTheOthers) {
  Two_Groups tree(2, 2);
  tree.Select(&tree.root);
  Host_Report_Capture capture;
  ASSERT_EQ(Compute(CONTOUR_LOOPS | CONTOUR_EXTEND | CONTOUR_FIRST_GROUP, 1, 1, 1), 1);
  EXPECT_TRUE(capture.Contains("To many groups!"));
  EXPECT_TRUE(Two_Groups::Computed(tree.frames[0][1]));
  EXPECT_FALSE(Two_Groups::Computed(tree.frames[1][0]));
}

TEST_F(Contour_Driver, NothingToDoAndRefusals) {
  Two_Groups tree(2, 1);
  // Nothing selected: done, nothing computed.
  EXPECT_EQ(Fct_Contour_Compute(CONTOUR_LOOPS, 1, 1, 1), 1);
  EXPECT_FALSE(Two_Groups::Computed(tree.frames[0][0]));
  // Only the second group selected.
  tree.Select(tree.group[1]);
  EXPECT_EQ(Compute(CONTOUR_LOOPS | CONTOUR_EXTEND, 1, 1, 0), 1);  // frame step 0 takes every frame
  EXPECT_FALSE(Two_Groups::Computed(tree.frames[0][0]));
  EXPECT_TRUE(Two_Groups::Computed(tree.frames[1][0]));
  // Steps beyond the frames find nothing and fail nothing.
  EXPECT_EQ(Compute(CONTOUR_LOOPS | CONTOUR_EXTEND, 60000, 60000, 1), 1);
  EXPECT_EQ(Fct_Contour_Get_Loops(tree.frames[1][0], 1, nullptr), 0);
  // Steps of 0 and a missing current window are refused.
  EXPECT_EQ(Fct_Contour_Compute(CONTOUR_LOOPS, 0, 1, 1), 0);
  EXPECT_EQ(Fct_Contour_Compute(CONTOUR_LOOPS, 1, 0, 1), 0);
  tree_test::Host().window_cur = nullptr;
  EXPECT_EQ(Fct_Contour_Compute(CONTOUR_LOOPS, 1, 1, 1), 0);
}

// The same contours whatever number of workers the dispatcher may run at once, while a reader
// looks at the stores the workers fill, as drawing would.
TEST_F(Contour_Driver, OneTwoAndFourWorkersGiveTheSameContours) {
  constexpr int Frames = 8;
  Two_Groups tree(Frames, 0);
  tree.Select(&tree.root);
  auto run = [&](int workers) {
    for (Quarn_2D_Frame* f : tree.frames[0]) Fct_Contour_Free(f);
    Variables().thread_nb = uint16_t(workers);
    std::atomic<bool> done{false};
    std::atomic<long> reads{0};
    std::thread reader([&] {
      while (!done.load())
        for (Quarn_2D_Frame* f : tree.frames[0]) reads += Fct_Contour_Get_Loops(f, 1, nullptr) >= 0;
    });
    Host_Report_Capture capture;
    EXPECT_EQ(Compute(CONTOUR_LOOPS | CONTOUR_EXTEND, 1, 1, 1), 1);
    done = true;
    reader.join();
    EXPECT_TRUE(capture.Contains("-> Fct_Dispatch(): nb_thread = " + std::to_string(workers))) << workers;
    EXPECT_EQ(Variables().thread_id, nullptr) << "the identity list goes with the dispatch";
    std::vector<Snapshot> all;
    for (Quarn_2D_Frame* f : tree.frames[0]) all.push_back(Snapshot_Of(f));
    return all;
  };
  const std::vector<Snapshot> one = run(1);
  long loops = 0;
  for (const Snapshot& s : one)
    for (const auto& tag : s) loops += long(tag.size()) - 1;
  EXPECT_GT(loops, 8 * Frames) << "the maps give many loops to compare";
  EXPECT_EQ(run(2), one);
  EXPECT_EQ(run(4), one);
  EXPECT_EQ(Fct_Contour_Active(), 0);
  EXPECT_EQ(Variables().lock_focus, 0);
  EXPECT_EQ(Variables().lock_action, 0);
}

// While a job runs (the worker of its first frame held at that frame's lock) a second one is
// refused, the interface is locked and drawing holds off; once it ended, everything is computed
// and unlocked.
TEST_F(Contour_Driver, ARunningJobRefusesASecondOne) {
  Two_Groups tree(3, 0);
  tree.Select(&tree.root);
  Quarn_2D_Frame* held = tree.frames[0][0];
  held->Critical_Class_In("test");
  ASSERT_EQ(Fct_Contour_Compute(CONTOUR_LOOPS | CONTOUR_EXTEND, 1, 1, 1), 1);  // returns at once
  EXPECT_EQ(Variables().lock_focus, 1);
  EXPECT_EQ(Variables().lock_action, 15);
  // The worker of the held frame soon waits inside its computation.
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!Fct_Contour_Active() && std::chrono::steady_clock::now() < give_up)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(Fct_Contour_Active(), 1);
  {
    Host_Report_Capture capture;
    EXPECT_EQ(Fct_Contour_Compute(CONTOUR_LOOPS, 2, 2, 1), 0);
    EXPECT_TRUE(capture.Contains("already have an active thread running!"));
  }
  held->Critical_Class_Out("test");
  Contour_Job_Wait();
  for (Quarn_2D_Frame* f : tree.frames[0]) EXPECT_TRUE(Two_Groups::Computed(f));
  EXPECT_EQ(Variables().lock_focus, 0);
  EXPECT_EQ(Variables().lock_action, 0);
  EXPECT_EQ(Compute(CONTOUR_LOOPS, 2, 2, 1), 1) << "the next job starts";
}

// Workers compute their frames side by side: while one frame's tags are being read, another
// thread can enter the global section (only the store's bookkeeping is done inside it).
namespace section_test {
const Tag_Map* g_map = nullptr;
std::atomic<bool> g_entered{false};
std::atomic<bool> g_asked{false};
std::atomic<bool> g_entered_while_reading{false};
std::thread g_other;

void Enter_And_Leave() {
  Fct_Critical_In("other");
  g_entered = true;
  Fct_Critical_Out("other");
}

// A module's tag reader: on its first sample, another thread tries the global section, and the
// reading waits (a bounded time) until it got in.
int Reader(Quarn_2D*, void*, Vec4 p) {
  if (!g_asked.exchange(true)) {
    g_other = std::thread(&Enter_And_Leave);
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!g_entered && std::chrono::steady_clock::now() < give_up)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    g_entered_while_reading = g_entered.load();
  }
  return g_map->Tag(int(p.x), int(p.y));
}
}  // namespace section_test

TEST_F(Contour_Driver, TagsAreReadOutsideTheGlobalSection) {
  Tag_Map m(12, 12);
  m.Fill(3, 3, 8, 8, 2);
  layers_test::Frame_Tree tree(Record_Of(m));
  Quarn_2D_Frame* f = tree.Frame();
  section_test::g_map = &m;
  f->fct_read_tag = &section_test::Reader;
  EXPECT_EQ(Fct_Contour_Create(f, CONTOUR_LOOPS | CONTOUR_EXTEND, 1, 1), 1);
  section_test::g_other.join();
  EXPECT_TRUE(section_test::g_entered_while_reading) << "another thread got into the global section during the reading";
  EXPECT_EQ(Loops_Of(f, 2).size(), 1u);
}

// A module's tag reader that, once armed, holds the first reading until the test lets it go.
namespace busy_test {
const Tag_Map* g_map = nullptr;
std::mutex g_mutex;
std::condition_variable g_changed;
bool g_armed = false, g_reading = false, g_released = false;

int Reader(Quarn_2D*, void*, Vec4 p) {
  std::unique_lock<std::mutex> hold(g_mutex);
  if (g_armed && !g_reading) {
    g_reading = true;
    g_changed.notify_all();
    g_changed.wait(hold, [] { return g_released; });
  }
  return g_map->Tag(int(p.x), int(p.y));
}
}  // namespace busy_test

// Regression: a second computation of a frame found the changed tags taken by a first one still
// reading and answered "no change" before the first had filed them.
TEST_F(Contour_Driver, ASecondComputationOfAFrameReturnsWithTheFirstOnesResults) {
  using namespace busy_test;
  constexpr uint32_t Flags = CONTOUR_LOOPS | CONTOUR_EXTEND;
  Tag_Map m(16, 16);
  m.Fill(2, 2, 5, 5, 2);
  layers_test::Frame_Tree tree(Record_Of(m));
  Quarn_2D_Frame* f = tree.Frame();
  g_map = &m;
  f->fct_read_tag = &Reader;
  ASSERT_EQ(Fct_Contour_Create(f, Flags, 1, 1), 1);
  m.Fill(9, 9, 12, 12, 2);  // a second square of tag 2, marked as a painting would
  f->tag_used[2] = 1;
  g_armed = true;
  std::thread first([&] { Fct_Contour_Create(f, Flags, 1, 1); });
  {
    std::unique_lock<std::mutex> hold(g_mutex);
    g_changed.wait(hold, [] { return g_reading; });
  }
  size_t loops_seen = 0;
  std::thread second([&] {
    EXPECT_EQ(Fct_Contour_Create(f, Flags, 1, 1), 1);
    loops_seen = Loops_Of(f, 2).size();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // time to return early, were it to
  {
    std::lock_guard<std::mutex> hold(g_mutex);
    g_released = true;
  }
  g_changed.notify_all();
  first.join();
  second.join();
  EXPECT_EQ(loops_seen, 2u) << "the second computation returned before the first had filed the new square";
}

// A script's computation waits for its job: the contours are there when the call returns.
TEST_F(Contour_Driver, AScriptWaitsForItsJob) {
  Two_Groups tree(2, 0);
  tree.Select(&tree.root);
  const unsigned short flags = Script_Flag_Get();
  Script_Flag_Set(flags | SCRIPT_FLAG_EXECUTE);
  Host_Report_Capture capture;
  EXPECT_EQ(Fct_Contour_Compute(CONTOUR_LOOPS | CONTOUR_EXTEND, 1, 1, 1), 1);
  Script_Flag_Set(flags);
  EXPECT_TRUE(capture.Contains("-> Fct_Contour_Compute thread finished"));
  for (Quarn_2D_Frame* f : tree.frames[0]) EXPECT_TRUE(Two_Groups::Computed(f));
}

}  // namespace
