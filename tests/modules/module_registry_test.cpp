// The module registry: group texts read into named groups with order numbers, the sorting of
// groups and modules, the active list and the expand list.
#include <quarn/quarn.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int Max_Modules = 48;

// Module i answers with the texts stored for it.
std::array<std::wstring, Max_Modules> g_names, g_groups;

template <int I>
const wchar_t* Name(int) { return g_names[I].c_str(); }
template <int I>
const wchar_t* Group() { return g_groups[I].c_str(); }

template <size_t... I>
std::array<Module_Functions, Max_Modules> Make_Modules(std::index_sequence<I...>) {
  return {Module_Functions{&Name<int(I)>, &Group<int(I)>}...};
}

std::array<Module_Functions, Max_Modules>& Modules() {
  static std::array<Module_Functions, Max_Modules> modules = Make_Modules(std::make_index_sequence<Max_Modules>{});
  return modules;
}

/// The caller's group lists, released with the test.
struct Lists {
  uint16_t nb = 0;
  uint16_t* count = nullptr;
  wchar_t** name = nullptr;
  Module_Functions*** module = nullptr;

  ~Lists() { Fct_Module_List_Cleanup(&nb, &count, &name, &module); }

  /// Loads modules given as (name, group text) pairs, numbered from first on.
  int Load(const std::vector<std::pair<std::wstring, std::wstring>>& texts, uint8_t skip = 0, int first = 0) {
    std::vector<Module_Functions*> list;
    for (size_t i = 0; i < texts.size(); ++i) {
      const size_t k = size_t(first) + i;
      g_names[k] = texts[i].first, g_groups[k] = texts[i].second;
      list.push_back(&Modules()[k]);
    }
    return Fct_Module_List_Load(skip, uint32_t(list.size()), list.data(), &nb, &count, &name, &module);
  }
  std::wstring Group_Name(int g) const { return name[g] ? name[g] : L"(none)"; }
  /// The module names of group g, in list order.
  std::vector<std::wstring> Items(int g) const {
    std::vector<std::wstring> out;
    for (int m = 0; m < count[g]; ++m) out.push_back(module[g][m]->name(0));
    return out;
  }
};

using Names = std::vector<std::wstring>;

TEST(Module_List, GroupsByNameAndSortsByOrderNumber) {
  Lists l;
  ASSERT_EQ(l.Load({{L"b2", L"B:2"}, {L"a1", L"A:1"}, {L"b1", L"B:1"}}), 2);
  EXPECT_EQ(l.Group_Name(0), L"B");
  EXPECT_EQ(l.Items(0), (Names{L"b2", L"b1"}));
  ASSERT_EQ(Fct_Module_List_Sort(l.nb, l.count, l.name, l.module), 1);
  EXPECT_EQ(l.Group_Name(0), L"A") << "its first module has 1 against 2";
  EXPECT_EQ(l.Group_Name(1), L"B");
  EXPECT_EQ(l.Items(1), (Names{L"b1", L"b2"}));
}

// Regression: the parsed group text is returned by value, and its name pointed into the buffer of
// the copy that had gone out of scope (the address checker caught it through the host's module:
// load). The name is now an offset into whichever copy holds the text.
TEST(Module_List, GroupNameIsReadFromTheReturnedTextNotItsDeadCopy) {
  Lists l;
  ASSERT_EQ(l.Load({{L"t", L"Segmentation:1"}, {L"p", L"Tools Painting:2"}}, 1), 2);
  EXPECT_EQ(l.Group_Name(0), L"Segmentation");
  EXPECT_EQ(l.Group_Name(1), L"Painting");
}

TEST(Module_List, GroupTextsAreReadAsTheHostWritesThem) {
  const struct {
    const wchar_t* what;
    const wchar_t* text;
    uint8_t skip;
    const wchar_t* group;  // null: not listed
    int order;             // of the module after sorting, seen against a module of order 5
  } cases[] = {
      {L"plain with order", L"Filters:3", 0, L"Filters", 3},
      {L"no colon: order 0", L"Filters", 0, L"Filters", 0},
      {L"no colon, leading digits", L"12Filters", 0, L"12Filters", 12},
      {L"hidden module", L"*Filters:1", 0, nullptr, 0},
      {L"prefix word dropped", L"2D Filters:4", 1, L"Filters", 4},
      {L"prefix with no blank: taken whole", L"Filters:6", 1, L"Filters", 6},
      {L"letter case differs", L"FILTERS:2", 0, L"Filters", 2},
      {L"empty group", L":7", 0, L"(none)", 7},
  };
  for (const auto& c : cases) {
    Lists l;
    ASSERT_EQ(l.Load({{L"five", L"Filters:5"}}), 1);
    l.Load({{L"probe", c.text}}, c.skip, 1);
    Fct_Module_List_Sort(l.nb, l.count, l.name, l.module);
    int found = -1, position = -1;
    for (int g = 0; g < l.nb; ++g)
      for (int m = 0; m < l.count[g]; ++m)
        if (l.module[g][m] == &Modules()[1]) found = g, position = m;
    if (!c.group) {
      EXPECT_EQ(found, -1) << c.what;
      continue;
    }
    ASSERT_GE(found, 0) << c.what;
    EXPECT_EQ(l.Group_Name(found), c.group) << c.what;
    if (l.Group_Name(found) == L"Filters") {
      EXPECT_EQ(position, c.order > 5 ? 1 : 0) << c.what;
    }
  }
}

TEST(Module_List, ModulesWithoutGroupTextGoToTheUnnamedGroup) {
  Module_Functions bare{&Name<0>, nullptr};
  g_names[0] = L"bare";
  Module_Functions* list[] = {&bare};
  Lists l;
  EXPECT_EQ(Fct_Module_List_Load(0, 1, list, &l.nb, &l.count, &l.name, &l.module), 1);
  EXPECT_EQ(l.name[0], nullptr);
  EXPECT_EQ(l.count[0], 1);
}

TEST(Module_List, OverlongGroupTextIsCutAndReported) {
  Host_Report_Capture capture;
  Lists l;
  const std::wstring long_name(300, L'x');
  ASSERT_EQ(l.Load({{L"long", long_name + L":1"}}), 1);
  EXPECT_EQ(std::wstring(l.name[0]), long_name.substr(0, MODULE_GROUP_TEXT_MAX));
  EXPECT_TRUE(capture.Contains("longer than 255 characters"));
}

TEST(Module_List, LoadingTwiceAddsToTheSameListsAndCleanupEmptiesThem) {
  Lists l;
  ASSERT_EQ(l.Load({{L"x", L"G:2"}}), 1);
  ASSERT_EQ(l.Load({{L"y", L"H:1"}, {L"z", L"g:1"}}, 0, 1), 2);
  Fct_Module_List_Sort(l.nb, l.count, l.name, l.module);
  EXPECT_EQ(l.Group_Name(0), L"H");
  EXPECT_EQ(l.Items(1), (Names{L"z", L"x"}));
  Fct_Module_List_Cleanup(&l.nb, &l.count, &l.name, &l.module);
  EXPECT_EQ(l.nb, 0);
  EXPECT_EQ(l.name, nullptr);
  EXPECT_EQ(l.module, nullptr);
}

TEST(Module_List, SortingOrdersGroupsAndModulesLikeAReferenceSort) {
  std::mt19937 rng(3);
  for (int round = 0; round < 50; ++round) {
    std::vector<std::pair<std::wstring, std::wstring>> texts;
    std::map<std::wstring, std::vector<std::pair<int, std::wstring>>> expected;  // lower-case group
    std::vector<std::wstring> first_seen;
    const int n = std::uniform_int_distribution<int>(1, Max_Modules)(rng);
    for (int i = 0; i < n; ++i) {
      const int group = std::uniform_int_distribution<int>(0, 5)(rng);
      const int order = std::uniform_int_distribution<int>(0, 9)(rng);
      const std::wstring g(1, wchar_t((i % 2 ? L'a' : L'A') + group));
      texts.push_back({L"m" + std::to_wstring(i), g + L":" + std::to_wstring(order)});
      const std::wstring key(1, wchar_t(L'a' + group));
      if (!expected.count(key)) first_seen.push_back(key);
      expected[key].push_back({order, texts.back().first});
    }
    Lists l;
    ASSERT_EQ(l.Load(texts), int(expected.size()));
    Fct_Module_List_Sort(l.nb, l.count, l.name, l.module);
    int previous_first = -1;
    for (int g = 0; g < l.nb; ++g) {
      std::wstring key = l.name[g];
      key[0] = wchar_t(std::towlower(key[0]));
      auto& want = expected.at(key);
      EXPECT_GE(want.front().first, previous_first) << "groups ascend by their first loaded module";
      previous_first = want.front().first;
      std::vector<std::pair<int, std::wstring>> got;
      for (int m = 0; m < l.count[g]; ++m) {
        const std::wstring name = l.module[g][m]->name(0);
        const auto it = std::find_if(want.begin(), want.end(), [&](const auto& w) { return w.second == name; });
        ASSERT_NE(it, want.end());
        got.push_back(*it);
      }
      EXPECT_TRUE(std::is_sorted(got.begin(), got.end(), [](auto& a, auto& b) { return a.first < b.first; }));
      EXPECT_EQ(got.size(), want.size());
    }
  }
}

TEST(Module_Active, EachModuleOnceInTheOrderOpened) {
  Module_Functions* a = &Modules()[0];
  Module_Functions* b = &Modules()[1];
  Module_Functions* c = &Modules()[2];
  EXPECT_EQ(Fct_Module_Active_Add(a), 1);
  EXPECT_EQ(Fct_Module_Active_Add(b), 1);
  EXPECT_EQ(Fct_Module_Active_Add(a), 1);
  EXPECT_EQ(Fct_Module_Active_Add(c), 1);
  ASSERT_EQ(Fct_Module_Active_Nb(), 3u);
  EXPECT_EQ(Fct_Module_Active_Del(&Modules()[9]), 1) << "not active: nothing to do";
  EXPECT_EQ(Fct_Module_Active_Del(b), 1);
  ASSERT_EQ(Fct_Module_Active_Nb(), 2u);
  EXPECT_EQ(Fct_Module_Active_Pt(0), a);
  EXPECT_EQ(Fct_Module_Active_Pt(1), c);
  EXPECT_EQ(Fct_Module_Active_Pt(2), nullptr);
  EXPECT_EQ(Fct_Module_Active_Pt(-1), nullptr);
  EXPECT_EQ(Fct_Module_Active_Del(a), 1);
  EXPECT_EQ(Fct_Module_Active_Del(c), 1);
  EXPECT_EQ(Fct_Module_Active_Nb(), 0u);
  EXPECT_EQ(Fct_Module_Active_Add(b), 1);
  EXPECT_EQ(Fct_Module_Active_Cleanup(), 1);
  EXPECT_EQ(Fct_Module_Active_Nb(), 0u);
}

TEST(Module_Expand, NewNamesStartExpandedAndFlagsAreKeptPerName) {
  int nb = 0;
  wchar_t** names = nullptr;
  uint8_t* vals = nullptr;
  EXPECT_EQ(Fct_Module_Expand_Get(L"Filters", &nb, &names, &vals), 0) << "first look: not known yet";
  EXPECT_EQ(Fct_Module_Expand_Get(L"Filters", &nb, &names, &vals), 1);
  EXPECT_EQ(Fct_Module_Expand_Get(nullptr, &nb, &names, &vals), 0);
  EXPECT_EQ(Fct_Module_Expand_Set(L"Filters", 0, &nb, &names, &vals), 1);
  EXPECT_EQ(Fct_Module_Expand_Get(L"Filters", &nb, &names, &vals), 0);
  EXPECT_EQ(Fct_Module_Expand_Get(L"filters", &nb, &names, &vals), 0) << "names are exact";
  EXPECT_EQ(nb, 2);
  EXPECT_EQ(Fct_Module_Expand_Set(nullptr, 1, &nb, &names, &vals), 0);
  wchar_t tools[] = L"Tools", filters[] = L"Filters";
  wchar_t* both[] = {tools, filters};
  Fct_Module_Expand_Set_All(2, both, 1, &nb, &names, &vals);
  EXPECT_EQ(nb, 3);
  EXPECT_EQ(Fct_Module_Expand_Get(L"Tools", &nb, &names, &vals), 1);
  EXPECT_EQ(Fct_Module_Expand_Get(L"Filters", &nb, &names, &vals), 1);
  Fct_Module_Expand_Cleanup(&nb, &names, &vals);
  EXPECT_EQ(nb, 0);
  EXPECT_EQ(names, nullptr);
  EXPECT_EQ(vals, nullptr);
}

}  // namespace
