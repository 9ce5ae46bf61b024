// Writing surfaces: every format read back gives the same triangles at the same places (round
// trip through the mesh readers); templates pick what is written; bad requests write nothing.
#include "algorithms/Geom_Host.h"

#include <cmath>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace geom_test {
namespace {

class Geom_Write : public Geom_Host {
protected:
  void SetUp() override {
    Geom_Host::SetUp();
    folder_ = std::filesystem::temp_directory_path() / ("quarn_geom_write_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    std::filesystem::remove_all(folder_);
    Geom_Host::TearDown();
  }
  std::wstring Path(const char* name) const {
    return Host_Char_To_Wide((folder_ / name).string().c_str());
  }
  std::filesystem::path folder_;
};

/// The sum of every triangle's corner positions, in order: equal sums mean the same triangles in
/// the same order at the same places (up to the text formats' rounding).
double Signature(const Host_Movie_Record& m) {
  double s = 0;
  for (int i = 0; i < m.poly_count; ++i)
    for (int k = 0; k < m.polys[i].count; ++k) {
      const Vec4& p = m.nodes[m.polys[i].index[k]].pos;
      s += (i % 7 + 1) * (p.x + 2 * p.y + 3 * p.z);
    }
  return s;
}

TEST_F(Geom_Write, EveryFormatReadsBackTheSameSurface) {
  Quarn_3D_Geom* g = Add(mesh_shapes::Torus(12, 8, 5.25f, 1.5f), 3);
  struct Row {
    const char* file;
    const wchar_t* format;
  };
  const Row rows[] = {
      {"torus.stl", L"stl"},  // binary STL: corners at one place become one node again
      {"torus.obj", L"obj"},
      {"torus.ply", L"ply"},
      {"by_extension.PLY", nullptr},  // the format from the file's extension
  };
  for (const Row& row : rows) {
    const std::wstring path = Path(row.file);
    ASSERT_EQ(Fct_Geom_Write_Direct(g, nullptr, row.format, path.c_str()), 1) << row.file;
    mesh_shapes::Movie_Ptr back(Host_Movie_Read(path.c_str()));
    ASSERT_TRUE(back) << row.file;
    EXPECT_EQ(back->poly_count, g->movie->poly_count) << row.file;
    EXPECT_EQ(back->node_count, g->movie->node_count) << row.file;
    EXPECT_NEAR(Signature(*back), Signature(*g->movie), 1e-3) << row.file;
  }
}

TEST_F(Geom_Write, TemplateWritesTheMatchingSurfacesIntoOneFile) {
  Add(mesh_shapes::Sphere(6, 8, 1), 1, L"/mesh/liver.stl");
  Add(mesh_shapes::Sphere(6, 8, 1, 5), 2, L"/mesh/lung_left.stl");
  Add(mesh_shapes::Sphere(6, 8, 1, 9), 2, L"/mesh/lung_right.stl");
  const std::wstring path = Path("lungs.obj");
  EXPECT_EQ(Fct_Geom_Write_Template(L"\"lung*\"", L"obj", path.c_str()), 2);
  mesh_shapes::Movie_Ptr back(Host_Movie_Read(path.c_str()));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->poly_count, 2 * (8 + 4 * 8 * 2 + 8)) << "two spheres: two polar fans and four bands of 8";
}

TEST_F(Geom_Write, BadRequestsWriteNothing) {
  Quarn_3D_Geom* g = Add(mesh_shapes::Sphere(6, 8, 1), 1);
  struct Row {
    const char* why;
    Quarn_3D_Geom* geom;
    const wchar_t* format;
    const char* file;
  };
  const Row rows[] = {
      {"unknown format", g, L"vtk", "a.vtk"},
      {"no extension, no format", g, nullptr, "surface"},
      {"no geometry", nullptr, L"stl", "b.stl"},
      {"folder that does not exist", g, L"stl", "missing/c.stl"},
  };
  for (const Row& row : rows) {
    const std::wstring path = Path(row.file);
    EXPECT_EQ(Fct_Geom_Write_Direct(row.geom, nullptr, row.format, path.c_str()), 0) << row.why;
    EXPECT_FALSE(std::filesystem::exists(folder_ / row.file)) << row.why;
  }
  EXPECT_EQ(Fct_Geom_Write_Template(L"nothing*", L"stl", Path("d.stl").c_str()), 0) << "nothing matched";
}

}  // namespace
}  // namespace geom_test
