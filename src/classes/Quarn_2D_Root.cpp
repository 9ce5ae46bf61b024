// The 2D root: a node with the root's identity.
#include <quarn/classes/Quarn_2D_Root.h>

Quarn_2D_Root::Quarn_2D_Root() {
  Class_A_Set(0x2001);
  Title_Set("Root");
  Name_Set(L"Root 2D");
}
