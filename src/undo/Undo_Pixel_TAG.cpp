// The TAG recorder: old and new label bytes of tag edits, and the table of tags they touched.
#include <quarn/undo/Undo_Pixel.h>

#include <quarn/display/Update.h>
#include <quarn/script/Host_Variable.h>

#include "core/Trace.h"
#include "undo/Pixel_Block.h"
#include "undo/Pixel_Recorder.h"
#include "undo/Undo_Frames.h"

#include <atomic>
#include <cstring>

namespace {

using namespace quarn::undo;

constexpr int Tag_Nb = 256;
constexpr uint8_t Mark_Old = 0x01, Mark_New = 0x02;
constexpr uint64_t Redraw_Tags = 0x7F8;

// "$UNDO_TAG", looked up once: an array variable's storage holds the address of its 256 marks,
// a plain one is the marks.
struct Mark_Variable {
  std::atomic<void*> storage{nullptr};
  std::atomic<bool> array{false};
};
Mark_Variable g_mark_var;

uint8_t* Mark_Table() {
  void* storage = g_mark_var.storage.load(std::memory_order_acquire);
  if (!storage) {
    uint16_t flags = 0;
    storage = Fct_Variable_Get(L"$UNDO_TAG", nullptr, &flags, nullptr, 0);
    if (!storage) return nullptr;
    g_mark_var.array.store(flags & VARIABLE_ARRAY, std::memory_order_relaxed);
    g_mark_var.storage.store(storage, std::memory_order_release);
  }
  return g_mark_var.array.load(std::memory_order_relaxed) ? *static_cast<uint8_t**>(storage)
                                                          : static_cast<uint8_t*>(storage);
}

// The table of the running recording, read once when it starts.
std::atomic<uint8_t*> g_marks{nullptr};

// Workers mark from several threads: a mark already set is only read, so the table's line stays
// shared once the tags of an edit are known.
[[gnu::always_inline]] inline void Mark(uint8_t* table, uint8_t tag, uint8_t bit) {
  std::atomic_ref<uint8_t> cell(table[tag]);
  if (!(cell.load(std::memory_order_relaxed) & bit)) cell.fetch_or(bit, std::memory_order_relaxed);
}

[[gnu::always_inline]] inline void Mark_Both(uint8_t* table, uint8_t old_tag, uint8_t new_tag) {
  if (!table) return;
  Mark(table, old_tag, Mark_Old);
  Mark(table, new_tag, Mark_New);
}

void On_Start() {
  uint8_t* table = Mark_Table();
  if (table) std::memset(table, 0, Tag_Nb);
  g_marks.store(table, std::memory_order_relaxed);
}

void Apply_Begin(Apply_State& state) {
  state.marks = Mark_Table();
  if (state.marks) std::memset(state.marks, 0, Tag_Nb);
}

void Apply(uint8_t undo, const void* entries, size_t n, Apply_State& state) {
  auto* e = static_cast<const Undo_Pixel_TAG*>(entries);
  uint8_t seen[Tag_Nb] = {};
  const uint8_t* lo = state.lo ? state.lo : reinterpret_cast<const uint8_t*>(UINTPTR_MAX);
  const uint8_t* hi = state.hi;
  for (size_t i = 0; i < n; ++i) {
    const uint8_t replaced = undo ? e[i].new_value : e[i].old_value;
    const uint8_t written = undo ? e[i].old_value : e[i].new_value;
    *e[i].pixel = written;
    seen[replaced] |= Mark_Old;
    seen[written] |= Mark_New;
    if (e[i].pixel < lo) lo = e[i].pixel;
    if (e[i].pixel > hi) hi = e[i].pixel;
  }
  if (n) state.lo = lo, state.hi = hi;
  if (state.marks)
    for (int t = 0; t < Tag_Nb; ++t) state.marks[t] |= seen[t];
}

void Apply_End(Apply_State& state) {
  Frames_Touched(state.lo, state.hi, Undo_Plane::Tag, UPDATE_DATA_TAG | UPDATE_DISPLAY_TAG);
  Fct_Redraw(Redraw_Tags);
}

constexpr Recorder_Kind kTag{"TAG",
                             sizeof(Undo_Pixel_TAG),
                             "Undo_Pixel_Record_TAG",
                             "-> recorded %d pixels in TAG undo list",
                             "fct_undo_pixels",
                             "Record_Nb_TAG",
                             "Record_List_TAG",
                             "Record_List_TAG_Chunk",
                             true,
                             quarn::msg::Notice,
                             &On_Start,
                             &Apply_Begin,
                             &Apply,
                             &Apply_End};

Pixel_Recorder g_tag{kTag};
thread_local constinit Thread_Cache t_cache [[gnu::tls_model("initial-exec")]];

// A call while no recording runs only marks; one after an abort refuses.
[[gnu::noinline]] int Record_Not_On(int state, uint8_t old_tag, uint8_t new_tag) {
  if (state == Record_Aborted) return 0;
  Mark_Both(Mark_Table(), old_tag, new_tag);
  return 1;
}

[[gnu::cold, gnu::noinline]] int Null_Pixel() {
  QUARN_REPORT(quarn::msg::Invalid, "Undo_Pixel_Record_TAG: null pixel, not recorded");
  return 1;
}

}  // namespace

int Undo_Pixel_Start_TAG() { return g_tag.Start(); }

int Undo_Pixel_Record_TAG(uint8_t* pixel, uint8_t old_tag, uint8_t new_tag) {
  const int state = g_tag.State();
  if (state != Record_On) [[unlikely]] return Record_Not_On(state, old_tag, new_tag);
  Mark_Both(g_marks.load(std::memory_order_relaxed), old_tag, new_tag);
  if (!pixel) [[unlikely]] return Null_Pixel();
  return g_tag.Append<Undo_Pixel_TAG>(t_cache, [=](Undo_Pixel_TAG* e) {
    e->pixel = pixel;
    e->old_value = old_tag;
    e->new_value = new_tag;
  });
}

Undo_Pixel_TAG* Undo_Pixel_Stop_TAG() { return static_cast<Undo_Pixel_TAG*>(g_tag.Stop()); }

int Undo_Pixel_UndoRedo_TAG(uint8_t undo, void* block) {
  return Block_Apply<Undo_Pixel_TAG>(kTag, undo, block, UNDO_KIND_TAG);
}

uint32_t Undo_Pixel_Size_TAG(void* block) { return Block_Size<Undo_Pixel_TAG>(block); }
