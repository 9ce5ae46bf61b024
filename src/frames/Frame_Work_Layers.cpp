// The frame's working layers: grey values and tags copied from the access chain on first use.
#include <quarn/core/Quarn_Buffer.h>
#include <quarn/frames/Frame_Layers.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "classes/Tree_Trace.h"
#include "frames/Frame_Layer_Buffer.h"
#include "frames/Grey_Direct_Read.h"
#include "frames/Grey_Mapped_Read.h"
#include "frames/Frame_Access_Slots.h"
#include "frames/Pixel_Chain.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>

using namespace quarn;

namespace {

#define CHECK_FRAME(label) QUARN_CHECK_FRAME(this, label)

// The grey read a load goes through: the chain above the frame while the frame's own reader
// would answer from the layer being reloaded; a reader a plug-in put in the slot is kept.
int Chain_Read_GLI(Quarn_2D_Frame* frame, Vec4 p) {
  if (frame->fct_read_gli == &Frame_Read_GLI || !frame->fct_read_gli)
    return Node_Read_GLI(frame, frame->image, p);
  return frame->fct_read_gli(frame, frame->image, p);
}

int Chain_Read_TAG(Quarn_2D_Frame* frame, Vec4 p) {
  if (frame->fct_read_tag == &Frame_Read_TAG || !frame->fct_read_tag)
    return Node_Read_TAG(frame, frame->image, p);
  return frame->fct_read_tag(frame, frame->image, p);
}

void Grey_Fill(Quarn_2D_Frame* frame, int32_t** rows) {
  const float z = frame->z_index, t = frame->t_index;
  for (int y = 0; y < frame->height; ++y)
    for (int x = 0; x < frame->width; ++x)
      rows[y][x] = Chain_Read_GLI(frame, Vec4(float(x), float(y), z, t));
}

// Sampling positions low, low + 1, ... up to high that can fall in [0, size): the steps before -1
// and after size are skipped (the positions keep their fraction), so a far-reaching area costs
// no more than the frame.
struct Steps {
  double first, last;
  Steps(float low, float high, int size)
      : first(low < -1 ? low + std::ceil(-1.0 - low) : low), last(std::min<double>(high, size)) {}
};

// Tags of the pixels from the minimum corner of area to its maximum in steps of one; rows that
// held tags before (reloaded) mark the tags that changed.
void Tag_Fill(Quarn_2D_Frame* frame, uint16_t** rows, const Region_2D& area, bool reloaded) {
  const float z = frame->z_index, t = frame->t_index;
  const Steps ys(area.y_min, area.y_max, frame->height), xs(area.x_min, area.x_max, frame->width);
  for (double fy = ys.first; fy <= ys.last; fy += 1.0) {
    const int y = Trunc_Index(float(fy));
    if (y < 0 || y >= frame->height) continue;
    for (double fx = xs.first; fx <= xs.last; fx += 1.0) {
      const int x = Trunc_Index(float(fx));
      if (x < 0 || x >= frame->width) continue;
      const uint16_t tag = uint16_t(Chain_Read_TAG(frame, Vec4(float(fx), float(fy), z, t)) & 0xFF);
      // A reloaded rectangle is where the host changed tags behind the frame: both the tag that
      // went and the one that came need their contours again.
      if (reloaded && (rows[y][x] & 0xFF) != tag) Tag_Used_Mark(frame, rows[y][x]), Tag_Used_Mark(frame, tag);
      rows[y][x] = tag;
    }
  }
}

// Zeroes a layer's rows, when its buffer exists, under the frame's lock; traces the exit of label.
void Layer_Zero(Quarn_2D_Frame* frame, const Layer_Kind& layer, const char* label) {
  frame->Critical_Class_In(label);
  if (Quarn_Buffer* buffer = frame->User_Get(layer.slot)) buffer->Matrix_Clear();
  frame->Critical_Class_Out(label);
  Trace_Out(label);
}

}  // namespace

int32_t** Quarn_2D_Frame::Work_GLI_Get() {
  constexpr const char* label = "Quarn_2D_Frame::Work_GLI_Get";
  Trace_In(label, this);
  if (!CHECK_FRAME(label)) return nullptr;
  if (int32_t** rows = View_Get(work_gli)) {
    Trace_Out(label, "exist");
    return rows;
  }
  // Two threads may ask at once; the second finds the layer the first loaded.
  Critical_Class_In(label);
  int32_t** rows = View_Get(work_gli);
  if (!rows) rows = Work_GLI_Load();
  Critical_Class_Out(label);
  Trace_Out(label, "load");
  return rows;
}

int32_t** Quarn_2D_Frame::Work_GLI_Load() {
  constexpr const char* label = "Quarn_2D_Frame::Work_GLI_Load";
  Trace_In(label, this);
  if (!CHECK_FRAME(label)) return nullptr;
  char name[48];
  std::snprintf(name, sizeof name, "Work GLI %016" PRIXPTR, reinterpret_cast<uintptr_t>(image));
  Critical_Class_In(label);
  bool created;
  auto** rows = reinterpret_cast<int32_t**>(Layer_Rows(this, Layer_Work_GLI, name, &created));
  if (!rows) {
    Critical_Class_Out(label);
    Trace_Out(label, "! work_gli");
    return nullptr;
  }
  if (Grey_Direct_Fill(this, rows))
    QUARN_REPORT(msg::Class, "-> Work_GLI_Load: rows read straight from the record");
  else if (Grey_Mapped_Fill(this, rows))
    QUARN_REPORT(msg::Class, "-> Work_GLI_Load: rows mapped through the chain's matrices");
  else
    Grey_Fill(this, rows);
  View_Set(work_gli, rows);
  Critical_Class_Out(label);
  Trace_Out(label, "done");
  return rows;
}

void Quarn_2D_Frame::Work_GLI_Clear() {
  constexpr const char* label = "Quarn_2D_Frame::Work_GLI_Clear";
  Trace_In(label, this);
  if (CHECK_FRAME(label)) Layer_Zero(this, Layer_Work_GLI, label);
}

uint16_t** Quarn_2D_Frame::Work_TAG_Get() {
  // Called for every tag write: the loaded layer is handed out without a trace.
  if (Object_Of(this))
    if (uint16_t** rows = View_Get(work_tag)) return rows;
  constexpr const char* label = "Quarn_2D_Frame::Work_TAG_Get";
  Trace_In(label, this);
  if (!CHECK_FRAME(label)) return nullptr;
  Critical_Class_In(label);
  uint16_t** rows = View_Get(work_tag);
  if (!rows) rows = Work_TAG_Load();
  Critical_Class_Out(label);
  Trace_Out(label, "load");
  return rows;
}

uint16_t** Quarn_2D_Frame::Work_TAG_Load() {
  constexpr const char* label = "Quarn_2D_Frame::Work_TAG_Load";
  Trace_In(label, this);
  if (!CHECK_FRAME(label)) return nullptr;
  Critical_Class_In(label);
  bool created;
  auto** rows =
      reinterpret_cast<uint16_t**>(Layer_Rows(this, Layer_Work_TAG, "Work TAG", &created));
  if (!rows) {
    Critical_Class_Out(label);
    Trace_Out(label, "! work_tag");
    return nullptr;
  }
  // A new layer holds nothing yet: all of it is to be read.
  if (created) Region_Update_Set(nullptr);
  const Region_2D area = reg_update.x_max < reg_update.x_min ? Layer_Extent(*this) : reg_update;
  Tag_Fill(this, rows, area, !created);
  View_Set(work_tag, rows);
  Critical_Class_Out(label);
  Trace_Out(label, "done");
  return rows;
}

void Quarn_2D_Frame::Work_TAG_Clear() {
  constexpr const char* label = "Quarn_2D_Frame::Work_TAG_Clear";
  Trace_In(label, this);
  if (!CHECK_FRAME(label)) return;
  Tag_Used_Mark_All(this);
  Layer_Zero(this, Layer_Work_TAG, label);
}
