// Host variables seen from scripts: mirrored texts of every type, writes, update calls, and
// the refusals for read-only and program-only variables.
#include "Script_Test_Support.h"

#include <cstring>

namespace {

using script_test::Assign;
using script_test::Expand;
using script_test::Texts;

int g_updates = 0;
int Count_Update() { return ++g_updates; }

class VariableHost : public script_test::Script_Fixture {
protected:
  // Storage the table points at; the tests read it back after script writes.
  int integer = -7;
  uint16_t ushort = 65535;
  int8_t tiny = -3;
  float real = 1.5f;
  double wide_real = 12345.678;
  int64_t big = -123456789012345;
  float vect[3] = {1, 2, 3};
  uint32_t colour = 0x00FF8040;
  wchar_t* text = wcsdup(L"hello");
  char* narrow = strdup("abc");
  int numbers[4] = {10, 20, 30, 40};
  int* numbers_ptr = numbers;
  void* pointer = reinterpret_cast<void*>(uintptr_t(0x1234ABCD));
  int ro_int = 5;
  int ro_zero = 0;
  float ro_real = 2.5f;
  wchar_t* ro_text = const_cast<wchar_t*>(L"fixed");
  int program_only = 11;
  struct { int a, b; } record = {1, 2};

  void SetUp() override {
    Script_Fixture::SetUp();
    g_updates = 0;
    Host_Var_Define(L"$T_INT", VARIABLE_INT, 1, &integer, Count_Update);
    Host_Var_Define(L"$T_USHORT", VARIABLE_SHORT | VARIABLE_UNSIGNED, 1, &ushort);
    Host_Var_Define(L"$T_CHAR", VARIABLE_CHAR, 1, &tiny);
    Host_Var_Define(L"$T_FLOAT", VARIABLE_FLOAT, 1, &real);
    Host_Var_Define(L"$T_DOUBLE", VARIABLE_DOUBLE, 1, &wide_real);
    Host_Var_Define(L"$T_INT64", VARIABLE_INT64, 1, &big);
    Host_Var_Define(L"$T_VECT", VARIABLE_VECT, 3, vect);
    Host_Var_Define(L"$T_COLOR", VARIABLE_COLOR, 1, &colour);
    Host_Var_Define(L"$T_TEXT", VARIABLE_STRING, 1, &text);
    Host_Var_Define(L"$T_NARROW", VARIABLE_STRING | VARIABLE_CHAR, 1, &narrow);
    Host_Var_Define(L"$T_ARRAY", VARIABLE_INT | VARIABLE_ARRAY, 4, &numbers_ptr);
    Host_Var_Define(L"$T_POINTER", VARIABLE_POINTER, 1, &pointer);
    Host_Var_Define(L"$T_RO_INT", VARIABLE_INT | uint16_t(VARIABLE_READ_ONLY), 1, &ro_int);
    Host_Var_Define(L"$T_RO_ZERO", VARIABLE_INT | uint16_t(VARIABLE_READ_ONLY), 1, &ro_zero);
    Host_Var_Define(L"$T_RO_FLOAT", VARIABLE_FLOAT | uint16_t(VARIABLE_READ_ONLY), 1, &ro_real);
    Host_Var_Define(L"$T_RO_TEXT", VARIABLE_STRING | uint16_t(VARIABLE_READ_ONLY), 1, &ro_text);
    // A vector marked as char is a plain record of the host, with no text form.
    Host_Var_Define(L"$T_RECORD", VARIABLE_VECT | VARIABLE_CHAR, 1, &record);
    Host_Var_Define(L"$T_PROGRAM", VARIABLE_INT | uint16_t(VARIABLE_PROGRAM), 1, &program_only);
  }
  void TearDown() override {
    Script_Fixture::TearDown();
    std::free(text);
    std::free(narrow);
  }
};

TEST_F(VariableHost, MirroredTextsOfEveryType) {
  struct Case {
    const wchar_t* word;
    Texts out;
  };
  const Case cases[] = {
      {L"$T_INT", {L"-7"}},
      {L"$T_USHORT", {L"65535"}},                          // unsigned
      {L"$T_CHAR", {L"-3"}},
      {L"$T_FLOAT", {L"1.5000"}},
      {L"$T_DOUBLE", {L"1.235e+04"}},                      // %.4g
      {L"$T_INT64", {L"-123456789012345"}},
      {L"$T_VECT", {L"1.0000", L"2.0000", L"3.0000"}},     // x, y and z
      {L"$T_VECT[2]", {L"3.0000"}},
      {L"$T_COLOR", {L"00FF8040"}},
      {L"$T_TEXT", {L"hello"}},
      {L"$T_NARROW", {L"abc"}},
      {L"$T_ARRAY", {L"10", L"20", L"30", L"40"}},
      {L"$T_ARRAY[1]", {L"20"}},
      {L"$T_POINTER", {L"1234ABCD"}},
      {L"$T_RO_INT", {L"5"}},                              // a read-only value held directly
      {L"$T_RO_ZERO", {L"0"}},                             // zero is a value, not "unknown"
      {L"$T_RO_TEXT", {L"fixed"}},
      {L"$T_PROGRAM", {L"11"}},                            // program-only may still be read
      {L"v=$T_INT", {L"v=-7"}},
      {L"$T_RECORD", {L""}},                                // a host record reads as empty
  };
  for (const Case& c : cases) EXPECT_EQ(Expand(c.word), c.out) << "word: " << c.word;
  const int at = Variable_Search(L"$T_INT", 0, Variable_Nb - 1);
  ASSERT_GE(at, 0);
  EXPECT_TRUE(Variable_Pt[at].flags & SCRIPT_VAR_HOST);
  integer = 99;
  EXPECT_EQ(Expand(L"$T_INT"), Texts{L"99"});  // refreshed at every reference
}

TEST_F(VariableHost, ScriptWritesReachTheStorage) {
  EXPECT_TRUE(Assign(L"$T_INT", {L"42"}));
  EXPECT_EQ(integer, 42);
  EXPECT_EQ(g_updates, 1);  // the host's update function follows a write
  EXPECT_TRUE(Assign(L"$T_FLOAT", {L"2.25"}));
  EXPECT_FLOAT_EQ(real, 2.25f);
  EXPECT_TRUE(Assign(L"$T_DOUBLE", {L"0.125"}));
  EXPECT_DOUBLE_EQ(wide_real, 0.125);
  EXPECT_TRUE(Assign(L"$T_VECT", {L"4", L"5", L"6.5"}));
  EXPECT_FLOAT_EQ(vect[2], 6.5f);
  EXPECT_TRUE(Assign(L"$T_COLOR", {L"255"}));
  EXPECT_EQ(colour, 255u);
  EXPECT_TRUE(Assign(L"$T_COLOR", {L"0x00FF00FF"}));
  EXPECT_EQ(colour, 0x00FF00FFu);
  EXPECT_TRUE(Assign(L"$T_CHAR", {L"-100"}));
  EXPECT_EQ(tiny, -100);
  EXPECT_TRUE(Assign(L"$T_INT64", {L"9000000000"}));
  EXPECT_EQ(big, 9000000000);
  EXPECT_TRUE(Assign(L"$T_TEXT", {L"new text"}));
  EXPECT_STREQ(text, L"new text");
  EXPECT_TRUE(Assign(L"$T_TEXT", {L""}));
  EXPECT_EQ(text, nullptr);  // an empty text is stored as none
  EXPECT_TRUE(Assign(L"$T_NARROW", {L"\u00e9t\u00e9"}));
  EXPECT_STREQ(narrow, "\xC3\xA9t\xC3\xA9");  // stored as UTF-8
  EXPECT_EQ(Expand(L"$T_NARROW"), Texts{L"\u00e9t\u00e9"});
}

TEST_F(VariableHost, ArrayWritesCheckTheCount) {
  EXPECT_TRUE(Assign(L"$T_ARRAY[2]", {L"9"}));
  EXPECT_EQ(numbers[2], 9);
  EXPECT_TRUE(Assign(L"$T_ARRAY", {L"1", L"2", L"3", L"4"}));
  EXPECT_EQ(numbers[3], 4);
  Host_Report_Capture capture;
  EXPECT_FALSE(Assign(L"$T_ARRAY[4]", {L"9"}));
  EXPECT_TRUE(capture.Contains("argument out of range for variable $T_ARRAY (max:4, got:4)"));
  EXPECT_FALSE(Assign(L"$T_ARRAY", {L"1", L"2"}));  // the count mismatch is in host.qs
  EXPECT_EQ(numbers[0], 1);  // nothing written by the refused assignments
}

// The warnings for read-only and program-only writes are checked in host.qs.
TEST_F(VariableHost, RefusedWritesLeaveTheStorage) {
  EXPECT_FALSE(Assign(L"$T_RO_INT", {L"6"}));
  EXPECT_EQ(ro_int, 5);
  EXPECT_FALSE(Assign(L"$T_PROGRAM", {L"6"}));
  EXPECT_EQ(program_only, 11);
  EXPECT_FALSE(Assign(L"$T_RECORD", {L"0"}));
  EXPECT_EQ(record.a, 1);
  Host_Report_Capture capture;
  EXPECT_FALSE(Assign(L"$T_POINTER", {L"0"}));
  EXPECT_TRUE(capture.Contains("cannot be written by a script"));
}

TEST_F(VariableHost, UnreadableReferencesExpandToNothing) {
  Host_Report_Capture capture;
  EXPECT_EQ(Expand(L"$T_RO_FLOAT"), Texts{});  // a read-only float has no text
  EXPECT_TRUE(capture.Contains("You can not get a direct value for $T_RO_FLOAT"));
  EXPECT_TRUE(capture.Contains("variable $T_RO_FLOAT in undefined"));
  EXPECT_EQ(Expand(L"$T_ARRAY[7]"), Texts{});
  EXPECT_TRUE(capture.Contains("Index out of range for variable $T_ARRAY (7 /vs/ 0 to 3)"));
}

TEST_F(VariableHost, SystemEvaluateResults) {
  ASSERT_EQ(Expand(L"$T_ARRAY"), (Texts{L"10", L"20", L"30", L"40"}));
  Script_Vars* var = &Variable_Pt[Variable_Search(L"$T_ARRAY", 0, Variable_Nb - 1)];
  var->index = -1;
  EXPECT_EQ(Variable_System_Evaluate(var), 4);
  var->index = 1;
  EXPECT_EQ(Variable_System_Evaluate(var), 1);
  EXPECT_STREQ(var->value[1], L"20");
  EXPECT_EQ(var->value[0], nullptr);  // only the indexed element is refreshed
  var->index = 4;
  EXPECT_EQ(Variable_System_Evaluate(var), -1);
  Host_Var_Remove(L"$T_ARRAY");
  var->index = -1;
  EXPECT_EQ(Variable_System_Evaluate(var), 0);  // the host no longer has it
}

TEST_F(VariableHost, WithoutLookupNothingIsMirrored) {
  Fct_Main_Var_Get = nullptr;
  Host_Report_Capture capture;
  EXPECT_EQ(Expand(L"$T_INT"), Texts{L"T_INT"});
  EXPECT_TRUE(capture.Contains("no variable found for ($T_INT)"));
  EXPECT_TRUE(Assign(L"$T_INT", {L"1"}));  // now an ordinary script variable
  EXPECT_EQ(integer, -7);
}

}  // namespace
