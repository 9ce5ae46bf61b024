// The reference host program: runs a script file, one line, or an interactive prompt.
#include "Host_Command.h"
#include "Host_Session.h"

#include <quarn/quarn.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

int Usage() {
  std::fputs("usage: quarn-host [--trace] run FILE | -c LINE | (no arguments: prompt)\n", stderr);
  return 2;
}

std::wstring Wide(const char* text) { return Host_Utf8_Decode(text, std::strlen(text)); }

int Prompt() {
  const bool terminal = ::isatty(STDIN_FILENO);
  if (terminal) Host_Print(L"quarn-host: type \"help\" for the commands, \"quit\" to leave.");
  int failures = 0;
  for (std::string line;;) {
    if (terminal) std::fputs("quarn> ", stdout), std::fflush(stdout);
    if (!std::getline(std::cin, line)) break;
    const std::wstring wide = Wide(line.c_str());
    if (wide == L"quit" || wide == L"exit") break;
    if (!Host_Session_Line(wide) && !terminal) ++failures;
  }
  return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  int arg = 1;
  bool trace = false;
  if (arg < argc && std::strcmp(argv[arg], "--trace") == 0) trace = true, ++arg;
  const int rest = argc - arg;
  if (rest != 0 && !(rest == 2 && (std::strcmp(argv[arg], "run") == 0 || std::strcmp(argv[arg], "-c") == 0)))
    return Usage();
  Host_Report_Echo_Set(Host_Report_Echo_For(STDERR_FILENO));
  Host_Report_Filter_Default(trace, true);
  Host_Session_Start();
  int status;
  if (rest == 0) status = Prompt();
  else if (std::strcmp(argv[arg], "run") == 0) status = Script_Read_File(Wide(argv[arg + 1]).c_str()) ? 0 : 1;
  else status = Host_Session_Line(Wide(argv[arg + 1])) ? 0 : 1;
  Host_Session_End();
  return status;
}
