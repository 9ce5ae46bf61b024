// The frame's gradient slots: smoothed grey value, gradient magnitude and gradient direction.
#pragma once

class Quarn_2D_Frame;

namespace quarn {

/// Fills fct_grad: the smoothed value (slot 0), the gradient magnitude (slot 1) and its unit
/// direction (slot 2) at a point, each computed on first request and cached per pixel.
void Frame_Gradient_Slots_Install(Quarn_2D_Frame* frame);

}  // namespace quarn
