// The frame's erase layer: a saved copy of its tags that can be written back.
#include <quarn/core/Quarn_Buffer.h>
#include <quarn/display/Update.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "classes/Tree_Trace.h"
#include "frames/Frame_Layer_Buffer.h"
#include "frames/Frame_Access_Slots.h"

#include <cstring>

using namespace quarn;

namespace {

#define CHECK_FRAME(label) QUARN_CHECK_FRAME(this, label)

constexpr uint64_t Flag_Erase_Layer = 0x80000;
constexpr uint64_t Update_Erase = 0x20000000;
constexpr uint64_t Update_Tags = 0xA000000;  // data and display of the tag layer
constexpr uint64_t Redraw_Frame = 8;

// The layer is current now: publish it, drop the frame's erase mark and tell the display.
uint8_t** Erase_Publish(Quarn_2D_Frame* frame, uint8_t** rows) {
  View_Set(frame->erase, rows);
  frame->Flag_Set_Off(0x10, reinterpret_cast<void*>(uintptr_t(8)), Flag_Erase_Layer);
  Fct_Update(Update_Erase, nullptr, frame, nullptr);
  return rows;
}

// Fills the erase layer (made when missing) under the frame's lock and publishes it; traces the
// exit of label.
template <class Fill>
uint8_t** Erase_Fill(Quarn_2D_Frame* frame, const char* label, Fill&& fill) {
  frame->Critical_Class_In(label);
  bool created;
  auto** rows = reinterpret_cast<uint8_t**>(Layer_Rows(frame, Layer_Erase, "Erase Buffer", &created));
  if (rows) fill(rows);
  frame->Critical_Class_Out(label);
  if (!rows) {
    Trace_Out(label, "! erase");
    return nullptr;
  }
  Erase_Publish(frame, rows);
  Trace_Out(label);
  return rows;
}

}  // namespace

uint8_t** Quarn_2D_Frame::Erase_Get() {
  constexpr const char* label = "Quarn_2D_Frame::Erase_Get";
  Trace_In(label, this);
  if (!CHECK_FRAME(label)) return nullptr;
  uint8_t** rows = View_Get(erase);
  if (!rows) rows = Erase_Clear();
  Trace_Out(label);
  return rows;
}

uint8_t** Quarn_2D_Frame::Erase_Clear() {
  constexpr const char* label = "Quarn_2D_Frame::Erase_Clear";
  Trace_In(label, this);
  if (!CHECK_FRAME(label)) return nullptr;
  return Erase_Fill(this, label, [this](uint8_t** rows) {
    for (int y = 0; y < height; ++y) std::memset(rows[y], 0, width);
  });
}

uint8_t** Quarn_2D_Frame::Erase_Load() {
  constexpr const char* label = "Quarn_2D_Frame::Erase_Load";
  Trace_In(label, this);
  if (!CHECK_FRAME(label)) return nullptr;
  uint16_t** tags = Work_TAG_Get();
  if (!tags) {
    Trace_Out(label, "! work_tag");
    return nullptr;
  }
  return Erase_Fill(this, label, [this, tags](uint8_t** rows) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) rows[y][x] = uint8_t(tags[y][x]);
  });
}

void Quarn_2D_Frame::Erase_Restore() {
  constexpr const char* label = "Quarn_2D_Frame::Erase_Restore";
  Trace_In(label, this);
  if (!CHECK_FRAME(label)) return;
  uint8_t** rows = View_Get(erase);
  // Nothing was saved: restoring would wipe every tag of the frame.
  if (!rows || !fct_write_tag) {
    Trace_Out(label, "! erase");
    return;
  }
  const float z = z_index, t = t_index;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      fct_write_tag(this, image, Vec4(float(x), float(y), z, t), rows[y][x]);
  Flag_Set_Off(0x10, reinterpret_cast<void*>(uintptr_t(8)), Flag_Erase_Layer);
  Fct_Update(Update_Tags, nullptr, this, nullptr);
  Fct_Redraw(Redraw_Frame, nullptr, this, nullptr);
  Trace_Out(label);
}
