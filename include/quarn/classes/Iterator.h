// Resumable iterators over the 1D, 2D and 3D trees and over the window list.
#pragma once

#include <quarn/Export.h>

#include <cstdint>

class Quarn;
class Quarn_1D;
class Quarn_2D;
class Quarn_3D;
class Quarn_Window;

/// Mode bits of the tree iterators, beside the condition bits the flag words share
/// (0x01 selected, 0x02 visible, 0x04 current: a child lacking the bit is skipped with its subtree).
namespace quarn::iter {
inline constexpr unsigned char Colour_Only = 0x08;  ///< 2D only: skip frames that are not colour images.
inline constexpr unsigned char Window_On = 0x02;    ///< Iterator_Window: skip windows that are off.
}  // namespace quarn::iter

/// Readies the iterator table's lock (host start-up); the table itself is static.
QUARN_API void Iterator_Create();
/// Ends the host's use of the table (host shut-down); warns when the lock is still held.
QUARN_API void Iterator_Cleanup();

/// Takes a free slot of the 255 and returns its id, 0 when every slot is taken (the slots are
/// then listed). start null walks each tree from its root; a tree node's Quarn part makes that
/// node the start of its own tree's walk. Every id taken must be given back with Iterator_End.
QUARN_API uint16_t Iterator_Init(const char* label, Quarn* start);
/// Gives a slot back; id 0 (a failed Init) is accepted and does nothing.
QUARN_API void Iterator_End(uint16_t id);

/// The next node of the 1D tree of class (below 0x10000 a class A, any class B; else class A in
/// the high half and class B in the low half), or null when the walk is over. Nodes of the class
/// are returned without entering them; window is the flag-word selector of the mode's conditions.
QUARN_API Quarn_1D* Iterator_Class_1D(uint16_t id, uint32_t node_class, void* window, unsigned char mode);
/// The next node of the 2D tree, as Iterator_Class_1D; mode 0x08 also skips non-colour frames.
QUARN_API Quarn_2D* Iterator_Class_2D(uint16_t id, uint32_t node_class, void* window, unsigned char mode);
/// The next node of the 3D tree, as Iterator_Class_1D.
QUARN_API Quarn_3D* Iterator_Class_3D(uint16_t id, uint32_t node_class, void* window, unsigned char mode);
/// The next window of the host's window list, or null; mode 0x02 skips windows that are off.
QUARN_API Quarn_Window* Iterator_Window(uint16_t id, char mode);

/// Enters the table lock (as Iterator_Init and Iterator_End do); re-entry by the holder is
/// reported and nests.
QUARN_API void Iterator_Critical_In(const char* label);
/// Leaves the table lock once; reported and ignored when the caller does not hold it.
QUARN_API void Iterator_Critical_Out(const char* label);
/// Nesting depth of the table lock.
QUARN_API int Iterator_Critical_Depth();
