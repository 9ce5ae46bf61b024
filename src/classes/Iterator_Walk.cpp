// The resumable pre-order walk shared by the 1D, 2D and 3D tree iterators.
#include <quarn/classes/Class_Flag.h>
#include <quarn/classes/Quarn_1D.h>
#include <quarn/classes/Quarn_2D.h>
#include <quarn/classes/Quarn_3D.h>

#include "classes/Iterator_Table.h"
#include "classes/Node_Kinds.h"
#include "classes/Tree_Trace.h"
#include "core/Check.h"

namespace {

using quarn::iterator::Depth_Max;
using quarn::iterator::Slot;

/// What differs between the trees' walks: the name, the validity family, the stack kept for
/// the tree, and the kind filter of mode 0x08 that only the 2D tree has.
template <class Node>
struct Walk_Traits;

template <>
struct Walk_Traits<Quarn_1D> {
  static constexpr const char* Name = "Iterator_Class_1D";
  static const quarn::Family& Family() { return quarn::family::Class_1D; }
  static Quarn_1D** Stack(Slot& slot) { return slot.stack_1d; }
  static bool Kind_Skipped(Quarn_1D*, uint8_t) { return false; }
};

template <>
struct Walk_Traits<Quarn_2D> {
  static constexpr const char* Name = "Iterator_Class_2D";
  static const quarn::Family& Family() { return quarn::family::Class_2D; }
  static Quarn_2D** Stack(Slot& slot) { return slot.stack_2d; }
  // Mode 0x08 keeps colour frames only: a frame whose element kind is not negative is skipped.
  static bool Kind_Skipped(Quarn_2D* node, uint8_t mode) {
    return (mode & quarn::iter::Colour_Only) && node->Class_A_Get() == quarn::Class_A_Frame &&
           quarn::Frame_Pixel_Kind(node) >= 0;
  }
};

template <>
struct Walk_Traits<Quarn_3D> {
  static constexpr const char* Name = "Iterator_Class_3D";
  static const quarn::Family& Family() { return quarn::family::Class_3D; }
  static Quarn_3D** Stack(Slot& slot) { return slot.stack_3d; }
  static bool Kind_Skipped(Quarn_3D*, uint8_t) { return false; }
};

/// The class argument: below 0x10000 a class A with any class B, else class A and class B.
struct Class_Test {
  explicit Class_Test(uint32_t node_class)
      : with_b(node_class >= 0x10000),
        a(uint16_t(with_b ? node_class >> 16 : node_class)),
        b(uint16_t(node_class & 0xFFFF)) {}
  bool operator()(const Quarn* node) const {
    return node->Class_A_Get() == a && (!with_b || node->Class_B_Get() == b);
  }
  bool with_b;
  uint16_t a;
  uint16_t b;
};

/// The flag bits a mode requires of every child the walk enters or returns.
uint64_t Required_Bits(uint8_t mode) {
  uint64_t bits = 0;
  if (mode & quarn::mode::If_Selected) bits |= quarn::flag::Selected;
  if (mode & quarn::mode::If_Visible) bits |= quarn::flag::Visible;
  if (mode & quarn::mode::If_Current) bits |= quarn::flag::Current;
  return bits;
}

template <class Node>
bool Skipped(Node* child, uint8_t mode, void* window, uint64_t required) {
  if (required && (child->Flag_Get_Bit(quarn::mode::Self, window, required) & required) != required)
    return true;
  return Walk_Traits<Node>::Kind_Skipped(child, mode);
}

[[gnu::cold, gnu::noinline]] void Too_Deep(const char* name, const char* label) {
  QUARN_REPORT(quarn::msg::Invalid, "%s(%s): tree deeper than %d levels, subtree skipped", name,
               label, Depth_Max - 1);
}

template <class Node>
Node* Out_Null(const char* why) {
  QUARN_REPORT(quarn::msg::Iterator, "<<< out Fct: %s(%s)", Walk_Traits<Node>::Name, why);
  return nullptr;
}

template <class Node>
Node* Out_Found(Node* node, const Slot& slot) {
  using T = Walk_Traits<Node>;
  quarn::Check(quarn::Object_Of(node), T::Family(), slot.label, __FILE_NAME__, __LINE__);
  QUARN_REPORT(quarn::msg::Iterator, "<<< out Fct: %s(%s:%ls)", T::Name, node->Title_Get(),
               node->Name_Get());
  return node;
}

// Each call resumes where the last one returned: the stack holds the branch being walked and
// the cursors the next child at each level. Nodes of the class are returned without being
// entered; a child that fails the mode is passed over with its whole subtree.
template <class Node>
Node* Walk(uint16_t id, uint32_t node_class, void* window, unsigned char mode) {
  using T = Walk_Traits<Node>;
  QUARN_REPORT(quarn::msg::Iterator, ">>> in  Fct: %s(%d,%08X,%08X,%02X)", T::Name, id, node_class,
               unsigned(reinterpret_cast<uintptr_t>(window)), mode);
  Slot* slot = quarn::iterator::Slot_Of(id, T::Name);
  if (!slot) return Out_Null<Node>("null");
  Node** stack = T::Stack(*slot);
  int* cursor = slot->cursor;
  int& d = slot->depth;
  const Class_Test matches(node_class);
  const uint64_t required = Required_Bits(mode);
  for (;;) {
    Node* node = stack[d];
    if (!node) return Out_Null<Node>("! class_pt");
    if (matches(node)) {
      // Only a start node can get here; the walk ends at the next call (stack[1] is empty).
      ++d;
      return Out_Found(node, *slot);
    }
    if (cursor[d] < node->Child_Get_Nb()) {
      Node* child = node->Child_Get_Pt(cursor[d]);
      if (!child || Skipped(child, mode, window, required)) {
        ++cursor[d];
      } else if (matches(child)) {
        ++cursor[d];
        return Out_Found(child, *slot);
      } else if (child->Child_Get_Nb() > 0 && d + 1 < Depth_Max) {
        stack[++d] = child;
      } else {
        if (child->Child_Get_Nb() > 0) Too_Deep(T::Name, slot->label);
        ++cursor[d];
      }
      continue;
    }
    if (d == 0) return Out_Null<Node>("! Iterator_Level");
    cursor[d] = 0;
    --d;
    ++cursor[d];
  }
}

}  // namespace

Quarn_1D* Iterator_Class_1D(uint16_t id, uint32_t node_class, void* window, unsigned char mode) {
  return Walk<Quarn_1D>(id, node_class, window, mode);
}

Quarn_2D* Iterator_Class_2D(uint16_t id, uint32_t node_class, void* window, unsigned char mode) {
  return Walk<Quarn_2D>(id, node_class, window, mode);
}

Quarn_3D* Iterator_Class_3D(uint16_t id, uint32_t node_class, void* window, unsigned char mode) {
  return Walk<Quarn_3D>(id, node_class, window, mode);
}
