// Contour_Store: the contours a frame keeps in user slot 50, and how a computation replaces them.
#pragma once

#include "algorithms/Contour_Extract.h"

#include <cstdint>

class Quarn_2D_Frame;
class Quarn_Buffer;

namespace quarn::contour {

/// The parameters a store was computed with (its 12-byte data block).
struct Store_Key {
  uint32_t step_x;
  uint32_t step_y;
  uint32_t flags;
};

/// Children of a computed tag's buffer: point count, points, loops.
inline constexpr int Tag_Parts = 3;

/// The frame's store, or null when it has none.
Quarn_Buffer* Store_Get(Quarn_2D_Frame* frame);
/// The store, made (named "Contour", filed in slot 50) when the frame has none; its data block is
/// made again after a free. Null after a reported allocation failure.
Quarn_Buffer* Store_Make(Quarn_2D_Frame* frame);
/// True when the store holds contours computed with key for tag_nb tags.
bool Store_Matches(Quarn_Buffer* store, const Store_Key& key, int tag_nb);
/// True when one of the tags 1 ... tag_nb - 1 of the frame was written since its last computation.
bool Tags_Marked(Quarn_2D_Frame* frame, int tag_nb);

/// Replaces, under the frame's lock, the computed tags of the store: with done, each tag of
/// wanted gets its points and loops from results; otherwise each loses its contour. The data
/// block takes key. 1 done, 0 after a reported allocation failure.
int Store_Commit(Quarn_2D_Frame* frame, Quarn_Buffer* store, const Store_Key& key, int tag_nb,
                 const uint8_t* wanted, const Tag_Contour* results, bool done);

/// Holds the frame's lock while a reader looks at its store.
class Store_Reading {
public:
  Store_Reading(Quarn_2D_Frame* frame, const char* label);
  ~Store_Reading();
  Store_Reading(const Store_Reading&) = delete;
  Store_Reading& operator=(const Store_Reading&) = delete;

private:
  Quarn_2D_Frame* frame_;
  const char* label_;
};

/// True when frame is a valid frame and tag a tag value (reported otherwise).
bool Readable(Quarn_2D_Frame* frame, int16_t tag, const char* label);

/// The three parts of a computed tag (count, points, loops), or null; the caller holds the
/// frame's lock.
Quarn_Buffer* Tag_Parts_Get(Quarn_2D_Frame* frame, int tag);

}  // namespace quarn::contour
