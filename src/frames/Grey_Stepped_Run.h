// Grey_Stepped_Run: the columns of an oblique row that lie well inside the record, eight at a
// time with vector gathers where the processor has them.
#pragma once

#include <quarn/Export.h>

#include <cstdint>

namespace quarn {

/// A row's run of columns whose two stepping record coordinates stay inside the record. The
/// coordinates are kept in 32.32 fixed point, lowered by their error margins.
struct Stepped_Run {
  const uint8_t* base = nullptr;              ///< element (0, 0) of the row's slice and time point
  long long stride_a = 0, stride_b = 0;       ///< bytes per index of each stepping coordinate
  long long step_a = 0, step_b = 0;           ///< fixed-point change per column
  unsigned long long limit_a = 0, limit_b = 0;  ///< fractions from which a pixel edge is near
  long long last_safe = -1;  ///< largest byte offset from base at which four bytes may be read
  int32_t pad = 0;           ///< the record's padding value
};

/// Reads columns of a record of element kind `kind` from fixed-point coordinates (at_a, at_b),
/// eight at a time, while no pixel edge is near and every read stays in the block; returns how
/// many columns it wrote (a multiple of eight, up to count). Byte offsets must fit 32 bits.
/// Returns 0 when the vector path is switched off or the processor lacks it.
QUARN_API int Stepped_Run_Vector(int kind, const Stepped_Run& run, long long at_a, long long at_b, int count,
                                 int32_t* out);

/// Allows (true) or forbids the vector path of stepped rows; returns the previous setting.
/// Both paths give identical values: tests switch it off to check the scalar one.
QUARN_API bool Grey_Stepped_Vector_Allow(bool allow);

}  // namespace quarn
