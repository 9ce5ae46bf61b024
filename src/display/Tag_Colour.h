// Tag_Colour: the colour of a tag value from the host's "$TAG_RED", "$TAG_GRN", "$TAG_BLU" tables.
#pragma once

#include <cstdint>

namespace quarn {

/// The colour of tag t as red | green << 8 | blue << 16, each channel the high byte of the tag's
/// 16-bit table entry; a missing table gives 0 for its channel. The caller keeps t within the
/// tables.
uint32_t Tag_Colour_Get(int t);

/// Channels of a colour from Tag_Colour_Get.
inline uint8_t Tag_Red(uint32_t colour) { return uint8_t(colour); }
inline uint8_t Tag_Green(uint32_t colour) { return uint8_t(colour >> 8); }
inline uint8_t Tag_Blue(uint32_t colour) { return uint8_t(colour >> 16); }

}  // namespace quarn
