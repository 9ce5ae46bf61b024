// What the file records of every kind share: sequence numbers, key order, generic name, time.
#pragma once

#include <quarn/core/Quarn.h>

#include <cstdint>
#include <cstdlib>

namespace quarn {

/// Kinds of file record, each with its own sequence counter.
enum class File_Kind : int { One_D = 0, Two_D = 1, Three_D = 2 };

/// Takes the next sequence number of a kind (16 bits, from 0, wrapping), safe from any thread.
uint16_t File_Sequence_Next(File_Kind kind);
/// The sequence number the next record of a kind will take.
uint16_t File_Sequence_Peek(File_Kind kind);

/// Compares key with text as UTF-16 code units read as unsigned 16-bit values: -1 when key is
/// smaller, 1 when larger, 0 when equal; a null key or text is empty.
int File_Key_Compare(const wchar_t* key, const wchar_t* text);

/// Names the record after the base name of path (no folder, no extension).
void File_Generic_Name_Set(Quarn& record, const wchar_t* path);

/// Seconds since 1970.
int64_t File_Time_Now();

/// A zero-filled malloc'd array of count elements (at least one, so that an empty array is
/// still distinct from a failed one), or null.
template <class T>
T* File_Zeroed(int count) {
  return static_cast<T*>(std::calloc(size_t(count > 0 ? count : 1), sizeof(T)));
}

}  // namespace quarn
