// Typed lines through the reader: comments, help, statements, trees built across lines, prefix
// carrying, sign joining, the tree errors, and the error printers for command handlers.
#include "Script_Test_Support.h"

#include <cstdio>
#include <fstream>

namespace {

using script_test::Events;

struct Session {
  std::vector<int> results;
  std::vector<std::string> events;
};

Session Type(std::initializer_list<const wchar_t*> lines) {
  Host_Report_Capture capture;
  Session s;
  for (const wchar_t* line : lines) s.results.push_back(Script_Read_Input(line));
  s.events = Events(capture);
  return s;
}

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
      // A module word of two letters or more is the prefix, lower-cased; the rest are words.
      {{L"ECHO: alpha  beta"}, {1}, {"> echo: alpha beta"}},
      // ";" starts a comment outside quotes only.
      {{L"echo: a ; echo: b", L"echo: \"a;b\" c"}, {1, 1}, {"> echo: a", "> echo: \"a;b\" c"}},
      // Two equals signs are two words "=": the second word makes the statement an assignment
      // of a name without "$", which is refused before the words reach the host unchanged.
      {{L"echo: a==b x<3"}, {1},
       {"! ERROR: bad syntax for \"a\"", "! Variable name must start with \"$\"", "> echo: a = = b x<3"}},
      // "<" joins its neighbours.
      {{L"echo: x<3 y"}, {1}, {"> echo: x<3 y"}},
      // A drive letter stays joined to its path.
      {{L"read: image c:\\data\\a.dcm"}, {1}, {"> read: image c:\\data\\a.dcm"}},
      // Without a prefix a statement goes to the previous statement's module.
      {{L"move: 1", L"2 3"}, {1, 1}, {"> move: 1", "> move: 2 3"}},
      // A lone sign before a number becomes one negative word.
      {{L"move: - 5 x"}, {1}, {"> move: -5 x"}},
      // Three words with an operator second are computed; a lone word is expanded.
      {{L"echo: 2 * 3 + 1", L"$v = a b", L"echo: $v", L"echo: $v z"}, {1, 1, 1, 1},
       {"> echo: 8", "> echo: a b", "> echo: $v z"}},
      // Braces make statements of their own on one line; the block runs when it closes.
      {{L"{ echo: a } echo: b"}, {1}, {"> echo: a", "> echo: b"}},
      // Nothing runs before the "}" of a block typed over several lines.
      {{L"{", L"echo: 1", L"echo: 2", L"}"}, {1, 1, 1, 1}, {"> echo: 1", "> echo: 2"}},
      // Loop of three values over a block of two statements.
      {{L"for $i in ( x y z )", L"{", L"echo: a $i", L"echo: b$i", L"}"}, {1, 1, 1, 1, 1},
       {"> echo: a $i", "> echo: bx", "> echo: a $i", "> echo: by", "> echo: a $i", "> echo: bz"}},
      // An if header ignores the words after ")": the body is the next statement.
      {{L"if ( 1 ) echo: ignored", L"echo: body"}, {1, 1}, {"> echo: body"}},
      // if/else inside a block; the test is computed.
      {{L"{", L"$n = 5", L"if ( $n < 3 )", L"echo: small", L"else", L"echo: large", L"}"},
       {1, 1, 1, 1, 1, 1, 1}, {"> echo: large"}},
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
    Session s = Type(c.lines);
    EXPECT_EQ(s.results, c.results) << "first line: " << *c.lines.begin();
    EXPECT_EQ(s.events, c.events) << "first line: " << *c.lines.begin();
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

TEST_F(ScriptReader, PercentInATypedLineIsText) {
  Host_Report_Capture capture;
  EXPECT_EQ(Script_Read_Input(L"echo: 100%d %ls"), 1);
  EXPECT_EQ(Events(capture), (std::vector<std::string>{"> echo: 100 % d % ls"}));
}

TEST_F(ScriptReader, FormatsItsArguments) {
  Host_Report_Capture capture;
  EXPECT_EQ(Script_Read_Line(L"echo: %d %ls", 42, L"words"), 1);
  EXPECT_EQ(Events(capture), (std::vector<std::string>{"> echo: 42 words"}));
  std::wstring too_long(3000, L'x');
  EXPECT_EQ(Script_Read_Line(L"%ls", too_long.c_str()), 0);
  EXPECT_TRUE(capture.Contains("exceeds its limit"));
}

TEST_F(ScriptReader, LineCountersOfTypedInput) {
  EXPECT_EQ(Script_Read_Input(L"echo: x"), 1);
  EXPECT_EQ(Script_Line, -1);
  EXPECT_STREQ(Script_Name, L"Input Line");
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

TEST_F(ScriptReader, WithoutDispatcherStatementsSucceed) {
  Fct_Script_Dispatch = nullptr;
  EXPECT_EQ(Script_Read_Input(L"anything: at all"), 1);
}

int g_saved = 0;
int Save_Ok(const wchar_t* name) { return (g_saved = name && std::wcscmp(name, L"out.qs") == 0) ? 1 : 0; }

TEST_F(ScriptReader, SaveEntriesCallTheHost) {
  EXPECT_EQ(Script_Save_File(L"out.qs"), 0);  // no writer
  EXPECT_EQ(Script_Save_Cuda(L"out.qs"), 0);
  Fct_Script_Dispatch_Save = Save_Ok;
  Fct_Script_Dispatch_Cuda = Save_Ok;
  EXPECT_EQ(Script_Save_File(L"out.qs"), 1);
  EXPECT_EQ(Script_Save_Cuda(L"out.qs"), 1);
  Fct_Script_Dispatch_Save = nullptr;
  Fct_Script_Dispatch_Cuda = nullptr;
}

TEST_F(ScriptReader, StatementsReadIntoATreeBeforeRunning) {
  // The builder returns the root only once the tree is complete.
  script_test::Tokens open{L"{"}, body{L"a"}, close{L"}"};
  EXPECT_EQ(Script_Read_Line_2(nullptr, nullptr, open.n, open.v), nullptr);
  EXPECT_EQ(Script_Read_Line_2(nullptr, L"echo:", body.n, body.v), nullptr);
  W_Script_Statements* root = Script_Read_Line_2(nullptr, nullptr, close.n, close.v);
  ASSERT_NE(root, nullptr);
  EXPECT_TRUE(root->is_root);
  EXPECT_TRUE(root->is_immediate);
  ASSERT_EQ(root->nb_lines, 1);
  W_Script_Statements* block = root->child[0];
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->parent, root);
  ASSERT_EQ(block->nb_lines, 1);
  EXPECT_STREQ(block->key[0], L"echo:");
  EXPECT_STREQ(block->pt_arg[0][0], L"a");
  // A plain statement alone completes at once; a prefix-less, argument-less one does nothing.
  script_test::Tokens plain{L"b"};
  EXPECT_NE(Script_Read_Line_2(nullptr, L"x:", plain.n, plain.v), nullptr);
  EXPECT_EQ(Script_Read_Line_2(nullptr, nullptr, 0, nullptr), nullptr);
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
