// The three trees as one parameter of typed tests: root class, node base and a group kind.
#pragma once

#include "classes/Tree_Host.h"

#include <string>

namespace tree_test {

template <class Root_, class Base_>
struct Tree_Kind {
  using Root = Root_;
  using Base = Base_;
  using Node = Group<Base_>;
};

using Kind_1D = Tree_Kind<Quarn_1D_Root, Quarn_1D>;
using Kind_2D = Tree_Kind<Quarn_2D_Root, Quarn_2D>;
using Kind_3D = Tree_Kind<Quarn_3D_Root, Quarn_3D>;
using All_Kinds = ::testing::Types<Kind_1D, Kind_2D, Kind_3D>;

/// Names the typed-test instances after their tree.
struct Kind_Name {
  template <class K>
  static std::string GetName(int) {
    return std::is_same_v<K, Kind_1D> ? "1D" : std::is_same_v<K, Kind_2D> ? "2D" : "3D";
  }
};

/// The names of a node's children in order, joined by blanks.
template <class Base>
std::string Child_Names(Base* node) {
  std::string out;
  for (int i = 0; i < node->Child_Get_Nb(); ++i) {
    if (!out.empty()) out += ' ';
    out += Host_Wide_To_Char(node->Child_Get_Pt(i)->Name_Get());
  }
  return out;
}

}  // namespace tree_test
