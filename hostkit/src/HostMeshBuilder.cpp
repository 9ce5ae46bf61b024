// The surface under construction by the mesh readers, and the text cursor of the text formats.
#include "HostMeshBuilder.h"

#include "HostFault.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <charconv>

namespace hostkit {
namespace {

/// Longest reason text of a report.
constexpr size_t Reason_Size = 256;

uint32_t Bits(float v) {
  if (v == 0) v = 0;  // -0 and 0 are one position
  uint32_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

}  // namespace

bool Mesh_Builder::Fail(const char* format, ...) {
  char reason[Reason_Size];
  va_list args;
  va_start(args, format);
  std::vsnprintf(reason, sizeof reason, format, args);
  va_end(args);
  if (line_ > 0)
    HOSTKIT_INVALID(nullptr, "Host_Movie_Read: %ls (%s), line %d: %s", name_.c_str(), format_, line_, reason);
  else
    HOSTKIT_INVALID(nullptr, "Host_Movie_Read: %ls (%s): %s", name_.c_str(), format_, reason);
  return false;
}

bool Mesh_Builder::Node(float x, float y, float z) {
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) return Fail("a coordinate is not a finite number");
  if (Node_Count() >= Mesh_Max_Nodes) return Fail("more than %d nodes", Mesh_Max_Nodes);
  xyz_.insert(xyz_.end(), {x, y, z});
  return true;
}

bool Mesh_Builder::Face(const int64_t* corners, int n) {
  if (n < 3) return Fail("a face of %d corner(s)", n);
  if (n > Mesh_Max_Face_Corners) return Fail("a face of %d corners (at most %d)", n, Mesh_Max_Face_Corners);
  for (int k = 0; k < n; ++k)
    if (corners[k] < 0 || corners[k] >= Node_Count())
      return Fail("a face names node %lld of %d", static_cast<long long>(corners[k]), Node_Count());
  if (int64_t(corners_.size() / 3) + n - 2 > Mesh_Max_Triangles) return Fail("more than %d triangles", Mesh_Max_Triangles);
  for (int k = 1; k + 1 < n; ++k) corners_.insert(corners_.end(), {int(corners[0]), int(corners[k]), int(corners[k + 1])});
  return true;
}

bool Mesh_Builder::Welded_Triangle(const float xyz[9]) {
  int64_t corners[3];
  for (int k = 0; k < 3; ++k) {
    const float* p = xyz + 3 * k;
    const auto [at, added] = welded_.try_emplace(Key{Bits(p[0]), Bits(p[1]), Bits(p[2])}, Node_Count());
    if (added && !Node(p[0], p[1], p[2])) return false;
    corners[k] = at->second;
  }
  return Face(corners, 3);
}

Host_Movie_Record* Mesh_Builder::Build() {
  line_ = 0;
  if (corners_.empty()) {
    Fail("no face");
    return nullptr;
  }
  Host_Movie_Record* m = Host_Movie_Create(Node_Count(), xyz_.data(), int(corners_.size() / 3), 3, corners_.data());
  if (m && !surface_name_.empty()) {
    std::wstring wide(surface_name_.begin(), surface_name_.end());
    m->name = wcsdup(wide.c_str());
  }
  return m;
}

bool Text_Cursor::Next_Line() {
  if (p_ >= end_) return false;
  const char* start = p_;
  while (p_ < end_ && *p_ != '\n' && *p_ != '\r') ++p_;
  line_text_ = std::string_view(start, size_t(p_ - start));
  if (p_ < end_ && *p_ == '\r') {
    if (++p_ < end_ && *p_ == '\n') ++p_;
  } else if (p_ < end_) {
    ++p_;  // the LF
  }
  at_ = 0;
  ++line_;
  return true;
}

std::string_view Text_Cursor::Word() {
  const std::string_view& t = line_text_;
  while (at_ < t.size() && (t[at_] == ' ' || t[at_] == '\t' || t[at_] == '\f' || t[at_] == '\v')) ++at_;
  const size_t start = at_;
  while (at_ < t.size() && t[at_] != ' ' && t[at_] != '\t' && t[at_] != '\f' && t[at_] != '\v') ++at_;
  return t.substr(start, at_ - start);
}

std::string_view Text_Cursor::Rest() {
  const std::string_view& t = line_text_;
  while (at_ < t.size() && (t[at_] == ' ' || t[at_] == '\t')) ++at_;
  return t.substr(at_);
}

bool Parse_Float(std::string_view word, float& value) {
  if (word.empty()) return false;
  const char* first = word.data() + (word[0] == '+');
  const auto [end, error] = std::from_chars(first, word.data() + word.size(), value);
  return error == std::errc() && end == word.data() + word.size() && std::isfinite(value);
}

bool Parse_Int(std::string_view word, int64_t& value) {
  if (word.empty()) return false;
  const char* first = word.data() + (word[0] == '+');
  const auto [end, error] = std::from_chars(first, word.data() + word.size(), value);
  return error == std::errc() && end == word.data() + word.size();
}

}  // namespace hostkit
