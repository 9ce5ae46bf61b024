// Quarn_Window: the record of one display window (mode, owner module, size, pan, 3D view).
#pragma once

#include <quarn/Export.h>
#include <quarn/core/Point.h>
#include <quarn/core/Quarn.h>
#include <quarn/core/Region.h>

#include <hostkit/HostMath.h>
#include <hostkit/HostWidgets.h>

#include <cstdint>

/// Window modes, kept in the record's class A.
enum : uint16_t {
  WINDOW_MODE_2D_ALL = 0x0100,  ///< Every frame of the shown node tiled; zoom entry 0.
  WINDOW_MODE_2D_ONE = 0x0101,  ///< One frame fills the window; zoom entry 1.
  WINDOW_MODE_3D = 0x0202,      ///< 3D view.
  WINDOW_MODE_GEOM = 0x0808,    ///< Geometry view.
};

/// One display window: magic 0xACBC, class A the mode, class B the window index (0-9).
///
/// The record derives from Quarn alone and declares no virtual operation, so that its object
/// base sits at its address: the class trees read the index and mode through that base.
class QUARN_API Quarn_Window : public Quarn {
public:
  /// Module word of a window that no module owns.
  static constexpr uint32_t No_Module = 0xFFFFFF;

  /// Window number n: named "Window n", mode WINDOW_MODE_2D_ALL, index 0, default 3D view.
  explicit Quarn_Window(int number);
  /// Copies every field and the identity words; the copy keeps its own id and lock.
  Quarn_Window(const Quarn_Window& other);
  /// Copies every field and the identity words of other.
  Quarn_Window& operator=(const Quarn_Window& other);
  /// Traces the destruction.
  ~Quarn_Window();

  /// The module that owns the window now.
  unsigned int Module_Get() const { return module; }
  /// Hands the window to a module.
  void Module_Set(unsigned int value) { module = value; }

  /// Window pixels (origin top left, y down) to interface pixels (origin bottom left, y up),
  /// through the pan.
  Point_2D Wnd_2_Inf(Point_2D point);
  /// Window to interface space, corners sorted.
  Region_2D Wnd_2_Inf(Region_2D region);
  /// Interface pixels to window pixels.
  Point_2D Inf_2_Wnd(Point_2D point);
  /// Interface to window space, corners sorted.
  Region_2D Inf_2_Wnd(Region_2D region);

  uint32_t module = No_Module;     ///< Module that owns the window now.
  uint32_t module_2d = No_Module;  ///< Module used in the 2D modes.
  uint32_t module_3d = No_Module;  ///< Module used in the 3D and geometry modes.
  uint8_t on = 0;                  ///< The window is shown.
  uint8_t flag = 0;                ///< Second state byte, the host's.
  uint64_t update_a = 0;           ///< Window-level update word A.
  uint64_t update_b = 0;           ///< Window-level update word B.
  uint64_t redraw = 0;             ///< Window-level redraw word.
  uint16_t width = 0;              ///< Drawing surface width in pixels.
  uint16_t height = 0;             ///< Drawing surface height in pixels.
  uint16_t size_c = 0;             ///< Third size word, the host's.
  Host_Widget_Box box;             ///< The window's panel.
  Host_Scroll_Valuator pan_x;      ///< Horizontal scroll; its value is the horizontal pan.
  Host_Scroll_Valuator pan_y;      ///< Vertical scroll; its value is the vertical pan.
  Host_Widget_Box box_2;           ///< Second panel; its colour is the window background.
  Mat4 view_a;                     ///< 3D view matrix A; the identity turned by pi about x.
  Mat4 view_b;                     ///< 3D view matrix B.
  Mat4 view_c;                     ///< 3D view matrix C.
  float fov = 27.0f;               ///< Field of view of the 3D view, in degrees.
  Vec4 up;                         ///< Up direction of the 3D view.
  Vec4 front;                      ///< Viewing direction of the 3D view.
  Vec4 aux_a;                      ///< Free 3D view vector A.
  Vec4 aux_b;                      ///< Free 3D view vector B.
  float size_3d = 1.0f;            ///< Extent (diagonal) of the 3D scene.
  Point_3D center_3d;              ///< Centre of the 3D scene.
  uint64_t host_word = 0;          ///< The host's word.
  Host_Window hwnd = nullptr;      ///< The host window on which the loop timers run.

private:
  void Copy_From(const Quarn_Window& other);
};
