// The threaded contour driver: picks the selected frames of the current window and runs the
// per-frame work over them, one computation job at a time.
#include "algorithms/Contour_Driver.h"

#include <quarn/algorithms/Contour.h>
#include <quarn/classes/Class_Flag.h>
#include <quarn/classes/Iterator.h>
#include <quarn/frames/Quarn_2D_Frame.h>
#include <quarn/host/Progress.h>
#include <quarn/script/Script_Reader.h>

#include "algorithms/Contour_Store.h"
#include "classes/Node_Kinds.h"
#include "classes/Tree_Trace.h"
#include "script/Remembered_Variable.h"

#include <hostkit/HostUtil.h>
#include <hostkit/HostWidgets.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <system_error>
#include <thread>

using namespace quarn;
using namespace quarn::contour;

namespace {

constexpr const char* Label = "Fct_Contour_Compute";
/// Interface lock values while a job runs: keep the focus, refuse every action.
constexpr uint8_t Lock_Focus = 1;
constexpr uint16_t Lock_Action = 15;
/// Redraw word sent when a job ends.
constexpr uint64_t Job_Redraw = 0x3FFF0000;
/// Stack wished for each worker: the extraction keeps its records on the heap.
constexpr uint32_t Worker_Stack = 1u << 20;

Remembered_Variable g_window_cur{L"$WINDOW_CUR"};
Remembered_Variable g_tag_nb{L"$TAG_NB"};
Remembered_Variable g_lock_focus{L"$INTERFACE_LOCK_FOCUS", true};
Remembered_Variable g_lock_action{L"$INTERFACE_LOCK_ACTION", true};

std::atomic<int> g_computing{0};  // work items inside their computation

/// A job and the dispatch request that runs it; owned by the job's thread.
struct Running_Job {
  Job job;
  Fct_Dispatch_Request request;
};

/// The job started last: its thread, and whether it still runs. Never destroyed, so that a job
/// still running at exit does not end the process.
struct Driver {
  std::mutex mutex;
  std::condition_variable ended;
  bool running = false;
  std::thread thread;
};

Driver& The_Driver() {
  static Driver* driver = new Driver;
  return *driver;
}

bool Job_Running() {
  Driver& d = The_Driver();
  std::lock_guard<std::mutex> hold(d.mutex);
  return d.running;
}

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

// Gives back what a job holds: its frame list (the dispatcher frees and clears it when it ran),
// the progress (the dispatcher closes it when it ran: closed) and the interface locks.
void Job_Release(Running_Job* run, bool closed) {
  if (!closed) {
    Host_Progress_Close(run->job.progress);
    if (run->request.count > 1) Fct_Progress_Stop();
  }
  std::free(run->request.frames);
  delete run;
  Set_If_Defined<uint8_t>(g_lock_focus, 0);
  Set_If_Defined<uint16_t>(g_lock_action, 0);
}

// The job's thread: the dispatcher runs the work of every frame on its workers and, once they
// all ended, sends the held-back updates, the job's redraw, and closes the progress.
void Job_Thread(Running_Job* run) {
  Job_Release(run, Fct_Dispatch_Other(&run->request) != 0);
  Driver& d = The_Driver();
  {
    std::lock_guard<std::mutex> hold(d.mutex);
    d.running = false;
  }
  d.ended.notify_all();
}

[[gnu::cold, gnu::noinline]] void Start_Failed(const std::system_error& e, Running_Job* run) {
  const wchar_t* why = Host_Errno_Text(e.code().value());
  wchar_t body[512];
  Host_Format(body, sizeof body / sizeof *body, L"Unable to start Contour thread\n %ls", why);
  Host_Popup_Message(Host_Main_Window, L"ERROR!", L"Thread Start failure", body, 0, 0, 0);
  QUARN_REPORT(msg::Invalid, "\xF1\x04" "ERROR:\x02 Unable to start Contour thread");
  Host_Wait_Cursor_Off(Host_Main_Window);
  Job_Release(run, false);
}

// Starts the job's thread (taking over run); false when it could not start (reported).
bool Job_Start(Running_Job* run) {
  Driver& d = The_Driver();
  std::thread previous;
  {
    std::lock_guard<std::mutex> hold(d.mutex);
    previous = std::move(d.thread);  // ended, or about to
    d.running = true;
  }
  if (previous.joinable()) previous.join();
  std::thread thread;
  try {
    thread = std::thread(Job_Thread, run);
  } catch (const std::system_error& e) {
    {
      std::lock_guard<std::mutex> hold(d.mutex);
      d.running = false;
    }
    Start_Failed(e, run);
    return false;
  }
  std::lock_guard<std::mutex> hold(d.mutex);
  d.thread = std::move(thread);
  return true;
}

}  // namespace

namespace quarn::contour {

unsigned Contour_Fct_Thread(Fct_Dispatch_Block* work) {
  const auto* job = static_cast<const Job*>(work->context);
  g_computing.fetch_add(1);
  QUARN_REPORT(msg::Module, "-> Compute contour %dx%d for %ls", int(job->step_x), int(job->step_y),
               Name_Of(Object_Of(work->frame)));
  Fct_Contour_Create(work->frame, job->flags & CONTOUR_STORE_FLAGS, job->step_x, job->step_y);
  g_computing.fetch_sub(1);
  Fct_Progress_Inc(1);
  Host_Progress_Step(job->progress, 1);
  Fct_Dispatch_End();
  return 1;
}

void Contour_Job_Wait() {
  Driver& d = The_Driver();
  std::thread thread;
  {
    std::unique_lock<std::mutex> hold(d.mutex);
    d.ended.wait(hold, [&] { return !d.running; });
    thread = std::move(d.thread);
  }
  if (thread.joinable()) thread.join();
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
  if (Job_Running() || g_computing.load()) {
    QUARN_REPORT(msg::Low_File, "-> %s(): already have an active thread running!", Label);
    return Out(0, "active");
  }
  Quarn_Window* const* window = g_window_cur.As<Quarn_Window*>();
  if (!window || !*window) return Out(0, "! window");
  if (!step_x || !step_y) {
    QUARN_REPORT(msg::Invalid, "%s: invalid step %dx%d (steps are 1 or more)", Label, int(step_x), int(step_y));
    return Out(0, "! step");
  }
  auto* run = new (std::nothrow) Running_Job;
  if (!run) return Memory_Error("fct_contour", __LINE__, "new", "Job", 1, sizeof(Running_Job)), Out(0, "! memory");
  run->job = Job{flags, step_x, step_y, nullptr};
  Quarn_2D_Frame** frames = nullptr;
  const int count = Contour_Frames_Select(*window, run->job, Tag_Count(), frame_step, &frames);
  if (count <= 0) {
    delete run;
    return Out(count == 0 ? 1 : 0, count == 0 ? "no frame" : "! memory");
  }
  Set_If_Defined<uint8_t>(g_lock_focus, Lock_Focus);
  Set_If_Defined<uint16_t>(g_lock_action, Lock_Action);
  const bool scripted = Script_Flag_Get() & SCRIPT_FLAG_EXECUTE;
  if (count > 1) {
    Fct_Progress_Start(count);
    if (!scripted)
      run->job.progress =
          Host_Progress_Open(Host_Main_Window, L"Contour Progress", L"Computing Contour Lines", nullptr, 0);
  }
  QUARN_REPORT(msg::Notice, "Computing Contour Lines %dx%d for \x01%d\x02 frames", int(step_x), int(step_y), count);
  Fct_Dispatch_Request& request = run->request;
  request.name = "Contour_Fct_Thread";
  request.detail = "contour lines";
  request.redraw_mask = Job_Redraw;
  request.count = count;
  request.frames = frames;
  request.context = &run->job;
  request.stack_size = Worker_Stack;
  request.progress = run->job.progress;
  request.worker = &Contour_Fct_Thread;
  if (!Job_Start(run)) return Out(0, "! thread");
  if (scripted) {
    Contour_Job_Wait();
    QUARN_REPORT(msg::Module, "-> %s thread finished", Label);
  }
  return Out(1);
}
