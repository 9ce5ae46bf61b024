// The frame: construction from an image record, insertion, naming, value range and ordering.
#include <quarn/frames/Quarn_2D_Frame.h>

#include <quarn/classes/Quarn_2D_File.h>

#include "classes/Tree_Trace.h"

Quarn_2D_Frame::Quarn_2D_Frame(Quarn_2D* parent, Quarn_2D_File* file_record, int index, int number) {
  Identity_Set("Frame");
  Parent_Set_Pt(parent);
  file = file_record;
  image_index = index;
  frame_number = number;
}

Quarn_2D_Frame::Quarn_2D_Frame(Quarn_2D* parent, Quarn_2D_File* file_record, unsigned char dir,
                               int index, unsigned short nx, unsigned short ny, unsigned short nz) {
  Identity_Set("Frame CUDA");
  Parent_Set_Pt(parent);
  file = file_record;
  volume_cut = 1;
  cut_dir = dir;
  frame_number = index;
}

Quarn_2D_Frame::~Quarn_2D_Frame() {}

void Quarn_2D_Frame::Identity_Set(const char* title) {
  Class_A_Set(Class_A);
  Title_Set("%s", title);
  for (uint8_t& used : tag_used) used = 1;
}

int Quarn_2D_Frame::Update_A(uint64_t) { return 1; }
void Quarn_2D_Frame::Update_Child_A(uint64_t, void*, void*, Region_4D*) {}
void Quarn_2D_Frame::Stool(int message_class, int depth, unsigned char recurse) {
  Quarn_2D::Stool(message_class, depth, recurse);
}
int Quarn_2D_Frame::Resize(Quarn_Window*, Region_2D*) { return 1; }
int Quarn_2D_Frame::Compare(Quarn_2D* other) { return Quarn_2D::Compare(other); }
const wchar_t* Quarn_2D_Frame::Icon_Name() { return L"icon page.tga"; }
float Quarn_2D_Frame::Zoom_Get(Quarn_Window*) { return 1.0f; }

Point_2D Quarn_2D_Frame::Frm_2_Inf(Quarn_Window*, Point_2D p) { return p; }
Region_2D Quarn_2D_Frame::Frm_2_Inf(Quarn_Window*, Region_2D r) { return r; }
Point_2D Quarn_2D_Frame::Inf_2_Frm(Quarn_Window*, Point_2D p) { return p; }
Region_2D Quarn_2D_Frame::Inf_2_Frm(Quarn_Window*, Region_2D r) { return r; }
Point_4D Quarn_2D_Frame::Frm_2_Org(Point_4D p) { return p; }
Point_4D Quarn_2D_Frame::Frm_2_Org(Point_2D p) { return Point_4D(6, p.x, p.y, 0.0f, 0.0f); }
Point_4D Quarn_2D_Frame::Frm_2_Org(float x, float y, float z, float t) { return Point_4D(6, x, y, z, t); }
Region_4D Quarn_2D_Frame::Frm_2_Org(Region_4D r) { return r; }
Point_4D Quarn_2D_Frame::Org_2_Frm(Point_4D p) { return p; }
Point_4D Quarn_2D_Frame::Org_2_Frm(Point_3D p) { Point_4D q; q = p; return q; }
Point_4D Quarn_2D_Frame::Org_2_Frm(float x, float y, float z, float t) { return Point_4D(2, x, y, z, t); }
Region_4D Quarn_2D_Frame::Org_2_Frm(Region_4D r) { return r; }
float Quarn_2D_Frame::Get_Pos_D(Point_4D*) { return 0; }

Quarn_2D_Volume::Quarn_2D_Volume(Quarn_2D* parent, unsigned char direction) {
  Class_A_Set(Class_A);
  Title_Set("Cuda_Volume");
  Parent_Set_Pt(parent);
  dir = direction;
}

Quarn_2D_Volume::~Quarn_2D_Volume() {}

int Class_2D_Frame_Insert(Quarn_2D* parent, Quarn_2D_File* file, unsigned short, int image_index,
                          int frame_number) {
  auto* frame = new (std::nothrow) Quarn_2D_Frame(parent, file, image_index, frame_number);
  if (frame && parent) parent->Child_Add(frame);
  return 1;
}
