// Templates over the host's labelled numbers: tags and markers.
#include <quarn/classes/Match_Template.h>

#include <hostkit/HostUtil.h>

#include "classes/Match_List.h"
#include "script/Remembered_Variable.h"

#include <algorithm>

namespace {

using quarn::Match_Kind;
using quarn::Match_List;
using quarn::Remembered_Variable;

const Match_Kind kTag{"Fct_Match_Template_TAG", " To many tags", "tag", "Unable to locate any tag!",
                      "! nb_tag"};
const Match_Kind kMarker{"Fct_Match_Template_Marker", " To many markers", "marker",
                         "Unable to locate any marker!", "! nb_marker"};

Remembered_Variable g_tag_nb{L"$TAG_NB"};
Remembered_Variable g_tag_cur{L"$TAG_CUR"};
Remembered_Variable g_tag_label{L"$TAG_LABEL"};
Remembered_Variable g_marker_nb{L"$MARKER_NB"};
Remembered_Variable g_marker_cur{L"$MARKER_CUR"};
Remembered_Variable g_marker_label{L"$MARKER_LABEL"};

/// The numbers below nb, each with its label (which may be absent), and the current one.
template <class Label_Of>
int Labelled(Match_List<uint16_t>& list, const wchar_t* pattern, int max, int nb, int cur,
             Label_Of label_of) {
  if (quarn::Is_Cur(pattern)) {
    list.Add(uint16_t(cur));
    return list.Result();
  }
  if (quarn::Is_All(pattern)) {
    for (int t = 0; t < std::min(max, nb); ++t) list.Add(uint16_t(t));
    return list.Result();
  }
  for (int t = 0; t < nb; ++t) {
    const wchar_t* label = label_of(t);
    if ((label && Host_Str_Match(label, pattern)) || quarn::Number_Matches(t, pattern))
      if (!list.Add(uint16_t(t))) break;
  }
  return list.Result();
}

}  // namespace

int Fct_Match_Template_TAG(const wchar_t* pattern, int max, uint16_t out[]) {
  Match_List<uint16_t> list(kTag, pattern, max, out);
  if (!list.Valid()) return 0;
  wchar_t* const* labels = g_tag_label.Table<wchar_t*>();
  return Labelled(list, pattern, max, g_tag_nb.Value<uint16_t>(), g_tag_cur.Value<uint16_t>(),
                  [labels](int t) -> const wchar_t* { return labels ? labels[t] : nullptr; });
}

int Fct_Match_Template_Marker(const wchar_t* pattern, int max, uint16_t out[]) {
  Match_List<uint16_t> list(kMarker, pattern, max, out);
  if (!list.Valid()) return 0;
  char* const* labels = g_marker_label.Table<char*>();
  return Labelled(list, pattern, max, g_marker_nb.Value<uint16_t>(), g_marker_cur.Value<uint16_t>(),
                  [labels](int t) { return labels ? Host_Char_To_Wide(labels[t]) : nullptr; });
}
