// Tag colours of one conversion: the host's tag tables packed once into RGBA words, and the
// rows of tags turned into colours or clamped tag numbers.
#pragma once

#include <cstdint>
#include <memory>

class Quarn_2D_Frame;

namespace quarn::pixel {

/// True when the frame's tag display layer holds one tag number byte per pixel (it was made
/// while $OPENGL_FLAG had bit 0x04), false for RGBA words or no layer.
bool Tag_Layer_Is_Bytes(Quarn_2D_Frame* frame);

/// The colour of every tag up to $TAG_NB; larger tags take the colour of $TAG_NB.
class Tag_Palette {
public:
  /// Reads $TAG_NB and, unless only numbers are wanted, the colour tables; false (reported)
  /// when a table is missing or the palette cannot be allocated.
  bool Build(bool numbers_only);
  /// RGBA words of n tags.
  void Colour_Row(const uint16_t* tags, uint32_t* out, int n) const;
  /// Tag numbers, limited to $TAG_NB, as bytes.
  void Number_Row(const uint16_t* tags, uint8_t* out, int n) const;

private:
  // Up to this many tags the palette lives on the stack.
  static constexpr int Local_Tags = 1024;
  uint16_t top_ = 0;
  uint32_t local_[Local_Tags];
  std::unique_ptr<uint32_t[]> heap_;
  const uint32_t* colours_ = local_;
};

}  // namespace quarn::pixel
