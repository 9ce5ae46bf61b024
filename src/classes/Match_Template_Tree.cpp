// Templates over the leaves of the trees: frames of the 2D tree, geometry objects of the 3D tree.
#include <quarn/classes/Iterator.h>
#include <quarn/classes/Match_Template.h>
#include <quarn/classes/Quarn_2D.h>
#include <quarn/classes/Quarn_3D.h>

#include <hostkit/HostUtil.h>

#include "classes/Iterator_Table.h"
#include "classes/Match_List.h"
#include "classes/Node_Kinds.h"
#include "classes/Window_Selector.h"
#include "script/Remembered_Variable.h"

#include <cwchar>

namespace {

using quarn::Match_Kind;
using quarn::Match_List;

// Frames are always at hand (a number picks one), so too many or none go unremarked.
const Match_Kind kFrame{"Fct_Match_Template_Frame", nullptr, "frames", "Unable to locate any frames!",
                        "! nb_frame"};
const Match_Kind kGeom{"Fct_Match_Template_Geom", " To many geometries", "geometries",
                       "Unable to locate any geometries!", "! nb_geom"};

quarn::Remembered_Variable g_frame_cur{L"$FRAME_CUR"};

// The pattern as a whole decimal number, or -1.
long Whole_Number(const wchar_t* pattern) {
  wchar_t* end = nullptr;
  const long n = std::wcstol(pattern, &end, 10);
  return end != pattern && !*end ? n : -1;
}

int Current_Frame(Match_List<Quarn_2D_Frame*>& list) {
  Quarn_Window* window = quarn::Window_Current();
  if (!window || quarn::Window_Index_Of(window) >= quarn::Window_Max) return list.Exit("! Window_Cur");
  Quarn_2D_Frame* const* frames = g_frame_cur.Table<Quarn_2D_Frame*>();
  Quarn_2D_Frame* frame = frames ? frames[quarn::Window_Index_Of(window)] : nullptr;
  if (!frame) return list.Exit("! Frame_Cur");
  list.Add(frame);
  return list.Result();
}

}  // namespace

int Fct_Match_Template_Frame(const wchar_t* pattern, int max, Quarn_2D_Frame* out[]) {
  Match_List<Quarn_2D_Frame*> list(kFrame, pattern, max, out);
  if (!list.Valid()) return 0;
  if (quarn::Is_Cur(pattern) || !std::wcscmp(pattern, L"0")) return Current_Frame(list);
  const bool all = quarn::Is_All(pattern);
  const long number = Whole_Number(pattern);
  quarn::Iterator_Scope walk(kFrame.function, nullptr);
  void* current_window = reinterpret_cast<void*>(quarn::Selector_Current);
  long position = 0;
  while (Quarn_2D* node = Iterator_Class_2D(walk.id, quarn::Class_A_Frame, current_window, 0)) {
    Quarn_2D_Frame* frame = quarn::Frame_If(node);
    if (!frame) continue;
    ++position;
    if (all || position == number || Host_Str_Match(node->Name_Get(), pattern))
      if (!list.Add(frame)) break;
  }
  return list.Result();
}

int Fct_Match_Template_Geom(const wchar_t* pattern, int max, Quarn_3D_Geom* out[]) {
  Match_List<Quarn_3D_Geom*> list(kGeom, pattern, max, out);
  if (!list.Valid()) return 0;
  const bool all = quarn::Is_All(pattern);
  quarn::Iterator_Scope walk(kGeom.function, nullptr);
  while (Quarn_3D* node = Iterator_Class_3D(walk.id, quarn::Class_A_Geom, nullptr, 0)) {
    Quarn_3D_Geom* geom = quarn::Geom_If(node);
    if (geom && (all || Host_Str_Match(node->Name_Get(), pattern)))
      if (!list.Add(geom)) break;
  }
  return list.Result();
}
