// Progress dialogs stepped from any thread, the progress bar drawing record and the progress box.
#include <hostkit/HostProgress.h>

#include "HostFault.h"

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <new>
#include <set>

struct Host_Progress {
  std::mutex mutex;
  Host_Progress_State state;
  Host_Progress_Abort_Fn on_abort = nullptr;
  Host_Window owner = nullptr;
};

namespace {

// Open dialogs, so that a test (or the host's abort key) can reach every one of them. Recursive
// because an abort function may open another dialog.
struct Registry {
  std::recursive_mutex mutex;
  std::set<Host_Progress*> open;
};

Registry& Open_Dialogs() {
  static Registry* registry = new Registry;  // outlives every static destructor
  return *registry;
}

void Clamp_Value(Host_Progress_State& s) {
  if (s.value < 0) s.value = 0;
  if (s.total > 0 && s.value > s.total) s.value = s.total;
}

struct Bar_Record {
  std::mutex mutex;
  Host_Progress_Bar_Call redraw, pingpong;
};

Bar_Record& Bars() {
  static Bar_Record* bars = new Bar_Record;
  return *bars;
}

void Record(Host_Progress_Bar_Call Bar_Record::*which, Host_Widget_Box* box, int value, int total) {
  Bar_Record& b = Bars();
  std::lock_guard<std::mutex> hold(b.mutex);
  Host_Progress_Bar_Call& call = b.*which;
  call.box = box;
  call.value = value;
  call.total = total;
  ++call.calls;
}

}  // namespace

Host_Progress_Handle Host_Progress_Open(Host_Window owner, const wchar_t* title, const wchar_t* text,
                                        Host_Progress_Abort_Fn on_abort, int flag) {
  auto* p = new (std::nothrow) Host_Progress;
  if (!p) {
    HOSTKIT_MEMORY_ERROR("new", "progress", 1, sizeof(Host_Progress));
    return nullptr;
  }
  p->owner = owner;
  p->on_abort = on_abort;
  p->state.title = title ? title : L"";
  p->state.text = text ? text : L"";
  p->state.flag = flag;
  Registry& r = Open_Dialogs();
  std::lock_guard<std::recursive_mutex> hold(r.mutex);
  r.open.insert(p);
  return p;
}

void Host_Progress_Total(Host_Progress_Handle p, int count) {
  if (!p) return;
  std::lock_guard<std::mutex> hold(p->mutex);
  p->state.total = std::max(count, 0);
  Clamp_Value(p->state);
}

void Host_Progress_Step(Host_Progress_Handle p, int increment) {
  if (!p) return;
  std::lock_guard<std::mutex> hold(p->mutex);
  // Summed in 64 bits so that a huge step saturates instead of wrapping.
  long long v = static_cast<long long>(p->state.value) + increment;
  p->state.value = int(std::clamp<long long>(v, 0, p->state.total > 0 ? p->state.total : INT32_MAX));
  ++p->state.steps;
}

void Host_Progress_Text(Host_Progress_Handle p, const wchar_t* text) {
  if (!p) return;
  std::lock_guard<std::mutex> hold(p->mutex);
  p->state.text = text ? text : L"";
}

int Host_Progress_Aborted(Host_Progress_Handle p) {
  if (!p) return 0;
  std::lock_guard<std::mutex> hold(p->mutex);
  return p->state.aborted;
}

void Host_Progress_Close(Host_Progress_Handle p) {
  if (!p) return;
  {
    Registry& r = Open_Dialogs();
    std::lock_guard<std::recursive_mutex> hold(r.mutex);
    r.open.erase(p);
  }
  delete p;
}

int Host_Progress_Abort(Host_Progress_Handle p) {
  if (!p) return 0;
  Host_Progress_Abort_Fn call;
  {
    std::lock_guard<std::mutex> hold(p->mutex);
    if (p->state.aborted) return 0;
    p->state.aborted = true;
    call = p->on_abort;
  }
  // Outside the lock: the abort function may ask the dialog about itself.
  if (call) call(p);
  return 1;
}

int Host_Progress_Abort_All() {
  Registry& r = Open_Dialogs();
  std::lock_guard<std::recursive_mutex> hold(r.mutex);
  std::set<Host_Progress*> open = r.open;  // an abort function may open further dialogs
  int n = 0;
  for (Host_Progress* p : open) n += Host_Progress_Abort(p);
  return n;
}

int Host_Progress_Get(Host_Progress_Handle p, Host_Progress_State* state) {
  if (!p || !state) return 0;
  std::lock_guard<std::mutex> hold(p->mutex);
  *state = p->state;
  return 1;
}

int Host_Progress_Open_Count() {
  Registry& r = Open_Dialogs();
  std::lock_guard<std::recursive_mutex> hold(r.mutex);
  return int(r.open.size());
}

void Host_Progress_Bar_Redraw(Host_Widget_Box* box, int value, int total) {
  Record(&Bar_Record::redraw, box, value, total);
}

void Host_Progress_Bar_PingPong(Host_Widget_Box* box, int value, int total) {
  Record(&Bar_Record::pingpong, box, value, total);
}

Host_Progress_Bar_Call Host_Progress_Bar_Last_Redraw() {
  Bar_Record& b = Bars();
  std::lock_guard<std::mutex> hold(b.mutex);
  return b.redraw;
}

Host_Progress_Bar_Call Host_Progress_Bar_Last_PingPong() {
  Bar_Record& b = Bars();
  std::lock_guard<std::mutex> hold(b.mutex);
  return b.pingpong;
}

void Host_Progress_Bar_Reset() {
  Bar_Record& b = Bars();
  std::lock_guard<std::mutex> hold(b.mutex);
  b.redraw = Host_Progress_Bar_Call{};
  b.pingpong = Host_Progress_Bar_Call{};
}

Host_Progress_Object::Host_Progress_Object() = default;
Host_Progress_Object::~Host_Progress_Object() = default;
