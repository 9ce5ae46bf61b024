// The frame's pixel-access slots and the conversion of its stored grey integers to real values.
#include "frames/Frame_Access_Slots.h"

#include <quarn/frames/Frame_Layers.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include <hostkit/HostImage.h>

#include "classes/Node_Kinds.h"
#include "classes/Tree_Trace.h"
#include "frames/Frame_Layer_Buffer.h"
#include "frames/Frame_Slots.h"
#include "frames/Pixel_Chain.h"
#include "script/Remembered_Variable.h"

namespace quarn {

namespace {

// One byte per tag; a nonzero entry forbids overwriting that tag and writing it.
Remembered_Variable g_tag_lock{L"$TAG_LOCK"};

// Column and row of a point in the frame's layers; false outside them.
bool Cell_Of(const Quarn_2D_Frame& frame, const Vec4& p, int& x, int& y) {
  x = Trunc_Index(p.x);
  y = Trunc_Index(p.y);
  return x >= 0 && y >= 0 && x < frame.width && y < frame.height;
}

[[gnu::cold, gnu::noinline]] int Tag_Out_Of_Range(Quarn_2D_Frame* frame, int tag) {
  QUARN_REPORT(msg::Invalid, "Invalid tag %d in %s", tag, "Quarn_2D_Frame::Tag_Write");
  QUARN_REPORT(msg::Invalid, "-> type:%s, name:%ls", Title_Of(Object_Of(frame)),
               Name_Of(Object_Of(frame)));
  return 0;
}

/// The tag layer a write keeps in step: the loaded one, or the one reloaded where it went stale.
/// A frame that never made its layer gets none: a write must not cost a read of the whole frame,
/// and whatever loads the layer later reads the written tags.
uint16_t** Tag_Rows_For_Write(Quarn_2D_Frame* frame) {
  if (uint16_t** rows = View_Get(frame->work_tag)) return rows;
  return frame->User_Get(Layer_Work_TAG.slot) ? frame->Work_TAG_Get() : nullptr;
}

/// The pixel's tag where the frame's layer would load it from.
int Tag_Through_Chain(Quarn_2D_Frame* frame, void* image, const Vec4& point) {
  const int tag = frame->fct_read_tag && frame->fct_read_tag != &Frame_Read_TAG
                      ? frame->fct_read_tag(frame, image, point)
                      : Node_Read_TAG(frame, image, point);
  return tag & 0xFF;
}

}  // namespace

int Frame_Read_GLI(Quarn_2D* node, void* image, Vec4 point) {
  Quarn_2D_Frame* frame = quarn::Frame_Of(node);
  if (int32_t** rows = View_Get(frame->work_gli)) {
    int x, y;
    return Cell_Of(*frame, point, x, y) ? rows[y][x] : GLI_NONE;
  }
  return Node_Read_GLI(node, image, point);
}

int Frame_Read_TAG(Quarn_2D* node, void* image, Vec4 point) {
  Quarn_2D_Frame* frame = quarn::Frame_Of(node);
  if (uint16_t** rows = View_Get(frame->work_tag)) {
    int x, y;
    return Cell_Of(*frame, point, x, y) ? rows[y][x] & 0xFF : 0;
  }
  return Node_Read_TAG(node, image, point);
}

int Frame_Write_TAG(Quarn_2D* node, void* image, Vec4 point, int tag) {
  Quarn_2D_Frame* frame = quarn::Frame_Of(node);
  if (tag < 0 || tag > 255) return Tag_Out_Of_Range(frame, tag);
  Tag_Used_Mark(frame, tag);
  int x, y;
  if (!Cell_Of(*frame, point, x, y)) return 0;
  uint16_t** rows = Tag_Rows_For_Write(frame);
  const int current = rows ? rows[y][x] & 0xFF : Tag_Through_Chain(frame, image, point);
  if (const auto* lock = g_tag_lock.Table<uint8_t>(); lock && (lock[current] || lock[tag])) return 0;
  if (current == tag) return 0;
  // The tag overwritten loses a pixel: its contours change as much as those of the new one.
  Tag_Used_Mark(frame, current);
  // The high byte belongs to whoever marks cells beside their tag; keep it.
  if (rows) rows[y][x] = uint16_t((rows[y][x] & 0xFF00) | tag);
  return Node_Write_TAG(node, image, point, tag);
}

void Tag_Used_Mark(Quarn_2D_Frame* frame, int tag) {
  std::atomic_ref<uint8_t>(frame->tag_used[tag & 0xFF]).store(1, std::memory_order_relaxed);
}

void Tag_Used_Mark_All(Quarn_2D_Frame* frame) {
  for (int tag = 0; tag < 256; ++tag) Tag_Used_Mark(frame, tag);
}

void Frame_Access_Slots_Install(Quarn_2D_Frame* frame) {
  frame->fct_read_gli = &Frame_Read_GLI;
  frame->fct_read_tag = &Frame_Read_TAG;
  frame->fct_write_tag = &Frame_Write_TAG;
}

}  // namespace quarn

float Fct_GLI_2_Float(Quarn_2D_Frame* frame, int value) {
  if (!QUARN_CHECK(quarn::Object_Of(frame), Frame, "Fct_GLI_2_Float")) return 0.0f;
  // The kind is kept signed (colour negative); the host names colour 128.
  return Host_Image_Int_To_Float(value, uint8_t(frame->pixel_kind), frame->conv_a, frame->conv_b);
}
