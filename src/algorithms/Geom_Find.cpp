// Fct_Geom_Match_Name and Fct_Geom_Intersect: finding a surface by name and under a window point.
#include <quarn/algorithms/Arts_3D.h>
#include <quarn/algorithms/GEMS.h>
#include <quarn/algorithms/Geom.h>
#include <quarn/display/Quarn_Window.h>

#include "algorithms/Geom_Support.h"
#include "core/Check.h"
#include "core/Trace.h"

#include <cmath>
#include <cwchar>

using namespace quarn;

namespace {

/// Parameters at or below this are no hit (the routines answer -2^39 for none).
constexpr float Hit_Floor = -100000.0f;
/// Start of the nearest-hit search, and parameters at or above Hit_Ceiling are no hit.
constexpr float Hit_Start = 1e11f;
constexpr float Hit_Ceiling = 1e9f;

const char* const Pick_Label = "Fct_Geom_Intersect";

Quarn_3D_Geom* Pick_Out(const char* why) {
  QUARN_REPORT(msg::Module, "<<< out Util: Fct_Geom_Intersect(%s)", why);
  return nullptr;
}

Point_3D Mapped(const Vec4& p, const Mat4& m) {
  Vec4 q = p;
  q *= m;
  return Point_3D(uint8_t(2), q.x, q.y, q.z);
}

/// The nearest hit of the segment a-b (patient space) on the geometry's surface, in the
/// surface's own space: through its grid for a surface of triangles (built on first use), else
/// polygon by polygon. GEMS_NO_HIT for a surface that cannot be picked.
float Pick_One(Quarn_3D_Geom* geom, const Vec4& a, const Vec4& b, Point_3D* hit, int* polygon) {
  Mat4 to_model;
  if (!geom->transfo[0].inverse(to_model)) {
    QUARN_REPORT(msg::Invalid, "Fct_Geom_Intersect: the model matrix of %ls cannot be inverted", geom->Name_Get());
    return GEMS_NO_HIT;
  }
  const Point_3D from = Mapped(a, to_model), to = Mapped(b, to_model);
  if (!geom->grid) {
    if (!geom::Surface_Valid(geom, Pick_Label)) return GEMS_NO_HIT;
    if (!geom::All_Triangles(*geom->movie)) return GEMS_3D_Intersect_Line_Geom(from, to, geom, hit, polygon);
    if (!Arts_3D_Init(geom)) return GEMS_3D_Intersect_Line_Geom(from, to, geom, hit, polygon);
  }
  return Arts_3D_Intersect_Line_Geom(from, to, geom, hit, polygon);
}

}  // namespace

Quarn_3D_Geom* Fct_Geom_Match_Name(const wchar_t* name) {
  QUARN_REPORT(msg::Module, ">>> in  Util: Fct_Geom_Match_Name(%ls)", name ? name : L"null");
  if (!name) {
    QUARN_REPORT(msg::Module, "<<< out Util: Fct_Geom_Match_Name(! target)");
    return nullptr;
  }
  Iterator_Scope walk("Fct_Geom_Match_Name", nullptr);
  while (Quarn_3D* node = Iterator_Class_3D(walk.id, Quarn_3D_Geom::Class_A, nullptr, 0)) {
    Quarn_3D_Geom* geom = Geom_If(node);
    if (geom && geom->Name_Get() && std::wcscmp(geom->Name_Get(), name) == 0) {
      QUARN_REPORT(msg::Module, "<<< out Util: Fct_Geom_Match_Name(match)");
      return geom;
    }
  }
  QUARN_REPORT(msg::Module, "<<< out Util: Fct_Geom_Match_Name(not found)");
  return nullptr;
}

Quarn_3D_Geom* Fct_Geom_Intersect(Quarn_Window* window, Point_2D p, Point_3D* hit, int* polygon) {
  QUARN_REPORT(msg::Module, ">>> in  Util: Fct_Geom_Intersect(%g, %g)", double(p.x), double(p.y));
  if (reinterpret_cast<uintptr_t>(window) < 16) return Pick_Out("! window");
  if (!window->width || !window->height) return Pick_Out("empty window");
  Mat4 to_patient;
  if (!(window->view_b * window->view_c).inverse(to_patient)) {
    QUARN_REPORT(msg::Invalid, "Fct_Geom_Intersect: the 3D view of window %d cannot be inverted",
                 int(window->Class_B_Get()));
    return Pick_Out("singular view");
  }
  const float u = 2 * p.x / window->width - 1, v = 2 * p.y / window->height - 1;
  Vec4 a(u, v, -1.0f, 1.0f), b(u, v, 1.0f, 1.0f);
  a *= to_patient;
  b *= to_patient;
  float best = Hit_Start;
  Quarn_3D_Geom* found = nullptr;
  Point_3D best_hit;
  int best_polygon = -1;
  geom::For_Each_Selected(window, nullptr, Pick_Label, [&](Quarn_3D_Geom* geom) {
    if (geom->Class_B_Get() == 0) return;
    Point_3D h;
    int k = -1;
    const float t = Pick_One(geom, a, b, &h, &k);
    if (t > Hit_Floor && t < best) {
      best = t;
      found = geom;
      best_polygon = k;
      // Back to patient space through the model matrix.
      best_hit = Mapped(Vec4(h.x, h.y, h.z, 1.0f), geom->transfo[0]);
    }
  });
  if (!found || best >= Hit_Ceiling) return Pick_Out("no hit");
  if (hit) *hit = best_hit;
  if (polygon) *polygon = best_polygon;
  QUARN_REPORT(msg::Module, "<<< out Util: Fct_Geom_Intersect(%ls)", found->Name_Get());
  return found;
}
