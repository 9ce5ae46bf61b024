// Drawing display layers with OpenGL: glDrawPixels at the raster position or a textured quad
// from it, the tag layer laid over the grey one by the colour scheme's alpha test and blending.
#include <quarn/display/Pixel_Render.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "classes/Tree_Trace.h"
#include "display/GL.h"
#include "display/Overlay_Internal.h"
#include "display/Pixel_Frame_Quad.h"
#include "display/Pixel_Tag_Palette.h"
#include "display/Pixel_Variables.h"

#include <algorithm>

using namespace quarn;
using namespace quarn::pixel;

namespace {

// Colour schemes: which layers are drawn and how the tags are laid over the grey image.
constexpr uint8_t Scheme_Grey_Only = 0;
constexpr uint8_t Scheme_Blend = 1;
constexpr uint8_t Scheme_Mix = 2;
constexpr uint8_t Scheme_Tags_Only = 3;
constexpr uint8_t Scheme_Cut_Out = 4;
// The alpha test lets fragments below this through: tags of alpha 1.0 leave the grey visible.
constexpr float Alpha_Pass_Below = 1.0f;
constexpr float Mix_Bias = 0.5f;
constexpr GLint Draw_Alignment = 4;

bool Textured() { return GL_Flag.Value<uint8_t>() & Flag_Texture; }

// The scheme's test and blending for the tag layer; false when the layer goes on opaque.
void Tag_State_On(uint8_t scheme) {
  if (scheme != Scheme_Blend && scheme != Scheme_Mix && scheme != Scheme_Cut_Out) return;
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_LESS, Alpha_Pass_Below);
  if (scheme == Scheme_Blend) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, Classic.Value<uint8_t>() ? GL_ONE_MINUS_SRC_ALPHA : GL_DST_COLOR);
  } else if (scheme == Scheme_Mix) {
    glEnable(GL_BLEND);
    // glBlendColor comes through the extension loader; until it is there the mix falls back.
    GL_Extensions_Init();
    if (glBlendColor) {
      glBlendColor(1.0f, 1.0f, 1.0f, Tag_Mix.Value<float>() - Mix_Bias);
      glBlendFunc(GL_DST_COLOR, GL_CONSTANT_ALPHA);
    } else {
      glBlendFunc(GL_DST_COLOR, GL_SRC_ALPHA);
    }
  }
}

void Tag_State_Off() {
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_BLEND);
}

void Texture_Bind(uint32_t* texture) {
  if (*texture && glIsTexture(*texture)) {
    glBindTexture(GL_TEXTURE_2D, *texture);
    return;
  }
  *texture = Overlay_Texture_New(GL_CLAMP_TO_EDGE, GL_NEAREST, GL_NEAREST);  // left bound
}

// The buffer as a texture on a quad from the model-view origin, rows running downward; the
// unpack state picks the sub-rectangle, so nothing is copied.
void Draw_Textured(float zoom_x, float zoom_y, uint16_t width, uint16_t height, uint32_t* texture,
                   const void* rgba) {
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  Texture_Bind(texture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  const float w = float(width) * zoom_x, h = float(height) * zoom_y;
  glBegin(GL_QUADS);
  glTexCoord2f(0, 1), glVertex2f(0, -h);
  glTexCoord2f(1, 1), glVertex2f(w, -h);
  glTexCoord2f(1, 0), glVertex2f(w, 0);
  glTexCoord2f(0, 0), glVertex2f(0, 0);
  glEnd();
  glDisable(GL_TEXTURE_2D);
  QUARN_GL_ERRORS("glBegin/glEnd");
}

void Draw_Pixels(float zoom_x, float zoom_y, uint16_t width, uint16_t height, const void* rgba) {
  glPixelZoom(zoom_x, -zoom_y);
  QUARN_GL_ERRORS("glPixelZoom");
  glDrawPixels(width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  glPixelZoom(1, 1);
  QUARN_GL_ERRORS("glPixelZoom");
}

void Draw_Buffer(float zoom_x, float zoom_y, uint16_t width, uint16_t height, uint32_t* texture,
                 const void* rgba) {
  glPixelStorei(GL_UNPACK_ALIGNMENT, Draw_Alignment);
  QUARN_GL_ERRORS("glPixelStore");
  if (Textured()) Draw_Textured(zoom_x, zoom_y, width, height, texture, rgba);
  else Draw_Pixels(zoom_x, zoom_y, width, height, rgba);
}

// The caller pushed the model-view and moved it to the raster point; the grey layer drawn as
// pixels lifts that matrix off and puts a copy back, leaving the stack as deep as it was.
bool Model_View_Pushed() {
  GLint mode = 0, depth = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
  return mode == GL_MODELVIEW && depth > 1;
}

void Unpack(GLint row_length, GLint skip_x, GLint skip_y) {
  glPixelStorei(GL_UNPACK_ROW_LENGTH, row_length);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, skip_x);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, skip_y);
  QUARN_GL_ERRORS("glPixelStore");
}

void Unpack_Reset() {
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  Unpack(0, 0, 0);
}

/// The scheme's layers of the frame, grey then tags, each through its own drawing; 0 when a layer
/// the scheme needs is missing.
template <class Grey, class Tags>
int Layers_Draw(uint8_t scheme, Quarn_2D_Frame* frame, Grey grey, Tags tags) {
  if (scheme != Scheme_Tags_Only) {
    if (!frame->disp_gli) return 0;
    grey();
  }
  if (scheme == Scheme_Grey_Only) return 1;
  if (!frame->disp_tag) return 0;
  // Tag numbers are for the host's own drawing; they are no colours.
  if (!Tag_Layer_Is_Bytes(frame)) tags();
  return 1;
}

}  // namespace

int Fct_Draw_OpenGL_GLI(uint8_t, float zoom_x, float zoom_y, uint16_t width, uint16_t height,
                        uint32_t* texture, const void* rgba) {
  if (Textured()) {
    Draw_Buffer(zoom_x, zoom_y, width, height, texture, rgba);
    return 1;
  }
  const bool lifted = Model_View_Pushed();
  if (lifted) glPopMatrix();
  Draw_Buffer(zoom_x, zoom_y, width, height, texture, rgba);
  if (lifted) glPushMatrix();
  return 1;
}

int Fct_Draw_OpenGL_TAG(uint8_t scheme, float zoom_x, float zoom_y, uint16_t width, uint16_t height,
                        uint32_t* texture, const void* rgba) {
  Tag_State_On(scheme);
  Draw_Buffer(zoom_x, zoom_y, width, height, texture, rgba);
  Tag_State_Off();
  return 1;
}

int Fct_Draw_OpenGL_Pixel(uint8_t scheme, float zoom_x, float zoom_y, uint16_t skip_x, uint16_t skip_y,
                          uint16_t width, uint16_t height, Quarn_2D_Frame* frame) {
  if (!QUARN_CHECK_FRAME(frame, "Fct_Draw_OpenGL_Pixel")) return 0;
  // Only what lies in the frame can be unpacked from its layers.
  if (skip_x >= frame->width || skip_y >= frame->height) return 1;
  width = uint16_t(std::min<int>(width, frame->width - skip_x));
  height = uint16_t(std::min<int>(height, frame->height - skip_y));
  Unpack(frame->width, skip_x, skip_y);
  const int result = Layers_Draw(
      scheme, frame,
      [&] { Fct_Draw_OpenGL_GLI(scheme, zoom_x, zoom_y, width, height, &frame->tex_gli, frame->disp_gli); },
      [&] { Fct_Draw_OpenGL_TAG(scheme, zoom_x, zoom_y, width, height, &frame->tex_tag, frame->disp_tag); });
  Unpack_Reset();
  return result;
}

namespace quarn::pixel {

int Frame_Quad_Draw(uint8_t scheme, Quarn_2D_Frame* frame) {
  Unpack(frame->width, 0, 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, Draw_Alignment);
  const uint16_t w = frame->width, h = frame->height;
  const int result = Layers_Draw(
      scheme, frame, [&] { Draw_Textured(1, 1, w, h, &frame->tex_gli, frame->disp_gli); },
      [&] {
        Tag_State_On(scheme);
        Draw_Textured(1, 1, w, h, &frame->tex_tag, frame->disp_tag);
        Tag_State_Off();
      });
  Unpack_Reset();
  return result;
}

}  // namespace quarn::pixel

int Fct_Draw_OpenGL_Preview(float zoom_x, float zoom_y, uint16_t width, uint16_t height, const void* gli_rgba,
                            const void* tag_rgba) {
  static uint32_t texture_gli = 0, texture_tag = 0;
  const uint8_t scheme = Scheme.Value<uint8_t>();
  const float zy = Textured() ? -zoom_y : zoom_y;
  Unpack(width, 0, 0);
  if (scheme != Scheme_Tags_Only && gli_rgba)
    Fct_Draw_OpenGL_GLI(scheme, zoom_x, zy, width, height, &texture_gli, gli_rgba);
  if (scheme != Scheme_Grey_Only && tag_rgba)
    Fct_Draw_OpenGL_TAG(scheme, zoom_x, zy, width, height, &texture_tag, tag_rgba);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  return 1;
}
