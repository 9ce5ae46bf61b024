// Display slots of frames. STAND-IN: the display builders and the frame drawing replace this body.
#include "frames/Frame_Slots.h"

namespace quarn {

void Frame_Display_Slots_Install(Quarn_2D_Frame*) {}

}  // namespace quarn
