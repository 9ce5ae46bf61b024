// Quarn_1D: a node of the 1D tree (one-dimensional data read from 1D files).
#pragma once

#include <quarn/Export.h>
#include <quarn/classes/Tree_Node.h>

#include <cstdint>

/// Base of every node of the 1D tree: child list, sort key and one flag word per window.
class QUARN_API Quarn_1D : public Tree_Node<Quarn_1D> {
public:
  /// A node with no children and every flag word 0.
  Quarn_1D();
  /// Destroys the subtree. Virtual, so that children of every kind release what they own.
  virtual ~Quarn_1D();

  /// Dumps the node (and its subtree when recurse) to the report with the given class.
  virtual void Stool(int message_class, int depth, unsigned char recurse);
  /// Orders the children ascending by Compare (an exchange sort), the subtree too when recurse.
  virtual int Sort(unsigned char recurse);
  /// -1, 0 or 1 as strcmp of the two sort keys.
  virtual int Compare(Quarn_1D* other);
  /// Icon file of the node in the tree list.
  virtual const wchar_t* Icon_Name();

  /// Sets mask bits in the flag words that mode and window select. Mode: 0x10 this node, 0x20
  /// the descendants, 0x40 the ancestors; with 0x01/0x02/0x04 a node lacking the selected/
  /// visible/current bit is left alone and the walk does not pass through it.
  void Flag_Set_On(unsigned char mode, void* window, uint64_t mask);
  /// Clears mask bits in the selected flag words.
  void Flag_Set_Off(unsigned char mode, void* window, uint64_t mask);
  /// Flips mask bits in the selected flag words.
  void Flag_Toggle(unsigned char mode, void* window, uint64_t mask);
  /// Union of (flag word & mask) over every node and window the walk reaches.
  uint64_t Flag_Get_Bit(unsigned char mode, void* window, uint64_t mask);
};
