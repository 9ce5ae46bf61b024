// Statements per second of the script reader on a script of 100 000 statements (assignments
// and dispatches in nested loops), against the same number of direct dispatcher calls.
#include <quarn/quarn.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>

namespace {

constexpr int kPairs = 50;           // assignment + dispatch pairs in the loop body
constexpr int kOuter = 10, kInner = 100;
constexpr int kStatements = 2 * kPairs * kOuter * kInner;  // 100 000

long g_dispatched = 0;

int Count(const wchar_t*, int* nb_arg, wchar_t*** pt_arg) {
  g_dispatched += *nb_arg;
  benchmark::DoNotOptimize(*pt_arg);
  return 1;
}

std::wstring Values(int n) {
  std::wstring s;
  for (int i = 0; i < n; ++i) s += L" " + std::to_wstring(i);
  return s;
}

// Defines "@bench": for each of 10 x 100 loop passes, 50 assignments and 50 dispatches.
void Define_Script() {
  Fct_Script_Dispatch = Count;
  Script_Read_Line(L"$ten =%ls", Values(kOuter).c_str());
  Script_Read_Line(L"$hundred =%ls", Values(kInner).c_str());
  Script_Read_Line(L"@bench = for $i in ( $ten )");
  Script_Read_Line(L"for $j in ( $hundred )");
  Script_Read_Line(L"{");
  for (int k = 0; k < kPairs; ++k) {
    Script_Read_Line(L"$a = $j + %d", k);
    Script_Read_Line(L"step: $a");
  }
  Script_Read_Line(L"}");
}

double Seconds_Of_Direct_Calls() {
  wchar_t word[] = L"1";
  wchar_t* words[] = {word};
  wchar_t** args = words;
  int n = 1;
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < kStatements; ++i) {
    benchmark::DoNotOptimize(args);
    Count(L"step:", &n, &args);
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Best of several runs of the baseline, measured once per process.
double Baseline() {
  static const double best = [] {
    double b = 1e9;
    for (int r = 0; r < 20; ++r) b = std::min(b, Seconds_Of_Direct_Calls());
    return b;
  }();
  return best;
}

void BM_ScriptStatements(benchmark::State& state) {
  Define_Script();
  double total = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    if (Script_Read_Line(L"@bench") != 1) state.SkipWithError("script failed");
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    state.SetIterationTime(s);
    total += s;
  }
  const double per_run = total / double(state.iterations());
  state.counters["statements/s"] = double(kStatements) / per_run;
  state.counters["x_direct_calls"] = per_run / Baseline();
  Script_Cleanup();
}
BENCHMARK(BM_ScriptStatements)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_DirectDispatch(benchmark::State& state) {
  for (auto _ : state) state.SetIterationTime(Seconds_Of_Direct_Calls());
  state.counters["statements/s"] = benchmark::Counter(double(kStatements) * double(state.iterations()),
                                                      benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DirectDispatch)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
