// Finds the frames an undo block wrote into, from the address range of its entries.
#include "undo/Undo_Frames.h"

#include <quarn/classes/Iterator.h>
#include <quarn/display/Update.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include <hostkit/HostImage.h>

#include "classes/Iterator_Table.h"
#include "interaction/Database_Vars.h"

#include <algorithm>

namespace quarn::undo {

namespace {

struct Span {
  const uint8_t* lo;
  const uint8_t* hi;  // last byte
  bool Meets(const uint8_t* a, const uint8_t* b) const { return lo && a <= hi && lo <= b; }
};

// The bytes of the frame's slice in one plane of its record.
Span Record_Span(Quarn_2D_Frame* frame, Undo_Plane plane) {
  Host_Image_Record* r = frame->image;
  void* data = !r ? nullptr : plane == Undo_Plane::Tag ? static_cast<void*>(r->tags) : r->pixels;
  if (!data || r->columns < 1 || r->rows < 1) return {nullptr, nullptr};
  const int kind = plane == Undo_Plane::Tag ? HOST_PIXEL_TAG : 0;
  auto* first = static_cast<const uint8_t*>(
      Host_Image_Pixel(nullptr, r, data, kind, 0, 0, frame->z_index, frame->t_index));
  auto* last = static_cast<const uint8_t*>(
      Host_Image_Pixel(nullptr, r, data, kind, r->columns - 1, r->rows - 1, frame->z_index, frame->t_index));
  if (!first || !last) return {nullptr, nullptr};
  const int element = plane == Undo_Plane::Tag ? 1 : Host_Image_Kind_Size(r->kind);
  return {std::min(first, last), std::max(first, last) + std::max(element, 1) - 1};
}

// The bytes spanned by a working layer's rows (each row is a block of its own).
template <class T>
Span Layer_Span(T** rows, int width, int height) {
  if (!rows || width < 1 || height < 1) return {nullptr, nullptr};
  Span s{reinterpret_cast<const uint8_t*>(rows[0]), nullptr};
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<const uint8_t*>(rows[y]);
    s.lo = std::min(s.lo, row);
    s.hi = std::max(s.hi ? s.hi : row, row + sizeof(T) * size_t(width) - 1);
  }
  return s;
}

uint64_t Marks_Of(Quarn_2D_Frame* frame, const uint8_t* lo, const uint8_t* hi, Undo_Plane plane) {
  const bool tag = plane == Undo_Plane::Tag;
  if (Record_Span(frame, plane).Meets(lo, hi))
    return tag ? UPDATE_DATA_TAG | UPDATE_DISPLAY_TAG : UPDATE_DATA_GLI | UPDATE_DISPLAY_GLI;
  const Span layer = tag ? Layer_Span(frame->work_tag, frame->width, frame->height)
                         : Layer_Span(frame->work_gli, frame->width, frame->height);
  if (layer.Meets(lo, hi)) return tag ? UPDATE_DISPLAY_TAG : UPDATE_DISPLAY_GLI;
  return 0;
}

}  // namespace

void Frames_Touched(const uint8_t* lo, const uint8_t* hi, Undo_Plane plane, uint64_t mask) {
  Fct_Update(UPDATE_DELAY_ON);
  Quarn_2D* root = Root_2D_Get();
  if (root && lo && lo <= hi) {
    Iterator_Scope walk("Undo_Frames_Touched", root);
    while (Quarn_2D* node = Iterator_Class_2D(walk.id, Class_A_Frame, UPDATE_NO_WINDOW, 0))
      if (Quarn_2D_Frame* frame = Frame_If(node))
        if (const uint64_t marks = Marks_Of(frame, lo, hi, plane)) Fct_Update(marks, UPDATE_NO_WINDOW, frame);
  }
  Fct_Update(mask);
  Fct_Update(UPDATE_DELAY_OFF);
}

}  // namespace quarn::undo
