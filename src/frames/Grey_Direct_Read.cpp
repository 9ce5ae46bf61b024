// The common case of loading a working grey layer: whole record rows instead of one chain walk
// per pixel, with the values the chain gives.
#include "frames/Grey_Direct_Read.h"

#include <quarn/frames/Quarn_2D_Frame.h>

#include "frames/Frame_Access_Slots.h"
#include "frames/Grey_Convert.h"
#include "frames/Pixel_Chain.h"

#include <algorithm>

namespace quarn {

namespace {

// Nothing between the frame and the root may transform or intercept a grey read.
bool Chain_Is_Plain(Quarn_2D_Frame* frame) {
  if (frame->fct_read_gli != &Frame_Read_GLI || frame->mat_child_to_parent) return false;
  for (Quarn_2D* node = frame->Parent_Get_Pt(); node; node = node->Parent_Get_Pt()) {
    if (node->fct_read_gli == &Root_Read_GLI) return true;
    if (node->fct_read_gli != &Node_Read_GLI || node->mat_child_to_parent) return false;
  }
  return false;
}

// Float planes (and any kind not listed) go through the host's own conversion pixel by pixel.
void Convert_By_Host(const Host_Image_Record* r, int y, int slice, int time, int count,
                     int32_t* out) {
  for (int x = 0; x < count; ++x) out[x] = Root_Pixel_GLI(r, x, y, slice, time);
}

const uint8_t* Pixel_Address(Host_Image_Record* r, int x, int y, int slice, int time) {
  return static_cast<const uint8_t*>(Host_Image_Pixel(nullptr, r, nullptr, 0, x, y, slice, time));
}

// The first count pixels of record row y; a row the host does not keep in one piece goes pixel
// by pixel.
void Row_Fill(Host_Image_Record* r, int y, int slice, int time, int count, int32_t* out) {
  const uint8_t* first = Pixel_Address(r, 0, y, slice, time);
  const uint8_t* last = Pixel_Address(r, count - 1, y, slice, time);
  const size_t size = size_t(Host_Image_Kind_Size(r->kind));
  if (!first || !last || size_t(last - first) != size_t(count - 1) * size)
    return Convert_By_Host(r, y, slice, time, count, out);
  const bool read = With_Element_Kind(r->kind, [&]<int Kind, class T>() {
    Grey_Run<Kind, T>(first, count, r->pad_value, out);
  });
  if (!read) Convert_By_Host(r, y, slice, time, count, out);
}

}  // namespace

bool Grey_Direct_Fill(Quarn_2D_Frame* frame, int32_t** rows) {
  if (!Chain_Is_Plain(frame)) return false;
  Host_Image_Record* r = frame->image;
  const int slice = frame->z_index, time = frame->t_index;
  const bool readable = r && r->pixels && slice < r->slices && time < r->times;
  // Pixels of the frame beyond the record read as no value, as the root answers them.
  const int columns = readable ? std::min<int>(frame->width, r->columns) : 0;
  const int lines = readable ? std::min<int>(frame->height, r->rows) : 0;
  for (int y = 0; y < frame->height; ++y) {
    const int filled = y < lines ? columns : 0;
    if (filled) Row_Fill(r, y, slice, time, filled, rows[y]);
    std::fill(rows[y] + filled, rows[y] + frame->width, GLI_NONE);
  }
  return true;
}

}  // namespace quarn
