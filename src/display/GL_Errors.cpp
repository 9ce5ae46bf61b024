// Pending OpenGL errors reported in three lines, and GLEW's entry points loaded once.
#include "display/GL.h"

#include "core/Trace.h"

#include <hostkit/HostUtil.h>

#include <mutex>

int quarn::GL_Errors_Report(const char* where, const char* file, int line) {
  int count = 0;
  for (GLenum code = glGetError(); code != GL_NO_ERROR && count < GL_ERRORS_MAX; code = glGetError()) {
    ++count;
    QUARN_REPORT(msg::GL_Error, "ERROR: OpenGL Error %d in %s", int(code), where);
    QUARN_REPORT(msg::GL_Error, "ERROR: %s", Host_GL_Error_Text(code));
    QUARN_REPORT(msg::GL_Error, "ERROR: file:%s line:%d", file, line);
  }
  return count;
}

bool quarn::GL_Extensions_Init() {
  static std::mutex lock;
  static bool tried = false, ready = false;
  std::lock_guard guard(lock);
  if (tried) return ready;
  tried = true;
  const GLenum result = glewInit();
  ready = (result == GLEW_OK || result == GLEW_ERROR_NO_GLX_DISPLAY) && glGenerateMipmap != nullptr;
  if (!ready)
    Host_Report(Host_Main_Window, msg::Platform, "\xF1\x05" "WARNING:\x02 OpenGL extensions not loaded (%s)",
                reinterpret_cast<const char*>(glewGetErrorString(result)));
  return ready;
}
