// Reading a window's colour or stencil buffer back, from any thread, leaving the caller's GL
// state as it was.
#include "PlatformGLInternal.h"

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

// Plain packing and no pixel transfer, whatever drawing code left set.
void Pixel_Defaults() {
  for (GLenum store : {GL_PACK_SWAP_BYTES, GL_PACK_LSB_FIRST, GL_PACK_ROW_LENGTH, GL_PACK_IMAGE_HEIGHT,
                       GL_PACK_SKIP_ROWS, GL_PACK_SKIP_PIXELS, GL_PACK_SKIP_IMAGES})
    glPixelStorei(store, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  for (GLenum transfer : {GL_INDEX_SHIFT, GL_INDEX_OFFSET, GL_MAP_COLOR, GL_MAP_STENCIL})
    glPixelTransferi(transfer, 0);
  for (GLenum scale : {GL_RED_SCALE, GL_GREEN_SCALE, GL_BLUE_SCALE, GL_ALPHA_SCALE})
    glPixelTransferf(scale, 1.0f);
  for (GLenum bias : {GL_RED_BIAS, GL_GREEN_BIAS, GL_BLUE_BIAS, GL_ALPHA_BIAS})
    glPixelTransferf(bias, 0.0f);
}

// Reads the plane through the reader framebuffer of the current context, rows bottom first.
void Read(platform::GL_Drawable& d, Platform_GL_Plane plane, GLuint& reader, uint8_t* rows) {
  if (!reader) glGenFramebuffers(1, &reader);
  GLint read_framebuffer = 0, pack_buffer = 0;
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read_framebuffer);
  glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &pack_buffer);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPushAttrib(GL_PIXEL_MODE_BIT);
  Pixel_Defaults();
  glBindFramebuffer(GL_READ_FRAMEBUFFER, reader);
  const GLuint colour = plane == PLATFORM_GL_BACK ? d.colour[1 - d.front] : d.colour[d.front];
  glFramebufferRenderbuffer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  if (plane == PLATFORM_GL_STENCIL) {
    glFramebufferRenderbuffer(GL_READ_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                              d.depth_stencil);
    glReadPixels(0, 0, d.width, d.height, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, rows);
    glFramebufferRenderbuffer(GL_READ_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
  } else {
    glReadPixels(0, 0, d.width, d.height, GL_RGBA, GL_UNSIGNED_BYTE, rows);
  }
  // Detached, so that the reader keeps no dead window's storage alive.
  glFramebufferRenderbuffer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, 0);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(read_framebuffer));
  glPopAttrib();
  glPopClientAttrib();
  glBindBuffer(GL_PIXEL_PACK_BUFFER, GLuint(pack_buffer));
}

}  // namespace

int Platform_GL_Read_Pixels(Platform_Window* window, Platform_GL_Plane plane, uint8_t* out,
                            size_t size, int* width, int* height) {
  auto drawable = platform::Drawable_Of(window);
  if (!drawable) return platform::Fail(EINVAL);
  int w = 0, h = 0;
  bool lacking = false;
  {
    std::lock_guard guard(drawable->lock);
    if (!drawable->colour[0]) return platform::Fail(ENOENT);
    w = drawable->width;
    h = drawable->height;
    lacking = (plane == PLATFORM_GL_BACK && !drawable->Double()) ||
              (plane == PLATFORM_GL_STENCIL && !drawable->format.stencil_bits) ||
              plane < PLATFORM_GL_FRONT || plane > PLATFORM_GL_STENCIL;
  }
  if (width) *width = w;
  if (height) *height = h;
  if (lacking) return platform::Fail(EINVAL);
  const size_t row = size_t(w) * (plane == PLATFORM_GL_STENCIL ? 1 : 4);
  const size_t rows = size_t(h);
  if (!out || size < row * rows) return platform::Fail(ERANGE);
  std::vector<uint8_t> bottom_first(row * rows);
  bool same_size = false;
  // The context first, then the buffers' lock: the order every path takes them in.
  const bool read = platform::With_Context([&](GLuint& reader) {
    std::lock_guard guard(drawable->lock);
    same_size = drawable->width == w && drawable->height == h;
    if (same_size) Read(*drawable, plane, reader, bottom_first.data());
  });
  if (!read) return platform::Fail(ENODEV);
  if (!same_size) return platform::Fail(EAGAIN);  // resized by a drawing thread meanwhile
  for (size_t y = 0; y < rows; ++y)
    std::memcpy(out + y * row, bottom_first.data() + (rows - 1 - y) * row, row);
  return 1;
}
