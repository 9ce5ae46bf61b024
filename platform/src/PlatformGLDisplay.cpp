// The EGL display on Mesa's surfaceless platform, its formats, errors, fault hooks and the
// renderbuffers of windows that died.
#include "PlatformGLInternal.h"

#include <atomic>
#include <cerrno>
#include <cstring>

namespace {

// Most EGL configs looked at; Mesa's software driver offers about seventy.
constexpr EGLint kMaxConfigs = 512;

thread_local int t_error = 0;
std::atomic<unsigned> g_faults{0};

std::mutex g_retired_lock;
std::vector<GLuint> g_retired;

bool Has_Extension(const char* list, const char* name) {
  if (!list) return false;
  const size_t length = std::strlen(name);
  for (const char* at = std::strstr(list, name); at; at = std::strstr(at + 1, name))
    if ((at == list || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0')) return true;
  return false;
}

EGLint Attribute(EGLDisplay display, EGLConfig config, EGLint name) {
  EGLint value = 0;
  return eglGetConfigAttrib(display, config, name, &value) ? value : 0;
}

// A config that can back a window of ours: desktop OpenGL, RGB colour of fixed-point
// components, no multisampling (our buffers have one sample).
bool Usable(EGLDisplay display, EGLConfig config, bool has_float) {
  if (!(Attribute(display, config, EGL_RENDERABLE_TYPE) & EGL_OPENGL_BIT)) return false;
  if (Attribute(display, config, EGL_COLOR_BUFFER_TYPE) != EGL_RGB_BUFFER) return false;
  if (Attribute(display, config, EGL_SAMPLES) > 0) return false;
  return !has_float || Attribute(display, config, EGL_COLOR_COMPONENT_TYPE_EXT) !=
                           EGL_COLOR_COMPONENT_TYPE_FLOAT_EXT;
}

// The description of a config, components laid out blue lowest as in a 32-bit window pixel.
Platform_Pixel_Format Describe(EGLDisplay display, EGLConfig config, bool double_buffer) {
  Platform_Pixel_Format f;
  f.flags = PLATFORM_PFD_DRAW_TO_WINDOW | PLATFORM_PFD_SUPPORT_OPENGL;
  if (double_buffer) f.flags |= PLATFORM_PFD_DOUBLEBUFFER | PLATFORM_PFD_SWAP_EXCHANGE;
  f.red_bits = uint8_t(Attribute(display, config, EGL_RED_SIZE));
  f.green_bits = uint8_t(Attribute(display, config, EGL_GREEN_SIZE));
  f.blue_bits = uint8_t(Attribute(display, config, EGL_BLUE_SIZE));
  f.alpha_bits = uint8_t(Attribute(display, config, EGL_ALPHA_SIZE));
  f.color_bits = uint8_t(f.red_bits + f.green_bits + f.blue_bits);
  f.blue_shift = 0;
  f.green_shift = f.blue_bits;
  f.red_shift = uint8_t(f.blue_bits + f.green_bits);
  f.alpha_shift = f.alpha_bits ? f.color_bits : 0;
  f.depth_bits = uint8_t(Attribute(display, config, EGL_DEPTH_SIZE));
  f.stencil_bits = uint8_t(Attribute(display, config, EGL_STENCIL_SIZE));
  return f;
}

// Each usable config gives two formats, double-buffered first, numbered from 1 in EGL's order.
void Collect_Formats(platform::GL_Display& d, bool has_float) {
  EGLint count = 0;
  std::vector<EGLConfig> configs(kMaxConfigs);
  if (!eglGetConfigs(d.display, configs.data(), kMaxConfigs, &count)) return;
  for (EGLint i = 0; i < count; ++i) {
    if (!Usable(d.display, configs[size_t(i)], has_float)) continue;
    if (!d.config) d.config = configs[size_t(i)];
    d.formats.push_back(Describe(d.display, configs[size_t(i)], true));
    d.formats.push_back(Describe(d.display, configs[size_t(i)], false));
  }
}

platform::GL_Display* Open_Display() {
  auto* d = new platform::GL_Display;
  const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  auto get_display = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (!get_display || !Has_Extension(client, "EGL_MESA_platform_surfaceless")) return d;
  EGLDisplay display = get_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) return d;
  const char* extensions = eglQueryString(display, EGL_EXTENSIONS);
  if (!Has_Extension(extensions, "EGL_KHR_surfaceless_context") || !eglBindAPI(EGL_OPENGL_API)) {
    eglTerminate(display);
    return d;
  }
  d->display = display;
  Collect_Formats(*d, Has_Extension(extensions, "EGL_EXT_pixel_format_float"));
  // Contexts without a config can be made current with any window's buffers alike.
  if (Has_Extension(extensions, "EGL_KHR_no_config_context")) d->config = EGL_NO_CONFIG_KHR;
  d->shared = eglCreateContext(display, d->config, EGL_NO_CONTEXT, nullptr);
  if (d->shared == EGL_NO_CONTEXT) d->display = EGL_NO_DISPLAY;
  return d;
}

}  // namespace

platform::GL_Display* platform::Display() {
  // Never destroyed: contexts may be released from other threads' exit code.
  static GL_Display* display = Open_Display();
  return display->display == EGL_NO_DISPLAY ? nullptr : display;
}

std::mutex& platform::Registry_Lock() {
  static std::mutex* lock = new std::mutex;
  return *lock;
}

int platform::Fail(int error) {
  t_error = error;
  return 0;
}

bool platform::Fault(Platform_GL_Fault fault) {
  return g_faults.fetch_and(~unsigned(fault)) & unsigned(fault);
}

void platform::Renderbuffers_Retire(const GLuint* names, int count) {
  std::lock_guard guard(g_retired_lock);
  for (int i = 0; i < count; ++i)
    if (names[i]) g_retired.push_back(names[i]);
}

void platform::Renderbuffers_Delete_Retired() {
  std::vector<GLuint> names;
  {
    std::lock_guard guard(g_retired_lock);
    names.swap(g_retired);
  }
  if (!names.empty()) glDeleteRenderbuffers(GLsizei(names.size()), names.data());
}

int Platform_Last_Error() { return t_error; }

void Platform_GL_Fail_Next(unsigned faults) { g_faults.store(faults); }

void* Platform_GL_Proc_Address(const char* name) {
  if (!name || !platform::Display()) return nullptr;
  return reinterpret_cast<void*>(eglGetProcAddress(name));
}
