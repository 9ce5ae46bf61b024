// Fault reports shared by the host kit's libraries.
#include "HostFault.h"

#include <cstdarg>

void Host_Memory_Error(const char* file, int line, const char* call, const char* var, long x, long y) {
  Host_Report(Host_Main_Window, 1, "line %-4d of %s \nmemory error in %s (var=%s, dim=%ldx%ld)",
              line, file, call, var, x, y);
}

void Host_Invalid_Argument(Host_Window owner, const char* file, int line, const char* format, ...) {
  if (!owner) owner = Host_Main_Window;
  va_list args;
  va_start(args, format);
  Host_Report_V(owner, 2, format, args);
  va_end(args);
  Host_Report(owner, 2, "file:%s line:%d", file, line);
}
