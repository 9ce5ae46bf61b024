// Grey_Mapped_Fill: the working grey layer of a frame whose access chain maps points through
// matrices (oblique and resliced views), computed a row at a time.
#pragma once

#include <cstdint>

class Quarn_2D_Frame;

namespace quarn {

/// Fills rows (height x width) with exactly what the frame's chain reads at every pixel of its
/// slice and time, when every node on the chain is a plain forwarding node with an affine
/// child-to-parent matrix (or none) and the root ends it. Coordinates that the matrices keep on
/// a coarse enough grid step along each row; the others are mapped pixel by pixel with the
/// chain's own arithmetic. False, with nothing written, for other chains.
bool Grey_Mapped_Fill(Quarn_2D_Frame* frame, int32_t** rows);

}  // namespace quarn
