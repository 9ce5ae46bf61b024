// Pod_Array: a growable array of plain values whose allocation failure is an answer, not a throw.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

namespace quarn {

/// Working storage of the algorithms: grows by doubling through realloc, and says so when memory
/// runs out (the caller reports it with the array's name) instead of throwing.
template <class T>
class Pod_Array {
  static_assert(std::is_trivially_copyable_v<T>, "the array moves its elements with realloc");

public:
  Pod_Array() = default;
  ~Pod_Array() { std::free(data_); }
  Pod_Array(const Pod_Array&) = delete;
  Pod_Array& operator=(const Pod_Array&) = delete;

  /// Appends a value; false when the array could not grow (it keeps what it had).
  bool Push(const T& value) {
    if (size_ == capacity_ && !Reserve(capacity_ ? capacity_ * 2 : First_Capacity)) return false;
    data_[size_++] = value;
    return true;
  }
  /// Appends one element for the caller to fill in place; null when the array could not grow.
  T* Grow() {
    if (size_ == capacity_ && !Reserve(capacity_ ? capacity_ * 2 : First_Capacity)) return nullptr;
    return &data_[size_++];
  }
  /// Makes room for at least count elements; false when memory runs out.
  bool Reserve(size_t count) {
    if (count <= capacity_) return true;
    void* grown = std::realloc(data_, count * sizeof(T));
    if (!grown) return false;
    data_ = static_cast<T*>(grown);
    capacity_ = count;
    return true;
  }
  /// Sets the size to count elements, all zero bytes; false when memory runs out.
  bool Assign_Zero(size_t count) {
    if (!Reserve(count)) return false;
    if (count) std::memset(static_cast<void*>(data_), 0, count * sizeof(T));
    size_ = count;
    return true;
  }
  /// Forgets the elements and keeps the storage.
  void Clear() { size_ = 0; }

  T& operator[](size_t i) { return data_[i]; }
  const T& operator[](size_t i) const { return data_[i]; }
  T* Data() { return data_; }
  const T* Data() const { return data_; }
  size_t Size() const { return size_; }
  bool Empty() const { return size_ == 0; }
  T* begin() { return data_; }
  T* end() { return data_ + size_; }

private:
  static constexpr size_t First_Capacity = 64;

  T* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

}  // namespace quarn
