// Quarn_3D_Root: the root of the 3D tree.
#pragma once

#include <quarn/Export.h>
#include <quarn/classes/Quarn_3D.h>

/// Root of the 3D tree: class A 0x3001, title "Root", name "Root 3D".
class QUARN_API Quarn_3D_Root : public Quarn_3D {
public:
  /// An empty root.
  Quarn_3D_Root();
};
