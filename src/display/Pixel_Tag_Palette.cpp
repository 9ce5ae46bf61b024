// Tag colours of one conversion, packed from the host's tag tables, and the unrolled tag loops.
#include "display/Pixel_Tag_Palette.h"

#include <quarn/core/Quarn_Buffer.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "core/Check.h"
#include "core/Trace.h"
#include "display/Pixel_Variables.h"

#include <algorithm>
#include <new>

namespace quarn::pixel {

namespace {

constexpr uint32_t Slot_Disp_TAG = 2;
constexpr uint32_t RGBA_Bytes = 4;

uint32_t Alpha_Byte(float alpha) {
  const double a = double(alpha) * 255.0;
  if (!(a > 0.0)) return 0;
  return a >= 255.0 ? 255u : uint32_t(a);
}

}  // namespace

bool Tag_Layer_Is_Bytes(Quarn_2D_Frame* frame) {
  Quarn_Buffer* buffer = frame->User_Get(Slot_Disp_TAG);
  return buffer && buffer->Size_Get() < uint32_t(frame->width) * frame->height * RGBA_Bytes;
}

bool Tag_Palette::Build(bool numbers_only) {
  top_ = Tag_Nb.Value<uint16_t>();
  if (numbers_only) return true;
  const uint16_t* red = Tag_Red.Table<uint16_t>();
  const uint16_t* green = Tag_Grn.Table<uint16_t>();
  const uint16_t* blue = Tag_Blu.Table<uint16_t>();
  const float* alpha = Tag_Alpha.Table<float>();
  if (!red || !green || !blue || !alpha) {
    QUARN_REPORT(msg::Invalid, "Class_Frame_Update_TAG_Disp: the tag colour tables ($TAG_RED, $TAG_GRN, "
                               "$TAG_BLU, $TAG_ALPHA) are missing");
    return false;
  }
  const int count = int(top_) + 1;
  uint32_t* colours = local_;
  if (count > Local_Tags) {
    heap_.reset(new (std::nothrow) uint32_t[size_t(count)]);
    if (!heap_) {
      QUARN_MEMORY_ERROR("new", "palette", count, 1);
      return false;
    }
    colours = heap_.get();
  }
  for (int t = 0; t < count; ++t)
    colours[t] = uint32_t(red[t] >> 8) | uint32_t(green[t] >> 8) << 8 | uint32_t(blue[t] >> 8) << 16 |
                 Alpha_Byte(alpha[t]) << 24;
  colours_ = colours;
  return true;
}

// Four tags at a time: four independent loads and stores per step keep the loop off its
// dependency chain.
void Tag_Palette::Colour_Row(const uint16_t* tags, uint32_t* out, int n) const {
  const uint16_t top = top_;
  const uint32_t* const colours = colours_;
  int x = 0;
  for (; x + 4 <= n; x += 4) {
    const uint32_t c0 = colours[std::min(tags[x], top)], c1 = colours[std::min(tags[x + 1], top)];
    const uint32_t c2 = colours[std::min(tags[x + 2], top)], c3 = colours[std::min(tags[x + 3], top)];
    out[x] = c0, out[x + 1] = c1, out[x + 2] = c2, out[x + 3] = c3;
  }
  for (; x < n; ++x) out[x] = colours[std::min(tags[x], top)];
}

void Tag_Palette::Number_Row(const uint16_t* tags, uint8_t* out, int n) const {
  const uint16_t top = top_;
  for (int x = 0; x < n; ++x) out[x] = uint8_t(std::min(tags[x], top));
}

}  // namespace quarn::pixel
