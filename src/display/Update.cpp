// Update and redraw requests: delay batching, marking of windows and objects, host messages.
#include <quarn/display/Update.h>

#include <quarn/classes/Quarn_2D.h>
#include <quarn/core/Region.h>
#include <quarn/display/Critical.h>
#include <quarn/display/Quarn_Window.h>

#include "classes/Window_Selector.h"
#include "core/Trace.h"
#include "display/Frame_Marks.h"
#include "interaction/Database_Vars.h"
#include "script/Remembered_Variable.h"

#include <hostkit/HostReport.h>
#include <platform/PlatformMessage.h>

#include <atomic>
#include <cstdlib>

namespace {

using quarn::Remembered_Variable;

Remembered_Variable g_flag_update{L"$FLAG_UPDATE", true};
Remembered_Variable g_flag_redraw{L"$FLAG_REDRAW", true};
Remembered_Variable g_fct_redraw{L"$FCT_REDRAW"};

constexpr uint64_t Command_Bits = 0xE000000000000000ull;
constexpr uint64_t Immediate_Bit = 0x2000000000000000ull;
constexpr uint64_t Window_Update_Bits = 0x100230100ull;
constexpr uint64_t Object_Update_Bits = 0x202000F000000ull;
constexpr uint64_t Window_Redraw_Bits = 0x90006ull;
constexpr uint64_t Object_Redraw_Bits = 0x20C0A8ull;
constexpr uint64_t Tag_Data_Bit = 0x2000000ull;
constexpr uint64_t Tag_Data_Flags = 0x260000ull;
constexpr int Unbalanced_Delay = 10;

/// What one of the two request kinds keeps between calls; guarded by the global critical section.
struct Request_State {
  int delay = 0;
  uint64_t accumulated = 0;
};

Request_State g_update;
Request_State g_redraw;
// Shared by both kinds and by the direct update, which runs outside the critical section.
std::atomic<uint32_t> g_post_failures{0};

uintptr_t Selector_Value(const void* p) { return reinterpret_cast<uintptr_t>(p); }
bool Is_Selector(const void* p) { return Selector_Value(p) < 8; }
bool Is_None(const void* p) { return Selector_Value(p) == 8; }

/// ORs bits into one of the 64-bit flag variables; the direct update writes without the lock.
void Flag_Or(Remembered_Variable& variable, uint64_t bits) {
  if (uint64_t* flag = variable.As<uint64_t>())
    std::atomic_ref<uint64_t>(*flag).fetch_or(bits, std::memory_order_relaxed);
}

[[gnu::cold]] void Post_Failed() {
  const uint32_t failures = g_post_failures.fetch_add(1, std::memory_order_relaxed);
  if ((failures & 0xFF) == 0)
    QUARN_REPORT(quarn::msg::Low_File, "Fct_Redraw: Unable to post message [%d]", int(failures));
}

void Post(uint32_t id, uint64_t a, uint64_t b) {
  if (!Platform_Post_Message(Host_Main_Window, id, a, b)) Post_Failed();
}

[[gnu::cold]] void Unbalanced(const char* kind) {
  QUARN_REPORT(quarn::msg::Invalid, "\xF1\x05WARNING:\x02 Unbalanced %s_DELAY messages", kind);
}

/// Calls fn(window) for each window the selector names: a window or 8 once, 4 the current
/// window, the other small values every listed window (those with bit 0x2 only windows shown).
template <class Fn>
void For_Each_Target(Quarn_Window* window, Fn&& fn) {
  const uintptr_t value = Selector_Value(window);
  if (value == 8 || value >= 16) return fn(window);
  if (value == 4) {
    if (Quarn_Window* current = quarn::Window_Current()) fn(current);
    return;
  }
  if (value >= 8) return;
  Quarn_Window* const* list = nullptr;
  const int count = quarn::Window_List(&list);
  for (int i = 0; i < count; ++i)
    if (list[i] && (!(value & 2) || list[i]->on)) fn(list[i]);
}

/// The node a request marks and its propagation mode and frame filter: the object itself with
/// mode 0x30, or for a selector the whole tree with the selector's own filter.
struct Target {
  Quarn_2D* node;
  unsigned char mode;
  uint8_t filter;
};

Target Target_Of(Quarn_2D* object) {
  if (!Is_Selector(object)) return {object, 0x30, 0};
  const auto s = uint8_t(Selector_Value(object));
  return {quarn::Root_2D_Get(), static_cast<unsigned char>((s & 15) | 0x30), s};
}

void Apply_Update(uint64_t mask, Quarn_Window* window, Quarn_2D* object, const Region_2D* region) {
  if ((mask & Window_Update_Bits) && !Is_None(window)) {
    window->update_a |= mask;
    window->update_b |= mask;
  }
  if (!(mask & Object_Update_Bits) || Is_None(object)) return;
  const Target t = Target_Of(object);
  if (!t.node) return;
  t.node->Update_A_Set_On(t.mode, window, mask);
  t.node->Update_B_Set_On(t.mode, window, mask);
  if (mask & Tag_Data_Bit) t.node->Flag_Set_On(t.mode, window, Tag_Data_Flags);
  quarn::Frames_Mark(t.node, window, t.filter, region, quarn::Frame_Mark::Update);
}

void Apply_Redraw(uint64_t mask, Quarn_Window* window, Quarn_2D* object, const Region_2D* region) {
  if ((mask & Window_Redraw_Bits) && !Is_None(window)) window->redraw |= mask;
  if (!(mask & Object_Redraw_Bits) || Is_None(object)) return;
  const Target t = Target_Of(object);
  if (!t.node) return;
  t.node->Redraw_Set_On(t.mode, window, mask);
  quarn::Frames_Mark(t.node, window, t.filter, region, quarn::Frame_Mark::Redraw);
}

/// The texts and rules in which the two request kinds differ.
struct Request_Kind {
  const char* name;   // "Update" or "Redraw"
  const char* delay;  // "UPDATE" or "REDRAW"
  uint32_t trace;
  Request_State* state;
};

const Request_Kind Update_Kind{"Update", "UPDATE", quarn::msg::Update, &g_update};
const Request_Kind Redraw_Kind{"Redraw", "REDRAW", quarn::msg::Draw, &g_redraw};

/// Steps the delay counter for the command bits; after the last enable the accumulated mask
/// joins this one and goes to every window and frame. Returns the mask without command bits.
uint64_t Delay_Step(const Request_Kind& kind, uint64_t mask, Quarn_Window*& window,
                    Quarn_2D*& object, const Region_2D*& region) {
  Request_State& s = *kind.state;
  if (mask & UPDATE_DELAY_ON) {
    QUARN_REPORT(kind.trace, "-> Fct_%s: *********** %s disabled ** (delay:%d, flag:%016llx)", kind.name,
                 kind.name, s.delay + 1, (unsigned long long)s.accumulated);
    ++s.delay;
  } else if (!(mask & UPDATE_DELAY_OFF)) {
    if (Host_Report_Enabled(kind.trace)) {
      const Region_2D none;
      const Region_2D& r = region ? *region : none;
      const bool has = region != nullptr;
      QUARN_REPORT(kind.trace, "-> Fct_%s: %04X %04X %04X %04X (wind:%08X) (class:%08X) (region:%d-%d,%d-%d)",
                   kind.name, unsigned(mask >> 48 & 0xFFFF), unsigned(mask >> 32 & 0xFFFF),
                   unsigned(mask >> 16 & 0xFFFF), unsigned(mask & 0xFFFF), unsigned(Selector_Value(window)),
                   unsigned(Selector_Value(object)), has ? int(r.x_min) : 0, has ? int(r.x_max) : 0,
                   has ? int(r.y_min) : 0, has ? int(r.y_max) : 0);
    }
  } else {
    QUARN_REPORT(kind.trace, "-> Fct_%s: *********** %s enabled *** (delay:%d, flag:%016llx)", kind.name,
                 kind.name, s.delay - 1, (unsigned long long)s.accumulated);
  }
  if (mask & UPDATE_DELAY_OFF) {
    if (s.delay-- == 1 && s.accumulated) {
      mask |= s.accumulated;
      s.accumulated = 0;
      window = UPDATE_NO_WINDOW;
      object = UPDATE_NO_OBJECT;
      region = nullptr;
      QUARN_REPORT(kind.trace, "-> Fct_%s: Apply accumulated flag (%016llx) to all windows/frames", kind.name,
                   (unsigned long long)(mask & ~Command_Bits));
    }
  }
  if (std::abs(s.delay) == Unbalanced_Delay) Unbalanced(kind.delay);
  return mask & ~Command_Bits;
}

}  // namespace

void Fct_Update(uint64_t mask, Quarn_Window* window, Quarn_2D* object, const Region_2D* region) {
  QUARN_REPORT(quarn::msg::Update, ">>> in  Fct: Fct_Update(%016llx)", (unsigned long long)mask);
  Fct_Critical_In("Fct_Update");
  mask = Delay_Step(Update_Kind, mask, window, object, region);
  if (g_update.delay < 0) {
    Fct_Critical_Out("Fct_Update");
    QUARN_REPORT(quarn::msg::Update, "<<< out Fct: Fct_Update(Update_Delay < 0)");
    return;
  }
  if (g_update.delay >= 1) {
    g_update.accumulated |= mask;
    QUARN_REPORT(quarn::msg::Update, "-> Fct_Update: Accumulate_Delay:%llX", (unsigned long long)g_update.accumulated);
  } else if (mask) {
    Flag_Or(g_flag_update, mask);
    Post(UPDATE_MESSAGE, mask >> 32, mask & 0xFFFFFFFFull);
  }
  For_Each_Target(window, [&](Quarn_Window* w) { Apply_Update(mask, w, object, region); });
  Fct_Critical_Out("Fct_Update");
  QUARN_REPORT(quarn::msg::Update, "<<< out Fct: Fct_Update()");
}

void Fct_Redraw(uint64_t mask, Quarn_Window* window, Quarn_2D* object, const Region_2D* region) {
  QUARN_REPORT(quarn::msg::Draw, ">>> in  Fct: Fct_Redraw()");
  Fct_Critical_In("Fct_Redraw");
  const bool immediate = mask & Immediate_Bit;
  if (immediate && !(mask & (UPDATE_DELAY_ON | UPDATE_DELAY_OFF)))
    QUARN_REPORT(quarn::msg::Draw, "-> Fct_Redraw: *********** Redraw Immediate *************");
  Fct_Redraw_Host* host_redraw = g_fct_redraw.As<Fct_Redraw_Host>();
  mask = Delay_Step(Redraw_Kind, mask, window, object, region) & 0xFFFFFFFFull;
  if (g_redraw.delay >= 0) {
    if (g_redraw.delay >= 1) {
      g_redraw.accumulated |= mask;
      QUARN_REPORT(quarn::msg::Draw, "-> Fct_Redraw: Accumulate_Delay:%llX", (unsigned long long)g_redraw.accumulated);
    } else if (mask) {
      Post(REDRAW_MESSAGE, 0, mask);
      Flag_Or(g_flag_redraw, mask);
    }
    if (!Is_None(window))
      For_Each_Target(window, [&](Quarn_Window* w) { Apply_Redraw(mask, w, object, region); });
  }
  Fct_Critical_Out("Fct_Redraw");
  if (immediate && host_redraw && *host_redraw)
    (*host_redraw)(g_flag_update.As<uint64_t>(), g_flag_redraw.As<uint64_t>());
  QUARN_REPORT(quarn::msg::Draw, "<<< out Fct: Fct_Redraw()");
}

void Fct_Update_Direct(uint64_t mask) {
  QUARN_REPORT(quarn::msg::Update, ">>> in  Fct: Fct_Update_Direct(%016llx)", (unsigned long long)mask);
  mask &= ~Command_Bits;
  Flag_Or(g_flag_update, mask);
  Post(UPDATE_MESSAGE, mask >> 32, mask & 0xFFFFFFFFull);
  QUARN_REPORT(quarn::msg::Update, "<<< out Fct: Fct_Update_Direct()");
}
