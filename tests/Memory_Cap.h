// Checks that need memory to run out: a child process whose address space is capped.
#pragma once

#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define MEMORY_CAP_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define MEMORY_CAP_SANITIZED 1
#endif
#endif

namespace memory_cap {

inline size_t Address_Space_Used() {
  std::ifstream statm("/proc/self/statm");
  size_t pages = 0;
  statm >> pages;
  return pages * size_t(sysconf(_SC_PAGESIZE));
}

/// Caps the address space at its present size plus headroom for as long as it lives.
class Address_Limit {
public:
  explicit Address_Limit(size_t headroom) {
    malloc_trim(0);  // free heap space would let allocations pass the cap unnoticed
    getrlimit(RLIMIT_AS, &saved_);
    rlimit capped = saved_;
    capped.rlim_cur = Address_Space_Used() + headroom;
    setrlimit(RLIMIT_AS, &capped);
  }
  ~Address_Limit() { setrlimit(RLIMIT_AS, &saved_); }
  Address_Limit(const Address_Limit&) = delete;
  Address_Limit& operator=(const Address_Limit&) = delete;

private:
  rlimit saved_{};
};

/// Runs check in a child process; its exit code (0 when every check held) comes back.
inline int In_Child(const std::function<int()>& check) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    // Blocks of 32 KB and more get their own mapping, so a capped block fails on its own while
    // the small blocks of the reports still find heap space.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024);
    const int code = check();
    std::fflush(nullptr);
    _exit(code);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

/// Writes what failed and returns 1, for a child's exit code.
inline int Fail(const char* what, const char* why) {
  std::fprintf(stderr, "%s: %s\n", what, why);
  return 1;
}

}  // namespace memory_cap
