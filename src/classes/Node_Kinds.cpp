// The element kind of a frame, as the colour filter of the 2D iterator reads it.
#include "classes/Node_Kinds.h"

namespace quarn {

// Host modules may hang nodes of the frame's class A that are no frames; those have no kind.
int8_t Frame_Pixel_Kind(Quarn_2D* node) {
  const auto* frame = dynamic_cast<const Quarn_2D_Frame*>(node);
  return frame ? frame->pixel_kind : 0;
}

}  // namespace quarn
