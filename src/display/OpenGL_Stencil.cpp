// The two stencil modes: writing a value under what is drawn, and masking drawing to the
// pixels whose stencil value is 0.
#include "display/GL.h"
#include "display/OpenGL_Internal.h"

#include "core/Trace.h"

#include <algorithm>

namespace {

constexpr uint32_t kTrace = quarn::msg::Draw;
constexpr GLuint kAllBits = 0xFF;

// Stencil bits the current window offers: its buffer may hold more than its format promises
// (a 4-bit format is kept in 8 bits), and the format's promise is what drawing may use.
int Stencil_Bits() {
  GLint bits = 0;
  glGetIntegerv(GL_STENCIL_BITS, &bits);
  Platform_Pixel_Format format;
  if (Platform_GL_Current_Format(&format)) bits = std::min<GLint>(bits, format.stencil_bits);
  return int(bits);
}

bool Has_Stencil(const char* who) {
  if (*quarn::OpenGL_State() & GRAPHIC_STENCIL_BUFFER) return true;
  QUARN_REPORT(kTrace, "<<< out Fct: %s(! (*OpenGL_State & GRAPHIC_STENCIL_BUFFER))", who);
  return false;
}

}  // namespace

void OpenGL_Stencil_On(Host_Window window, int value) {
  QUARN_REPORT(kTrace, ">>> in  Fct: OpenGL_Stencil_On(%d)", value);
  if (!Has_Stencil("OpenGL_Stencil_On")) return;
  const GLint v = std::clamp(value, 0, (1 << Stencil_Bits()) - 1);
  glEnable(GL_STENCIL_TEST);
  glStencilMask(GLuint(v));
  glStencilFunc(GL_ALWAYS, v, kAllBits);
  glStencilOp(GL_KEEP, GL_REPLACE, GL_REPLACE);
  QUARN_GL_ERRORS("glStencil");
  quarn::OpenGL_Slot_State(window, OPENGL_CONTEXT_STENCIL_MASK, OPENGL_CONTEXT_STENCIL_WRITE);
  QUARN_REPORT(kTrace, "<<< out Fct: OpenGL_Stencil_On()");
}

void OpenGL_Stencil_Off(Host_Window window) {
  QUARN_REPORT(kTrace, ">>> in  Fct: OpenGL_Stencil_Off()");
  if (!Has_Stencil("OpenGL_Stencil_Off")) return;
  glEnable(GL_STENCIL_TEST);
  glStencilMask(kAllBits);
  glStencilFunc(GL_EQUAL, 0, kAllBits);
  glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
  QUARN_GL_ERRORS("glStencil");
  quarn::OpenGL_Slot_State(window, OPENGL_CONTEXT_STENCIL_WRITE, OPENGL_CONTEXT_STENCIL_MASK);
  QUARN_REPORT(kTrace, "<<< out Fct: OpenGL_Stencil_Off()");
}
