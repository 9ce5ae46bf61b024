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
  std::deque<std::pair<uint32_t, int>> form_answers;  // check bits, choice
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
  for (size_t i = 0; i < e.checks.size(); ++i)
    line += L" [" + std::wstring(e.check_values[i] ? L"x" : L" ") + L"] " + e.checks[i];
  if (e.choice >= 0) line += L" " + e.choice_label + L" " + e.choices[size_t(e.choice)];
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

// A form's check boxes and choice list as shown.
void Add_Controls(Host_Popup_Entry& e, const Host_Popup_Form& form) {
  for (int i = 0; form.checks && form.checks[i] && *form.checks[i]; ++i) {
    e.checks.push_back(form.checks[i]);
    e.check_values.push_back(form.check_values ? form.check_values[i] : 0);
  }
  if (form.choice_label) {
    e.choice_label = form.choice_label;
    for (int i = 0; form.choices && form.choices[i] && *form.choices[i]; ++i) e.choices.push_back(form.choices[i]);
    const int shown = form.choice ? *form.choice : -1;
    e.choice = shown >= 0 && size_t(shown) < e.choices.size() ? shown : -1;
  }
  e.font = Wide(form.font_face);
  if (form.font_weight) e.font += L" " + Wide(form.font_weight);
}

// The controls' answers: the next scripted form answer, else the states shown.
void Answer_Controls(Host_Popup_Entry& e) {
  Popup_State& s = State();
  std::lock_guard<std::mutex> hold(s.mutex);
  if (s.form_answers.empty()) return;
  const auto [bits, choice] = s.form_answers.front();
  s.form_answers.pop_front();
  for (size_t i = 0; i < e.check_values.size() && i < 32; ++i) e.check_values[i] = (bits >> i) & 1;
  if (choice >= 0 && size_t(choice) < e.choices.size()) e.choice = choice;
}

void Give_Back(const Host_Popup_Entry& e, Host_Popup_Form& form) {
  if (form.check_values)
    for (size_t i = 0; i < e.check_values.size(); ++i) form.check_values[i] = e.check_values[i];
  if (form.choice && form.choice_label) *form.choice = e.choice;
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

int Host_Popup_Query_Form(Host_Window owner, const wchar_t* title, const wchar_t* heading,
                          const wchar_t* body, const wchar_t* const* buttons, Host_Popup_Form* form,
                          int width, int height, int key) {
  Host_Popup_Entry e = Entry(title, heading, body, width, height, key);
  Add_Buttons(e, buttons);
  if (form) {
    Add_Controls(e, *form);
    Answer_Controls(e);
    Give_Back(e, *form);
  }
  return Show_Query(owner, std::move(e));
}

void Host_Popup_Form_Answer_Push(uint32_t checks, int choice) {
  Popup_State& s = State();
  std::lock_guard<std::mutex> hold(s.mutex);
  s.form_answers.emplace_back(checks, choice);
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
  s.form_answers.clear();
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
