// The frame's transform slots: grid size and the two planes of its grey values' spectrum.
#pragma once

class Quarn_2D_Frame;

namespace quarn {

/// Fills fct_fft: grid width and height (powers of two holding the frame), then the real and
/// imaginary planes, computed on first request and kept in user buffers 71 and 72.
void Frame_FFT_Slots_Install(Quarn_2D_Frame* frame);

}  // namespace quarn
