// A window's buffers: their storage, the framebuffer each context draws into them through, the
// swap of front and back, and the choice of the buffer drawn into or read from.
#include "PlatformGLInternal.h"

#include <algorithm>
#include <cerrno>

namespace {

// Colour storage near the format's: the driver offers these, whatever a test format says.
GLenum Colour_Storage(const Platform_Pixel_Format& f) {
  if (f.red_bits >= 10) return GL_RGB10_A2;
  if (f.red_bits <= 5 && f.alpha_bits == 0) return GL_RGB565;
  return f.alpha_bits ? GL_RGBA8 : GL_RGB8;
}

// Stencil comes packed with depth, the one stencil storage every driver can attach.
GLenum Depth_Storage(const Platform_Pixel_Format& f) {
  if (f.stencil_bits) return GL_DEPTH24_STENCIL8;
  if (f.depth_bits > 16) return GL_DEPTH_COMPONENT24;
  return f.depth_bits ? GL_DEPTH_COMPONENT16 : 0;
}

void Store(GLuint name, GLenum format, int width, int height) {
  glBindRenderbuffer(GL_RENDERBUFFER, name);
  glRenderbufferStorage(GL_RENDERBUFFER, format, width, height);
}

void Attach(const platform::GL_Drawable& d) {
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, d.colour[d.front]);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT1, GL_RENDERBUFFER,
                            d.Double() ? d.colour[1 - d.front] : 0);
  const GLenum point = d.format.stencil_bits ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
  if (d.depth_stencil) glFramebufferRenderbuffer(GL_FRAMEBUFFER, point, GL_RENDERBUFFER, d.depth_stencil);
}

// The colour attachment that stands for GL_FRONT or GL_BACK, GL_NONE for itself, else 0.
GLenum Attachment_Of(unsigned mode, const platform::GL_Drawable& d) {
  if (mode == GL_FRONT) return GL_COLOR_ATTACHMENT0;
  if (mode == GL_BACK) return d.Double() ? GL_COLOR_ATTACHMENT1 : 0;
  return mode == GL_NONE ? GL_NONE : 0;
}

}  // namespace

platform::GL_Drawable::~GL_Drawable() {
  const GLuint names[] = {colour[0], colour[1], depth_stencil};
  Renderbuffers_Retire(names, 3);
}

void platform::Storage_Fit(GL_Drawable& d, int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  std::lock_guard guard(d.lock);
  if (d.colour[0] && d.width == width && d.height == height) return;
  GLint bound = 0;
  glGetIntegerv(GL_RENDERBUFFER_BINDING, &bound);
  if (!d.colour[0]) {
    glGenRenderbuffers(d.Double() ? 2 : 1, d.colour);
    if (Depth_Storage(d.format)) glGenRenderbuffers(1, &d.depth_stencil);
  }
  for (GLuint name : d.colour)
    if (name) Store(name, Colour_Storage(d.format), width, height);
  if (d.depth_stencil) Store(d.depth_stencil, Depth_Storage(d.format), width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, GLuint(bound));
  // Other contexts see the new storage once it is complete here.
  glFinish();
  d.width = width;
  d.height = height;
  ++d.serial;
}

void platform::Framebuffer_Bind(GL_Context& context, const std::shared_ptr<GL_Drawable>& drawable) {
  auto it = std::find_if(context.bindings.begin(), context.bindings.end(),
                         [&](const GL_Context::Binding& b) { return b.drawable.lock() == drawable; });
  const bool fresh = it == context.bindings.end();
  if (fresh) {
    GL_Context::Binding binding;
    binding.drawable = drawable;
    glGenFramebuffers(1, &binding.framebuffer);
    context.bindings.push_back(binding);
    it = context.bindings.end() - 1;
  }
  glBindFramebuffer(GL_FRAMEBUFFER, it->framebuffer);
  std::lock_guard guard(drawable->lock);
  if (it->serial != drawable->serial) {
    Attach(*drawable);
    it->serial = drawable->serial;
  }
  if (fresh) {
    // As a window's own framebuffer starts: drawing and reading in the back buffer if any.
    const GLenum start = drawable->Double() ? GL_COLOR_ATTACHMENT1 : GL_COLOR_ATTACHMENT0;
    glDrawBuffer(start);
    glReadBuffer(start);
  }
}

void platform::Framebuffers_Prune(GL_Context& context) {
  auto dead = [](const GL_Context::Binding& b) { return b.drawable.expired(); };
  for (const auto& b : context.bindings)
    if (dead(b)) glDeleteFramebuffers(1, &b.framebuffer);
  std::erase_if(context.bindings, dead);
}

int Platform_GL_Swap_Buffers(Platform_DC dc) {
  if (platform::Fault(PLATFORM_GL_FAIL_SWAP)) return platform::Fail(EIO);
  auto drawable = platform::Drawable_Of(dc);
  if (!drawable) return platform::Fail(EINVAL);
  if (!drawable->Double()) return 1;
  platform::GL_Context* context = platform::Current_Context();
  const bool own = context && platform::Current_Drawable() == drawable;
  if (own) glFlush();
  {
    std::lock_guard guard(drawable->lock);
    drawable->front = 1 - drawable->front;
    ++drawable->serial;
  }
  // The caller's framebuffer follows at once, so that GL_BACK keeps naming the back buffer.
  if (own) platform::Framebuffer_Bind(*context, drawable);
  return 1;
}

namespace {

int Choose_Buffer(unsigned mode, void (*choose)(GLenum)) {
  auto drawable = platform::Current_Drawable();
  if (!drawable) return platform::Fail(EINVAL);
  const GLenum attachment = Attachment_Of(mode, *drawable);
  if (!attachment && mode != GL_NONE) return platform::Fail(EINVAL);
  choose(attachment);
  return 1;
}

}  // namespace

int Platform_GL_Draw_Buffer(unsigned mode) {
  return Choose_Buffer(mode, [](GLenum a) { glDrawBuffer(a); });
}

int Platform_GL_Read_Buffer(unsigned mode) {
  return Choose_Buffer(mode, [](GLenum a) { glReadBuffer(a); });
}

int Platform_GL_Current_Format(Platform_Pixel_Format* out) {
  auto drawable = platform::Current_Drawable();
  if (!drawable || !out) return platform::Fail(EINVAL);
  *out = drawable->format;
  return 1;
}
