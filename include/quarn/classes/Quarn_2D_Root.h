// Quarn_2D_Root: the root of the 2D tree.
#pragma once

#include <quarn/Export.h>
#include <quarn/classes/Quarn_2D.h>

/// Root of the 2D tree: class A 0x2001, title "Root", name "Root 2D".
class QUARN_API Quarn_2D_Root : public Quarn_2D {
public:
  /// An empty root.
  Quarn_2D_Root();
};
