// Frame_Layer_Buffer: the row matrix behind one of a frame's layers, made on first use.
#pragma once

#include <quarn/core/Region.h>

#include <cstdint>

class Quarn_2D_Frame;

namespace quarn {

/// What tells one layer's buffer from another's.
struct Layer_Kind {
  uint32_t slot;             ///< User-buffer slot of the frame.
  uint16_t dim;              ///< Bytes per element.
  const char* source;        ///< Source name in the memory report of a failed buffer creation.
  const char* matrix_label;  ///< Operation named in the exit trace of a failed matrix.
};

/// Work GLI: 32-bit grey values in slot 6.
extern const Layer_Kind Layer_Work_GLI;
/// Work TAG: 16-bit tag cells in slot 5.
extern const Layer_Kind Layer_Work_TAG;
/// Erase layer: saved tag bytes in slot 1.
extern const Layer_Kind Layer_Erase;

/// The rows of the layer's height x width matrix, made (buffer named name, filed in the
/// frame's slot) or re-made (when the frame's size changed) as needed; *created tells whether
/// the buffer is new. The caller holds the frame's lock. Null after a reported failure, or for a
/// frame without rows.
void** Layer_Rows(Quarn_2D_Frame* frame, const Layer_Kind& kind, const char* name, bool* created);

/// Every pixel of the frame's layers: frame space, (0, 0) to (width - 1, height - 1).
Region_2D Layer_Extent(const Quarn_2D_Frame& frame);

}  // namespace quarn
