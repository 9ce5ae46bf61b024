// Grey_Direct_Fill: the working grey layer read straight from the record when the chain is plain.
#pragma once

#include <cstdint>

class Quarn_2D_Frame;

namespace quarn {

/// Fills rows (height x width) with what the frame's chain would read at every pixel of its
/// slice and time, taking whole rows from the record, when nothing on the chain maps or hooks
/// the reads: the frame's and every node's grey slot the plain one, no child-to-parent matrix,
/// and the root at the end. False, with nothing written, otherwise.
bool Grey_Direct_Fill(Quarn_2D_Frame* frame, int32_t** rows);

}  // namespace quarn
