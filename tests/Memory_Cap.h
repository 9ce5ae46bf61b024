// Checks that need memory to run out: a child process whose address space is capped.
#pragma once

#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
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

/// Exit code of a child whose cap did not hold (see Cap_Holds).
inline constexpr int Not_Capped = 77;

/// Whether bytes, asked for in pieces of piece bytes (at least a pointer's size), cannot all be
/// had under the present cap. Free heap left by earlier tests of the same process serves
/// allocations without mapping anything; a check run after them cannot make memory run short
/// and should say so rather than fail. Everything it got is given back.
inline bool Cap_Holds(size_t bytes, size_t piece) {
  void* chain = nullptr;
  size_t got = 0;
  for (void* p; got < bytes && (p = std::malloc(piece)); got += piece) {
    *static_cast<void**>(p) = chain;
    chain = p;
  }
  while (chain) {
    void* next = *static_cast<void**>(chain);
    std::free(chain);
    chain = next;
  }
  return got < bytes;
}

}  // namespace memory_cap
