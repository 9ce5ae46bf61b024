// The 2D root: a node with the root's identity, whose access slots read the image records.
#include <quarn/classes/Quarn_2D_Root.h>

#include "frames/Pixel_Chain.h"

Quarn_2D_Root::Quarn_2D_Root() {
  Class_A_Set(0x2001);
  Title_Set("Root");
  Name_Set(L"Root 2D");
  quarn::Root_Pixel_Slots_Install(this);
}
