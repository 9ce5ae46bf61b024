// A host for the layer tests: the tag locks, the device flag, the histogram limit and the colour
// component as host variables, and a 2D tree root -> group -> frames over one image record.
#pragma once

#include "classes/Tree_Host.h"
#include "support/Host_Fixture.h"

#include <quarn/frames/Frame_Layers.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace layers_test {

/// Variables the layers read; the library keeps their addresses, so they live for the process.
struct Layer_Variables {
  uint8_t tag_lock[256] = {};
  uint64_t cuda_flag = 0;
  uint16_t bins_max = 4096;
  uint8_t colour_component = 0;
};

inline Layer_Variables& Variables() {
  static Layer_Variables v;
  return v;
}

inline void* Lookup(const wchar_t* name, int* count, uint16_t* flags, Host_Var_Update* update) {
  Layer_Variables& v = Variables();
  return test_support::Var_Lookup({{L"$TAG_LOCK", v.tag_lock, 256},
                                   {L"$CUDA_FLAG", &v.cuda_flag},
                                   {L"$GLI_HISTO_BINS_MAX", &v.bins_max},
                                   {L"$GLI_COLOR_COMPONENT", &v.colour_component}},
                                  tree_test::Lookup, name, count, flags, update);
}

/// A record of columns x rows x slices pixels of kind from values (row after row, slice after
/// slice); layout as given or the default.
template <class T>
Host_Image_Record* Record(int columns, int rows, int slices, int kind, const std::vector<T>& values,
                          const Host_Image_Layout* layout = nullptr) {
  return Host_Image_Create(columns, rows, slices, 1, kind, values.empty() ? nullptr : values.data(), layout);
}

/// root -> group -> one frame per slice of a record held by a file record.
class Frame_Tree : public test_support::Root_Holder, public test_support::Frame_Series {
public:
  explicit Frame_Tree(Host_Image_Record* record)
      : Frame_Series(&root, new tree_test::Group<Quarn_2D>(L"series"), L"/scans/layers.dcm", record) {}
  ~Frame_Tree() { root.Child_Delete(); }  // the frames go before the record they point into
};

/// The frame's grey read at a point (what drawing and editing code calls).
inline int Grey(Quarn_2D_Frame* f, float x, float y) {
  return f->fct_read_gli(f, f->image, Vec4(x, y, float(f->z_index), float(f->t_index)));
}
/// The frame's tag read at a point.
inline int Tag(Quarn_2D_Frame* f, float x, float y) {
  return f->fct_read_tag(f, f->image, Vec4(x, y, float(f->z_index), float(f->t_index)));
}
/// The frame's tag write at a point.
inline int Write(Quarn_2D_Frame* f, float x, float y, int tag) {
  return f->fct_write_tag(f, f->image, Vec4(x, y, float(f->z_index), float(f->t_index)), tag);
}
/// Every pixel of the frame's area as the chain reads it while no layer is loaded.
inline std::vector<int> Chain_Reads(Quarn_2D_Frame* f) {
  EXPECT_EQ(f->work_gli, nullptr);
  std::vector<int> out;
  for (int y = 0; y < f->height; ++y)
    for (int x = 0; x < f->width; ++x) out.push_back(Grey(f, float(x), float(y)));
  return out;
}
/// Every cell of the frame's working grey layer, rows after rows.
inline std::vector<int> Layer_Cells(Quarn_2D_Frame* f) {
  std::vector<int> out;
  for (int y = 0; y < f->height; ++y)
    for (int x = 0; x < f->width; ++x) out.push_back(f->work_gli[y][x]);
  return out;
}
/// The record's tag byte at a pixel of slice 0 (or of the given slice).
inline int Record_Tag(const Host_Image_Record* r, int x, int y, int slice = 0) {
  return r->tags[(size_t(slice) * r->rows + size_t(y)) * r->columns + size_t(x)];
}
inline uint8_t& Record_Tag_Ref(Host_Image_Record* r, int x, int y, int slice = 0) {
  return r->tags[(size_t(slice) * r->rows + size_t(y)) * r->columns + size_t(x)];
}

/// Installs the host variables with no tag locked, a clear device flag and the usual bin limit.
class Layers_Test : public tree_test::Tree_Test {
protected:
  void SetUp() override {
    Tree_Test::SetUp();
    Fct_Main_Var_Get = &Lookup;
    Variables() = Layer_Variables{};
  }
};

}  // namespace layers_test
