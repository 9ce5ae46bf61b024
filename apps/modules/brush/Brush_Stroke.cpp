// The brush stroke: capsules of the brush radius around each segment of the pointer's path,
// written pixel by pixel through the frame's tag write, with the changed rectangle sent to the
// display as it grows.
#include "Brush_Stroke.h"

#include <quarn/quarn.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// Redraw bit of a frame's pixels.
constexpr uint64_t Redraw_Frame_Pixels = 8;
// All windows, as the update and redraw selectors take them.
Quarn_Window* const All_Windows = nullptr;

/// Squared distance from (px, py) to the segment a-b.
float Distance2(float px, float py, const Point_2D& a, const Point_2D& b) {
  const float dx = b.x - a.x, dy = b.y - a.y;
  const float length2 = dx * dx + dy * dy;
  float t = length2 > 0 ? ((px - a.x) * dx + (py - a.y) * dy) / length2 : 0.0f;
  t = std::clamp(t, 0.0f, 1.0f);
  const float ex = px - (a.x + t * dx), ey = py - (a.y + t * dy);
  return ex * ex + ey * ey;
}

/// First and last pixel index of [low, high] clipped to 0 ... size - 1 (first > last: none).
void Span(float low, float high, int size, int& first, int& last) {
  first = int(std::max(std::floor(low), 0.0f));
  last = int(std::min(std::floor(high), float(size - 1)));
  if (!(low == low) || !(high == high)) first = 0, last = -1;
}

}  // namespace

bool Brush_Stroke::Begin(Quarn_Window* window, Quarn_2D_Frame* frame, Point_2D p, const Brush_Settings& settings) {
  if (!frame || !frame->fct_write_tag) return false;
  if (frame->image) Host_Image_Tags_Alloc(frame->image);
  if (!frame->Work_TAG_Get()) return false;
  window_ = window;
  frame_ = frame;
  settings_ = settings;
  settings_.radius = std::clamp(settings_.radius, Brush_Radius_Min, Brush_Radius_Max);
  covered_ = Region_2D(6);
  changed_ = 0;
  aborted_ = false;
  // Without undo (a capacity of 0) the stroke still paints.
  recording_ = Undo_Pixel_Start_TAG() != 0;
  last_ = p;
  Segment(p, p);
  return true;
}

long Brush_Stroke::To(Point_2D p) {
  if (!frame_) return 0;
  const long n = Segment(last_, p);
  last_ = p;
  return n;
}

long Brush_Stroke::End() {
  if (!frame_) return 0;
  const long changed = changed_;
  if (recording_) {
    if (Undo_Pixel_TAG* block = Undo_Pixel_Stop_TAG()) {
      const int tag = settings_.erase ? 0 : settings_.tag;
      if (!Undo_Save_Command(&Undo_Pixel_UndoRedo_TAG, &Undo_Pixel_Size_TAG, block, "brush: %ld pixel(s) to tag %d",
                             changed, tag))
        std::free(block);
    }
  }
  frame_ = nullptr;
  window_ = nullptr;
  recording_ = false;
  return changed;
}

// Only the segment's bounding box, clipped to the frame, is visited, so a segment costs its own
// area whatever the frame's size; the display rebuilds and redraws that box alone.
long Brush_Stroke::Segment(Point_2D a, Point_2D b) {
  if (aborted_) return 0;
  const float r = settings_.radius, r2 = r * r;
  int x0, x1, y0, y1;
  Span(std::min(a.x, b.x) - r, std::max(a.x, b.x) + r, frame_->width, x0, x1);
  Span(std::min(a.y, b.y) - r, std::max(a.y, b.y) + r, frame_->height, y0, y1);
  if (x0 > x1 || y0 > y1) return 0;  // wholly outside the frame
  const int tag = settings_.erase ? 0 : settings_.tag;
  const float z = float(frame_->z_index), time = float(frame_->t_index);
  long changed = 0;
  for (int y = y0; y <= y1 && !aborted_; ++y)
    for (int x = x0; x <= x1; ++x) {
      if (Distance2(x + 0.5f, y + 0.5f, a, b) > r2) continue;
      const int result = frame_->fct_write_tag(frame_, frame_->image, Vec4(float(x), float(y), z, time), tag);
      if (result < 0) {  // the undo recording gave up: the stroke stops here
        aborted_ = true;
        break;
      }
      changed += result;
    }
  changed_ += changed;
  const Region_2D box(6, float(x0), float(y0), float(x1), float(y1));
  covered_.Add(box);
  if (changed) {
    Fct_Update(UPDATE_DISPLAY_TAG, All_Windows, frame_, &box);
    Fct_Redraw(Redraw_Frame_Pixels, All_Windows, frame_, &box);
  }
  return changed;
}
