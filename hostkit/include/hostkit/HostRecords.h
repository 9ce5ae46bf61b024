// Patient-name, date and time records of the host's record library, with texts and orderings.
#pragma once

#include <hostkit/Export.h>

#include <cstdint>

/// Bytes of one name component, terminator included (a 64-character component in UTF-8 fits).
inline constexpr int HOST_NAME_PART = 256;

/// A person's name split into its five components, each UTF-8 and null-terminated.
struct Host_Name_Record {
  char family[HOST_NAME_PART];  ///< Family name.
  char given[HOST_NAME_PART];   ///< Given name.
  char middle[HOST_NAME_PART];  ///< Middle name.
  char prefix[HOST_NAME_PART];  ///< Prefix such as a title.
  char suffix[HOST_NAME_PART];  ///< Suffix.
};

/// A calendar date; the first byte tells whether the date was recorded at all.
struct Host_Date_Record {
  uint8_t set;       ///< Nonzero when the date was recorded.
  uint8_t month;     ///< 1 to 12.
  uint8_t day;       ///< 1 to 31.
  uint8_t reserved;  ///< Zero.
  int16_t year;      ///< Four-digit year.
};

/// A time of day; the first byte tells whether the time was recorded at all.
struct Host_Time_Record {
  uint8_t set;           ///< Nonzero when the time was recorded.
  uint8_t hour;          ///< 0 to 23.
  uint8_t minute;        ///< 0 to 59.
  uint8_t second;        ///< 0 to 60 (a leap second is kept).
  uint32_t microsecond;  ///< 0 to 999999.
};

/// Fills a name from "Family^Given^Middle^Prefix^Suffix" (later components may be left out,
/// blanks around components are dropped, only the text before a '=' is read); returns 1, or 0
/// and leaves the record unchanged when a component does not fit or the text is null.
HOSTKIT_API int Host_Name_Set(Host_Name_Record* name, const char* text);
/// Fills a date from "YYYYMMDD" or "YYYY.MM.DD" (an empty text clears it); 1, or 0 and unchanged
/// when the text is malformed or names no real day.
HOSTKIT_API int Host_Date_Set(Host_Date_Record* date, const char* text);
/// Fills a time from "HH", "HHMM", "HHMMSS", "HHMMSS.F" (up to six fraction digits) or the same
/// with ':' between the fields (an empty text clears it); 1, or 0 and unchanged when malformed.
HOSTKIT_API int Host_Time_Set(Host_Time_Record* time, const char* text);

/// The name as "Prefix Family, Given Middle, Suffix" (absent parts and their separators left
/// out), UTF-8 in a per-thread buffer valid until the next call; "" for a null or empty record.
HOSTKIT_API const char* Host_Name_Text(const Host_Name_Record* name);
/// "YYYY-MM-DD HH:MM:SS[.ffffff]", either half alone when the other is null or unrecorded, ""
/// when neither is recorded; per-thread buffer valid until the next call.
HOSTKIT_API const char* Host_Time_Text(const Host_Date_Record* date, const Host_Time_Record* time);

/// Orders names by family, given, middle, prefix, suffix, ignoring ASCII case: 0 when equal,
/// else -1 or 1; a null record orders before any other.
HOSTKIT_API int Host_Name_Compare(const Host_Name_Record* a, const Host_Name_Record* b);
/// Orders dates: 0 equal, -1 or 1; unrecorded (or null) dates order before recorded ones.
HOSTKIT_API int Host_Time_Compare(const Host_Date_Record* a, const Host_Date_Record* b);
/// Orders times of day: 0 equal, -1 or 1; unrecorded (or null) times order first.
HOSTKIT_API int Host_Time_Compare(const Host_Time_Record* a, const Host_Time_Record* b);
/// Orders two time stamps by date, then by time of day: 0 equal, -1 or 1.
HOSTKIT_API int Host_Time_Compare(const Host_Date_Record* date_a, const Host_Time_Record* time_a,
                                  const Host_Date_Record* date_b, const Host_Time_Record* time_b);
/// Writes the time of day in hours (13:30 gives 13.5) to *hours; returns 1, or 0 with *hours = 0
/// when the time is null or unrecorded.
HOSTKIT_API int Host_Time_Hours(const Host_Time_Record* time, float* hours);
