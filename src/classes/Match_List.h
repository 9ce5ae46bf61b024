// The list a name template fills: its limit, its traces and its warnings, shared by every kind.
#pragma once

#include <cstdint>

namespace quarn {

/// The texts of one kind of template.
struct Match_Kind {
  const char* function;   ///< Name in the traces ("Fct_Match_Template_File").
  const char* too_many;   ///< Warning when more than max would match (" To many files"); none: silent.
  const char* unit;       ///< Word of the limit line (" We can only act on %d files at once").
  const char* none;       ///< Warning when nothing matches; none: silent, the count is traced.
  const char* none_exit;  ///< Exit outcome after that warning ("! nb_file").
};

/// "all" in any case.
bool Is_All(const wchar_t* pattern);
/// "cur", or any text beginning with it, in any case.
bool Is_Cur(const wchar_t* pattern);
/// "ambient", or any text beginning with its first three letters, in any case.
bool Is_Ambient(const wchar_t* pattern);
/// True when the decimal text of value matches the pattern.
bool Number_Matches(long value, const wchar_t* pattern);

void Match_Trace_In(const Match_Kind& kind, const wchar_t* pattern);
void Match_Trace_Out(const Match_Kind& kind, int count);
void Match_Trace_Out(const Match_Kind& kind, const char* why);
[[gnu::cold]] void Match_Too_Many(const Match_Kind& kind, int max);
[[gnu::cold]] void Match_None(const Match_Kind& kind, const wchar_t* pattern);
[[gnu::cold]] void Match_Invalid(const Match_Kind& kind);

/// Entries taken for one call of a template function: at most max are written to out, the
/// first refused one is warned about, and the result tells how the call ends.
template <class T>
class Match_List {
public:
  /// Traces the entry; an absent pattern or out array is reported by Valid.
  Match_List(const Match_Kind& kind, const wchar_t* pattern, int max, T* out)
      : kind_(kind), pattern_(pattern), max_(max > 0 ? max : 0), out_(out) {
    Match_Trace_In(kind, pattern ? pattern : L"null");
  }

  /// False, reported, when there is no pattern or no room for a result.
  bool Valid() const {
    if (pattern_ && (out_ || max_ == 0)) return true;
    Match_Invalid(kind_);
    return false;
  }

  /// Takes value; false once the list is full (the caller stops looking).
  bool Add(T value) {
    if (n_ == max_) {
      if (!full_ && kind_.too_many) Match_Too_Many(kind_, max_);
      full_ = true;
      return false;
    }
    out_[n_++] = value;
    return true;
  }

  /// Traces the exit and gives the function's result: max when full, the count otherwise, with
  /// the kind's warning when nothing was taken.
  int Result() const {
    if (full_) {
      Match_Trace_Out(kind_, "> max_match");
      return max_;
    }
    if (n_ == 0 && kind_.none) {
      Match_None(kind_, pattern_);
      return Exit(kind_.none_exit);
    }
    Match_Trace_Out(kind_, n_);
    return n_;
  }

  /// Ends the call early with nothing taken; returns 0.
  int Exit(const char* why) const {
    Match_Trace_Out(kind_, why);
    return 0;
  }

  /// Number of entries taken so far.
  int Count() const { return n_; }

private:
  const Match_Kind& kind_;
  const wchar_t* pattern_;
  int max_;
  T* out_;
  int n_ = 0;
  bool full_ = false;
};

}  // namespace quarn
