// Patient-name, date and time records: parsing from file texts, display texts and orderings.
#include <hostkit/HostRecords.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\0')) s.remove_suffix(1);
  return s;
}

bool All_Digits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

int Number(std::string_view s) {
  int v = 0;
  for (char c : s) v = v * 10 + (c - '0');
  return v;
}

int Days_In_Month(int year, int month) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : days[month - 1];
}

int Sign(int v) { return (v > 0) - (v < 0); }

// Unrecorded values order first; the flag is compared before anything else.
template <class Record>
int Compare_Set(const Record* a, const Record* b, bool& decided) {
  bool sa = a && a->set, sb = b && b->set;
  decided = !(sa && sb);
  return int(sa) - int(sb);
}

int Fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

int Compare_Folded(const char* a, const char* b) {
  for (;; ++a, ++b) {
    int ca = Fold(static_cast<unsigned char>(*a)), cb = Fold(static_cast<unsigned char>(*b));
    if (ca != cb) return ca < cb ? -1 : 1;
    if (!ca) return 0;
  }
}

void Join(std::string& out, const char* part, const char* separator) {
  if (!*part) return;
  if (!out.empty()) out += separator;
  out += part;
}

}  // namespace

int Host_Name_Set(Host_Name_Record* name, const char* text) {
  if (!name || !text) return 0;
  std::string_view all(text);
  all = all.substr(0, all.find('='));  // other representations of the same name are not kept
  Host_Name_Record parsed{};
  char* slots[5] = {parsed.family, parsed.given, parsed.middle, parsed.prefix, parsed.suffix};
  for (int i = 0;; ++i) {
    size_t cut = all.find('^');
    if (i == 5) return 0;  // more components than a name has
    std::string_view part = Trim(all.substr(0, cut));
    if (part.size() >= size_t(HOST_NAME_PART)) return 0;
    std::memcpy(slots[i], part.data(), part.size());
    if (cut == std::string_view::npos) break;
    all.remove_prefix(cut + 1);
  }
  *name = parsed;
  return 1;
}

int Host_Date_Set(Host_Date_Record* date, const char* text) {
  if (!date || !text) return 0;
  std::string_view s = Trim(text);
  if (s.empty()) {
    *date = Host_Date_Record{};
    return 1;
  }
  std::string_view y, m, d;
  if (s.size() == 8) {
    y = s.substr(0, 4), m = s.substr(4, 2), d = s.substr(6, 2);
  } else if (s.size() == 10 && s[4] == '.' && s[7] == '.') {
    y = s.substr(0, 4), m = s.substr(5, 2), d = s.substr(8, 2);
  } else {
    return 0;
  }
  if (!All_Digits(y) || !All_Digits(m) || !All_Digits(d)) return 0;
  int year = Number(y), month = Number(m), day = Number(d);
  if (year < 1 || month < 1 || month > 12 || day < 1 || day > Days_In_Month(year, month)) return 0;
  *date = Host_Date_Record{1, uint8_t(month), uint8_t(day), 0, int16_t(year)};
  return 1;
}

int Host_Time_Set(Host_Time_Record* time, const char* text) {
  if (!time || !text) return 0;
  std::string_view s = Trim(text);
  if (s.empty()) {
    *time = Host_Time_Record{};
    return 1;
  }
  std::string_view fraction;
  if (size_t dot = s.find('.'); dot != std::string_view::npos) {
    fraction = s.substr(dot + 1);
    s = s.substr(0, dot);
    if (!All_Digits(fraction) || fraction.size() > 6) return 0;
  }
  std::string digits;
  bool colons = s.find(':') != std::string_view::npos;
  for (size_t i = 0; i < s.size(); ++i) {
    // With separators every field is two digits followed by ':' except the last.
    if (colons && i % 3 == 2) {
      if (s[i] != ':') return 0;
      continue;
    }
    digits += s[i];
  }
  if (colons && s.size() % 3 != 2) return 0;
  if (!All_Digits(digits) || (digits.size() != 2 && digits.size() != 4 && digits.size() != 6))
    return 0;
  std::string_view v(digits);
  int hour = Number(v.substr(0, 2));
  int minute = v.size() >= 4 ? Number(v.substr(2, 2)) : 0;
  int second = v.size() >= 6 ? Number(v.substr(4, 2)) : 0;
  if (!fraction.empty() && v.size() != 6) return 0;  // a fraction belongs to the seconds
  if (hour > 23 || minute > 59 || second > 60) return 0;
  uint32_t micro = uint32_t(Number(fraction));
  for (size_t i = fraction.size(); i < 6; ++i) micro *= 10;
  *time = Host_Time_Record{1, uint8_t(hour), uint8_t(minute), uint8_t(second), micro};
  return 1;
}

const char* Host_Name_Text(const Host_Name_Record* name) {
  thread_local std::string out;
  out.clear();
  if (!name) return out.c_str();
  std::string head, first;
  Join(head, name->prefix, " ");
  Join(head, name->family, " ");
  Join(first, name->given, " ");
  Join(first, name->middle, " ");
  out = head;
  Join(out, first.c_str(), ", ");
  Join(out, name->suffix, ", ");
  return out.c_str();
}

const char* Host_Time_Text(const Host_Date_Record* date, const Host_Time_Record* time) {
  thread_local char out[64];
  out[0] = 0;
  int n = 0;
  if (date && date->set)
    n = std::snprintf(out, sizeof out, "%04d-%02d-%02d", date->year, date->month, date->day);
  if (time && time->set) {
    n += std::snprintf(out + n, sizeof out - n, "%s%02d:%02d:%02d", n ? " " : "", time->hour,
                       time->minute, time->second);
    if (time->microsecond) {
      n += std::snprintf(out + n, sizeof out - n, ".%06u", unsigned(time->microsecond % 1000000));
      while (out[n - 1] == '0') out[--n] = 0;
    }
  }
  return out;
}

int Host_Name_Compare(const Host_Name_Record* a, const Host_Name_Record* b) {
  if (!a || !b) return int(a != nullptr) - int(b != nullptr);
  const char* pa[5] = {a->family, a->given, a->middle, a->prefix, a->suffix};
  const char* pb[5] = {b->family, b->given, b->middle, b->prefix, b->suffix};
  for (int i = 0; i < 5; ++i)
    if (int c = Compare_Folded(pa[i], pb[i])) return c;
  return 0;
}

int Host_Time_Compare(const Host_Date_Record* a, const Host_Date_Record* b) {
  bool decided;
  int c = Compare_Set(a, b, decided);
  if (decided) return c;
  if (a->year != b->year) return Sign(a->year - b->year);
  if (a->month != b->month) return Sign(a->month - b->month);
  return Sign(a->day - b->day);
}

int Host_Time_Compare(const Host_Time_Record* a, const Host_Time_Record* b) {
  bool decided;
  int c = Compare_Set(a, b, decided);
  if (decided) return c;
  if (a->hour != b->hour) return Sign(a->hour - b->hour);
  if (a->minute != b->minute) return Sign(a->minute - b->minute);
  if (a->second != b->second) return Sign(a->second - b->second);
  return a->microsecond == b->microsecond ? 0 : a->microsecond < b->microsecond ? -1 : 1;
}

int Host_Time_Compare(const Host_Date_Record* date_a, const Host_Time_Record* time_a,
                      const Host_Date_Record* date_b, const Host_Time_Record* time_b) {
  if (int c = Host_Time_Compare(date_a, date_b)) return c;
  return Host_Time_Compare(time_a, time_b);
}

int Host_Time_Hours(const Host_Time_Record* time, float* hours) {
  if (!hours) return 0;
  *hours = 0;
  if (!time || !time->set) return 0;
  double seconds = time->second + time->microsecond / 1e6;
  *hours = float(time->hour + time->minute / 60.0 + seconds / 3600.0);
  return 1;
}
