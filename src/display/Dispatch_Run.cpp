// The dispatcher's launches and waits, the workers' start and end, and Fct_Dispatch_End.
#include "display/Dispatch_Run.h"

#include <quarn/display/Update.h>
#include <quarn/host/Progress.h>

#include <hostkit/HostUtil.h>
#include <hostkit/HostWidgets.h>

#include "core/Trace.h"
#include "display/Thread_Ids.h"
#include "script/Remembered_Variable.h"
#include "undo/Pixel_Recorder.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace quarn::dispatch {

namespace {

constexpr uint32_t Trace = msg::Database;
constexpr uint32_t No_Slot = UINT32_MAX;
constexpr uint64_t Redraw_Frames = 0x80;
constexpr uint64_t Update_Frames = 0x80000;
constexpr int64_t Timeout_Scale_Ms = 1250;  // "$COMPUTER_TIMEOUT" seconds x 1.25

Remembered_Variable g_timeout{L"$COMPUTER_TIMEOUT"};
Remembered_Variable g_lock_focus{L"$INTERFACE_LOCK_FOCUS", true};

struct Run_State;

/// One worker: its block and the hand-shake that enters its identity before it runs. The flags
/// are guarded by Run_State::mutex.
struct Worker {
  Fct_Dispatch_Block block{};
  uint32_t id = 0;                 // set by the thread: it knows its identity
  bool go = false;                 // the identity is listed
  bool done = false;               // the routine returned
  std::atomic<bool> ended{false};  // Fct_Dispatch_End was called
  std::thread thread;
};

/// What the workers share; it lives until the last of them, even one that outlived the wait.
/// The worker units are a count under the mutex rather than a library semaphore, whose waits
/// begin by yielding the processor: on a busy machine every yield costs a time slice.
struct Run_State {
  Run_State(int units, std::shared_ptr<uint32_t[]> list, int list_nb, Fct_Dispatch_Worker routine, int n)
      : units(units), ids(std::move(list)), id_nb(list_nb), routine(routine), workers(size_t(n)) {}
  int units;
  std::shared_ptr<uint32_t[]> ids;
  int id_nb;
  Fct_Dispatch_Worker routine;
  std::vector<Worker> workers;
  std::mutex mutex;
  std::condition_variable changed;  // a unit, an identity, a go or an end

  /// Takes a worker unit, waiting at most timeout_ms; false on time-out.
  bool Take_Unit(int64_t timeout_ms) {
    std::unique_lock<std::mutex> hold(mutex);
    if (!changed.wait_for(hold, std::chrono::milliseconds(timeout_ms), [this] { return units > 0; })) return false;
    --units;
    return true;
  }
  void Give_Unit() {
    {
      std::lock_guard<std::mutex> hold(mutex);
      ++units;
    }
    changed.notify_all();
  }
  /// Sets a flag of a worker and wakes whoever waits for it.
  void Signal(bool& flag) {
    {
      std::lock_guard<std::mutex> hold(mutex);
      flag = true;
    }
    changed.notify_all();
  }
};

thread_local Worker* t_worker = nullptr;
thread_local Run_State* t_run = nullptr;

// The run of the dispatch now going, for an End called by a thread that is no worker of it.
std::mutex g_current_mutex;
std::weak_ptr<Run_State> g_current;

std::atomic_ref<uint32_t> Entry(Run_State& run, int i) { return std::atomic_ref<uint32_t>(run.ids[i]); }

// Frees the entry of id and gives one worker unit back.
void End_Of(Run_State& run, uint32_t id) {
  for (int i = 0; i < run.id_nb; ++i) {
    uint32_t expected = id;
    if (Entry(run, i).compare_exchange_strong(expected, 0)) break;
  }
  run.Give_Unit();
}

void Worker_Main(std::shared_ptr<Run_State> run, size_t index) {
  Worker& w = run->workers[index];
  {
    std::unique_lock<std::mutex> hold(run->mutex);
    w.id = Thread_Id_Self();
    run->changed.notify_all();
    run->changed.wait(hold, [&] { return w.go; });
  }
  t_worker = &w;
  t_run = run.get();
  run->routine(&w.block);
  // A routine that forgot its last call still gives its entry and its unit back.
  if (!w.ended.load()) Fct_Dispatch_End();
  t_worker = nullptr;
  t_run = nullptr;
  undo::Thread_Exit(w.id);
  run->Signal(w.done);
}

// Enters the worker's identity in the first free entry.
uint32_t Enter(Run_State& run, uint32_t id) {
  for (int i = 0; i < run.id_nb; ++i) {
    uint32_t expected = 0;
    if (Entry(run, i).compare_exchange_strong(expected, id)) return uint32_t(i);
  }
  return No_Slot;
}

[[gnu::cold, gnu::noinline]] void Start_Failed(const std::system_error& e) {
  const wchar_t* why = Host_Errno_Text(e.code().value());
  wchar_t body[512];
  Host_Format(body, sizeof body / sizeof *body, L"Unable to start thread in Fct_Dispatch\n%ls", why);
  Host_Popup_Message(Host_Main_Window, L"ERROR!", L"Thread Start failure", body, 0, 0, 0);
  QUARN_REPORT(msg::Low_File, "file:%s line:%d", "fct_dispatch", __LINE__);
  QUARN_REPORT(msg::Invalid, "\xF1\x04" "ERROR:\x02 Unable to start thread in Fct_Dispatch");
  QUARN_REPORT(msg::Invalid, L"\xF1\t %ls", why);
}

// Starts the worker and lists it; false when the thread could not start.
bool Launch(const std::shared_ptr<Run_State>& run, size_t index) {
  Worker& w = run->workers[index];
  try {
    w.thread = std::thread(Worker_Main, run, index);
  } catch (const std::system_error& e) {
    Start_Failed(e);
    return false;
  }
  uint32_t id;
  {
    std::unique_lock<std::mutex> hold(run->mutex);
    run->changed.wait(hold, [&] { return w.id != 0; });
    id = w.id;
  }
  w.block.slot = Enter(*run, id);
  run->Signal(w.go);
  return true;
}

// Waits for the worker; a worker that is not done in time is left running, reported.
void Wait(Run_State& run, Worker& w, int position, int64_t timeout_ms) {
  std::unique_lock<std::mutex> hold(run.mutex);
  const bool done = run.changed.wait_for(hold, std::chrono::milliseconds(timeout_ms), [&] { return w.done; });
  hold.unlock();
  if (done) {
    w.thread.join();
    return;
  }
  QUARN_REPORT(msg::Memory, "Fct_Dispatch: Thread[%d] timeout", position);
  w.thread.detach();
}

// Launch order for stride g: 0, g, 2g, ..., then 1, 1 + g, ..., and so on.
std::vector<int> Launch_Order(int n, int stride) {
  std::vector<int> order;
  order.reserve(size_t(n));
  for (int first = 0; first < stride; ++first)
    for (int i = first; i < n; i += stride) order.push_back(i);
  return order;
}

std::shared_ptr<Run_State> Make_Run(const Fct_Dispatch_Request& request, int units,
                                    const std::shared_ptr<uint32_t[]>& ids, int count) {
  try {
    return std::make_shared<Run_State>(units, ids, count, request.worker, std::max(request.count, 0));
  } catch (const std::bad_alloc&) {
    QUARN_REPORT(msg::Memory, "line %-4d of %s \nmemory error in calloc (var=%s, dim=%dx%d)", __LINE__,
                 "fct_dispatch", "data", request.count, int(sizeof(Worker)));
    return nullptr;
  }
}

void Finish(const Fct_Dispatch_Request& request, int launched) {
  if (Host_Progress_Aborted(request.progress))
    QUARN_REPORT(msg::Invalid, "Operation Aborted after \x01%d\x02 frames", launched);
  Fct_Redraw(Redraw_Frames, nullptr);
  Host_Progress_Close(request.progress);
  if (uint8_t* focus = g_lock_focus.As<uint8_t>()) *focus = 0;
  Fct_Progress_Stop();
  Fct_Update(Update_Frames, nullptr);
}

}  // namespace

int64_t Timeout_Ms(const Fct_Dispatch_Request& request) {
  if (request.timeout) return int64_t(request.timeout) * 1000;
  return int64_t(g_timeout.Value<uint32_t>()) * Timeout_Scale_Ms;
}

int Run(const Fct_Dispatch_Request& request, const std::shared_ptr<uint32_t[]>& ids, int count) {
  const int n = std::max(request.count, 0);
  const int stride = std::max(request.stride, 1);
  QUARN_REPORT(Trace, ">>> in  Fct: Fct_Dispatch(%d frames)", n);
  const int64_t timeout_ms = Timeout_Ms(request);
  const int units = std::max(1, std::min(n / stride, count));
  QUARN_REPORT(Trace, "-> Fct_Dispatch(): nb_thread = %d", units);
  if (Host_Report_Enabled(Trace)) {
    wchar_t stack[64];
    QUARN_REPORT(Trace, L"-> Fct_Dispatch(): Stack=%ls",
                 Host_Bytes_To_Text(uint64_t(units) * request.stack_size, stack));
  }
  std::shared_ptr<Run_State> run = Make_Run(request, units, ids, count);
  if (!run) return 0;
  {
    std::lock_guard<std::mutex> hold(g_current_mutex);
    g_current = run;
  }
  std::vector<int> started;
  int launched = 0;
  for (int i : Launch_Order(n, stride)) {
    Worker& w = run->workers[size_t(i)];
    w.block = {request.frames ? request.frames[i] : nullptr, request.context, request.progress,
               request.argument, No_Slot};
    if (Host_Progress_Aborted(request.progress)) break;
    if (!w.block.frame) {
      QUARN_REPORT(msg::Invalid, "Fct_Dispatch: frame %d is null, skipped", i);
      continue;
    }
    if (!run->Take_Unit(timeout_ms)) {
      QUARN_REPORT(msg::Memory, "Fct_Dispatch: Semaphore timeout");
      break;
    }
    // The abort may have come while waiting for a unit.
    if (Host_Progress_Aborted(request.progress)) {
      run->Give_Unit();
      break;
    }
    ++launched;
    if (Launch(run, size_t(i))) started.push_back(i);
    else run->Give_Unit();  // a start that failed keeps no unit
  }
  QUARN_REPORT(Trace, "-> Fct_Dispatch(): All threads have started");
  for (size_t k = 0; k < started.size(); ++k) Wait(*run, run->workers[size_t(started[k])], int(k), timeout_ms);
  QUARN_REPORT(Trace, "-> Fct_Dispatch(): All threads are finished");
  Finish(request, launched);
  QUARN_REPORT(Trace, "<<< out Fct: Fct_Dispatch()");
  return 1;
}

}  // namespace quarn::dispatch

void Fct_Dispatch_End() {
  using namespace quarn::dispatch;
  QUARN_REPORT(quarn::msg::Database, ">>> in  Fct: Fct_Dispatch_End()");
  if (Worker* w = t_worker) {
    if (!w->ended.exchange(true)) End_Of(*t_run, w->id);
  } else {
    std::shared_ptr<Run_State> run;
    {
      std::lock_guard<std::mutex> hold(g_current_mutex);
      run = g_current.lock();
    }
    // Not a worker of ours: only an identity the dispatch listed is given back.
    const uint32_t id = quarn::Thread_Id_Self();
    bool listed = false;
    for (int i = 0; run && i < run->id_nb && !listed; ++i) listed = Entry(*run, i).load() == id;
    if (listed) End_Of(*run, id);
    else QUARN_REPORT(quarn::msg::Invalid, "Fct_Dispatch_End: the calling thread is no dispatch worker");
  }
  QUARN_REPORT(quarn::msg::Database, "<<< out Fct: Fct_Dispatch_End()");
}
