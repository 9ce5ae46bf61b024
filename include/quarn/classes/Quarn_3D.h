// Quarn_3D: a node of the 3D tree (surfaces and point sets in patient space).
#pragma once

#include <quarn/Export.h>
#include <quarn/classes/Tree_Node.h>
#include <quarn/classes/User_Buffer_List.h>
#include <quarn/core/Point.h>

#include <hostkit/HostMath.h>

#include <cstdint>

class Quarn_Buffer;

/// Base of every node of the 3D tree: child list, sort key, one flag word per window, user
/// buffers and two transforms.
class QUARN_API Quarn_3D : public Tree_Node<Quarn_3D> {
public:
  /// A node with no children, every flag word 0 and zero transforms.
  Quarn_3D();
  /// Destroys the subtree and the user buffers. Virtual, so that children of every kind
  /// release what they own.
  virtual ~Quarn_3D();

  /// Dumps the node (and its subtree when recurse) to the report with the given class.
  virtual void Stool(int message_class, int depth, unsigned char recurse);
  /// Orders the children ascending by Compare (an exchange sort), the subtree too when recurse.
  virtual int Sort(unsigned char recurse);
  /// -1, 0 or 1 as strcmp of the two sort keys.
  virtual int Compare(Quarn_3D* other);
  /// Icon file of the node in the tree list.
  virtual const wchar_t* Icon_Name();
  /// Acts on update bits; a plain node only traces. Returns 1.
  virtual int Update_A(uint64_t mask);
  /// Acts on the second set of update bits; a plain node only traces. Returns 1.
  virtual int Update_B(uint64_t mask);
  /// Maps a point up the tree; a plain node hands it to its parent when asked, else keeps it.
  virtual Point_4D Metrics_Transfo(char ask_parent, Point_4D point);

  /// Sets mask bits in the flag words that mode and window select (see Quarn_1D::Flag_Set_On).
  void Flag_Set_On(unsigned char mode, void* window, uint64_t mask);
  /// Clears mask bits in the selected flag words.
  void Flag_Set_Off(unsigned char mode, void* window, uint64_t mask);
  /// Flips mask bits in the selected flag words.
  void Flag_Toggle(unsigned char mode, void* window, uint64_t mask);
  /// Union of (flag word & mask) over every node and window the walk reaches.
  uint64_t Flag_Get_Bit(unsigned char mode, void* window, uint64_t mask);

  /// Files buffer under id (an existing entry's pointer is replaced, not destroyed); 0 on failure.
  int User_Set(uint32_t id, Quarn_Buffer* buffer);
  /// The buffer filed under id, or null.
  Quarn_Buffer* User_Get(uint32_t id);
  /// Destroys the buffer filed under id; 0 when there is none.
  int User_Delete(uint32_t id);
  /// Destroys the unlocked buffers of priority level; returns the bytes released.
  uint64_t User_Cleanup(uint16_t level);
  /// Bytes held by the node's buffers.
  uint64_t User_Memory();
  /// Dumps the buffers filed under id (every buffer when id is 0).
  void User_Stool(int message_class, int depth, uint32_t id);

  Mat4 transfo[2];  ///< Zero at creation; a geometry node draws and picks with the first.

protected:
  User_Buffer_List users_;  ///< The user buffers.
};
