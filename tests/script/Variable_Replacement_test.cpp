// Expansion of "$" references: arrays, element-wise joining, indices and their errors, and the
// sorted variable table behind them.
#include "Script_Test_Support.h"

#include <algorithm>
#include <random>

namespace {

using script_test::Assign;
using script_test::Expand;
using script_test::Texts;

class VariableReplacement : public script_test::Script_Fixture {
protected:
  void SetUp() override {
    Script_Fixture::SetUp();
    ASSERT_TRUE(Assign(L"$v", {L"a", L"b", L"c"}));
    ASSERT_TRUE(Assign(L"$w", {L"1", L"2", L"3"}));
    ASSERT_TRUE(Assign(L"$two", {L"p", L"q"}));
    ASSERT_TRUE(Assign(L"$s", {L"x"}));
  }
};

TEST_F(VariableReplacement, Words) {
  struct Case {
    const wchar_t* word;
    Texts out;
    const char* report;  // expected report, or null for none
  };
  const Case cases[] = {
      {L"$v", {L"a", L"b", L"c"}, nullptr},                 // a bare array: all values
      {L"$v$w", {L"a1", L"b2", L"c3"}, nullptr},            // element by element
      {L"$v[1]", {L"b"}, nullptr},
      {L"pre$v[1]", {L"preb"}, nullptr},
      {L"\"$s\"y", {L"xy"}, nullptr},                     // a quote ends a reference
      {L"$v[1]post", {L"v[1]post"}, "no variable found for ($v[1]post)"},  // the name runs on
      {L"\"$s\"", {L"x"}, nullptr},                         // quotes are dropped
      {L"plain", {L"plain"}, nullptr},
      {L"x$v", {}, "arguments mismatch between variables (x$v)"},  // one text then three
      {L"$v\"!\"", {}, "arguments mismatch between variables ($v\"!\")"},  // three then one
      {L"$v$two", {}, "arguments mismatch between variables"},     // three and two
      {L"$v[3]", {}, "Index out of range for $v (3 /vs/ 0 to 2)"},
      {L"$nothing", {L"nothing"}, "no variable found for ($nothing)"},  // letters kept
      {L"a$nothing$s", {L"anothingx"}, "no variable found for ($nothing$s)"},
      {L"", {}, nullptr},
  };
  for (const Case& c : cases) {
    Host_Report_Capture capture;
    EXPECT_EQ(Expand(c.word), c.out) << "word: " << c.word;
    if (c.report) EXPECT_TRUE(capture.Contains(c.report)) << "word: " << c.word;
    else EXPECT_EQ(capture.Count(quarn::msg::Notice), 0u) << "word: " << c.word;
  }
}

TEST_F(VariableReplacement, EmptyValuesCountAsEmptyText) {
  ASSERT_TRUE(Assign(L"$e", {L"", L"b"}));
  EXPECT_EQ(Expand(L"$e"), (Texts{L"", L"b"}));
  EXPECT_EQ(Expand(L"$e$two"), (Texts{L"p", L"bq"}));
}

TEST_F(VariableReplacement, IndexedAndWholeAssignments) {
  EXPECT_TRUE(Assign(L"$v[1+1]", {L"z"}));  // the index is an expression
  EXPECT_EQ(Expand(L"$v"), (Texts{L"a", L"b", L"z"}));
  Host_Report_Capture capture;
  EXPECT_FALSE(Assign(L"$v[5]", {L"z"}));
  EXPECT_TRUE(capture.Contains("Index out of range (5 /vs/ 0 to 2)"));
  EXPECT_FALSE(Assign(L"$v[]", {L"z"}));
  EXPECT_TRUE(capture.Contains("bad index"));
  EXPECT_TRUE(Assign(L"$n[2]", {L"q"}));  // a new variable covers its index
  EXPECT_TRUE(capture.Contains("New variable: $n"));
  EXPECT_EQ(Expand(L"$n"), (Texts{L"", L"", L"q"}));
  EXPECT_TRUE(Assign(L"$v", {L"only"}));  // reassignment replaces all values
  EXPECT_EQ(Expand(L"$v"), Texts{L"only"});
  EXPECT_TRUE(Assign(L"$v", {}));
  EXPECT_EQ(Expand(L"$v"), Texts{});
}

TEST_F(VariableReplacement, TableStaysSortedAndSearchable) {
  std::vector<std::wstring> names;
  for (int i = 0; i < 40; ++i) names.push_back(L"$k" + std::to_wstring(i * 7919 % 1000));
  std::shuffle(names.begin(), names.end(), std::mt19937(12));
  for (const auto& n : names) ASSERT_TRUE(Assign(n.c_str(), {n}));
  for (int i = 1; i < Variable_Nb; ++i)
    EXPECT_LT(std::wcscmp(Variable_Pt[i - 1].name, Variable_Pt[i].name), 0);
  for (const auto& n : names) {
    int at = Variable_Search(n.c_str(), 0, Variable_Nb - 1);
    ASSERT_GE(at, 0);
    EXPECT_EQ(std::wstring(Variable_Pt[at].value[0]), n);
  }
  EXPECT_EQ(Variable_Search(L"$absent", 0, Variable_Nb - 1), -1);
  EXPECT_EQ(Variable_Cleanup(), 1);
  EXPECT_EQ(Variable_Nb, 0);
  EXPECT_EQ(Variable_Pt, nullptr);
}

}  // namespace
