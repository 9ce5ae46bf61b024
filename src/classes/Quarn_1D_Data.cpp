// The 1D data leaf: one curve of a 1D file record.
#include <quarn/classes/Quarn_1D_Data.h>

#include "classes/File_Links.h"
#include "classes/Tree_Trace.h"

Quarn_1D_Data::Quarn_1D_Data(Quarn_1D* parent, Quarn_1D_File* file, int curve_index)
    : type_(file ? uint16_t(quarn::File_1D_Curves_Get(file)) : 0),
      curve_index_(uint16_t(curve_index)),
      curve_(file ? quarn::File_1D_Curve_Get(file, curve_index) : nullptr),
      file_(file) {
  QUARN_REPORT(quarn::msg::Class, ">>> in  Class: Quarn_1D_Data::Quarn_1D_Data(type=%08X)", unsigned(type_));
  Class_A_Set(0x1FFF);
  Title_Set("data");
  if (const char* description = file ? quarn::File_1D_Description_Get(file) : nullptr)
    Name_Set("%s", description);
  Parent_Set_Pt(parent);
  QUARN_REPORT(quarn::msg::Class, "<<< out Class: Quarn_1D_Data::Quarn_1D_Data()");
}

const wchar_t* Quarn_1D_Data::Icon_Name() {
  if (!QUARN_CHECK_NODE(this, Data_1D, "Quarn_1D_Data::Icon_Name")) return nullptr;
  return type_ == 1 ? L"icon spectro.tga" : L"icon folder.tga";
}
