// Identity, names, titles, validity reports and the traced lock of the class object base.
#include <quarn/quarn.h>

#include "core/Check.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(Quarn, IdsAreConsecutiveAcrossClasses) {
  Quarn a;
  Quarn_Buffer b;
  Quarn c;
  EXPECT_EQ(b.Class_UID_Get(), a.Class_UID_Get() + 1);
  EXPECT_EQ(c.Class_UID_Get(), b.Class_UID_Get() + 1);
  EXPECT_EQ(Quarn::UID_Next(), c.Class_UID_Get() + 1);
}

TEST(Quarn, NameLimitIs1023Characters) {
  Quarn q;
  std::wstring fits = std::wstring(1023, L'x');
  EXPECT_EQ(q.Name_Set(L"%ls", fits.c_str()), 1);
  EXPECT_EQ(std::wstring(q.Name_Get()), fits);
  std::wstring too_long = std::wstring(1024, L'x');
  EXPECT_EQ(q.Name_Set(L"%ls", too_long.c_str()), 0);
  EXPECT_STREQ(q.Name_Get(), L"no name");
  // The narrow setters share the limit.
  std::string narrow(1024, 'y');
  EXPECT_EQ(q.Title_Set("%s", narrow.c_str()), 0);
  EXPECT_STREQ(q.Title_Get(), "no title");
  EXPECT_EQ(q.Title_Set("%s", narrow.substr(1).c_str()), 1);
  EXPECT_EQ(q.Name_Set("%s", narrow.c_str()), 0);
  EXPECT_STREQ(q.Name_Get(), L"no name");
}

TEST(Quarn, NameCleanupReplacesUnprintableButKeepsStyleCodes) {
  struct Case {
    const wchar_t* in;
    const wchar_t* out;
  };
  const Case cases[] = {
      {L"a\x05" L"b", L"a_b"},          // colour 5 is not one of the kept codes
      {L"a\x01" L"b", L"a\x01" L"b"},   // blue switch passes
      {L"a\xF1" L"b", L"a\xF1" L"b"},   // bold switch passes
      {L"tab\there", L"tab_here"},      // control characters go
      {L"", L""},                       // empty stays empty
  };
  for (const Case& c : cases) {
    Quarn q;
    ASSERT_EQ(q.Name_Set(L"%ls", c.in), 1);
    EXPECT_STREQ(q.Name_Get(), c.out) << "input " << q.Name_Get();
  }
}

TEST(Quarn, NarrowNameSetConvertsUtf8) {
  // Printability follows the process locale; a UTF-8 one keeps the accented letter.
  std::string old = std::setlocale(LC_CTYPE, nullptr);
  ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
  Quarn q;
  ASSERT_EQ(q.Name_Set("Frame %d \xC3\xA9", 7), 1);
  EXPECT_STREQ(q.Name_Get(), L"Frame 7 \u00e9");
  ASSERT_EQ(q.Name_Set("a\x05" "b\xF1"), 1);  // a stray style byte stands for itself
  EXPECT_STREQ(q.Name_Get(), L"a_b\xF1");
  std::setlocale(LC_CTYPE, old.c_str());
}

TEST(Quarn, IndexedNameSetChoosesTableOrFallback) {
  wchar_t first[] = L"first %d";
  wchar_t second[] = L"second %d";
  wchar_t* table[] = {first, nullptr, second};
  struct Case {
    int index, count;
    wchar_t** table;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {1, 3, table, L"first 9"},       // index 1 is the table's first entry
      {3, 3, table, L"second 9"},      // last entry
      {0, 3, table, L"fallback 9"},    // below range
      {4, 3, table, L"fallback 9"},    // above count
      {2, 3, table, L"fallback 9"},    // null entry
      {1, 3, nullptr, L"fallback 9"},  // no table
  };
  for (const Case& c : cases) {
    Quarn q;
    ASSERT_EQ(q.Name_Set(c.index, c.count, c.table, L"fallback %d", 9), 1);
    EXPECT_STREQ(q.Name_Get(), c.expected) << "index " << c.index;
  }
}

TEST(Quarn, TracedAccessorsReportEntryAndExit) {
  Quarn q;
  q.Title_Set("T");
  q.Name_Set(L"N");
  Host_Report_Capture capture;
  q.Class_A_Set(5);
  const std::vector<std::string> expected = {">>> in  Class: Quarn::Class_A_Set(T,N)",
                                             "<<< out Class: Quarn::Class_A_Set()"};
  EXPECT_EQ(capture.Texts(quarn::msg::Class), expected);
}

TEST(Quarn, NestedLockTracesEachLevel) {
  Quarn q;
  q.Title_Set("Buffer");
  q.Name_Set(L"Work");
  Host_Report_Capture capture;
  q.Critical_Class_In("A::In");
  q.Critical_Class_In("B::In");
  EXPECT_EQ(q.Critical_Class_Depth(), 2);
  q.Critical_Class_Out("B::Out");
  q.Critical_Class_Out("A::Out");
  EXPECT_EQ(q.Critical_Class_Depth(), 0);
  auto lines = capture.Texts(quarn::msg::Object_Lock);
  ASSERT_EQ(lines.size(), 4u);
  const std::string down = "▼4▼▼▼▼ Class ▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼▼";
  const std::string up = "▲4▲▲▲▲ Class ▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲▲";
  EXPECT_EQ(lines[0], down + " 1 ▼▼▼▼▼▼▼▼ (Buffer,Work) \"A::In\"");
  EXPECT_EQ(lines[1], down + " 1 ▼▼▼▼▼▼▼▼ 2 ▼▼▼▼▼▼▼▼ (Buffer,Work) \"B::In\"");
  EXPECT_EQ(lines[2], up + " 1 ▲▲▲▲▲▲▲▲ 2 ▲▲▲▲▲▲▲▲ (Buffer,Work) \"B::Out\"");
  EXPECT_EQ(lines[3], up + " 1 ▲▲▲▲▲▲▲▲ (Buffer,Work) \"A::Out\"");
  // The lock is free again: another thread takes it at once.
  bool entered = false;
  std::thread other([&] {
    q.Critical_Class_In("other");
    entered = true;
    q.Critical_Class_Out("other");
  });
  other.join();
  EXPECT_TRUE(entered);
}

TEST(Quarn, OutWithoutTheLockWarnsAndDoesNotUnlock) {
  Quarn q;
  {
    Host_Report_Capture capture;
    q.Critical_Class_Out(nullptr);
    const std::vector<std::string> expected = {
        "WARNING: called Quarn::Critical_Class_Out(---) while not in a critical section!"};
    EXPECT_EQ(capture.Texts(quarn::msg::Object_Lock), expected);
  }
  q.Critical_Class_In("holder");
  Host_Report_Capture capture;
  std::thread other([&] { q.Critical_Class_Out("intruder"); });
  other.join();
  EXPECT_EQ(q.Critical_Class_Depth(), 1);
  EXPECT_TRUE(capture.Contains("Critical_Class_Out(intruder) while not in a critical section"));
  q.Critical_Class_Out("holder");
}

TEST(Quarn, LockSerialisesThreads) {
  Quarn q;
  long counter = 0;
  auto work = [&] {
    for (int i = 0; i < 2000; ++i) {
      q.Critical_Class_In("inc");
      q.Critical_Class_In("nested");
      ++counter;
      q.Critical_Class_Out("nested");
      q.Critical_Class_Out("inc");
    }
  };
  std::thread a(work), b(work), c(work);
  for (std::thread* t : {&a, &b, &c}) t->join();
  EXPECT_EQ(counter, 6000);
  EXPECT_EQ(q.Critical_Class_Depth(), 0);
}

TEST(QuarnCheck, ReportsByFamily) {
  Quarn_Buffer buffer;  // magic 0xAFBF, class A 0
  buffer.Title_Set("Buffer");
  buffer.Name_Set(L"B");
  struct Case {
    const char* what;
    const quarn::Family& family;
    std::vector<std::string> expected;  // class-2 lines without the file line
  };
  const Case cases[] = {
      // right family: silent
      {"buffer", quarn::family::Buffer, {}},
      // 1D nodes share the magic: silent
      {"1D", quarn::family::Class_1D, {}},
      // 1D data also checks class A and adds the detail line
      {"1D data", quarn::family::Data_1D,
       {"Invalid 1D data structure in L", "-> type:Buffer, name:B"}},
      // 2D nodes: wrong magic, no detail line
      {"2D", quarn::family::Class_2D, {"Invalid 2D class structure in L"}},
      // frames: wrong magic and wrong class A, each with detail
      {"frame", quarn::family::Frame,
       {"Invalid frame class structure in L", "-> type:Buffer, name:B",
        "Invalid frame structure in L", "-> type:Buffer, name:B"}},
  };
  for (const Case& c : cases) {
    Host_Report_Capture capture;
    EXPECT_EQ(quarn::Check(&buffer, c.family, "L", "unit.cpp", 42), 1) << c.what;
    std::vector<std::string> got;
    for (const auto& t : capture.Texts(quarn::msg::Invalid))
      if (t != "file:unit.cpp line:42") got.push_back(t);
    EXPECT_EQ(got, c.expected) << c.what;
    EXPECT_EQ(capture.Count(quarn::msg::Invalid), got.size() + (got.empty() ? 0 : c.expected.size() > 2 ? 2 : 1)) << c.what;
  }
}

TEST(QuarnCheck, NullPointerReportsAndStops) {
  Host_Report_Capture capture;
  EXPECT_EQ(quarn::Check(nullptr, quarn::family::Class_2D, "Quarn_2D::Flag_Get_Bit", "f.cpp", 7), 0);
  const std::vector<std::string> expected = {"Invalid 2D class pointer in Quarn_2D::Flag_Get_Bit",
                                             "file:f.cpp line:7"};
  EXPECT_EQ(capture.Texts(quarn::msg::Invalid), expected);
}

TEST(QuarnCheck, NullBufferOperationsReportAndReturnNeutral) {
  Quarn_Buffer* volatile none = nullptr;  // volatile: the compiler must not see the null
  Host_Report_Capture capture;
  EXPECT_EQ(none->Data_Get(), nullptr);
  EXPECT_EQ(none->Size_Get(), 0u);
  EXPECT_EQ(none->Matrix_Get_X(), 0);
  EXPECT_TRUE(capture.Contains("Invalid buffer pointer in Quarn_Buffer::Data_Get"));
  EXPECT_TRUE(capture.Contains("Invalid buffer pointer in Quarn_Buffer::Matrix_Get_X"));
}

TEST(StrCleanup, NarrowAndWide) {
  char narrow[] = "ok\x7f\x02\xF1!";
  Fct_Str_Cleanup(narrow);
  EXPECT_STREQ(narrow, "ok_\x02\xF1!");
  wchar_t wide[] = L"\u25BC\x1b\x04";
  Fct_Str_Cleanup(wide);
  EXPECT_EQ(wide[1], L'_');
  EXPECT_EQ(wide[2], L'\x04');
  char empty[] = "";
  EXPECT_EQ(Fct_Str_Cleanup(empty), empty);
}

// Regression: the clean-up followed the process locale, and the "C" locale takes every letter
// beyond ASCII for unprintable, so a patient "José" became "Jos_" (and in UTF-8 "Jos__").
TEST(StrCleanup, LettersBeyondAsciiStayWhateverTheLocale) {
  wchar_t wide[] = L"Jos\u00E9 \u25BC\u00B2 \x85\xD800\xFFFF\xF1\x9F";
  Fct_Str_Cleanup(wide);
  EXPECT_EQ(std::wstring(wide), L"Jos\u00E9 \u25BC\u00B2 ___\xF1_");
  // UTF-8: whole characters stay, a character that is a control code and stray bytes go; the
  // style bytes 0xF0-0xF2 on their own stay even though they can begin a 4-byte character.
  char narrow[] = "Jos\xC3\xA9 \xF0\x9F\x98\x80 \xC2\x85 \xE9\xF1\x04 \xC3";
  Fct_Str_Cleanup(narrow);
  EXPECT_STREQ(narrow, "Jos\xC3\xA9 \xF0\x9F\x98\x80 __ _\xF1\x04 _");
}

}  // namespace
