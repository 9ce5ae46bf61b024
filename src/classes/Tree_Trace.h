// Entry and exit traces of the tree operations; nothing is formatted while the class is hidden.
#pragma once

#include "core/Check.h"
#include "core/Trace.h"

#include <cstdint>

namespace quarn {

/// The object base of a node that may be null: operations are called on null nodes and must
/// report them. The object base does not sit at the node's address, and the compiler takes
/// `this` for non-null, so the null test is hidden from the optimiser to keep null a null.
template <class T>
inline const Quarn* Object_Of(const T* node) {
  asm("" : "+r"(node));
  return node ? static_cast<const Quarn*>(node) : nullptr;
}

}  // namespace quarn

/// Validates a node that may be null (through Object_Of, so that the null test survives).
#define QUARN_CHECK_NODE(node, fam, label) QUARN_CHECK(::quarn::Object_Of(node), fam, label)
/// Validates a frame.
#define QUARN_CHECK_FRAME(node, label) QUARN_CHECK_NODE(node, Frame, label)

namespace quarn {

/// ">>> in  Class: <label>(title:name)".
template <class T>
inline void Trace_In(const char* label, const T* self) {
  QUARN_REPORT(msg::Class, ">>> in  Class: %s(%s:%ls)", label, Title_Of(Object_Of(self)),
               Name_Of(Object_Of(self)));
}

/// ">>> in  Class: <label>(title:name, mask=…)" of the bit-word operations.
template <class T>
inline void Trace_In_Mask(const char* label, const T* self, uint64_t mask) {
  QUARN_REPORT(msg::Class, ">>> in  Class: %s(%s:%ls, mask=%016llx)", label,
               Title_Of(Object_Of(self)), Name_Of(Object_Of(self)),
               static_cast<unsigned long long>(mask));
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
