// The undo lock: one recursive lock shared by the command ring and the pixel recorders.
#pragma once

namespace quarn::undo {

/// Enters the undo lock (nesting on one thread); who names the caller in the bracket line.
void Lock_In(const char* who);
/// Leaves the undo lock once; reports and does nothing when the caller does not hold it.
void Lock_Out(const char* who);
/// Current nesting depth of the undo lock.
int Lock_Depth();

/// Holds the undo lock for one scope.
class Lock_Hold {
public:
  explicit Lock_Hold(const char* who) : who_(who) { Lock_In(who_); }
  ~Lock_Hold() { Lock_Out(who_); }
  Lock_Hold(const Lock_Hold&) = delete;
  Lock_Hold& operator=(const Lock_Hold&) = delete;

private:
  const char* who_;
};

}  // namespace quarn::undo
