// The host's one window record: made on first use, so that a session that never selects frames
// has no window at all.
#include "Host_Command.h"

#include <quarn/quarn.h>

#include <memory>

namespace {

std::unique_ptr<Quarn_Window> g_window;

template <class T>
T* Var(const wchar_t* name) {
  return static_cast<T*>(Host_Var_Get(name, nullptr, nullptr, nullptr));
}

}  // namespace

Quarn_Window* Host_Window_Get() {
  if (g_window) return g_window.get();
  auto** list = Var<Quarn_Window**>(L"$WINDOW_PT");
  int* count = Var<int>(L"$WINDOW_NB");
  auto** current = Var<Quarn_Window*>(L"$WINDOW_CUR");
  if (!list || !*list || !count || !current) return nullptr;
  g_window = std::make_unique<Quarn_Window>(0);
  g_window->Class_A_Set(WINDOW_MODE_2D_ALL);
  g_window->box_2.color = Host_Color(40, 44, 52);  // the background the scene passes paint
  (*list)[0] = g_window.get();
  *count = 1;
  *current = g_window.get();
  return g_window.get();
}

void Host_Window_Release() {
  if (!g_window) return;
  if (auto** current = Var<Quarn_Window*>(L"$WINDOW_CUR")) *current = nullptr;
  if (int* count = Var<int>(L"$WINDOW_NB")) *count = 0;
  g_window.reset();
}

std::vector<Quarn_2D_Frame*> Host_Selected_Frames() {
  std::vector<Quarn_2D_Frame*> frames;
  Quarn_Window* window = Host_Window_Get();
  if (!window) return frames;
  const uint16_t id = Iterator_Init("host", nullptr);
  while (Quarn_2D* node = Iterator_Class_2D(id, Quarn_2D_Frame::Class_A, window, quarn::mode::If_Selected))
    frames.push_back(static_cast<Quarn_2D_Frame*>(node));
  Iterator_End(id);
  return frames;
}
