// Cost of a trace whose class is filtered out, beside an empty call, and of a full name set.
#include <quarn/quarn.h>

#include "core/Trace.h"

#include <benchmark/benchmark.h>

namespace {

[[gnu::noinline]] void Empty_Call(int v) { benchmark::DoNotOptimize(v); }

// Baseline: one call that does nothing.
void BM_EmptyCall(benchmark::State& state) {
  int i = 0;
  for (auto _ : state) Empty_Call(++i);
}
BENCHMARK(BM_EmptyCall);

// The host's reporting function called directly with a filtered-out class.
void BM_FilteredReportCall(benchmark::State& state) {
  Host_Report_Filter_Reset();
  int i = 0;
  for (auto _ : state)
    Host_Report(Host_Main_Window, quarn::msg::Class, ">>> in  Class: Quarn::Op(%s,%d)", "x", ++i);
}
BENCHMARK(BM_FilteredReportCall);

// The library's trace macro with a filtered-out class (what every operation pays).
void BM_FilteredTraceMacro(benchmark::State& state) {
  Host_Report_Filter_Reset();
  int i = 0;
  for (auto _ : state)
    QUARN_REPORT(quarn::msg::Class, ">>> in  Class: Quarn::Op(%s,%d)", "x", ++i);
}
BENCHMARK(BM_FilteredTraceMacro);

// A traced accessor (two filtered-out trace lines around a field store).
void BM_TracedAccessor(benchmark::State& state) {
  Host_Report_Filter_Reset();
  Quarn q;
  uint16_t v = 0;
  for (auto _ : state) q.Class_User_Set(++v);
}
BENCHMARK(BM_TracedAccessor);

// A trace that is shown but goes to no sink: the formatting cost that the filter avoids.
void BM_ShownTraceNoSink(benchmark::State& state) {
  Host_Report_Filter_Set(quarn::msg::Class, true);
  int i = 0;
  for (auto _ : state)
    QUARN_REPORT(quarn::msg::Class, ">>> in  Class: Quarn::Op(%s,%d)", "x", ++i);
  Host_Report_Filter_Reset();
}
BENCHMARK(BM_ShownTraceNoSink);

// A full name set: format, clean-up, allocate, store.
void BM_NameSet(benchmark::State& state) {
  Host_Report_Filter_Reset();
  Quarn q;
  int i = 0;
  for (auto _ : state) q.Name_Set(L"Frame %d of series %ls", ++i, L"T1 axial");
}
BENCHMARK(BM_NameSet);

// Nested object lock with its trace filtered out.
void BM_ObjectLockFiltered(benchmark::State& state) {
  Host_Report_Filter_Reset();
  Quarn q;
  for (auto _ : state) {
    q.Critical_Class_In("bench");
    q.Critical_Class_Out("bench");
  }
}
BENCHMARK(BM_ObjectLockFiltered);

}  // namespace
