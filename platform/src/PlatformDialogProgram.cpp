// The dialog program: a request as a zenity command line, its output read back as paths.
#include "PlatformDialogChoice.h"
#include "PlatformProcess.h"
#include "PlatformUtf8.h"

#include <cstring>
#include <cwchar>
#include <fnmatch.h>

namespace platform {

namespace {

/// zenity's exit status when the user cancels.
constexpr int kCancelStatus = 1;

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(separator, start);
    if (end == std::wstring::npos) end = text.size();
    if (end > start) parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::string Filter_Option(const Filter_Pair& pair) {
  std::wstring option = L"--file-filter=" + pair.label + L" |";
  for (const std::wstring& p : pair.patterns) option += L" " + p;
  return Utf8_Encode(option);
}

std::string Start_Name(const Platform_Dialog_Request& r) {
  std::wstring start = r.folder ? r.folder : L"";
  if (!start.empty() && start.back() != L'/') start += L'/';
  if (r.kind == PLATFORM_DIALOG_SAVE && r.buffer && r.buffer_size > 0)
    start += std::wstring(r.buffer, wcsnlen(r.buffer, size_t(r.buffer_size)));
  return "--filename=" + Utf8_Encode(start);
}

std::vector<std::string> Command(const std::string& program, const Platform_Dialog_Request& r,
                                 const std::vector<Filter_Pair>& pairs) {
  std::vector<std::string> argv = {program, "--file-selection"};
  if (r.title) argv.push_back("--title=" + Utf8_Encode(r.title));
  if (r.kind == PLATFORM_DIALOG_FOLDER) argv.push_back("--directory");
  if (r.kind == PLATFORM_DIALOG_SAVE) argv.push_back("--save");
  if (r.kind == PLATFORM_DIALOG_SAVE && (r.options & PLATFORM_DIALOG_OVERWRITE_PROMPT))
    argv.push_back("--confirm-overwrite");
  if (r.kind == PLATFORM_DIALOG_OPEN && (r.options & PLATFORM_DIALOG_ALLOW_MULTI)) {
    argv.push_back("--multiple");
    argv.push_back("--separator=\n");
  }
  argv.push_back(Start_Name(r));
  if (r.kind == PLATFORM_DIALOG_FOLDER) return argv;
  // The program shows its first filter first, so the preselected one leads.
  const size_t first = r.filter_index >= 1 && size_t(r.filter_index) <= pairs.size() ? size_t(r.filter_index - 1) : 0;
  if (first < pairs.size()) argv.push_back(Filter_Option(pairs[first]));
  for (size_t i = 0; i < pairs.size(); ++i)
    if (i != first) argv.push_back(Filter_Option(pairs[i]));
  return argv;
}

}  // namespace

std::vector<Filter_Pair> Filter_Pairs(const wchar_t* filter) {
  std::vector<Filter_Pair> pairs;
  if (!filter) return pairs;
  for (const wchar_t* p = filter; *p;) {
    Filter_Pair pair;
    pair.label = p;
    p += pair.label.size() + 1;
    if (!*p) break;
    pair.patterns = Split(p, L';');
    p += std::wcslen(p) + 1;
    pairs.push_back(std::move(pair));
  }
  return pairs;
}

int Filter_Matching(const std::vector<Filter_Pair>& pairs, const std::wstring& path) {
  const size_t slash = path.rfind(L'/');
  const std::string name = Utf8_Encode(path.substr(slash == std::wstring::npos ? 0 : slash + 1));
  for (size_t i = 0; i < pairs.size(); ++i)
    for (const std::wstring& pattern : pairs[i].patterns)
      if (fnmatch(Utf8_Encode(pattern).c_str(), name.c_str(), FNM_PERIOD) == 0) return int(i + 1);
  return 0;
}

Dialog_Choice Dialog_Program_Run(const std::string& program, const Platform_Dialog_Request& request) {
  Dialog_Choice c;
  const std::vector<Filter_Pair> pairs = Filter_Pairs(request.filter);
  const Run_Result run = Run_Program(Command(program, request, pairs), std::string(), true);
  if (!run.started || run.error) {
    c.status = PLATFORM_DIALOG_FAILED;
    c.error = PLATFORM_DIALOG_ERR_FAILURE;
    c.detail = Utf8_Decode(program + ": " + std::strerror(run.error));
    return c;
  }
  if (run.exit_code == kCancelStatus) return c;
  if (run.exit_code != 0) {
    c.status = PLATFORM_DIALOG_FAILED;
    c.error = PLATFORM_DIALOG_ERR_FAILURE;
    c.detail = Utf8_Decode(program + " ended with status " + std::to_string(run.exit_code));
    return c;
  }
  c.status = PLATFORM_DIALOG_CHOSEN;
  c.paths = Split(Utf8_Decode(run.output), L'\n');
  if (!c.paths.empty() && request.kind != PLATFORM_DIALOG_FOLDER)
    c.filter_index = Filter_Matching(pairs, c.paths[0]);
  return c;
}

}  // namespace platform
