// The built-in last link of the 1D and 3D insert chains: a new leaf under the parent.
#pragma once

#include "core/Check.h"
#include "core/Trace.h"

#include <new>

namespace quarn {

/// Makes leaf index of file and adds it to parent; a leaf the tree cannot take is deleted, since
/// it would be nobody's. Always 1: the chain's callers do not look at the result.
template <class Leaf, class Parent, class File>
int Leaf_Insert(const char* name, Parent* parent, File* file, int index) {
  QUARN_REPORT(msg::Class, ">>> in  Class: %s(parent:%s:%ls, file:%ls)", name, Title_Of(parent), Name_Of(parent),
               Name_Of(file));
  auto* leaf = new (std::nothrow) Leaf(parent, file, index);
  if (!leaf) QUARN_MEMORY_ERROR_NEW();
  else if (!parent || !parent->Child_Add(leaf)) delete leaf;
  QUARN_REPORT(msg::Class, "<<< out Class: %s()", name);
  return 1;
}

}  // namespace quarn
