// The process-wide iterator table: slots, the walk state they keep, and scoped use of an id.
#pragma once

#include <quarn/classes/Iterator.h>

#include <cstdint>

namespace quarn::iterator {

/// Slots of the table; slot 0 is never handed out, as 0 is the failure id.
inline constexpr int Slot_Count = 256;
/// Levels a walk can hold; deeper trees are not walked below this.
inline constexpr int Depth_Max = 256;
/// Characters kept of a caller's label.
inline constexpr int Label_Max = 255;

/// One iterator. Only its owner thread touches the walk state between Init and End, so the walk
/// runs without the table lock.
struct Slot {
  uint32_t stamp;                    ///< Serial taken at Init; 0 while the slot is free.
  char label[Label_Max + 1];         ///< The caller's label; "---" once ended.
  int window_cursor;                 ///< Next position in the window list.
  int depth;                         ///< Current level of the tree walk.
  Quarn_1D* stack_1d[Depth_Max];     ///< 1D walk: node per level, the start node at level 0.
  Quarn_2D* stack_2d[Depth_Max];     ///< 2D walk: node per level.
  Quarn_3D* stack_3d[Depth_Max];     ///< 3D walk: node per level.
  int cursor[Depth_Max];             ///< Next child position per level (one tree per iterator).
};

/// The slot of a live iterator; null for id 0 (quietly), for an id out of range or a free slot
/// (both reported against fct).
Slot* Slot_Of(uint16_t id, const char* fct);

}  // namespace quarn::iterator

namespace quarn {

/// An iterator id that is ended when the scope is left, on every path out.
class Iterator_Scope {
public:
  /// Opens an iterator (id 0 when the table is full: every walk then finds nothing).
  Iterator_Scope(const char* label, Quarn* start) : id(Iterator_Init(label, start)) {}
  ~Iterator_Scope() { Iterator_End(id); }
  Iterator_Scope(const Iterator_Scope&) = delete;
  Iterator_Scope& operator=(const Iterator_Scope&) = delete;

  const uint16_t id;  ///< The iterator's id.
};

}  // namespace quarn
