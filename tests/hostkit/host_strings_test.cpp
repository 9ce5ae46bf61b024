// Wild-card matching, in-place text editing, tokens and byte-count texts of the host kit.
#include <hostkit/HostUtil.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(HostStrMatch, WildCardTable) {
  struct Case { const wchar_t* text; const wchar_t* pattern; int match; };
  const Case cases[] = {
      {L"abc", L"abc", 1},            // no wild card: the same text
      {L"abc", L"abC", 0},            // case counts
      {L"abc", L"ab", 0},             // a prefix is not the text
      {L"ab", L"abc", 0},             // nor is a longer pattern
      {L"", L"", 1},                  // empty matches empty
      {L"", L"*", 1},                 // a star may take nothing
      {L"", L"?", 0},                 // a question mark needs one character
      {L"abc", L"*", 1},
      {L"abc", L"a*", 1},
      {L"abc", L"*c", 1},
      {L"abc", L"*b*", 1},
      {L"abc", L"a*b*c", 1},          // stars between every letter, each taking nothing
      {L"abc", L"a?c", 1},
      {L"abc", L"a??c", 0},
      {L"abc", L"???", 1},
      {L"abc", L"????", 0},
      {L"abcbd", L"a*b?", 1},         // the first "b" fails, the star must take more
      {L"abcbd", L"a*bc", 0},
      {L"mississippi", L"m*iss*ppi", 1},
      {L"mississippi", L"m*iss*ppx", 0},
      {L"a*b", L"a*b", 1},            // a star in the text is just a character
      {L"Frame z=12", L"Frame z=1?", 1},
      {L"Frame z=12", L"Frame*t=*", 0},
      {L"x", L"**x**", 1},            // runs of stars act as one
      {L"ab", L"*?*?*", 1},
      {L"a", L"*?*?*", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Host_Str_Match(c.text, c.pattern), c.match) << "'" << Host_Wide_To_Char(c.text)
                                                         << "' vs '" << Host_Wide_To_Char(c.pattern) << "'";
    // The narrow form agrees on ASCII.
    std::string text = Host_Wide_To_Char(c.text), pattern = Host_Wide_To_Char(c.pattern);
    EXPECT_EQ(Host_Str_Match(text.c_str(), pattern.c_str()), c.match) << text << " vs " << pattern;
  }
}

TEST(HostStrMatch, NullNeverMatches) {
  EXPECT_EQ(Host_Str_Match((const wchar_t*)nullptr, L"*"), 0);
  EXPECT_EQ(Host_Str_Match(L"a", (const wchar_t*)nullptr), 0);
  EXPECT_EQ(Host_Str_Match((const char*)nullptr, (const char*)nullptr), 0);
}

TEST(HostStrMatch, NarrowQuestionMarkTakesOneWholeCharacter) {
  EXPECT_EQ(Host_Str_Match("caf\xC3\xA9", "caf?"), 1);            // é is two bytes
  EXPECT_EQ(Host_Str_Match("\xE2\x82\xAC", "??"), 0);             // € is one character of three
  EXPECT_EQ(Host_Str_Match("\xE2\x82\xAC", "*??"), 0);            // nor may a star split it
  EXPECT_EQ(Host_Str_Match("a\xE2\x82\xAC" "b", "*?b"), 1);
  EXPECT_EQ(Host_Str_Match("\xE2\x82\xAC" "XZ", "*??X*"), 0);      // a retry starts on a whole character
  EXPECT_EQ(Host_Str_Match("\xFF" "a", "?a"), 1);                 // a stray byte is one character
}

TEST(HostStrMatch, ManyStarsStayPolynomial) {
  // Backtracking into every star would take about 20000^8 steps here; the test would time out.
  std::wstring text(20000, L'a');
  EXPECT_EQ(Host_Str_Match(text.c_str(), L"*a*a*a*a*a*a*a*b"), 0);
  text += L'b';
  EXPECT_EQ(Host_Str_Match(text.c_str(), L"*a*a*a*a*a*a*a*b"), 1);
  std::string narrow(20000, 'a');
  EXPECT_EQ(Host_Str_Match(narrow.c_str(), "*a*a*a*a*a*a*a*b"), 0);
}

TEST(HostStrEdit, StripQuotesAndSpacesTable) {
  struct Case {
    const wchar_t* in;
    const wchar_t* quotes;  // after Host_Str_Strip_Quotes
    const wchar_t* spaces;  // after Host_Str_Strip_Spaces
  };
  const Case cases[] = {
      {L"\"a b\"", L"a b", L"\"a b\""},
      {L"\"\"", L"", L"\"\""},               // an empty quoted text
      {L"\"", L"\"", L"\""},                 // one quote is no pair
      {L"\"a", L"\"a", L"\"a"},
      {L"\"\"a\"\"", L"\"a\"", L"\"\"a\"\""}, // only one pair goes
      {L" \t a b \t\r\n", L" \t a b \t\r\n", L"a b"},
      {L" \"a\" ", L" \"a\" ", L"\"a\""},    // quotes inside blanks stay: blanks first
      {L"   ", L"   ", L""},
      {L"", L"", L""},
  };
  for (const Case& c : cases) {
    std::wstring q = c.in, s = c.in;
    EXPECT_STREQ(Host_Str_Strip_Quotes(q.data()), c.quotes) << Host_Wide_To_Char(c.in);
    EXPECT_STREQ(Host_Str_Strip_Spaces(s.data()), c.spaces) << Host_Wide_To_Char(c.in);
  }
  EXPECT_EQ(Host_Str_Strip_Quotes(nullptr), nullptr);
  EXPECT_EQ(Host_Str_Strip_Spaces(nullptr), nullptr);
}

TEST(HostStrEdit, LowerCaseCoversNonAscii) {
  std::wstring text = L"AbC \u00C9T\u00C9 \u0394 1-_";
  EXPECT_STREQ(Host_Str_To_Lower(text.data()), L"abc \u00E9t\u00E9 \u03B4 1-_");
  EXPECT_EQ(Host_Str_To_Lower(nullptr), nullptr);
}

std::vector<std::wstring> Tokens(std::wstring text, const wchar_t* separators) {
  std::vector<std::wstring> out;
  wchar_t* state = nullptr;
  for (wchar_t* t = Host_Str_Tokenize(text.data(), separators, &state); t;
       t = Host_Str_Tokenize(nullptr, separators, &state))
    out.emplace_back(t);
  return out;
}

TEST(HostStrEdit, TokenizeTable) {
  using V = std::vector<std::wstring>;
  EXPECT_EQ(Tokens(L"set: $A 12", L" \t"), (V{L"set:", L"$A", L"12"}));
  EXPECT_EQ(Tokens(L" \t a \t\t b ", L" \t"), (V{L"a", L"b"}));  // runs of separators are one
  EXPECT_EQ(Tokens(L"a,b;;c", L",;"), (V{L"a", L"b", L"c"}));
  EXPECT_EQ(Tokens(L"a b", nullptr), (V{L"a", L"b"}));           // default: blank and tab
  EXPECT_EQ(Tokens(L"   ", L" "), V{});
  EXPECT_EQ(Tokens(L"", L" "), V{});
  // Two texts tokenised at once keep their own positions.
  std::wstring a = L"1 2", b = L"x y";
  wchar_t *sa = nullptr, *sb = nullptr;
  EXPECT_STREQ(Host_Str_Tokenize(a.data(), L" ", &sa), L"1");
  EXPECT_STREQ(Host_Str_Tokenize(b.data(), L" ", &sb), L"x");
  EXPECT_STREQ(Host_Str_Tokenize(nullptr, L" ", &sa), L"2");
  EXPECT_STREQ(Host_Str_Tokenize(nullptr, L" ", &sb), L"y");
  EXPECT_EQ(Host_Str_Tokenize(nullptr, L" ", &sa), nullptr);
  EXPECT_EQ(Host_Str_Tokenize(nullptr, L" ", &sa), nullptr);     // and stays at the end
}

TEST(HostBytesToText, UnitsAndRounding) {
  struct Case { uint64_t bytes; const wchar_t* text; };
  const Case cases[] = {
      {0, L"0 B"},
      {1023, L"1023 B"},
      {1024, L"1.00 KB"},
      {1536, L"1.50 KB"},
      {1048575, L"1.00 MB"},            // would be "1024.00 KB" if the unit ignored rounding
      {3407872, L"3.25 MB"},
      {1073741824, L"1.00 GB"},
      {1099511627776ull * 5, L"5.00 TB"},
      {UINT64_MAX, L"16.00 EB"},
  };
  wchar_t buffer[64];
  for (const Case& c : cases) EXPECT_STREQ(Host_Bytes_To_Text(c.bytes, buffer), c.text) << c.bytes;
  EXPECT_EQ(Host_Bytes_To_Text(1, nullptr), nullptr);
}

}  // namespace
