// Templates that yield indices: numbered items, lights and the class-B values of a node class.
#include <quarn/classes/Iterator.h>
#include <quarn/classes/Match_Template.h>

#include "classes/Iterator_Table.h"
#include "classes/Match_List.h"

namespace {

using quarn::Match_Kind;
using quarn::Match_List;

const Match_Kind kClass{"Fct_Match_Template_Class_Id", nullptr, "", nullptr, nullptr};
const Match_Kind kId{"Fct_Match_Template_Id", nullptr, "", nullptr, nullptr};
const Match_Kind kLight{"Fct_Match_Template_Light", nullptr, "", nullptr, nullptr};

// Items are numbered from 1 for the user and indexed from 0.
int Numbered(Match_List<uint16_t>& list, const wchar_t* pattern, int count) {
  const bool all = quarn::Is_All(pattern);
  for (int i = 0; i < count; ++i)
    if (all || quarn::Number_Matches(i + 1, pattern)) list.Add(uint16_t(i));
  return list.Result();
}

}  // namespace

int Fct_Match_Template_Id(const wchar_t* pattern, int count, uint16_t out[]) {
  Match_List<uint16_t> list(kId, pattern, count, out);
  if (!list.Valid()) return 0;
  return Numbered(list, pattern, count);
}

int Fct_Match_Template_Light(const wchar_t* pattern, int count, uint16_t out[]) {
  Match_List<uint16_t> list(kLight, pattern, count, out);
  if (!list.Valid()) return 0;
  if (quarn::Is_Ambient(pattern)) {
    list.Add(0);
    return list.Result();
  }
  return Numbered(list, pattern, count);
}

int Fct_Match_Template_Class(uint32_t node_class, const wchar_t* pattern, int count, uint16_t out[]) {
  Match_List<uint16_t> list(kClass, pattern, count, out);
  if (!list.Valid()) return 0;
  for (int i = 0; i < count; ++i) {
    // The text first: it is cheap, the walk is not.
    if (!quarn::Number_Matches(i, pattern)) continue;
    quarn::Iterator_Scope walk(kClass.function, nullptr);
    if (Iterator_Class_2D(walk.id, node_class | uint32_t(i), nullptr, 0)) list.Add(uint16_t(i));
  }
  return list.Result();
}
