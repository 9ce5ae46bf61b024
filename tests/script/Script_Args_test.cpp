// Normalisation of script lines, comment cutting, splitting into prefix and words, and the
// counted argument lists.
#include "Script_Test_Support.h"

#include <cstring>

namespace {

using script_test::Texts;
using script_test::Tokens;

std::wstring Normalise(const std::wstring& in, int size = 256) {
  std::vector<wchar_t> buf(size_t(size), 0);
  std::wcsncpy(buf.data(), in.c_str(), size_t(size) - 1);
  int n = Str_Strip_Special(buf.data(), size);
  if (n < 0) return L"<overflow>";
  EXPECT_EQ(size_t(n), std::wcslen(buf.data()));
  return buf.data();
}


TEST(StrStripSpecial, CharacterClasses) {
  struct Case {
    const wchar_t* in;
    const wchar_t* out;
  };
  const Case cases[] = {
      {L"a==b", L"a = = b"},                    // doubled operator: two words
      {L"x=!y", L"x = y"},                      // "!" is lost outside quotes
      {L"$a<3", L"$a<3"},                       // "<" joins its neighbours
      {L"$a < 3", L"$a < 3"},                   // ... unless blanks surround it
      {L"read:image c:\\x.dcm", L"read: image c:\\x.dcm"},  // module word cut, drive letter kept
      {L"1a:b", L"1a: b"},                      // a digit counts as a letter
      {L"c:x", L"c:x"},                         // one letter: a drive
      {L"-:x", L"- :x"},                        // a colon at position 1 has nothing two before
      {L"a{b}c", L"a\n{\nb\n}\nc"},             // braces become statements of their own
      {L"a;b", L"a\nb"},                        // a semicolon separates statements
      {L"a  \t b", L"a b"},                     // runs of blanks collapse
      {L"(1+2)*3", L"( 1 + 2 ) * 3"},           // operators spaced out
      {L"$x&y,z.w?v[1]\\_~|@m", L"$x&y,z.w?v[1]\\_~|@m"},  // joiners stay in the word
      {L"a'b^c#d!e", L"a b c d e"},             // other marks separate
      {L"\"a = b ; {c}\" d=e", L"\"a = b ; {c}\" d = e"},  // quoted text untouched
      {L"\u00e9t\u00e9=1", L"\u00e9t\u00e9 = 1"},         // accented letters are letters
      {L"   ", L""},                             // blanks only: empty
      {L"\r\n", L""},                            // a file's line end is a blank
      {L"= 1", L"= 1"},                          // no blank before an operator at the start
  };
  for (const Case& c : cases) EXPECT_EQ(Normalise(c.in), c.out) << "input: " << c.in;
}

TEST(StrStripSpecial, RefusesToCutALineThatGrows) {
  // "+" becomes " + ": 3 characters of input need 7 of output.
  EXPECT_EQ(Normalise(L"1+2", 8), L"1 + 2");
  Host_Report_Capture capture;
  EXPECT_EQ(Normalise(L"1+2+3", 8), L"<overflow>");
  EXPECT_TRUE(capture.Contains("exceeds its limit"));
}

TEST(ScriptStripComment, CutsOutsideQuotesOnly) {
  struct Case {
    const wchar_t* in;
    const wchar_t* out;
  };
  const Case cases[] = {
      {L"a # b", L"a "},
      {L"a ; b", L"a "},
      {L"\"a;b\" c;d", L"\"a;b\" c"},   // inside quotes the semicolon is text
      {L"\"a\" \"#\" # x", L"\"a\" \"#\" "},
      {L"\"open # x", L"\"open # x"},    // an odd quote count: inside to the end
      {L"#", L""},
  };
  for (const Case& c : cases) {
    std::wstring s = c.in;
    EXPECT_STREQ(Script_Strip_Comment(s.data()), c.out) << "input: " << c.in;
  }
}

TEST(ScriptArgsSplit, PrefixAndWords) {
  struct Case {
    const wchar_t* in;
    const wchar_t* prefix;
    Texts args;
  };
  const Case cases[] = {
      {L"", L"<none>", {}},                                    // empty statement
      {L" \t ", L"<none>", {}},                                // blanks only: nothing
      {L"read: image c:\\a.dcm", L"read:", {L"image", L"c:\\a.dcm"}},
      {L"a b: c d:", L"b:", {L"a", L"c", L"d:"}},               // first colon word, wherever it is
      {L"a\tb  c", L"<none>", {L"a", L"b", L"c"}},              // tabs separate too
  };
  for (const Case& c : cases) {
    std::wstring buf = c.in;
    Tokens t;
    const wchar_t* prefix = Script_Args_Split(buf.data(), &t.n, &t.v);
    EXPECT_STREQ(prefix ? prefix : L"<none>", c.prefix) << "input: " << c.in;
    EXPECT_EQ(t.Words(), c.args) << "input: " << c.in;
  }
  // A second split appends to the list of the first.
  Tokens t;
  wchar_t one[] = L"x: a", two[] = L"b c";
  Script_Args_Split(one, &t.n, &t.v);
  Script_Args_Split(two, &t.n, &t.v);
  EXPECT_EQ(t.Words(), (Texts{L"a", L"b", L"c"}));
}

TEST(ScriptArgs, RemoveClipsAndCloses) {
  struct Case {
    int first, n;
    Texts left;
  };
  const Case cases[] = {
      {1, 2, {L"a", L"d"}},                 // middle
      {2, 99, {L"a", L"b"}},                // n clipped to the end
      {-3, 1, {L"b", L"c", L"d"}},          // first clipped to 0
      {4, 1, {L"a", L"b", L"c", L"d"}},     // past the end: nothing
      {0, 0, {L"a", L"b", L"c", L"d"}},     // nothing to remove
  };
  for (const Case& c : cases) {
    Tokens t{L"a", L"b", L"c", L"d"};
    EXPECT_EQ(Script_Args_Remove(&t.n, &t.v, c.first, c.n), int(c.left.size()));
    EXPECT_EQ(t.Words(), c.left) << "first " << c.first << " n " << c.n;
    Script_Args_Remove(&t.n, &t.v, 0, t.n);
    EXPECT_EQ(t.v, nullptr);  // an empty list holds no array
  }
}

TEST(ScriptArgs, InsertCopiesOrTakesOwnershipAndClipsPosition) {
  Tokens t;
  wchar_t* first[] = {const_cast<wchar_t*>(L"a"), const_cast<wchar_t*>(L"")};
  wchar_t* second[] = {nullptr, const_cast<wchar_t*>(L"z")};
  EXPECT_EQ(Script_Args_Insert_Copy(&t.n, &t.v, 0, 2, first), 2);
  EXPECT_EQ(Script_Args_Insert_Copy(&t.n, &t.v, 50, 2, second), 4);  // past the end: appended
  EXPECT_EQ(Script_Args_Insert_Copy(&t.n, &t.v, -1, 1, first), 5);   // before the start: prepended
  EXPECT_EQ(t.Words(), (Texts{L"a", L"a", L"<null>", L"<null>", L"z"}));  // empty stored as null
  EXPECT_NE(t.v[0], first[0]);  // copies, not the given texts
  wchar_t* owned[] = {wcsdup(L"p")};
  EXPECT_EQ(Script_Args_Insert(&t.n, &t.v, 1, 1, owned), 6);
  EXPECT_EQ(t.v[1], owned[0]);  // taken as is; the list releases it (the sanitizer build checks)
}

// The narrow lists share the wide ones' code; one pass shows the entries are wired.
TEST(ScriptArgs, NarrowTwinsBehaveTheSame) {
  int n = 0;
  char** args = nullptr;
  char* texts[] = {const_cast<char*>("a"), const_cast<char*>("")};
  EXPECT_EQ(Script_Args_Insert_Copy(&n, &args, 0, 2, texts), 2);
  EXPECT_EQ(args[1], nullptr);
  char* owned[] = {strdup("b")};
  EXPECT_EQ(Script_Args_Insert(&n, &args, 1, 1, owned), 3);
  EXPECT_STREQ(args[1], "b");
  EXPECT_EQ(Script_Args_Remove(&n, &args, 0, n), 0);
  EXPECT_EQ(args, nullptr);
}

TEST(ScriptArgs, JoinSignsOnlyBeforeDigits) {
  struct Case {
    std::initializer_list<const wchar_t*> in;
    Texts out;
  };
  const Case cases[] = {
      {{L"-", L"5"}, {L"-5"}},
      {{L"a", L"+", L"12", L"-", L"x"}, {L"a", L"+12", L"-", L"x"}},  // "x" is no digit
      {{L"-", L"-", L"3"}, {L"-", L"-3"}},
      {{L"--", L"3"}, {L"--", L"3"}},                                   // only a lone sign
      {{L"-"}, {L"-"}},
  };
  for (const Case& c : cases) {
    Tokens t(c.in);
    EXPECT_EQ(Script_Args_Join_Signs(&t.n, &t.v), int(c.out.size()));
    EXPECT_EQ(t.Words(), c.out);
  }
}

}  // namespace
