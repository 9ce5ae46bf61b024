// Drawing of a frame's contours into the current OpenGL context: each loop of a tag as a closed
// line strip, or every step-th boundary point as a lit point, in the tag's colour and in patient
// space, through the pixel centres of the boundary nodes.
#include <quarn/algorithms/Contour.h>
#include <quarn/core/Quarn_Buffer.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "algorithms/Contour_Store.h"
#include "classes/Tree_Trace.h"
#include "display/GL.h"
#include "display/Tag_Colour.h"

#include <algorithm>

using namespace quarn;
using namespace quarn::contour;

namespace {

/// Frame space code of the points handed to the patient map.
constexpr uint8_t Frame_Space = 6;
/// A boundary node stands for the pixel it lies in: its vertex is the pixel's centre.
constexpr float Pixel_Centre = 0.5f;
/// Tags with at least this many loops are drawn in parts when parts are asked for.
constexpr int Loops_For_Parts = 50;
/// Indices per block of a loop drawn in parts; each part takes its share of every block.
constexpr int Part_Block = 1000;

/// What a drawing reads of one tag, under the frame's lock.
struct Tag_View {
  const Point_2D* points = nullptr;
  uint32_t count = 0;
  Quarn_Buffer* loops = nullptr;
  int loop_count = 0;
};

bool View_Of(Quarn_2D_Frame* frame, int16_t tag, Tag_View* view) {
  Quarn_Buffer* parts = Tag_Parts_Get(frame, tag);
  const auto* count = parts ? static_cast<const uint32_t*>(parts[0].Data_Get()) : nullptr;
  if (!count || !*count) return false;
  view->count = *count;
  view->points = static_cast<const Point_2D*>(parts[1].Data_Get());
  view->loop_count = parts[2].Sub_Count_Get();
  view->loops = view->loop_count ? parts[2].Sub_Get(0) : nullptr;
  return view->points != nullptr;
}

void Colour(int16_t tag) {
  const uint32_t colour = Tag_Colour_Get(tag);
  glColor3ub(Tag_Red(colour), Tag_Green(colour), Tag_Blue(colour));
}

// The vertex of point i: its pixel centre in the frame's slice and time, in patient space.
void Vertex(Quarn_2D_Frame* frame, const Tag_View& view, uint32_t i) {
  if (i >= view.count) return;  // an index past the points is never drawn
  const Point_2D& p = view.points[i];
  const Point_4D org = frame->Frm_2_Org(Point_4D(Frame_Space, p.x + Pixel_Centre, p.y + Pixel_Centre,
                                                 float(frame->z_index), float(frame->t_index)));
  glVertex3f(org.x, org.y, org.z);
}

// A whole loop as one closed strip.
void Loop_Closed(Quarn_2D_Frame* frame, const Tag_View& view, const uint32_t* index, int length) {
  glBegin(GL_LINE_LOOP);
  for (int k = 0; k < length; ++k) Vertex(frame, view, index[k]);
  glEnd();
}

// Part `part` of `parts` of a loop: in each block of Part_Block indices, the m = Part_Block /
// parts + 1 indices from m x part on, joined to the next index so that the parts of one loop
// meet (the last wraps to the loop's start).
void Loop_Part(Quarn_2D_Frame* frame, const Tag_View& view, const uint32_t* index, int length, int part, int parts) {
  const int m = Part_Block / parts + 1;
  for (int block = 0; block < length; block += Part_Block) {
    const int first = block + m * part;
    const int end = std::min({first + m, block + Part_Block, length});
    if (first >= end) continue;
    glBegin(GL_LINE_STRIP);
    for (int k = first; k < end; ++k) Vertex(frame, view, index[k]);
    Vertex(frame, view, index[end % length]);
    glEnd();
  }
}

}  // namespace

void Fct_Contour_Draw_Loops(Quarn_2D_Frame* frame, int16_t tag, int part, int parts) {
  constexpr const char* label = "Fct_Contour_Draw_Loops";
  if (Fct_Contour_Active() || !Readable(frame, tag, label)) return;
  Store_Reading reading(frame, label);
  Tag_View view;
  if (!View_Of(frame, tag, &view) || !view.loop_count) return;
  const bool in_parts = parts > 0 && part >= 0 && part < parts && view.loop_count >= Loops_For_Parts;
  glDisable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LINE_SMOOTH);
  glLineWidth(1.0f);
  Colour(tag);
  for (int i = 0; i < view.loop_count; ++i) {
    Quarn_Buffer& loop = view.loops[i];
    const auto* index = static_cast<const uint32_t*>(loop.Data_Get());
    const int length = int(loop.Size_Get() / sizeof(uint32_t));
    if (!index || !length) continue;
    if (in_parts) Loop_Part(frame, view, index, length, part, parts);
    else Loop_Closed(frame, view, index, length);
  }
  glDisable(GL_DEPTH_TEST);
  QUARN_GL_ERRORS("Fct_Contour_Draw_Loops: glBegin/End");
}

void Fct_Contour_Draw_Points(Quarn_2D_Frame* frame, int16_t tag, int first, int step) {
  constexpr const char* label = "Fct_Contour_Draw_Points";
  if (Fct_Contour_Active() || !Readable(frame, tag, label)) return;
  Store_Reading reading(frame, label);
  Tag_View view;
  if (!View_Of(frame, tag, &view)) return;
  const uint32_t from = uint32_t(std::max(first, 0));
  const uint32_t stride = uint32_t(std::max(step, 1));
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_POINT_SMOOTH);
  glEnable(GL_LIGHTING);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  glEnable(GL_COLOR_MATERIAL);
  glShadeModel(GL_FLAT);
  glPointSize(1.0f);
  Colour(tag);
  // A flat frame has one normal: that of its slice.
  glNormal3f(frame->normal.x, frame->normal.y, frame->normal.z);
  glBegin(GL_POINTS);
  for (uint32_t i = from; i < view.count; i += stride) Vertex(frame, view, i);
  glEnd();
  glDisable(GL_LIGHTING);
  glDisable(GL_COLOR_MATERIAL);
  glDisable(GL_POINT_SMOOTH);
  glDisable(GL_DEPTH_TEST);
  QUARN_GL_ERRORS("Fct_Contour_Draw_Points: glBegin/End");
}
