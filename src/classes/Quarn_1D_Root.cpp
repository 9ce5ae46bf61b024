// The 1D root: a node with the root's identity.
#include <quarn/classes/Quarn_1D_Root.h>

Quarn_1D_Root::Quarn_1D_Root() {
  Class_A_Set(0x1001);
  Title_Set("Root");
  Name_Set(L"Root 1D");
}
