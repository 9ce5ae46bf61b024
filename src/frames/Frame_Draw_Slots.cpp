// Draw slots of frames: the frame's own base drawing and highlight replace the class-node row.
#include <quarn/display/Scene_Draw.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "frames/Frame_Slots.h"

namespace quarn {

void Frame_Draw_Slots_Install(Quarn_2D_Frame* frame) {
  frame->fct_draw_base[0] = &Class_Frame_Draw_Base;
  frame->fct_draw_highlight = &Class_Frame_Draw_Highlight;
}

}  // namespace quarn
