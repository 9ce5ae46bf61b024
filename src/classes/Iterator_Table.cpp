// The iterator table: its lock, and the taking and giving back of slots.
#include "classes/Iterator_Table.h"

#include <quarn/classes/Quarn_1D_Root.h>
#include <quarn/classes/Quarn_2D_Root.h>
#include <quarn/classes/Quarn_3D_Root.h>

#include "core/Trace.h"
#include "script/Remembered_Variable.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

using quarn::iterator::Slot;
using quarn::iterator::Slot_Count;

// The lock lives for the whole process so that a late Init or End never finds it gone; Create
// and Cleanup only mark the host's start-up and shut-down.
std::recursive_mutex g_lock;
std::atomic<int> g_depth{0};
std::atomic<std::thread::id> g_owner{};

// Guarded by g_lock, except the walk state of a live slot, which its owner thread keeps.
Slot g_slots[Slot_Count];
uint32_t g_serial = 1;

quarn::Remembered_Variable g_root_1d{L"$DB_1D_ROOT_PT"};
quarn::Remembered_Variable g_root_2d{L"$DB_2D_ROOT_PT"};
quarn::Remembered_Variable g_root_3d{L"$DB_3D_ROOT_PT"};

constexpr wchar_t kDown = L'\u25BC';
constexpr wchar_t kUp = L'\u25B2';

// "▼5▼▼▼▼ Iterator ▼…▼ "label"" (43 marks after the word), or the same with ▲.
void Marker(bool entering, const char* label) {
  if (!Host_Report_Enabled(quarn::msg::Iterator_Lock)) return;
  const wchar_t mark = entering ? kDown : kUp;
  wchar_t line[400];
  int n = 0;
  line[n++] = mark;
  line[n++] = L'5';
  for (int k = 0; k < 4; ++k) line[n++] = mark;
  for (const wchar_t* p = L" Iterator "; *p; ++p) line[n++] = *p;
  for (int k = 0; k < 43; ++k) line[n++] = mark;
  line[n] = 0;
  Host_Format(line + n, sizeof line / sizeof *line - size_t(n), L" \"%.255hs\"", label);
  Host_Report_Text(Host_Main_Window, quarn::msg::Iterator_Lock, line);
}

bool Held_By_Caller() {
  return g_depth.load(std::memory_order_relaxed) > 0 &&
         g_owner.load(std::memory_order_relaxed) == std::this_thread::get_id();
}

/// The level-0 node of each tree's walk.
struct Starts {
  Quarn_1D* d1 = nullptr;
  Quarn_2D* d2 = nullptr;
  Quarn_3D* d3 = nullptr;
};

// The roots, with the start object in place of its own tree's root; false for an object that
// is no tree node. Read before the table lock: the variable lookups take a lock of their own.
bool Start_Nodes(Quarn* start, const char* label, Starts* out) {
  out->d1 = g_root_1d.Value<Quarn_1D_Root*>();
  out->d2 = g_root_2d.Value<Quarn_2D_Root*>();
  out->d3 = g_root_3d.Value<Quarn_3D_Root*>();
  if (!start) return true;
  switch (start->Class_Magic_Get()) {
    case 0xAFBF: out->d1 = static_cast<Quarn_1D*>(start); return true;
    case 0xAABA: out->d2 = static_cast<Quarn_2D*>(start); return true;
    case 0xAEBD: out->d3 = static_cast<Quarn_3D*>(start); return true;
  }
  QUARN_REPORT(quarn::msg::Invalid, "Invalid start object (magic %04X) for Iterator_Init(%s)",
               start->Class_Magic_Get(), label);
  return false;
}

int Free_Slot() {
  for (int id = 1; id < Slot_Count; ++id)
    if (!g_slots[id].stamp) return id;
  return 0;
}

// Reported while the lock is still held: the labels listed are written by Init and End of
// other threads.
[[gnu::cold, gnu::noinline]] void Table_Full(const char* label) {
  QUARN_REPORT(quarn::msg::Memory, "\xF1\x04" "ERROR:\x02 No more free Iterator slots for (%s)!", label);
  if (!Host_Report_Enabled(quarn::msg::Low_File)) return;
  for (int id = 0; id < Slot_Count; ++id)
    Host_Report(Host_Main_Window, quarn::msg::Low_File, "Iterator[%d] = %s", id,
                g_slots[id].label[0] ? g_slots[id].label : "---");  // never used yet
}

void Label_Set(Slot& slot, const char* label) {
  std::strncpy(slot.label, label, quarn::iterator::Label_Max);
  slot.label[quarn::iterator::Label_Max] = 0;
}

}  // namespace

namespace quarn::iterator {

Slot* Slot_Of(uint16_t id, const char* fct) {
  if (id == 0) return nullptr;
  if (id >= Slot_Count) {
    QUARN_REPORT(msg::Invalid, "Invalid iterator id %d in %s", id, fct);
    return nullptr;
  }
  Slot& slot = g_slots[id];
  if (!slot.stamp) {
    QUARN_REPORT(msg::Invalid, "Iterator %d is not in use in %s", id, fct);
    return nullptr;
  }
  return &slot;
}

}  // namespace quarn::iterator

void Iterator_Critical_In(const char* label) {
  if (!label) label = "---";
  if (Held_By_Caller())
    QUARN_REPORT(quarn::msg::Low_File, "ERROR: called Iterator_Critical_In(%s) while already in!", label);
  g_lock.lock();
  g_owner.store(std::this_thread::get_id(), std::memory_order_relaxed);
  g_depth.fetch_add(1, std::memory_order_relaxed);
  Marker(true, label);
}

void Iterator_Critical_Out(const char* label) {
  if (!label) label = "---";
  // Checked against the holder, so a thread that does not hold the lock cannot unlock it.
  if (!Held_By_Caller()) {
    QUARN_REPORT(quarn::msg::Low_File,
                 "ERROR: called Iterator_Critical_Out(%s) while not in a critical section!", label);
    return;
  }
  Marker(false, label);
  if (g_depth.fetch_sub(1, std::memory_order_relaxed) == 1)
    g_owner.store(std::thread::id(), std::memory_order_relaxed);
  g_lock.unlock();
}

int Iterator_Critical_Depth() { return g_depth.load(std::memory_order_relaxed); }

void Iterator_Create() {
  QUARN_REPORT(quarn::msg::Iterator, ">>> in  Fct: Iterator_Create()");
  QUARN_REPORT(quarn::msg::Iterator, "<<< out Fct: Iterator_Create()");
}

void Iterator_Cleanup() {
  QUARN_REPORT(quarn::msg::Iterator, ">>> in  Fct: Iterator_Cleanup()");
  if (Iterator_Critical_Depth() > 0)
    QUARN_REPORT(quarn::msg::Low_File,
                 "\xF1\x05WARNING:\x02 Iterator_Cleanup() while the table is locked (%d)",
                 Iterator_Critical_Depth());
  QUARN_REPORT(quarn::msg::Iterator, "<<< out Fct: Iterator_Cleanup()");
}

uint16_t Iterator_Init(const char* label, Quarn* start) {
  if (!label) label = "---";
  QUARN_REPORT(quarn::msg::Iterator, ">>> in  Fct: Iterator_Init(%s)", label);
  Starts starts;
  if (!Start_Nodes(start, label, &starts)) {
    QUARN_REPORT(quarn::msg::Iterator, "<<< out Fct: Iterator_Init(! start)");
    return 0;
  }
  Iterator_Critical_In(label);
  const int id = Free_Slot();
  if (!id) {
    Table_Full(label);
    Iterator_Critical_Out(label);
    QUARN_REPORT(quarn::msg::Iterator, "<<< out Fct: Iterator_Init(! iter_id)");
    return 0;
  }
  Slot& slot = g_slots[id];
  slot.stamp = g_serial;
  g_serial = g_serial + 1 ? g_serial + 1 : 1;
  Label_Set(slot, label);
  slot.window_cursor = 0;
  slot.depth = 0;
  std::memset(slot.stack_1d, 0, sizeof slot.stack_1d);
  std::memset(slot.stack_2d, 0, sizeof slot.stack_2d);
  std::memset(slot.stack_3d, 0, sizeof slot.stack_3d);
  std::memset(slot.cursor, 0, sizeof slot.cursor);
  slot.stack_1d[0] = starts.d1;
  slot.stack_2d[0] = starts.d2;
  slot.stack_3d[0] = starts.d3;
  Iterator_Critical_Out(label);
  QUARN_REPORT(quarn::msg::Iterator, "<<< out Fct: Iterator_Init(id:%d)", id);
  return uint16_t(id);
}

void Iterator_End(uint16_t id) {
  QUARN_REPORT(quarn::msg::Iterator, ">>> in  Fct: Iterator_End(%d)", id);
  if (id == 0) {
    QUARN_REPORT(quarn::msg::Iterator, "<<< out Fct: Iterator_End(! iter_id)");
    return;
  }
  if (id >= Slot_Count) {
    QUARN_REPORT(quarn::msg::Invalid, "Invalid iterator id %d in Iterator_End", id);
    QUARN_REPORT(quarn::msg::Iterator, "<<< out Fct: Iterator_End(! iter_id)");
    return;
  }
  Iterator_Critical_In("Iterator_End");
  Slot& slot = g_slots[id];
  if (!slot.stamp) QUARN_REPORT(quarn::msg::Invalid, "Iterator %d is not in use in Iterator_End", id);
  slot.stamp = 0;
  Label_Set(slot, "---");
  Iterator_Critical_Out("Iterator_End");
  QUARN_REPORT(quarn::msg::Iterator, "<<< out Fct: Iterator_End()");
}
