// The reader's worker threads: files are scanned and decoded on several threads at once.
#include "HostDicomFile.h"

#include <hostkit/HostDicom.h>

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

#include <sched.h>

namespace hostkit {
namespace {

// More threads than this gain nothing: reading files and copying pixels share one memory bus.
constexpr int kMaxThreads = 8;

std::atomic<int> g_threads{0};  // 0: as many as the processors

// Processors this process may run on: fewer than the machine's when its affinity is restricted
// (a container's CPU set), and more threads than those only wait for one another.
int Usable_Processors() {
  cpu_set_t set;
  if (::sched_getaffinity(0, sizeof set, &set) == 0) return CPU_COUNT(&set);
  return int(std::thread::hardware_concurrency());
}

}  // namespace

int Dicom_Thread_Count() {
  int n = g_threads.load(std::memory_order_relaxed);
  if (n > 0) return n;
  return std::clamp(Usable_Processors(), 1, kMaxThreads);
}

void Dicom_Parallel(size_t count, const std::function<void(size_t)>& work,
                    const std::function<void(size_t)>& done) {
  std::atomic<size_t> next{0}, finished{0};
  auto run = [&] {
    for (size_t i; (i = next.fetch_add(1, std::memory_order_relaxed)) < count;) {
      work(i);
      finished.fetch_add(1, std::memory_order_acq_rel);
    }
  };
  std::vector<std::thread> helpers;
  size_t wanted = std::min(count, size_t(Dicom_Thread_Count()));
  for (size_t t = 1; t < wanted; ++t) {
    try {
      helpers.emplace_back(run);
    } catch (const std::system_error&) {
      break;  // fewer threads: the calling one still takes every item left
    }
  }
  for (size_t i; (i = next.fetch_add(1, std::memory_order_relaxed)) < count;) {
    work(i);
    done(finished.fetch_add(1, std::memory_order_acq_rel) + 1);
  }
  for (std::thread& t : helpers) t.join();
  done(count);
}

}  // namespace hostkit

void Host_Dicom_Threads_Set(int threads) {
  hostkit::g_threads.store(std::clamp(threads, 0, hostkit::kMaxThreads), std::memory_order_relaxed);
}
