// The frame's contour store: a "Contour" buffer in slot 50 with one child per tag value, each
// holding, once computed, its point count, its points and its loops.
#include "algorithms/Contour_Store.h"

#include <quarn/algorithms/Contour.h>
#include <quarn/core/Quarn_Buffer.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "classes/Tree_Trace.h"
#include "core/Check.h"
#include "frames/Frame_Access_Slots.h"

#include <atomic>
#include <cstring>
#include <new>

namespace quarn::contour {

namespace {

constexpr const char* Source_Name = "fct_contour";
constexpr const char* Commit_Label = "Fct_Contour_Create";

void Memory(int line, const char* var, long x, long y) {
  ::quarn::Memory_Error(Source_Name, line, "realloc", var, x, y);
}

Store_Key* Key_Of(Quarn_Buffer* store) { return static_cast<Store_Key*>(store->Data_Get()); }

// A block of count elements copied into buffer's data; false after a reported failure.
template <class T>
bool Copy_In(Quarn_Buffer& buffer, const T* from, size_t count, const char* var) {
  void* data = buffer.Data_New(uint32_t(count * sizeof(T)));
  if (!data) return Memory(__LINE__, var, long(count), long(sizeof(T))), false;
  if (count) std::memcpy(data, from, count * sizeof(T));
  return true;
}

// A computed tag: three parts, the loops as children of the third. A tag without points keeps
// no parts: it reads as no contour, like a tag never computed, and costs no buffers.
bool Fill_Tag(Quarn_Buffer& tag, const Tag_Contour& contour) {
  if (contour.points.Empty()) return tag.Sub_New(0), true;
  Quarn_Buffer* parts = tag.Sub_New(Tag_Parts);
  if (!parts) return Memory(__LINE__, "nb_pts[tag]", Tag_Parts, sizeof(Quarn_Buffer)), false;
  const uint32_t count = uint32_t(contour.points.Size());
  if (!Copy_In(parts[0], &count, 1, "nb_pts[tag]")) return false;
  if (!Copy_In(parts[1], contour.points.Data(), count, "data.frame")) return false;
  const int loops = contour.Loop_Count();
  if (!loops) return true;
  Quarn_Buffer* loop = parts[2].Sub_New(loops);
  if (!loop) return Memory(__LINE__, "loop_idx[tag]", loops, sizeof(Quarn_Buffer)), false;
  for (int i = 0; i < loops; ++i) {
    const uint32_t begin = contour.Loop_Begin(i);
    const uint32_t length = contour.loop_ends[size_t(i)] - begin;
    if (!Copy_In(loop[i], contour.indices.Data() + begin, length, "loop_idx[tag][loop_index]")) return false;
  }
  return true;
}

}  // namespace

Quarn_Buffer* Store_Get(Quarn_2D_Frame* frame) { return frame->User_Get(CONTOUR_SLOT); }

Quarn_Buffer* Store_Make(Quarn_2D_Frame* frame) {
  Quarn_Buffer* store = Store_Get(frame);
  if (!store) {
    store = new (std::nothrow) Quarn_Buffer();
    if (!store) return Memory(__LINE__, "Contour", 1, sizeof(Quarn_Buffer)), nullptr;
    store->Name_Set("Contour");
    if (!frame->User_Set(CONTOUR_SLOT, store)) {
      delete store;
      return nullptr;
    }
  }
  if (!store->Data_Get() && !store->Data_New(sizeof(Store_Key))) return nullptr;
  return store;
}

bool Store_Matches(Quarn_Buffer* store, const Store_Key& key, int tag_nb) {
  const Store_Key* held = store ? Key_Of(store) : nullptr;
  return held && held->step_x == key.step_x && held->step_y == key.step_y && held->flags == key.flags &&
         store->Sub_Count_Get() == tag_nb;
}

bool Tags_Marked(Quarn_2D_Frame* frame, int tag_nb) {
  for (int t = 1; t < tag_nb; ++t)
    if (std::atomic_ref<uint8_t>(frame->tag_used[t]).load(std::memory_order_relaxed)) return true;
  return false;
}

int Store_Commit(Quarn_2D_Frame* frame, Quarn_Buffer* store, const Store_Key& key, int tag_nb,
                 const uint8_t* wanted, const Tag_Contour* results, bool done) {
  frame->Critical_Class_In(Commit_Label);
  bool ok = true;
  // A store freed or made for another tag count while this computation ran: the tags computed
  // before are gone, so they are marked for the next computation.
  if (store->Sub_Count_Get() != tag_nb) {
    if (!store->Sub_New(tag_nb)) ok = false, Memory(__LINE__, "data.frame", tag_nb, sizeof(Quarn_Buffer));
    for (int t = 1; t < tag_nb; ++t)
      if (!wanted[t]) Tag_Used_Mark(frame, t);
  }
  if (Key_Of(store) || store->Data_New(sizeof(Store_Key))) *Key_Of(store) = key;
  else ok = false;
  // A tag that cannot be filled has no contour rather than half of one.
  for (int t = 1; t < tag_nb; ++t) {
    Quarn_Buffer* tag = wanted[t] ? store->Sub_Get(t) : nullptr;
    if (!tag) continue;
    if (ok && done && Fill_Tag(*tag, results[t])) continue;
    tag->Sub_New(0);
    if (done) ok = false;
  }
  frame->Critical_Class_Out(Commit_Label);
  return ok ? 1 : 0;
}

Quarn_Buffer* Tag_Parts_Get(Quarn_2D_Frame* frame, int tag) {
  Quarn_Buffer* store = Store_Get(frame);
  Quarn_Buffer* child = store ? store->Sub_Get(tag) : nullptr;
  return child && child->Sub_Count_Get() == Tag_Parts ? child->Sub_Get(0) : nullptr;
}

Store_Reading::Store_Reading(Quarn_2D_Frame* frame, const char* label) : frame_(frame), label_(label) {
  frame_->Critical_Class_In(label_);
}

Store_Reading::~Store_Reading() { frame_->Critical_Class_Out(label_); }

bool Readable(Quarn_2D_Frame* frame, int16_t tag, const char* label) {
  if (!QUARN_CHECK(Object_Of(frame), Frame, label)) return false;
  if (tag >= 0 && tag < Tag_Values) return true;
  QUARN_REPORT(msg::Invalid, "%s: tag %d is no tag value (0 to %d)", label, int(tag), Tag_Values - 1);
  return false;
}

}  // namespace quarn::contour
