// Quarn_Buffer: a typed data block and/or row matrix hung on a class object, plus row matrices.
#pragma once

#include <quarn/Export.h>
#include <quarn/core/Quarn.h>

#include <cstdint>

/// A flat data block, a matrix of rows, or both, with optional sub-buffers; class A bit 0 locks it.
class QUARN_API Quarn_Buffer : public Quarn {
public:
  /// Empty buffer of type code 0.
  Quarn_Buffer();
  /// Empty buffer whose class B is the type code (the clean-up priority).
  explicit Quarn_Buffer(uint16_t type);
  /// Releases the block, the sub-buffers and the matrix.
  ~Quarn_Buffer();

  /// Allocates a zero-filled block of size bytes; null (buffer empty) when allocation fails.
  void* Data_New(uint32_t size);
  /// Resizes the block, keeping the common prefix and zero-filling growth; null on failure.
  void* Data_Grow(uint32_t size);
  /// Zero-fills the block.
  void Data_Clear();
  /// The block, or null when locked.
  void* Data_Get();
  /// Releases the block and the sub-buffers; size becomes 0.
  void Data_Delete();

  /// Allocates y rows of x elements of dim bytes (not initialised); null when allocation fails.
  void** Matrix_New(uint16_t x, uint16_t y, uint16_t dim);
  /// The rows, or null when locked.
  void** Matrix_Get();
  /// Copies x * dim bytes into each row from the source's rows.
  void Matrix_Copy(void** source_rows);
  /// Zero-fills every row.
  void Matrix_Clear();
  /// Releases the rows and the table; x, y and size become 0.
  void Matrix_Delete();
  /// Elements per row.
  uint16_t Matrix_Get_X();
  /// Number of rows.
  uint16_t Matrix_Get_Y();
  /// Bytes per element.
  uint16_t Matrix_Get_Dim();

  /// Bytes held, sub-buffers included.
  uint32_t Size_Get();

  /// Replaces the sub-buffers by count new empty buffers of the given type; null on failure.
  Quarn_Buffer* Sub_New(int count, uint16_t type = 0);
  /// Sub-buffer i, or null outside 0..count-1.
  Quarn_Buffer* Sub_Get(int i);
  /// Number of sub-buffers.
  int Sub_Count_Get() const { return sub_count_; }

private:
  void Sub_Delete();

  uint32_t size_ = 0;
  void* data_ = nullptr;
  void** rows_ = nullptr;
  uint16_t x_ = 0;
  uint16_t y_ = 0;
  uint16_t dim_ = 0;
  Quarn_Buffer* sub_ = nullptr;
  int sub_count_ = 0;
};

/// Allocates y row pointers and y rows of x * dim bytes (not initialised); null on failure.
QUARN_API void** Mat_Alloc(int x, int y, char dim);
/// Mat_Alloc followed by a copy of each row from source; null on failure.
QUARN_API void** Mat_Copy(int x, int y, char dim, void** source);
/// Releases each non-null row and the table; nothing for a null table.
QUARN_API void Mat_Free(int y, void** rows);
