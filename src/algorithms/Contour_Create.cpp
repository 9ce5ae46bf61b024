// Fct_Contour_Create: computes the contours of a frame's changed tags and keeps them on the frame.
#include <quarn/algorithms/Contour.h>
#include <quarn/display/Critical.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "algorithms/Contour_Extract.h"
#include "algorithms/Contour_Store.h"
#include "classes/Tree_Trace.h"
#include "frames/Frame_Access_Slots.h"
#include "script/Remembered_Variable.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <new>

using namespace quarn;
using namespace quarn::contour;

namespace {

constexpr const char* Label = "Fct_Contour_Create";
/// The mode and window selector of the redraw mark: this frame only, no window.
constexpr unsigned char Redraw_Mode = 0x10;
void* const Redraw_Window = reinterpret_cast<void*>(uintptr_t(8));

Remembered_Variable g_tag_nb{L"$TAG_NB"};

#define CONTOUR_SCRATCH_MEMORY() ::quarn::Memory_Error("fct_contour", __LINE__, "new", "Liste", 1, long(sizeof(Scratch)))

int Out(int result, const char* why = nullptr) {
  if (why) QUARN_REPORT(msg::Module, "<<< out Fct: %s(%s)", Label, why);
  else QUARN_REPORT(msg::Module, "<<< out Fct: %s()", Label);
  return result;
}

// The tags of the frame: its working tag rows when the frame reads its own layer, otherwise
// whatever reader a module put in its tag slot.
Tag_Source Source_Of(Quarn_2D_Frame* frame) {
  Tag_Source source;
  source.width = frame->width;
  source.height = frame->height;
  source.frame = frame;
  if (frame->fct_read_tag == &Frame_Read_TAG) source.rows = View_Get(frame->work_tag);
  return source;
}

// The tags marked since the last computation, unmarked as they are taken: a tag written while
// this computation runs is marked again and waits for the next one.
bool Take_Marks(Quarn_2D_Frame* frame, int tag_nb, uint8_t* wanted) {
  bool any = false;
  for (int t = 0; t < Tag_Values; ++t) {
    const uint8_t marked = std::atomic_ref<uint8_t>(frame->tag_used[t]).exchange(0, std::memory_order_relaxed);
    wanted[t] = t >= 1 && t < tag_nb && marked;
    any |= wanted[t] != 0;
  }
  return any;
}

void Mark_Again(Quarn_2D_Frame* frame, const uint8_t* wanted) {
  for (int t = 0; t < Tag_Values; ++t)
    if (wanted[t]) Tag_Used_Mark(frame, t);
}

/// The working storage of one computation, kept from one to the next.
struct Scratch {
  Workspace workspace;
  Tag_Contour results[Tag_Values];

  // Storage grown past a large frame's needs goes back.
  void Trim() {
    constexpr size_t Kept_Points = size_t(1) << 20;
    workspace.Trim();
    for (Tag_Contour& r : results)
      if (r.points.Size() > Kept_Points) r.~Tag_Contour(), new (&r) Tag_Contour;
  }
};

/// Scratches kept between computations: as many as computations ran side by side, up to a
/// bound; a computation takes one (or makes one) and gives it back when done.
class Scratch_Pool {
public:
  static constexpr int Kept = 16;

  Scratch* Take() {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      if (count_) return kept_[--count_];
    }
    return new (std::nothrow) Scratch;
  }
  void Give(Scratch* scratch) {
    scratch->Trim();
    {
      std::lock_guard<std::mutex> hold(mutex_);
      if (count_ < Kept) return void(kept_[count_++] = scratch);
    }
    delete scratch;
  }
private:
  std::mutex mutex_;
  Scratch* kept_[Kept] = {};
  int count_ = 0;
};

// Never destroyed, so that a computation still running at exit finds it.
Scratch_Pool& Pool() {
  static Scratch_Pool* pool = new Scratch_Pool;
  return *pool;
}

/// Frames whose contours a computation is working out. Another computation of such a frame
/// waits for them before it returns, so that its caller finds every tag marked before the call
/// filed, also the tags the other computation took.
class Busy_Frames {
public:
  /// Computations tracked at once; one more runs untracked rather than failing.
  static constexpr int Most = 64;

  bool Enter(Quarn_2D_Frame* frame) {
    std::lock_guard<std::mutex> hold(mutex_);
    if (count_ == Most) return false;
    frames_[count_++] = frame;
    return true;
  }
  void Leave(Quarn_2D_Frame* frame) {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      for (int i = 0; i < count_; ++i)
        if (frames_[i] == frame) {
          frames_[i] = frames_[--count_];
          break;
        }
    }
    left_.notify_all();
  }
  void Wait(Quarn_2D_Frame* frame) {
    std::unique_lock<std::mutex> hold(mutex_);
    left_.wait(hold, [&] { return std::find(frames_, frames_ + count_, frame) == frames_ + count_; });
  }

private:
  std::mutex mutex_;
  std::condition_variable left_;
  Quarn_2D_Frame* frames_[Most] = {};
  int count_ = 0;
};

// Never destroyed, like the pool.
Busy_Frames& Busy() {
  static Busy_Frames* busy = new Busy_Frames;
  return *busy;
}

[[gnu::cold]] int Bad_Steps(int step_x, int step_y) {
  QUARN_REPORT(msg::Invalid, "%s: invalid step %dx%d (steps are 1 or more)", Label, step_x, step_y);
  return Out(0, "! step");
}

/// What the first visit of the global section found to do.
enum Taken { Taken_Failed = -1, Taken_Nothing = 0, Taken_Tags = 1 };

// Inside the global section: the store made ready for key and the tags to compute taken.
Taken Take_Work(Quarn_2D_Frame* frame, const Store_Key& key, int tag_nb, uint8_t* wanted) {
  if (!Store_Matches(Store_Get(frame), key, tag_nb)) Tag_Used_Mark_All(frame);
  if (!Store_Make(frame)) return Taken_Failed;
  return Take_Marks(frame, tag_nb, wanted) ? Taken_Tags : Taken_Nothing;
}

// The extraction proper runs outside the global section, so that workers compute their frames
// side by side; the frame's own lock keeps its tag layer in place while it is read.
Outcome Extract(Quarn_2D_Frame* frame, const Request& request, Scratch& scratch) {
  const Tag_Source source = Source_Of(frame);
  if (source.rows) frame->Critical_Class_In(Label);
  const Outcome outcome = Contour_Extract(source, request, scratch.results, scratch.workspace);
  if (source.rows) frame->Critical_Class_Out(Label);
  return outcome;
}

// Inside the global section again: the results go into the store (made again should it have
// gone meanwhile).
int Commit(Quarn_2D_Frame* frame, const Store_Key& key, int tag_nb, const uint8_t* wanted, const Scratch& scratch,
           bool done) {
  Quarn_Buffer* store = Store_Make(frame);
  const int committed = store && Store_Commit(frame, store, key, tag_nb, wanted, scratch.results, done);
  if (committed && done) frame->Redraw_Set_On(Redraw_Mode, Redraw_Window, CONTOUR_REDRAW);
  return committed;
}

// The taken tags computed and filed; null when done, otherwise why not.
const char* Compute(Quarn_2D_Frame* frame, const Store_Key& key, int tag_nb, const uint8_t* wanted) {
  Scratch* scratch = Pool().Take();
  if (!scratch) {
    CONTOUR_SCRATCH_MEMORY();
    Mark_Again(frame, wanted);
    return "! memory";
  }
  const Request request{key.flags, int(key.step_x), int(key.step_y), wanted};
  const Outcome outcome = Extract(frame, request, *scratch);
  if (outcome == Outcome_Open)
    QUARN_REPORT(msg::Invalid, "%s: a boundary of %ls does not close (step %dx%d, flags %02X)", Label,
                 frame->Name_Get(), int(key.step_x), int(key.step_y), unsigned(key.flags));
  Fct_Critical_In(Label);
  const int committed = Commit(frame, key, tag_nb, wanted, *scratch, outcome == Outcome_Done);
  Fct_Critical_Out(Label);
  Pool().Give(scratch);
  if (outcome != Outcome_Done || !committed) {
    Mark_Again(frame, wanted);
    return outcome == Outcome_Open ? "! loop" : "! memory";
  }
  return nullptr;
}

int Create(Quarn_2D_Frame* frame, const Store_Key& key, int tag_nb) {
  uint8_t wanted[Tag_Values];
  Fct_Critical_In(Label);
  const Taken taken = Take_Work(frame, key, tag_nb, wanted);
  const bool entered = taken == Taken_Tags && Busy().Enter(frame);
  // A caller inside the global section would wait for computations that need it to file (the
  // frame's own lock is never held around this call either: they need it to read the tags).
  const bool may_wait = Fct_Critical_Depth() == 1;
  Fct_Critical_Out(Label);
  if (taken == Taken_Failed) return Out(0, "! contour");
  const char* failed = taken == Taken_Tags ? Compute(frame, key, tag_nb, wanted) : nullptr;
  if (entered) Busy().Leave(frame);
  if (may_wait) Busy().Wait(frame);
  if (failed) return Out(0, failed);
  return taken == Taken_Tags ? Out(1) : Out(1, "no change");
}

}  // namespace

int Fct_Contour_Create(Quarn_2D_Frame* frame, uint32_t flags, int step_x, int step_y) {
  QUARN_REPORT(msg::Module, ">>> in  Fct: %s(%ls,%02X,%dx%d)", Label, Name_Of(Object_Of(frame)), unsigned(flags),
               step_x, step_y);
  if (!QUARN_CHECK(Object_Of(frame), Frame, Label)) return Out(0, "! frame");
  if (step_x < 1 || step_y < 1) return Bad_Steps(step_x, step_y);
  const uint16_t* tag_nb = g_tag_nb.As<uint16_t>();
  if (!tag_nb) {
    QUARN_REPORT(msg::Invalid, "%s: the host has no $TAG_NB", Label);
    return Out(0, "! TAG_NB");
  }
  // The tag layer is loaded outside the section, under the frame's own lock, so that workers
  // load the layers of their frames side by side.
  if (frame->fct_read_tag == &Frame_Read_TAG) frame->Work_TAG_Get();
  const Store_Key key{uint32_t(step_x), uint32_t(step_y), flags};
  return Create(frame, key, *tag_nb > Tag_Values ? Tag_Values : int(*tag_nb));
}
