// Undo_Pixel_Record_TAG: takes the old value of one tag pixel before an edit changes it.
#pragma once

#include <cstdint>

/// Takes the old and new tag of the pixel at pixel for the running TAG recording. Returns 1 when
/// the value was taken or did not need to be, 0 when recording has been aborted (the caller must
/// stop editing).
int Undo_Pixel_Record_TAG(uint8_t* pixel, uint8_t old_tag, uint8_t new_tag);
