// The global critical section serialising update bookkeeping, database work and worker threads.
#include <quarn/display/Critical.h>

#include "core/Trace.h"

#include <atomic>
#include <mutex>
#include <thread>

namespace {

// The lock itself lives for the whole process so that a late In or Out never finds it gone;
// Create and Cleanup only mark the host's start-up and shut-down.
std::recursive_mutex g_section;
std::atomic<int> g_depth{0};
std::atomic<std::thread::id> g_owner{};

constexpr int kMarkerBuffer = 256;
constexpr wchar_t kBannerIn[] = L"\u25BC1\u25BC\u25BC\u25BC\u25BC Fct "
                                L"\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC"
                                L"\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC"
                                L"\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC";
constexpr wchar_t kBannerOut[] = L"\u25B21\u25B2\u25B2\u25B2\u25B2 Fct "
                                 L"\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2"
                                 L"\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2"
                                 L"\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2";

void Marker(bool entering, const char* who) {
  if (!Host_Report_Enabled(quarn::msg::Critical_Marker)) return;
  wchar_t line[kMarkerBuffer];
  int n = quarn::Marker_Line(line, kMarkerBuffer, entering ? kBannerIn : kBannerOut,
                             entering ? L'\u25BC' : L'\u25B2', g_depth.load(std::memory_order_relaxed));
  Host_Format(line + n, size_t(kMarkerBuffer - n), L" \"%hs\"", who ? who : "---");
  Host_Report_Text(Host_Main_Window, quarn::msg::Critical_Marker, line);
}

bool Held_By_Caller() {
  return g_depth.load(std::memory_order_relaxed) > 0 &&
         g_owner.load(std::memory_order_relaxed) == std::this_thread::get_id();
}

}  // namespace

void Fct_Critical_Create() {
  QUARN_REPORT(quarn::msg::Critical, ">>> in  Fct: Fct_Critical_Create()");
  QUARN_REPORT(quarn::msg::Critical, "<<< out Fct: Fct_Critical_Create()");
}

void Fct_Critical_Cleanup() {
  QUARN_REPORT(quarn::msg::Critical, ">>> in  Fct: Fct_Critical_Cleanup()");
  if (g_depth.load(std::memory_order_relaxed) > 0)
    QUARN_REPORT(quarn::msg::Low_File,
                 "\xF1\x05WARNING:\x02 Fct_Critical_Cleanup() while the section is held (%d)",
                 g_depth.load(std::memory_order_relaxed));
  QUARN_REPORT(quarn::msg::Critical, "<<< out Fct: Fct_Critical_Cleanup()");
}

void Fct_Critical_In(const char* who) {
  QUARN_REPORT(quarn::msg::Critical, ">>> in  Fct: Fct_Critical_In(%1d,%s)",
               g_depth.load(std::memory_order_relaxed), who ? who : "---");
  g_section.lock();
  g_owner.store(std::this_thread::get_id(), std::memory_order_relaxed);
  g_depth.fetch_add(1, std::memory_order_relaxed);
  Marker(true, who);
}

void Fct_Critical_Out(const char* who) {
  // Checked against the holder, so a thread that does not hold the section cannot unlock it.
  if (!Held_By_Caller()) {
    QUARN_REPORT(quarn::msg::Low_File,
                 "ERROR: called Fct_Critical_Out(%s) while not in a critical section!",
                 who ? who : "---");
    QUARN_REPORT(quarn::msg::Critical, "<<< out Fct: Fct_Critical_Out(not in it)");
    return;
  }
  Marker(false, who);
  if (g_depth.fetch_sub(1, std::memory_order_relaxed) == 1)
    g_owner.store(std::thread::id(), std::memory_order_relaxed);
  g_section.unlock();
  QUARN_REPORT(quarn::msg::Critical, "<<< out Fct: Fct_Critical_Out()");
}

int Fct_Critical_Depth() { return g_depth.load(std::memory_order_relaxed); }
