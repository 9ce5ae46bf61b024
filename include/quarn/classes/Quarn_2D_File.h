// Quarn_2D_File: one image file the host has read, with its image records.
#pragma once

#include <quarn/Export.h>
#include <quarn/core/Quarn.h>

#include <cstdint>

struct Host_Image_Record;

/// An image file: its path, the reader's image records and per-record state for the modules.
///
/// Magic 0xABBB, class B the sequence number of 2D file records, class A 0x80 when the records
/// hold more than one frame in all. The name is the generic (base) name of the path.
class QUARN_API Quarn_2D_File : public Quarn {
public:
  /// Record-state bit of a closed image record, which tree generation skips.
  static constexpr uint16_t State_Closed = 0x40;
  /// Class-A bit of a file holding more than one frame.
  static constexpr uint16_t Multi_Frame = 0x80;

  /// Takes ownership of records, the reader's null-terminated array, and of the path's copy.
  Quarn_2D_File(const wchar_t* path, void** records);
  /// Deletes the frames made from this file, then releases the records and per-record blocks.
  ~Quarn_2D_File();
  Quarn_2D_File(const Quarn_2D_File&) = delete;
  Quarn_2D_File& operator=(const Quarn_2D_File&) = delete;

  /// Compares the path with text as unsigned code units: -1 smaller, 0 equal, 1 larger.
  int Match(const wchar_t* text);

  /// The path given at construction.
  const wchar_t* Path_Get() const { return path_ ? path_ : L""; }
  /// Number of image records.
  int Record_Count() const { return count_; }
  /// Image record index, or null when out of range.
  Host_Image_Record* Record_Get(int index) const;
  /// The null-terminated record array.
  Host_Image_Record** Records() const { return records_; }
  /// Seconds since 1970 at construction.
  int64_t Time_Get() const { return time_; }

  /// Forced pixel size of record index in mm (word_a as a float); 0 when the record's own
  /// spacing applies or the index is out of range.
  float Pixel_Size_Get(int index) const;
  /// Forces the pixel size of record index (0 lifts it); frames made afterwards use it.
  void Pixel_Size_Set(int index, float size);
  /// Shift of record index along its slice normal in mm (word_b as a float); 0 for none.
  float Slice_Offset_Get(int index) const;
  /// Shifts record index along its slice normal (0 for none); the patient-space maps apply it.
  void Slice_Offset_Set(int index, float offset);

  /// Per-record state words; bit State_Closed marks a closed record.
  uint16_t* state = nullptr;
  /// First per-record word, zero at creation: the forced pixel size as float bits.
  uint32_t* word_a = nullptr;
  /// Second per-record word, zero at creation: the slice offset as float bits.
  uint32_t* word_b = nullptr;
  /// First per-record block slots (malloc'd by the modules), released with the file.
  void** block_a = nullptr;
  /// Second per-record block slots (malloc'd by the modules), released with the file.
  void** block_b = nullptr;

  /// Number of 2D file records made so far in this process (the next one's class B).
  static uint16_t Counter_Get();

private:
  void Frames_Delete();

  wchar_t* path_ = nullptr;
  int64_t time_ = 0;
  int count_ = 0;
  Host_Image_Record** records_ = nullptr;
};
