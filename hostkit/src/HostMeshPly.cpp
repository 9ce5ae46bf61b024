// PLY surfaces: a text header of elements and their properties, then the elements as text or as
// binary of either byte order. "vertex" gives positions (x, y, z), "face" the corner lists
// (vertex_indices or vertex_index); other elements and properties are read past.
#include "HostMeshBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace hostkit {
namespace {

enum class Encoding { Text, Little, Big };

struct Scalar {
  int bytes = 0;       ///< 1, 2, 4 or 8; 0 for an unknown type name.
  bool is_signed = false;
  bool is_float = false;
};

Scalar Scalar_Of(std::string_view t) {
  if (t == "char" || t == "int8") return {1, true, false};
  if (t == "uchar" || t == "uint8") return {1, false, false};
  if (t == "short" || t == "int16") return {2, true, false};
  if (t == "ushort" || t == "uint16") return {2, false, false};
  if (t == "int" || t == "int32") return {4, true, false};
  if (t == "uint" || t == "uint32") return {4, false, false};
  if (t == "float" || t == "float32") return {4, true, true};
  if (t == "double" || t == "float64") return {8, true, true};
  return {};
}

struct Property {
  std::string name;
  bool list = false;
  Scalar count;  ///< Type of a list's length.
  Scalar item;   ///< Type of the value or of a list's items.
};

struct Element {
  std::string name;
  int64_t count = 0;
  std::vector<Property> properties;
};

/// The values of the body, one at a time, whichever the encoding.
class Values {
public:
  Values(Text_Cursor& text, const char* end, Encoding encoding)
      : text_(text), p_(text.After()), end_(end), encoding_(encoding) {}
  Values(const Values&) = delete;
  Values& operator=(const Values&) = delete;

  /// Next value of the type; false at the end of the body or for a word that is no number.
  bool Next(const Scalar& type, double& v) { return encoding_ == Encoding::Text ? Next_Word(v) : Next_Bytes(type, v); }
  /// Bytes (binary) or characters (text) left in the body.
  size_t Left() const { return encoding_ == Encoding::Text ? text_.Remaining() : size_t(end_ - p_); }
  int Line() const { return encoding_ == Encoding::Text ? text_.Line() : 0; }

private:
  bool Next_Word(double& v) {
    std::string_view word = text_.Word();
    while (word.empty()) {
      if (!text_.Next_Line()) return false;
      word = text_.Word();
    }
    float f;
    int64_t i;
    if (Parse_Int(word, i)) return v = double(i), true;
    if (Parse_Float(word, f)) return v = f, true;
    return false;
  }

  bool Next_Bytes(const Scalar& type, double& v) {
    if (end_ - p_ < type.bytes) return false;
    uint8_t b[8];
    std::memcpy(b, p_, size_t(type.bytes));
    p_ += type.bytes;
    if (encoding_ == Encoding::Big) std::reverse(b, b + type.bytes);
    uint64_t u = 0;
    for (int k = type.bytes - 1; k >= 0; --k) u = u << 8 | b[k];
    if (type.is_float) {
      if (type.bytes == 4) {
        float f;
        const uint32_t u32 = uint32_t(u);
        std::memcpy(&f, &u32, 4);
        v = f;
      } else {
        std::memcpy(&v, &u, 8);
      }
    } else if (type.is_signed) {
      const int shift = 64 - 8 * type.bytes;
      v = double(int64_t(u << shift) >> shift);
    } else {
      v = double(u);
    }
    return true;
  }

  Text_Cursor& text_;
  const char* p_;
  const char* end_;
  Encoding encoding_;
};

bool Whole(double v) { return std::isfinite(v) && v == std::floor(v); }

/// Reads the header up to end_header; false (reported) when it is not a PLY header.
bool Read_Header(Text_Cursor& text, Mesh_Builder& b, Encoding& encoding, std::vector<Element>& elements) {
  if (!text.Next_Line() || text.Word() != "ply") return b.Fail("no \"ply\" line");
  bool format = false;
  while (text.Next_Line()) {
    b.Line(text.Line());
    const std::string_view word = text.Word();
    if (word == "format") {
      const std::string_view kind = text.Word();
      if (kind == "ascii") encoding = Encoding::Text;
      else if (kind == "binary_little_endian") encoding = Encoding::Little;
      else if (kind == "binary_big_endian") encoding = Encoding::Big;
      else return b.Fail("unknown format \"%.*s\"", int(std::min<size_t>(kind.size(), 40)), kind.data());
      format = true;
    } else if (word == "element") {
      Element e;
      e.name = text.Word();
      if (e.name.empty() || !Parse_Int(text.Word(), e.count) || e.count < 0) return b.Fail("an element needs a name and a count");
      elements.push_back(std::move(e));
    } else if (word == "property") {
      if (elements.empty()) return b.Fail("a property before any element");
      Property p;
      std::string_view type = text.Word();
      if (type == "list") {
        p.list = true;
        p.count = Scalar_Of(text.Word());
        type = text.Word();
        if (!p.count.bytes || p.count.is_float) return b.Fail("a list needs an integer length type");
      }
      p.item = Scalar_Of(type);
      p.name = text.Word();
      if (!p.item.bytes || p.name.empty()) return b.Fail("a property needs a known type and a name");
      elements.back().properties.push_back(std::move(p));
    } else if (word == "end_header") {
      return format ? true : b.Fail("no format line");
    } else if (word != "comment" && word != "obj_info" && !word.empty()) {
      return b.Fail("unknown header word \"%.*s\"", int(std::min<size_t>(word.size(), 40)), word.data());
    }
  }
  return b.Fail("no end_header line");
}

int Find(const Element& e, std::initializer_list<const char*> names, bool list) {
  for (size_t i = 0; i < e.properties.size(); ++i)
    for (const char* n : names)
      if (e.properties[i].name == n && e.properties[i].list == list) return int(i);
  return -1;
}

/// Least size of one element in the body: bytes (binary) or characters of its words (text).
int64_t Least_Size(const Element& e, Encoding encoding) {
  int64_t size = 0;
  for (const Property& p : e.properties) size += encoding == Encoding::Text ? 2 : p.list ? p.count.bytes : p.item.bytes;
  return size;
}

bool Read_Element(const Element& e, Values& values, Encoding encoding, Mesh_Builder& b) {
  const bool vertex = e.name == "vertex", face = e.name == "face";
  const int x = vertex ? Find(e, {"x"}, false) : -1, y = vertex ? Find(e, {"y"}, false) : -1;
  const int z = vertex ? Find(e, {"z"}, false) : -1;
  const int corners = face ? Find(e, {"vertex_indices", "vertex_index"}, true) : -1;
  if (vertex && (x < 0 || y < 0 || z < 0)) return b.Fail("the vertex element has no x, y and z");
  if (face && corners < 0) return b.Fail("the face element has no vertex_indices list");
  if (e.properties.empty() || e.count == 0) return true;
  // Every element takes some room, so a count beyond the body cannot be true.
  if (e.count > int64_t(values.Left()) / Least_Size(e, encoding))
    return b.Fail("%lld %s elements cannot fit in the %zu bytes left", static_cast<long long>(e.count), e.name.c_str(), values.Left());
  std::vector<int64_t> list;
  double value[3] = {0, 0, 0}, v;
  for (int64_t i = 0; i < e.count; ++i) {
    for (size_t k = 0; k < e.properties.size(); ++k) {
      const Property& p = e.properties[k];
      b.Line(values.Line());
      if (!p.list) {
        if (!values.Next(p.item, v)) return b.Fail("%s %lld ends early or holds no number", e.name.c_str(), static_cast<long long>(i));
        if (int(k) == x) value[0] = v;
        if (int(k) == y) value[1] = v;
        if (int(k) == z) value[2] = v;
        continue;
      }
      double n;
      if (!values.Next(p.count, n) || !Whole(n) || n < 0) return b.Fail("%s %lld: a list length is missing", e.name.c_str(), static_cast<long long>(i));
      if (n > double(values.Left())) return b.Fail("%s %lld: a list of %.0f items cannot fit", e.name.c_str(), static_cast<long long>(i), n);
      if (int(k) == corners && n > Mesh_Max_Face_Corners) return b.Fail("a face of %.0f corners (at most %d)", n, Mesh_Max_Face_Corners);
      list.clear();
      for (int64_t j = 0; j < int64_t(n); ++j) {
        if (!values.Next(p.item, v)) return b.Fail("%s %lld: its list ends early", e.name.c_str(), static_cast<long long>(i));
        if (int(k) == corners) {
          if (!Whole(v)) return b.Fail("face %lld: a corner is not a whole number", static_cast<long long>(i));
          list.push_back(int64_t(std::clamp(v, -1.0, 4e9)));
        }
      }
    }
    if (vertex && !b.Node(float(value[0]), float(value[1]), float(value[2]))) return false;
    if (face && !b.Face(list.data(), int(list.size()))) return false;
  }
  return true;
}

}  // namespace

Host_Movie_Record* Read_Ply(const char* data, size_t size, const wchar_t* name) {
  Mesh_Builder b(name, "PLY");
  Text_Cursor text(data, data + size);
  Encoding encoding = Encoding::Text;
  std::vector<Element> elements;
  if (!Read_Header(text, b, encoding, elements)) return nullptr;
  Values values(text, data + size, encoding);
  for (const Element& e : elements)
    if (!Read_Element(e, values, encoding, b)) return nullptr;
  return b.Build();
}

}  // namespace hostkit
