// Byte counts as short texts in units of 1024.
#include <hostkit/HostUtil.h>

#include <cmath>

wchar_t* Host_Bytes_To_Text(uint64_t bytes, wchar_t* buffer) {
  if (!buffer) return nullptr;
  constexpr size_t kSize = 64;
  if (bytes < 1024) {
    Host_Format(buffer, kSize, L"%llu B", (unsigned long long)bytes);
    return buffer;
  }
  static const wchar_t* const kUnits[] = {L"KB", L"MB", L"GB", L"TB", L"PB", L"EB"};
  constexpr int kLast = int(sizeof kUnits / sizeof kUnits[0]) - 1;
  double value = double(bytes) / 1024.0;
  int unit = 0;
  // The unit is chosen on the rounded figure, so that 1048575 bytes read "1.00 MB", not "1024.00 KB".
  while (unit < kLast && std::round(value * 100.0) >= 1024.0 * 100.0) {
    value /= 1024.0;
    ++unit;
  }
  // The kit's formatter prints with a '.' whatever the process locale.
  Host_Format(buffer, kSize, L"%.2f %ls", value, kUnits[unit]);
  return buffer;
}
