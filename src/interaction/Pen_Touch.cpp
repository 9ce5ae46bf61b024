// Pen and touch messages decoded: the pen's state, and the two-finger gesture from the contacts
// followed across messages.
#include <quarn/interaction/Pen_Touch.h>

#include "interaction/Pointer_Functions.h"

#include <cmath>
#include <vector>

namespace {

using quarn::pointer::Functions;

constexpr uint64_t kLow16 = 0xFFFF;
/// Touch positions come in hundredths of a pixel.
constexpr double kTouchUnit = 100.0;
constexpr double kDegreesPerRadian = 57.295776;

/// One followed contact: 0 free, 1 down, 2 moved.
struct Touch_Slot {
  uint8_t state = 0;
  uint32_t id = 0;
  int32_t previous_x = 0, previous_y = 0;
  int32_t current_x = 0, current_y = 0;
};

Pen_Record g_pen{};
Touch_Gesture g_gesture{};
Touch_Slot g_slots[TOUCH_SLOTS];

// Slot 0 follows the primary contact, slots 1 ... 3 the others.
Touch_Slot* Slot_With_Id(uint32_t id, int first) {
  for (int i = first; i < TOUCH_SLOTS; ++i)
    if (g_slots[i].id == id) return &g_slots[i];
  return nullptr;
}

void Apply(const Platform_Touch_Input& in) {
  const bool primary = in.flags & PLATFORM_TOUCH_PRIMARY;
  if (in.flags & PLATFORM_TOUCH_UP) {
    if (primary) {
      for (Touch_Slot& s : g_slots) s = Touch_Slot{};
    } else if (Touch_Slot* s = Slot_With_Id(in.id, 1)) {
      *s = Touch_Slot{};
    }
  } else if (in.flags & PLATFORM_TOUCH_DOWN) {
    Touch_Slot* s = primary ? &g_slots[0] : Slot_With_Id(0, 1);
    if (s) *s = Touch_Slot{1, in.id, in.x, in.y, in.x, in.y};
  } else if (in.flags & PLATFORM_TOUCH_MOVE) {
    if (Touch_Slot* s = Slot_With_Id(in.id, 0)) {
      s->previous_x = s->current_x;
      s->previous_y = s->current_y;
      s->current_x = in.x;
      s->current_y = in.y;
      s->state = 2;
    }
  }
}

const Touch_Slot* Secondary() {
  for (int i = 1; i < TOUCH_SLOTS; ++i)
    if (g_slots[i].state) return &g_slots[i];
  return nullptr;
}

// A quotient whose divisor is 0 (both contacts at one place, or level on an axis) measures no
// change: it is 1.
double Ratio(double now, double before) { return before == 0 ? 1.0 : now / before; }

void Gesture(const Touch_Slot& p, const Touch_Slot& s) {
  const double dxp = (s.previous_x - p.previous_x) / kTouchUnit, dyp = (s.previous_y - p.previous_y) / kTouchUnit;
  const double dxc = (s.current_x - p.current_x) / kTouchUnit, dyc = (s.current_y - p.current_y) / kTouchUnit;
  const double cx = (p.current_x + s.current_x) / 2.0 / kTouchUnit;
  const double cy = (p.current_y + s.current_y) / 2.0 / kTouchUnit;
  const double px = (p.previous_x + s.previous_x) / 2.0 / kTouchUnit;
  const double py = (p.previous_y + s.previous_y) / 2.0 / kTouchUnit;
  g_gesture.scale = float(Ratio(std::hypot(dxc, dyc), std::hypot(dxp, dyp)));
  g_gesture.angle = float((std::atan2(dxc, dyc) - std::atan2(dxp, dyp)) * kDegreesPerRadian);
  g_gesture.pan_x = float(cx - px);
  g_gesture.pan_y = float(cy - py);
  g_gesture.centre_x = float(cx);
  g_gesture.centre_y = float(cy);
  g_gesture.ratio_x = float(Ratio(dxc, dxp));
  g_gesture.ratio_y = float(Ratio(dyc, dyp));
}

}  // namespace

int Fct_Pointer_Pen(Host_Window window, uint32_t message, uint64_t a, uint64_t b, const Pen_Record** record) {
  const Functions& f = quarn::pointer::Functions_Get();
  if (!f.type || !f.info || !f.pen_info || !record) return 0;
  const auto id = uint32_t(a & kLow16);
  uint32_t type = PLATFORM_POINTER_GENERIC;
  Platform_Pointer_Info pointer;
  Platform_Pen_Info pen;
  if (!f.type(id, &type) || !f.info(id, &pointer) || type != PLATFORM_POINTER_PEN || !f.pen_info(id, &pen)) return 0;
  const bool touching = (pointer.flags & PLATFORM_POINTER_IN_CONTACT) || pen.pressure != 0;
  g_pen.state = !touching ? PEN_STATE_UP : (pen.pen_flags & PLATFORM_PEN_INVERTED) ? PEN_STATE_ERASER : PEN_STATE_DOWN;
  g_pen.x = uint32_t(b & kLow16);
  g_pen.y = uint32_t(b >> 16 & kLow16);
  g_pen.pressure = pen.pressure;
  *record = &g_pen;
  return 1;
}

int Fct_Pointer_Touch(Host_Window window, uint32_t message, uint64_t a, uint64_t b, const Touch_Gesture** gesture) {
  const Functions& f = quarn::pointer::Functions_Get();
  if (!f.touch_info || !f.touch_close) return 0;
  const int count = int(a & kLow16);
  std::vector<Platform_Touch_Input> inputs(static_cast<size_t>(count));
  const int read = f.touch_info(b, count, inputs.data(), int(sizeof(Platform_Touch_Input)));
  f.touch_close(b);
  if (!read) return 0;
  for (const Platform_Touch_Input& in : inputs) Apply(in);
  const Touch_Slot* secondary = Secondary();
  if (count < 2 || !secondary) return 0;
  Gesture(g_slots[0], *secondary);
  if (gesture) *gesture = &g_gesture;
  return 1;
}

void Fct_RegisterTouchWindow(Host_Window window) {
  const Functions& f = quarn::pointer::Functions_Get();
  if (f.register_window) f.register_window(window, 0);
}
