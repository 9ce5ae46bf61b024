// Cost of the number texts that label measurements, beside printf of the same value: the
// magnitude choice and decimal mark, and the unit lookups of the unit forms.
#include <quarn/quarn.h>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

/// The default variables, installed once for every benchmark of the program.
void Host() {
  static const bool installed = [] {
    Host_Var_Default_Install();
    Fct_Main_Var_Get = Host_Var_Get;
    return true;
  }();
  benchmark::DoNotOptimize(installed);
}

// Baseline: printf of the value in the form the text takes for it.
void BM_Printf(benchmark::State& state) {
  char text[FLOAT_TEXT_SIZE];
  double v = 12.5;
  for (auto _ : state) {
    std::snprintf(text, sizeof text, "%-.2f", v);
    benchmark::DoNotOptimize(text);
    v += 1e-9;
  }
}
BENCHMARK(BM_Printf);

void BM_Float_2_Text(benchmark::State& state) {
  Host();
  char text[FLOAT_TEXT_SIZE];
  double v = 12.5;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Fct_Float_2_Text(v, text));
    v += 1e-9;
  }
}
BENCHMARK(BM_Float_2_Text);

void BM_Float_2_Vol(benchmark::State& state) {
  Host();
  char label[UNITS_LABEL_SIZE];
  char text[FLOAT_TEXT_SIZE];
  double v = 12500.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Fct_Float_2_Vol(v, label, text));
    v += 1e-6;
  }
}
BENCHMARK(BM_Float_2_Vol);

}  // namespace
