// The frame's pending redraw and update rectangles, kept inside the frame.
#include <quarn/frames/Quarn_2D_Frame.h>

#include "classes/Tree_Trace.h"
#include "frames/Frame_Layer_Buffer.h"

#include <algorithm>

using namespace quarn;

namespace {

float Clamp(float v, float high) {
  return std::min(std::max(v, 0.0f), high);
}

// The union with region (its space code stays), clamped to the frame; null: the whole frame.
void Grow_In_Frame(Region_2D& pending, const Region_2D* region, const Quarn_2D_Frame& frame) {
  if (!region) {
    pending = Layer_Extent(frame);
    return;
  }
  const float x_high = float(frame.width) - 1, y_high = float(frame.height) - 1;
  pending.x_min = Clamp(std::min(pending.x_min, region->x_min), x_high);
  pending.y_min = Clamp(std::min(pending.y_min, region->y_min), y_high);
  pending.x_max = Clamp(std::max(pending.x_max, region->x_max), x_high);
  pending.y_max = Clamp(std::max(pending.y_max, region->y_max), y_high);
}

// Drawing threads copy the rectangles under the frame's lock; changes take it as well.
template <class Change>
void Locked(Quarn_2D_Frame* frame, const char* label, Change change) {
  Trace_In(label, frame);
  if (!QUARN_CHECK(Object_Of(frame), Frame, label)) return;
  frame->Critical_Class_In(label);
  change();
  frame->Critical_Class_Out(label);
  Trace_Out(label);
}

}  // namespace

void Quarn_2D_Frame::Region_Redraw_Set(const Region_2D* region) {
  Locked(this, "Quarn_2D_Frame::Region_Redraw_Set",
         [&] { Grow_In_Frame(reg_redraw, region, *this); });
}

Region_2D* Quarn_2D_Frame::Region_Redraw_Get() {
  return &reg_redraw;
}

void Quarn_2D_Frame::Region_Redraw_Clear() {
  Locked(this, "Quarn_2D_Frame::Region_Redraw_Clear", [&] { reg_redraw.Clear(); });
}

void Quarn_2D_Frame::Region_Update_Set(const Region_2D* region) {
  Locked(this, "Quarn_2D_Frame::Region_Update_Set",
         [&] { Grow_In_Frame(reg_update, region, *this); });
}

Region_2D* Quarn_2D_Frame::Region_Update_Get() {
  return &reg_update;
}

void Quarn_2D_Frame::Region_Update_Clear() {
  Locked(this, "Quarn_2D_Frame::Region_Update_Clear", [&] { reg_update.Clear(); });
}
