// How one tree's user-buffer operations are labelled and traced, and what they trigger.
#pragma once

#include <cstdint>

class Quarn;

namespace quarn {

/// The per-tree differences of the user-buffer operations.
struct User_Buffer_Style {
  const char* word;         ///< Trace word after ">>> in  ": "Buffer" or "Class".
  const char* separator;    ///< Between name and "ID=" or "level=" in entry traces.
  const char* set_label;    ///< "Quarn_2D::User_Set" and the like, for traces and the lock.
  const char* get_label;
  const char* delete_label;
  const char* cleanup_label;
  const char* memory_label;
  const char* stool_label;
  void (*request)(uint64_t mask);          ///< Update request after a buffer came or went.
  void (*drop)(Quarn* owner, uint32_t id); ///< Called under the lock before a buffer goes; may be null.
};

}  // namespace quarn
