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

/// A 1D data file: its curves, copied from the host's record, and their extent.
///
/// Magic 0xABBA, class B the sequence number of 1D file records; the name is the generic (base)
/// name of the path.
class QUARN_API Quarn_1D_File : public Quarn {
public:
  /// State bit of a closed file or curve, which tree generation skips.
  static constexpr uint32_t State_Closed = 0x40;

  /// Records the file at path read into record (kept, not owned); curves are copied when the
  /// record's flag word has HOST_1D_CURVES.
  Quarn_1D_File(const wchar_t* path, void* record);
  /// Releases the copied curves and texts; the host's record is left alone.
  ~Quarn_1D_File();
  Quarn_1D_File(const Quarn_1D_File&) = delete;
  Quarn_1D_File& operator=(const Quarn_1D_File&) = delete;

  /// Compares the name with text as unsigned code units: -1 smaller, 0 equal, 1 larger.
  int Match(const wchar_t* text);

  /// Seconds since 1970 at construction.
  int64_t Time_Get() const { return time_; }
  /// 1 when the record holds curves, else 0.
  int Has_Curves() const { return has_curves_; }
  /// The record's description, or null.
  const char* Description_Get() const { return description_; }
  /// The host's record (not owned).
  Host_1D_Record* Record_Get() const { return record_; }
  /// Extent of the data in patient space (code 2); empty for a record without curves.
  const Region_4D& Bounds_Get() const { return bounds_; }
  /// Number of curves copied.
  int Curve_Count() const { return curve_count_; }
  /// Curve index, or null when out of range.
  Quarn_1D_Curve* Curve_Get(int index) const;

  /// Per-file state; bit State_Closed marks a closed file.
  uint32_t state = 0;
  /// Per-curve marks, one byte each; bit State_Closed marks a closed curve.
  uint8_t* curve_marks = nullptr;

  /// Number of 1D file records made so far in this process (the next one's class B).
  static uint16_t Counter_Get();

private:
  void Curves_Copy();
  void Bounds_Compute();

  int64_t time_ = 0;
  int has_curves_ = 0;
  char* description_ = nullptr;
  Host_1D_Record* record_ = nullptr;
  Region_4D bounds_;
  int curve_count_ = 0;
  Quarn_1D_Curve* curves_ = nullptr;
};
