// Quarn_1D_Data: the leaf of the 1D tree, one curve of a 1D file record.
#pragma once

#include <quarn/Export.h>
#include <quarn/classes/Quarn_1D.h>

#include <cstdint>

class Quarn_1D_File;

/// One curve of a 1D file: class A 0x1FFF, title "data", named after the file's description.
class QUARN_API Quarn_1D_Data : public Quarn_1D {
public:
  /// The curve curve_index of file, linked to parent (the parent's child list is not touched).
  Quarn_1D_Data(Quarn_1D* parent, Quarn_1D_File* file, int curve_index);

  /// "icon spectro.tga" for a file with curves, else the folder icon.
  const wchar_t* Icon_Name() override;

  /// The low 16 bits of the file's has-curves word.
  uint16_t Type_Get() const { return type_; }
  /// Index of the curve in its file.
  uint16_t Curve_Index_Get() const { return curve_index_; }
  /// The curve's descriptor inside the file record.
  void* Curve_Get() const { return curve_; }
  /// The file record the curve belongs to (not owned).
  Quarn_1D_File* File_Get() const { return file_; }

  uint64_t word[4] = {};  ///< Free words of the data node, 0 at creation.

private:
  uint16_t type_ = 0;
  uint16_t curve_index_ = 0;
  void* curve_ = nullptr;
  Quarn_1D_File* file_ = nullptr;
};
