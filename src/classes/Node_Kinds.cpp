// Facts about frames that the trees' shared code reads (stand-ins until the frame class exists).
#include "classes/Node_Kinds.h"

namespace quarn {

// Stand-in: no node is known to be a colour frame until frames carry their image's element
// kind; then this reads the frame's pixel kind for nodes of class A 0x2FFF.
int8_t Frame_Pixel_Kind(Quarn_2D*) { return 0; }

}  // namespace quarn
