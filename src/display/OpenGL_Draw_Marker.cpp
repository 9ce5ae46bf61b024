// Markers: grey symbols read once per window into luminance-alpha textures (one picture, or a
// body and a highlight layer), drawn in the marker's colour with an optional label. The table
// is used from the drawing thread only.
#include "display/Overlay_Internal.h"

#include "core/Check.h"
#include "core/Trace.h"
#include "display/GL.h"

#include <hostkit/HostUtil.h>
#include <hostkit/HostPicture.h>
#include <hostkit/HostWidgets.h>

#include <quarn/display/OpenGL_Text.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using quarn::Overlay_Trace;

constexpr int kLayers = 2;
constexpr uint8_t kSeeThrough = 26;  // samples below this keep their value as alpha
constexpr uint16_t kLabelSize = 10;

struct Marker {
  std::wstring name;
  uint16_t state = quarn::MARKER_UNREAD;
  GLuint textures[quarn::OVERLAY_WINDOWS][kLayers] = {};
};

std::vector<std::unique_ptr<Marker>> g_markers;

Marker* Find_Or_Add(const wchar_t* name) {
  for (auto& m : g_markers)
    if (m->name == name) return m.get();
  g_markers.push_back(std::make_unique<Marker>());
  g_markers.back()->name = name;
  return g_markers.back().get();
}

// Grey level of a sample: the sample itself, or for colour pictures the weighted grey of R, G, B
// dimmed by the alpha.
uint8_t Grey(const Host_Icon_Image& image, size_t i) {
  if (image.channels == 1) return image.samples[i];
  const uint8_t* p = image.samples + i * 4;
  const unsigned grey = (p[0] * 77u + p[1] * 150u + p[2] * 29u) >> 8;
  return uint8_t(grey * p[3] / 255u);
}

// One picture as a luminance-alpha texture; 0 when it cannot be read.
GLuint Layer_Texture(const std::wstring& file) {
  Host_Icon_Image* image = Host_Read_Icon_Image(file.c_str());
  if (!image) return 0;
  const size_t count = size_t(image->width) * size_t(image->height);
  auto* text_data = static_cast<uint8_t*>(std::malloc(count * 2));
  GLuint name = 0;
  if (!text_data) {
    QUARN_MEMORY_ERROR("malloc", "text_data", image->width, image->height);
  } else {
    for (size_t i = 0; i < count; ++i) {
      const uint8_t v = Grey(*image, i);
      text_data[2 * i] = v;
      text_data[2 * i + 1] = v < kSeeThrough ? v : 255;
    }
    name = quarn::Overlay_Texture_New(GL_REPEAT, GL_LINEAR, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, image->width, image->height, 0, GL_LUMINANCE_ALPHA,
                 GL_UNSIGNED_BYTE, text_data);
    std::free(text_data);
  }
  Host_Free_Icon_Image(image);
  return name;
}

// Reads the marker's picture, or its two layer pictures, into the window's textures; the state
// becomes the number of layers read.
void Read_Layers(Marker& m, int window) {
  const std::wstring folder = quarn::Overlay_Picture_Folder();
  const size_t dot = m.name.rfind(L'.');
  const std::wstring generic = m.name.substr(0, dot), extension = dot == std::wstring::npos ? L"" : m.name.substr(dot);
  std::vector<std::wstring> files;
  if (Host_Is_File((folder + m.name).c_str())) {
    files.push_back(folder + m.name);
  } else {
    for (int k = 1; k <= kLayers; ++k) files.push_back(folder + generic + L"_" + std::to_wstring(k) + extension);
  }
  uint16_t read = 0;
  for (const std::wstring& file : files)
    if (GLuint name = Layer_Texture(file)) m.textures[window][read++] = name;
  m.state = read;
}

void Quad() {
  glBegin(GL_QUADS);
  glTexCoord2f(0, 1), glVertex2f(-1, -1);
  glTexCoord2f(1, 1), glVertex2f(1, -1);
  glTexCoord2f(1, 0), glVertex2f(1, 1);
  glTexCoord2f(0, 0), glVertex2f(-1, 1);
  glEnd();
}

void Draw_Layers(const Marker& m, int window, uint32_t colour, Point_2D position, float size) {
  const quarn::Overlay_Rgb c = quarn::Overlay_Colour(colour);
  glPushMatrix();
  glTranslatef(position.x, position.y, 0);
  glScalef(size, size, 1);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(0, 0, 0, 1);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_BLEND);
  const GLfloat tint[4] = {c.r / 255.0f, c.g / 255.0f, c.b / 255.0f, 0};
  const GLfloat white[4] = {1, 1, 1, 0};
  for (int k = 0; k < m.state && k < kLayers; ++k) {
    glBindTexture(GL_TEXTURE_2D, m.textures[window][k]);
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, k == 0 ? tint : white);
    Quad();
  }
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  glPopMatrix();
}

}  // namespace

void OpenGL_Draw_Marker(Quarn_Window* window, uint32_t colour, Point_2D position, float size,
                        const wchar_t* name, const wchar_t* label) {
  QUARN_REPORT(Overlay_Trace, ">>> in  Fct: OpenGL_Draw_Marker(%ls)", name ? name : L"");
  if (!name) {
    QUARN_REPORT(Overlay_Trace, "<<< out Fct: OpenGL_Draw_Marker(! name)");
    return;
  }
  Marker& m = *Find_Or_Add(name);
  const int w = quarn::Overlay_Window_Index(window);
  if (m.state != quarn::MARKER_UNREADABLE && !glIsTexture(m.textures[w][0])) Read_Layers(m, w);
  if (m.state == quarn::MARKER_UNREADABLE) {
    QUARN_REPORT(Overlay_Trace, "<<< out Fct: OpenGL_Draw_Marker(! texture_valid)");
    return;
  }
  Draw_Layers(m, w, colour, position, size);
  if (label) {
    const quarn::Overlay_Rgb c = quarn::Overlay_Colour(colour);
    OpenGL_Text_DrawRasterFont(quarn::Overlay_Label_Text(size, label).c_str(), kLabelSize, c.r, c.g, c.b,
                               position.x, position.y, 0);
  }
  QUARN_GL_ERRORS("OpenGL_Draw_Marker");
  QUARN_REPORT(Overlay_Trace, "<<< out Fct: OpenGL_Draw_Marker()");
}

void OpenGL_Cleanup_Marker() {
  QUARN_REPORT(Overlay_Trace, ">>> in  Fct: OpenGL_Cleanup_Marker(%d)", int(g_markers.size()));
  for (auto& m : g_markers)
    for (auto& pair : m->textures)
      for (GLuint& name : pair)
        if (name && glIsTexture(name)) glDeleteTextures(1, &name);
  g_markers.clear();
  QUARN_REPORT(Overlay_Trace, "<<< out Fct: OpenGL_Cleanup_Marker()");
}

int quarn::Marker_State(const wchar_t* name) {
  for (auto& m : g_markers)
    if (name && m->name == name) return m->state;
  return -1;
}

int quarn::Marker_Count() { return int(g_markers.size()); }
