// The host's 1D data record: curves of samples with their axis texts, a description and six
// geometry floats, as the host's 1D readers produce it.
#pragma once

#include <hostkit/Export.h>

#include <cstdint>

/// Flag bit of a 1D record whose entries are curves.
inline constexpr uint32_t HOST_1D_CURVES = 0x100;
/// Number of the first text of a curve entry.
inline constexpr int HOST_1D_TEXT_FIRST = 4;
/// Number of texts of a curve entry: labels 4, 5, 6 and units 7, 8, 9 of its three arrays.
inline constexpr int HOST_1D_TEXT_COUNT = 6;

/// One curve entry: k samples held in two or three value arrays, and its axis texts.
struct Host_1D_Curve {
  uint32_t count = 0;                      ///< Samples k.
  float* values[3] = {};                   ///< Value arrays of k floats (malloc'd); the third may be null.
  char* text[HOST_1D_TEXT_COUNT] = {};     ///< Texts 4 ... 9 (text[0] is text 4), malloc'd or null.
};

/// A 1D data record; curves, texts and description are owned.
struct HOSTKIT_API Host_1D_Record {
  uint32_t flags = 0;                  ///< HOST_1D_* flag bits.
  int32_t curve_count = 0;             ///< Curve entries.
  Host_1D_Curve* curves = nullptr;     ///< Curve entries (malloc'd).
  char* description = nullptr;         ///< Description text (malloc'd), or null.
  float geometry[6] = {};              ///< Geometry of the acquisition, in the reader's terms.

  /// An empty record.
  Host_1D_Record() = default;
  /// Releases the curves, their arrays and texts, and the description.
  ~Host_1D_Record();
  Host_1D_Record(const Host_1D_Record&) = delete;
  Host_1D_Record& operator=(const Host_1D_Record&) = delete;
};

/// A record without curves; description (UTF-8) and geometry (six floats) may be null. Null,
/// reported, when it cannot be allocated.
HOSTKIT_API Host_1D_Record* Host_1D_Record_Create(const char* description, const float* geometry);
/// Appends a curve of count samples copied from first, second and third (may be null), with the
/// texts 4 ... 9 from texts (six entries, each may be null; texts itself may be null), and sets
/// HOST_1D_CURVES. 1 done; 0, reported, for a bad argument or a failed allocation.
HOSTKIT_API int Host_1D_Record_Add_Curve(Host_1D_Record* record, int count, const float* first,
                                         const float* second, const float* third,
                                         const char* const* texts);
/// Releases a record (null is fine).
HOSTKIT_API void Host_1D_Record_Free(Host_1D_Record* record);
