// Tree_Node: child list, parent link, sort key and flag words shared by the 1D, 2D and 3D trees.
#pragma once

#include <quarn/Export.h>
#include <quarn/core/Quarn.h>

#include <cstdint>

class Quarn_Window;

namespace quarn {
enum class Bit_Op : uint8_t;
}

/// The part every tree node shares, whatever its tree: Node is the tree's base class
/// (Quarn_1D, Quarn_2D or Quarn_3D), so that children and parent are of the tree's own type.
template <class Node>
class QUARN_API Tree_Node : public Quarn {
public:
  /// Appends a child and makes this node its parent; 0 when the child array cannot grow.
  int Child_Add(Node* child);
  /// Inserts a child at pos (0 to count), shifting later ones up; 0 when the array cannot grow.
  int Child_Insert(int pos, Node* child);
  /// Unlinks the child at pos and returns it; a node losing its last child leaves its parent and
  /// is destroyed, so emptied groups vanish up the tree (a node without parent stays).
  Node* Child_Remove(int pos);
  /// Unlinks a child as above; null when it is not a child of this node.
  Node* Child_Remove(Node* child);
  /// Destroys a child with its subtree; returns 1, also when it is not a child (nothing happens).
  int Child_Delete(Node* child);
  /// Destroys every child with its subtree and empties the list; returns 1.
  int Child_Delete();
  /// Number of children.
  int Child_Get_Nb();
  /// The child at i taken modulo the count (-1 is the last); null without children.
  Node* Child_Get_Pt(int i);
  /// Position of a child, or -1.
  int Child_Get_Id(Node* child);
  /// The parent; null for a root and for a null node.
  Node* Parent_Get_Pt();
  /// Sets the parent link only; the parent's child list is not touched.
  void Parent_Set_Pt(Node* parent);

  /// Sets the sort key from a printf format; 0 (key absent) on a formatting error.
  int Sort_Set(const char* format, ...) __attribute__((format(printf, 2, 3)));
  /// The sort key, or the name as UTF-8 when no key is set (valid until the next call).
  const char* Sort_Get();

protected:
  Tree_Node() = default;
  /// Virtual so that the node's table leads the object: a null node then converts to every
  /// part of itself as null, and its operations can report it instead of faulting.
  virtual ~Tree_Node();
  Tree_Node(const Tree_Node&) = delete;
  Tree_Node& operator=(const Tree_Node&) = delete;

  /// Destroys every child and releases the child array (destructors of the trees).
  void Children_Destroy();
  /// The exchange sort over the children by their Compare, then each child's Sort when recurse.
  int Sort_Exchange(unsigned char recurse);
  /// -1, 0 or 1: the byte-wise comparison of the two nodes' sort keys.
  int Compare_Keys(Node* other);
  /// The dump's header line of this node at the given depth.
  void Stool_Header(int message_class, int depth);
  /// The dump of the 1D and 3D trees: header lines only, children when recurse.
  void Stool_Tree(int message_class, int depth, unsigned char recurse);
  /// A flag-word operation of the 1D and 3D trees: the windows are chosen once, and a node that
  /// fails a condition of the mode stops the walk through it.
  uint64_t Flag_Walk(quarn::Bit_Op op, const char* label, uint8_t mode, void* window, uint64_t mask);

  char* sort_key_ = nullptr;      ///< Owned sort key, or null to sort by name.
  Node* parent_ = nullptr;        ///< The parent, not owned; null for a root.
  int child_nb_ = 0;              ///< Number of children.
  Node** child_pt_ = nullptr;     ///< Children, owned with their subtrees, in display order.
  uint64_t flag_[10] = {};        ///< Per-window display state.

private:
  Node* Self() { return static_cast<Node*>(this); }
  Node* Unlink(int pos);
  Node* Remove_At(int pos, const char* label);
  uint64_t Flag_Walk_At(Node* node, quarn::Bit_Op op, uint8_t mode, int index, uint64_t mask);
};
