// Pixel_Block: the terminated arrays that a stop hands out, counted, sized and applied.
#pragma once

#include "undo/Pixel_Recorder.h"

#include <cstddef>
#include <cstdint>

namespace quarn::undo {

inline bool Is_End(const Undo_Pixel_TAG& e) { return !e.pixel; }
inline bool Is_End(const Undo_Pixel_GLI& e) { return !e.pixel; }
inline bool Is_End(const Undo_Pixel_3D& e) { return !e.geometry; }

/// Entries of a block before its terminator (0 for a null block).
template <class Entry>
size_t Block_Count(const void* block) {
  size_t n = 0;
  for (auto* e = static_cast<const Entry*>(block); e && !Is_End(e[n]);) ++n;
  return n;
}

/// Bytes of a block without its terminator, as the ring's size function reports them.
template <class Entry>
uint32_t Block_Size(void* block) {
  const uint64_t bytes = uint64_t(Block_Count<Entry>(block)) * sizeof(Entry);
  return bytes > UINT32_MAX ? UINT32_MAX : uint32_t(bytes);
}

/// Applies a block as an undo (undo 1) or a redo (undo 0); returns code (0 for a null block).
template <class Entry>
int Block_Apply(const Recorder_Kind& kind, uint8_t undo, void* block, int code) {
  if (!block) return 0;
  Apply_State state;
  kind.apply_begin(state);
  kind.apply(undo, block, Block_Count<Entry>(block), state);
  kind.apply_end(state);
  return code;
}

}  // namespace quarn::undo
