// The device-volume node: the group of the cuts of one direction.
#include <quarn/frames/Quarn_2D_Frame.h>

#include "classes/Tree_Trace.h"

Quarn_2D_Volume::Quarn_2D_Volume(Quarn_2D* parent, unsigned char direction) {
  QUARN_REPORT(quarn::msg::Class, ">>> in  Class: Quarn_2D_Volume::Quarn_2D_Volume(dir:%d)", direction);
  Class_A_Set(Class_A);
  Title_Set("Cuda_Volume");
  Parent_Set_Pt(parent);
  dir = direction;
  static const wchar_t* const Names[3] = {L"dir X-Y", L"dir X-Z", L"dir Z-Y"};
  if (dir < 3) Name_Set(L"%ls", Names[dir]);
  quarn::Trace_Out("Quarn_2D_Volume::Quarn_2D_Volume");
}

Quarn_2D_Volume::~Quarn_2D_Volume() {
  constexpr const char* label = "Quarn_2D_Volume::~Quarn_2D_Volume";
  quarn::Trace_In(label, this);
  QUARN_CHECK(quarn::Object_Of(this), Volume, label);
  quarn::Trace_Out(label);
}
