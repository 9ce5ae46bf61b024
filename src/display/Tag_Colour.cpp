// The colour of a tag value from the host's colour tables.
#include "display/Tag_Colour.h"

#include "script/Remembered_Variable.h"

namespace quarn {

namespace {

Remembered_Variable g_tag_red{L"$TAG_RED"};
Remembered_Variable g_tag_grn{L"$TAG_GRN"};
Remembered_Variable g_tag_blu{L"$TAG_BLU"};

/// High byte of entry t of a host colour table, 0 without the table.
uint32_t Channel(Remembered_Variable& table, int t) {
  const uint16_t* values = table.Table<uint16_t>();
  return values ? uint32_t(values[t] >> 8) : 0;
}

}  // namespace

uint32_t Tag_Colour_Get(int t) {
  return Channel(g_tag_red, t) | Channel(g_tag_grn, t) << 8 | Channel(g_tag_blu, t) << 16;
}

}  // namespace quarn
