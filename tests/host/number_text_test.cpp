// Number texts: the decimals chosen at every magnitude edge, the decimal mark, every unit of the
// default tables with its label, and values that do not fit.
#include "host/Services_Host.h"

#include <cmath>
#include <limits>
#include <string>
#include <thread>

namespace services_test {
namespace {

class Number_Text : public Services_Host {};

TEST_F(Number_Text, DecimalsFollowTheMagnitudeAtEveryEdge) {
  struct Row {
    double value;
    const char* text;
  };
  const Row rows[] = {
      {0.0, "0"},                      // zero
      {-0.0, "0"},                     // negative zero has no sign
      {1e-12, "0"},                    // below 2^-39
      {std::ldexp(1.0, -39), "1.819e-12"},  // 2^-39 itself is not below it
      {-2e-12, "-2e-12"},              // small values keep their sign
      {0.00012, "0.00012"},            // four significant digits, no trailing zeros
      {0.999951, "1"},                 // rounds up within the %g form
      {1.0, "1"},                      // 1 is not above 1
      {1.00001, "1.000"},              // just above 1: three decimals
      {10.0, "10.000"},                // 10 is not above 10
      {10.0001, "10.00"},              // just above 10: two decimals
      {12.5, "12.50"},
      {-12.5, "-12.50"},               // magnitude, not value, picks the form
      {99.999, "100.00"},              // rounding does not move it to the next form
      {100.0, "100.00"},
      {100.04, "100.0"},               // just above 100: one decimal
      {1000.0, "1000.0"},              // 1000 is not above 1000
      {1000.4, "1000"},                // above 1000: no decimals
      {1234.4, "1234"},
      {1234.5, "1234"},                // halves round to even
      {1235.5, "1236"},
      {-1234.4, "-1234"},
      {1e30, "1000000000000000019884624838656"},  // every digit of a large value
  };
  for (const Row& row : rows) {
    char buffer[FLOAT_TEXT_SIZE];
    EXPECT_STREQ(Fct_Float_2_Text(row.value, buffer), row.text) << row.value;
  }
}

TEST_F(Number_Text, NonNumbersAreWrittenAsPrintfNamesThem) {
  EXPECT_STREQ(Fct_Float_2_Text(std::numeric_limits<double>::quiet_NaN()), "nan");
  EXPECT_STREQ(Fct_Float_2_Text(-std::numeric_limits<double>::quiet_NaN()), "-nan");
  EXPECT_STREQ(Fct_Float_2_Text(std::numeric_limits<double>::infinity()), "inf");
  EXPECT_STREQ(Fct_Float_2_Text(-std::numeric_limits<double>::infinity()), "-inf");
}

TEST_F(Number_Text, ValuesWithMoreDigitsThanTheBufferAreReportedAndShortened) {
  Host_Report_Capture capture;
  EXPECT_EQ(std::strlen(Fct_Float_2_Text(9e62)), size_t(FLOAT_TEXT_SIZE - 1));  // the longest that fits
  EXPECT_EQ(capture.Count(quarn::msg::Invalid), 0u);
  EXPECT_STREQ(Fct_Float_2_Text(1e63), "1e+63");
  EXPECT_STREQ(Fct_Float_2_Text(-std::numeric_limits<double>::max()), "-1.798e+308");
  EXPECT_EQ(capture.Count(quarn::msg::Invalid), 2u);
  EXPECT_TRUE(capture.Contains("1e+63 has more digits than the 63 characters"));
}

TEST_F(Number_Text, TheRegionalFractionReplacesEveryDecimalPoint) {
  struct Row {
    char mark;
    double value;
    const char* text;
  };
  const Row rows[] = {
      {',', 12.5, "12,50"},
      {',', std::ldexp(1.0, -39), "1,819e-12"},
      {',', 1234.4, "1234"},  // nothing to replace
      {'.', 12.5, "12.50"},
      {0, 12.5, "12.50"},     // unset
  };
  for (const Row& row : rows) {
    *Var<char>(L"$REGIONAL_FRACTION") = row.mark;
    EXPECT_STREQ(Fct_Float_2_Text(row.value), row.text);
  }
}

TEST_F(Number_Text, EveryUnitScalesByItsFloatFactorAndNamesItself) {
  // The defaults: mm, cm, m, in; factors 1, 0.1, 0.001, 1/25.4 as floats (so 100 mm is a hair
  // above 10 cm and 25.4 mm a hair below 1 in, which moves them across a magnitude edge).
  using F = char* (*)(double, char*, char*);
  struct Case {
    F f;
    const wchar_t* unit_var;
    uint16_t unit;
    double value;
    const char* label;
    const char* text;
  };
  const Case cases[] = {
      {Fct_Float_2_Dist, L"$UNITS_DIST", 0, 25.4, "mm", "25.40"},
      {Fct_Float_2_Dist, L"$UNITS_DIST", 1, 25.4, "cm", "2.540"},
      {Fct_Float_2_Dist, L"$UNITS_DIST", 2, 25.4, "m", "0.0254"},
      {Fct_Float_2_Dist, L"$UNITS_DIST", 3, 25.4, "in", "1"},      // 0.99999999627 in
      {Fct_Float_2_Dist, L"$UNITS_DIST", 1, 100.0, "cm", "10.00"},  // 10.000000149 cm
      {Fct_Float_2_Dist, L"$UNITS_DIST", 2, 1000.0, "m", "1.000"},  // 1.0000000475 m
      {Fct_Float_2_Surf, L"$UNITS_SURF", 0, 1000.0, "mm\u00B2", "1000.0"},
      {Fct_Float_2_Surf, L"$UNITS_SURF", 1, 1000.0, "cm\u00B2", "10.00"},
      {Fct_Float_2_Surf, L"$UNITS_SURF", 2, 1e6, "m\u00B2", "1.000"},
      {Fct_Float_2_Surf, L"$UNITS_SURF", 3, 645.16, "in\u00B2", "1"},
      {Fct_Float_2_Vol, L"$UNITS_VOL", 0, 1000.0, "mm\u00B3", "1000.0"},
      {Fct_Float_2_Vol, L"$UNITS_VOL", 1, 1000.0, "cm\u00B3", "1.000"},
      {Fct_Float_2_Vol, L"$UNITS_VOL", 1, 1e6, "cm\u00B3", "1000"},  // 1000.0000475: above 1000
      {Fct_Float_2_Vol, L"$UNITS_VOL", 2, 1e6, "m\u00B3", "0.001"},
      {Fct_Float_2_Vol, L"$UNITS_VOL", 3, 16387.064, "in\u00B3", "1"},
  };
  for (const Case& c : cases) {
    *Var<uint16_t>(c.unit_var) = c.unit;
    char label[UNITS_LABEL_SIZE] = "?";
    char number[FLOAT_TEXT_SIZE];
    EXPECT_EQ(c.f(c.value, label, number), number);
    EXPECT_STREQ(label, c.label) << c.value;
    EXPECT_STREQ(number, c.text) << c.value << " in " << label;
  }
  // Without buffers the number lands in the thread's own and the label is not written.
  *Var<uint16_t>(L"$UNITS_DIST") = 1;
  EXPECT_STREQ(Fct_Float_2_Dist(25.4), "2.540");
}

TEST_F(Number_Text, AUnitBeyondTheTablesIsReportedAndTheValueStaysInMillimetres) {
  Host_Report_Capture capture;
  *Var<uint16_t>(L"$UNITS_DIST") = 7;
  char label[UNITS_LABEL_SIZE] = "?";
  EXPECT_STREQ(Fct_Float_2_Dist(25.4, label), "25.40");
  EXPECT_STREQ(label, "");
  EXPECT_TRUE(capture.Contains("Fct_Float_2_Dist: unit 7 is not in the unit tables"));
}

TEST_F(Number_Text, ALabelLongerThanItsBufferIsReportedAndCutOnACharacterBoundary) {
  char** labels = Table<char*>(L"$UNITS_LABEL");
  std::free(labels[0]);
  labels[0] = strdup("\u00B5\u00B5\u00B5\u00B5\u00B5\u00B5\u00B5\u00B5\u00B5\u00B5\u00B5\u00B5\u00B5\u00B5\u00B5");  // 30 bytes
  *Var<uint16_t>(L"$UNITS_SURF") = 0;
  Host_Report_Capture capture;
  char label[UNITS_LABEL_SIZE];
  Fct_Float_2_Surf(1.0, label);
  // 30 bytes and the 2-byte square do not fit 31: the square goes whole.
  EXPECT_EQ(std::strlen(label), 30u);
  EXPECT_TRUE(capture.Contains("is longer than its 31 bytes"));
}

TEST_F(Number_Text, EachThreadWritesIntoItsOwnBuffer) {
  auto run = [](double value, const char* text, bool* ok) {
    *ok = true;
    for (int i = 0; i < 2000; ++i) *ok = *ok && std::strcmp(Fct_Float_2_Text(value), text) == 0;
  };
  bool ok_a = false, ok_b = false;
  std::thread a(run, 12.5, "12.50", &ok_a);
  std::thread b(run, 1234.4, "1234", &ok_b);
  a.join();
  b.join();
  EXPECT_TRUE(ok_a);
  EXPECT_TRUE(ok_b);
}

}  // namespace
}  // namespace services_test
