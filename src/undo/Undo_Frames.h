// Frames an applied undo block wrote into: marked so that their layers follow the restored values.
#pragma once

#include <cstdint>

namespace quarn::undo {

/// Which values an undo block wrote.
enum class Undo_Plane { Tag, Grey };

/// Marks every frame of the 2D tree that holds an address of [lo, hi] (both included): a frame
/// whose record plane was written gets the data and display bits of the plane (its working layer
/// reloads), a frame whose working layer was written only the display bit. Then sends mask; the
/// host gets one update message for all of it.
void Frames_Touched(const uint8_t* lo, const uint8_t* hi, Undo_Plane plane, uint64_t mask);

}  // namespace quarn::undo
