// Entry and exit traces of the tree operations; nothing is formatted while the class is hidden.
#pragma once

#include "core/Check.h"
#include "core/Trace.h"

#include <cstdint>

namespace quarn {

/// ">>> in  Class: <label>(title:name)".
inline void Trace_In(const char* label, const Quarn* self) {
  QUARN_REPORT(msg::Class, ">>> in  Class: %s(%s:%ls)", label, Title_Of(self), Name_Of(self));
}

/// ">>> in  Class: <label>(title:name, mask=…)" of the bit-word operations.
inline void Trace_In_Mask(const char* label, const Quarn* self, uint64_t mask) {
  QUARN_REPORT(msg::Class, ">>> in  Class: %s(%s:%ls, mask=%016llx)", label, Title_Of(self),
               Name_Of(self), static_cast<unsigned long long>(mask));
}

/// "<<< out Class: <label>()".
inline void Trace_Out(const char* label) {
  QUARN_REPORT(msg::Class, "<<< out Class: %s()", label);
}

/// "<<< out Class: <label>(why)" of an early return.
inline void Trace_Out(const char* label, const char* why) {
  QUARN_REPORT(msg::Class, "<<< out Class: %s(%s)", label, why);
}

}  // namespace quarn
