// The GLI recorder: old and new grey values of 1 to 8 bytes.
#include <quarn/undo/Undo_Pixel.h>

#include <quarn/display/Update.h>

#include "core/Trace.h"
#include "undo/Pixel_Block.h"
#include "undo/Pixel_Recorder.h"
#include "undo/Undo_Frames.h"

#include <algorithm>
#include <cstring>

namespace {

using namespace quarn::undo;

constexpr uint8_t Value_Max = 8;
constexpr uint64_t Redraw_Grey = 0x7F8;

void Apply_Begin(Apply_State&) {}

void Apply(uint8_t undo, const void* entries, size_t n, Apply_State& state) {
  auto* e = static_cast<const Undo_Pixel_GLI*>(entries);
  for (size_t i = 0; i < n; ++i) {
    auto* at = static_cast<uint8_t*>(e[i].pixel);
    std::memcpy(at, undo ? e[i].old_value : e[i].new_value, e[i].size);
    state.lo = state.lo ? std::min<const uint8_t*>(state.lo, at) : at;
    state.hi = std::max<const uint8_t*>(state.hi, at + e[i].size - 1);
  }
}

void Apply_End(Apply_State& state) {
  Frames_Touched(state.lo, state.hi, Undo_Plane::Grey, UPDATE_DATA_GLI | UPDATE_DISPLAY_GLI);
  Fct_Redraw(Redraw_Grey);
}

constexpr Recorder_Kind kGli{"GLI",
                             sizeof(Undo_Pixel_GLI),
                             "Undo_Pixel_Record_GLI",
                             "-> recorded %d pixels in GLI undo list",
                             "fct_undo_pixels",
                             "Record_Nb_GLI",
                             "Record_List_GLI",
                             "Record_List_GLI_Chunk",
                             true,
                             quarn::msg::Notice,
                             nullptr,
                             &Apply_Begin,
                             &Apply,
                             &Apply_End};

Pixel_Recorder g_gli{kGli};
thread_local constinit Thread_Cache t_cache [[gnu::tls_model("initial-exec")]];

[[gnu::cold, gnu::noinline]] int Null_Value() {
  QUARN_REPORT(quarn::msg::Invalid, "Undo_Pixel_Record_GLI: null value, not recorded");
  return 1;
}

}  // namespace

int Undo_Pixel_Start_GLI() { return g_gli.Start(); }

int Undo_Pixel_Record_GLI(uint8_t size, void* pixel, const void* old_value, const void* new_value) {
  const int state = g_gli.State();
  if (state != Record_On) return state == Record_Aborted ? 0 : 1;
  if (size > Value_Max || size == 0) return 1;
  if (!pixel || !old_value || !new_value) [[unlikely]] return Null_Value();
  if (!std::memcmp(old_value, new_value, size)) return 1;
  return g_gli.Append<Undo_Pixel_GLI>(t_cache, [=](Undo_Pixel_GLI* e) {
    e->size = size;
    e->pixel = pixel;
    std::memset(e->old_value, 0, Value_Max);
    std::memset(e->new_value, 0, Value_Max);
    std::memcpy(e->old_value, old_value, size);
    std::memcpy(e->new_value, new_value, size);
  });
}

Undo_Pixel_GLI* Undo_Pixel_Stop_GLI() { return static_cast<Undo_Pixel_GLI*>(g_gli.Stop()); }

int Undo_Pixel_UndoRedo_GLI(uint8_t undo, void* block) {
  return Block_Apply<Undo_Pixel_GLI>(kGli, undo, block, UNDO_KIND_GLI);
}

uint32_t Undo_Pixel_Size_GLI(void* block) { return Block_Size<Undo_Pixel_GLI>(block); }
