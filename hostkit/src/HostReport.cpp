// The host's reporting function: per-class filter, formatting, log file, terminal echo, capture.
#include <hostkit/HostReport.h>

#include "HostLocale.h"

#include <algorithm>
#include <atomic>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <locale.h>
#include <mutex>
#include <vector>

#include <unistd.h>

Host_Window Host_Main_Window = nullptr;

locale_t Host_Utf8_Locale() {
  static locale_t loc = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", (locale_t)0);
    if (!l) l = newlocale(LC_CTYPE_MASK, "C.utf8", (locale_t)0);
    return l;
  }();
  return loc;
}

namespace {

// The filter is an immutable snapshot swapped atomically, so that the check on the hot path is
// one acquire load and a short scan; retired snapshots are kept until exit (there are few).
struct FilterState {
  bool traces = false;
  bool reports = true;
  int bypass = 0;  // captures that want every class
  std::vector<std::pair<uint32_t, bool>> rules;
};

std::mutex g_filter_mutex;
std::vector<FilterState*>* g_retired = new std::vector<FilterState*>;
FilterState g_initial;
std::atomic<const FilterState*> g_filter{&g_initial};

template <class Edit>
void Filter_Edit(Edit edit) {
  std::lock_guard<std::mutex> hold(g_filter_mutex);
  auto* next = new FilterState(*g_filter.load(std::memory_order_relaxed));
  edit(*next);
  g_filter.store(next, std::memory_order_release);
  g_retired->push_back(next);
}

// Sinks are guarded by one mutex; a report holds it only to hand over a finished line.
std::mutex g_sink_mutex;
FILE* g_log = nullptr;
Host_Echo_Mode g_echo = HOST_ECHO_OFF;
std::vector<Host_Report_Capture*> g_captures;

// Formats under a UTF-8 character type for this thread only, so %ls and %hs convert the same way
// whatever locale the process runs in.
class Utf8_Scope {
public:
  Utf8_Scope() : old_(Host_Utf8_Locale() ? uselocale(Host_Utf8_Locale()) : (locale_t)0) {}
  ~Utf8_Scope() { if (old_) uselocale(old_); }
private:
  locale_t old_;
};

}  // namespace

std::wstring Host_Utf8_Decode(const char* s, size_t n) {
  std::wstring out;
  out.reserve(n);
  const auto* p = reinterpret_cast<const unsigned char*>(s);
  size_t i = 0;
  while (i < n) {
    unsigned c = p[i];
    int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (len > 1 && i + len <= n) {
      unsigned cp = c & (0x7F >> len);
      bool ok = true;
      for (int k = 1; k < len; ++k) {
        if ((p[i + k] & 0xC0) != 0x80) { ok = false; break; }
        cp = (cp << 6) | (p[i + k] & 0x3F);
      }
      bool shortest = cp >= (len == 2 ? 0x80u : len == 3 ? 0x800u : 0x10000u);
      bool scalar = cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);  // surrogates are no characters
      if (ok && shortest && scalar) {
        out.push_back(wchar_t(cp));
        i += len;
        continue;
      }
    }
    out.push_back(wchar_t(c));
    ++i;
  }
  return out;
}

namespace {

std::wstring Decode(const char* s, size_t n) { return Host_Utf8_Decode(s, n); }

void Encode(std::string& out, wchar_t wc) {
  auto c = static_cast<uint32_t>(wc);
  if (c < 0x80) {
    out.push_back(char(c));
  } else if (c < 0x800) {
    out.push_back(char(0xC0 | (c >> 6)));
    out.push_back(char(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(char(0xE0 | (c >> 12)));
    out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(char(0x80 | (c & 0x3F)));
  } else {
    out.push_back(char(0xF0 | ((c >> 18) & 0x07)));
    out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(char(0x80 | (c & 0x3F)));
  }
}

bool Is_Style(wchar_t c) { return (c >= 1 && c <= 6) || (c >= 0xF0 && c <= 0xF2); }

constexpr size_t kFirstBuffer = 1024;
constexpr size_t kMaxBuffer = 1 << 20;

// Lines a capture takes without growing its list: a report of memory running out must still be
// kept, and the text it moves in is the one already formatted.
constexpr size_t kCaptureReserve = 256;

void Deliver_Locked(uint32_t cls, std::wstring& text) {
  for (size_t i = 0; i < g_captures.size(); ++i) {
    if (i + 1 == g_captures.size() && !g_log && g_echo == HOST_ECHO_OFF)
      g_captures[i]->Take(cls, text);  // the last one to see the text may keep it
    else
      g_captures[i]->Add(cls, text);
  }
  if (g_log) {
    std::fprintf(g_log, "[%08X] %s\n", cls, Host_Report_Plain(text).c_str());
    std::fflush(g_log);
  }
  if (g_echo == HOST_ECHO_PLAIN)
    std::fprintf(stderr, "%s\n", Host_Report_Plain(text).c_str());
  else if (g_echo == HOST_ECHO_ANSI)
    std::fprintf(stderr, "%s\033[0m\n", Host_Report_Ansi(text).c_str());
}

// Reporting never throws: when memory has run out, what cannot be kept is dropped.
void Deliver(uint32_t cls, std::wstring&& text) noexcept {
  std::lock_guard<std::mutex> hold(g_sink_mutex);
  try {
    Deliver_Locked(cls, text);
  } catch (const std::bad_alloc&) {
  }
}

}  // namespace

bool Host_Report_Enabled(uint32_t cls) noexcept {
  const FilterState* s = g_filter.load(std::memory_order_acquire);
  if (s->bypass) return true;
  for (const auto& r : s->rules)
    if (r.first == cls) return r.second;
  return (cls & 0x80000000u) ? s->traces : s->reports;
}

void Host_Report_Filter_Default(bool traces, bool reports) {
  Filter_Edit([&](FilterState& s) { s.traces = traces; s.reports = reports; });
}

void Host_Report_Filter_Set(uint32_t cls, bool shown) {
  Filter_Edit([&](FilterState& s) {
    for (auto& r : s.rules)
      if (r.first == cls) { r.second = shown; return; }
    s.rules.emplace_back(cls, shown);
  });
}

void Host_Report_Filter_Reset() {
  Filter_Edit([](FilterState& s) {
    s.traces = false;
    s.reports = true;
    s.rules.clear();
  });
}

int Host_Format_V(char* buffer, size_t size, const char* format, va_list args) {
  Utf8_Scope scope;
  return std::vsnprintf(buffer, size, format, args);
}

int Host_Format_V(wchar_t* buffer, size_t size, const wchar_t* format, va_list args) {
  Utf8_Scope scope;
  return std::vswprintf(buffer, size, format, args);
}

namespace {
int Report_Narrow(uint32_t cls, const char* format, va_list args);
int Report_Wide(uint32_t cls, const wchar_t* format, va_list args);
}  // namespace

int Host_Report_V(Host_Window, uint32_t cls, const char* format, va_list args) {
  if (!Host_Report_Enabled(cls) || !format) return 0;
  try {
    return Report_Narrow(cls, format, args);
  } catch (const std::bad_alloc&) {
    return 0;  // the line could not be built: memory has run out
  }
}

namespace {

int Report_Narrow(uint32_t cls, const char* format, va_list args) {
  char first[kFirstBuffer];
  va_list copy;
  va_copy(copy, args);
  int n = Host_Format_V(first, sizeof first, format, copy);
  va_end(copy);
  if (n < 0) {
    Deliver(cls, Decode(format, std::strlen(format)));  // keep the line rather than lose it
    return 1;
  }
  if (size_t(n) < sizeof first) {
    Deliver(cls, Decode(first, size_t(n)));
    return 1;
  }
  std::vector<char> big(size_t(n) + 1);
  Host_Format_V(big.data(), big.size(), format, args);
  Deliver(cls, Decode(big.data(), size_t(n)));
  return 1;
}

int Report_Wide(uint32_t cls, const wchar_t* format, va_list args) {
  // swprintf does not tell the needed size, so the buffer doubles until the line fits.
  std::vector<wchar_t> buf(kFirstBuffer);
  for (;;) {
    va_list copy;
    va_copy(copy, args);
    int n = Host_Format_V(buf.data(), buf.size(), format, copy);
    va_end(copy);
    if (n >= 0) {
      Deliver(cls, std::wstring(buf.data(), size_t(n)));
      return 1;
    }
    if (buf.size() >= kMaxBuffer) break;
    buf.resize(buf.size() * 4);
  }
  Deliver(cls, std::wstring(format));  // an encoding error: keep the format rather than nothing
  return 1;
}

}  // namespace

int Host_Report_V(Host_Window, uint32_t cls, const wchar_t* format, va_list args) {
  if (!Host_Report_Enabled(cls) || !format) return 0;
  try {
    return Report_Wide(cls, format, args);
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

int Host_Report(Host_Window owner, uint32_t cls, const char* format, ...) {
  if (!Host_Report_Enabled(cls)) return 0;
  va_list args;
  va_start(args, format);
  int r = Host_Report_V(owner, cls, format, args);
  va_end(args);
  return r;
}

int Host_Report(Host_Window owner, uint32_t cls, const wchar_t* format, ...) {
  if (!Host_Report_Enabled(cls)) return 0;
  va_list args;
  va_start(args, format);
  int r = Host_Report_V(owner, cls, format, args);
  va_end(args);
  return r;
}

int Host_Report_Text(Host_Window, uint32_t cls, const wchar_t* text) {
  if (!Host_Report_Enabled(cls) || !text) return 0;
  Deliver(cls, std::wstring(text));
  return 1;
}

int Host_Report_Log_Open(const char* path) {
  FILE* f = path ? std::fopen(path, "a") : nullptr;
  if (!f) return 0;
  std::lock_guard<std::mutex> hold(g_sink_mutex);
  if (g_log) std::fclose(g_log);
  g_log = f;
  return 1;
}

void Host_Report_Log_Close() {
  std::lock_guard<std::mutex> hold(g_sink_mutex);
  if (g_log) std::fclose(g_log);
  g_log = nullptr;
}

Host_Echo_Mode Host_Report_Echo_For(int fd) {
  // A NO_COLOR variable with any non-empty value asks for output without colour codes.
  const char* no_color = std::getenv("NO_COLOR");
  if (no_color && *no_color) return HOST_ECHO_PLAIN;
  return ::isatty(fd) ? HOST_ECHO_ANSI : HOST_ECHO_PLAIN;
}

void Host_Report_Echo_Set(Host_Echo_Mode mode) {
  std::lock_guard<std::mutex> hold(g_sink_mutex);
  g_echo = mode;
}

std::string Host_Report_Utf8(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t c : text) Encode(out, c);
  return out;
}

std::string Host_Report_Plain(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t c : text)
    if (!Is_Style(c)) Encode(out, c);
  return out;
}

std::string Host_Report_Ansi(const std::wstring& text) {
  // Colour and weight are tracked separately so that a colour switch keeps the bold state. The
  // "black" of report texts means the normal text colour: it returns to the terminal's default,
  // which black would hide on a dark terminal.
  static const char* const kColour[7] = {"", "34", "39", "37", "31", "33", "32"};
  std::string out;
  out.reserve(text.size() + 16);
  for (wchar_t c : text) {
    if (c >= 1 && c <= 6) {
      out += "\033[";
      out += kColour[c];
      out += 'm';
    } else if (c == 0xF0) {
      out += "\033[22;23m";
    } else if (c == 0xF1) {
      out += "\033[1m";
    } else if (c == 0xF2) {
      out += "\033[3m";
    } else {
      Encode(out, c);
    }
  }
  return out;
}

// ---- capture ----------------------------------------------------------------------------------

struct Host_Report_Capture::Impl {
  Impl() { lines.reserve(kCaptureReserve); }
  mutable std::mutex mutex;
  std::vector<Host_Report_Line> lines;
};

Host_Report_Capture::Host_Report_Capture(bool all_classes) : all_(all_classes), impl_(new Impl) {
  {
    std::lock_guard<std::mutex> hold(g_sink_mutex);
    g_captures.push_back(this);
  }
  if (all_) Filter_Edit([](FilterState& s) { ++s.bypass; });
}

Host_Report_Capture::~Host_Report_Capture() {
  if (all_) Filter_Edit([](FilterState& s) { --s.bypass; });
  {
    std::lock_guard<std::mutex> hold(g_sink_mutex);
    g_captures.erase(std::remove(g_captures.begin(), g_captures.end(), this), g_captures.end());
  }
  delete impl_;
}

void Host_Report_Capture::Add(uint32_t cls, const std::wstring& text) {
  std::lock_guard<std::mutex> hold(impl_->mutex);
  impl_->lines.push_back({cls, text});
}

void Host_Report_Capture::Take(uint32_t cls, std::wstring& text) {
  std::lock_guard<std::mutex> hold(impl_->mutex);
  impl_->lines.push_back({cls, std::move(text)});
}

std::vector<Host_Report_Line> Host_Report_Capture::Lines() const {
  std::lock_guard<std::mutex> hold(impl_->mutex);
  return impl_->lines;
}

std::vector<std::string> Host_Report_Capture::Texts(uint32_t cls) const {
  std::lock_guard<std::mutex> hold(impl_->mutex);
  std::vector<std::string> out;
  for (const auto& l : impl_->lines)
    if (cls == 0 || l.cls == cls) out.push_back(Host_Report_Plain(l.text));
  return out;
}

size_t Host_Report_Capture::Count(uint32_t cls) const {
  std::lock_guard<std::mutex> hold(impl_->mutex);
  if (cls == 0) return impl_->lines.size();
  return size_t(std::count_if(impl_->lines.begin(), impl_->lines.end(),
                              [cls](const Host_Report_Line& l) { return l.cls == cls; }));
}

bool Host_Report_Capture::Contains(const std::string& text) const {
  for (const auto& t : Texts())
    if (t.find(text) != std::string::npos) return true;
  return false;
}

void Host_Report_Capture::Clear() {
  std::lock_guard<std::mutex> hold(impl_->mutex);
  impl_->lines.clear();
}

int Host_Format(char* buffer, size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int n = Host_Format_V(buffer, size, format, args);
  va_end(args);
  return (n < 0 || size_t(n) >= size) ? -1 : n;
}

int Host_Format(wchar_t* buffer, size_t size, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  int n = Host_Format_V(buffer, size, format, args);
  va_end(args);
  return n;
}
