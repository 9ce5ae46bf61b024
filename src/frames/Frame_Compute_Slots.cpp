// Computation slots of frames: gradients and transform planes for file frames. STAND-IN for the
// device-volume slots of volume cuts, which fill their slots here when they exist.
#include "frames/Frame_Slots.h"

#include <quarn/frames/Quarn_2D_Frame.h>

#include "frames/Frame_FFT.h"
#include "frames/Frame_Gradient.h"

namespace quarn {

void Frame_Compute_Slots_Install(Quarn_2D_Frame* frame) {
  Frame_Gradient_Slots_Install(frame);
  Frame_FFT_Slots_Install(frame);
}

void Frame_Volume_Slots_Install(Quarn_2D_Frame* frame) { Frame_Gradient_Slots_Install(frame); }

}  // namespace quarn
