// The host variable table: named, typed storage found by one lookup, guarded by its own lock.
#include <hostkit/HostVariables.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct Entry {
  std::wstring name;
  uint16_t flags;
  int count;
  void* storage;
  bool owned;
  Host_Var_Update update;
  bool owns_text;  // an owned text variable frees the malloc'd text it holds
};

std::mutex g_mutex;
std::vector<Entry>& Table() {
  static auto* table = new std::vector<Entry>;  // outlives every static that looks up late
  return *table;
}

Entry* Find(const wchar_t* name) {
  for (Entry& e : Table())
    if (e.name == name) return &e;
  return nullptr;
}

void Release(Entry& e) {
  if (e.owns_text && e.storage) std::free(*static_cast<void**>(e.storage));
  if (e.owned) std::free(e.storage);
  e.storage = nullptr;
}

bool Is_Text(uint16_t flags) {
  return (flags & VARIABLE_STRING) && !(flags & VARIABLE_ARRAY);
}

// Bytes of one element of the given type; an array variable keeps only its array pointer.
size_t Element_Size(uint16_t flags) {
  const uint16_t type = flags & VARIABLE_TYPE_MASK;
  if (type & (VARIABLE_ARRAY | VARIABLE_STRING | VARIABLE_POINTER)) return sizeof(void*);
  switch (type & ~VARIABLE_UNSIGNED) {
    case VARIABLE_CHAR: return 1;
    case VARIABLE_SHORT: return 2;
    case VARIABLE_INT64:
    case VARIABLE_DOUBLE: return 8;
    case VARIABLE_VECT: return 3 * sizeof(float);
    default: return 4;
  }
}

int Store(const wchar_t* name, uint16_t flags, int count, void* storage, bool owned,
          Host_Var_Update update) {
  std::lock_guard<std::mutex> hold(g_mutex);
  const Entry entry{name, flags, count, storage, owned, update, owned && Is_Text(flags)};
  if (Entry* e = Find(name)) {
    Release(*e);
    *e = entry;
    return 1;
  }
  Table().push_back(entry);
  return 1;
}

}  // namespace

void* Host_Var_Get(const wchar_t* name, int* count, uint16_t* flags, Host_Var_Update* update) {
  if (!name) return nullptr;
  std::lock_guard<std::mutex> hold(g_mutex);
  Entry* e = Find(name);
  if (!e) return nullptr;
  if (count) *count = e->count;
  if (flags) *flags = e->flags;
  if (update) *update = e->update;
  return e->storage;
}

int Host_Var_Define(const wchar_t* name, uint16_t flags, int count, void* storage,
                    Host_Var_Update update) {
  if (!name || !storage) return 0;
  return Store(name, flags, count, storage, false, update);
}

void* Host_Var_Define_Owned(const wchar_t* name, uint16_t flags, int count, const void* value,
                            size_t size, Host_Var_Update update) {
  if (!name || count < 0) return nullptr;
  size_t bytes = Element_Size(flags) * size_t(count > 0 ? count : 1);
  if (bytes < size) bytes = size;
  void* storage = std::calloc(1, bytes);
  if (!storage) return nullptr;
  if (value && size) std::memcpy(storage, value, size);
  Store(name, flags, count, storage, true, update);
  return storage;
}

int Host_Var_Remove(const wchar_t* name) {
  if (!name) return 0;
  std::lock_guard<std::mutex> hold(g_mutex);
  auto& table = Table();
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i].name == name) {
      Release(table[i]);
      table.erase(table.begin() + long(i));
      return 1;
    }
  }
  return 0;
}

void Host_Var_Clear() {
  std::lock_guard<std::mutex> hold(g_mutex);
  for (Entry& e : Table()) Release(e);
  Table().clear();
}

int Host_Var_Count() {
  std::lock_guard<std::mutex> hold(g_mutex);
  return int(Table().size());
}

const wchar_t* Host_Var_Name(int i) {
  std::lock_guard<std::mutex> hold(g_mutex);
  if (i < 0 || size_t(i) >= Table().size()) return nullptr;
  return Table()[size_t(i)].name.c_str();
}

void Host_Var_Default_Install() {
  // The default configuration is the host's; this table starts empty until it is provided.
}
