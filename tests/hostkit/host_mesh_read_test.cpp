// Reading surfaces from STL (binary and text), OBJ and PLY (text and both binary byte orders):
// round trips through small writers, format choice, names, and a clear report for bad files.
#include <hostkit/HostMovie.h>
#include <hostkit/HostReport.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

struct Movie_Deleter {
  void operator()(Host_Movie_Record* m) const { Host_Movie_Free(m); }
};
using Movie_Ptr = std::unique_ptr<Host_Movie_Record, Movie_Deleter>;

/// A surface as the writers see it: positions and faces of three or more corners.
struct Model {
  std::vector<std::array<float, 3>> nodes;
  std::vector<std::vector<int>> faces;
};

/// A pyramid with a square base (one quadrilateral) and four triangles, at awkward coordinates.
Model Pyramid() {
  return {{{-1.5f, -1.25f, 0.125f}, {1.5f, -1.25f, 0.125f}, {1.5f, 1.75f, 0.125f}, {-1.5f, 1.75f, 0.125f}, {0.1f, 0.2f, 3.3f}},
          {{0, 3, 2, 1}, {0, 1, 4}, {1, 2, 4}, {2, 3, 4}, {3, 0, 4}}};
}

/// Every triangle of the model's faces as fans, by corner positions (independent of node order).
std::multiset<std::array<float, 9>> Triangles(const Model& m) {
  std::multiset<std::array<float, 9>> all;
  for (const auto& f : m.faces)
    for (size_t k = 1; k + 1 < f.size(); ++k) {
      std::array<float, 9> t;
      const int c[3] = {f[0], f[k], f[k + 1]};
      for (int j = 0; j < 3; ++j) std::copy(m.nodes[size_t(c[j])].begin(), m.nodes[size_t(c[j])].end(), t.begin() + 3 * j);
      all.insert(t);
    }
  return all;
}

std::multiset<std::array<float, 9>> Triangles(const Host_Movie_Record& m) {
  std::multiset<std::array<float, 9>> all;
  for (int i = 0; i < m.poly_count; ++i) {
    EXPECT_EQ(m.polys[i].count, 3);
    std::array<float, 9> t;
    for (int j = 0; j < 3; ++j) {
      const Vec4& p = m.nodes[m.polys[i].index[j]].rest;
      t[size_t(3 * j)] = p.x, t[size_t(3 * j + 1)] = p.y, t[size_t(3 * j + 2)] = p.z;
    }
    all.insert(t);
  }
  return all;
}

std::string Number(float v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.9g", v);
  return buffer;
}

template <class T> void Put(std::string& out, T v, bool big = false) {
  char b[sizeof(T)];
  std::memcpy(b, &v, sizeof(T));
  if (big) std::reverse(b, b + sizeof(T));
  out.append(b, sizeof(T));
}

std::string Stl_Binary(const Model& m) {
  std::string out(80, ' ');
  std::memcpy(out.data(), "solid but binary", 16);  // binary files may start like text ones
  const auto tris = Triangles(m);
  Put<uint32_t>(out, uint32_t(tris.size()));
  for (const auto& t : tris) {
    for (int k = 0; k < 3; ++k) Put<float>(out, 0.0f);
    for (float v : t) Put<float>(out, v);
    Put<uint16_t>(out, 0);
  }
  return out;
}

std::string Stl_Text(const Model& m, const char* eol = "\n") {
  std::string out = std::string("solid pyramid") + eol;
  for (const auto& f : m.faces) {
    out += std::string("  facet normal 0 0 1") + eol + "    outer loop" + eol;
    for (int c : f) out += "      vertex " + Number(m.nodes[size_t(c)][0]) + " " + Number(m.nodes[size_t(c)][1]) + " " + Number(m.nodes[size_t(c)][2]) + eol;
    out += std::string("    endloop") + eol + "  endfacet" + eol;
  }
  return out + "endsolid pyramid" + eol;
}

std::string Obj(const Model& m) {
  std::string out = "# written by the test\nmtllib none.mtl\no pyramid\n";
  for (const auto& n : m.nodes) out += "v " + Number(n[0]) + " " + Number(n[1]) + " " + Number(n[2]) + "\n";
  out += "vt 0 0\nvn 0 0 1\ng sides\ns off\n";
  const int count = int(m.nodes.size());
  for (size_t i = 0; i < m.faces.size(); ++i) {
    out += "f";
    // Each corner style in turn: i, i/t, i//n, i/t/n, and negative (relative) indices.
    for (int c : m.faces[i]) {
      const std::string n = std::to_string(c + 1);
      switch (i % 5) {
        case 0: out += " " + n; break;
        case 1: out += " " + n + "/1"; break;
        case 2: out += " " + n + "//1"; break;
        case 3: out += " " + n + "/1/1"; break;
        default: out += " " + std::to_string(c - count); break;
      }
    }
    out += "\n";
  }
  return out;
}

enum class Ply_Kind { Text, Little, Big };

std::string Ply(const Model& m, Ply_Kind kind) {
  const char* format = kind == Ply_Kind::Text ? "ascii" : kind == Ply_Kind::Little ? "binary_little_endian" : "binary_big_endian";
  std::string out = std::string("ply\nformat ") + format + " 1.0\ncomment made by the test\n";
  out += "element vertex " + std::to_string(m.nodes.size()) +
         "\nproperty double x\nproperty double y\nproperty double z\nproperty uchar red\n";
  out += "element face " + std::to_string(m.faces.size()) + "\nproperty list uchar int vertex_indices\nproperty ushort flags\n";
  out += "element edge 1\nproperty int vertex1\nproperty list ushort short ids\nend_header\n";
  const bool big = kind == Ply_Kind::Big;
  for (const auto& n : m.nodes) {
    if (kind == Ply_Kind::Text) {
      out += Number(n[0]) + " " + Number(n[1]) + " " + Number(n[2]) + " 200\n";
    } else {
      for (float v : n) Put<double>(out, double(v), big);
      Put<uint8_t>(out, 200);
    }
  }
  for (const auto& f : m.faces) {
    if (kind == Ply_Kind::Text) {
      out += std::to_string(f.size());
      for (int c : f) out += " " + std::to_string(c);
      out += " 7\n";
    } else {
      Put<uint8_t>(out, uint8_t(f.size()));
      for (int c : f) Put<int32_t>(out, c, big);
      Put<uint16_t>(out, 7, big);
    }
  }
  if (kind == Ply_Kind::Text) return out + "0 2 -1 -2\n";
  Put<int32_t>(out, 0, big);
  Put<uint16_t>(out, 2, big);
  Put<int16_t>(out, -1, big);
  Put<int16_t>(out, -2, big);
  return out;
}

Movie_Ptr Read(const std::string& bytes, int format) {
  return Movie_Ptr(Host_Movie_Read_Memory(bytes.data(), bytes.size(), format, L"test"));
}

TEST(HostMeshRead, EveryFormatRoundTripsTheSurface) {
  const Model m = Pyramid();
  struct Case { const char* why; std::string bytes; int format; int nodes; const wchar_t* name; };
  const Case cases[] = {
      {"binary STL (starting with solid)", Stl_Binary(m), HOST_MESH_STL, 5, nullptr},
      {"text STL", Stl_Text(m), HOST_MESH_STL, 5, L"pyramid"},
      {"text STL with CR LF line ends", Stl_Text(m, "\r\n"), HOST_MESH_STL, 5, L"pyramid"},
      {"OBJ with every corner style", Obj(m), HOST_MESH_OBJ, 5, L"pyramid"},
      {"text PLY", Ply(m, Ply_Kind::Text), HOST_MESH_PLY, 5, nullptr},
      {"little-endian PLY", Ply(m, Ply_Kind::Little), HOST_MESH_PLY, 5, nullptr},
      {"big-endian PLY", Ply(m, Ply_Kind::Big), HOST_MESH_PLY, 5, nullptr},
      {"text PLY, format from the content", Ply(m, Ply_Kind::Text), HOST_MESH_UNKNOWN, 5, nullptr},
      {"OBJ, format from the content", Obj(m), HOST_MESH_UNKNOWN, 5, L"pyramid"},
      {"text STL, format from the content", Stl_Text(m), HOST_MESH_UNKNOWN, 5, L"pyramid"},
  };
  for (const Case& c : cases) {
    Host_Report_Capture cap;
    Movie_Ptr read = Read(c.bytes, c.format);
    ASSERT_TRUE(read) << c.why << ": " << (cap.Texts().empty() ? "" : cap.Texts().back());
    EXPECT_EQ(read->node_count, c.nodes) << c.why;  // STL corners at one place share a node
    EXPECT_EQ(read->poly_count, 6) << c.why;        // the base quadrilateral as two triangles
    EXPECT_EQ(Triangles(*read), Triangles(m)) << c.why;
    if (c.name) EXPECT_STREQ(read->name, c.name) << c.why;
    else EXPECT_EQ(read->name, nullptr) << c.why;
    // Extents and normals are ready, as after any surface creation.
    EXPECT_FLOAT_EQ(read->box_max[2], 3.3f) << c.why;
    EXPECT_NEAR(read->polys[0].normal[0] * read->polys[0].normal[0] + read->polys[0].normal[1] * read->polys[0].normal[1] +
                    read->polys[0].normal[2] * read->polys[0].normal[2], 1.0, 1e-5) << c.why;
  }
}

TEST(HostMeshRead, FilesAreReadByTheirExtensionOrContent) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("quarn-mesh-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const Model m = Pyramid();
  struct Case { const char* file; std::string bytes; };
  const Case cases[] = {
      {"a.stl", Stl_Binary(m)}, {"B.STL", Stl_Text(m)}, {"c.Obj", Obj(m)}, {"d.ply", Ply(m, Ply_Kind::Big)},
      {"e.mesh", Ply(m, Ply_Kind::Little)}, {"f", Stl_Binary(m)},
  };
  for (const Case& c : cases) {
    const std::filesystem::path path = dir / c.file;
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(c.bytes.data(), 1, c.bytes.size(), f);
    std::fclose(f);
    Movie_Ptr read(Host_Movie_Read(path.wstring().c_str()));
    ASSERT_TRUE(read) << c.file;
    EXPECT_EQ(Triangles(*read), Triangles(m)) << c.file;
  }
  Host_Report_Capture cap;
  EXPECT_EQ(Host_Movie_Read((dir / "missing.stl").wstring().c_str()), nullptr);
  EXPECT_TRUE(cap.Contains("cannot open")) << "missing file";
  EXPECT_EQ(Host_Movie_Read(nullptr), nullptr);
  std::filesystem::remove_all(dir);
}

TEST(HostMeshRead, BadFilesAreReportedAndRefused) {
  const Model m = Pyramid();
  std::string short_stl = Stl_Binary(m);
  short_stl.resize(short_stl.size() - 10);
  std::string nan_stl = Stl_Binary(m);
  const float nan = NAN;
  std::memcpy(nan_stl.data() + 84 + 12, &nan, 4);
  std::string huge_ply = Ply(m, Ply_Kind::Little);
  huge_ply.replace(huge_ply.find("vertex 5"), 8, "vertex 999999999");
  std::string wide_face = Ply(m, Ply_Kind::Text);
  wide_face.replace(wide_face.find("\n4 0 3 2 1"), 10, "\n250 0 3 2 1");
  struct Case { const char* why; std::string bytes; int format; const char* report; };
  const Case cases[] = {
      {"nothing at all", "", HOST_MESH_UNKNOWN, "not an STL, OBJ or PLY surface"},
      {"binary STL cut short", short_stl, HOST_MESH_STL, "the header counts 6 triangles, the file holds 5"},
      {"binary STL with a NaN corner", nan_stl, HOST_MESH_STL, "not a finite number"},
      {"text STL vertex outside a loop", "solid x\nvertex 1 2 3\n", HOST_MESH_STL, "line 2: a vertex outside a loop"},
      {"text STL loop never closed", "solid x\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\n", HOST_MESH_STL, "not closed"},
      {"text STL loop of two vertices", "solid x\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nendloop\n", HOST_MESH_STL, "a loop of 2 vertices"},
      {"text STL word out of place", "solid x\nfacet normal 0 0 1\n  banana\n", HOST_MESH_STL, "line 3: unknown word \"banana\""},
      {"OBJ without faces", "v 0 0 0\nv 1 0 0\nv 0 1 0\n", HOST_MESH_OBJ, "no face"},
      {"OBJ position of two numbers", "v 0 0\n", HOST_MESH_OBJ, "line 1: a position needs three numbers"},
      {"OBJ face naming a missing node", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 4\n", HOST_MESH_OBJ, "line 4: a face names node 3 of 3"},
      {"OBJ face naming node 0", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\n", HOST_MESH_OBJ, "is not a position number"},
      {"OBJ relative index before the first node", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf -1 -2 -4\n", HOST_MESH_OBJ, "names node -1"},
      {"OBJ face of two corners", "v 0 0 0\nv 1 0 0\nf 1 2\n", HOST_MESH_OBJ, "a face of 2 corner(s)"},
      {"OBJ infinite coordinate", "v 0 0 inf\n", HOST_MESH_OBJ, "a position needs three numbers"},
      {"PLY without end_header", "ply\nformat ascii 1.0\nelement vertex 0\n", HOST_MESH_PLY, "no end_header"},
      {"PLY of an unknown format", "ply\nformat binary_middle_endian 1.0\nend_header\n", HOST_MESH_PLY, "unknown format"},
      {"PLY property of an unknown type", "ply\nformat ascii 1.0\nelement vertex 1\nproperty quad x\nend_header\n", HOST_MESH_PLY, "known type"},
      {"PLY vertices without z", "ply\nformat ascii 1.0\nelement vertex 1\nproperty float x\nproperty float y\nend_header\n0 0\n", HOST_MESH_PLY, "no x, y and z"},
      {"PLY counting more vertices than it holds", huge_ply, HOST_MESH_PLY, "cannot fit"},
      {"PLY face of 250 corners", wide_face, HOST_MESH_PLY, "a list of 250 items cannot fit"},
      {"PLY ending inside a vertex", "ply\nformat ascii 1.0\nelement vertex 2\nproperty float x\nproperty float y\nproperty float z\nend_header\n0 0 0\n1 1         \n", HOST_MESH_PLY, "ends early"},
      {"PLY with a word for a number", "ply\nformat ascii 1.0\nelement vertex 1\nproperty float x\nproperty float y\nproperty float z\nend_header\n0 zero 0\n", HOST_MESH_PLY, "holds no number"},
  };
  for (const Case& c : cases) {
    Host_Report_Capture cap;
    EXPECT_EQ(Read(c.bytes, c.format), nullptr) << c.why;
    EXPECT_TRUE(cap.Contains(c.report)) << c.why << ": " << (cap.Texts().empty() ? "(no report)" : cap.Texts().front());
    EXPECT_GE(cap.Count(2), 1u) << c.why;
  }
}

}  // namespace
