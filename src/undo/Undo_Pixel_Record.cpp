// Pixel undo recording of tag edits; no TAG recording can be started yet, so nothing needs taking.
#include "undo/Undo_Pixel_Record.h"

int Undo_Pixel_Record_TAG(uint8_t*, uint8_t, uint8_t) {
  // Without a running recording an edit has nothing to give back.
  return 1;
}
