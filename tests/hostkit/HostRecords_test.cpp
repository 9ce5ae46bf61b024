// Name, date and time records: parsing of file texts, display texts and the orderings.
#include <hostkit/HostRecords.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

Host_Name_Record Name(const char* text) {
  Host_Name_Record n{};
  EXPECT_EQ(Host_Name_Set(&n, text), 1) << text;
  return n;
}

struct Stamp {
  const char* date;
  const char* time;
  Host_Date_Record d{};
  Host_Time_Record t{};
};

// Every pair of a strictly increasing list must compare by position: a total, antisymmetric order.
template <class T, class Compare>
void Expect_Strictly_Ordered(const std::vector<T>& v, Compare compare) {
  for (size_t i = 0; i < v.size(); ++i)
    for (size_t j = 0; j < v.size(); ++j) {
      int want = i < j ? -1 : i > j ? 1 : 0;
      EXPECT_EQ(compare(v[i], v[j]), want) << i << " vs " << j;
    }
}

TEST(HostRecords, TimeStampsOrderByDateThenTimeWithUnrecordedFirst) {
  std::vector<Stamp> stamps = {
      {"", ""},                          // nothing recorded
      {"", "000000"},                    // a time without a date
      {"", "235959"},
      {"19991231", ""},                  // a date without a time comes before its times
      {"19991231", "235959.999999"},
      {"20000101", "000000"},
      {"20000101", "000000.000001"},     // one microsecond later
      {"20000101", "0001"},
      {"20000101", "13:30:00"},
      {"20000102", "00"},
      {"20000201", "00"},                // months weigh more than days
      {"20010101", "00"},                // years more than months
  };
  for (Stamp& s : stamps) {
    ASSERT_EQ(Host_Date_Set(&s.d, s.date), 1) << s.date;
    ASSERT_EQ(Host_Time_Set(&s.t, s.time), 1) << s.time;
  }
  Expect_Strictly_Ordered(stamps, [](const Stamp& a, const Stamp& b) {
    return Host_Time_Compare(&a.d, &a.t, &b.d, &b.t);
  });
  // Null records count as unrecorded.
  EXPECT_EQ(Host_Time_Compare(static_cast<const Host_Date_Record*>(nullptr), &stamps[0].d), 0);
  EXPECT_EQ(Host_Time_Compare(nullptr, nullptr, &stamps[3].d, nullptr), -1);
}

TEST(HostRecords, NamesOrderComponentByComponentIgnoringCase) {
  std::vector<Host_Name_Record> names = {
      Name(""),
      Name("Adams"),
      Name("Adams^Beth"),
      Name("adams^beth^c"),     // a middle name follows its absence
      Name("Adams^Beth^C^Dr"),
      Name("Adamson"),          // a longer family name after its prefix
      Name("Baker^Al"),
  };
  Expect_Strictly_Ordered(names, [](const Host_Name_Record& a, const Host_Name_Record& b) {
    return Host_Name_Compare(&a, &b);
  });
  Host_Name_Record upper = Name("DOE^JOHN"), lower = Name("doe^john  "), other = Name("Doe^Jon");
  EXPECT_EQ(Host_Name_Compare(&upper, &lower), 0);
  EXPECT_NE(Host_Name_Compare(&upper, &other), 0);
  EXPECT_EQ(Host_Name_Compare(nullptr, &upper), -1);
}

TEST(HostRecords, NameTextJoinsThePresentParts) {
  struct Case { const char* in; const char* text; };
  const Case cases[] = {
      {"Doe^John", "Doe, John"},
      {"Doe", "Doe"},
      {"Doe^John^Quincy^Dr^Jr", "Dr Doe, John Quincy, Jr"},
      {"^John", "John"},                      // no family name
      {" Doe ^ John ", "Doe, John"},          // padding blanks dropped
      {"Yamada^Tarou=\xE5\xB1\xB1\xE7\x94\xB0^\xE5\xA4\xAA\xE9\x83\x8E", "Yamada, Tarou"},  // first group
      {"M\xC3\xBCller^J\xC3\xBCrgen", "M\xC3\xBCller, J\xC3\xBCrgen"},  // UTF-8 kept
      {"", ""},
  };
  for (const Case& c : cases) {
    Host_Name_Record n = Name(c.in);
    EXPECT_STREQ(Host_Name_Text(&n), c.text) << c.in;
  }
  EXPECT_STREQ(Host_Name_Text(nullptr), "");
}

TEST(HostRecords, NameSetRefusesWhatItCannotHold) {
  Host_Name_Record n = Name("Keep^Me");
  std::string long_part(HOST_NAME_PART, 'x');
  EXPECT_EQ(Host_Name_Set(&n, long_part.c_str()), 0);  // one byte too long with its terminator
  EXPECT_EQ(Host_Name_Set(&n, "a^b^c^d^e^f"), 0);      // six components
  EXPECT_EQ(Host_Name_Set(&n, nullptr), 0);
  EXPECT_STREQ(Host_Name_Text(&n), "Keep, Me");         // unchanged by the refusals
  EXPECT_EQ(Host_Name_Set(&n, long_part.substr(1).c_str()), 1);
}

TEST(HostRecords, DateParsing) {
  struct Case { const char* in; int ok; int year = 0, month = 0, day = 0; };
  const Case cases[] = {
      {"20240229", 1, 2024, 2, 29},   // leap day
      {"2000.02.29", 1, 2000, 2, 29}, // dotted form; 2000 is a leap year
      {" 19700101 ", 1, 1970, 1, 1},  // padding blanks
      {"20230229", 0},                // no leap day in 2023
      {"19000229", 0},                // nor in 1900
      {"20241301", 0},                // month 13
      {"20240431", 0},                // April has 30 days
      {"20240100", 0},                // day 0
      {"2024011", 0},                 // too short
      {"2024-01-01", 0},              // not a file form
      {"2024O101", 0},                // a letter
  };
  for (const Case& c : cases) {
    Host_Date_Record d{1, 5, 5, 0, 1999};
    EXPECT_EQ(Host_Date_Set(&d, c.in), c.ok) << c.in;
    if (c.ok)
      EXPECT_EQ((std::vector<int>{d.set, d.year, d.month, d.day}),
                (std::vector<int>{1, c.year, c.month, c.day})) << c.in;
    else
      EXPECT_EQ(d.year, 1999) << c.in;  // left as it was
  }
  Host_Date_Record d{};
  ASSERT_EQ(Host_Date_Set(&d, "20240101"), 1);
  EXPECT_EQ(Host_Date_Set(&d, ""), 1);
  EXPECT_EQ(d.set, 0);
}

TEST(HostRecords, TimeParsing) {
  struct Case { const char* in; int ok; int h = 0, m = 0, s = 0; unsigned us = 0; };
  const Case cases[] = {
      {"07", 1, 7, 0, 0, 0},
      {"0730", 1, 7, 30, 0, 0},
      {"073015", 1, 7, 30, 15, 0},
      {"073015.5", 1, 7, 30, 15, 500000},       // fraction scaled to microseconds
      {"073015.000123", 1, 7, 30, 15, 123},
      {"07:30:15.25", 1, 7, 30, 15, 250000},    // separated form
      {"07:30", 1, 7, 30, 0, 0},
      {"235960", 1, 23, 59, 60, 0},             // leap second
      {"240000", 0},                            // hour 24
      {"076000", 0},                            // minute 60
      {"073015.1234567", 0},                    // seven fraction digits
      {"0730.5", 0},                            // a fraction without seconds
      {"7:30", 0},                              // one-digit field
      {"07:30:", 0},
      {"073", 0},
      {"07a0", 0},
  };
  for (const Case& c : cases) {
    Host_Time_Record t{1, 9, 9, 9, 9};
    EXPECT_EQ(Host_Time_Set(&t, c.in), c.ok) << c.in;
    if (c.ok)
      EXPECT_EQ((std::vector<long>{t.hour, t.minute, t.second, long(t.microsecond)}),
                (std::vector<long>{c.h, c.m, c.s, long(c.us)})) << c.in;
    else
      EXPECT_EQ(t.hour, 9) << c.in;
  }
}

TEST(HostRecords, TimeTextShowsWhatIsRecorded) {
  struct Case { const char* date; const char* time; const char* text; };
  const Case cases[] = {
      {"20240305", "143005", "2024-03-05 14:30:05"},
      {"20240305", "", "2024-03-05"},
      {"", "143005.25", "14:30:05.25"},     // trailing zeros of the fraction dropped
      {"", "000000.000001", "00:00:00.000001"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    Host_Date_Record d{};
    Host_Time_Record t{};
    ASSERT_EQ(Host_Date_Set(&d, c.date), 1);
    ASSERT_EQ(Host_Time_Set(&t, c.time), 1);
    EXPECT_STREQ(Host_Time_Text(&d, &t), c.text);
  }
  Host_Date_Record d{};
  Host_Date_Set(&d, "19451108");
  EXPECT_STREQ(Host_Time_Text(&d, nullptr), "1945-11-08");
}

TEST(HostRecords, TimeHoursIsTheTimeOfDayInHours) {
  struct Case { const char* in; int status; float hours; };
  const Case cases[] = {
      {"133000", 1, 13.5f},
      {"000000", 1, 0.0f},       // midnight is recorded, so status 1
      {"000036", 1, 0.01f},
      {"235959.999999", 1, 24.0f},
      {"", 0, 0.0f},
  };
  for (const Case& c : cases) {
    Host_Time_Record t{};
    ASSERT_EQ(Host_Time_Set(&t, c.in), 1);
    float h = -1;
    EXPECT_EQ(Host_Time_Hours(&t, &h), c.status) << c.in;
    EXPECT_NEAR(h, c.hours, 1e-5) << c.in;
  }
  float h = -1;
  EXPECT_EQ(Host_Time_Hours(nullptr, &h), 0);
  EXPECT_EQ(h, 0.0f);
}

}  // namespace
