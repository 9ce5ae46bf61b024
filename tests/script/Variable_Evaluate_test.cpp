// The evaluator: every operator, the number rule, right grouping, groups, signs, formatting.
#include "Script_Test_Support.h"

#include <cmath>

namespace {

using script_test::Evaluate;
using script_test::Texts;

class VariableEvaluate : public script_test::Script_Fixture {};

TEST_F(VariableEvaluate, OperatorsGroupsAndSigns) {
  struct Case {
    std::initializer_list<const wchar_t*> in;
    Texts out;
  };
  const Case cases[] = {
      {{L"3", L"+", L"2"}, {L"5"}},
      {{L"3", L"-", L"5"}, {L"-2"}},
      {{L"2", L"*", L"3"}, {L"6"}},
      {{L"1", L"/", L"2"}, {L"0.500000"}},          // a fraction is written with %f
      {{L"4", L"/", L"2"}, {L"2"}},                 // a whole value with %d
      {{L"7", L"%", L"3"}, {L"1"}},
      {{L"7.9", L"%", L"3.2"}, {L"1"}},             // both truncated first: 7 % 3
      {{L"3", L">=", L"2"}, {L"1"}},
      {{L"2", L">=", L"3"}, {L"0"}},
      {{L"2", L"<=", L"2"}, {L"1"}},
      {{L"2", L"==", L"2.0"}, {L"1"}},              // numbers compare by value
      {{L"2", L"!=", L"2"}, {L"0"}},
      {{L"3", L">", L"2"}, {L"1"}},
      {{L"10", L"<", L"9"}, {L"0"}},                // numerically, not by characters
      {{L"b", L">=", L"a"}, {L"1"}},                // texts compare by character codes
      {{L"abc", L"<", L"abd"}, {L"1"}},
      {{L"1e2", L"+", L"1"}, {L"101"}},             // "e" belongs to numbers
      {{L"", L"+", L"2"}, {L"2"}},                  // an empty token is the number 0
      {{L"a", L"+", L"1"}, {L"a", L"+", L"1"}},     // arithmetic needs two numbers
      {{L"-5", L"+", L"1"}, {L"-5", L"+", L"1"}},   // a leading sign makes text
      {{L"1", L"!", L"2"}, {L"1", L"!", L"2"}},     // "!" gives no result
      {{L"1", L"2", L"3"}, {L"1", L"2", L"3"}},     // no operator in second place
      {{L"1", L"+"}, {L"1", L"+"}},                 // fewer than three tokens
      {{L"-", L"5"}, {L"-5"}},                      // a leading sign joins a number
      {{L"+", L"5"}, {L"+5"}},
      {{L"-", L"x"}, {L"-", L"x"}},                 // ... not a text
      {{L"*", L"5"}, {L"*", L"5"}},                 // ... and only a sign
      // Operators group from the right; parentheses group first.
      {{L"2", L"*", L"3", L"+", L"1"}, {L"8"}},                       // 2 * (3 + 1)
      {{L"(", L"2", L"*", L"3", L")", L"+", L"1"}, {L"7"}},           // grouping overrides
      {{L"8", L"/", L"4", L"/", L"2"}, {L"4"}},                       // 8 / (4 / 2)
      {{L"2", L"-", L"1", L"-", L"1"}, {L"2"}},                       // 2 - (1 - 1)
      {{L"(", L"(", L"1", L"+", L"2", L")", L"*", L"3", L")"}, {L"9"}},  // nested groups
      {{L"(", L"1", L"+", L"1", L")", L"(", L"2", L")"}, {L"2", L"2"}},  // two groups side by side
      {{L"1", L"+", L"(", L"2"}, {L"1", L"+", L"(", L"2"}},           // unclosed: left alone
  };
  for (const Case& c : cases) EXPECT_EQ(Evaluate(c.in), c.out) << "first token: " << *c.in.begin();
}

TEST_F(VariableEvaluate, OnlyTheRangeIsTouched) {
  script_test::Tokens t{L"keep", L"1", L"+", L"2", L"tail"};
  EXPECT_EQ(Variable_Evaluate(&t.n, &t.v, 1, 4), 1);
  EXPECT_EQ(t.Words(), (Texts{L"keep", L"3", L"tail"}));
}

TEST_F(VariableEvaluate, RemainderByZeroIsAnError) {
  Host_Report_Capture capture;
  EXPECT_EQ(Evaluate({L"5", L"%", L"0"}), (Texts{L"5", L"%", L"0"}));
  EXPECT_TRUE(capture.Contains("remainder of a division by zero"));
}

TEST_F(VariableEvaluate, AssignmentBecomesTheValues) {
  EXPECT_EQ(Evaluate({L"$a", L"=", L"1", L"+", L"2"}), Texts{L"3"});
  EXPECT_EQ(script_test::Expand(L"$a"), Texts{L"3"});
  EXPECT_EQ(Evaluate({L"$b", L"=", L"x", L"y", L"z"}), (Texts{L"x", L"y", L"z"}));
  EXPECT_EQ(Evaluate({L"$a", L"+", L"1"}), Texts{L"4"});  // the left side is expanded
  EXPECT_EQ(Evaluate({L"x", L"=", L"1"}), (Texts{L"x", L"=", L"1"}));  // failed: unchanged
}

TEST_F(VariableEvaluate, ArrayOnTheLeftExpandsInPlace) {
  ASSERT_TRUE(script_test::Assign(L"$v", {L"1", L"2", L"3"}));
  // The operator applies to the text right before it.
  EXPECT_EQ(Evaluate({L"$v", L"*", L"10"}), (Texts{L"1", L"2", L"30"}));
}

TEST(VariableFormatNumber, IntegerOrFraction) {
  struct Case {
    double value;
    const wchar_t* text;
  };
  const Case cases[] = {
      {0.5, L"0.500000"}, {2.0, L"2"}, {-3.0, L"-3"}, {-0.0, L"0"},
      {1e10, L"10000000000.000000"},  // beyond an int: written as a fraction
      {INFINITY, L"inf"},
  };
  for (const Case& c : cases) {
    wchar_t out[64];
    EXPECT_STREQ(Variable_Format_Number(c.value, out, 64), c.text) << c.value;
  }
}

}  // namespace
