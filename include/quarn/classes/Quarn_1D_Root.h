// Quarn_1D_Root: the root of the 1D tree.
#pragma once

#include <quarn/Export.h>
#include <quarn/classes/Quarn_1D.h>

/// Root of the 1D tree: class A 0x1001, title "Root", name "Root 1D".
class QUARN_API Quarn_1D_Root : public Quarn_1D {
public:
  /// An empty root.
  Quarn_1D_Root();
};
