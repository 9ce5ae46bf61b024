// Data blocks and row matrices attached to class objects.
#include <quarn/core/Quarn_Buffer.h>

#include "core/Check.h"
#include "core/Trace.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {
constexpr uint16_t kBufferMagic = 0xAFBF;
constexpr uint16_t kLockedBit = 0x0001;

// One allocator for buffers and the free helpers, so that element sizes over 255 bytes survive.
void** Rows_Alloc(size_t x, size_t y, size_t dim) {
  if (y == 0) return nullptr;
  auto** rows = static_cast<void**>(std::calloc(y, sizeof(void*)));
  if (!rows) {
    QUARN_MEMORY_ERROR("malloc", "pt", y, 8);
    return nullptr;
  }
  size_t row_bytes = x * dim;
  for (size_t j = 0; j < y; ++j) {
    rows[j] = std::malloc(row_bytes ? row_bytes : 1);
    if (!rows[j]) {
      QUARN_MEMORY_ERROR("malloc", "pt[j]", x, dim);
      Mat_Free(int(j), rows);
      return nullptr;
    }
  }
  return rows;
}

uint32_t Saturate(uint64_t v) { return v > UINT32_MAX ? UINT32_MAX : uint32_t(v); }
}  // namespace

#define BUF_IN(op)                                                                   \
  QUARN_REPORT(quarn::msg::Class, ">>> in  Class: Quarn_Buffer::" op "(%ls)",        \
               quarn::Name_Of(this));                                          \
  if (!QUARN_CHECK(this, Buffer, "Quarn_Buffer::" op))
#define BUF_OUT(op) QUARN_REPORT(quarn::msg::Class, "<<< out Class: Quarn_Buffer::" op "()")
#define BUF_OUT_WHY(op, why) \
  QUARN_REPORT(quarn::msg::Class, "<<< out Class: Quarn_Buffer::" op "(" why ")")

Quarn_Buffer::Quarn_Buffer() : Quarn_Buffer(0) {}

Quarn_Buffer::Quarn_Buffer(uint16_t type) {
  QUARN_REPORT(quarn::msg::Class, ">>> in  Class: Quarn_Buffer::Quarn_Buffer()");
  Class_Magic_Set(kBufferMagic);
  Class_B_Set(type);
  Title_Set("Buffer");
  QUARN_REPORT(quarn::msg::Class, "<<< out Class: Quarn_Buffer::Quarn_Buffer()");
}

Quarn_Buffer::~Quarn_Buffer() {
  Data_Delete();
  Matrix_Delete();
}

void* Quarn_Buffer::Data_New(uint32_t size) {
  BUF_IN("Data_New") return nullptr;
  data_ = std::calloc(size ? size : 1, 1);
  if (!data_) {
    QUARN_MEMORY_ERROR("calloc", "data", size, 1);
    size_ = 0;
    BUF_OUT_WHY("Data_New", "memory");
    return nullptr;
  }
  size_ = size;
  BUF_OUT("Data_New");
  return data_;
}

void* Quarn_Buffer::Data_Grow(uint32_t size) {
  BUF_IN("Data_Grow") return nullptr;
  if (data_ && size == size_) {
    BUF_OUT_WHY("Data_Grow", "same size");
    return data_;
  }
  void* grown = std::realloc(data_, size ? size : 1);
  if (!grown) {
    // The old block is still valid: keep it rather than lose its contents.
    QUARN_MEMORY_ERROR("realloc", "data", size, 1);
    BUF_OUT_WHY("Data_Grow", "memory");
    return nullptr;
  }
  if (size > size_ || !data_)
    std::memset(static_cast<char*>(grown) + (data_ ? size_ : 0), 0, size - (data_ ? size_ : 0));
  data_ = grown;
  size_ = size;
  BUF_OUT("Data_Grow");
  return data_;
}

void Quarn_Buffer::Data_Clear() {
  BUF_IN("Data_Clear") return;
  if (data_) std::memset(data_, 0, size_);
  BUF_OUT("Data_Clear");
}

void* Quarn_Buffer::Data_Get() {
  BUF_IN("Data_Get") return nullptr;
  if (Class_A_Get() & kLockedBit) {
    BUF_OUT_WHY("Data_Get", "locked");
    return nullptr;
  }
  BUF_OUT("Data_Get");
  return data_;
}

void Quarn_Buffer::Data_Delete() {
  BUF_IN("Data_Delete") return;
  std::free(data_);
  data_ = nullptr;
  Sub_Delete();
  size_ = 0;
  BUF_OUT("Data_Delete");
}

void** Quarn_Buffer::Matrix_New(uint16_t x, uint16_t y, uint16_t dim) {
  BUF_IN("Matrix_New") return nullptr;
  rows_ = Rows_Alloc(x, y, dim);
  if (!rows_ && y) {
    x_ = y_ = 0;
    size_ = 0;
    BUF_OUT_WHY("Matrix_New", "memory");
    return nullptr;
  }
  x_ = x;
  y_ = y;
  dim_ = dim;
  size_ = Saturate(uint64_t(y) * 8u + uint64_t(y) * x * dim);
  BUF_OUT("Matrix_New");
  return rows_;
}

void** Quarn_Buffer::Matrix_Get() {
  BUF_IN("Matrix_Get") return nullptr;
  if (Class_A_Get() & kLockedBit) {
    BUF_OUT_WHY("Matrix_Get", "locked");
    return nullptr;
  }
  BUF_OUT("Matrix_Get");
  return rows_;
}

void Quarn_Buffer::Matrix_Copy(void** source_rows) {
  BUF_IN("Matrix_Copy") return;
  if (rows_ && source_rows)
    for (int j = 0; j < y_; ++j)
      if (rows_[j] && source_rows[j]) std::memcpy(rows_[j], source_rows[j], size_t(x_) * dim_);
  BUF_OUT("Matrix_Copy");
}

void Quarn_Buffer::Matrix_Clear() {
  BUF_IN("Matrix_Clear") return;
  if (rows_)
    for (int j = 0; j < y_; ++j) std::memset(rows_[j], 0, size_t(x_) * dim_);
  BUF_OUT("Matrix_Clear");
}

void Quarn_Buffer::Matrix_Delete() {
  BUF_IN("Matrix_Delete") return;
  Mat_Free(y_, rows_);
  rows_ = nullptr;
  x_ = y_ = 0;
  size_ = 0;
  BUF_OUT("Matrix_Delete");
}

uint16_t Quarn_Buffer::Matrix_Get_X() {
  if (!QUARN_CHECK(this, Buffer, "Quarn_Buffer::Matrix_Get_X")) return 0;
  return x_;
}

uint16_t Quarn_Buffer::Matrix_Get_Y() {
  if (!QUARN_CHECK(this, Buffer, "Quarn_Buffer::Matrix_Get_Y")) return 0;
  return y_;
}

uint16_t Quarn_Buffer::Matrix_Get_Dim() {
  if (!QUARN_CHECK(this, Buffer, "Quarn_Buffer::Matrix_Get_Dim")) return 0;
  return dim_;
}

uint32_t Quarn_Buffer::Size_Get() {
  BUF_IN("Size_Get") return 0;
  uint32_t total = size_;
  for (int i = 0; i < sub_count_; ++i) total += sub_[i].Size_Get();
  BUF_OUT("Size_Get");
  return total;
}

Quarn_Buffer* Quarn_Buffer::Sub_New(int count, uint16_t type) {
  BUF_IN("Sub_New") return nullptr;
  Sub_Delete();
  if (count > 0) {
    sub_ = new (std::nothrow) Quarn_Buffer[size_t(count)];
    if (!sub_) {
      QUARN_MEMORY_ERROR("new", "sub", count, sizeof(Quarn_Buffer));
      BUF_OUT_WHY("Sub_New", "memory");
      return nullptr;
    }
    sub_count_ = count;
    for (int i = 0; i < count; ++i) sub_[i].Class_B_Set(type);
  }
  BUF_OUT("Sub_New");
  return sub_;
}

Quarn_Buffer* Quarn_Buffer::Sub_Get(int i) {
  if (!QUARN_CHECK(this, Buffer, "Quarn_Buffer::Sub_Get")) return nullptr;
  return (i >= 0 && i < sub_count_) ? &sub_[i] : nullptr;
}

void Quarn_Buffer::Sub_Delete() {
  delete[] sub_;
  sub_ = nullptr;
  sub_count_ = 0;
}

void** Mat_Alloc(int x, int y, char dim) {
  if (y <= 0 || x < 0) return nullptr;
  return Rows_Alloc(size_t(x), size_t(y), static_cast<unsigned char>(dim));
}

void** Mat_Copy(int x, int y, char dim, void** source) {
  void** rows = Mat_Alloc(x, y, dim);
  if (rows && source) {
    size_t row_bytes = size_t(x) * size_t(static_cast<unsigned char>(dim));
    for (int j = 0; j < y; ++j)
      if (source[j]) std::memcpy(rows[j], source[j], row_bytes);
  }
  return rows;
}

void Mat_Free(int y, void** rows) {
  if (!rows) return;
  for (int j = 0; j < y; ++j) std::free(rows[j]);
  std::free(rows);
}
