// Fct_Callback_Draw_*: running one of an object's tables of draw callbacks.
#include <quarn/display/OpenGL_Context.h>
#include <quarn/display/Scene_Draw.h>

#include "display/Scene_Support.h"

using namespace quarn;

namespace {

/// Slot answer: done, and the base table's slot 0 must not run.
constexpr int Skip_Default = 2;

/// Calls the set slots first ... last (either direction); 0 when one answered 0. before and
/// after run around each called slot with its index.
template <int N, class Around>
int Run_Slots(Quarn_2D_Draw (&table)[N], int first, int last, Quarn_2D* object, uint64_t mask,
              Quarn_Window* window, bool* skip_default, Around&& around) {
  int result = 1;
  const int step = first <= last ? 1 : -1;
  for (int i = first;; i += step) {
    if (Quarn_2D_Draw slot = table[i]) {
      const int answer = around(i, [&] { return slot(object, mask, window); });
      if (answer == 0) result = 0;
      if (answer == Skip_Default && skip_default) *skip_default = true;
    }
    if (i == last) break;
  }
  return result;
}

constexpr auto Plain = [](int, auto&& call) { return call(); };

template <int N>
int Run_Up(Quarn_2D_Draw (&table)[N], Quarn_2D* object, uint64_t mask, Quarn_Window* window) {
  return Run_Slots(table, 0, N - 1, object, mask, window, nullptr, Plain);
}

}  // namespace

int Fct_Callback_Draw_Base(Quarn_2D* object, uint64_t mask, Quarn_Window* window) {
  if (!QUARN_CHECK_NODE(object, Class_2D, "Fct_Callback_Draw_Base")) return 0;
  bool skip = false;
  int result = Run_Slots(object->fct_draw_base, 31, 1, object, mask, window, &skip, Plain);
  if (!skip && object->fct_draw_base[0] && object->fct_draw_base[0](object, mask, window) == 0) result = 0;
  return result;
}

int Fct_Callback_Draw_OpenGL(Quarn_2D* object, uint64_t mask, Quarn_Window* window) {
  if (!QUARN_CHECK_NODE(object, Class_2D, "Fct_Callback_Draw_OpenGL")) return 0;
  return Run_Up(object->fct_draw_opengl, object, mask, window);
}

int Fct_Callback_Draw_Stencil(Quarn_2D* object, uint64_t mask, Quarn_Window* window) {
  if (!QUARN_CHECK_NODE(object, Class_2D, "Fct_Callback_Draw_Stencil")) return 0;
  Host_Window handle = window ? window->hwnd : nullptr;
  // Slot i writes stencil bit i, and what it leaves behind is masked by every bit written so far.
  return Run_Slots(object->fct_draw_stencil, 0, 7, object, mask, window, nullptr,
                   [handle](int i, auto&& call) {
                     OpenGL_Stencil_On(handle, 1 << i);
                     const int answer = call();
                     OpenGL_Stencil_Off(handle);
                     return answer;
                   });
}

int Fct_Callback_Draw_XOR(Quarn_2D* object, uint64_t mask, Quarn_Window* window) {
  if (!QUARN_CHECK_NODE(object, Class_2D, "Fct_Callback_Draw_XOR")) return 0;
  return Run_Up(object->fct_draw_xor, object, mask, window);
}

int Fct_Callback_Draw_3D(Quarn_2D* object, uint64_t mask, Quarn_Window* window) {
  if (!QUARN_CHECK_NODE(object, Class_2D, "Fct_Callback_Draw_3D")) return 0;
  return Run_Up(object->fct_draw_3d, object, mask, window);
}
