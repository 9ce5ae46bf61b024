// Computation slots of frames: the transform grid sizes. STAND-IN for the rest: the smoothing,
// gradient, transform-plane and device-volume functions fill their slots here when they exist.
#include "frames/Frame_Slots.h"

#include <quarn/frames/Quarn_2D_Frame.h>

namespace {

// The transform runs on a power-of-two grid holding the whole frame.
int Next_Power_Of_Two(int n) {
  int p = 1;
  while (p < n) p <<= 1;
  return p;
}

int FFT_Width(Quarn_2D_Frame* frame) { return Next_Power_Of_Two(frame->width); }

int FFT_Height(Quarn_2D_Frame* frame) { return Next_Power_Of_Two(frame->height); }

}  // namespace

namespace quarn {

void Frame_Compute_Slots_Install(Quarn_2D_Frame* frame) {
  frame->fct_fft[0] = reinterpret_cast<Quarn_Frame_Slot>(Quarn_Frame_FFT_Size(&FFT_Width));
  frame->fct_fft[1] = reinterpret_cast<Quarn_Frame_Slot>(Quarn_Frame_FFT_Size(&FFT_Height));
}

void Frame_Volume_Slots_Install(Quarn_2D_Frame*) {}

}  // namespace quarn
