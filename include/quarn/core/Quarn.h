// Quarn: the common base of every class object (identity, names, validity, per-object lock).
#pragma once

#include <quarn/Export.h>

#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <mutex>
#include <thread>

/// Base of every class object: magic, class codes, unique id, wide name, narrow title and lock.
class QUARN_API Quarn {
public:
  /// Takes the next unique id; magic and class codes stay 0 until a derived constructor sets them.
  Quarn();
  /// Releases the lock, the title and the name.
  ~Quarn();
  Quarn(const Quarn&) = delete;
  Quarn& operator=(const Quarn&) = delete;

  /// Family code.
  uint16_t Class_Magic_Get() const { return magic_; }
  /// Sets the family code.
  void Class_Magic_Set(uint16_t value);
  /// Kind within the family.
  uint16_t Class_A_Get() const { return class_a_; }
  /// Sets the kind.
  void Class_A_Set(uint16_t value);
  /// Sub-kind, type code or sequence number.
  uint16_t Class_B_Get() const { return class_b_; }
  /// Sets the sub-kind.
  void Class_B_Set(uint16_t value);
  /// Unique id taken at construction.
  uint32_t Class_UID_Get() const { return uid_; }
  /// Overrides the unique id.
  void Class_UID_Set(uint32_t value);
  /// The host's free word.
  uint16_t Class_User_Get();
  /// Sets the host's free word.
  void Class_User_Set(uint16_t value);

  /// The display name, or "no name"; valid until the next setter call or the destruction.
  const wchar_t* Name_Get() const { return name_ ? name_ : L"no name"; }
  /// The type title, or "no title"; valid until the next setter call or the destruction.
  const char* Title_Get() const { return title_ ? title_ : "no title"; }

  /// Sets the name from a wide printf format; 1 on success, 0 (name absent) on failure.
  int Name_Set(const wchar_t* format, ...);
  /// Sets the name from a narrow printf format; 1 on success, 0 (name absent) on failure.
  int Name_Set(const char* format, ...) __attribute__((format(printf, 2, 3)));
  /// Sets the name from table[index - 1] when it exists, else from format; 1 on success.
  int Name_Set(int index, int count, wchar_t** format_table, const wchar_t* format, ...);
  /// Sets the title from a narrow printf format; 1 on success, 0 (title absent) on failure.
  int Title_Set(const char* format, ...) __attribute__((format(printf, 2, 3)));

  /// Enters the object's recursive lock and traces the nesting; where labels the caller.
  void Critical_Class_In(const char* where);
  /// Traces and leaves the lock once; warns when the calling thread does not hold it.
  void Critical_Class_Out(const char* where);
  /// Current nesting depth of the lock.
  int Critical_Class_Depth() const { return depth_.load(std::memory_order_relaxed); }

  /// Number of ids handed out so far plus 1000: the id the next object will take.
  static uint32_t UID_Next();

private:
  int Name_Store_V(const wchar_t* format, va_list args);
  void Lock_Trace(bool entering, const char* where);

  uint16_t magic_ = 0;
  uint16_t class_a_ = 0;
  uint16_t class_b_ = 0;
  uint16_t user_ = 0;
  uint32_t uid_ = 0;
  wchar_t* name_ = nullptr;
  char* title_ = nullptr;
  std::recursive_mutex lock_;
  std::atomic<int> depth_{0};
  std::atomic<std::thread::id> owner_{};
};
