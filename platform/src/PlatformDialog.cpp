// File and folder dialogs: the answer queue, the choice of dialog, the checks of what was chosen
// and its layout in the caller's buffer.
#include <platform/PlatformDialog.h>

#include "PlatformDialogChoice.h"
#include "PlatformProcess.h"
#include "PlatformUtf8.h"

#include <algorithm>
#include <cwchar>
#include <deque>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace {

using platform::Dialog_Choice;
namespace fs = std::filesystem;

struct Dialog_State {
  std::mutex lock;
  std::deque<Dialog_Choice> answers;
  Platform_Dialog_Seen last;
};

Dialog_State& State() {
  static Dialog_State* state = new Dialog_State;  // outlives every static destructor
  return *state;
}

platform::Program_Choice& Program() {
  static platform::Program_Choice* choice = new platform::Program_Choice({"zenity"});
  return *choice;
}

void Queue(Dialog_Choice answer) {
  Dialog_State& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  s.answers.push_back(std::move(answer));
}

bool Next_Answer(Dialog_Choice* out) {
  Dialog_State& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  if (s.answers.empty()) return false;
  *out = std::move(s.answers.front());
  s.answers.pop_front();
  return true;
}

std::wstring Text(const wchar_t* text) { return text ? std::wstring(text) : std::wstring(); }

// The filter text runs up to its double NUL.
std::wstring Filter_Text(const wchar_t* filter) {
  if (!filter) return {};
  const wchar_t* end = filter;
  while (end[0] || end[1]) ++end;
  return std::wstring(filter, size_t(end - filter) + 2);
}

void Remember(const Platform_Dialog_Request& r, const char* answered_by) {
  Platform_Dialog_Seen seen;
  seen.kind = r.kind;
  seen.title = Text(r.title);
  seen.folder = Text(r.folder);
  if (r.buffer && r.buffer_size > 0) seen.name.assign(r.buffer, wcsnlen(r.buffer, size_t(r.buffer_size)));
  seen.filter = Filter_Text(r.filter);
  seen.filter_index = r.filter_index;
  seen.options = r.options;
  seen.buffer_size = r.buffer_size;
  seen.answered_by = answered_by;
  Dialog_State& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  s.last = std::move(seen);
}

fs::path Path_Of(const std::wstring& text) { return fs::path(platform::Utf8_Encode(text)); }
std::wstring Text_Of(const fs::path& path) { return platform::Utf8_Decode(path.string()); }

// A relative answer is taken inside the folder the dialog showed first.
std::wstring Absolute(const std::wstring& path, const wchar_t* folder) {
  fs::path p = Path_Of(path);
  if (p.is_absolute()) return path;
  std::error_code ec;
  fs::path base = folder && *folder ? Path_Of(folder) : fs::current_path(ec);
  return Text_Of((base / p).lexically_normal());
}

// The extension the dialog adds to a name typed without one.
std::wstring With_Extension(const std::wstring& path, const wchar_t* ext) {
  if (!ext || !*ext) return path;
  const size_t slash = path.rfind(L'/');
  const std::wstring name = path.substr(slash == std::wstring::npos ? 0 : slash + 1);
  if (name.empty() || name.find(L'.') != std::wstring::npos) return path;
  return path + L"." + (ext[0] == L'.' ? ext + 1 : ext);
}

bool Fail(Dialog_Choice& c, uint32_t code, std::wstring detail) {
  c.status = PLATFORM_DIALOG_FAILED;
  c.error = code;
  c.detail = std::move(detail);
  c.paths.clear();
  return false;
}

// What a dialog would not have let the user choose fails with an invalid name.
bool Check_Paths(Dialog_Choice& c, const Platform_Dialog_Request& r) {
  if (c.paths.size() > 1 && !(r.kind == PLATFORM_DIALOG_OPEN && (r.options & PLATFORM_DIALOG_ALLOW_MULTI)))
    return Fail(c, PLATFORM_DIALOG_ERR_INVALID_NAME, L"only one path may be chosen here");
  for (std::wstring& path : c.paths) {
    if (path.empty()) return Fail(c, PLATFORM_DIALOG_ERR_INVALID_NAME, L"an empty path");
    path = Absolute(path, r.folder);
    if (r.kind == PLATFORM_DIALOG_SAVE) path = With_Extension(path, r.default_ext);
    std::error_code ec;
    const fs::path p = Path_Of(path);
    const fs::file_status st = fs::status(p, ec);
    if (r.kind == PLATFORM_DIALOG_FOLDER) {
      if (!fs::is_directory(st)) return Fail(c, PLATFORM_DIALOG_ERR_INVALID_NAME, path);
      continue;
    }
    if ((r.options & PLATFORM_DIALOG_FILE_MUST_EXIST) && (!fs::exists(st) || fs::is_directory(st)))
      return Fail(c, PLATFORM_DIALOG_ERR_INVALID_NAME, path);
    if ((r.options & PLATFORM_DIALOG_PATH_MUST_EXIST) && !fs::is_directory(p.parent_path(), ec))
      return Fail(c, PLATFORM_DIALOG_ERR_INVALID_NAME, path);
  }
  return true;
}

std::wstring Folder_Of(const std::wstring& path) {
  const size_t slash = path.rfind(L'/');
  if (slash == std::wstring::npos) return {};
  return slash == 0 ? L"/" : path.substr(0, slash);
}

// The longest folder that holds every path.
std::wstring Common_Folder(const std::vector<std::wstring>& paths) {
  std::wstring folder = Folder_Of(paths[0]);
  for (const std::wstring& p : paths) {
    while (!folder.empty() && folder != L"/" &&
           !(p.compare(0, folder.size(), folder) == 0 && p.size() > folder.size() && p[folder.size()] == L'/'))
      folder = Folder_Of(folder);
  }
  return folder;
}

// One path whole; several as folder NUL names NUL ... NUL.
bool Write_Result(Dialog_Choice& c, const Platform_Dialog_Request& r, Platform_Dialog_Result* out) {
  std::wstring text;
  int offset = 0;
  if (c.paths.size() == 1) {
    text = c.paths[0];
    const size_t slash = text.rfind(L'/');
    offset = r.kind == PLATFORM_DIALOG_FOLDER || slash == std::wstring::npos ? 0 : int(slash + 1);
    text += L'\0';
  } else {
    const std::wstring folder = Common_Folder(c.paths);
    const size_t skip = folder == L"/" ? 1 : folder.size() + 1;
    text = folder + L'\0';
    offset = int(text.size());
    for (const std::wstring& p : c.paths) text += p.substr(skip) + L'\0';
    text += L'\0';
  }
  if (!r.buffer || text.size() > size_t(std::max(r.buffer_size, 0)))
    return Fail(c, PLATFORM_DIALOG_ERR_BUFFER_TOO_SMALL,
                std::to_wstring(text.size()) + L" characters needed, " + std::to_wstring(r.buffer_size) + L" given");
  std::copy(text.begin(), text.end(), r.buffer);
  out->file_offset = offset;
  return true;
}

int Finish(Dialog_Choice c, const Platform_Dialog_Request& r, Platform_Dialog_Result* out) {
  if (c.status == PLATFORM_DIALOG_CHOSEN && c.paths.empty()) c.status = PLATFORM_DIALOG_CANCELLED;
  if (c.status == PLATFORM_DIALOG_CHOSEN && Check_Paths(c, r) && Write_Result(c, r, out)) {
    out->filter_index = c.filter_index > 0 ? c.filter_index : std::max(r.filter_index, 1);
  }
  out->status = c.status;
  out->error = c.error;
  out->detail = std::move(c.detail);
  return out->status;
}

}  // namespace

int Platform_Dialog_Show(const Platform_Dialog_Request* request, Platform_Dialog_Result* result) {
  if (!request || !result) return PLATFORM_DIALOG_FAILED;
  *result = Platform_Dialog_Result{};
  Dialog_Choice choice;
  if (Next_Answer(&choice)) {
    Remember(*request, "queue");
    return Finish(std::move(choice), *request, result);
  }
  const std::string program = Program().Get(true);
  if (program.empty()) {
    Remember(*request, "none");
    result->status = PLATFORM_DIALOG_UNAVAILABLE;
    result->detail = platform::Display_Present() ? L"no queued answer and no dialog program found"
                                                 : L"no queued answer, no display and no dialog program set";
    return result->status;
  }
  Remember(*request, "program");
  return Finish(platform::Dialog_Program_Run(program, *request), *request, result);
}

int Platform_Dialog_Answer_Paths(const wchar_t* const* paths, int count, int filter_index) {
  if (!paths || count < 1) return 0;
  Dialog_Choice c;
  c.status = PLATFORM_DIALOG_CHOSEN;
  for (int i = 0; i < count; ++i) c.paths.push_back(Text(paths[i]));
  c.filter_index = std::max(filter_index, 0);
  Queue(std::move(c));
  return 1;
}

void Platform_Dialog_Answer_Cancel() { Queue(Dialog_Choice{}); }

void Platform_Dialog_Answer_Error(uint32_t code) {
  Dialog_Choice c;
  c.status = PLATFORM_DIALOG_FAILED;
  c.error = code;
  c.detail = L"answered so";
  Queue(std::move(c));
}

int Platform_Dialog_Answers_Pending() {
  Dialog_State& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  return int(s.answers.size());
}

void Platform_Dialog_Answers_Clear() {
  Dialog_State& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  s.answers.clear();
}

void Platform_Dialog_Program_Set(const char* program) { Program().Set(program); }

Platform_Dialog_Seen Platform_Dialog_Last() {
  Dialog_State& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  return s.last;
}
