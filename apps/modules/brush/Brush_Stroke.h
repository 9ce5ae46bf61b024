// Brush_Stroke: one stroke of the paint brush on one frame, from press to release: discs of the
// brush's tag along the pointer's path, one undo command for the whole stroke.
#pragma once

#include <quarn/core/Point.h>
#include <quarn/core/Region.h>

class Quarn_2D_Frame;
class Quarn_Window;

/// Smallest brush radius, in frame pixels: a disc that still holds the pixel under the pointer.
inline constexpr float Brush_Radius_Min = 0.5f;
/// Largest brush radius, in frame pixels.
inline constexpr float Brush_Radius_Max = 256.0f;

/// What the brush paints with.
struct Brush_Settings {
  int tag = 1;          ///< Tag painted (1 ... 255); erasing writes 0 instead.
  float radius = 3.0f;  ///< Disc radius in frame pixels, Brush_Radius_Min ... Brush_Radius_Max.
  bool erase = false;   ///< Erase mode: the stroke gives its pixels tag 0 back.
};

/// One stroke in progress. Every pixel whose centre lies within the radius of the path (the
/// segments between successive pointer samples, so that fast moves leave no gaps) takes the tag
/// through the frame's tag write: locked tags stay, and each change is recorded for undo.
class Brush_Stroke {
public:
  /// Starts a stroke on frame at the frame-space point p and paints its first disc; false (and
  /// nothing painted) for a null frame or a frame without tag storage.
  bool Begin(Quarn_Window* window, Quarn_2D_Frame* frame, Point_2D p, const Brush_Settings& settings);
  /// Paints the segment from the last sample to p; the number of pixels it changed.
  long To(Point_2D p);
  /// Ends the stroke and saves it as one undo command; the number of pixels it changed.
  long End();
  /// True between Begin and End.
  bool Active() const { return frame_ != nullptr; }
  /// The frame painted on, or null outside a stroke.
  Quarn_2D_Frame* Frame() const { return frame_; }
  /// The window the stroke started in.
  Quarn_Window* Window() const { return window_; }
  /// Frame-space rectangle of the pixels the stroke covered so far (empty before any).
  const Region_2D& Covered() const { return covered_; }

private:
  long Segment(Point_2D a, Point_2D b);

  Quarn_Window* window_ = nullptr;
  Quarn_2D_Frame* frame_ = nullptr;
  Brush_Settings settings_;
  Point_2D last_;
  Region_2D covered_;
  long changed_ = 0;
  bool recording_ = false;
  bool aborted_ = false;
};
