// The clipboard: one owner at a time, the text kept by the process and handed to the desktop's
// clipboard through a helper program (which keeps serving it after it returns).
#include <platform/PlatformClipboard.h>

#include "PlatformProcess.h"
#include "PlatformUtf8.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cwchar>
#include <mutex>
#include <thread>

namespace {

struct Clipboard_State {
  std::mutex lock;
  bool open = false;
  std::thread::id owner;
  wchar_t* text = nullptr;  // the last text handed over, owned
};

Clipboard_State& State() {
  static Clipboard_State* state = new Clipboard_State;  // outlives every static destructor
  return *state;
}

platform::Program_Choice& Helper() {
  static platform::Program_Choice* choice = new platform::Program_Choice({"wl-copy", "xclip", "xsel"});
  return *choice;
}

// Each helper's way of being told to take its standard input as the clipboard's text.
std::vector<std::string> Helper_Command(const std::string& helper) {
  const size_t slash = helper.rfind('/');
  const std::string name = helper.substr(slash == std::string::npos ? 0 : slash + 1);
  if (name == "wl-copy") return {helper};
  if (name == "xsel") return {helper, "--clipboard", "--input"};
  return {helper, "-selection", "clipboard", "-in"};
}

bool Owned_By_Caller(Clipboard_State& s) { return s.open && s.owner == std::this_thread::get_id(); }

int Refuse(int error) {
  errno = error;
  return 0;
}

// Runs the helper outside the lock; false with errno when it could not take the text.
bool Hand_To_Helper(const wchar_t* text) {
  const std::string helper = Helper().Get(true);
  if (helper.empty()) return true;
  const platform::Run_Result r = platform::Run_Program(Helper_Command(helper), platform::Utf8_Encode(text), false);
  if (!r.started || r.error) return Refuse(r.error ? r.error : ENOEXEC);
  if (r.exit_code != 0) return Refuse(EIO);
  return true;
}

}  // namespace

int Platform_Clipboard_Open(Platform_Window* window) {
  if (window && !Platform_Window_Valid(window)) return Refuse(EBADF);
  Clipboard_State& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  if (s.open) return Refuse(EBUSY);
  s.open = true;
  s.owner = std::this_thread::get_id();
  return 1;
}

int Platform_Clipboard_Empty() {
  Clipboard_State& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  if (!Owned_By_Caller(s)) return Refuse(EPERM);
  std::free(s.text);
  s.text = nullptr;
  return 1;
}

int Platform_Clipboard_Set_Text(wchar_t* text) {
  if (!text) return Refuse(EINVAL);
  {
    Clipboard_State& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    if (!Owned_By_Caller(s)) return Refuse(EPERM);
  }
  // Only the owner gets here and nobody else can open meanwhile, so the helper runs unlocked.
  if (!Hand_To_Helper(text)) return 0;
  Clipboard_State& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  std::free(s.text);
  s.text = text;
  return 1;
}

int Platform_Clipboard_Close() {
  Clipboard_State& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  if (!Owned_By_Caller(s)) return Refuse(EPERM);
  s.open = false;
  s.owner = std::thread::id();
  return 1;
}

int Platform_Clipboard_Get_Text(wchar_t* buffer, int count) {
  Clipboard_State& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  if (!s.text) return -1;
  const size_t length = std::wcslen(s.text);
  if (buffer && count > 0) {
    const size_t copied = std::min(length, size_t(count - 1));
    std::wmemcpy(buffer, s.text, copied);
    buffer[copied] = L'\0';
  }
  return int(length);
}

void Platform_Clipboard_Helper_Set(const char* program) { Helper().Set(program); }
