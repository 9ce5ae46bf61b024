// What the header blocks share: the regional settings, the writer to the caller's file and the
// collection of distinct image records.
#pragma once

#include <hostkit/HostImage.h>

#include <cstdio>
#include <string>
#include <vector>

class Quarn_2D_Frame;

namespace quarn::header {

/// The settings read for every block.
struct Settings {
  wchar_t separator;   ///< Column separator of the table layout.
  std::wstring filler; ///< Text written for a missing value.
  bool anonymous;      ///< Patient data hidden.
};

/// Reads $REGIONAL_SEPARATOR (0: tab), $REGIONAL_FILLER ("---" without it), $INTERFACE_ANONYMOUS.
Settings Settings_Get();

/// Writes formatted wide text to the caller's file: UTF-8 bytes to a byte-oriented file, wide
/// output to a file its owner made wide.
class Writer {
public:
  explicit Writer(FILE* file);
  /// Writes text as it is.
  void Text(const std::wstring& text);
  /// Writes printf-formatted wide text (%hs arguments are UTF-8).
  void Line(const wchar_t* format, ...);
  /// Writes the values joined by separator, then a newline.
  void Row(const std::vector<std::wstring>& values, wchar_t separator);

private:
  FILE* file_;
  bool wide_;
};

/// True when two records count as one entry of a block.
using Same_Test = bool (*)(const Host_Image_Record* a, const Host_Image_Record* b);

/// The records of the frames, in frame order, one per group of records that test the same
/// (the first kept). Null or invalid frames are reported and skipped; a failed growth of the
/// list is reported and the records collected so far are kept.
std::vector<const Host_Image_Record*> Distinct(const char* label, int count, Quarn_2D_Frame* const* frames,
                                               Same_Test same);

/// True, with a report, when there is no file to write to.
bool No_File(FILE* file, const char* label);

/// A narrow text as wide, or the filler when it is null or empty.
std::wstring Or_Filler(const char* text, const Settings& settings);

}  // namespace quarn::header
