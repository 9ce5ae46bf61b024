// Helper programs: finding them along PATH, running them with text in and out, starting them.
#include "PlatformProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

constexpr size_t kReadChunk = 4096;

bool Executable(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::vector<char*> Arguments(const std::vector<std::string>& argv) {
  std::vector<char*> out;
  for (const std::string& a : argv) out.push_back(const_cast<char*>(a.c_str()));
  out.push_back(nullptr);
  return out;
}

/// Both ends of a pipe, closed when it goes.
struct Pipe {
  int fd[2] = {-1, -1};
  bool Open() { return ::pipe2(fd, O_CLOEXEC) == 0; }
  void Close(int end) {
    if (fd[end] >= 0) ::close(fd[end]);
    fd[end] = -1;
  }
  ~Pipe() {
    Close(0);
    Close(1);
  }
};

/// Writes to a pipe whose reader may have gone without the process dying of SIGPIPE: the signal
/// is held back on this thread and a pending one is taken before it is let through again.
class Sigpipe_Hold {
public:
  Sigpipe_Hold() {
    sigemptyset(&pipe_);
    sigaddset(&pipe_, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
  }
  ~Sigpipe_Hold() {
    const timespec zero{0, 0};
    while (sigtimedwait(&pipe_, nullptr, &zero) > 0) {
    }
    pthread_sigmask(SIG_SETMASK, &old_, nullptr);
  }
  Sigpipe_Hold(const Sigpipe_Hold&) = delete;
  Sigpipe_Hold& operator=(const Sigpipe_Hold&) = delete;

private:
  sigset_t pipe_;
  sigset_t old_;
};

// Feeds the input and drains the output together, so that neither side waits for the other.
void Exchange(Pipe& in, Pipe& out, const std::string& input, Run_Result& r) {
  size_t written = 0;
  if (input.empty()) in.Close(1);
  Sigpipe_Hold hold;
  char chunk[kReadChunk];
  while (in.fd[1] >= 0 || out.fd[0] >= 0) {
    pollfd fds[2];
    int n = 0;
    if (in.fd[1] >= 0) fds[n++] = {in.fd[1], POLLOUT, 0};
    if (out.fd[0] >= 0) fds[n++] = {out.fd[0], POLLIN, 0};
    if (::poll(fds, nfds_t(n), -1) < 0) {
      if (errno == EINTR) continue;
      r.error = errno;
      return;
    }
    for (int i = 0; i < n; ++i) {
      if (!fds[i].revents) continue;
      if (fds[i].fd == in.fd[1]) {
        const ssize_t w = ::write(in.fd[1], input.data() + written, input.size() - written);
        if (w < 0 && errno == EINTR) continue;
        if (w > 0) written += size_t(w);
        if (w < 0 || written == input.size()) in.Close(1);  // done, or the reader is gone
      } else {
        const ssize_t got = ::read(out.fd[0], chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) out.Close(0);
        else r.output.append(chunk, size_t(got));
      }
    }
  }
}

int Wait_For(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

std::string Find_Program(const std::string& name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return Executable(name) ? name : std::string();
  const char* path = std::getenv("PATH");
  std::string dirs = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    if (dir.empty()) dir = ".";
    const std::string candidate = dir + "/" + name;
    if (Executable(candidate)) return candidate;
    start = end + 1;
  }
  return {};
}

Run_Result Run_Program(const std::vector<std::string>& argv, const std::string& input, bool capture) {
  Run_Result r;
  Pipe in, out;
  if (!in.Open() || (capture && !out.Open())) {
    r.error = errno;
    return r;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in.fd[0], STDIN_FILENO);
  if (capture) posix_spawn_file_actions_adddup2(&actions, out.fd[1], STDOUT_FILENO);
  else posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args = Arguments(argv);
  pid_t pid = 0;
  const int failed = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed) {
    r.error = failed;
    return r;
  }
  r.started = true;
  in.Close(0);
  out.Close(1);
  Exchange(in, out, input, r);
  r.exit_code = Wait_For(pid);
  return r;
}

bool Start_Detached(const std::vector<std::string>& argv) {
  std::vector<char*> args = Arguments(argv);
  // The child only forks again and leaves, so the program is nobody's child to wait for.
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild == 0) {
      const int null = ::open("/dev/null", O_RDWR);
      if (null >= 0) {
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
      }
      ::execve(args[0], args.data(), environ);
      ::_exit(127);
    }
    ::_exit(grandchild < 0 ? 1 : 0);
  }
  if (Wait_For(child) != 0) {
    errno = ECHILD;
    return false;
  }
  return true;
}

void Program_Choice::Set(const char* program) {
  std::lock_guard<std::mutex> hold(lock_);
  set_ = program != nullptr;
  program_ = program ? program : "";
}

std::string Program_Choice::Get(bool needs_display) const {
  std::unique_lock<std::mutex> hold(lock_);
  if (set_) return program_.empty() ? std::string() : Find_Program(program_);
  hold.unlock();
  if (needs_display && !Display_Present()) return {};
  for (const std::string& name : candidates_)
    if (std::string found = Find_Program(name); !found.empty()) return found;
  return {};
}

bool Display_Present() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 && *x11) || (wayland && *wayland);
}

}  // namespace platform
