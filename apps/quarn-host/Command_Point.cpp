// "point:" keeps landmarks in patient space: add X Y Z [NAME], list, move NAME X Y Z, delete NAME.
#include "Host_Command.h"
#include "Host_Points.h"

#include <quarn/quarn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

constexpr const wchar_t* Usage = L"point: add X Y Z [NAME] | list | move NAME X Y Z | delete NAME";
/// Type of the host's landmarks (a tool's mask bit).
constexpr uint16_t Landmark = 1;
/// Most points one name template finds.
constexpr int Find_Max = 1;

template <class T>
T* Var(const wchar_t* name) {
  return static_cast<T*>(Host_Var_Get(name, nullptr, nullptr, nullptr));
}

bool Coordinates(wchar_t** words, Point_3D* p) {
  float c[3];
  for (int i = 0; i < 3; ++i) {
    const std::wstring w = Host_Expand(words[i]);
    wchar_t* end = nullptr;
    c[i] = std::wcstof(w.c_str(), &end);
    if (w.empty() || *end) return false;
  }
  *p = Point_3D(uint8_t(2), c[0], c[1], c[2]);
  return true;
}

Quarn_Point* Named(const std::wstring& name) {
  Quarn_Point* found[Find_Max] = {};
  return Fct_Match_Template_Point(name.c_str(), Find_Max, found) == 1 ? found[0] : nullptr;
}

void Print_Point(Quarn_Point* p) {
  wchar_t line[256];
  std::swprintf(line, 256, L"point: %ls at %.2f %.2f %.2f on %ls", p->Name_Get(), double(p->pos.x), double(p->pos.y),
                double(p->pos.z), p->frame ? p->frame->Name_Get() : L"no frame");
  Host_Print(line);
}

/// Takes the point out of the host's list (the list is the host's: "$POINT_PT", "$POINT_NB").
void Remove(Quarn_Point* p) {
  auto* count = Var<uint32_t>(L"$POINT_NB");
  auto** list = Var<Quarn_Point**>(L"$POINT_PT");
  for (uint32_t i = 0; count && list && *list && i < *count; ++i) {
    if ((*list)[i] != p) continue;
    std::memmove(*list + i, *list + i + 1, (*count - i - 1) * sizeof(Quarn_Point*));
    if (--*count == 0) {
      std::free(*list);
      *list = nullptr;
    }
    break;
  }
  if (auto** cur = Var<Quarn_Point*>(L"$POINT_CUR"); cur && *cur == p) *cur = nullptr;
  delete p;
  Fct_Update(POINT_UPDATE_LIST);
}

int Point(int* nb_arg, wchar_t*** pt_arg) {
  const int n = *nb_arg;
  wchar_t** a = *pt_arg;
  const std::wstring action = n ? Host_Expand(a[0]) : std::wstring();
  Point_3D p;
  if (action == L"add" && (n == 4 || n == 5) && Coordinates(a + 1, &p)) {
    const std::string name = n == 5 ? Host_Wide_To_Char(Host_Expand(a[4]).c_str()) : std::string();
    const uint32_t* count = Var<uint32_t>(L"$POINT_NB");
    const int id = count ? int(*count) + 1 : 1;
    if (!Fct_Point_3D_Create(Landmark, nullptr, id, p, 0, n == 5 ? name.c_str() : nullptr, 0)) return 0;
    Print_Point(*Var<Quarn_Point*>(L"$POINT_CUR"));
    return 1;
  }
  if (action == L"list" && n == 1) {
    Host_Record_Skip();  // a listing changes nothing
    const uint32_t* count = Var<uint32_t>(L"$POINT_NB");
    Quarn_Point** const* list = Var<Quarn_Point**>(L"$POINT_PT");
    if (!count || !*count || !list || !*list) Host_Print(L"point: no points");
    for (uint32_t i = 0; count && list && *list && i < *count; ++i) Print_Point((*list)[i]);
    return 1;
  }
  if ((action == L"move" && n == 5) || (action == L"delete" && n == 2)) {
    Quarn_Point* point = Named(Host_Expand(a[1]));
    if (!point) {
      Host_Print((L"point: no point named " + Host_Expand(a[1])).c_str());
      return 0;
    }
    if (action == L"delete") {
      Remove(point);
      Host_Print(L"point: deleted");
      return 1;
    }
    if (!Coordinates(a + 2, &p)) return Host_Print(Usage), 0;
    point->pos = p;
    point->frame = Fct_Point_3D_Get_Frame(point);
    Fct_Update(POINT_UPDATE_MOVED);
    Print_Point(point);
    return 1;
  }
  Host_Print(Usage);
  return 0;
}

const Host_Command_Registration registration({L"point:", Point, Usage});

}  // namespace

void Host_Points_Release() {
  auto* count = Var<uint32_t>(L"$POINT_NB");
  auto** list = Var<Quarn_Point**>(L"$POINT_PT");
  if (!count || !list) return;
  for (uint32_t i = 0; *list && i < *count; ++i) delete (*list)[i];
  std::free(*list);
  *list = nullptr;
  *count = 0;
  if (auto** cur = Var<Quarn_Point*>(L"$POINT_CUR")) *cur = nullptr;
}
