// Opening a document or address with the desktop's program for it.
#include <platform/PlatformShell.h>

#include "PlatformProcess.h"
#include "PlatformUtf8.h"

#include <cerrno>

namespace {

platform::Program_Choice& Opener() {
  static platform::Program_Choice* choice = new platform::Program_Choice({"xdg-open"});
  return *choice;
}

}  // namespace

int Platform_Shell_Open(const wchar_t* address) {
  if (!address || !*address) {
    errno = EINVAL;
    return 0;
  }
  // The opener finds its own way to the user (a browser may start without a display of ours).
  const std::string opener = Opener().Get(false);
  if (opener.empty()) {
    errno = ENOENT;
    return 0;
  }
  return platform::Start_Detached({opener, platform::Utf8_Encode(address)}) ? 1 : 0;
}

void Platform_Shell_Program_Set(const char* program) { Opener().Set(program); }
