// Printable texts for OpenGL, runtime and platform error codes.
#include <hostkit/HostUtil.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// strerror_r has a GNU form that returns the text and a POSIX form that fills the buffer;
// overloads pick whichever this C library declares.
[[maybe_unused]] const char* Pick(int rc, const char* buffer) { return rc == 0 ? buffer : nullptr; }
[[maybe_unused]] const char* Pick(const char* text, const char*) { return text; }

const char* Reason(long long error, char* buffer, size_t size) {
  const char* text = nullptr;
  if (error >= INT_MIN && error <= INT_MAX) text = Pick(strerror_r(int(error), buffer, size), buffer);
  if (!text) {
    std::snprintf(buffer, size, "Unknown error %lld", error);
    text = buffer;
  }
  return text;
}

constexpr size_t kReasonBuffer = 256;

}  // namespace

const char* Host_GL_Error_Text(unsigned code) {
  switch (code) {
    case 0x0000: return "GL_NO_ERROR";
    case 0x0500: return "GL_INVALID_ENUM";
    case 0x0501: return "GL_INVALID_VALUE";
    case 0x0502: return "GL_INVALID_OPERATION";
    case 0x0503: return "GL_STACK_OVERFLOW";
    case 0x0504: return "GL_STACK_UNDERFLOW";
    case 0x0505: return "GL_OUT_OF_MEMORY";
    case 0x0506: return "GL_INVALID_FRAMEBUFFER_OPERATION";
    case 0x0507: return "GL_CONTEXT_LOST";
    case 0x8031: return "GL_TABLE_TOO_LARGE";
    default: break;
  }
  thread_local char unknown[48];
  std::snprintf(unknown, sizeof unknown, "unknown OpenGL error 0x%04X", code);
  return unknown;
}

const wchar_t* Host_Errno_Text(int error) {
  char narrow[kReasonBuffer];
  const char* text = Reason(error, narrow, sizeof narrow);
  thread_local std::wstring wide;
  wide = Host_Utf8_Decode(text, std::strlen(text));
  return wide.c_str();
}

const char* Host_Windows_Error_Text(unsigned long code) {
  thread_local char buffer[kReasonBuffer];
  return Reason((long long)code, buffer, sizeof buffer);
}
