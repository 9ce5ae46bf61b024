// Drawing of a surface with the fixed-function pipeline: one triangle (or quadrilateral) per
// polygon, with node or polygon normals and colours.
#include <hostkit/HostMovie.h>

#include <GL/gl.h>

namespace {

constexpr int Mode_Flat = 2;

void Colour(uint32_t c) { glColor3ub(GLubyte(c & 0xFF), GLubyte(c >> 8 & 0xFF), GLubyte(c >> 16 & 0xFF)); }

void Polygon(const Host_Movie_Record& m, const Host_Movie_Polygon& p, bool flat, bool colours) {
  if (flat) glNormal3f(p.normal[0], p.normal[1], p.normal[2]);
  if (colours && flat) Colour(p.color);
  for (int k = 0; k < p.count; ++k) {
    const Host_Movie_Node& n = m.nodes[p.index[k]];
    if (!flat) glNormal3f(n.normal.x, n.normal.y, n.normal.z);
    if (colours && !flat) Colour(n.color);
    glVertex3f(n.pos.x, n.pos.y, n.pos.z);
  }
}

bool Drawable(const Host_Movie_Record& m, const Host_Movie_Polygon& p) {
  if (p.count < 3 || p.count > 4) return false;
  for (int k = 0; k < p.count; ++k)
    if (p.index[k] < 0 || p.index[k] >= m.node_count) return false;
  return true;
}

}  // namespace

int Host_Movie_Draw(Host_Movie_Record* movie, int mode, int, int) {
  if (!movie || !movie->nodes || !movie->polys || movie->node_count <= 0 || movie->poly_count <= 0) return 1;
  // Without a current context every OpenGL call would be lost.
  if (!glGetString(GL_VERSION)) return 1;
  const bool flat = mode == Mode_Flat;
  const bool colours = movie->flags & HOST_MOVIE_NODE_COLORS;
  // Triangles and quadrilaterals in two runs, so that each needs one glBegin.
  for (int corners = 3; corners <= 4; ++corners) {
    glBegin(corners == 3 ? GL_TRIANGLES : GL_QUADS);
    for (int i = 0; i < movie->poly_count; ++i) {
      const Host_Movie_Polygon& p = movie->polys[i];
      if (p.count == corners && Drawable(*movie, p)) Polygon(*movie, p, flat, colours);
    }
    glEnd();
  }
  movie->refresh = 0;
  return 0;
}
