// OBJ surfaces: "v x y z" positions and "f" faces whose corners are "i", "i/t", "i//n" or "i/t/n"
// (1-based, negative counting back from the last position); the first "o" names the surface.
// Texture coordinates, normals, groups, materials and the rest are not part of a surface.
#include "HostMeshBuilder.h"

#include <algorithm>

namespace hostkit {
namespace {

/// The position index of a face corner, 0-based; false for a malformed corner.
bool Corner(std::string_view word, int nodes, int64_t& index) {
  const size_t slash = word.find('/');
  int64_t i;
  if (!Parse_Int(word.substr(0, slash), i) || i == 0) return false;
  index = i > 0 ? i - 1 : nodes + i;
  return true;
}

bool Position(Text_Cursor& text, Mesh_Builder& b) {
  float xyz[3];
  for (float& v : xyz)
    if (!Parse_Float(text.Word(), v)) return b.Fail("a position needs three numbers");
  return b.Node(xyz[0], xyz[1], xyz[2]);  // a fourth (weight) or colour values are ignored
}

bool Face(Text_Cursor& text, Mesh_Builder& b, std::vector<int64_t>& corners) {
  corners.clear();
  for (std::string_view word = text.Word(); !word.empty(); word = text.Word()) {
    if (int(corners.size()) >= Mesh_Max_Face_Corners) return b.Fail("a face of more than %d corners", Mesh_Max_Face_Corners);
    int64_t index;
    if (!Corner(word, b.Node_Count(), index))
      return b.Fail("a face corner \"%.*s\" is not a position number", int(std::min<size_t>(word.size(), 40)), word.data());
    corners.push_back(index);
  }
  return b.Face(corners.data(), int(corners.size()));
}

}  // namespace

Host_Movie_Record* Read_Obj(const char* data, size_t size, const wchar_t* name) {
  Mesh_Builder b(name, "OBJ");
  Text_Cursor text(data, data + size);
  std::vector<int64_t> corners;
  bool named = false;
  while (text.Next_Line()) {
    b.Line(text.Line());
    const std::string_view word = text.Word();
    if (word == "v") {
      if (!Position(text, b)) return nullptr;
    } else if (word == "f") {
      if (!Face(text, b, corners)) return nullptr;
    } else if (word == "o" && !named) {
      b.Name(text.Rest());
      named = true;
    }
  }
  return b.Build();
}

}  // namespace hostkit
