// The undo command ring: at most 40 commands, a cursor between the undoable and the redoable ones.
#include <quarn/undo/Undo.h>

#include <quarn/display/Update.h>
#include <quarn/display/Window_Change.h>

#include "core/Check.h"
#include "core/Trace.h"
#include "script/Remembered_Variable.h"
#include "undo/Undo_Lock.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace {

using quarn::undo::Lock_Hold;

constexpr uint32_t Trace = quarn::msg::Undo;
constexpr uint32_t Stool_Class = 0x80000000;
constexpr size_t Name_First = 256;          // first try of a name's buffer
constexpr size_t Name_Max = 64 * 1024;      // longest name kept

/// The ring; guarded by the undo lock.
struct Ring {
  Undo_Datas* slots[UNDO_RING_MAX] = {};
  int capacity = 0;   // "$UNDO_NB" as last seen, clamped
  bool seen = false;  // capacity has been read once
  int nb_data = 0;    // held: undoable and redoable
  int nb_undo = 0;    // undoable
  int cursor = 0;     // slot of the next save; the slot before it is the next undo
  int start = 0;      // slot of the oldest
  int end = 0;        // slot after the newest
  uint32_t next_uid = 1;
};

Ring g_ring;
quarn::Remembered_Variable g_undo_nb{L"$UNDO_NB", true};

void Release(Undo_Datas* record) {
  if (!record) return;
  std::free(record->data);
  std::free(record->name);
  std::free(record);
}

int Step(int slot, int by) { return (slot + by + g_ring.capacity) % g_ring.capacity; }

void Clear_Ring() {
  for (Undo_Datas*& slot : g_ring.slots) {
    Release(slot);
    slot = nullptr;
  }
  g_ring.nb_data = g_ring.nb_undo = g_ring.cursor = g_ring.start = g_ring.end = 0;
}

// Takes "$UNDO_NB" when it changed since last seen: clamped and written back, the ring emptied
// (its slot arithmetic follows the capacity). Caller holds the lock.
int Capacity() {
  auto* nb = g_undo_nb.As<uint16_t>();
  const int wanted = nb ? *nb : 0;
  if (g_ring.seen && wanted == g_ring.capacity) return g_ring.capacity;
  if (nb && *nb > UNDO_RING_MAX) *nb = UNDO_RING_MAX;
  g_ring.capacity = nb ? *nb : 0;
  g_ring.seen = true;
  Clear_Ring();
  QUARN_REPORT(Trace, "-> Undo: capacity %d", g_ring.capacity);
  return g_ring.capacity;
}

// The command name, formatted into a malloc'd text; null when memory fails.
char* Format_Name(const char* format, va_list args) {
  for (size_t size = Name_First;; size *= 2) {
    char* name = static_cast<char*>(std::malloc(size));
    if (!name) {
      QUARN_MEMORY_ERROR("malloc", "undo->name", size, 1);
      return nullptr;
    }
    va_list copy;
    va_copy(copy, args);
    const int n = Host_Format_V(name, size, format ? format : "", copy);
    va_end(copy);
    if (n >= 0) return name;
    std::free(name);
    if (size >= Name_Max) {
      QUARN_REPORT(quarn::msg::Invalid, "Undo_Save_Command: command name longer than %d bytes",
                   int(Name_Max));
      return nullptr;
    }
  }
}

Undo_Datas* New_Record(Undo_Fct_Undo_Redo undo_redo, Undo_Fct_Size size, void* data,
                       const char* format, va_list args) {
  auto* record = static_cast<Undo_Datas*>(std::calloc(1, sizeof(Undo_Datas)));
  if (!record) {
    QUARN_MEMORY_ERROR("calloc", "undo", 1, sizeof(Undo_Datas));
    return nullptr;
  }
  record->name = Format_Name(format, args);
  if (!record->name) {
    std::free(record);
    return nullptr;
  }
  record->module = Quarn_Module_Cur;
  record->undo_redo = undo_redo;
  record->size = size;
  record->data = data;
  return record;
}

// Every redoable command goes when a new one is saved.
void Drop_Redo_Tail() {
  for (int k = 0, n = g_ring.nb_data - g_ring.nb_undo; k < n; ++k) {
    Undo_Datas*& slot = g_ring.slots[Step(g_ring.cursor, k)];
    Release(slot);
    slot = nullptr;
    --g_ring.nb_data;
  }
  g_ring.end = g_ring.cursor;
}

void Store(Undo_Datas* record) {
  Drop_Redo_Tail();
  if (g_ring.cursor == g_ring.start && g_ring.nb_data > 0) {
    if (g_ring.nb_undo > 0) {
      Release(g_ring.slots[g_ring.start]);
      g_ring.slots[g_ring.start] = nullptr;
      --g_ring.nb_data;
      --g_ring.nb_undo;
      g_ring.start = Step(g_ring.start, 1);
    } else {
      Clear_Ring();
    }
  }
  record->uid = g_ring.next_uid++;
  g_ring.slots[g_ring.cursor] = record;
  ++g_ring.nb_data;
  ++g_ring.nb_undo;
  g_ring.cursor = Step(g_ring.cursor, 1);
  g_ring.end = g_ring.cursor;
}

int Save(Undo_Fct_Undo_Redo undo_redo, Undo_Fct_Size size, void* data, const char* format,
         va_list args) {
  {
    Lock_Hold hold("Undo_Save_Command");
    if (!Capacity()) {
      QUARN_REPORT(Trace, "<<< out Undo: Undo_Save_Command(! *Undo_Nb)");
      return 0;
    }
    Undo_Datas* record = New_Record(undo_redo, size, data, format, args);
    if (!record) {
      QUARN_REPORT(Trace, "<<< out Undo: Undo_Save_Command(! undo)");
      return 0;
    }
    Store(record);
    QUARN_REPORT(Trace, "-> Undo: saved [%u] %s", record->uid, record->name);
  }
  Fct_Update(UPDATE_UNDO_STATE);
  QUARN_REPORT(Trace, "<<< out Undo: Undo_Save_Command()");
  return 1;
}

}  // namespace

void Undo_Create() {
  QUARN_REPORT(Trace, ">>> in  Undo: Undo_Create()");
  QUARN_REPORT(Trace, "<<< out Undo: Undo_Create()");
}

void Undo_Cleanup() {
  QUARN_REPORT(Trace, ">>> in  Undo: Undo_Cleanup()");
  Undo_Reset();
  if (quarn::undo::Lock_Depth() > 0)
    QUARN_REPORT(quarn::msg::Low_File, "\xF1\x05WARNING:\x02 Undo_Cleanup() while the undo lock is held (%d)",
                 quarn::undo::Lock_Depth());
  QUARN_REPORT(Trace, "<<< out Undo: Undo_Cleanup()");
}

int Undo_Save_Command(Undo_Fct_Undo_Redo undo_redo, Undo_Fct_Size size, void* data,
                      const char* format, ...) {
  QUARN_REPORT(Trace, ">>> in  Undo: Undo_Save_Command()");
  va_list args;
  va_start(args, format);
  const int done = Save(undo_redo, size, data, format, args);
  va_end(args);
  return done;
}

int Undo_Undo_Command() {
  QUARN_REPORT(Trace, ">>> in  Undo: Undo_Undo_Command()");
  int result;
  {
    Lock_Hold hold("Undo_Undo_Command");
    if (!Capacity() || !g_ring.nb_undo) {
      QUARN_REPORT(Trace, "<<< out Undo: Undo_Undo_Command(! Nb_Script_Undo)");
      return 0;
    }
    g_ring.cursor = Step(g_ring.cursor, -1);
    --g_ring.nb_undo;
    Undo_Datas* record = g_ring.slots[g_ring.cursor];
    QUARN_REPORT(Trace, "-> Undo: undo [%u] %s", record->uid, record->name);
    result = record->undo_redo ? record->undo_redo(1, record->data) : 0;
  }
  Fct_Update(UPDATE_UNDO_STATE);
  QUARN_REPORT(Trace, "<<< out Undo: Undo_Undo_Command()");
  return result;
}

int Undo_Redo_Command() {
  QUARN_REPORT(Trace, ">>> in  Undo: Undo_Redo_Command()");
  int result;
  {
    Lock_Hold hold("Undo_Redo_Command");
    if (!Capacity() || g_ring.nb_data == g_ring.nb_undo) {
      QUARN_REPORT(Trace, "<<< out Undo: Undo_Redo_Command(Nb_Undo_Data == Nb_Script_Undo)");
      return 0;
    }
    Undo_Datas* record = g_ring.slots[g_ring.cursor];
    ++g_ring.nb_undo;
    g_ring.cursor = Step(g_ring.cursor, 1);
    QUARN_REPORT(Trace, "-> Undo: redo [%u] %s", record->uid, record->name);
    result = record->undo_redo ? record->undo_redo(0, record->data) : 0;
  }
  Fct_Update(UPDATE_UNDO_STATE);
  QUARN_REPORT(Trace, "<<< out Undo: Undo_Redo_Command()");
  return result;
}

int Undo_Undo_Enable() {
  Lock_Hold hold("Undo_Undo_Enable");
  return Capacity() ? g_ring.nb_undo : 0;
}

int Undo_Redo_Enable() {
  Lock_Hold hold("Undo_Redo_Enable");
  return Capacity() ? g_ring.nb_data - g_ring.nb_undo : 0;
}

int Undo_Querry_Next_Undo(uint32_t module, uint32_t uid) {
  QUARN_REPORT(Trace, ">>> in  Undo: Undo_Querry_Next_Undo(module:%u, uid:%u)", module, uid);
  Lock_Hold hold("Undo_Querry_Next_Undo");
  if (!Capacity() || !g_ring.nb_undo) {
    QUARN_REPORT(Trace, "<<< out Undo: Undo_Querry_Next_Undo(! Nb_Script_Undo)");
    return 0;
  }
  const Undo_Datas* next = g_ring.slots[Step(g_ring.cursor, -1)];
  QUARN_REPORT(Trace, "<<< out Undo: Undo_Querry_Next_Undo()");
  return next->module == module ? 1 : 0;
}

const char* Undo_String_Command(int i) {
  Lock_Hold hold("Undo_String_Command");
  // With no capacity there is no slot to name.
  if (!Capacity() || i < 0 || i >= g_ring.nb_data) return " ";
  const Undo_Datas* record = g_ring.slots[Step(g_ring.start, i % g_ring.capacity)];
  return record ? record->name : " ";
}

void Undo_Stool_Command(int message_class) {
  const uint32_t cls = message_class ? uint32_t(message_class) : Stool_Class;
  Lock_Hold hold("Undo_Stool_Command");
  Capacity();
  QUARN_REPORT(cls, "Script: Nb_Undo_Data = %d", g_ring.nb_data);
  for (int i = g_ring.nb_data - 1; i >= 0; --i)
    QUARN_REPORT(cls, "Script[%d] = %s", i, Undo_String_Command(i));
}

int Undo_Memory() {
  Lock_Hold hold("Undo_Memory");
  uint64_t sum = 0;
  for (Undo_Datas* record : g_ring.slots) sum += Undo_Pixel_Size(record);
  return int(sum > uint64_t(INT32_MAX) ? INT32_MAX : sum);
}

int Undo_Reset() {
  QUARN_REPORT(Trace, ">>> in  Undo: Undo_Reset()");
  Lock_Hold hold("Undo_Reset");
  Clear_Ring();
  QUARN_REPORT(Trace, "<<< out Undo: Undo_Reset()");
  return 1;
}

int Undo_Resize() {
  QUARN_REPORT(Trace, ">>> in  Undo: Undo_Resize()");
  Lock_Hold hold("Undo_Resize");
  Capacity();
  QUARN_REPORT(Trace, "<<< out Undo: Undo_Resize(%d)", g_ring.capacity);
  return 1;
}

int Undo_Test() {
  Lock_Hold hold("Undo_Test");
  return Capacity();
}

uint32_t Undo_Pixel_Size(Undo_Datas* record) {
  return record && record->size ? record->size(record->data) : 0;
}
