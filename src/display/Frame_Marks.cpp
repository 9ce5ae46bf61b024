// Frame rectangle marking; frames carry no rectangles yet, so there is nothing to mark.
#include "display/Frame_Marks.h"

namespace quarn {

void Frames_Mark(Quarn_2D*, Quarn_Window*, uint8_t, const Region_2D*, Frame_Mark) {}

}  // namespace quarn
