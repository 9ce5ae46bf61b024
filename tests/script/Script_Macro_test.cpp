// Statement trees built across lines (seen through macro records), their printing, macro
// definition in its three forms, the macro module's commands and cleanup.
#include "Script_Test_Support.h"

#include <cstdio>

namespace {

using script_test::Events;

void Type_All(std::initializer_list<const wchar_t*> lines) {
  for (const wchar_t* line : lines) Script_Read_Input(line);
}

std::vector<std::string> Printed(const wchar_t* name) {
  Host_Report_Capture capture;
  EXPECT_EQ(W_Script_Macro_Print2(name), 1);
  return capture.Texts(quarn::msg::Notice);
}

class ScriptMacro : public script_test::Script_Fixture {};

TEST_F(ScriptMacro, NestedBlocksAndLinks) {
  Type_All({L"@t =", L"{", L"{", L"echo: a", L"}", L"echo: b", L"}"});
  W_Script_Statements* t = W_Script_Macro_Replacement(L"@t");
  ASSERT_NE(t, nullptr);
  EXPECT_TRUE(t->is_root);
  EXPECT_FALSE(t->is_immediate);
  W_Script_Statements* outer = t->child[0];
  ASSERT_NE(outer, nullptr);
  EXPECT_EQ(outer->parent, t);
  ASSERT_NE(outer->child[0], nullptr);
  EXPECT_EQ(outer->child[0]->parent, outer);
  EXPECT_EQ(outer->child[1], nullptr);  // a plain statement
  EXPECT_EQ(Printed(L"@t"), (std::vector<std::string>{"{", "    {", "        echo: a ", "    }",
                                                       "    echo: b ", "}"}));
}

TEST_F(ScriptMacro, LoopConditionAndElseAcrossLines) {
  Type_All({L"@t =", L"{", L"for $i in ( 1 2 )", L"if ( $i > 1 )", L"echo: big", L"else",
            L"echo: small", L"}"});
  EXPECT_EQ(Printed(L"@t"),
            (std::vector<std::string>{"{", "    for $i in 1 2", "        if ( $i > 1 )",
                                      "            echo: big ", "        else", "            echo: small ",
                                      "}"}));
  Host_Report_Capture capture;
  EXPECT_EQ(Script_Read_Input(L"@t"), 1);
  EXPECT_EQ(Events(capture), (std::vector<std::string>{"> echo: small", "> echo: big"}));
}

TEST_F(ScriptMacro, BracedElseAttachesToAFinishedMacro) {
  Type_All({L"@b = if ( $x )", L"{", L"echo: a", L"}", L"else", L"{", L"echo: b", L"}"});
  EXPECT_EQ(Printed(L"@b"), (std::vector<std::string>{"if ( $x )", "{", "    echo: a ", "}", "else", "{",
                                                       "    echo: b ", "}"}));
  Host_Report_Capture capture;
  Type_All({L"$x = 0", L"@b", L"$x = yes", L"@b"});
  EXPECT_EQ(Events(capture), (std::vector<std::string>{"> echo: b", "> echo: a"}));
}

TEST_F(ScriptMacro, PrintToAFile) {
  Type_All({L"@f = for $k in ( a b )", L"say: $k"});
  FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  W_Script_Macro_Print(file, W_Script_Macro_Replacement(L"@f"), 0);
  std::rewind(file);
  char text[256] = {};
  size_t n = std::fread(text, 1, sizeof text - 1, file);
  std::fclose(file);
  EXPECT_EQ(std::string(text, n), "for $k in a b\n    say: $k \n");
}

TEST_F(ScriptMacro, DefinitionStaysOpenUntilItsContentArrives) {
  // A loop header: being defined until its body arrives.
  EXPECT_EQ(Script_Read_Input(L"@loop = for $i in ( 1 2 3 )"), 1);
  W_Script_Statements* loop = W_Script_Macro_Replacement(L"@loop");
  ASSERT_NE(loop, nullptr);
  EXPECT_TRUE(loop->is_definition);
  EXPECT_EQ(Script_Read_Input(L"echo: $i"), 1);
  EXPECT_FALSE(loop->is_definition);
  // Name and equals sign alone: the next statement, even a single one, is the content.
  Type_All({L"@alone =", L"echo: single"});
  Host_Report_Capture capture;
  Type_All({L"@loop", L"@alone"});
  EXPECT_EQ(Events(capture), (std::vector<std::string>{"> echo: 1", "> echo: 2", "> echo: 3", "> echo: single"}));
}

TEST_F(ScriptMacro, RedefinedWhileRunningKeepsItsPlace) {
  Type_All({L"@self =", L"{", L"echo: before", L"@self = echo: replaced", L"echo: after", L"}"});
  Host_Report_Capture capture;
  EXPECT_EQ(Script_Read_Input(L"@self"), 1);
  EXPECT_EQ(Script_Read_Input(L"@self"), 1);
  EXPECT_EQ(Events(capture), (std::vector<std::string>{"> echo: before", "> echo: after", "> echo: replaced"}));
}

TEST_F(ScriptMacro, BadNames) {
  Host_Report_Capture capture;
  EXPECT_EQ(W_Script_Macro_Assignment(L"m"), nullptr);
  EXPECT_TRUE(capture.Contains("bad syntax for \"m\""));
  EXPECT_TRUE(capture.Contains("variable name must start with \"@\""));
  const std::wstring long_name = L"@" + std::wstring(79, L'n');
  EXPECT_EQ(W_Script_Macro_Assignment(long_name.c_str()), nullptr);
  EXPECT_TRUE(capture.Contains("macro name exceeds its limit (80 /vs/ max 79)"));
}

TEST_F(ScriptMacro, ModuleCommands) {
  struct Case {
    std::initializer_list<const wchar_t*> args;
    int result;
    std::vector<std::string> notices;
  };
  const std::vector<std::string> help = {"------ Macro commands -------------", "Macro: list",
                                         "Macro: print macro_name"};
  Script_Line = -1;
  {
    Host_Report_Capture capture;  // nothing defined: nothing listed
    script_test::Tokens list{L"list"};
    EXPECT_EQ(W_Script_Macro_Script_Read(list.n, list.v), 1);
    EXPECT_EQ(capture.Count(quarn::msg::Notice), 0u);
  }
  Type_All({L"@first = a: b", L"@second = c: d"});
  const Case cases[] = {
      {{}, 0, help},
      {{L"help"}, 0, help},
      {{L"?"}, 0, help},
      {{L"LIST"}, 1, {"[1] @first", "[2] @second"}},
      {{L"list", L"extra"}, 1, {"ERROR: bad number of arguments", "\t-> Macro: list"}},
      {{L"print", L"@second"}, 1, {"c: d "}},
      {{L"print"}, 1, {"ERROR: bad number of arguments", "\t-> Macro: print macro_name"}},
      {{L"print", L"@absent"}, 1, {"ERROR: macro @absent is undefined", "Unknown macro"}},
      {{L"other"}, 0, {}},
  };
  for (const Case& c : cases) {
    Host_Report_Capture capture;
    script_test::Tokens args(c.args);
    EXPECT_EQ(W_Script_Macro_Script_Read(args.n, args.v), c.result);
    EXPECT_EQ(capture.Texts(quarn::msg::Notice), c.notices);
  }
}

TEST_F(ScriptMacro, CleanupKeepsNamesButNotContent) {
  Type_All({L"@keep = echo: k"});
  Script_Cleanup();
  EXPECT_EQ(W_Script_Macro_Replacement(L"@keep"), nullptr);
  Host_Report_Capture capture;
  EXPECT_EQ(Script_Read_Input(L"@keep"), 0);
  EXPECT_TRUE(capture.Contains("unable to locate macro @keep"));
  EXPECT_EQ(Printed(L"@keep"), (std::vector<std::string>{"Unknown macro"}));  // named, released
  capture.Clear();
  Type_All({L"@keep = echo: again", L"@keep"});
  EXPECT_EQ(Events(capture), (std::vector<std::string>{"> echo: again"}));
}

TEST_F(ScriptMacro, CleanupDuringADefinitionClosesIt) {
  Type_All({L"@open = for $i in ( 1 )"});
  Script_Cleanup();
  Host_Report_Capture capture;
  EXPECT_EQ(Script_Read_Input(L"echo: top"), 1);  // a top-level statement again
  EXPECT_EQ(Events(capture), (std::vector<std::string>{"> echo: top"}));
}

}  // namespace
