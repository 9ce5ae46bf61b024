// Quarn_1D_File: the record of one 1D data file the host has read, with copies of its curves.
#pragma once

#include <quarn/Export.h>
#include <quarn/core/Quarn.h>
#include <quarn/core/Region.h>

#include <hostkit/HostRecord1D.h>

#include <cstdint>

/// One curve of a 1D file, copied from the host's record so that the tree reads it directly.
struct Quarn_1D_Curve {
  uint32_t word = 0;             ///< Free word, zero at creation.
  uint32_t count = 0;            ///< Samples.
  float* samples = nullptr;      ///< count triplets: first, second and third value (0 without one).
  char* text[6] = {};            ///< Texts 4 ... 9 of the entry; 6 and 9 only with a third array.
  float bounds[6] = {};          ///< Smallest of each of the three values, then largest of each.
};

/// A 1D data file: magic 0xABBA, class B its sequence number, named after the file's base name.
class QUARN_API Quarn_1D_File : public Quarn {
public:
  /// Records the file at path read into record (kept, not owned); curves are copied when the
  /// record's flag word has HOST_1D_CURVES.
  Quarn_1D_File(const wchar_t* path, void* record);
  /// Releases the copied curves and texts; the host's record is left alone.
  ~Quarn_1D_File();

  /// -1, 0 or 1 as the name is smaller than, equal to or larger than text, by code units.
  int Match(const wchar_t* text);

  int64_t time = 0;                  ///< Seconds since 1970 at construction.
  int has_curves = 0;                ///< 1 when the record holds curves.
  char* description = nullptr;       ///< Copy of the record's description, or null.
  uint32_t state = 0;                ///< 0x40: the file is closed and the tree skips it.
  Host_1D_Record* record = nullptr;  ///< The host's record (not owned).
  Region_4D bounds;                  ///< Extent of the data in patient space; empty without curves.
  int curve_count = 0;               ///< Curves copied.
  uint8_t* curve_marks = nullptr;    ///< Per curve; 0x40: closed, the tree skips it.
  Quarn_1D_Curve* curves = nullptr;  ///< The copied curves.

private:
  void Curves_Copy();
  void Bounds_Compute();
};
