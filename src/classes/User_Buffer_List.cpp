// The user buffers of tree nodes: filing, lookup, release by id or priority, size and dump.
#include <quarn/classes/User_Buffer_List.h>
#include <quarn/core/Quarn_Buffer.h>

#include <hostkit/HostUtil.h>

#include "classes/Stool_Indent.h"
#include "classes/User_Buffer_Style.h"
#include "core/Check.h"
#include "core/Trace.h"

#include <cstdlib>

using quarn::User_Buffer_Style;

namespace {

constexpr uint64_t Update_Buffers = 0x40000000;

void Trace_In_Id(const User_Buffer_Style& s, const char* label, Quarn& owner, const char* what,
                 uint32_t value) {
  QUARN_REPORT(quarn::msg::Class, ">>> in  %s: %s(%s:%ls%s%s=%d)", s.word, label, owner.Title_Get(),
               owner.Name_Get(), s.separator, what, int(value));
}

void Trace_In(const User_Buffer_Style& s, const char* label, Quarn& owner) {
  QUARN_REPORT(quarn::msg::Class, ">>> in  %s: %s(%s:%ls)", s.word, label, owner.Title_Get(),
               owner.Name_Get());
}

void Trace_Out(const User_Buffer_Style& s, const char* label) {
  QUARN_REPORT(quarn::msg::Class, "<<< out %s: %s()", s.word, label);
}

// Grows one array by an entry; the old block stays valid (and in use) when this fails.
template <class T>
bool Grow(T*& array, int count, const char* var) {
  auto* grown = static_cast<T*>(std::realloc(array, sizeof(T) * size_t(count)));
  if (!grown) {
    QUARN_MEMORY_ERROR("realloc", var, count, sizeof(T));
    return false;
  }
  array = grown;
  return true;
}

}  // namespace

User_Buffer_List::~User_Buffer_List() { Destroy_All(); }

void User_Buffer_List::Destroy_All() {
  for (int i = 0; i < user_nb_; ++i) delete user_pt_[i];
  std::free(user_pt_);
  std::free(user_id_);
  user_pt_ = nullptr;
  user_id_ = nullptr;
  user_nb_ = 0;
}

int User_Buffer_List::Find(uint32_t id) const {
  for (int i = 0; i < user_nb_; ++i)
    if (user_id_[i] == id) return i;
  return -1;
}

int User_Buffer_List::Set(Quarn& owner, const User_Buffer_Style& s, uint32_t id,
                          Quarn_Buffer* buffer) {
  Trace_In_Id(s, s.set_label, owner, "ID", id);
  owner.Critical_Class_In(s.set_label);
  int pos = Find(id);
  if (pos < 0) {
    // Both arrays must hold the new entry before the count admits it.
    if (!Grow(user_id_, user_nb_ + 1, "m_user_id") || !Grow(user_pt_, user_nb_ + 1, "m_user_pt")) {
      owner.Critical_Class_Out(s.set_label);
      QUARN_REPORT(quarn::msg::Class, "<<< out %s: %s(memory)", s.word, s.set_label);
      return 0;
    }
    pos = user_nb_++;
    user_id_[pos] = id;
  }
  user_pt_[pos] = buffer;
  owner.Critical_Class_Out(s.set_label);
  s.request(Update_Buffers);
  Trace_Out(s, s.set_label);
  return 1;
}

Quarn_Buffer* User_Buffer_List::Get(Quarn& owner, const User_Buffer_Style& s, uint32_t id) {
  Trace_In_Id(s, s.get_label, owner, "ID", id);
  owner.Critical_Class_In(s.get_label);
  const int pos = Find(id);
  Quarn_Buffer* buffer = pos < 0 ? nullptr : user_pt_[pos];
  owner.Critical_Class_Out(s.get_label);
  if (pos < 0)
    QUARN_REPORT(quarn::msg::Class, "<<< out %s: %s(not found)", s.word, s.get_label);
  else
    QUARN_REPORT(quarn::msg::Class, "<<< out %s: %s(%d)", s.word, s.get_label, pos);
  return buffer;
}

int User_Buffer_List::Delete(Quarn& owner, const User_Buffer_Style& s, uint32_t id) {
  Trace_In_Id(s, s.delete_label, owner, "ID", id);
  owner.Critical_Class_In(s.delete_label);
  const int pos = Find(id);
  if (pos < 0) {
    owner.Critical_Class_Out(s.delete_label);
    Trace_Out(s, s.delete_label);
    return 0;
  }
  if (s.drop) s.drop(&owner, id);
  delete user_pt_[pos];
  for (int i = pos + 1; i < user_nb_; ++i) {
    user_id_[i - 1] = user_id_[i];
    user_pt_[i - 1] = user_pt_[i];
  }
  --user_nb_;
  owner.Critical_Class_Out(s.delete_label);
  s.request(Update_Buffers);
  QUARN_REPORT(quarn::msg::Class, "<<< out %s: %s(%d)", s.word, s.delete_label, pos);
  return 1;
}

uint64_t User_Buffer_List::Cleanup(Quarn& owner, const User_Buffer_Style& s, uint16_t level) {
  Trace_In_Id(s, s.cleanup_label, owner, "level", level);
  owner.Critical_Class_In(s.cleanup_label);
  uint64_t released = 0;
  int kept = 0;
  for (int i = 0; i < user_nb_; ++i) {
    Quarn_Buffer* buffer = user_pt_[i];
    // Class B is the buffer's priority; class A bit 0 protects it.
    if (buffer && buffer->Class_B_Get() == level && !(buffer->Class_A_Get() & 1)) {
      released += buffer->Size_Get();
      if (s.drop) s.drop(&owner, user_id_[i]);
      delete buffer;
      continue;
    }
    user_id_[kept] = user_id_[i];
    user_pt_[kept] = buffer;
    ++kept;
  }
  if (kept != user_nb_) {
    user_nb_ = kept;
    if (kept == 0) {
      std::free(user_id_);
      std::free(user_pt_);
      user_id_ = nullptr;
      user_pt_ = nullptr;
    } else {
      // Shrinking cannot lose entries: a failed shrink leaves the larger blocks in use.
      if (auto* ids = static_cast<uint32_t*>(std::realloc(user_id_, sizeof(uint32_t) * size_t(kept))))
        user_id_ = ids;
      if (auto* pts = static_cast<Quarn_Buffer**>(std::realloc(user_pt_, sizeof(Quarn_Buffer*) * size_t(kept))))
        user_pt_ = pts;
    }
  }
  owner.Critical_Class_Out(s.cleanup_label);
  Trace_Out(s, s.cleanup_label);
  return released;
}

uint64_t User_Buffer_List::Memory(Quarn& owner, const User_Buffer_Style& s) {
  Trace_In(s, s.memory_label, owner);
  owner.Critical_Class_In(s.memory_label);
  uint64_t total = 0;
  for (int i = 0; i < user_nb_; ++i)
    if (user_pt_[i]) total += user_pt_[i]->Size_Get();
  owner.Critical_Class_Out(s.memory_label);
  Trace_Out(s, s.memory_label);
  return total;
}

void User_Buffer_List::Stool(Quarn& owner, const User_Buffer_Style& s, int message_class,
                             int depth, uint32_t id) {
  Trace_In_Id(s, s.stool_label, owner, "ID", id);
  owner.Critical_Class_In(s.stool_label);
  if (Host_Report_Enabled(uint32_t(message_class))) {
    char indent[quarn::Stool_Indent_Size];
    quarn::Stool_Indent(indent, depth);
    for (int i = 0; i < user_nb_; ++i) {
      Quarn_Buffer* buffer = user_pt_[i];
      if (!buffer || (id != 0 && user_id_[i] != id)) continue;
      wchar_t size_text[64];
      Host_Report(Host_Main_Window, uint32_t(message_class),
                  L"%s       buffer [%08X] \"\x01%ls\x02\" (priority=%1X) (%ls)", indent,
                  unsigned(user_id_[i]), buffer->Name_Get(), unsigned(buffer->Class_B_Get()),
                  Host_Bytes_To_Text(buffer->Size_Get(), size_text));
    }
  }
  owner.Critical_Class_Out(s.stool_label);
  Trace_Out(s, s.stool_label);
}
