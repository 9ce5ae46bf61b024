// Templates over the host's object lists: 2D file records, points and windows.
#include <quarn/classes/Match_Template.h>
#include <quarn/classes/Quarn_2D_File.h>
#include <quarn/display/Quarn_Window.h>

#include <hostkit/HostUtil.h>

#include "classes/Match_List.h"
#include "classes/Node_Kinds.h"
#include "classes/Window_Selector.h"
#include "script/Remembered_Variable.h"

#include <algorithm>

namespace {

using quarn::Match_Kind;
using quarn::Match_List;
using quarn::Remembered_Variable;

const Match_Kind kFile{"Fct_Match_Template_File", " To many files", "files", "Unable to locate any files!",
                       "! nb_file"};
const Match_Kind kPoint{"Fct_Match_Template_Point", " To many points", "points",
                        "Unable to locate any points!", "! nb_point"};
const Match_Kind kWindow{"Fct_Match_Template_Window", " To many windows", "window",
                         "Unable to locate any windows!", "! nb_marker"};

Remembered_Variable g_file_nb{L"$DB_2D_FILE_NB"};
Remembered_Variable g_file_pt{L"$DB_2D_FILE_PT"};
Remembered_Variable g_point_nb{L"$POINT_NB"};
Remembered_Variable g_point_pt{L"$POINT_PT"};

/// A host list: its count variable (of type Count) and its array variable.
template <class T, class Count>
int List_Of(Remembered_Variable& nb, Remembered_Variable& pt, T* const** items) {
  const Count* count = nb.As<Count>();
  *items = pt.Table<T*>();
  return count && *items ? int(*count) : 0;
}

/// Every item of the list whose name matches (every item when all).
template <class T, class Base_Of>
int Named(Match_List<T*>& list, const wchar_t* pattern, T* const* items, int nb, bool all,
          Base_Of base_of) {
  for (int i = 0; i < nb; ++i)
    if (items[i] && (all || Host_Str_Match(base_of(items[i])->Name_Get(), pattern)))
      if (!list.Add(items[i])) break;
  return list.Result();
}

}  // namespace

int Fct_Match_Template_File(const wchar_t* pattern, int max, Quarn_2D_File* out[]) {
  Match_List<Quarn_2D_File*> list(kFile, pattern, max, out);
  if (!list.Valid()) return 0;
  Quarn_2D_File* const* files = nullptr;
  const int nb = List_Of<Quarn_2D_File, int32_t>(g_file_nb, g_file_pt, &files);
  return Named(list, pattern, files, nb, false, [](Quarn_2D_File* f) -> const Quarn* { return f; });
}

int Fct_Match_Template_Point(const wchar_t* pattern, int max, Quarn_Point* out[]) {
  Match_List<Quarn_Point*> list(kPoint, pattern, max, out);
  if (!list.Valid()) return 0;
  Quarn_Point* const* points = nullptr;
  const int nb = List_Of<Quarn_Point, uint32_t>(g_point_nb, g_point_pt, &points);
  // "all" takes what fits without a warning.
  const bool all = quarn::Is_All(pattern);
  return Named(list, pattern, points, all ? std::min(nb, max) : nb, all, quarn::Point_Base);
}

int Fct_Match_Template_Window(const wchar_t* pattern, int max, Quarn_Window* out[]) {
  Match_List<Quarn_Window*> list(kWindow, pattern, max, out);
  if (!list.Valid()) return 0;
  if (quarn::Is_Cur(pattern)) {
    if (Quarn_Window* window = quarn::Window_Current()) list.Add(window);
    return list.Result();
  }
  Quarn_Window* const* windows = nullptr;
  const int nb = quarn::Window_List(&windows);
  return Named(list, pattern, windows, nb, quarn::Is_All(pattern),
               [](Quarn_Window* w) -> const Quarn* { return w; });
}
