// STL surfaces: the binary form (80-byte header, triangle count, 50 bytes per triangle) and the
// text form (solid / facet / outer loop / vertex ... endsolid). Corners at one position share a
// node, so that the surface is connected as it was drawn.
#include "HostMeshBuilder.h"

#include <algorithm>
#include <cstring>

namespace hostkit {
namespace {

constexpr size_t Header_Bytes = 80;
constexpr size_t Count_Bytes = 4;
constexpr size_t Triangle_Bytes = 50;
constexpr size_t Normal_Bytes = 12;
/// Bytes looked at for a zero byte when telling binary from text.
constexpr size_t Text_Probe_Bytes = 512;

float Little_Float(const char* p) {
  uint32_t bits = uint32_t(uint8_t(p[0])) | uint32_t(uint8_t(p[1])) << 8 | uint32_t(uint8_t(p[2])) << 16 |
                  uint32_t(uint8_t(p[3])) << 24;
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

uint32_t Triangle_Count(const char* data) {
  const auto* b = reinterpret_cast<const uint8_t*>(data + Header_Bytes);
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

/// Whether the bytes are exactly a binary STL of the count in their header.
bool Binary_Size_Matches(const char* data, size_t size) {
  return size >= Header_Bytes + Count_Bytes &&
         (size - Header_Bytes - Count_Bytes) / Triangle_Bytes == Triangle_Count(data) &&
         (size - Header_Bytes - Count_Bytes) % Triangle_Bytes == 0;
}

bool Starts_With_Solid(const char* data, size_t size) {
  size_t i = 0;
  while (i < size && (data[i] == ' ' || data[i] == '\t' || data[i] == '\r' || data[i] == '\n')) ++i;
  return size - i >= 5 && std::memcmp(data + i, "solid", 5) == 0;
}

Host_Movie_Record* Read_Binary(const char* data, size_t size, Mesh_Builder& b) {
  if (size < Header_Bytes + Count_Bytes) return b.Fail("%zu bytes: shorter than the header", size), nullptr;
  const uint32_t count = Triangle_Count(data);
  if ((size - Header_Bytes - Count_Bytes) / Triangle_Bytes < count)
    return b.Fail("the header counts %u triangles, the file holds %zu", count,
                  (size - Header_Bytes - Count_Bytes) / Triangle_Bytes), nullptr;
  const char* p = data + Header_Bytes + Count_Bytes;
  for (uint32_t t = 0; t < count; ++t, p += Triangle_Bytes) {
    float xyz[9];
    for (int k = 0; k < 9; ++k) xyz[k] = Little_Float(p + Normal_Bytes + 4 * k);
    if (!b.Welded_Triangle(xyz)) return nullptr;
  }
  return b.Build();
}

/// The text form, word by word: each outer loop's vertices become one face.
Host_Movie_Record* Read_Text(const char* data, size_t size, Mesh_Builder& b) {
  Text_Cursor text(data, data + size);
  std::vector<float> loop;
  bool in_loop = false, named = false;
  while (text.Next_Line()) {
    b.Line(text.Line());
    const std::string_view word = text.Word();
    if (word == "solid") {
      if (!named) b.Name(text.Rest()), named = true;
    } else if (word == "outer") {
      if (in_loop) return b.Fail("a loop inside a loop"), nullptr;
      in_loop = true;
      loop.clear();
    } else if (word == "vertex") {
      if (!in_loop) return b.Fail("a vertex outside a loop"), nullptr;
      for (int k = 0; k < 3; ++k) {
        float v;
        if (!Parse_Float(text.Word(), v)) return b.Fail("a vertex needs three numbers"), nullptr;
        loop.push_back(v);
      }
      if (int(loop.size() / 3) > Mesh_Max_Face_Corners) return b.Fail("a loop of more than %d vertices", Mesh_Max_Face_Corners), nullptr;
    } else if (word == "endloop") {
      if (!in_loop) return b.Fail("endloop without a loop"), nullptr;
      in_loop = false;
      const int n = int(loop.size() / 3);
      if (n < 3) return b.Fail("a loop of %d vertices", n), nullptr;
      for (int k = 1; k + 1 < n; ++k) {
        float tri[9];
        std::memcpy(tri, &loop[0], 3 * sizeof(float));
        std::memcpy(tri + 3, &loop[size_t(3 * k)], 6 * sizeof(float));
        if (!b.Welded_Triangle(tri)) return nullptr;
      }
    } else if (!word.empty() && word != "facet" && word != "endfacet" && word != "endsolid") {
      return b.Fail("unknown word \"%.*s\"", int(std::min<size_t>(word.size(), 40)), word.data()), nullptr;
    }
  }
  if (in_loop) return b.Fail("the last loop is not closed"), nullptr;
  return b.Build();
}

}  // namespace

Host_Movie_Record* Read_Stl(const char* data, size_t size, const wchar_t* name) {
  Mesh_Builder b(name, "STL");
  // Binary files may begin with "solid" as well; an exact size or a zero byte (which no text
  // has, and which a binary header's count nearly always holds) settles it.
  const bool zero_byte = size && std::memchr(data, 0, std::min(size, Text_Probe_Bytes));
  if (Starts_With_Solid(data, size) && !zero_byte && !Binary_Size_Matches(data, size)) return Read_Text(data, size, b);
  return Read_Binary(data, size, b);
}

}  // namespace hostkit
