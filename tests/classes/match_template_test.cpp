// Name templates of every kind: keywords, names and numbers, the limit with its warning, and the
// warning when nothing matches.
#include "classes/Iterator_Host.h"
#include "classes/Node_Kinds.h"

#include <cwchar>
#include <functional>
#include <type_traits>

namespace {

using namespace iterator_test;

/// One call of a template function and what it must give.
struct Row {
  const char* what;
  const wchar_t* pattern;
  int max;               // max, or count for the index kinds
  const char* expected;  // "result: entries"
  const char* warnings;  // class-2 lines joined by '|', style bytes removed
  const char* exit;      // outcome of the exit trace
};

std::string Joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += (out.empty() ? "" : "|") + l;
  return out;
}

/// A value no call writes, for the entry after the last allowed one.
template <class T>
T Untouched() {
  if constexpr (std::is_pointer_v<T>) return reinterpret_cast<T>(uintptr_t(0xBEEF));
  else return T(0xBEEF);
}

/// Runs every row through call(pattern, max, out) with out one entry longer than max, and checks
/// result, entries, that the extra entry is untouched, the warnings and the exit trace.
template <class T>
void Check(const char* function, const std::vector<Row>& rows,
           const std::function<int(const wchar_t*, int, T*)>& call,
           const std::function<std::string(T)>& name) {
  for (const Row& r : rows) {
    const T untouched = Untouched<T>();
    std::vector<T> out(size_t(r.max) + 1, untouched);
    Host_Report_Capture capture;
    const int n = call(r.pattern, r.max, out.data());
    std::string got = std::to_string(n) + ":";
    for (int i = 0; i < n && i < r.max; ++i) got += " " + name(out[size_t(i)]);
    EXPECT_EQ(got, r.expected) << r.what;
    EXPECT_TRUE(out[size_t(r.max)] == untouched) << r.what << ": written beyond max";
    EXPECT_EQ(Joined(capture.Texts(quarn::msg::Invalid)), r.warnings) << r.what;
    const auto traces = capture.Texts(quarn::msg::Match);
    ASSERT_FALSE(traces.empty()) << r.what;
    EXPECT_EQ(traces.back(), std::string("<<< out Util: ") + function + "(" + r.exit + ")") << r.what;
  }
}

std::string Number(uint16_t v) { return std::to_string(v); }

class Match_Template : public Iterator_Test {
protected:
  /// Names of the objects a kind hands out, by address.
  std::map<const void*, std::string> name_of;
  std::string Name(const void* p) { return name_of.count(p) ? name_of[p] : "?"; }
  template <class T>
  std::function<std::string(T)> Namer() {
    return [this](T p) { return Name(p); };
  }
};

TEST_F(Match_Template, IdAndLightTakeNumbersFromOne) {
  Check<uint16_t>("Fct_Match_Template_Id",
                  {
                      {"a number is index + 1", L"2", 5, "1: 1", "", "1"},
                      {"all, any case", L"ALL", 3, "3: 0 1 2", "", "3"},
                      {"wild cards over the numbers", L"1*", 12, "4: 0 9 10 11", "", "4"},
                      {"0 is no item", L"0", 5, "0:", "", "0"},
                      {"beyond the count", L"6", 5, "0:", "", "0"},
                      {"ambient means nothing here", L"ambient", 3, "0:", "", "0"},
                  },
                  Fct_Match_Template_Id, Number);
  Check<uint16_t>("Fct_Match_Template_Light",
                  {
                      {"ambient alone", L"ambient", 4, "1: 0", "", "1"},
                      {"ambient by its first three letters", L"AMBx", 4, "1: 0", "", "1"},
                      {"two letters are not enough", L"am", 4, "0:", "", "0"},
                      {"all", L"all", 3, "3: 0 1 2", "", "3"},
                      {"otherwise numbers from one", L"2", 4, "1: 1", "", "1"},
                  },
                  Fct_Match_Template_Light, Number);
}

TEST_F(Match_Template, ClassTakesClassBValuesOfNodesThatExist) {
  // Class B 5 sits inside group 0: a walk for class B 5 enters group 0, which is of another B.
  Tree<Quarn_2D> tree("R:2001 ( G0:2010:0 ( X:2010:5 ) G2:2010:2 G12:2010:C F:2FFF:3 )");
  *Var<void*>(L"$DB_2D_ROOT_PT") = tree.root;
  auto call = [](const wchar_t* p, int count, uint16_t* out) {
    return Fct_Match_Template_Class(0x20100000, p, count, out);
  };
  Check<uint16_t>("Fct_Match_Template_Class_Id",
                  {
                      {"every existing value below the count", L"*", 8, "3: 0 2 5", "", "3"},
                      {"12 exists once the count reaches it", L"1*", 16, "1: 12", "", "1"},
                      {"one value", L"5", 8, "1: 5", "", "1"},
                      {"a value of another class only", L"3", 8, "0:", "", "0"},
                  },
                  call, Number);
}

TEST_F(Match_Template, TagsByLabelNumberCurrentAndAll) {
  *Var<uint16_t>(L"$TAG_NB") = 8;
  *Var<uint16_t>(L"$TAG_CUR") = 7;
  wchar_t** labels = *Var<wchar_t**>(L"$TAG_LABEL");
  std::free(labels[4]);
  labels[4] = ::wcsdup(L"Liver");  // the others are Background, Tag1 ... Tag7
  Check<uint16_t>("Fct_Match_Template_TAG",
                  {
                      {"a label found by the host's match", L"*iver", 10, "1: 4", "", "1"},
                      {"the match counts case", L"liver", 10, "0:",
                       "WARNING: Unable to locate any tag!|\t with: liver", "! nb_tag"},
                      {"a number", L"3", 10, "1: 3", "", "1"},
                      {"labels: Tag4 was renamed", L"Tag*", 10, "6: 1 2 3 5 6 7", "", "6"},
                      {"numbers below the tag count", L"?", 10, "8: 0 1 2 3 4 5 6 7", "", "8"},
                      {"cur, any case", L"CURRENT", 10, "1: 7", "", "1"},
                      {"all, up to the tag count", L"All", 20, "8: 0 1 2 3 4 5 6 7", "", "8"},
                      {"all, up to max without a warning", L"all", 3, "3: 0 1 2", "", "3"},
                      {"one more than max", L"Tag*", 3, "3: 1 2 3",
                       "WARNING: To many tags|\t We can only act on 3 tag at once", "> max_match"},
                      {"exactly max", L"Tag*", 6, "6: 1 2 3 5 6 7", "", "6"},
                  },
                  Fct_Match_Template_TAG, Number);
}

TEST_F(Match_Template, MarkersByNarrowLabel) {
  *Var<uint16_t>(L"$MARKER_CUR") = 2;  // labels Cross Circle Square Triangle Diamond Star
  Check<uint16_t>("Fct_Match_Template_Marker",
                  {
                      {"narrow labels", L"C*", 10, "2: 0 1", "", "2"},
                      {"cur", L"cur", 10, "1: 2", "", "1"},
                      {"a number", L"5", 10, "1: 5", "", "1"},
                      {"all", L"ALL", 4, "4: 0 1 2 3", "", "4"},
                      {"one more than max", L"*", 2, "2: 0 1",
                       "WARNING: To many markers|\t We can only act on 2 marker at once", "> max_match"},
                      {"none", L"Hexagon", 5, "0:", "WARNING: Unable to locate any marker!|\t with: Hexagon",
                       "! nb_marker"},
                  },
                  Fct_Match_Template_Marker, Number);
}

TEST_F(Match_Template, FilesByNameWithoutKeywords) {
  Quarn_2D_File liver(L"/data/liver.dcm", nullptr), lung(L"/data/lung.dcm", nullptr),
      heart(L"/scans/heart.nii", nullptr);
  Quarn_2D_File* files[] = {&liver, &lung, &heart};
  for (Quarn_2D_File* f : files) name_of[f] = Host_Wide_To_Char(f->Name_Get());
  *Var<int32_t>(L"$DB_2D_FILE_NB") = 3;
  *Var<Quarn_2D_File**>(L"$DB_2D_FILE_PT") = files;
  Check<Quarn_2D_File*>("Fct_Match_Template_File",
                        {
                            {"by name", L"l*", 5, "2: liver lung", "", "2"},
                            {"all is a name like any other", L"all", 5, "0:",
                             "WARNING: Unable to locate any files!|\t with: all", "! nb_file"},
                            {"one more than max", L"*", 1, "1: liver",
                             "WARNING: To many files|\t We can only act on 1 files at once", "> max_match"},
                        },
                        Fct_Match_Template_File, Namer<Quarn_2D_File*>());
  *Var<int32_t>(L"$DB_2D_FILE_NB") = 0;
}

TEST_F(Match_Template, FramesByNameOrPositionInTreeOrder) {
  Tree<Quarn_2D> tree("R:2001 ( G1:2010 ( 3:2FFF a2:2FFF ) G2:2010 ( b1:2FFF a4:2FFF ) )");
  *Var<void*>(L"$DB_2D_ROOT_PT") = tree.root;
  for (const char* n : {"3", "a2", "b1", "a4"}) name_of[quarn::Frame_Of(tree[n])] = n;
  Var<void**>(L"$FRAME_CUR")[0][1] = quarn::Frame_Of(tree["b1"]);  // window 1 is current
  Check<Quarn_2D_Frame*>("Fct_Match_Template_Frame",
                         {
                             {"the third frame and the frame named 3", L"3", 5, "2: 3 b1", "", "2"},
                             {"by name", L"a*", 5, "2: a2 a4", "", "2"},
                             {"a number alone", L"4", 5, "1: a4", "", "1"},
                             {"every frame", L"*", 5, "4: 3 a2 b1 a4", "", "4"},
                             {"all, cut at max without a warning", L"ALL", 2, "2: 3 a2", "", "> max_match"},
                             {"the current window's current frame", L"Cur", 5, "1: b1", "", "1"},
                             {"0 as cur", L"0", 5, "1: b1", "", "1"},
                             {"none", L"z*", 5, "0:", "WARNING: Unable to locate any frames!|\t with: z*",
                              "! nb_frame"},
                         },
                         Fct_Match_Template_Frame, Namer<Quarn_2D_Frame*>());
  Var<void**>(L"$FRAME_CUR")[0][1] = nullptr;
  Check<Quarn_2D_Frame*>("Fct_Match_Template_Frame", {{"no current frame", L"cur", 5, "0:", "", "! Frame_Cur"}},
                         Fct_Match_Template_Frame, Namer<Quarn_2D_Frame*>());
  tree_test::Host().window_cur = nullptr;
  Check<Quarn_2D_Frame*>("Fct_Match_Template_Frame", {{"no current window", L"cur", 5, "0:", "", "! Window_Cur"}},
                         Fct_Match_Template_Frame, Namer<Quarn_2D_Frame*>());
}

TEST_F(Match_Template, GeometriesOfTheThreeDTree) {
  Tree<Quarn_3D> tree("R:3001 ( A:3010 ( liver:3FFF lung:3FFF ) B:3010 ( lesion:3FFF ) heart:3FFF )");
  *Var<void*>(L"$DB_3D_ROOT_PT") = tree.root;
  for (const char* n : {"liver", "lung", "lesion", "heart"}) name_of[quarn::Geom_If(tree[n])] = n;
  Check<Quarn_3D_Geom*>("Fct_Match_Template_Geom",
                        {
                            {"three match, max 2", L"l*", 2, "2: liver lung",
                             "WARNING: To many geometries|\t We can only act on 2 geometries at once",
                             "> max_match"},
                            {"three match, max 3", L"l*", 3, "3: liver lung lesion", "", "3"},
                            {"all", L"all", 9, "4: liver lung lesion heart", "", "4"},
                            {"none", L"kidney", 9, "0:",
                             "WARNING: Unable to locate any geometries!|\t with: kidney", "! nb_geom"},
                        },
                        Fct_Match_Template_Geom, Namer<Quarn_3D_Geom*>());
}

TEST_F(Match_Template, PointsOfThePointList) {
  Quarn points[5];
  Quarn_Point* list[5];
  for (int i = 0; i < 5; ++i) {
    points[i].Class_Magic_Set(0xADBD);
    points[i].Name_Set(L"P%d", i + 1);
    list[i] = reinterpret_cast<Quarn_Point*>(&points[i]);
    name_of[list[i]] = "P" + std::to_string(i + 1);
  }
  *Var<uint32_t>(L"$POINT_NB") = 5;
  *Var<Quarn_Point**>(L"$POINT_PT") = list;
  Check<Quarn_Point*>("Fct_Match_Template_Point",
                      {
                          {"all: the first max points, no warning", L"all", 3, "3: P1 P2 P3", "", "3"},
                          {"more names than max", L"P*", 3, "3: P1 P2 P3",
                           "WARNING: To many points|\t We can only act on 3 points at once", "> max_match"},
                          {"by name", L"P4", 3, "1: P4", "", "1"},
                          {"none", L"Q", 3, "0:", "WARNING: Unable to locate any points!|\t with: Q", "! nb_point"},
                      },
                      Fct_Match_Template_Point, Namer<Quarn_Point*>());
  *Var<uint32_t>(L"$POINT_NB") = 0;
}

TEST_F(Match_Template, WindowsOfTheWindowList) {
  for (int i = 0; i < 3; ++i) name_of[tree_test::Window(i)] = "W" + std::to_string(i);
  Check<Quarn_Window*>("Fct_Match_Template_Window",
                       {
                           {"the current window", L"cur", 3, "1: W1", "", "1"},
                           {"by name", L"Window 2", 3, "1: W2", "", "1"},
                           {"every listed window", L"Window ?", 3, "3: W0 W1 W2", "", "3"},
                           {"all beyond max", L"all", 2, "2: W0 W1",
                            "WARNING: To many windows|\t We can only act on 2 window at once", "> max_match"},
                           {"none", L"door", 3, "0:", "WARNING: Unable to locate any windows!|\t with: door",
                            "! nb_marker"},
                       },
                       Fct_Match_Template_Window, Namer<Quarn_Window*>());
}

TEST_F(Match_Template, MissingPatternOrResultArrayIsReported) {
  Host_Report_Capture capture;
  uint16_t out[4];
  EXPECT_EQ(Fct_Match_Template_TAG(nullptr, 4, out), 0);
  EXPECT_EQ(Fct_Match_Template_Id(L"1", 4, nullptr), 0);
  EXPECT_EQ(capture.Count(quarn::msg::Invalid), 2u);
  EXPECT_TRUE(capture.Contains("Invalid template or result array in Fct_Match_Template_TAG"));
}

}  // namespace
