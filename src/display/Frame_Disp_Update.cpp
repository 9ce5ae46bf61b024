// Class_Frame_Update_GLI_Disp and Class_Frame_Update_TAG_Disp: the frame's display layers
// rebuilt from its working layers over the update region only (the whole frame when the layer
// is new).
#include <quarn/core/Quarn_Buffer.h>
#include <quarn/display/Pixel_Render.h>
#include <quarn/frames/Quarn_2D_Frame.h>
#include <quarn/host/Progress.h>

#include "classes/Tree_Trace.h"
#include "display/Pixel_Colour_Map.h"
#include "display/Pixel_Variables.h"
#include "display/Pixel_Tag_Palette.h"

#include <algorithm>
#include <new>

using namespace quarn;
using namespace quarn::pixel;

namespace {

constexpr const char* GLI_Label = "Class_Frame_Update_GLI_Disp";
constexpr const char* TAG_Label = "Class_Frame_Update_TAG_Disp";
constexpr uint32_t Slot_Disp_TAG = 2;
constexpr uint32_t Slot_Disp_GLI = 3;
constexpr uint32_t RGBA_Bytes = 4;

// The pixels a conversion visits: the update region truncated to integers and clipped to the
// frame; empty when x0 > x1 or y0 > y1.
struct Pixel_Box {
  int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
  bool Empty() const { return x0 > x1 || y0 > y1; }
};

// [low, high] of a float range truncated and clipped to 0 ... size - 1; the clip comes first so
// that far-off or NaN bounds cannot overflow.
void Clip(float low, float high, int size, int& first, int& last) {
  const float top = float(size - 1);
  first = low > 0.0f ? int(std::min(low, top + 1.0f)) : 0;
  last = high < top ? (high > -1.0f ? int(high) : -1) : size - 1;
  if (!(low == low) || !(high == high)) first = 0, last = -1;
}

Pixel_Box Box_Of(const Region_2D& region, const Quarn_2D_Frame& frame) {
  Pixel_Box box;
  Clip(region.x_min, region.x_max, frame.width, box.x0, box.x1);
  Clip(region.y_min, region.y_max, frame.height, box.y0, box.y1);
  return box;
}

Pixel_Box Whole(const Quarn_2D_Frame& frame) { return {0, 0, int(frame.width) - 1, int(frame.height) - 1}; }

Pixel_Box Update_Box(Quarn_2D_Frame* frame, const char* label) {
  frame->Critical_Class_In(label);
  const Region_2D region = frame->reg_update;
  frame->Critical_Class_Out(label);
  return Box_Of(region, *frame);
}

[[gnu::cold]] Quarn_Buffer* Buffer_Make(Quarn_2D_Frame* frame, uint32_t slot, const char* name, uint32_t bytes) {
  auto* buffer = new (std::nothrow) Quarn_Buffer();
  if (!buffer || !buffer->Data_New(bytes) || !frame->User_Set(slot, buffer)) {
    QUARN_MEMORY_ERROR_NEW();
    delete buffer;
    return nullptr;
  }
  buffer->Name_Set("%s", name);
  return buffer;
}

// The display layer's block: the slot's buffer when there is one (grown if the frame outgrew
// it), else a new one, which makes the whole frame due. Null after a reported failure.
void* Display_Block(Quarn_2D_Frame* frame, uint32_t slot, const char* name, uint32_t bytes, Pixel_Box& box) {
  Quarn_Buffer* buffer = frame->User_Get(slot);
  if (!buffer) {
    buffer = Buffer_Make(frame, slot, name, bytes);
    if (!buffer) return nullptr;
    box = Whole(*frame);
  } else if (buffer->Size_Get() < bytes || !buffer->Data_Get()) {
    buffer->Data_Delete();
    if (!buffer->Data_New(bytes)) {
      QUARN_MEMORY_ERROR_NEW();
      return nullptr;
    }
    box = Whole(*frame);
  }
  return buffer->Data_Get();
}

uint32_t Frame_Pixels(const Quarn_2D_Frame& frame) { return uint32_t(frame.width) * frame.height; }

int Finish(const char* label) {
  Fct_Progress_Inc(1);
  Trace_Out(label);
  return 1;
}

int Fail(const char* label, const char* why) {
  Trace_Out(label, why);
  return 0;
}

}  // namespace

int Class_Frame_Update_GLI_Disp(Quarn_2D_Frame* frame) {
  Trace_In(GLI_Label, frame);
  if (!QUARN_CHECK_FRAME(frame, GLI_Label)) return Fail(GLI_Label, "! frame");
  Pixel_Box box = Update_Box(frame, GLI_Label);
  int32_t** work = frame->Work_GLI_Get();
  if (!work) return Fail(GLI_Label, "! work_gli");
  if (!frame->disp_gli)
    frame->disp_gli = Display_Block(frame, Slot_Disp_GLI, "Disp GLI", Frame_Pixels(*frame) * RGBA_Bytes, box);
  if (!frame->disp_gli) return Fail(GLI_Label, "! disp_gli");
  Colour_Mapping mapping;
  if (!mapping.Prepare(uint8_t(frame->pixel_kind), frame->conv_b, frame->conv_a, frame->val_min, frame->val_max))
    return Fail(GLI_Label, "! Fct_GLI_2_Color");
  Fct_GLI_2_Color(uint8_t(frame->pixel_kind), frame->conv_b, frame->conv_a, frame->val_min, frame->val_max);
  frame->Critical_Class_In(GLI_Label);
  auto* display = static_cast<uint32_t*>(frame->disp_gli);
  const int n = box.x1 - box.x0 + 1;
  for (int y = box.y0; y <= box.y1 && n > 0; ++y)
    mapping.Map_Row(work[y] + box.x0, display + size_t(y) * frame->width + box.x0, n);
  frame->Critical_Class_Out(GLI_Label);
  return Finish(GLI_Label);
}

int Class_Frame_Update_TAG_Disp(Quarn_2D_Frame* frame) {
  Trace_In(TAG_Label, frame);
  if (!QUARN_CHECK_FRAME(frame, TAG_Label)) return Fail(TAG_Label, "! frame");
  Pixel_Box box = Update_Box(frame, TAG_Label);
  uint16_t** work = frame->Work_TAG_Get();
  if (!work) return Fail(TAG_Label, "! work_tag");
  // The layout is fixed when the buffer is made; a flag changed since then must not make words
  // go into a byte buffer.
  const bool bytes = frame->User_Get(Slot_Disp_TAG) ? Tag_Layer_Is_Bytes(frame)
                                                     : bool(GL_Flag.Value<uint8_t>() & Flag_Tag_Bytes);
  if (!frame->disp_tag)
    frame->disp_tag = Display_Block(frame, Slot_Disp_TAG, "Disp TAG",
                                    Frame_Pixels(*frame) * (bytes ? 1 : RGBA_Bytes), box);
  if (!frame->disp_tag) return Fail(TAG_Label, "! disp_tag");
  Tag_Palette palette;
  if (!palette.Build(bytes)) return Fail(TAG_Label, "! $TAG_RED");
  frame->Critical_Class_In(TAG_Label);
  const int n = box.x1 - box.x0 + 1;
  for (int y = box.y0; y <= box.y1 && n > 0; ++y) {
    const size_t at = size_t(y) * frame->width + box.x0;
    if (bytes) palette.Number_Row(work[y] + box.x0, static_cast<uint8_t*>(frame->disp_tag) + at, n);
    else palette.Colour_Row(work[y] + box.x0, static_cast<uint32_t*>(frame->disp_tag) + at, n);
  }
  frame->Critical_Class_Out(TAG_Label);
  return Finish(TAG_Label);
}
