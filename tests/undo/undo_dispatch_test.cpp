// Tag work dispatched to workers against the undo limit and the time-outs: an overflow answered
// with Abort or Continue while several workers record, a worker unit that never comes back, a
// worker that outlives its dispatch with entries already recorded.
#include "undo/Undo_Host.h"

#include <hostkit/HostReport.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <semaphore>
#include <thread>

namespace {

using namespace undo_test;
using Clock = std::chrono::steady_clock;

constexpr int Button_Abort = 0, Button_Continue = 1;
constexpr uint8_t Painted = 7;

Vec4 Point(Quarn_2D_Frame* f, int x, int y) { return Vec4(float(x), float(y), float(f->z_index), 0.0f); }

/// Paints every pixel of the block's frame with Painted; stops at the first refused write, as a
/// module must once the recording was aborted.
unsigned Paint_Worker(Fct_Dispatch_Block* b) {
  Quarn_2D_Frame* f = b->frame;
  for (int y = 0; y < f->height; ++y)
    for (int x = 0; x < f->width; ++x)
      if (f->fct_write_tag(f, f->image, Point(f, x, y), Painted) < 0) {
        y = f->height;
        break;
      }
  Fct_Dispatch_End();
  return 0;
}

/// Paints rows y0 to y1 - 1 of f with Painted.
void Paint_Rows(Quarn_2D_Frame* f, int y0, int y1) {
  for (int y = y0; y < y1; ++y)
    for (int x = 0; x < f->width; ++x) f->fct_write_tag(f, f->image, Point(f, x, y), Painted);
}

// A worker that outlives its dispatch: it paints the first row, waits for the test's release,
// paints the other rows and tells late_done once it has ended.
std::binary_semaphore release{0};
std::atomic<bool> first_row{false}, late_done{false};

unsigned Late_Worker(Fct_Dispatch_Block* b) {
  Paint_Rows(b->frame, 0, 1);
  first_row = true;
  release.acquire();
  Paint_Rows(b->frame, 1, b->frame->height);
  Fct_Dispatch_End();
  late_done = true;
  return 0;
}

/// Waits until the late worker has ended and left its routine.
void Wait_Late_Worker() {
  while (!late_done.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

Fct_Dispatch_Request Request(const std::vector<Quarn_2D_Frame*>& frames, Fct_Dispatch_Worker worker) {
  Fct_Dispatch_Request r;
  r.name = "paint";
  r.detail = "every frame";
  r.count = int(frames.size());
  r.frames = static_cast<Quarn_2D_Frame**>(std::malloc(frames.size() * sizeof(Quarn_2D_Frame*)));
  std::copy(frames.begin(), frames.end(), r.frames);
  r.worker = worker;
  return r;
}

int Dummy_Undo(uint8_t, void*) { return 1; }

class Undo_Dispatch : public Undo_Host {
protected:
  void SetUp() override {
    Undo_Host::SetUp();
    first_row = late_done = false;
  }
  void Workers(int n) { *Var<uint16_t>(L"$COMPUTER_THREAD_NB") = uint16_t(n); }
  void Save_Earlier() {
    ASSERT_EQ(Undo_Save_Command(&Dummy_Undo, nullptr, std::malloc(8), "earlier"), 1);
  }
  static int Count(const Frame_Set& set, uint8_t tag) {
    int n = 0;
    for (size_t f = 0; f < set.frames.size(); ++f)
      for (int y = 0; y < set.frames[f]->height; ++y)
        for (int x = 0; x < set.frames[f]->width; ++x) n += set.Tag(int(f), x, y) == tag;
    return n;
  }
};

// The limit is passed while the workers paint: Abort gives every frame back as it was and saves
// nothing (the ring keeps what it held); Continue keeps every edit, saves nothing and empties the
// ring. Either way the host hears of the batch once.
TEST_F(Undo_Dispatch, AnOverflowInTheMiddleOfADispatchIsDecidedByTheDialog) {
  struct Case {
    const char* what;
    int answer;
    int workers;
    bool edits_stay;
    int commands_after;
  };
  const Case cases[] = {
      {"Abort, one worker", Button_Abort, 1, false, 1},
      {"Abort, four workers", Button_Abort, 4, false, 1},
      {"Continue, one worker", Button_Continue, 1, true, 0},
      {"Continue, four workers", Button_Continue, 4, true, 0},
  };
  constexpr int Frames = 6, Side = 40;  // 9600 pixels against a limit of 4097 entries
  for (const Case& c : cases) {
    Frame_Set set(Side, Side, Frames);
    Undo_Reset();
    Save_Earlier();
    Host_Popup_Reset();
    *Var<int32_t>(L"$UNDO_SIZE") = 64 * 1024;
    Workers(c.workers);
    for (Quarn_2D_Frame* f : set.frames) f->Work_TAG_Get();  // shown: their layers exist
    Messages(UPDATE_MESSAGE);
    Host_Popup_Answer_Push(c.answer);
    Host_Report_Capture capture;
    Fct_Dispatch_Request r = Request(set.frames, &Paint_Worker);
    ASSERT_EQ(Fct_Dispatch_TAG(&r), 1u) << c.what;
    EXPECT_EQ(Host_Popup_Count(), 1u) << c.what;
    EXPECT_EQ(Count(set, Painted), c.edits_stay ? Frames * Side * Side : 0) << c.what;
    EXPECT_EQ(Undo_Undo_Enable(), c.commands_after) << c.what;
    EXPECT_EQ(Undo_Redo_Enable(), 0) << c.what;
    EXPECT_EQ(capture.Contains("Operation aborted"), !c.edits_stay) << c.what;
    EXPECT_EQ(capture.Contains("\t We will not keep it."), c.edits_stay) << c.what;
    EXPECT_EQ(Messages(UPDATE_MESSAGE), 1) << c.what;
    // The frames' layers follow the record after the update pass.
    set.Update_Pass();
    for (Quarn_2D_Frame* f : set.frames) {
      uint16_t** tags = f->Work_TAG_Get();
      ASSERT_TRUE(tags) << c.what;
      EXPECT_EQ(tags[Side - 1][Side - 1] & 0xFF, c.edits_stay ? Painted : 0) << c.what;
    }
    // The next operation records again.
    *Var<int32_t>(L"$UNDO_SIZE") = 16 * 1024 * 1024;
    ASSERT_EQ(Undo_Pixel_Start_TAG(), 1) << c.what;
    EXPECT_EQ(Undo_Pixel_Record_TAG(&set.Tag(0, 0, 0), set.Tag(0, 0, 0), 1), 1) << c.what;
    std::free(Undo_Pixel_Stop_TAG());
  }
}

// A worker that holds its unit past the time-out: no further frame is launched, the unit and the
// worker are reported, and the dispatch ends after two time-outs with its bookkeeping done. The
// request asks for no time-out of its own, so each wait is "$COMPUTER_TIMEOUT" x 1.25 s.
TEST_F(Undo_Dispatch, AWorkerUnitThatNeverComesBackStopsTheLaunches) {
  Frame_Set set(4, 4, 3);
  Workers(1);
  static std::atomic<int> started{0}, ended{0};
  started = ended = 0;
  Fct_Dispatch_Request r = Request(set.frames, [](Fct_Dispatch_Block* b) -> unsigned {
    started.fetch_add(1);
    release.acquire();
    const unsigned result = Paint_Worker(b);
    ended.fetch_add(1);
    return result;
  });
  *Var<uint32_t>(L"$COMPUTER_TIMEOUT") = 1;
  Host_Report_Capture capture;
  const auto start = Clock::now();
  ASSERT_EQ(Fct_Dispatch_TAG(&r), 1u);
  const auto took = Clock::now() - start;
  EXPECT_GE(took, std::chrono::milliseconds(2450));  // a unit, then the worker, 1.25 s each
  EXPECT_LT(took, std::chrono::seconds(10));
  EXPECT_TRUE(capture.Contains("Fct_Dispatch: Semaphore timeout"));
  EXPECT_TRUE(capture.Contains("Fct_Dispatch: Thread[0] timeout"));
  EXPECT_EQ(started.load(), 1);
  EXPECT_EQ(*Var<uint32_t*>(L"$COMPUTER_THREAD_ID"), nullptr);
  EXPECT_EQ(Host_Wait_Cursor_Depth(), 0);
  EXPECT_EQ(Undo_Undo_Enable(), 0);  // nothing was recorded in time
  release.release();
  while (ended.load() < 1) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(Count(set, Painted), 16);  // the late worker's frame, after the recording ended
  // The next dispatch is not held up by the late worker's unit.
  Fct_Dispatch_Request again = Request(set.frames, &Paint_Worker);
  *Var<int32_t>(L"$UNDO_SIZE") = 16 * 1024 * 1024;
  ASSERT_EQ(Fct_Dispatch_TAG(&again), 1u);
  EXPECT_EQ(Count(set, Painted), 48);
  EXPECT_EQ(Undo_Undo_Enable(), 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the late thread leaves its routine
}

// A worker recorded part of its frame before the time-out and goes on after the recording ended:
// the saved command holds the entries recorded in time (its undo gives back exactly those), the
// late entries are not recorded, and the late worker's list outlives the stop until it ends.
TEST_F(Undo_Dispatch, AWorkerPastTheTimeOutKeepsWhatItRecordedInTime) {
  constexpr int Side = 8;
  Frame_Set set(Side, Side, 3);
  Workers(3);
  Fct_Dispatch_Request r = Request(set.frames, [](Fct_Dispatch_Block* b) -> unsigned {
    return b->frame->z_index != 0 ? Paint_Worker(b) : Late_Worker(b);
  });
  r.timeout = 1;
  Host_Report_Capture capture;
  ASSERT_EQ(Fct_Dispatch_TAG(&r), 1u);
  ASSERT_TRUE(first_row.load());
  EXPECT_TRUE(capture.Contains("Fct_Dispatch: Thread[0] timeout"));
  ASSERT_EQ(Undo_Undo_Enable(), 1);
  // Two whole frames and the late frame's first row.
  EXPECT_EQ(Undo_Memory(), int(2 * Side * Side + Side) * 16);
  release.release();
  Wait_Late_Worker();
  EXPECT_EQ(Count(set, Painted), 3 * Side * Side);
  ASSERT_EQ(Undo_Undo_Command(), UNDO_KIND_TAG);
  EXPECT_EQ(Count(set, Painted), Side * Side - Side);  // the late rows stay
  for (int x = 0; x < Side; ++x) EXPECT_EQ(set.Tag(0, x, 0), 0);
  ASSERT_EQ(Undo_Redo_Command(), UNDO_KIND_TAG);
  EXPECT_EQ(Count(set, Painted), 3 * Side * Side);
}

// Regression: a worker past the time-out whose first record call of the recording came while the
// recording stopped looked for its list without the undo lock, as the stop released the lists
// (a race the thread checker reports; a crash when it lost).
TEST_F(Undo_Dispatch, ALateWorkersFirstRecordDoesNotRaceTheStop) {
  Frame_Set set(8, 8, 2);
  Workers(2);
  static Host_Report_Capture* capture = nullptr;
  Host_Report_Capture seen;
  capture = &seen;
  Fct_Dispatch_Request r = Request(set.frames, [](Fct_Dispatch_Block* b) -> unsigned {
    Quarn_2D_Frame* f = b->frame;
    if (f->z_index != 0) return Paint_Worker(b);
    // Computes past the time-out, then writes as soon as the dispatch gives up on it.
    while (!capture->Contains("Fct_Dispatch: Thread[0] timeout")) std::this_thread::yield();
    Paint_Rows(f, 0, f->height);
    Fct_Dispatch_End();
    late_done = true;
    return 0;
  });
  r.timeout = 1;
  ASSERT_EQ(Fct_Dispatch_TAG(&r), 1u);
  Wait_Late_Worker();
  EXPECT_EQ(Count(set, Painted), 2 * 8 * 8);
  // Whatever of the late frame made it into the command goes back with the other frame.
  ASSERT_EQ(Undo_Undo_Command(), UNDO_KIND_TAG);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(set.Tag(1, x, 7), 0);
  capture = nullptr;
}

// Regression: when the dispatch ran one worker at a time, the list of a worker past the time-out
// was freed at the stop as if no worker could still be storing into it.
TEST_F(Undo_Dispatch, TheOnlyWorkerPastTheTimeOutKeepsItsListUntilItEnds) {
  constexpr int Side = 16;
  Frame_Set set(Side, Side, 1);
  Workers(1);
  Fct_Dispatch_Request r = Request(set.frames, &Late_Worker);
  r.timeout = 1;
  Host_Report_Capture capture;
  ASSERT_EQ(Fct_Dispatch_TAG(&r), 1u);
  EXPECT_TRUE(capture.Contains("-> Undo_Pixel_TAG: 1 late thread(s), their lists are kept until they end"));
  EXPECT_EQ(Undo_Memory(), Side * 16);  // the first row, recorded in time
  release.release();
  Wait_Late_Worker();
  ASSERT_EQ(Undo_Undo_Command(), UNDO_KIND_TAG);
  EXPECT_EQ(Count(set, Painted), Side * Side - Side);
}

}  // namespace
