// The 1D file record: copies of the host record's curves, their bounds and the file's extent.
#include <quarn/classes/Quarn_1D_File.h>

#include "classes/File_Record_Common.h"
#include "core/Check.h"
#include "core/Trace.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

using quarn::msg::Class;

// Texts 6 and 9 describe the third value array and exist only with it.
constexpr bool kTextOfThird[HOST_1D_TEXT_COUNT] = {false, false, true, false, false, true};

char* Copy_Text(const char* text, const char* var) {
  if (!text) return nullptr;
  size_t n = std::strlen(text) + 1;
  auto* copy = static_cast<char*>(std::malloc(n));
  if (!copy) {
    QUARN_MEMORY_ERROR("malloc", var, n, 1);
    return nullptr;
  }
  return static_cast<char*>(std::memcpy(copy, text, n));
}

// The first sample sets the bounds, the others widen them.
void Widen(float* bounds, const float* sample, bool first) {
  for (int c = 0; c < 3; ++c) {
    bounds[c] = first ? sample[c] : std::min(bounds[c], sample[c]);
    bounds[c + 3] = first ? sample[c] : std::max(bounds[c + 3], sample[c]);
  }
}

[[gnu::cold]] void Report_No_Values(int index) {
  QUARN_REPORT(quarn::msg::Invalid, "Quarn_1D_File: curve %d has samples but no value arrays", index);
}

void Samples_Copy(const Host_1D_Curve& from, Quarn_1D_Curve& to, int index) {
  if (!from.count) return;
  if (!from.values[0] || !from.values[1]) return Report_No_Values(index);
  auto* samples = static_cast<float*>(std::malloc(sizeof(float) * 3 * size_t(from.count)));
  if (!samples) return QUARN_MEMORY_ERROR("malloc", "samples", from.count, 3 * sizeof(float));
  for (uint32_t i = 0; i < from.count; ++i) {
    float* s = samples + 3 * size_t(i);
    s[0] = from.values[0][i];
    s[1] = from.values[1][i];
    s[2] = from.values[2] ? from.values[2][i] : 0.0f;
    Widen(to.bounds, s, i == 0);
  }
  to.samples = samples;
  to.count = from.count;
}

void Curve_Copy(const Host_1D_Curve& from, Quarn_1D_Curve& to, int index) {
  Samples_Copy(from, to, index);
  for (int t = 0; t < HOST_1D_TEXT_COUNT; ++t)
    if (!kTextOfThird[t] || from.values[2]) to.text[t] = Copy_Text(from.text[t], "text");
}

void Curve_Free(Quarn_1D_Curve& c) {
  std::free(c.samples);
  for (char* t : c.text) std::free(t);
}

}  // namespace

uint16_t Quarn_1D_File::Counter_Get() { return quarn::File_Sequence_Peek(quarn::File_Kind::One_D); }

Quarn_1D_File::Quarn_1D_File(const wchar_t* path, void* host_record)
    : record_(static_cast<Host_1D_Record*>(host_record)) {
  QUARN_REPORT(Class, ">>> in  Class: Quarn_1D_File::Quarn_1D_File(%ls)", path ? path : L"null");
  Class_Magic_Set(0xABBA);
  Class_B_Set(quarn::File_Sequence_Next(quarn::File_Kind::One_D));
  if (path) Name_Set(L"%ls", path);
  quarn::File_Generic_Name_Set(*this, path);
  time_ = quarn::File_Time_Now();
  if (record_ && (record_->flags & HOST_1D_CURVES)) {
    has_curves_ = 1;
    Curves_Copy();
    Bounds_Compute();
  }
  // Kept for files without curves as well: the description names the file's data in the tree.
  if (record_) description_ = Copy_Text(record_->description, "description");
  QUARN_REPORT(Class, "<<< out Class: Quarn_1D_File::Quarn_1D_File()");
}

void Quarn_1D_File::Curves_Copy() {
  const int m = std::max(record_->curve_count, 0);
  if (!m || !record_->curves) return;
  curve_marks = quarn::File_Zeroed<uint8_t>(m);
  curves_ = quarn::File_Zeroed<Quarn_1D_Curve>(m);
  if (!curve_marks || !curves_) {
    if (!curve_marks) QUARN_MEMORY_ERROR("calloc", "curve_marks", m, 1);
    if (!curves_) QUARN_MEMORY_ERROR("calloc", "curves", m, sizeof(Quarn_1D_Curve));
    std::free(curve_marks);
    std::free(curves_);
    curve_marks = nullptr;
    curves_ = nullptr;
    return;
  }
  curve_count_ = m;
  for (int k = 0; k < m; ++k) Curve_Copy(record_->curves[k], curves_[k], k);
}

// Built as a box from the six geometry floats r0 ... r5, taken pairwise in the order the reader
// stores them: x between r0 - r3/2 and r1 + r4/2, y between r1 - r4/2 and r2 + r5/2, z between
// r2 - r5/2 and 0, t between r0 + r3/2 and 1.
void Quarn_1D_File::Bounds_Compute() {
  const float* r = record_->geometry;
  bounds_.Set(2, r[0] - r[3] / 2, r[1] - r[4] / 2, r[2] - r[5] / 2, r[0] + r[3] / 2, r[1] + r[4] / 2,
             r[2] + r[5] / 2, 0.0f, 1.0f);
}

Quarn_1D_File::~Quarn_1D_File() {
  QUARN_REPORT(Class, ">>> in  Class: Quarn_1D_File::~Quarn_1D_File(%ls)", Name_Get());
  QUARN_CHECK(this, File_1D, "Quarn_1D_File::~Quarn_1D_File");
  for (int k = 0; k < curve_count_; ++k) Curve_Free(curves_[k]);
  std::free(curves_);
  std::free(curve_marks);
  std::free(description_);
  QUARN_REPORT(Class, "<<< out Class: Quarn_1D_File::~Quarn_1D_File()");
}

int Quarn_1D_File::Match(const wchar_t* text) {
  // A missing record orders before every key, so that it never matches.
  if (!QUARN_CHECK(this, File_1D, "Quarn_1D_File::Match")) return -1;
  return quarn::File_Key_Compare(Name_Get(), text);
}

Quarn_1D_Curve* Quarn_1D_File::Curve_Get(int index) const {
  return index >= 0 && index < curve_count_ ? &curves_[index] : nullptr;
}
