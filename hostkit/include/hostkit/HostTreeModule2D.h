// The host's sample 2D tree module: frames grouped by patient, then by series. Header-only, as it
// builds nodes of the library's 2D tree (include it where libquarn is linked).
#pragma once

#include <hostkit/HostImage.h>
#include <hostkit/HostTreeModule.h>

#include <quarn/classes/Database_Roots.h>
#include <quarn/classes/Quarn_2D.h>
#include <quarn/classes/Quarn_2D_File.h>

#include <cwchar>
#include <new>

/// A grouping node of the sample module; class A 0x2100 + its grouping level (0 patient, 1 series).
class Host_Tree_Group : public Quarn_2D {
public:
  /// Class A of patient groups; series groups are one more.
  static constexpr uint16_t Class_A_Base = 0x2100;

  /// A group of kind (0 patient, 1 series) named key.
  Host_Tree_Group(int kind, const wchar_t* key) {
    Class_A_Set(uint16_t(Class_A_Base + kind));
    Title_Set("%s", kind == 0 ? "Patient" : "Series");
    Name_Set(L"%ls", key);
  }
};

namespace host_tree {

/// The group of kind named key under parent, made and added when missing; null when it cannot be.
inline Quarn_2D* Group_Get(Quarn_2D* parent, int kind, const wchar_t* key) {
  const uint16_t cls = uint16_t(Host_Tree_Group::Class_A_Base + kind);
  for (int i = 0, n = parent->Child_Get_Nb(); i < n; ++i) {
    Quarn_2D* child = parent->Child_Get_Pt(i);
    if (child->Class_A_Get() == cls && !std::wcscmp(child->Name_Get(), key)) return child;
  }
  auto* group = new (std::nothrow) Host_Tree_Group(kind, key);
  if (group && !parent->Child_Add(group)) {
    delete group;
    return nullptr;
  }
  return group;
}

/// The chain's contract: place the frame's group under parent and pass the frame on to the next
/// level. The first use of the module in the chain groups by patient, any later one by series.
inline int Insert_2D(Quarn_2D* parent, Quarn_2D_File* file, uint16_t level, int image_index,
                     int frame_number) {
  if (!parent || !file) return 0;
  const int kind = Fct_Class_Get_Id("2D", level) == 0 ? 0 : 1;
  wchar_t key[256];
  const Host_Image_Record* record = file->Record_Get(image_index);
  if (kind == 0)
    Host_Tree_Patient_Key(record, key, 256);
  else
    Host_Tree_Series_Key(record, key, 256);
  Quarn_2D* group = Group_Get(parent, kind, key);
  const Module_Insert_2D next = Fct_Class_Get_Insert_2D(level + 1);
  if (!group || !next) return 0;
  return next(group, file, uint16_t(level + 1), image_index, frame_number);
}

inline const wchar_t* Name(int) { return L"Patient/Series"; }
inline const wchar_t* Group() { return L"*Tree"; }

}  // namespace host_tree

/// The module's record: list it once to group by patient, twice to group by patient and series.
inline Module_Functions Host_Tree_Module_2D{&host_tree::Name, &host_tree::Group, nullptr,
                                            &host_tree::Insert_2D, nullptr, nullptr};
