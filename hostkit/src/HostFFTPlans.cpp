// The kit's table of FFT plans and the wisdom file that spares later runs the measuring.
#include "HostFFTPlans.h"

#include <hostkit/HostReport.h>
#include <hostkit/HostUtil.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <shared_mutex>
#include <string>

#include <unistd.h>

namespace hostkit {

namespace {

// A measured plan of an awkward size (a large prime) stops measuring after this long.
constexpr double Plan_Time_Limit_S = 10.0;
constexpr const char* Wisdom_File = "fftw-wisdom";
constexpr uint32_t Trace_Class = 0x80000003;  // low-level traces of computations

// FFTW's planner keeps global state and is not re-entrant: planning, wisdom and plan
// destruction go through this one lock. Executing a plan on new arrays needs none.
std::mutex g_planner;
// The plans made so far; read by every transform, written once per problem.
std::shared_mutex g_table_lock;
bool g_wisdom_read = false;

// The plans live until the kit is unloaded (at the end of the process); then they and the
// planner's own tables go back to FFTW, so that nothing is left behind for leak checkers.
struct Plan_Table {
  std::map<FFT_Problem, fftw_plan> plans;
  Plan_Table() = default;
  Plan_Table(const Plan_Table&) = delete;
  Plan_Table& operator=(const Plan_Table&) = delete;
  ~Plan_Table() {
    std::lock_guard<std::mutex> planning(g_planner);
    for (auto& [problem, plan] : plans) fftw_destroy_plan(plan);
    plans.clear();
    fftw_cleanup();
  }
};
Plan_Table g_table;
auto& g_plans = g_table.plans;

std::string Wisdom_Path() {
  std::string path = Host_Wide_To_Char(Host_Cache_Dir);  // copied before the next conversion
  return path + Wisdom_File;
}

fftw_plan Plan_Lookup(const FFT_Problem& problem) {
  std::shared_lock hold(g_table_lock);
  auto found = g_plans.find(problem);
  return found == g_plans.end() ? nullptr : found->second;
}

// Planning with the caller's lock held.
void Wisdom_Read() {
  if (g_wisdom_read) return;
  g_wisdom_read = true;
  fftw_set_timelimit(Plan_Time_Limit_S);
  // A missing or unreadable file only means measuring again.
  if (fftw_import_wisdom_from_filename(Wisdom_Path().c_str()) && Host_Report_Enabled(Trace_Class))
    Host_Report(Host_Main_Window, Trace_Class, "-> FFT: wisdom read from %s", Wisdom_Path().c_str());
}

// Written beside the file and renamed over it, so that other programs never read half a file.
void Wisdom_Write() {
  if (!Host_Create_Dir(Host_Cache_Dir)) return;
  const std::string path = Wisdom_Path();
  const std::string temp = path + "." + std::to_string(::getpid());
  if (!fftw_export_wisdom_to_filename(temp.c_str()) || std::rename(temp.c_str(), path.c_str()))
    std::remove(temp.c_str());
}

// Scratch arrays for the planner, which overwrites what it measures on.
struct Planning_Arrays {
  void* in = nullptr;
  void* out = nullptr;
  Planning_Arrays(size_t in_bytes, size_t out_bytes)
      : in(fftw_malloc(in_bytes)), out(out_bytes ? fftw_malloc(out_bytes) : nullptr) {}
  ~Planning_Arrays() {
    fftw_free(in);
    fftw_free(out);
  }
  Planning_Arrays(const Planning_Arrays&) = delete;
  Planning_Arrays& operator=(const Planning_Arrays&) = delete;
};

fftw_plan Plan_Make(const FFT_Problem& p) {
  const size_t count = size_t(p.width) * size_t(p.height);
  if (p.shape == FFT_Shape::Complex) {
    Planning_Arrays a(count * sizeof(fftw_complex), 0);
    if (!a.in) return nullptr;
    auto* plane = static_cast<fftw_complex*>(a.in);
    return fftw_plan_dft_2d(p.height, p.width, plane, plane, p.direction, FFTW_MEASURE);
  }
  Planning_Arrays a(count * sizeof(double), Half_Spectrum_Count(p.width, p.height) * sizeof(fftw_complex));
  if (!a.in || !a.out) return nullptr;
  return fftw_plan_dft_r2c_2d(p.height, p.width, static_cast<double*>(a.in),
                              static_cast<fftw_complex*>(a.out), FFTW_MEASURE);
}

[[gnu::cold]] void Report_No_Plan(const FFT_Problem& p) {
  Host_Report(Host_Main_Window, 1, "line %-4d of %s \nmemory error in fftw_plan (var=%s, dim=%dx%d)",
              __LINE__, __FILE_NAME__, "plan", p.width, p.height);
}

}  // namespace

fftw_plan FFT_Plan_Get(const FFT_Problem& problem) {
  if (fftw_plan plan = Plan_Lookup(problem)) return plan;
  std::lock_guard<std::mutex> planning(g_planner);
  // Another thread may have made it while this one waited.
  if (fftw_plan plan = Plan_Lookup(problem)) return plan;
  Wisdom_Read();
  const auto start = std::chrono::steady_clock::now();
  fftw_plan plan = Plan_Make(problem);
  if (!plan) {
    Report_No_Plan(problem);
    return nullptr;
  }
  if (Host_Report_Enabled(Trace_Class))
    Host_Report(Host_Main_Window, Trace_Class, "-> FFT: plan %dx%d (%s) made in %.3f s",
                problem.width, problem.height,
                problem.shape == FFT_Shape::Complex ? "complex" : "real input",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  {
    std::unique_lock hold(g_table_lock);
    g_plans.emplace(problem, plan);
  }
  Wisdom_Write();
  return plan;
}

}  // namespace hostkit
