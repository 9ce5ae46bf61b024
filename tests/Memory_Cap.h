// Checks that need memory to run out: a child process whose address space is capped.
#pragma once

#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define MEMORY_CAP_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define MEMORY_CAP_SANITIZED 1
#endif
#endif

namespace memory_cap {

/// The mapped size of the process, read without touching the heap (it may be capped already).
inline size_t Address_Space_Used() {
  char text[64] = {};
  const int fd = open("/proc/self/statm", O_RDONLY);
  if (fd < 0) return 0;
  const ssize_t n = read(fd, text, sizeof text - 1);
  close(fd);
  return n > 0 ? std::strtoull(text, nullptr, 10) * size_t(sysconf(_SC_PAGESIZE)) : 0;
}

/// Size of the blocks that get a mapping of their own in a child (see In_Child).
inline constexpr size_t Own_Mapping_Bytes = 32 * 1024;

/// Caps the address space at its present size plus headroom for as long as it lives. Free heap
/// left by earlier tests of the same process would serve large blocks without mapping anything,
/// so every free stretch of a large block's size is taken first and held until the cap goes.
class Address_Limit {
public:
  explicit Address_Limit(size_t headroom) {
    malloc_trim(0);
    getrlimit(RLIMIT_AS, &saved_);
    Cap(0);
    for (void* p; (p = std::malloc(Own_Mapping_Bytes));) {
      *static_cast<void**>(p) = held_;
      held_ = p;
    }
    Cap(headroom);
  }
  ~Address_Limit() {
    setrlimit(RLIMIT_AS, &saved_);
    while (held_) {
      void* next = *static_cast<void**>(held_);
      std::free(held_);
      held_ = next;
    }
  }
  Address_Limit(const Address_Limit&) = delete;
  Address_Limit& operator=(const Address_Limit&) = delete;

private:
  void Cap(size_t headroom) {
    rlimit capped = saved_;
    capped.rlim_cur = Address_Space_Used() + headroom;
    setrlimit(RLIMIT_AS, &capped);
  }

  rlimit saved_{};
  void* held_ = nullptr;  // chain of the taken blocks
};

/// Runs check in a child process; its exit code (0 when every check held) comes back.
inline int In_Child(const std::function<int()>& check) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    // Blocks of 32 KB and more get their own mapping, so a capped block fails on its own while
    // the small blocks of the reports still find heap space.
    mallopt(M_MMAP_THRESHOLD, int(Own_Mapping_Bytes));
    // The heap grows by what a small block needs only, which a small headroom can give.
    mallopt(M_TOP_PAD, 0);
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
