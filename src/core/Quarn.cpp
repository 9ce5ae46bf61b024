// The class object base: identity, names and titles, and the traced per-object lock.
#include <quarn/core/Quarn.h>
#include <quarn/core/Str_Cleanup.h>

#include <hostkit/HostUtil.h>

#include "core/Check.h"
#include "core/Trace.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>

namespace {

std::atomic<uint32_t> g_next_uid{1000};

constexpr int kNameBuffer = 1024;   // characters, terminator included
constexpr int kMarkerBuffer = 256;  // characters of a lock trace line

constexpr wchar_t kBannerIn[] = L"\u25BC4\u25BC\u25BC\u25BC\u25BC Class "
                                L"\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC"
                                L"\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC"
                                L"\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC";
constexpr wchar_t kBannerOut[] = L"\u25B24\u25B2\u25B2\u25B2\u25B2 Class "
                                 L"\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2"
                                 L"\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2"
                                 L"\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2";

// Formats into a fixed buffer; -1 on a formatting error or when the text needs 1024 or more.
int Format_Wide(wchar_t* out, const wchar_t* format, va_list args) {
  if (!format) return -1;
  return Host_Format_V(out, kNameBuffer, format, args);
}

int Format_Narrow(char* out, const char* format, va_list args) {
  if (!format) return -1;
  int n = Host_Format_V(out, kNameBuffer, format, args);
  return (n < 0 || n >= kNameBuffer) ? -1 : n;
}

template <class Char>
Char* Duplicate(const Char* text, size_t length) {
  auto* copy = static_cast<Char*>(std::malloc((length + 1) * sizeof(Char)));
  if (!copy) {
    QUARN_MEMORY_ERROR_NEW();
    return nullptr;
  }
  std::memcpy(copy, text, (length + 1) * sizeof(Char));
  return copy;
}

}  // namespace

#define QUARN_TRACE_IN(op)                                                              \
  QUARN_REPORT(quarn::msg::Class, ">>> in  Class: Quarn::" op "(%s,%ls)", Title_Get(), \
               Name_Get())
#define QUARN_TRACE_OUT(op) QUARN_REPORT(quarn::msg::Class, "<<< out Class: Quarn::" op "()")

Quarn::Quarn() {
  QUARN_REPORT(quarn::msg::Class, ">>> in  Class: Quarn::Quarn()");
  uid_ = g_next_uid.fetch_add(1, std::memory_order_relaxed);
  QUARN_REPORT(quarn::msg::Class, "<<< out Class: Quarn::Quarn()");
}

Quarn::~Quarn() {
  QUARN_TRACE_IN("~Quarn");
  std::free(title_);
  title_ = nullptr;
  std::free(name_);
  name_ = nullptr;
  QUARN_TRACE_OUT("~Quarn");
}

uint32_t Quarn::UID_Next() { return g_next_uid.load(std::memory_order_relaxed); }

void Quarn::Class_Magic_Set(uint16_t value) {
  QUARN_TRACE_IN("Class_Magic_Set");
  magic_ = value;
  QUARN_TRACE_OUT("Class_Magic_Set");
}

void Quarn::Class_A_Set(uint16_t value) {
  QUARN_TRACE_IN("Class_A_Set");
  class_a_ = value;
  QUARN_TRACE_OUT("Class_A_Set");
}

void Quarn::Class_B_Set(uint16_t value) {
  QUARN_TRACE_IN("Class_B_Set");
  class_b_ = value;
  QUARN_TRACE_OUT("Class_B_Set");
}

void Quarn::Class_UID_Set(uint32_t value) {
  QUARN_TRACE_IN("Class_UID_Set");
  uid_ = value;
  QUARN_TRACE_OUT("Class_UID_Set");
}

uint16_t Quarn::Class_User_Get() {
  QUARN_TRACE_IN("Class_User_Get");
  uint16_t v = user_;
  QUARN_TRACE_OUT("Class_User_Get");
  return v;
}

void Quarn::Class_User_Set(uint16_t value) {
  QUARN_TRACE_IN("Class_User_Set");
  user_ = value;
  QUARN_TRACE_OUT("Class_User_Set");
}

int Quarn::Name_Store_V(const wchar_t* format, va_list args) {
  std::free(name_);
  name_ = nullptr;
  wchar_t buffer[kNameBuffer];
  int n = Format_Wide(buffer, format, args);
  if (n < 0) return 0;  // swprintf fails both on errors and on texts that do not fit
  Fct_Str_Cleanup(buffer);
  name_ = Duplicate(buffer, size_t(n));
  return name_ ? 1 : 0;
}

int Quarn::Name_Set(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  int r = Name_Store_V(format, args);
  va_end(args);
  return r;
}

int Quarn::Name_Set(const char* format, ...) {
  std::free(name_);
  name_ = nullptr;
  char buffer[kNameBuffer];
  va_list args;
  va_start(args, format);
  int n = Format_Narrow(buffer, format, args);
  va_end(args);
  if (n < 0) return 0;
  // Cleaned after the conversion, so that UTF-8 letters survive as the letters they encode.
  const wchar_t* wide = Host_Char_To_Wide(buffer);
  if (!wide) return 0;
  name_ = Duplicate(wide, std::wcslen(wide));
  if (name_) Fct_Str_Cleanup(name_);
  return name_ ? 1 : 0;
}

int Quarn::Name_Set(int index, int count, wchar_t** format_table, const wchar_t* format, ...) {
  const wchar_t* chosen = format;
  if (format_table && index >= 1 && index <= count && format_table[index - 1])
    chosen = format_table[index - 1];
  va_list args;
  va_start(args, format);
  int r = Name_Store_V(chosen, args);
  va_end(args);
  return r;
}

int Quarn::Title_Set(const char* format, ...) {
  std::free(title_);
  title_ = nullptr;
  char buffer[kNameBuffer];
  va_list args;
  va_start(args, format);
  int n = Format_Narrow(buffer, format, args);
  va_end(args);
  if (n < 0) return 0;
  Fct_Str_Cleanup(buffer);
  title_ = Duplicate(buffer, size_t(n));
  return title_ ? 1 : 0;
}

void Quarn::Lock_Trace(bool entering, const char* where) {
  // Built only when shown: the line costs a loop per nesting level.
  if (!Host_Report_Enabled(quarn::msg::Object_Lock)) return;
  wchar_t line[kMarkerBuffer];
  int n = quarn::Marker_Line(line, kMarkerBuffer, entering ? kBannerIn : kBannerOut,
                             entering ? L'\u25BC' : L'\u25B2', Critical_Class_Depth());
  Host_Format(line + n, size_t(kMarkerBuffer - n), L" (%hs,%ls) \"%hs\"", Title_Get(), Name_Get(),
              where ? where : "---");
  Host_Report_Text(Host_Main_Window, quarn::msg::Object_Lock, line);
}

void Quarn::Critical_Class_In(const char* where) {
  lock_.lock();
  owner_.store(std::this_thread::get_id(), std::memory_order_relaxed);
  depth_.fetch_add(1, std::memory_order_relaxed);
  Lock_Trace(true, where);
}

void Quarn::Critical_Class_Out(const char* where) {
  // Only the holder may leave; any other caller, like a caller on a free lock, gets the warning.
  if (depth_.load(std::memory_order_relaxed) <= 0 ||
      owner_.load(std::memory_order_relaxed) != std::this_thread::get_id()) {
    QUARN_REPORT(quarn::msg::Object_Lock,
                 "WARNING: called Quarn::Critical_Class_Out(%s) while not in a critical section!",
                 where ? where : "---");
    return;
  }
  Lock_Trace(false, where);
  if (depth_.fetch_sub(1, std::memory_order_relaxed) == 1)
    owner_.store(std::thread::id(), std::memory_order_relaxed);
  lock_.unlock();
}
