// Frame rectangle marking: the node itself when it is a frame, else the frames under it.
#include "display/Frame_Marks.h"

#include <quarn/classes/Iterator.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "classes/Iterator_Table.h"
#include "classes/Node_Kinds.h"

namespace quarn {

namespace {
void Mark(Quarn_2D_Frame* frame, const Region_2D* region, Frame_Mark which) {
  if (which == Frame_Mark::Update) frame->Region_Update_Set(region);
  else frame->Region_Redraw_Set(region);
}
}  // namespace

void Frames_Mark(Quarn_2D* node, Quarn_Window* window, uint8_t filter, const Region_2D* region,
                 Frame_Mark which) {
  if (node->Class_A_Get() == Class_A_Frame) {
    if (Quarn_2D_Frame* frame = Frame_If(node)) Mark(frame, region, which);
    return;
  }
  Iterator_Scope walk("Frames_Mark", node);
  while (Quarn_2D* found = Iterator_Class_2D(walk.id, Class_A_Frame, window, filter))
    if (Quarn_2D_Frame* frame = Frame_If(found)) Mark(frame, region, which);
}

}  // namespace quarn
