// The dispatcher: launch order and bound, one update for a batch, tag work saved as one undo
// command, time-outs, aborts, the exclusion between dispatches and bad requests.
#include "Memory_Cap.h"
#include "undo/Undo_Host.h"

#include <hostkit/HostReport.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <semaphore>
#include <thread>

namespace {

using namespace undo_test;
using Clock = std::chrono::steady_clock;

/// What the workers of a dispatch saw.
struct Probe {
  std::vector<Quarn_2D_Frame*> frames;
  std::mutex mutex;
  std::vector<int> starts;     // frame indexes in start order
  std::vector<uint32_t> slots;
  int running = 0;
  int most = 0;                // most workers at once
  std::chrono::milliseconds work{15};
  uint8_t tag = 0;             // nonzero: paint the frame with it
  bool chatty = false;         // send an update per painted pixel
  bool end = true;             // call Fct_Dispatch_End
  bool gated = false;          // each worker waits until the test lets it end
  std::condition_variable changed;
  int released = 0;            // gated workers allowed to end, in start order
  Clock::time_point first{}, last{};

  int Index(Quarn_2D_Frame* f) const { return int(std::find(frames.begin(), frames.end(), f) - frames.begin()); }
};

void Paint(Quarn_2D_Frame* f, uint8_t tag, bool chatty) {
  for (int y = 0; y < f->height; ++y)
    for (int x = 0; x < f->width; ++x) {
      f->fct_write_tag(f, f->image, Vec4(float(x), float(y), float(f->z_index), 0.0f), tag);
      if (chatty) Fct_Update(UPDATE_DATA_TAG, UPDATE_NO_WINDOW, f);
    }
}

unsigned Probe_Worker(Fct_Dispatch_Block* b) {
  auto* p = static_cast<Probe*>(b->context);
  {
    std::lock_guard<std::mutex> hold(p->mutex);
    p->starts.push_back(p->Index(b->frame));
    p->slots.push_back(b->slot);
    p->most = std::max(p->most, ++p->running);
    if (p->first == Clock::time_point{}) p->first = Clock::now();
    p->changed.notify_all();
  }
  if (p->gated) {
    std::unique_lock<std::mutex> hold(p->mutex);
    const size_t place = size_t(std::find(p->starts.begin(), p->starts.end(), p->Index(b->frame)) - p->starts.begin());
    p->changed.wait(hold, [&] { return size_t(p->released) > place; });
  } else {
    std::this_thread::sleep_for(p->work);
  }
  if (p->tag) Paint(b->frame, uint8_t(p->tag + p->Index(b->frame)), p->chatty);
  {
    std::lock_guard<std::mutex> hold(p->mutex);
    --p->running;
    p->last = Clock::now();
  }
  if (p->end) Fct_Dispatch_End();
  return 0;
}

/// A request over every frame of the set, with its frame list malloc'd as the entry point wants.
Fct_Dispatch_Request Request(const std::vector<Quarn_2D_Frame*>& frames, Probe* probe, int stride = 1) {
  Fct_Dispatch_Request r;
  r.name = "paint";
  r.detail = "all frames";
  r.count = int(frames.size());
  r.frames = static_cast<Quarn_2D_Frame**>(std::malloc(frames.size() * sizeof(Quarn_2D_Frame*)));
  std::copy(frames.begin(), frames.end(), r.frames);
  r.context = probe;
  r.stride = stride;
  r.stack_size = 1 << 20;
  r.worker = &Probe_Worker;
  return r;
}

class Dispatch : public Undo_Host {
protected:
  void Workers(int n) { *Var<uint16_t>(L"$COMPUTER_THREAD_NB") = uint16_t(n); }
};

TEST_F(Dispatch, LaunchOrderFollowsTheStrideAndTheWorkersAreBounded) {
  struct Case {
    const char* what;
    int frames, stride, workers;
    std::vector<int> order;
    int bound;
  };
  const Case cases[] = {
      {"five frames, stride 2, eight workers allowed", 5, 2, 8, {0, 2, 4, 1, 3}, 2},
      {"stride beyond the frame count: one at a time", 3, 5, 8, {0, 1, 2}, 1},
      {"the worker count bounds", 6, 1, 3, {0, 1, 2, 3, 4, 5}, 3},
  };
  for (const Case& c : cases) {
    Frame_Set set(8, 8, c.frames);
    Workers(c.workers);
    Probe probe;
    probe.frames = set.frames;
    probe.gated = true;
    Fct_Dispatch_Request r = Request(set.frames, &probe, c.stride);
    Host_Report_Capture capture;
    // The workers end one at a time, each only after the one launched for the slot before it has
    // started, so the start order is the launch order however slowly threads come up.
    unsigned result = 0;
    std::thread dispatch([&] { result = Fct_Dispatch_Other(&r); });
    {
      std::unique_lock<std::mutex> hold(probe.mutex);
      for (int k = 0; k < c.frames; ++k) {
        const size_t wanted = size_t(std::min(c.frames, c.bound + k));
        probe.changed.wait(hold, [&] { return probe.starts.size() >= wanted; });
        ++probe.released;
        probe.changed.notify_all();
      }
    }
    dispatch.join();
    EXPECT_EQ(result, 1u) << c.what;
    EXPECT_EQ(r.frames, nullptr) << c.what;  // freed by the entry point
    EXPECT_TRUE(capture.Contains("-> Fct_Dispatch(): nb_thread = " + std::to_string(c.bound))) << c.what;
    // The first workers start together, in any order; each later one when one of them ended.
    ASSERT_EQ(probe.starts.size(), c.order.size()) << c.what;
    std::vector<int> first(probe.starts.begin(), probe.starts.begin() + c.bound);
    std::vector<int> first_wanted(c.order.begin(), c.order.begin() + c.bound);
    std::sort(first.begin(), first.end());
    std::sort(first_wanted.begin(), first_wanted.end());
    EXPECT_EQ(first, first_wanted) << c.what;
    EXPECT_TRUE(std::equal(probe.starts.begin() + c.bound, probe.starts.end(), c.order.begin() + c.bound)) << c.what;
    EXPECT_EQ(probe.most, c.bound) << c.what;
    EXPECT_TRUE(std::all_of(probe.slots.begin(), probe.slots.end(), [&](uint32_t s) { return s < uint32_t(c.workers); }))
        << c.what;
    EXPECT_EQ(*Var<uint32_t*>(L"$COMPUTER_THREAD_ID"), nullptr) << c.what;
  }
}

TEST_F(Dispatch, TheHostHearsOfAWholeBatchOnce) {
  Frame_Set set(6, 6, 4);
  Workers(2);
  Probe probe;
  probe.frames = set.frames;
  probe.tag = 1;
  probe.chatty = true;
  Fct_Dispatch_Request r = Request(set.frames, &probe);
  // The frames are shown already: their tag layers exist (a layer made by a worker is announced
  // at once, as every user buffer of the tree is).
  for (Quarn_2D_Frame* f : set.frames) f->Work_TAG_Get();
  Messages(UPDATE_MESSAGE);
  std::thread host_side(Fct_Dispatch_TAG, &r);  // as a host starts it
  host_side.join();
  const auto m = Messages();
  EXPECT_EQ(std::count_if(m.begin(), m.end(), [](auto& x) { return x.id == UPDATE_MESSAGE; }), 1);
  EXPECT_EQ(std::count_if(m.begin(), m.end(), [](auto& x) { return x.id == REDRAW_MESSAGE; }), 1);
  for (Quarn_2D_Frame* f : set.frames) EXPECT_NE(f->Update_A_Get_Bit(0x10, Window(), UPDATE_DATA_TAG), 0u);
  EXPECT_EQ(Host_Wait_Cursor_Depth(), 0);
}

TEST_F(Dispatch, TagWorkOfEveryFrameIsOneUndoCommand) {
  Frame_Set set(10, 7, 5);
  Workers(3);
  Probe probe;
  probe.frames = set.frames;
  probe.tag = 1;
  probe.work = std::chrono::milliseconds(1);
  Fct_Dispatch_Request r = Request(set.frames, &probe);
  ASSERT_EQ(Fct_Dispatch_TAG(&r), 1u);
  for (int n = 0; n < 5; ++n) ASSERT_EQ(set.Tag(n, 9, 6), 1 + n);
  ASSERT_EQ(Undo_Undo_Enable(), 1);
  EXPECT_STREQ(Undo_String_Command(0), "paint: all frames \x01(5.47 KB)");  // 350 pixels x 16 bytes
  EXPECT_EQ(Undo_Undo_Command(), UNDO_KIND_TAG);
  for (int n = 0; n < 5; ++n)
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 10; ++x) ASSERT_EQ(set.Tag(n, x, y), 0);
  EXPECT_EQ(Undo_Redo_Command(), UNDO_KIND_TAG);
  EXPECT_EQ(set.Tag(4, 0, 0), 5);
}

// A worker past the time-out is reported and left running; the others' edits and their undo
// command are complete, and the late worker ends later without harm.
TEST_F(Dispatch, ATimedOutWorkerIsLeftBehindAndTheRestStaysConsistent) {
  Frame_Set set(6, 6, 3);
  Workers(3);
  static std::binary_semaphore release_late{0};
  static std::atomic<bool> late_done{false};
  late_done = false;
  Probe probe;
  probe.frames = set.frames;
  probe.tag = 1;
  probe.work = std::chrono::milliseconds(1);
  Fct_Dispatch_Request r = Request(set.frames, &probe);
  r.timeout = 1;
  r.worker = [](Fct_Dispatch_Block* b) -> unsigned {
    auto* p = static_cast<Probe*>(b->context);
    if (p->Index(b->frame) == 0) {
      release_late.acquire();
      Paint(b->frame, 9, false);
      Fct_Dispatch_End();
      late_done = true;
      return 0;
    }
    return Probe_Worker(b);
  };
  Host_Report_Capture capture;
  const auto start = Clock::now();
  ASSERT_EQ(Fct_Dispatch_TAG(&r), 1u);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  EXPECT_TRUE(capture.Contains("Fct_Dispatch: Thread[0] timeout"));
  EXPECT_EQ(set.Tag(1, 0, 0), 2);
  EXPECT_EQ(set.Tag(2, 5, 5), 3);
  release_late.release();
  while (!late_done) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(set.Tag(0, 3, 3), 9);  // the late edit happened after the recording ended
  ASSERT_EQ(Undo_Undo_Command(), UNDO_KIND_TAG);
  EXPECT_EQ(set.Tag(1, 0, 0), 0);
  EXPECT_EQ(set.Tag(2, 5, 5), 0);
  EXPECT_EQ(set.Tag(0, 3, 3), 9);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the late thread leaves its routine
}

TEST_F(Dispatch, ASecondRequestWaitsForTheFirst) {
  Frame_Set set(4, 4, 4);
  Workers(4);
  Probe a, b;
  a.frames = b.frames = set.frames;
  a.work = b.work = std::chrono::milliseconds(30);
  Fct_Dispatch_Request ra = Request(set.frames, &a), rb = Request(set.frames, &b);
  std::thread first(Fct_Dispatch_Other, &ra);
  std::thread second(Fct_Dispatch_Other, &rb);
  first.join();
  second.join();
  const bool a_first = a.first < b.first;
  EXPECT_LE((a_first ? a : b).last, (a_first ? b : a).first);
}

TEST_F(Dispatch, AnAbortStopsTheLaunches) {
  Frame_Set set(4, 4, 4);
  Workers(1);
  Probe probe;
  probe.frames = set.frames;
  Fct_Dispatch_Request r = Request(set.frames, &probe);
  r.progress = Host_Progress_Open(Host_Main_Window, L"paint", L"", nullptr, 0);
  r.worker = [](Fct_Dispatch_Block* b) -> unsigned {
    Host_Progress_Abort(b->progress);
    return Probe_Worker(b);
  };
  Host_Report_Capture capture;
  EXPECT_EQ(Fct_Dispatch_Other(&r), 1u);
  EXPECT_EQ(probe.starts, std::vector<int>{0});
  EXPECT_TRUE(capture.Contains("Operation Aborted after 1 frames"));
  EXPECT_EQ(Host_Progress_Open_Count(), 0);  // closed by the dispatcher
}

TEST_F(Dispatch, AWorkerThatForgetsItsEndStillGivesItsUnitBack) {
  Frame_Set set(4, 4, 3);
  Workers(1);
  Probe probe;
  probe.frames = set.frames;
  probe.end = false;
  Fct_Dispatch_Request r = Request(set.frames, &probe);
  r.timeout = 30;
  const auto start = Clock::now();
  EXPECT_EQ(Fct_Dispatch_Other(&r), 1u);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(probe.starts, (std::vector<int>{0, 1, 2}));
}

TEST_F(Dispatch, TheEndStepsReleaseTheInterfaceAndCallOnEndOnce) {
  Frame_Set set(4, 4, 2);
  Workers(2);
  *Var<uint16_t>(L"$INTERFACE_LOCK_ACTION") = 3;
  *Var<uint8_t>(L"$INTERFACE_LOCK_FOCUS") = 1;
  static int ends = 0;
  static void* seen = nullptr;
  ends = 0;
  Probe probe;
  probe.frames = set.frames;
  Fct_Dispatch_Request r = Request(set.frames, &probe);
  r.argument = &probe;
  r.on_end = [](void* argument) { ++ends, seen = argument; };
  r.redraw_mask = 0x4;
  Fct_Dispatch_Other(&r);
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(seen, &probe);
  EXPECT_EQ(*Var<uint16_t>(L"$INTERFACE_LOCK_ACTION"), 0);
  EXPECT_EQ(*Var<uint8_t>(L"$INTERFACE_LOCK_FOCUS"), 0);
  EXPECT_EQ(Host_Wait_Cursor_Depth(), 0);
}

TEST_F(Dispatch, GreyWorkRebuildsTheDisplayOnly) {
  Frame_Set set(4, 4, 2);
  Probe probe;
  probe.frames = set.frames;
  Fct_Dispatch_Request r = Request(set.frames, &probe);
  set.Update_Pass();  // what the new frames asked for is done
  Fct_Dispatch_GLI(&r);
  for (Quarn_2D_Frame* f : set.frames) {
    EXPECT_NE(f->Update_A_Get_Bit(0x10, Window(), UPDATE_DISPLAY_GLI), 0u);
    EXPECT_EQ(f->Update_A_Get_Bit(0x10, Window(), UPDATE_DATA_GLI), 0u);
  }
  EXPECT_EQ(Undo_Undo_Enable(), 0);  // grey work saves no tag command
}

TEST_F(Dispatch, BadRequestsAndStrayEndsAreReported) {
  Host_Report_Capture capture;
  EXPECT_EQ(Fct_Dispatch_TAG(nullptr), 0u);
  Fct_Dispatch_Request r;
  EXPECT_EQ(Fct_Dispatch_GLI(&r), 0u);
  EXPECT_TRUE(capture.Contains("Fct_Dispatch_GLI: the request has no worker routine"));
  Fct_Dispatch_End();
  EXPECT_TRUE(capture.Contains("Fct_Dispatch_End: the calling thread is no dispatch worker"));
  // A null frame is skipped, the others are treated.
  Frame_Set set(4, 4, 2);
  Probe probe;
  probe.frames = set.frames;
  std::vector<Quarn_2D_Frame*> with_hole{set.frames[0], nullptr, set.frames[1]};
  Fct_Dispatch_Request holed = Request(with_hole, &probe);
  EXPECT_EQ(Fct_Dispatch_Other(&holed), 1u);
  EXPECT_TRUE(capture.Contains("Fct_Dispatch: frame 1 is null, skipped"));
  EXPECT_EQ(probe.starts.size(), 2u);
}

// The thread library keeps the stacks of a few ended threads for reuse; sixteen workers at once
// need more stacks than it keeps, and the capped address space has room for no new one.
TEST_F(Dispatch, AThreadThatCannotStartIsReportedAndTheDispatchGoesOn) {
#ifdef MEMORY_CAP_SANITIZED
  GTEST_SKIP() << "the sanitizers reserve their address space up front";
#endif
  constexpr int Frames = 16;
  Frame_Set set(4, 4, Frames);
  Workers(Frames);
  const int code = memory_cap::In_Child([&] {
    Probe probe;
    probe.frames = set.frames;
    probe.starts.reserve(Frames);
    probe.slots.reserve(Frames);
    probe.work = std::chrono::milliseconds(300);
    Fct_Dispatch_Request r = Request(set.frames, &probe);
    int result;
    {
      memory_cap::Address_Limit limit(256 * 1024);  // no room for a new thread's stack
      result = int(Fct_Dispatch_Other(&r));
    }
    if (result != 1) return memory_cap::Fail("start", "dispatch failed");
    if (probe.starts.size() == size_t(Frames)) return memory_cap::Fail("start", "every worker started");
    const std::vector<Host_Popup_Entry> popups = Host_Popup_History();
    if (popups.empty() || popups.back().heading != L"Thread Start failure")
      return memory_cap::Fail("start", "no pop-up");
    return popups.back().body.rfind(L"Unable to start thread in Fct_Dispatch\n", 0) == 0
               ? 0
               : memory_cap::Fail("start", "pop-up text");
  });
  EXPECT_EQ(code, 0);
}

}  // namespace
