// Measured values as texts: magnitude-dependent decimals, the user's decimal mark and units.
#include <quarn/host/Number_Text.h>

#include "core/Trace.h"
#include "host/Host_Table.h"
#include "script/Remembered_Variable.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

/// Below this magnitude a value is written as "0" (so that -0.0 and rounding noise read 0).
const double kZero = std::ldexp(1.0, -39);
/// Index of the square and cube suffixes in $UNITS_POWER.
constexpr int kSquare = 1;
constexpr int kCube = 2;

quarn::Remembered_Variable g_fraction{L"$REGIONAL_FRACTION"};
quarn::Remembered_Variable g_unit_dist{L"$UNITS_DIST"};
quarn::Remembered_Variable g_unit_surf{L"$UNITS_SURF"};
quarn::Remembered_Variable g_unit_vol{L"$UNITS_VOL"};

thread_local char t_number[FLOAT_TEXT_SIZE];

const char* Format_Of(double magnitude) {
  if (magnitude > 1000) return "%-.0f";
  if (magnitude > 100) return "%-.1f";
  if (magnitude > 10) return "%-.2f";
  if (magnitude > 1) return "%-.3f";
  return "%-.4g";
}

[[gnu::cold]] void Too_Long(double value) {
  QUARN_REPORT(quarn::msg::Invalid,
               "\xF1\x05WARNING:\x02 Fct_Float_2_Text: %g has more digits than the %d characters "
               "of a number text; written with 4 significant digits",
               value, FLOAT_TEXT_SIZE - 1);
}

void Regional_Fraction(char* text) {
  const char mark = g_fraction.Value<char>();
  if (mark == 0 || mark == '.') return;
  for (char* p = std::strchr(text, '.'); p; p = std::strchr(p + 1, '.')) *p = mark;
}

// Which unit, with its factor, its label and the suffix of the power asked for.
struct Unit {
  double factor = 1;
  const char* label = "";
  const char* suffix = "";
};

[[gnu::cold]] void Bad_Unit(const char* op, int index, int factors, int labels) {
  QUARN_REPORT(quarn::msg::Invalid,
               "\xF1\x05WARNING:\x02 %s: unit %d is not in the unit tables ($UNITS_FACTOR has %d "
               "entries, $UNITS_LABEL %d); the value stays in mm",
               op, index, factors, labels);
}

Unit Unit_Of(const char* op, quarn::Remembered_Variable& which, int power) {
  Unit u;
  int factors = 0, labels = 0, powers = 0;
  const float* factor = quarn::Host_Table<float>(L"$UNITS_FACTOR", &factors);
  char* const* label = quarn::Host_Table<char*>(L"$UNITS_LABEL", &labels);
  char* const* suffix = quarn::Host_Table<char*>(L"$UNITS_POWER", &powers);
  const int index = which.Value<uint16_t>();
  if (index >= factors || index >= labels) {
    Bad_Unit(op, index, factors, labels);
    return u;
  }
  // The table holds floats, and so are its squares and cubes.
  float scale = factor[index];
  for (int k = 1; k < power; ++k) scale *= factor[index];
  u.factor = scale;
  if (label[index]) u.label = label[index];
  if (power > 1 && power - 1 < powers && suffix[power - 1]) u.suffix = suffix[power - 1];
  return u;
}

[[gnu::cold]] void Label_Too_Long(const char* op, const char* label, const char* suffix) {
  QUARN_REPORT(quarn::msg::Invalid,
               "\xF1\x05WARNING:\x02 %s: the unit label \"%s%s\" is longer than its %d bytes; it is cut",
               op, label, suffix, UNITS_LABEL_SIZE - 1);
}

// Cut before the first character that does not fit whole, so that a cut label is still UTF-8.
void Label_Copy(const char* op, char* out, const Unit& u) {
  const std::string full = std::string(u.label) + u.suffix;
  size_t end = full.size();
  if (end >= size_t(UNITS_LABEL_SIZE)) {
    Label_Too_Long(op, u.label, u.suffix);
    end = UNITS_LABEL_SIZE - 1;
    while (end > 0 && (static_cast<unsigned char>(full[end]) & 0xC0) == 0x80) --end;
  }
  full.copy(out, end);
  out[end] = '\0';
}

char* Unit_Text(const char* op, quarn::Remembered_Variable& which, int power, double value,
                char* label, char* buffer) {
  const Unit u = Unit_Of(op, which, power);
  if (label) Label_Copy(op, label, u);
  return Fct_Float_2_Text(value * u.factor, buffer);
}

}  // namespace

char* Fct_Float_2_Text(double value, char* buffer) {
  char* out = buffer ? buffer : t_number;
  if (std::fabs(value) < kZero) {
    std::strcpy(out, "0");
    return out;
  }
  if (std::snprintf(out, FLOAT_TEXT_SIZE, Format_Of(std::fabs(value)), value) >= FLOAT_TEXT_SIZE) {
    Too_Long(value);
    std::snprintf(out, FLOAT_TEXT_SIZE, "%-.4g", value);
  }
  Regional_Fraction(out);
  return out;
}

char* Fct_Float_2_Dist(double mm, char* label, char* buffer) {
  return Unit_Text("Fct_Float_2_Dist", g_unit_dist, 1, mm, label, buffer);
}

char* Fct_Float_2_Surf(double mm2, char* label, char* buffer) {
  return Unit_Text("Fct_Float_2_Surf", g_unit_surf, kSquare + 1, mm2, label, buffer);
}

char* Fct_Float_2_Vol(double mm3, char* label, char* buffer) {
  return Unit_Text("Fct_Float_2_Vol", g_unit_vol, kCube + 1, mm3, label, buffer);
}
