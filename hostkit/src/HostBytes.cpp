// Byte counts as short texts for dumps.
#include <hostkit/HostUtil.h>

#include <cwchar>

wchar_t* Host_Bytes_To_Text(uint64_t bytes, wchar_t* buffer) {
  if (!buffer) return nullptr;
  const wchar_t* units[] = {L"KB", L"MB", L"GB"};
  if (bytes < 1024) {
    std::swprintf(buffer, 64, L"%llu B", static_cast<unsigned long long>(bytes));
    return buffer;
  }
  double value = double(bytes) / 1024.0;
  int unit = 0;
  while (value >= 1024.0 && unit < 2) {
    value /= 1024.0;
    ++unit;
  }
  std::swprintf(buffer, 64, L"%.2f %ls", value, units[unit]);
  return buffer;
}
