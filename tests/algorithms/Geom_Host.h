// A host for the geometry tests: the undo host's variables and window, a 3D root with surfaces
// loaded as file records, and phantom series of any orientation under the 2D root.
#pragma once

#include "algorithms/Mesh_Shapes.h"
#include "undo/Undo_Host.h"

#include <cstdlib>
#include <memory>
#include <vector>

namespace geom_test {

using test_support::Var;

/// Columns x rows x slices 16-bit frames with the given layout, as one series under a root.
class Series : public test_support::Frame_Series {
public:
  Series(Quarn_2D* root, const wchar_t* name, int columns, int rows, int slices, const Host_Image_Layout& layout)
      : Frame_Series(root, new undo_test::Group(name), name,
                     Host_Image_Create(columns, rows, slices, 1, HOST_PIXEL_S16,
                                       std::vector<int16_t>(size_t(columns) * rows * slices, 100).data(), &layout)) {}
  /// The record's tag byte at pixel (x, y) of slice n (0 while the record has no tag plane).
  uint8_t Tag(int n, int x, int y) const { return Record()->tags ? Frame_Series::Tag(n, x, y) : 0; }
  /// Pixels of slice n holding tag.
  int Count(int n, uint8_t tag) const {
    int c = 0;
    for (int y = 0; y < frames[n]->height; ++y)
      for (int x = 0; x < frames[n]->width; ++x) c += Tag(n, x, y) == tag;
    return c;
  }
};

/// The undo host plus a current window and the 2D and 3D roots; surfaces are added as file
/// records (which own them) and placed under the 3D root, selected in the window.
class Geom_Host : public undo_test::Undo_Host {
public:
  void SetUp() override {
    Undo_Host::SetUp();
    saved_.Set<void*>(L"$WINDOW_CUR", Window());
    saved_.Set<void*>(L"$DB_2D_ROOT_PT", &root2d);
    saved_.Set<void*>(L"$DB_3D_ROOT_PT", &root3d);
  }
  void TearDown() override {
    saved_.Restore();
    root3d.Child_Delete();
    root2d.Child_Delete();  // frames go before the records they point into
    series_.clear();
    files_.clear();
    Undo_Host::TearDown();
  }

  /// Places surface (taken over) under the 3D root with tag, selected in the host's window.
  Quarn_3D_Geom* Add(Host_Movie_Record* surface, uint8_t tag, const wchar_t* name = L"/mesh/surface.stl") {
    auto** movies = static_cast<void**>(std::calloc(1, sizeof(void*)));
    movies[0] = surface;
    files_.push_back(std::make_unique<Quarn_3D_File>(name, 1, movies));
    files_.back()->word = tag;
    Class_3D_Geom_Insert(&root3d, files_.back().get(), 0, 0);
    auto* geom = static_cast<Quarn_3D_Geom*>(root3d.Child_Get_Pt(-1));
    geom->Flag_Set_On(0x10, Window(), 0x200);
    return geom;
  }
  Quarn_3D_Geom* Add(mesh_shapes::Movie_Ptr surface, uint8_t tag, const wchar_t* name = L"/mesh/surface.stl") {
    return Add(surface.release(), tag, name);
  }
  /// A series of the given layout under the 2D root.
  Series& Add_Series(const wchar_t* name, int columns, int rows, int slices, const Host_Image_Layout& layout) {
    series_.push_back(std::make_unique<Series>(&root2d, name, columns, rows, slices, layout));
    return *series_.back();
  }

  Quarn_2D_Root root2d;
  Quarn_3D_Root root3d;

private:
  std::vector<std::unique_ptr<Series>> series_;
  std::vector<std::unique_ptr<Quarn_3D_File>> files_;
};

}  // namespace geom_test
