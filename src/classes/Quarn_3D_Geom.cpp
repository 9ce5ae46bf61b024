// Quarn_3D_Geom: construction, naming, tag and colour of a surface leaf of the 3D tree.
#include <quarn/algorithms/Arts_3D.h>
#include <quarn/algorithms/Geom.h>
#include <quarn/classes/Quarn_3D_File.h>
#include <quarn/classes/Quarn_3D_Geom.h>

#include "classes/Leaf_Insert.h"
#include "classes/Stool_Indent.h"
#include "core/Check.h"
#include "core/Trace.h"
#include "display/Tag_Colour.h"
#include "script/Remembered_Variable.h"

#include <hostkit/HostMovie.h>
#include <hostkit/HostUtil.h>

#include <algorithm>
#include <new>

namespace {

using quarn::Remembered_Variable;

constexpr uint32_t Default_Colour = 255u | 255u << 8 | 160u << 16;
constexpr uint16_t Default_Render_Mode = 2;
constexpr uint32_t Movie_State_Updated = 2;

Remembered_Variable g_tag_nb{L"$TAG_NB"};

}  // namespace

Quarn_3D_Geom::Quarn_3D_Geom(Quarn_3D* parent, Quarn_3D_File* from, int surface) {
  QUARN_REPORT(quarn::msg::Class, ">>> in  Class: Quarn_3D_Geom::Quarn_3D_Geom()");
  Class_A_Set(Class_A);
  Class_B_Set(Default_Render_Mode);
  Title_Set("geom");
  Parent_Set_Pt(parent);
  index = surface;
  color = Default_Colour;
  transfo[0].init();
  if (!from) {
    Name_Set(L"generic");
  } else {
    file = from;
    file_kind = from->word;
    tag = uint16_t(from->word & 0xFF);
    movie = from->Movie_Get(surface);
    wchar_t base[HOST_PATH_BUFFER], ext[HOST_PATH_BUFFER];
    Host_Split_Path(from->Name_Get(), nullptr, base, ext);
    if (from->Movie_Count() < 2)
      Name_Set(L"%ls%ls", base, ext);
    else if (movie && movie->name && !movie->text)
      Name_Set(L"%ls", movie->name);
    else
      Name_Set(L"%ls%ls #%d", base, ext, surface + 1);
  }
  if (movie) {
    QUARN_REPORT(quarn::msg::Class, "-> %d nodes, %d polys", movie->node_count, movie->poly_count);
    fct_draw_geom[0] = &Class_Geom_Draw_Geom;
  }
  QUARN_REPORT(quarn::msg::Class, "<<< out Class: Quarn_3D_Geom::Quarn_3D_Geom()");
}

Quarn_3D_Geom::~Quarn_3D_Geom() { Arts_3D_Free(this); }

void Quarn_3D_Geom::Stool(int message_class, int depth, unsigned char) {
  if (!QUARN_CHECK(this, Geom_3D, "Quarn_3D_Geom::Stool")) return;
  char indent[quarn::Stool_Indent_Size];
  quarn::Stool_Indent(indent, depth);
  const uint32_t cls = uint32_t(message_class);
  QUARN_REPORT(cls, "%s --> Class:\xF1%s\xF0 name:\xF1\x01%ls\x02\xF0 (nb_child=\x01%d\x02)", indent,
               Title_Get(), Name_Get(), Child_Get_Nb());
  if (movie)
    QUARN_REPORT(cls, "%s = MOVIE with \x01%d\x02 nodes \x01%d\x02 polys", indent, movie->node_count,
                 movie->poly_count);
  else
    QUARN_REPORT(cls, "%s = CUDA place holder class", indent);
}

int Quarn_3D_Geom::Update_A(uint64_t mask) {
  if (!QUARN_CHECK(this, Geom_3D, "Quarn_3D_Geom::Update_A")) return 0;
  QUARN_REPORT(quarn::msg::Class, ">>> in  Class: Quarn_3D_Geom::Update_A(%ls, flag=%016llx)", Name_Get(),
               static_cast<unsigned long long>(mask));
  if (!(mask & GEOM_UPDATE_NODES)) return 1;
  if (!movie) {
    QUARN_REPORT(quarn::msg::Class, "<<< out Class: Quarn_3D_Geom::Update_A(! this->m_mov)");
    return 0;
  }
  // Under the object's lock, so that a drawing never sees half-moved nodes.
  Critical_Class_In("Quarn_3D_Geom::Update_A");
  movie->state = Movie_State_Updated;
  const bool displaced = movie->flags & HOST_MOVIE_DISPLACED;
  for (int i = 0; i < movie->node_count; ++i) {
    Host_Movie_Node& n = movie->nodes[i];
    n.pos = n.rest;
    if (displaced) n.pos += n.disp;
    const Point_4D p = Metrics_Transfo(1, Point_4D(2, n.pos.x, n.pos.y, n.pos.z, 0.0f));
    n.pos.x = p.x;
    n.pos.y = p.y;
    n.pos.z = p.z;
  }
  Host_Movie_Init_Norm(movie);
  Host_Movie_Init_Dim(movie);
  movie->refresh |= HOST_MOVIE_REFRESH_NODES | HOST_MOVIE_REFRESH_POLYS;
  // The grid lists the triangles where they were; the next pick builds it again.
  Arts_3D_Free(this);
  Critical_Class_Out("Quarn_3D_Geom::Update_A");
  return 1;
}

uint16_t Quarn_3D_Geom::TAG_Get() {
  QUARN_CHECK(this, Geom_3D, "Quarn_3D_Geom::TAG_Get");
  return tag;
}

void Quarn_3D_Geom::TAG_Set(uint16_t value) {
  if (QUARN_CHECK(this, Geom_3D, "Quarn_3D_Geom::TAG_Set")) tag = value;
}

uint32_t Quarn_3D_Geom::Color_Get() {
  if (!QUARN_CHECK(this, Geom_3D, "Quarn_3D_Geom::Color_Get")) return 0;
  if (tag == 0) return color;
  const uint16_t* tag_nb = g_tag_nb.As<uint16_t>();
  const int t = std::min<int>(tag, tag_nb ? *tag_nb : 0);
  return quarn::Tag_Colour_Get(t);
}

void Quarn_3D_Geom::Color_Set(unsigned char r, unsigned char g, unsigned char b) {
  if (QUARN_CHECK(this, Geom_3D, "Quarn_3D_Geom::Color_Set")) color = r | g << 8 | uint32_t(b) << 16;
}

void Quarn_3D_Geom::Color_Set(uint32_t colour) {
  if (!QUARN_CHECK(this, Geom_3D, "Quarn_3D_Geom::Color_Set")) return;
  color = colour;
  if (!movie || !(movie->flags & HOST_MOVIE_NODE_COLORS)) return;
  for (int i = 0; i < movie->node_count; ++i) movie->nodes[i].color = colour;
  for (int i = 0; i < movie->poly_count; ++i) movie->polys[i].color = colour;
}

int Class_3D_Geom_Insert(Quarn_3D* parent, Quarn_3D_File* file, uint16_t, int index) {
  return quarn::Leaf_Insert<Quarn_3D_Geom>("Class_3D_Geom_Insert", parent, file, index);
}
