// Pixel undo records: the TAG, GLI and 3D recorders that keep the old values of an edit.
#pragma once

#include <quarn/Export.h>

#include <hostkit/HostMath.h>

#include <cstdint>

/// One recorded tag change; a block of them ends with an entry whose pixel is null.
struct Undo_Pixel_TAG {
  uint8_t* pixel;     ///< The label byte.
  uint8_t old_value;  ///< Tag before the edit.
  uint8_t new_value;  ///< Tag after the edit.
};
static_assert(sizeof(Undo_Pixel_TAG) == 16, "a recorded tag pixel costs 16 bytes");

/// One recorded grey-value change of 1 to 8 bytes; a block ends with a null pixel.
struct Undo_Pixel_GLI {
  uint8_t size;          ///< Bytes of the value, 1 to 8.
  void* pixel;           ///< The value.
  uint8_t old_value[8];  ///< Value before the edit (the first size bytes).
  uint8_t new_value[8];  ///< Value after the edit (the first size bytes).
};
static_assert(sizeof(Undo_Pixel_GLI) == 32, "a recorded grey value costs 32 bytes");

/// One recorded vertex move of a geometry object; a block ends with a null geometry.
struct Undo_Pixel_3D {
  void* geometry;     ///< The Quarn_3D_Geom whose surface node moved.
  uint32_t vertex;    ///< Index of the node in the surface's node array.
  Vec4 displacement;  ///< What was added to the node's own position.
};
static_assert(sizeof(Undo_Pixel_3D) == 32, "a recorded vertex move costs 32 bytes");

/// Entries of one chunk of a thread's record list.
inline constexpr uint32_t UNDO_CHUNK_ENTRIES = 8192;
/// Kind codes that the undo/redo functions return.
inline constexpr int UNDO_KIND_TAG = 1, UNDO_KIND_GLI = 2, UNDO_KIND_3D = 3;
/// Update bit sent when a recording stops (an undo block is ready).
inline constexpr uint64_t UPDATE_UNDO_RECORDED = 0x40000000ull;
/// Update bit of moved surface nodes.
inline constexpr uint64_t UPDATE_GEOMETRY_NODES = 0x40000000000ull;

// Start: 1 when recording (also when already recording), 0 when undo is disabled ("$UNDO_NB"
// 0) or memory fails. Record: 1 when the value was taken or did not need to be, 0 when the
// operation was aborted (the caller must stop editing; what it changed so far is put back when
// the recording stops). Stop: the block (malloc'd, the caller's; give it to Undo_Save_Command
// with the matching functions below) or null when nothing was recorded. Start, stop and
// undo/redo run while no record call of the same recorder runs; record may be called from any
// thread, and from the workers of a dispatch each into a list of its own.

/// Starts a TAG recording and clears the tag mark table ("$UNDO_TAG").
QUARN_API int Undo_Pixel_Start_TAG();
/// Records that the label byte pixel changes from old_tag to new_tag; marks both tags (bit 1 the
/// old, bit 2 the new) even when no recording runs.
QUARN_API int Undo_Pixel_Record_TAG(uint8_t* pixel, uint8_t old_tag, uint8_t new_tag);
/// Stops the TAG recording; the block of every recorded change, or null.
QUARN_API Undo_Pixel_TAG* Undo_Pixel_Stop_TAG();
/// Writes back the old tags (undo 1) or the new tags (undo 0) of a block; returns 1 (0 for null).
QUARN_API int Undo_Pixel_UndoRedo_TAG(uint8_t undo, void* block);
/// Bytes of a TAG block without its terminator.
QUARN_API uint32_t Undo_Pixel_Size_TAG(void* block);

/// Starts a GLI recording.
QUARN_API int Undo_Pixel_Start_GLI();
/// Records that the size-byte value at pixel changes from *old_value to *new_value; sizes above
/// 8 and unchanged values are not recorded.
QUARN_API int Undo_Pixel_Record_GLI(uint8_t size, void* pixel, const void* old_value,
                                    const void* new_value);
/// Stops the GLI recording; the block, or null.
QUARN_API Undo_Pixel_GLI* Undo_Pixel_Stop_GLI();
/// Writes back the old (undo 1) or new (undo 0) values of a block; returns 2 (0 for null).
QUARN_API int Undo_Pixel_UndoRedo_GLI(uint8_t undo, void* block);
/// Bytes of a GLI block without its terminator.
QUARN_API uint32_t Undo_Pixel_Size_GLI(void* block);

/// Starts a 3D recording.
QUARN_API int Undo_Pixel_Start_3D();
/// Records that displacement was added to the own position of node vertex of geometry.
QUARN_API int Undo_Pixel_Record_3D(void* geometry, uint32_t vertex, Vec4 displacement);
/// Stops the 3D recording; the block, or null.
QUARN_API Undo_Pixel_3D* Undo_Pixel_Stop_3D();
/// Takes the displacements back from (undo 1) or adds them again to (undo 0) the nodes' own
/// positions; returns 3 (0 for null).
QUARN_API int Undo_Pixel_UndoRedo_3D(uint8_t undo, void* block);
/// Bytes of a 3D block without its terminator.
QUARN_API uint32_t Undo_Pixel_Size_3D(void* block);
