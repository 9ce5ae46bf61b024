// A stand-in for a helper program (dialog, clipboard, opener): a shell script in a folder of its
// own that records its arguments and standard input, prints a prepared reply and exits with a
// prepared status.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fake {

class Program {
public:
  /// Writes the script named name (so that a helper chosen by name sees the name it expects).
  explicit Program(const std::string& name) {
    static int serial = 0;
    dir_ = std::filesystem::temp_directory_path() /
           ("quarn_fake_" + std::to_string(::getpid()) + "_" + std::to_string(serial++));
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / name).string();
    std::ofstream script(path_);
    script << "#!/bin/sh\n"
              "dir=$(dirname \"$0\")\n"
              ": > \"$dir/args\"\n"
              "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$dir/args\"; done\n"
              "cat > \"$dir/input\"\n"
              "[ -p \"$dir/fifo\" ] && printf '%s' \"$1\" > \"$dir/fifo\"\n"
              "cat \"$dir/reply\" 2>/dev/null\n"
              "exit $(cat \"$dir/status\" 2>/dev/null || echo 0)\n";
    script.close();
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all);
  }
  ~Program() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  /// The script's full path.
  const std::string& Path() const { return path_; }
  /// What the script prints on its next run.
  void Reply(const std::string& text) const { Write("reply", text); }
  /// The status the script exits with.
  void Status(int status) const { Write("status", std::to_string(status)); }
  /// The arguments of the last run, one per entry.
  std::vector<std::string> Args() const {
    std::vector<std::string> args;
    std::ifstream in(dir_ / "args");
    for (std::string line; std::getline(in, line);) args.push_back(line);
    return args;
  }
  /// The standard input of the last run.
  std::string Input() const {
    std::ifstream in(dir_ / "input");
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
  }
  /// True when some argument of the last run equals text.
  bool Has_Arg(const std::string& text) const {
    for (const std::string& a : Args())
      if (a == text) return true;
    return false;
  }

  /// Makes the script, once started in the background, hand its first argument over through a
  /// named pipe; Await reads it (empty after timeout_ms without a writer).
  void Expect_Detached() const { ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0); }
  std::string Await(int timeout_ms) const {
    const int fd = ::open((dir_ / "fifo").c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return {};
    std::string got;
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, timeout_ms) > 0) {
      char chunk[256];
      const ssize_t n = ::read(fd, chunk, sizeof chunk);
      if (n <= 0) break;
      got.append(chunk, size_t(n));
    }
    ::close(fd);
    return got;
  }

private:
  void Write(const char* file, const std::string& text) const {
    std::ofstream out(dir_ / file);
    out << text;
  }

  std::filesystem::path dir_;
  std::string path_;
};

}  // namespace fake
