// Pop-up messages and queries: logged, answered by a handler or from a script of answers.
#include <hostkit/HostWidgets.h>

#include <hostkit/HostReport.h>
#include <hostkit/HostUtil.h>

#include "HostFault.h"

#include <atomic>
#include <deque>
#include <mutex>

namespace {

struct Popup_State {
  std::mutex mutex;
  std::deque<int> answers;
  int default_answer = 0;
  std::deque<Host_Popup_Entry> history;
  uint64_t count = 0;
};

Popup_State& State() {
  static Popup_State* state = new Popup_State;  // outlives every static destructor
  return *state;
}

std::atomic<Host_Popup_Handler> g_handler{nullptr};

std::wstring Wide(const wchar_t* text) { return text ? std::wstring(text) : std::wstring(); }
std::wstring Wide(const char* text) {
  return text ? std::wstring(Host_Char_To_Wide(text)) : std::wstring();
}

void Remember(Popup_State& s, const Host_Popup_Entry& entry) {
  if (s.history.size() == HOST_POPUP_HISTORY) s.history.pop_front();
  s.history.push_back(entry);
  ++s.count;
}

void Log(Host_Window owner, const Host_Popup_Entry& e) {
  if (!Host_Report_Enabled(HOST_POPUP_REPORT_CLASS)) return;
  std::wstring line = L"Popup: " + e.title + L" / " + e.heading + L" / " + e.body;
  if (e.query) {
    line += L" [";
    for (size_t i = 0; i < e.buttons.size(); ++i) line += (i ? L"|" : L"") + e.buttons[i];
    line += L"] -> " + std::to_wstring(e.answer);
    if (e.answer >= 0) line += L" (" + e.buttons[size_t(e.answer)] + L")";
  }
  Host_Report_Text(owner, HOST_POPUP_REPORT_CLASS, line.c_str());
}

int Show_Message(Host_Window owner, Host_Popup_Entry entry) {
  if (Host_Popup_Handler handler = g_handler.load()) handler(owner, entry);
  Log(owner, entry);
  Popup_State& s = State();
  std::lock_guard<std::mutex> hold(s.mutex);
  Remember(s, entry);
  return 1;
}

// The handler runs without the lock: a real dialog may take its time or pop up again.
int Show_Query(Host_Window owner, Host_Popup_Entry entry) {
  entry.query = true;
  int n = int(entry.buttons.size());
  if (n == 0) {
    HOSTKIT_INVALID(owner, "Host_Popup_Query: no buttons in \"%ls\"", entry.title.c_str());
    entry.answer = -1;
  } else {
    Host_Popup_Handler handler = g_handler.load();
    int answer = handler ? handler(owner, entry) : -1;
    if (answer < 0) {
      Popup_State& s = State();
      std::lock_guard<std::mutex> hold(s.mutex);
      answer = s.default_answer;
      if (!s.answers.empty()) {
        answer = s.answers.front();
        s.answers.pop_front();
      }
    }
    if (answer < 0 || answer >= n) {
      HOSTKIT_INVALID(owner, "Host_Popup_Query: answer %d is not one of the %d buttons of \"%ls\"",
                      answer, n, entry.title.c_str());
      answer = n - 1;
    }
    entry.answer = answer;
  }
  Log(owner, entry);
  Popup_State& s = State();
  std::lock_guard<std::mutex> hold(s.mutex);
  Remember(s, entry);
  return entry.answer;
}

template <class Char>
Host_Popup_Entry Entry(const Char* title, const Char* heading, const Char* body, int width,
                       int height, int key) {
  Host_Popup_Entry e;
  e.title = Wide(title);
  e.heading = Wide(heading);
  e.body = Wide(body);
  e.width = width;
  e.height = height;
  e.key = key;
  return e;
}

template <class Char>
void Add_Buttons(Host_Popup_Entry& e, const Char* const* buttons) {
  for (; buttons && *buttons && **buttons; ++buttons) e.buttons.push_back(Wide(*buttons));
}

}  // namespace

int Host_Popup_Message(Host_Window owner, const wchar_t* title, const wchar_t* heading,
                       const wchar_t* body, int width, int height, int key) {
  return Show_Message(owner, Entry(title, heading, body, width, height, key));
}

int Host_Popup_Message(Host_Window owner, const char* title, const char* heading, const char* body,
                       int width, int height, int key) {
  return Show_Message(owner, Entry(title, heading, body, width, height, key));
}

int Host_Popup_Query(Host_Window owner, const wchar_t* title, const wchar_t* heading,
                     const wchar_t* body, const wchar_t* const* buttons, int width, int height,
                     int key) {
  Host_Popup_Entry e = Entry(title, heading, body, width, height, key);
  Add_Buttons(e, buttons);
  return Show_Query(owner, std::move(e));
}

int Host_Popup_Query(Host_Window owner, const char* title, const char* heading, const char* body,
                     const char* const* buttons, int width, int height, int key) {
  Host_Popup_Entry e = Entry(title, heading, body, width, height, key);
  Add_Buttons(e, buttons);
  return Show_Query(owner, std::move(e));
}

void Host_Popup_Answer_Push(int answer) {
  Popup_State& s = State();
  std::lock_guard<std::mutex> hold(s.mutex);
  s.answers.push_back(answer);
}

void Host_Popup_Answer_Default(int answer) {
  Popup_State& s = State();
  std::lock_guard<std::mutex> hold(s.mutex);
  s.default_answer = answer;
}

void Host_Popup_Reset() {
  Popup_State& s = State();
  std::lock_guard<std::mutex> hold(s.mutex);
  s.answers.clear();
  s.default_answer = 0;
  s.history.clear();
  s.count = 0;
}

size_t Host_Popup_Answers_Pending() {
  Popup_State& s = State();
  std::lock_guard<std::mutex> hold(s.mutex);
  return s.answers.size();
}

Host_Popup_Handler Host_Popup_Handler_Set(Host_Popup_Handler handler) {
  return g_handler.exchange(handler);
}

std::vector<Host_Popup_Entry> Host_Popup_History() {
  Popup_State& s = State();
  std::lock_guard<std::mutex> hold(s.mutex);
  return {s.history.begin(), s.history.end()};
}

uint64_t Host_Popup_Count() {
  Popup_State& s = State();
  std::lock_guard<std::mutex> hold(s.mutex);
  return s.count;
}
