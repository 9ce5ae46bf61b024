// Reports of the host kit for failed allocations and bad arguments, in the library's wording.
#pragma once

#include <hostkit/HostReport.h>

/// Reports "line %-4d of %s \nmemory error in <call> (var=%s, dim=%ldx%ld)" with class 1.
void Host_Memory_Error(const char* file, int line, const char* call, const char* var, long x, long y);
/// Reports an invalid argument with class 2: the text, then "file:%s line:%d".
void Host_Invalid_Argument(Host_Window owner, const char* file, int line, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

/// Reports a failed allocation of var with the sizes x by y at this source line.
#define HOSTKIT_MEMORY_ERROR(call, var, x, y) \
  Host_Memory_Error(__FILE_NAME__, __LINE__, (call), (var), long(x), long(y))
/// Reports an invalid argument at this source line.
#define HOSTKIT_INVALID(owner, ...) Host_Invalid_Argument((owner), __FILE_NAME__, __LINE__, __VA_ARGS__)
