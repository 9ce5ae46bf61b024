// Rendering contexts: creation in one share group, making one current on a window's buffers,
// release and deletion, and the layer's own context for work on shared objects.
#include "PlatformGLInternal.h"

#include <platform/PlatformWindow.h>

#include <cerrno>
#include <new>
#include <unordered_map>

namespace {

using platform::GL_Context;
using platform::GL_Drawable;

// Handles count up from here and are never reused, so a stale one is never taken for a live one.
uintptr_t g_next_context = 0x10;
std::unordered_map<uintptr_t, std::shared_ptr<GL_Context>>& Contexts() {
  static auto* contexts = new std::unordered_map<uintptr_t, std::shared_ptr<GL_Context>>;
  return *contexts;
}

struct Current {
  std::shared_ptr<GL_Context> context;
  std::shared_ptr<GL_Drawable> drawable;
  Platform_DC dc = nullptr;
};
thread_local Current t_current;
thread_local bool t_shared = false;

std::shared_ptr<GL_Context> Context_Of(Platform_GLRC handle) {
  std::lock_guard guard(platform::Registry_Lock());
  auto it = Contexts().find(reinterpret_cast<uintptr_t>(handle));
  return it == Contexts().end() ? nullptr : it->second;
}

void Thread_Set(GL_Context* context, std::thread::id thread) {
  std::lock_guard guard(platform::Registry_Lock());
  context->thread = thread;
}

// Releases the calling thread's context; EGL deletes a context that was deleted meanwhile.
void Release() {
  if (!t_current.context) return;
  eglMakeCurrent(platform::Display()->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  Thread_Set(t_current.context.get(), std::thread::id());
  t_current = Current{};
}

// Claims a context for the calling thread; false when another thread has it current.
bool Claim(GL_Context& context) {
  std::lock_guard guard(platform::Registry_Lock());
  const std::thread::id me = std::this_thread::get_id();
  if (context.thread != std::thread::id() && context.thread != me) return false;
  context.thread = me;
  return true;
}

// Points the context, now current, at the window's buffers.
void Bind_Window(GL_Context& context, const std::shared_ptr<GL_Drawable>& drawable,
                 Platform_Window* window) {
  platform::Renderbuffers_Delete_Retired();
  platform::Framebuffers_Prune(context);
  int width = 0, height = 0;
  Platform_Window_Size_Get(window, &width, &height);
  platform::Storage_Fit(*drawable, width, height);
  platform::Framebuffer_Bind(context, drawable);
  if (!context.viewport_set) {
    glViewport(0, 0, width, height);
    context.viewport_set = true;
  }
}

}  // namespace

platform::GL_Context* platform::Current_Context() { return t_current.context.get(); }

std::shared_ptr<platform::GL_Drawable> platform::Current_Drawable() { return t_current.drawable; }

Platform_GLRC Platform_GL_Create_Context(Platform_DC dc) {
  platform::GL_Display* d = platform::Display();
  if (!d) return platform::Fail(ENODEV), nullptr;
  auto drawable = platform::Drawable_Of(dc);
  if (!drawable) return platform::Fail(EINVAL), nullptr;
  if (platform::Fault(PLATFORM_GL_FAIL_CREATE)) return platform::Fail(EIO), nullptr;
  eglBindAPI(EGL_OPENGL_API);
  EGLContext egl = eglCreateContext(d->display, d->config, d->shared, nullptr);
  if (egl == EGL_NO_CONTEXT) return platform::Fail(ENOMEM), nullptr;
  try {
    auto context = std::make_shared<GL_Context>();
    context->egl = egl;
    context->format_number = drawable->format_number;
    std::lock_guard guard(platform::Registry_Lock());
    context->handle = reinterpret_cast<Platform_GLRC>(g_next_context++);
    Contexts().emplace(reinterpret_cast<uintptr_t>(context->handle), context);
    return context->handle;
  } catch (const std::bad_alloc&) {
    eglDestroyContext(d->display, egl);
    return platform::Fail(ENOMEM), nullptr;
  }
}

int Platform_GL_Delete_Context(Platform_GLRC handle) {
  std::shared_ptr<GL_Context> context;
  {
    std::lock_guard guard(platform::Registry_Lock());
    auto it = Contexts().find(reinterpret_cast<uintptr_t>(handle));
    if (it == Contexts().end()) return platform::Fail(EINVAL);
    context = std::move(it->second);
    Contexts().erase(it);
  }
  if (t_current.context == context) Release();
  // EGL keeps a context current on another thread alive until that thread releases it.
  eglDestroyContext(platform::Display()->display, context->egl);
  return 1;
}

int Platform_GL_Make_Current(Platform_DC dc, Platform_GLRC handle) {
  if (!dc && !handle) {
    Release();
    return 1;
  }
  if (t_shared) return platform::Fail(EBUSY);
  if (platform::Fault(PLATFORM_GL_FAIL_MAKE_CURRENT)) return platform::Fail(EIO);
  auto context = Context_Of(handle);
  Platform_Window* window = Platform_DC_Window(dc);
  auto drawable = platform::Drawable_Of(window);
  if (!context || !drawable) return platform::Fail(EINVAL);
  if (drawable->format_number != context->format_number) return platform::Fail(EINVAL);
  if (t_current.context == context && t_current.drawable == drawable) {
    t_current.dc = dc;
    return 1;
  }
  if (!Claim(*context)) return platform::Fail(EBUSY);
  eglBindAPI(EGL_OPENGL_API);
  if (!eglMakeCurrent(platform::Display()->display, EGL_NO_SURFACE, EGL_NO_SURFACE, context->egl)) {
    if (t_current.context != context) Thread_Set(context.get(), std::thread::id());
    return platform::Fail(EIO);
  }
  if (t_current.context && t_current.context != context)
    Thread_Set(t_current.context.get(), std::thread::id());
  t_current = Current{context, drawable, dc};
  Bind_Window(*context, drawable, window);
  return 1;
}

Platform_GLRC Platform_GL_Current_Context() {
  return t_current.context ? t_current.context->handle : nullptr;
}

Platform_DC Platform_GL_Current_DC() { return t_current.context ? t_current.dc : nullptr; }

bool platform::Shared_Enter() {
  GL_Display* d = Display();
  if (!d) return false;
  d->shared_lock.lock();
  eglBindAPI(EGL_OPENGL_API);
  eglMakeCurrent(d->display, EGL_NO_SURFACE, EGL_NO_SURFACE, d->shared);
  Renderbuffers_Delete_Retired();
  return true;
}

void platform::Shared_Leave() {
  GL_Display* d = Display();
  eglMakeCurrent(d->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  d->shared_lock.unlock();
}

bool platform::Shared_Held() { return t_shared; }

int Platform_GL_Shared_Begin() {
  if (t_current.context) return 1;
  if (t_shared) return 1;
  if (!platform::Shared_Enter()) return platform::Fail(ENODEV);
  t_shared = true;
  return 1;
}

void Platform_GL_Shared_End() {
  if (!t_shared) return;
  t_shared = false;
  platform::Shared_Leave();
}
