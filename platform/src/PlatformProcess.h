// Helper programs: finding them along PATH, running them with text in and out, starting them.
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace platform {

/// Full path of a program: the name itself when it holds a '/' and is executable, else the first
/// executable match along PATH; empty when there is none.
std::string Find_Program(const std::string& name);

/// What running a program gave.
struct Run_Result {
  bool started = false;  ///< The program could be started.
  int error = 0;         ///< errno of a failed start or of a failed pipe.
  int exit_code = -1;    ///< Its exit status, -1 when it ended by a signal.
  std::string output;    ///< Its standard output, when it was collected.
};

/// Runs argv (argv[0] a full path) with input on its standard input, waits for it to end and
/// collects its standard output when capture is set (otherwise, and always for its standard
/// error, the output goes nowhere). A program that ends without reading its input is fine.
Run_Result Run_Program(const std::vector<std::string>& argv, const std::string& input, bool capture);

/// Starts argv (argv[0] a full path) so that it outlives the call and is never waited for;
/// true when it started, else false with errno set.
bool Start_Detached(const std::vector<std::string>& argv);

/// Which helper program a service uses: searched for on each use, none, or one set by the host.
class Program_Choice {
public:
  /// A service whose helpers, in order of preference, are the names given.
  explicit Program_Choice(std::vector<std::string> candidates) : candidates_(std::move(candidates)) {}
  /// null: search the candidates again; "": use none; else that program (a name or a path).
  void Set(const char* program);
  /// The program to run (a full path), or empty for none; needs_display makes the search skip
  /// the candidates while no display is present (a program set by the host is always used).
  std::string Get(bool needs_display) const;

private:
  mutable std::mutex lock_;
  std::vector<std::string> candidates_;
  bool set_ = false;
  std::string program_;
};

/// True when a display server is named by the environment (DISPLAY or WAYLAND_DISPLAY).
bool Display_Present();

}  // namespace platform
