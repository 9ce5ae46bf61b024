// The threaded contour driver: picks the selected frames of the current window and runs the
// per-frame work over them, one computation job at a time.
#include "algorithms/Contour_Driver.h"

#include <quarn/algorithms/Contour.h>
#include <quarn/classes/Class_Flag.h>
#include <quarn/classes/Iterator.h>
#include <quarn/display/Update.h>
#include <quarn/frames/Quarn_2D_Frame.h>
#include <quarn/host/Progress.h>
#include <quarn/script/Script_Reader.h>

#include "algorithms/Contour_Store.h"
#include "classes/Node_Kinds.h"
#include "classes/Tree_Trace.h"
#include "script/Remembered_Variable.h"

#include <atomic>
#include <cstdlib>

using namespace quarn;
using namespace quarn::contour;

namespace {

constexpr const char* Label = "Fct_Contour_Compute";
/// Interface lock values while a job runs: keep the focus, refuse every action.
constexpr uint8_t Lock_Focus = 1;
constexpr uint16_t Lock_Action = 15;
/// Redraw word sent when a job ends.
constexpr uint64_t Job_Redraw = 0x3FFF0000;
/// Window selector of every window of the list.
Quarn_Window* const All_Windows = nullptr;

Remembered_Variable g_window_cur{L"$WINDOW_CUR"};
Remembered_Variable g_tag_nb{L"$TAG_NB"};
Remembered_Variable g_lock_focus{L"$INTERFACE_LOCK_FOCUS", true};
Remembered_Variable g_lock_action{L"$INTERFACE_LOCK_ACTION", true};

std::atomic<int> g_computing{0};  // work items inside their computation
std::atomic<bool> g_job{false};   // a job was started and has not finished

int Out(int result, const char* why = nullptr) {
  if (why) QUARN_REPORT(msg::Module, "<<< out Fct: %s(%s)", Label, why);
  else QUARN_REPORT(msg::Module, "<<< out Fct: %s()", Label);
  return result;
}

template <class T>
void Set_If_Defined(Remembered_Variable& variable, T value) {
  if (T* storage = variable.As<T>()) *storage = value;
}

int Tag_Count() {
  const uint16_t* tag_nb = g_tag_nb.As<uint16_t>();
  return tag_nb ? (*tag_nb > Tag_Values ? Tag_Values : int(*tag_nb)) : 0;
}

// A frame whose store holds the job's steps and flags and none of whose tags changed since.
bool Current(Quarn_2D_Frame* frame, const Job& job, int tag_nb) {
  const Store_Key key{job.step_x, job.step_y, job.flags & CONTOUR_STORE_FLAGS};
  frame->Critical_Class_In(Label);
  const bool current = Store_Matches(Store_Get(frame), key, tag_nb) && !Tags_Marked(frame, tag_nb);
  frame->Critical_Class_Out(Label);
  return current;
}

// The class (A and B) of the groups: that of the first selected frame's parent; 0 when no frame
// is selected.
uint32_t Group_Class(Quarn_Window* window) {
  const uint16_t id = Iterator_Init(Label, nullptr);
  Quarn_2D* first = Iterator_Class_2D(id, Class_A_Frame, window, mode::If_Selected);
  Iterator_End(id);
  if (!first) return 0;
  QUARN_CHECK(Object_Of(first), Frame, Label);
  Quarn_2D* parent = first->Parent_Get_Pt();
  return parent ? parent->Class_AB_Get() : 0;
}

[[gnu::cold]] void Too_Many_Groups() {
  QUARN_REPORT(msg::Invalid, "\xF1\x05WARNING:\x02 To many groups!");
  QUARN_REPORT(msg::Invalid, "\xF1\tThere is more than one selected");
  QUARN_REPORT(msg::Invalid, "\xF1\tgroup of frames. Only the first");
  QUARN_REPORT(msg::Invalid, "\xF1\tgroup will be used.");
}

bool Append(Quarn_2D_Frame*** frames, int* count, Quarn_2D_Frame* frame) {
  auto* grown = static_cast<Quarn_2D_Frame**>(std::realloc(*frames, sizeof(Quarn_2D_Frame*) * size_t(*count + 1)));
  if (!grown) return Memory_Error("fct_contour", __LINE__, "realloc", "data.frame", *count + 1, sizeof(void*)), false;
  grown[(*count)++] = frame;
  *frames = grown;
  return true;
}

// Ends a job the way the dispatcher ends its work: the held-back updates go out once, every
// window repaints, the progress and the interface locks are released.
void Job_Finish(Job* job, Quarn_2D_Frame** frames, int count) {
  Fct_Update(UPDATE_DELAY_OFF);
  Fct_Redraw(Job_Redraw, All_Windows);
  if (job->progress) Host_Progress_Close(job->progress);
  if (count > 1) Fct_Progress_Stop();
  Set_If_Defined<uint8_t>(g_lock_focus, 0);
  Set_If_Defined<uint16_t>(g_lock_action, 0);
  std::free(frames);
  delete job;
  g_job.store(false);
}

// Runs the work of every frame and finishes the job; takes over job and frames. The work items
// run one after another on this thread; handed to the dispatcher, each runs on a worker of its
// own (Contour_Fct_Thread as the request's work, the job as its context, Job_Redraw as its
// redraw word) and Job_Finish becomes the request's end.
void Job_Run(Job* job, Quarn_2D_Frame** frames, int count) {
  Fct_Update(UPDATE_DELAY_ON);
  for (int i = 0; i < count && !Host_Progress_Aborted(job->progress); ++i) {
    Work_Block block;
    block.frame = frames[i];
    block.context = job;
    block.progress = job->progress;
    Contour_Fct_Thread(&block);
  }
  Job_Finish(job, frames, count);
}

}  // namespace

namespace quarn::contour {

unsigned Contour_Fct_Thread(void* block) {
  auto* work = static_cast<Work_Block*>(block);
  const auto* job = static_cast<const Job*>(work->context);
  g_computing.fetch_add(1);
  QUARN_REPORT(msg::Module, "-> Compute contour %dx%d for %ls", int(job->step_x), int(job->step_y),
               Name_Of(Object_Of(work->frame)));
  Fct_Contour_Create(work->frame, job->flags & CONTOUR_STORE_FLAGS, job->step_x, job->step_y);
  g_computing.fetch_sub(1);
  Fct_Progress_Inc(1);
  Host_Progress_Step(job->progress, 1);
  return 1;
}

int Contour_Frames_Select(Quarn_Window* window, const Job& job, int tag_nb, uint16_t frame_step,
                          Quarn_2D_Frame*** frames) {
  *frames = nullptr;
  const uint32_t group_class = Group_Class(window);
  if (!group_class) return 0;
  const int stride = frame_step ? frame_step : 1;
  int count = 0, groups = 0;
  const uint16_t id = Iterator_Init(Label, nullptr);
  while (Quarn_2D* group = Iterator_Class_2D(id, group_class, window, mode::If_Selected)) {
    if (groups++ && (job.flags & CONTOUR_FIRST_GROUP)) {
      Too_Many_Groups();
      break;
    }
    QUARN_CHECK(Object_Of(group), Class_2D, Label);
    for (int i = 0; i < group->Child_Get_Nb(); i += stride) {
      Quarn_2D_Frame* frame = Frame_If(group->Child_Get_Pt(i));
      if (!frame || Current(frame, job, tag_nb)) continue;
      if (!Append(frames, &count, frame)) {
        Iterator_End(id);
        std::free(*frames);
        *frames = nullptr;
        return -1;
      }
    }
  }
  Iterator_End(id);
  return count;
}

}  // namespace quarn::contour

int Fct_Contour_Active() { return g_computing.load() > 0 ? 1 : 0; }

int Fct_Contour_Compute(uint32_t flags, uint16_t step_x, uint16_t step_y, uint16_t frame_step) {
  QUARN_REPORT(msg::Module, ">>> in  Fct: %s(%02X,%dx%d,%d)", Label, unsigned(flags), int(step_x), int(step_y),
               int(frame_step));
  if (g_job.load() || g_computing.load()) {
    QUARN_REPORT(msg::Low_File, "-> %s(): already have an active thread running!", Label);
    return Out(0, "active");
  }
  Quarn_Window* const* window = g_window_cur.As<Quarn_Window*>();
  if (!window || !*window) return Out(0, "! window");
  if (!step_x || !step_y) {
    QUARN_REPORT(msg::Invalid, "%s: invalid step %dx%d (steps are 1 or more)", Label, int(step_x), int(step_y));
    return Out(0, "! step");
  }
  auto* job = new (std::nothrow) Job{flags, step_x, step_y, nullptr};
  if (!job) return Memory_Error("fct_contour", __LINE__, "new", "Job", 1, sizeof(Job)), Out(0, "! memory");
  Quarn_2D_Frame** frames = nullptr;
  const int count = Contour_Frames_Select(*window, *job, Tag_Count(), frame_step, &frames);
  if (count <= 0) {
    delete job;
    return Out(count == 0 ? 1 : 0, count == 0 ? "no frame" : "! memory");
  }
  g_job.store(true);
  Set_If_Defined<uint8_t>(g_lock_focus, Lock_Focus);
  Set_If_Defined<uint16_t>(g_lock_action, Lock_Action);
  const bool scripted = Script_Flag_Get() & SCRIPT_FLAG_EXECUTE;
  if (count > 1) {
    Fct_Progress_Start(count);
    if (!scripted)
      job->progress = Host_Progress_Open(Host_Main_Window, L"Contour Progress", L"Computing Contour Lines", nullptr, 0);
  }
  QUARN_REPORT(msg::Notice, "Computing Contour Lines %dx%d for \x01%d\x02 frames", int(step_x), int(step_y), count);
  Job_Run(job, frames, count);
  if (scripted) QUARN_REPORT(msg::Module, "-> %s thread finished", Label);
  return Out(1);
}
