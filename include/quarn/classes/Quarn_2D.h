// Quarn_2D: a node of the 2D tree, with per-window bit words, inside regions and user buffers.
#pragma once

#include <quarn/Export.h>
#include <quarn/classes/Tree_Node.h>
#include <quarn/classes/User_Buffer_List.h>
#include <quarn/core/Point.h>
#include <quarn/core/Region.h>

#include <hostkit/HostMath.h>

#include <cstdint>

class Quarn_2D;
class Quarn_Buffer;
class Quarn_Window;

/// A drawing callback: (object, redraw mask, window) -> 0 failed, 1 done, 2 done and skip slot 0.
using Quarn_2D_Draw = int (*)(Quarn_2D* object, uint64_t mask, Quarn_Window* window);
/// A pixel reader of the access chain: (node, image record, point) -> grey value or tag.
using Quarn_2D_Pixel_Read = int (*)(Quarn_2D* node, void* image, Vec4 point);
/// The tag writer of the access chain: (node, image record, point, tag) -> result.
using Quarn_2D_Pixel_Write = int (*)(Quarn_2D* node, void* image, Vec4 point, int tag);
/// A slot of the device-volume access; the volume cuts define and cast their own signatures.
using Quarn_2D_Volume_Slot = void (*)();
/// Drops the cached view a frame keeps of one of its layers when the layer's buffer goes.
using Quarn_2D_Layer_Drop = void (*)(Quarn_2D* frame, uint32_t id);

/// Base of every node of the 2D tree; built only as the base of a kind (root, frame, volume,
/// the host's group classes). Per-window state has ten entries indexed by the window's class B.
class QUARN_API Quarn_2D : public Tree_Node<Quarn_2D> {
public:
  /// Destroys the subtree, the user buffers and the matrices.
  virtual ~Quarn_2D();

  /// Sets mask bits in the flag words that mode and window select (see Update_A_Set_On).
  virtual void Flag_Set_On(unsigned char mode, void* window, uint64_t mask);
  /// Clears mask bits in the flag words that mode and window select.
  virtual void Flag_Set_Off(unsigned char mode, void* window, uint64_t mask);
  /// Acts on the data-update bits of mask; a plain node only traces. Returns 1.
  virtual int Update_A(uint64_t mask);
  /// Acts on the second set of update bits; a plain node only traces. Returns 1.
  virtual int Update_B(uint64_t mask);
  /// Hands the four arguments on to every child.
  virtual void Update_Child_A(uint64_t mask, void* window, void* image, Region_4D* region);
  /// Dumps the node (and its subtree when recurse) to the report with the given class.
  virtual void Stool(int message_class, int depth, unsigned char recurse);
  /// Lays the node out in a window's tree list; a plain node lays out nothing yet and returns 0.
  virtual int Resize(Quarn_Window* window, Region_2D* area);
  /// Orders the children ascending by Compare (an exchange sort), the subtree too when recurse.
  virtual int Sort(unsigned char recurse);
  /// -1, 0 or 1 as strcmp of the two sort keys.
  virtual int Compare(Quarn_2D* other);
  /// Icon file of the node in the tree list.
  virtual const wchar_t* Icon_Name();
  /// Pointer press or release at an interface-space point; 0 when the node does not take it.
  virtual int Interface_Click(Quarn_Window* window, int code, Point_2D* point);
  /// Pointer motion; 0 when the node does not take it.
  virtual int Interface_Motion(Quarn_Window* window, int code, Point_2D* point);
  /// Wheel scroll; 0 when the node does not take it.
  virtual int Interface_Scroll(Quarn_Window* window, int code, Point_2D* point);
  /// Key press; 0 when the node does not take it.
  virtual int Interface_Key(Quarn_Window* window, int code, Point_2D* point);
  /// Rubber-band selection; 0 when the node does not take it.
  virtual int Interface_Select(Quarn_Window* window, Region_2D* region);
  /// Pixel resolution of an image record, answered up the tree.
  virtual Point_2D Metrics_Get_Res(char ask_parent, Quarn_2D* who, void** image, Point_2D point);
  /// Frame to patient space, through the child-to-parent matrices up the tree.
  virtual Point_4D Metrics_Get_Org(char ask_parent, Quarn_2D* who, void** image, Point_4D point);
  /// Patient to frame space, through the parent-to-child matrices down from the root.
  virtual Point_4D Metrics_Get_Frm(char ask_parent, Quarn_2D* who, void** image, Point_4D point);

  /// Flips mask bits in the selected flag words.
  void Flag_Toggle(unsigned char mode, void* window, uint64_t mask);
  /// Union of (flag word & mask) over every node and window the mode and selector reach.
  uint64_t Flag_Get_Bit(unsigned char mode, void* window, uint64_t mask);
  /// Sets mask bits in the selected redraw words.
  void Redraw_Set_On(unsigned char mode, void* window, uint64_t mask);
  /// Clears mask bits in the selected redraw words.
  void Redraw_Set_Off(unsigned char mode, void* window, uint64_t mask);
  /// Union of (redraw word & mask) over the selection.
  uint64_t Redraw_Get_Bit(unsigned char mode, void* window, uint64_t mask);
  /// Sets mask bits in the selected update A words. Mode: 0x10 this node, 0x20 the descendants,
  /// 0x40 the ancestors; 0x01/0x02/0x04 act only where the node's flag word for the window has
  /// the selected/visible/current bit. Window: null every window, 4 the current one, 8 index 0.
  void Update_A_Set_On(unsigned char mode, void* window, uint64_t mask);
  /// Clears mask bits in the selected update A words.
  void Update_A_Set_Off(unsigned char mode, void* window, uint64_t mask);
  /// Union of (update A word & mask) over the selection.
  uint64_t Update_A_Get_Bit(unsigned char mode, void* window, uint64_t mask);
  /// Sets mask bits in the selected update B words.
  void Update_B_Set_On(unsigned char mode, void* window, uint64_t mask);
  /// Clears mask bits in the selected update B words.
  void Update_B_Set_Off(unsigned char mode, void* window, uint64_t mask);
  /// Union of (update B word & mask) over the selection.
  uint64_t Update_B_Get_Bit(unsigned char mode, void* window, uint64_t mask);

  /// Position of the first child that is current in the window; 0 when none is.
  int Child_Get_Cur(Quarn_Window* window);
  /// Class A in the high 16 bits, class B in the low 16.
  uint32_t Class_AB_Get();

  /// The window's inside region becomes code 7 with the sorted corners.
  void Inside_Set(Quarn_Window* window, int x0, int y0, int x1, int y1);
  /// The window's inside region becomes a copy of region.
  void Inside_Set(Quarn_Window* window, Region_2D region);
  /// Grows the window's inside region to include region.
  void Inside_Add(Quarn_Window* window, Region_2D region);
  /// Empties the window's inside region (its code stays).
  void Inside_Clear(Quarn_Window* window);
  /// The window's inside region (an empty region for an unusable window).
  Region_2D Inside_Get(Quarn_Window* window);
  /// 1 when the point lies in the window's inside region (minimum <= p < maximum).
  int Inside_Pt(Quarn_Window* window, Point_2D point);
  /// 1 when region overlaps the window's inside region.
  int Inside_Range(Quarn_Window* window, Region_2D region);
  /// Sets or clears the visible bit of the node (and of its subtree when recurse) for a window,
  /// from its inside region and its parent's display mode and current child.
  void Visibility_Set(Quarn_Window* window, unsigned char recurse);

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

  uint32_t db_index = 0;                ///< Serial number of the node in its tree.
  uint16_t loop_rate[10];               ///< Per window: frames per second of the loop display.
  uint64_t loop_timer[10] = {};         ///< Per window: timer id of a running loop, 0 when none.
  Mat4* mat_parent_to_child = nullptr;  ///< Optional, owned: parent to child space.
  Mat4* mat_child_to_parent = nullptr;  ///< Optional, owned: child to parent space.
  Mat4* mat_tag = nullptr;              ///< Optional, owned: applied before a tag access goes up.

  Quarn_2D_Pixel_Read fct_read_gli = nullptr;    ///< Grey read of the access chain.
  Quarn_2D_Pixel_Read fct_read_tag = nullptr;    ///< Tag read of the access chain.
  Quarn_2D_Pixel_Write fct_write_tag = nullptr;  ///< Tag write of the access chain.
  Quarn_2D_Volume_Slot fct_volume[4] = {};       ///< Device-volume access of the volume cuts.
  Quarn_2D_Layer_Drop fct_layer_drop = nullptr;  ///< Set by frames: forget a layer's cached view.

  Quarn_2D_Draw fct_draw_highlight = nullptr;  ///< Highlight drawing.
  Quarn_2D_Draw fct_draw_base[32] = {};        ///< Base drawing, slots 31 down to 0.
  Quarn_2D_Draw fct_draw_opengl[32] = {};      ///< OpenGL drawing.
  Quarn_2D_Draw fct_draw_stencil[8] = {};      ///< Stencil drawing, one stencil bit per slot.
  Quarn_2D_Draw fct_draw_xor[32] = {};         ///< XOR drawing.
  Quarn_2D_Draw fct_draw_3d[32] = {};          ///< 3D drawing.

protected:
  /// A node with empty child list, flag words at CLASS_FLAG_EXPAND and the next serial number.
  Quarn_2D();

  uint64_t update_a_[10] = {};  ///< Per window: pending data-update bits.
  uint64_t update_b_[10] = {};  ///< Per window: second set of pending update bits.
  uint64_t redraw_[10] = {};    ///< Per window: pending redraw bits.
  Region_2D inside_[10];        ///< Per window: where the node is, in interface space.
  User_Buffer_List users_;      ///< The user buffers.

private:
  enum Word : uint8_t { Word_Update_A, Word_Update_B, Word_Redraw, Word_Flag };

  uint64_t Word_Walk(Word word, quarn::Bit_Op op, const char* label, uint8_t mode, void* window,
                     uint64_t mask);
  uint64_t Word_Step(Word word, quarn::Bit_Op op, const char* label, uint8_t mode, void* window,
                     uint64_t mask);
  bool Conditions_Met(uint8_t mode, Quarn_Window* window);
  uint64_t* Word_Of(Word word);
  void Visibility_Clear(Quarn_Window* window, const char* why);
};
