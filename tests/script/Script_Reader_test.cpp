// Typed lines through the reader: comments, help, statements, trees built across lines, the tree
// errors, and the error printers for command handlers.
#include "Script_Test_Support.h"

namespace {

using script_test::Events;

class ScriptReader : public script_test::Script_Fixture {};

TEST_F(ScriptReader, TypedLines) {
  struct Case {
    std::initializer_list<const wchar_t*> lines;
    std::vector<int> results;
    std::vector<std::string> events;
  };
  const Case cases[] = {
      // A comment line succeeds; an empty or "#"-only line is an empty line and fails.
      {{L"* note", L"", L"  # only a comment"}, {1, 0, 0}, {}},
      // Two equals signs are two words "=": the second word makes the statement an assignment
      // of a name without "$", which is refused before the words reach the host unchanged.
      {{L"echo: a==b x<3"}, {1},
       {"! ERROR: bad syntax for \"a\"", "! Variable name must start with \"$\"", "> echo: a = = b x<3"}},
      // Nothing runs before the "}" of a block typed over several lines.
      {{L"{", L"echo: 1", L"echo: 2", L"}"}, {1, 1, 1, 1}, {"> echo: 1", "> echo: 2"}},
      // An if header ignores the words after ")": the body is the next statement.
      {{L"if ( 1 ) echo: ignored", L"echo: body"}, {1, 1}, {"> echo: body"}},
      // An "else" after an executed top-level "if" has no if to attach to.
      {{L"if ( 0 )", L"echo: no", L"else", L"echo: never"}, {1, 1, 0, 1},
       {"! ERROR: mismatched if/else", "> echo: never"}},
      // A "}" with no open block.
      {{L"}"}, {0}, {"! ERROR: mismatched brackets"}},
      // Malformed headers print their usage and build nothing.
      {{L"for $i in 1 2 3 4", L"echo: after"}, {0, 1},
       {"! ERROR: Syntax error", "! for $VAR in ( values ) /vs/ for $i in 1 2 3 4", "> echo: after"}},
      {{L"if 1"}, {0}, {"! ERROR: Syntax error", "! if ( test ) /vs/ if 1"}},
      {{L"if ( 1"}, {0}, {"! ERROR: Syntax error", "! if ( test ) /vs/ if ( 1"}},
      // A refused statement makes the line fail; the next statements of the line still run.
      {{L"fail: x } echo: y"}, {0}, {"> fail: x", "! ERROR: mismatched brackets", "> echo: y"}},
      // A failed assignment.
      {{L"$e = $undefined_list"}, {1}, {"! ERROR: no variable found for ($undefined_list)"}},
  };
  for (const Case& c : cases) {
    Script_Cleanup();
    Host_Report_Capture capture;
    std::vector<int> results;
    for (const wchar_t* line : c.lines) results.push_back(Script_Read_Input(line));
    EXPECT_EQ(results, c.results) << "first line: " << *c.lines.begin();
    EXPECT_EQ(Events(capture), c.events) << "first line: " << *c.lines.begin();
  }
}

int g_help_calls = 0;
void Count_Help() { ++g_help_calls; }

TEST_F(ScriptReader, HelpLinesCallTheHelpPointer) {
  Fct_Script_Dispatch_Help = Count_Help;
  g_help_calls = 0;
  EXPECT_EQ(Script_Read_Input(L"?"), 1);
  EXPECT_EQ(Script_Read_Input(L"HeLp me"), 1);
  EXPECT_EQ(g_help_calls, 2);
  // Help abandons an open tree: the next "}" has nothing to close.
  EXPECT_EQ(Script_Read_Input(L"{"), 1);
  EXPECT_EQ(Script_Read_Input(L"help"), 1);
  Host_Report_Capture capture;
  EXPECT_EQ(Script_Read_Input(L"}"), 0);
  EXPECT_TRUE(capture.Contains("mismatched brackets"));
}

TEST_F(ScriptReader, FormatsItsArgumentsButNotTypedLines) {
  Host_Report_Capture capture;
  EXPECT_EQ(Script_Read_Input(L"echo: 100%d %ls"), 1);  // typed: "%" is text
  // Typed input names itself and has no line number.
  EXPECT_EQ(Script_Line, -1);
  EXPECT_STREQ(Script_Name, L"Input Line");
  EXPECT_EQ(Script_Read_Line(L"echo: %d %ls", 42, L"words"), 1);
  EXPECT_EQ(Events(capture), (std::vector<std::string>{"> echo: 100 % d % ls", "> echo: 42 words"}));
  std::wstring too_long(3000, L'x');
  EXPECT_EQ(Script_Read_Line(L"%ls", too_long.c_str()), 0);
  EXPECT_TRUE(capture.Contains("exceeds its limit"));
}

int g_flags_seen = 0;
int Flag_Dispatch(const wchar_t*, int*, wchar_t***) {
  g_flags_seen = Script_Flag_Get();
  return 1;
}

TEST_F(ScriptReader, ExecutionFlagWhileStatementsRun) {
  Fct_Script_Dispatch = Flag_Dispatch;
  Script_Flag_Set(0x4001);  // host bits survive
  EXPECT_EQ(Script_Read_Input(L"x: y"), 1);
  EXPECT_EQ(g_flags_seen, 0x4001 | SCRIPT_FLAG_EXECUTE);
  EXPECT_EQ(Script_Flag_Get(), 0x4001);
  Script_Flag_Set(0);
}

int Save_Ok(const wchar_t* name) { return name && std::wcscmp(name, L"out.qs") == 0; }

TEST_F(ScriptReader, WithoutHostPointersStatementsSucceedAndSavesFail) {
  Fct_Script_Dispatch = nullptr;
  EXPECT_EQ(Script_Read_Input(L"anything: at all"), 1);
  EXPECT_EQ(Script_Save_File(L"out.qs"), 0);
  EXPECT_EQ(Script_Save_Cuda(L"out.qs"), 0);
  Fct_Script_Dispatch_Save = Fct_Script_Dispatch_Cuda = Save_Ok;
  EXPECT_EQ(Script_Save_File(L"out.qs"), 1);
  EXPECT_EQ(Script_Save_Cuda(L"out.qs"), 1);
  Fct_Script_Dispatch_Save = Fct_Script_Dispatch_Cuda = nullptr;
}

TEST_F(ScriptReader, NestingIsLimited) {
  Host_Report_Capture capture;
  int refused = 0;
  for (int i = 0; i < 300; ++i) refused += Script_Read_Input(L"{") == 0;
  EXPECT_GT(refused, 0);
  EXPECT_TRUE(capture.Contains("statement nesting exceeds its limit"));
}

TEST(ScriptArgCheck, CountsAndRanges) {
  Host_Report_Capture capture;
  EXPECT_EQ(Script_Arg_Check("Macro: list", 1, 1), 1);
  EXPECT_EQ(capture.Count(), 0u);
  Script_Line = -1;
  EXPECT_EQ(Script_Arg_Check("Macro: list", 2, 1), 0);
  EXPECT_EQ(capture.Texts(quarn::msg::Notice),
            (std::vector<std::string>{"ERROR: bad number of arguments", "\t-> Macro: list"}));
  EXPECT_TRUE(capture.Contains("Macro: list -> (2 /vs/ 1)"));  // the trace line
  capture.Clear();
  EXPECT_EQ(Script_Arg_Check_Range(L"cmd:", 3, 1, 2), 0);
  EXPECT_TRUE(capture.Contains("cmd: -> (3 /vs/ (1|2))"));
  EXPECT_EQ(Script_Arg_Check_Range("cmd:", 2, 1, 2), 1);
  capture.Clear();
  // Reading a script: the file and line are named.
  std::wcscpy(Script_Name, L"test.qs");
  Script_Line = 7;
  EXPECT_EQ(Script_Arg_Check(L"cmd:", 0, 1), 0);
  EXPECT_EQ(capture.Texts(quarn::msg::Notice),
            (std::vector<std::string>{"ERROR: reading script !", "\tfile: test.qs", "\tline: 7",
                                      "\tbad number of arguments", "\t-> cmd:"}));
  Script_Line = -1;
}

TEST(ScriptArgError, DetailIsCut) {
  Host_Report_Capture capture;
  Script_Line = -1;
  Script_Arg_Error(2, "%s", std::string(100, 'd').c_str());
  EXPECT_TRUE(capture.Contains("ERROR: argument 2 is out of range"));
  EXPECT_TRUE(capture.Contains("-> (" + std::string(59, 'd') + ")"));
  EXPECT_FALSE(capture.Contains(std::string(60, 'd')));
}

TEST(ScriptError, TextAndArgumentsWithinTheBuffer) {
  Host_Report_Capture capture;
  Script_Line = -1;
  script_test::Tokens args{L"a", L"", L"c"};
  Script_Error("in variable assignement", args.n, args.v);
  EXPECT_EQ(capture.Texts(quarn::msg::Notice),
            (std::vector<std::string>{"ERROR: Syntax error", "\tin variable assignement a  c"}));
  capture.Clear();
  std::wstring word(600, L'w');
  script_test::Tokens many{word.c_str(), word.c_str(), word.c_str()};
  Script_Error(L"x", many.n, many.v);  // cut, never overflowing
  EXPECT_LT(capture.Texts(quarn::msg::Notice).back().size(), 1100u);
}

TEST(ScriptStool, JoinsUpToTheLimit) {
  Host_Report_Capture capture;
  script_test::Tokens args{L"a", L"b"};
  Script_Stool(0x84000406, L"title", L"pre:", args.n, args.v);
  Script_Stool(0x84000406, L"title", nullptr, args.n, args.v);
  std::wstring word(400, L'w');
  script_test::Tokens many{word.c_str(), word.c_str(), word.c_str(), word.c_str()};
  Script_Stool(0x84000406, L"t", nullptr, many.n, many.v);
  auto texts = capture.Texts(0x84000406);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], "title pre: a b");
  EXPECT_EQ(texts[1], "title a b");
  EXPECT_EQ(texts[2].size(), 1023u);  // the third word is cut at the buffer's end
}

}  // namespace
