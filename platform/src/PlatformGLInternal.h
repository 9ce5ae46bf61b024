// What the OpenGL files of the platform layer share: the EGL display, a window's buffers, the
// context records and the calling thread's current state.
#pragma once

#include <platform/PlatformGL.h>

#define GL_GLEXT_PROTOTYPES 1
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {

/// The buffers of one window: front and back colour renderbuffers and a depth-stencil one,
/// objects of the share group that every context belongs to, so that any context can draw into
/// them and read them. The window record owns it from the moment it gets a pixel format.
struct GL_Drawable {
  std::mutex lock;                 // guards the storage below while it is made or read
  Platform_Pixel_Format format{};  // what the window was given
  int format_number = 0;
  GLuint colour[2] = {0, 0};       // colour[front] is the front buffer
  GLuint depth_stencil = 0;
  int front = 0;
  int width = 0;                   // size of the storage; 0 before the first drawing
  int height = 0;
  uint64_t serial = 0;             // changes whenever storage is made or the roles swap

  ~GL_Drawable();
  /// True for a double-buffered format.
  bool Double() const { return (format.flags & PLATFORM_PFD_DOUBLEBUFFER) != 0; }
};

/// One rendering context of the layer.
struct GL_Context {
  EGLContext egl = EGL_NO_CONTEXT;
  int format_number = 0;
  Platform_GLRC handle = nullptr;
  std::thread::id thread{};        // the thread it is current on; guarded by the display lock
  bool viewport_set = false;       // the first window it draws into sets its viewport
  GLuint reader = 0;               // framebuffer that read-back attaches buffers to
  /// The framebuffer this context draws into a window's buffers through.
  struct Binding {
    std::weak_ptr<GL_Drawable> drawable;
    GLuint framebuffer = 0;
    uint64_t serial = 0;           // the drawable's serial when the buffers were attached
  };
  std::vector<Binding> bindings;
};

/// The process's EGL display and what goes with it; made on first use.
struct GL_Display {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLConfig config = nullptr;      // every context is made with it (no config when allowed)
  EGLContext shared = EGL_NO_CONTEXT;  // root of the share group, current only under shared_lock
  std::vector<Platform_Pixel_Format> formats;  // the display's own, from its EGL configs
  std::mutex shared_lock;
  GLuint shared_reader = 0;        // read-back framebuffer of the shared context
};

/// The display, made on first call; null when EGL offers no surfaceless display.
GL_Display* Display();
/// Guards the format list, the registries of device contexts and rendering contexts and the
/// threads contexts are current on.
std::mutex& Registry_Lock();

/// Records the calling thread's last error and returns 0, for one-line failure returns.
int Fail(int error);
/// True (and disarms it) when the fault was armed.
bool Fault(Platform_GL_Fault fault);

/// The formats offered now (the test list when one is set); call under Registry_Lock.
const std::vector<Platform_Pixel_Format>& Formats();

/// The window behind a device context, and its buffers (null when it has no pixel format).
std::shared_ptr<GL_Drawable> Drawable_Of(Platform_DC dc);
/// The buffers of a window (null when it has none).
std::shared_ptr<GL_Drawable> Drawable_Of(Platform_Window* window);
/// Gives a window buffers of a format, unless it has them; 0 done, else the error (EBUSY when
/// it has another format).
int Drawable_Create(Platform_Window* window, int number, const Platform_Pixel_Format& format);

/// Renderbuffers whose window died, deleted by the next context made current.
void Renderbuffers_Retire(const GLuint* names, int count);
/// Deletes the retired renderbuffers; a context of the share group must be current.
void Renderbuffers_Delete_Retired();

/// Makes the drawable's storage match size width x height in the current context.
void Storage_Fit(GL_Drawable& drawable, int width, int height);
/// Attaches the drawable's buffers to the current context's framebuffer for it (made on first
/// use) and binds it; front goes to colour attachment 0, back to attachment 1.
void Framebuffer_Bind(GL_Context& context, const std::shared_ptr<GL_Drawable>& drawable);
/// Deletes the context's framebuffers of windows that died; the context must be current.
void Framebuffers_Prune(GL_Context& context);

/// The calling thread's current context and window, or null.
GL_Context* Current_Context();
std::shared_ptr<GL_Drawable> Current_Drawable();

/// Makes the shared context current on a thread without one (holding it until Shared_Leave);
/// false when there is no display.
bool Shared_Enter();
/// Releases the shared context that Shared_Enter made current.
void Shared_Leave();
/// True between Platform_GL_Shared_Begin and Platform_GL_Shared_End on the calling thread.
bool Shared_Held();

/// Runs work(reader framebuffer name) with a context current on the calling thread: the
/// caller's own, else the shared one (taken for the duration); false when there is no display.
template <class Work>
bool With_Context(Work&& work) {
  if (GL_Context* own = Current_Context()) {
    work(own->reader);
    return true;
  }
  if (Shared_Held()) {
    work(Display()->shared_reader);
    return true;
  }
  if (!Shared_Enter()) return false;
  work(Display()->shared_reader);
  Shared_Leave();
  return true;
}

}  // namespace platform
