// Brackets of pointer work on a window: a nesting count and the last tag, for the host to watch.
#include <hostkit/HostUtil.h>

#include <mutex>
#include <string>

namespace {
struct Region_State {
  std::mutex mutex;
  int depth = 0;
  std::string last_tag;
};

Region_State& State() {
  static Region_State state;
  return state;
}
}  // namespace

void Host_Region_Begin(Host_Window, const char* tag) {
  Region_State& s = State();
  std::lock_guard<std::mutex> hold(s.mutex);
  ++s.depth;
  s.last_tag = tag ? tag : "";
}

void Host_Region_End(Host_Window) {
  Region_State& s = State();
  std::lock_guard<std::mutex> hold(s.mutex);
  if (s.depth > 0) --s.depth;
}

int Host_Region_Depth() {
  Region_State& s = State();
  std::lock_guard<std::mutex> hold(s.mutex);
  return s.depth;
}

std::string Host_Region_Last_Tag() {
  Region_State& s = State();
  std::lock_guard<std::mutex> hold(s.mutex);
  return s.last_tag;
}
