// Shortening labels and file paths to a width with "..." in place of what was dropped.
#include <hostkit/HostUtil.h>

#include <algorithm>
#include <cwchar>

namespace {

constexpr size_t kDots = 3;

bool Is_Separator(wchar_t c) { return c == L'/' || c == L'\\'; }

// Writes the last `tail` characters of text[0..n) right after text[0..head) with "..." between.
void Keep_Ends(wchar_t* text, size_t n, size_t head, size_t tail) {
  std::wmemmove(text + head + kDots, text + n - tail, tail);
  std::wmemset(text + head, L'.', kDots);
  text[head + kDots + tail] = 0;
}

// End of the first folder ("/home/", "C:\", "data/") or 0 when the path has no folder.
size_t First_Folder_End(const wchar_t* path, size_t limit) {
  size_t i = 0;
  while (i < limit && Is_Separator(path[i])) ++i;
  while (i < limit && !Is_Separator(path[i])) ++i;
  return i < limit ? i + 1 : 0;
}

}  // namespace

wchar_t* Host_Clip_String(wchar_t* text, int width, int tail) {
  if (!text) return nullptr;
  size_t w = size_t(std::max(width, 0));
  size_t n = std::wcslen(text);
  if (n <= w) return text;
  if (w <= kDots) {  // no room for any of the text: the dots alone tell it was cut
    std::wmemset(text, L'.', w);
    text[w] = 0;
    return text;
  }
  size_t keep = std::min(size_t(std::max(tail, 0)), w - kDots);
  Keep_Ends(text, n, w - kDots - keep, keep);
  return text;
}

wchar_t* Host_Clip_File_Name(wchar_t* path, int width) {
  if (!path) return nullptr;
  size_t w = size_t(std::max(width, 0));
  size_t n = std::wcslen(path);
  if (n <= w) return path;
  const wchar_t* slash = Host_Last_Slash(path);
  if (!slash) return Host_Clip_String(path, width);
  size_t name = size_t(slash - path) + 1;  // start of the base name
  size_t base = n - name;
  if (base + kDots > w) {
    // Too little room for any folder: the base name alone, whole when it fits.
    std::wmemmove(path, path + name, base + 1);
    return Host_Clip_String(path, width);
  }
  // The longest tail that starts at a separator and fits, first with the first folder kept.
  size_t head = First_Folder_End(path, name - 1);
  for (size_t h : {head, size_t(0)}) {
    if (h + kDots + (n - (name - 1)) > w) continue;  // not even "/base" fits after this head
    size_t start = name - 1;
    for (size_t s = start; s > h; --s)
      if (Is_Separator(path[s - 1])) {
        if (h + kDots + (n - (s - 1)) > w) break;
        start = s - 1;
      }
    Keep_Ends(path, n, h, n - start);
    return path;
  }
  Keep_Ends(path, n, 0, base);  // "...base": the separator did not fit
  return path;
}
