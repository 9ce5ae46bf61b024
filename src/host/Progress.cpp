// The progress light and bar: one lock guards the count, the bouncing marker and the light.
#include <quarn/host/Progress.h>

#include "core/Trace.h"
#include "host/Progress_Light.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <mutex>

Host_Progress_Object Progress_Quarn;
Host_Window Window_Progress = nullptr;

namespace {

namespace progress = quarn::progress;
using quarn::msg::Progress;

enum Mode : int { Idle = 0, Stopped = 1, Running = 2 };

// The accumulator wraps here, which bounds the marker's moves.
constexpr float kAccumulatorWrap = 1000.0f;

struct Progress_State {
  int mode = Idle;
  int total = 0;
  int current = 0;
  int position = 0;
  int direction = 0;
  float accumulator = 0.0f;
  int light = progress::Light_Green;
};

// Recursive: Reset clears the light through Fct_Progress_Clear while it holds the lock.
std::recursive_mutex g_lock;
Progress_State g_state;

#define PROGRESS_BAR_DOWN                                                                      \
  L"\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC" \
  L"\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC" \
  L"\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC"
#define PROGRESS_BAR_UP                                                                        \
  L"\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2" \
  L"\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2" \
  L"\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2"

/// Holds the progress lock for one operation, with the bracket lines around it.
class Progress_Lock {
public:
  explicit Progress_Lock(const char* op) : op_(op) {
    g_lock.lock();
    QUARN_REPORT(Progress, L"\u25BCD\u25BC\u25BC\u25BC\u25BC Fct_Progress " PROGRESS_BAR_DOWN L"(%hs)", op_);
  }
  ~Progress_Lock() {
    QUARN_REPORT(Progress, L"\u25B2D\u25B2\u25B2\u25B2\u25B2 Fct Progress " PROGRESS_BAR_UP L"(%hs)", op_);
    g_lock.unlock();
  }
  Progress_Lock(const Progress_Lock&) = delete;
  Progress_Lock& operator=(const Progress_Lock&) = delete;

private:
  const char* op_;
};

// The host shows no progress box until it sets the window; then every call is a no-op.
bool Window_Missing(const char* op) {
  if (Progress_Quarn.wnd) return false;
  QUARN_REPORT(Progress, "<<< out Fct: %s(! Progress_Quarn.wnd)", op);
  return true;
}

void Draw_Bar() { Host_Progress_Bar_Redraw(&Progress_Quarn.box, g_state.current, g_state.total); }

void Fill_Inner(uint32_t rgb) {
  Host_Widget_Box& box = Progress_Quarn.box;
  Host_Widget_Box_Fill(&box, box.border, box.border, box.width - box.border,
                       box.height - box.border, Host_Color(rgb));
}

// Steps may come from far-off code; anything beyond the int range saturates.
int Clamped_Sum(int value, int step, int total) {
  long long sum = static_cast<long long>(value) + step;
  return int(std::clamp<long long>(sum, 0, std::max(total, 0)));
}

long long Integer_Part(float value) {
  constexpr float kLimit = 1e15f;  // keeps the conversion defined
  return static_cast<long long>(std::trunc(std::clamp(value, -kLimit, kLimit)));
}

// Moves the marker by distance inside 0 ... width: mirrored at 0 (going up afterwards) and
// folded back at or past the width (going down afterwards), until it lies inside.
void Bounce(long long distance, int width) {
  int& position = g_state.position;
  int& direction = g_state.direction;
  if (width <= 0) {
    position = 0;
    return;
  }
  const long long period = 2LL * width;
  // A box that shrank since the last move holds the marker at its edge.
  long long p = std::clamp<long long>(position, 0, width) + distance;
  if (p < 0) p = -p, direction = 1;
  // Past twice the width each fold lands below 0 and is mirrored again: whole rounds at once.
  if (p > period) p -= period * ((p - 1) / period), direction = 1;
  if (p >= width) p = period - p, direction = -1;
  position = int(p);
}

[[gnu::cold]] void Bad_Light(int light) {
  QUARN_REPORT(quarn::msg::Invalid, "Fct_Progress_Clear: light %d is none of 0 to %d", light,
               progress::Light_Count);
  QUARN_REPORT(Progress, "<<< out Fct: Fct_Progress_Clear(! light)");
}

}  // namespace

void Fct_Progress_Start(int total) {
  if (Window_Missing("Fct_Progress_Start")) return;
  QUARN_REPORT(Progress, ">>> in  Fct: Fct_Progress_Start(%d)", total);
  {
    Progress_Lock hold("Start");
    // A new count starts from nothing: the bar at 0 and the marker at rest.
    g_state = Progress_State{Running, std::max(total, 0), 0, 0, 0, 0.0f, progress::Light_Green};
    Draw_Bar();
  }
  QUARN_REPORT(Progress, "<<< out Fct: Fct_Progress_Start()");
}

void Fct_Progress_Inc(int step) {
  if (Window_Missing("Fct_Progress_Inc")) return;
  QUARN_REPORT(Progress, ">>> in  Fct: Fct_Progress_Inc(%d)", step);
  {
    Progress_Lock hold("Inc");
    if (g_state.mode == Idle) {
      QUARN_REPORT(Progress, "<<< out Fct: Fct_Progress_Inc(! Progress_Flag)");
      return;
    }
    g_state.current = Clamped_Sum(g_state.current, step, g_state.total);
    Draw_Bar();
  }
  QUARN_REPORT(Progress, "<<< out Fct: Fct_Progress_Inc()");
}

void Fct_Progress_PingPong(float step) {
  if (Window_Missing("Fct_Progress_PingPong")) return;
  QUARN_REPORT(Progress, ">>> in  Fct: Fct_Progress_PingPong(%g)", double(step));
  Progress_Lock hold("PingPong");
  if (g_state.mode == Idle) {
    QUARN_REPORT(Progress, "<<< out Fct: Fct_Progress_PingPong(! Progress_Flag)");
    return;
  }
  const long long before = Integer_Part(g_state.accumulator);
  if (std::isfinite(step)) g_state.accumulator += step;
  if (g_state.accumulator >= kAccumulatorWrap) g_state.accumulator = 0.0f;
  const long long change = Integer_Part(g_state.accumulator) - before;
  if (change == 0) {
    QUARN_REPORT(Progress, "<<< out Fct: Fct_Progress_PingPong(! val)");
    return;
  }
  if (g_state.direction == 0) g_state.direction = 1;
  Bounce(change * g_state.direction, Progress_Quarn.box.width);
  if (g_state.total > 0) Draw_Bar();
  else Fill_Inner(progress::Empty_Rgb);
  Host_Progress_Bar_PingPong(&Progress_Quarn.box, g_state.position, g_state.total);
  QUARN_REPORT(Progress, "<<< out Fct: Fct_Progress_PingPong()");
}

void Fct_Progress_Stop() {
  if (Window_Missing("Fct_Progress_Stop")) return;
  QUARN_REPORT(Progress, ">>> in  Fct: Fct_Progress_Stop()");
  {
    Progress_Lock hold("Stop");
    g_state.mode = Stopped;
  }
  QUARN_REPORT(Progress, "<<< out Fct: Fct_Progress_Stop()");
}

void Fct_Progress_Reset() {
  if (Window_Missing("Fct_Progress_Reset")) return;
  QUARN_REPORT(Progress, ">>> in  Fct: Fct_Progress_Reset()");
  {
    Progress_Lock hold("Reset");
    if (g_state.mode == Stopped) {
      g_state.mode = Idle;
      Fct_Progress_Clear(progress::Light_Green);
    }
  }
  QUARN_REPORT(Progress, "<<< out Fct: Fct_Progress_Reset()");
}

void Fct_Progress_Clear(int light) {
  if (Window_Missing("Fct_Progress_Clear")) return;
  QUARN_REPORT(Progress, ">>> in  Fct: Fct_Progress_Clear(%d)", light);
  if (light < 0 || light > progress::Light_Count) return Bad_Light(light);
  {
    Progress_Lock hold("Clear");
    if (light) g_state.light = light;
    Host_Widget_Box_Redraw(&Progress_Quarn.box);
    Fill_Inner(progress::Light_Rgb[g_state.light]);
  }
  QUARN_REPORT(Progress, "<<< out Fct: Fct_Progress_Clear()");
}
