// Access-chain slots of frames. STAND-IN: the layer readers and the tag writer replace this body.
#include "frames/Frame_Slots.h"

namespace quarn {

void Frame_Access_Slots_Install(Quarn_2D_Frame*) {}

}  // namespace quarn
