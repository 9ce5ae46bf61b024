// The host variable table: named, typed storage behind the lookup the library calls.
#include <hostkit/HostVariables.h>

#include <hostkit/HostReport.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

// Smallest owned block: room for any scalar, a vector or a point record, so that a later
// definition of the same name with another type still fits in place.
constexpr size_t kMinBlock = 32;

struct Block {
  void* data = nullptr;
  size_t size = 0;
};

struct Entry {
  std::wstring name;
  uint16_t flags = 0;
  int count = 0;
  void* storage = nullptr;  // what lookups hand out
  Block owned;              // set when the table owns the storage
  Host_Var_Update update = nullptr;
  std::wstring count_from;  // integer variable giving the element count, if linked
  int count_max = -1;
};

bool Holds_Text(uint16_t flags) {
  return (flags & VARIABLE_STRING) && !(flags & VARIABLE_ARRAY);
}

bool Is_Integer_Scalar(uint16_t flags) {
  switch (flags & VARIABLE_TYPE_MASK & ~VARIABLE_UNSIGNED) {
    case VARIABLE_CHAR:
    case VARIABLE_SHORT:
    case VARIABLE_INT:
    case VARIABLE_INT64:
      return true;
    default:
      return false;
  }
}

long long Integer_Value(uint16_t flags, const void* p) {
  const bool u = flags & VARIABLE_UNSIGNED;
  switch (flags & VARIABLE_TYPE_MASK & ~VARIABLE_UNSIGNED) {
    case VARIABLE_CHAR:
      return u ? *static_cast<const uint8_t*>(p) : *static_cast<const int8_t*>(p);
    case VARIABLE_SHORT:
      return u ? *static_cast<const uint16_t*>(p) : *static_cast<const int16_t*>(p);
    case VARIABLE_INT:
      return u ? *static_cast<const uint32_t*>(p) : *static_cast<const int32_t*>(p);
    default:
      return *static_cast<const int64_t*>(p);
  }
}

[[gnu::cold]] bool Refuse(const wchar_t* name, const char* why) {
  Host_Report(Host_Main_Window, 2,
              "\xF1\x04" "ERROR:\x02 Host variable \x01%ls\x02 not defined (%s)",
              name ? name : L"null", why);
  return false;
}

bool Valid(const wchar_t* name, uint16_t flags, int count) {
  if (!name || name[0] != L'$' || name[1] == 0) return Refuse(name, "a name is \"$\" and a word");
  if (count < 0) return Refuse(name, "negative count");
  if (!(flags & VARIABLE_TYPE_MASK)) return Refuse(name, "no type");
  return true;
}

class Table {
public:
  void* Get(const wchar_t* name, int* count, uint16_t* flags, Host_Var_Update* update) {
    std::lock_guard<std::mutex> hold(mutex_);
    const Entry* e = name ? Find(name) : nullptr;
    if (count) *count = e ? Count_Of(*e) : 0;
    if (flags) *flags = e ? e->flags : 0;
    if (update) *update = e ? e->update : nullptr;
    return e ? e->storage : nullptr;
  }

  int Define(const wchar_t* name, uint16_t flags, int count, void* storage,
             Host_Var_Update update) {
    if (!Valid(name, flags, count)) return 0;
    if (!storage) return Refuse(name, "no storage");
    std::lock_guard<std::mutex> hold(mutex_);
    Entry& e = Slot(name);
    Retire(e);
    Set(e, flags, count, storage, update);
    return 1;
  }

  void* Define_Owned(const wchar_t* name, uint16_t flags, int count, const void* value,
                     size_t size, Host_Var_Update update) {
    if (!Valid(name, flags, count)) return nullptr;
    const size_t need = (std::max(size, kMinBlock) + 15) & ~size_t(15);
    // The value may lie in the block it replaces; take it before the block is cleared.
    std::vector<unsigned char> bytes;
    if (value && size) bytes.assign(static_cast<const unsigned char*>(value),
                                    static_cast<const unsigned char*>(value) + size);
    std::lock_guard<std::mutex> hold(mutex_);
    Entry* e = Find(name);
    const bool in_place = e && e->owned.data;
    auto r = in_place ? retired_.end() : retired_.find(name);
    const Block old = in_place ? e->owned : r != retired_.end() ? r->second : Block{};
    Block block = old;
    if (old.size < need) {
      block = {std::malloc(need), need};
      if (!block.data) return Out_Of_Memory(need);
    }
    // Nothing fails from here on.
    if (in_place) Release_Text(*e, Holds_Text(flags) ? bytes : std::vector<unsigned char>{});
    else if (r != retired_.end()) retired_.erase(r);
    // An outgrown block may still be cached by a caller: keep it.
    if (old.data && old.data != block.data) graveyard_.push_back(old.data);
    std::memset(block.data, 0, block.size);
    if (!bytes.empty()) std::memcpy(block.data, bytes.data(), bytes.size());
    if (!e) e = &Slot(name);
    e->owned = block;
    Set(*e, flags, count, block.data, update);
    return block.data;
  }

  int Count_Link(const wchar_t* name, const wchar_t* count_name, int max_count) {
    std::lock_guard<std::mutex> hold(mutex_);
    Entry* e = name ? Find(name) : nullptr;
    const Entry* c = count_name ? Find(count_name) : nullptr;
    if (!e || !c || !Is_Integer_Scalar(c->flags)) return 0;
    e->count_from = count_name;
    e->count_max = max_count;
    return 1;
  }

  int Remove(const wchar_t* name) {
    std::lock_guard<std::mutex> hold(mutex_);
    Entry* e = name ? Find(name) : nullptr;
    if (!e) return 0;
    Retire(*e);
    by_name_.erase(std::wstring_view(e->name));
    for (auto it = order_.begin(); it != order_.end(); ++it)
      if (it->get() == e) {
        order_.erase(it);
        break;
      }
    return 1;
  }

  void Clear() {
    std::lock_guard<std::mutex> hold(mutex_);
    for (auto& e : order_) Retire(*e);
    by_name_.clear();
    order_.clear();
  }

  int Count() {
    std::lock_guard<std::mutex> hold(mutex_);
    return int(order_.size());
  }

  const wchar_t* Name(int i) {
    std::lock_guard<std::mutex> hold(mutex_);
    return i >= 0 && size_t(i) < order_.size() ? order_[size_t(i)]->name.c_str() : nullptr;
  }

private:
  Entry* Find(std::wstring_view name) {
    auto it = by_name_.find(name);
    return it == by_name_.end() ? nullptr : it->second;
  }

  // The entry of a name, appended when new; its name (the map key) lives as long as the entry.
  Entry& Slot(const wchar_t* name) {
    if (Entry* e = Find(name)) return *e;
    order_.push_back(std::make_unique<Entry>());
    Entry& e = *order_.back();
    e.name = name;
    by_name_.emplace(std::wstring_view(e.name), &e);
    return e;
  }

  static void Set(Entry& e, uint16_t flags, int count, void* storage, Host_Var_Update update) {
    e.flags = flags;
    e.count = count;
    e.storage = storage;
    e.update = update;
    e.count_from.clear();
    e.count_max = -1;
  }

  int Count_Of(const Entry& e) {
    if ((e.flags & VARIABLE_ARRAY) && !*static_cast<void* const*>(e.storage)) return 0;
    if (e.count_from.empty()) return e.count;
    const Entry* c = Find(e.count_from);
    if (!c || !Is_Integer_Scalar(c->flags)) return e.count;
    long long n = Integer_Value(c->flags, c->storage);
    if (n < 0) n = 0;
    if (e.count_max >= 0 && n > e.count_max) n = e.count_max;
    return n > INT_MAX ? INT_MAX : int(n);
  }

  // Frees the text an owned text variable holds, unless the new value hands the same text back.
  static void Release_Text(Entry& e, const std::vector<unsigned char>& next = {}) {
    if (!Holds_Text(e.flags)) return;
    void** text = static_cast<void**>(e.owned.data);
    void* kept = nullptr;
    if (next.size() >= sizeof kept) std::memcpy(&kept, next.data(), sizeof kept);
    if (*text != kept) std::free(*text);
    *text = nullptr;
  }

  [[gnu::cold]] static void* Out_Of_Memory(size_t need) {
    Host_Report(Host_Main_Window, 1, "line %-4d of %s \nmemory error in malloc (var=%s, dim=%dx%d)",
                __LINE__, "host_variables", "block", int(need), 1);
    return nullptr;
  }

  // Takes an owned block out of its entry and keeps it, zeroed, for the next definition.
  void Retire(Entry& e) {
    if (!e.owned.data) return;
    Release_Text(e);
    std::memset(e.owned.data, 0, e.owned.size);
    if (!retired_.try_emplace(e.name, e.owned).second) graveyard_.push_back(e.owned.data);
    e.owned = {};
    e.storage = nullptr;
  }

  std::mutex mutex_;
  std::vector<std::unique_ptr<Entry>> order_;
  std::unordered_map<std::wstring_view, Entry*> by_name_;
  std::unordered_map<std::wstring, Block> retired_;  // owned blocks of removed variables
  std::vector<void*> graveyard_;                     // outgrown blocks, kept for cached addresses
};

// Never destroyed: the library may still look variables up from its own static clean-ups.
Table& The_Table() {
  static Table* table = new Table;
  return *table;
}

}  // namespace

void* Host_Var_Get(const wchar_t* name, int* count, uint16_t* flags, Host_Var_Update* update) {
  return The_Table().Get(name, count, flags, update);
}

int Host_Var_Define(const wchar_t* name, uint16_t flags, int count, void* storage,
                    Host_Var_Update update) {
  return The_Table().Define(name, flags, count, storage, update);
}

void* Host_Var_Define_Owned(const wchar_t* name, uint16_t flags, int count, const void* value,
                            size_t size, Host_Var_Update update) {
  return The_Table().Define_Owned(name, flags, count, value, size, update);
}

int Host_Var_Count_Link(const wchar_t* name, const wchar_t* count_name, int max_count) {
  return The_Table().Count_Link(name, count_name, max_count);
}

int Host_Var_Remove(const wchar_t* name) { return The_Table().Remove(name); }

void Host_Var_Clear() { The_Table().Clear(); }

int Host_Var_Count() { return The_Table().Count(); }

const wchar_t* Host_Var_Name(int i) { return The_Table().Name(i); }
