// Splitting paths into folder, base name and extension, and finding their last separator.
#include <hostkit/HostUtil.h>

#include <algorithm>

namespace {

template <class C>
bool Is_Separator(C c) {
  return c == C('/') || c == C('\\');
}

template <class C>
bool Is_Letter(C c) {
  return (c >= C('a') && c <= C('z')) || (c >= C('A') && c <= C('Z'));
}

template <class C>
size_t Length(const C* s) {
  size_t n = 0;
  while (s[n]) ++n;
  return n;
}

[[gnu::cold]] void Report_Cut(size_t length) {
  Host_Report(Host_Main_Window, 2,
              "\xF1\x05WARNING:\x02 Host_Split_Path: a path part of %zu characters was cut to %d",
              length, HOST_PATH_BUFFER - 1);
}

template <class C>
void Put(C* out, const C* from, size_t n) {
  if (!out) return;
  if (n >= size_t(HOST_PATH_BUFFER)) {
    Report_Cut(n);
    n = HOST_PATH_BUFFER - 1;
  }
  std::copy(from, from + n, out);
  out[n] = 0;
}

template <class C>
void Split(const C* path, C* dir, C* base, C* ext) {
  static const C kEmpty[1] = {0};
  if (!path) path = kEmpty;
  size_t n = Length(path);
  size_t name = n;  // start of the base name
  while (name > 0 && !Is_Separator(path[name - 1])) --name;
  if (name == 0 && n >= 2 && path[1] == C(':') && Is_Letter(path[0]))
    name = 2;  // "C:file" has a drive but no separator
  // Dots that open the name (".profile", "..") belong to it rather than starting an extension.
  size_t first = name;
  while (first < n && path[first] == C('.')) ++first;
  size_t dot = n;
  for (size_t i = n; i > first; --i)
    if (path[i - 1] == C('.')) {
      dot = i - 1;
      break;
    }
  Put(dir, path, name);
  Put(base, path + name, dot - name);
  Put(ext, path + dot, n - dot);
}

}  // namespace

void Host_Split_Path(const wchar_t* path, wchar_t* dir, wchar_t* base, wchar_t* ext) {
  Split(path, dir, base, ext);
}

void Host_Split_Path(const char* path, char* dir, char* base, char* ext) {
  Split(path, dir, base, ext);
}

const wchar_t* Host_Last_Slash(const wchar_t* path) {
  if (!path) return nullptr;
  const wchar_t* last = nullptr;
  for (const wchar_t* p = path; *p; ++p)
    if (Is_Separator(*p)) last = p;
  return last;
}
