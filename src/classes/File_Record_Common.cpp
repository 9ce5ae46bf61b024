// Sequence counters, the code-unit order of keys and the generic name of file records.
#include "classes/File_Record_Common.h"

#include <hostkit/HostUtil.h>

#include <atomic>
#include <ctime>

namespace quarn {

namespace {

// Sequence numbers are only labels, so relaxed counters are enough.
std::atomic<uint16_t> g_sequence[3];

// Places a character where its first UTF-16 code unit sorts: characters above 0xFFFF start with
// a lead surrogate, so they sort after 0xD7FF but before 0xE000 ... 0xFFFF.
uint64_t Code_Unit_Rank(wchar_t c) {
  const uint64_t u = static_cast<uint32_t>(c);
  if (u >= 0xE000 && u <= 0xFFFF) return u + 0x110000;
  if (u > 0x10FFFF) return u + 0x200000;
  return u;
}

}  // namespace

uint16_t File_Sequence_Next(File_Kind kind) {
  return g_sequence[static_cast<int>(kind)].fetch_add(1, std::memory_order_relaxed);
}

uint16_t File_Sequence_Peek(File_Kind kind) {
  return g_sequence[static_cast<int>(kind)].load(std::memory_order_relaxed);
}

int File_Key_Compare(const wchar_t* key, const wchar_t* text) {
  if (!key) key = L"";
  if (!text) text = L"";
  for (;; ++key, ++text) {
    const uint64_t a = Code_Unit_Rank(*key), b = Code_Unit_Rank(*text);
    if (a != b) return a < b ? -1 : 1;
    if (!a) return 0;
  }
}

void File_Generic_Name_Set(Quarn& record, const wchar_t* path) {
  wchar_t base[HOST_PATH_BUFFER];
  Host_Split_Path(path, nullptr, base, nullptr);
  record.Name_Set(L"%ls", base);
}

int64_t File_Time_Now() { return static_cast<int64_t>(std::time(nullptr)); }

}  // namespace quarn
