// Frame rectangle marking: the node itself when it is a frame, else the frames under it.
#include "display/Frame_Marks.h"

#include <quarn/classes/Iterator.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "classes/Iterator_Table.h"

namespace quarn {

namespace {
void Mark(Quarn_2D_Frame* frame, const Region_2D* region, Frame_Mark which) {
  if (which == Frame_Mark::Update) frame->Region_Update_Set(region);
  else frame->Region_Redraw_Set(region);
}
}  // namespace

void Frames_Mark(Quarn_2D* node, Quarn_Window* window, uint8_t filter, const Region_2D* region,
                 Frame_Mark which) {
  if (node->Class_A_Get() == Quarn_2D_Frame::Class_A)
    return Mark(static_cast<Quarn_2D_Frame*>(node), region, which);
  Iterator_Scope walk("Frames_Mark", node);
  while (Quarn_2D* frame = Iterator_Class_2D(walk.id, Quarn_2D_Frame::Class_A, window, filter))
    Mark(static_cast<Quarn_2D_Frame*>(frame), region, which);
}

}  // namespace quarn
