// The 3D root: a node with the root's identity.
#include <quarn/classes/Quarn_3D_Root.h>

Quarn_3D_Root::Quarn_3D_Root() {
  Class_A_Set(0x3001);
  Title_Set("Root");
  Name_Set(L"Root 3D");
}
