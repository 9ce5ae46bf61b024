// Records of every element kind for the tests of grey layers loaded through matrices.
#pragma once

#include "frames/Frame_Layers_Host.h"

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

}  // namespace layers_test
