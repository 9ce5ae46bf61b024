// Records of every element kind, and matrices from their rows, for the tests of grey layers loaded through matrices.
#pragma once

#include "frames/Frame_Layers_Host.h"

#include <initializer_list>
#include <vector>

namespace layers_test {

/// One element kind: its name and a record of it.
struct Kind_Case {
  const char* what;
  Host_Image_Record* (*make)();
};

/// A record of columns x rows x slices elements of kind with the given padding value.
template <class T>
Host_Image_Record* Padded_Record(int columns, int rows, int slices, int kind, const std::vector<T>& values,
                                 int32_t pad) {
  Host_Image_Layout layout;
  layout.pad_value = pad;
  return Record(columns, rows, slices, kind, values, &layout);
}

/// A matrix from its rows, the identity where a row or column is not given.
inline Mat4 Rows(std::initializer_list<std::initializer_list<double>> rows) {
  Mat4 m;
  m.init();
  int i = 0;
  for (const auto& row : rows) {
    int j = 0;
    for (double v : row) m.m[i][j++] = v;
    ++i;
  }
  return m;
}

}  // namespace layers_test
