// Tests of frame geometry: frames of phantom series against the positions written into the
// files, frame <-> patient round trips with slice offsets, time, slice steps, region boxes and
// the position along the normal.
#include "frames/Frame_Host.h"

#include <cmath>

namespace {

using frame_test::Frame_Test;

Vec4 V(float x, float y, float z) { return Vec4(x, y, z, 0.0f); }

// Patient position of the centre of pixel (i, j) of slice k, from what was written into the
// files: position + i sx u + j sy v + k dz n, in double precision.
void Written_Position(const Host_Phantom_Options& o, double i, double j, double k, double out[3]) {
  const Vec4 &u = o.dir_row, &v = o.dir_col;
  const double n[3] = {double(u.y) * v.z - double(u.z) * v.y, double(u.z) * v.x - double(u.x) * v.z,
                       double(u.x) * v.y - double(u.y) * v.x};
  const double p[3] = {o.position.x, o.position.y, o.position.z};
  const double du[3] = {u.x, u.y, u.z}, dv[3] = {v.x, v.y, v.z};
  for (int a = 0; a < 3; ++a)
    out[a] = p[a] + i * o.spacing_x * du[a] + j * o.spacing_y * dv[a] + k * o.slice_spacing * n[a];
}

TEST_F(Frame_Test, PixelCentresLandWhereTheFilesPutThem) {
  const float c30 = std::cos(0.5235988f), s30 = std::sin(0.5235988f);
  const float c20 = std::cos(0.3490659f), s20 = std::sin(0.3490659f);
  struct Case {
    const char* name;
    Vec4 row, col;
    int layout;
  };
  const Case cases[] = {
      {"axial", V(1, 0, 0), V(0, 1, 0), HOST_PHANTOM_FILES},
      {"coronal", V(1, 0, 0), V(0, 0, -1), HOST_PHANTOM_FILES},
      {"oblique", V(c30, s30, 0), V(-s30 * c20, c30 * c20, s20), HOST_PHANTOM_FILES},
      {"oblique multi-frame", V(c30, s30, 0), V(-s30 * c20, c30 * c20, s20), HOST_PHANTOM_MULTI_FRAME},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Host_Phantom_Options o;
    o.columns = 7;
    o.rows = 5;
    o.slices = 4;
    o.layout = c.layout;
    o.dir_row = c.row;
    o.dir_col = c.col;
    o.position = V(-31.5f, 12.25f, 104.0f);
    Quarn_2D_File* file = Phantom_File(c.name, o);
    ASSERT_NE(file, nullptr);
    for (int n = 0; n < o.slices; ++n) {
      Quarn_2D_Frame* f = Insert(file, 0, n);
      ASSERT_EQ(f->width, o.columns);
      ASSERT_EQ(f->height, o.rows);
      ASSERT_EQ(f->z_index, n);
      EXPECT_FLOAT_EQ(f->aspect, o.spacing_y / o.spacing_x);
      double origin[3];
      Written_Position(o, 0, 0, n, origin);
      EXPECT_NEAR(f->position.x, origin[0], 1e-3);
      EXPECT_NEAR(f->position.y, origin[1], 1e-3);
      EXPECT_NEAR(f->position.z, origin[2], 1e-3);
      for (int j = 0; j < o.rows; ++j)
        for (int i = 0; i < o.columns; ++i) {
          // The pixel the frame shows at (i, j) is the one the file holds there ...
          EXPECT_EQ(Host_Image_Pixel_Int(nullptr, f->image, i, j, f->z_index, f->t_index),
                    Host_Dicom_Phantom_Value(&o, i, j, n, 0));
          // ... and its centre is where the file says that pixel lies, both ways.
          double want[3];
          Written_Position(o, i, j, n, want);
          const Point_4D p = f->Frm_2_Org(Point_2D(6, i + 0.5f, j + 0.5f));
          EXPECT_EQ(p.code, 2);
          EXPECT_NEAR(p.x, want[0], 1e-3) << i << "," << j;
          EXPECT_NEAR(p.y, want[1], 1e-3) << i << "," << j;
          EXPECT_NEAR(p.z, want[2], 1e-3) << i << "," << j;
          const Point_4D back = f->Org_2_Frm(Point_3D(2, float(want[0]), float(want[1]), float(want[2])));
          EXPECT_EQ(back.code, 6);
          EXPECT_NEAR(back.x, i + 0.5, 1e-3);
          EXPECT_NEAR(back.y, j + 0.5, 1e-3);
          EXPECT_NEAR(back.z, n, 1e-3);
        }
    }
  }
}

TEST_F(Frame_Test, PatientRoundTripKeepsFramePointsUnderSliceOffsets) {
  Host_Image_Layout l;
  l.position = V(10, -20, 30);
  l.dir_row = V(0.8f, 0.6f, 0);
  l.dir_col = V(0, 0, 1);
  l.spacing_x = 0.7f;
  l.spacing_y = 1.3f;
  l.slice_spacing = 2.5f;
  const float offsets[] = {0.0f, 5.0f, -2.5f};  // no offset, forward, backward
  for (float d : offsets) {
    Quarn_2D_File* file = Add_File(L"/scans/offset.img", frame_test::List({frame_test::Ramp(9, 7, 5, 1, &l)}));
    file->Slice_Offset_Set(0, d);
    Quarn_2D_Frame* f = Insert(file, 0, 2);
    const Vec4 n = f->image->normal;
    for (float x : {-3.0f, 0.0f, 0.5f, 4.25f, 8.99f})
      for (float y : {0.0f, 3.5f, 6.75f})
        for (float z : {0.0f, 0.5f, -1.0f}) {
          const Point_4D org = f->Frm_2_Org(x, y, z, 0.0f);
          // Independent placement: pixel corners lie half a pixel before the centres.
          const float k = 2 + z;
          const float want[3] = {
              l.position.x + (x - 0.5f) * 0.7f * 0.8f + k * 2.5f * n.x + d * n.x,
              l.position.y + (x - 0.5f) * 0.7f * 0.6f + k * 2.5f * n.y + d * n.y,
              l.position.z + (y - 0.5f) * 1.3f + k * 2.5f * n.z + d * n.z,
          };
          EXPECT_NEAR(org.x, want[0], 2e-3) << d << " " << x << " " << y << " " << z;
          EXPECT_NEAR(org.y, want[1], 2e-3);
          EXPECT_NEAR(org.z, want[2], 2e-3);
          const Point_4D back = f->Org_2_Frm(org);
          EXPECT_NEAR(back.x, x, 1e-3);
          EXPECT_NEAR(back.y, y, 1e-3);
          EXPECT_NEAR(back.z, k, 1e-3);
        }
    files_.clear();
    frame_test::Vars().file_nb = 0;
  }
}

TEST_F(Frame_Test, ForcedPixelSizeReplacesInPlaneSpacing) {
  Quarn_2D_File* file = Add_File(L"/scans/forced.img", frame_test::List({frame_test::Ramp(4, 4)}));
  file->Pixel_Size_Set(0, 0.25f);
  Quarn_2D_Frame* f = Insert(file);
  EXPECT_FLOAT_EQ(f->spacing.x, 0.25f);
  EXPECT_FLOAT_EQ(f->spacing.y, 0.25f);
  EXPECT_FLOAT_EQ(f->spacing_b.y, 0.25f);
  EXPECT_FLOAT_EQ(f->spacing.z, 1.0f);  // along the normal the record's spacing stays
}

TEST_F(Frame_Test, TimeCoordinateIsSecondsOfTheStampOrOfTheTimeIndex) {
  struct Case {
    const char* what;
    int stamp;  // which stamp is recorded: -1 none, 0 primary, 1 secondary, 2 both
    float want_t1;  // fourth patient coordinate of the frame at time index 1
  };
  const Case cases[] = {
      {"no stamp: the time index in hours", -1, 3600.0f},
      {"primary stamp 13:30", 0, 13.5f * 3600},
      {"secondary stamp 08:15", 1, 8.25f * 3600},
      {"both: the primary wins", 2, 13.5f * 3600},
  };
  for (const Case& c : cases) {
    Host_Image_Record* r = frame_test::Ramp(3, 3, 2, 3);
    if (c.stamp == 0 || c.stamp == 2) Host_Time_Set(&r->time[0], "133000");
    if (c.stamp == 1 || c.stamp == 2) Host_Time_Set(&r->time[1], "081500");
    Quarn_2D_File* file = Add_File(L"/scans/time.img", frame_test::List({r}));
    Quarn_2D_Frame* f = Insert(file, 0, 3);  // slice 1 of time point 1
    ASSERT_EQ(f->t_index, 1);
    EXPECT_NEAR(f->Frm_2_Org(Point_2D(6, 1.0f, 1.0f)).t, c.want_t1, 1e-2) << c.what;
  }
}

TEST_F(Frame_Test, SliceArgumentCountsFromTheFramesOwnSlice) {
  Quarn_2D_File* file = Add_File(L"/scans/steps.img", frame_test::List({frame_test::Ramp(4, 4, 6)}));
  Quarn_2D_Frame* f = Insert(file, 0, 3);
  const Point_4D a = f->Frm_2_Org(2.0f, 1.0f, 0.5f, 0.0f);
  const Point_4D b = f->Frm_2_Org(Point_4D(6, 2.0f, 1.0f, 3.5f, 0.0f));
  EXPECT_EQ(a, b);
  EXPECT_NEAR(f->Org_2_Frm(a).z, 3.5f, 1e-4);
}

TEST_F(Frame_Test, RegionBoxesKeepMinimumBelowMaximumWhenAxesTurn) {
  Host_Image_Layout l;
  l.dir_row = V(-1, 0, 0);  // columns run towards -x
  l.dir_col = V(0, 0, -1);  // rows run towards -z
  Quarn_2D_File* file = Add_File(L"/scans/turned.img", frame_test::List({frame_test::Ramp(10, 8, 3, 1, &l)}));
  Quarn_2D_Frame* f = Insert(file, 0, 1);
  const Region_4D frm(6, 1.0f, 2.0f, 0.0f, 0.0f, 6.0f, 5.0f, 2.0f, 0.0f);
  const Region_4D org = f->Frm_2_Org(frm);
  EXPECT_EQ(org.code, 2);
  EXPECT_LE(org.x_min, org.x_max);
  EXPECT_LE(org.y_min, org.y_max);
  EXPECT_LE(org.z_min, org.z_max);
  // The box holds exactly the mapped corners.
  const Point_4D lo = f->Frm_2_Org(Point_4D(6, 6.0f, 5.0f, 2.0f, 0.0f));
  const Point_4D hi = f->Frm_2_Org(Point_4D(6, 1.0f, 2.0f, 0.0f, 0.0f));
  EXPECT_FLOAT_EQ(org.x_min, lo.x);
  EXPECT_FLOAT_EQ(org.x_max, hi.x);
  EXPECT_FLOAT_EQ(org.z_min, lo.z);
  EXPECT_FLOAT_EQ(org.z_max, hi.z);
  const Region_4D back = f->Org_2_Frm(org);
  EXPECT_EQ(back.code, 6);
  EXPECT_NEAR(back.x_min, 1.0f, 1e-3);
  EXPECT_NEAR(back.x_max, 6.0f, 1e-3);
  EXPECT_NEAR(back.y_min, 2.0f, 1e-3);
  EXPECT_NEAR(back.y_max, 5.0f, 1e-3);
}

TEST_F(Frame_Test, PositionAlongNormalDividesByTheDominantComponent) {
  struct Case {
    Vec4 normal;
    float want;  // for the point (3, -4, 6)
  };
  const Case cases[] = {
      {V(1, 0, 0), 3.0f},          // x dominant
      {V(0, -1, 0), 4.0f},         // y dominant, negative
      {V(0, 0, 2), 3.0f},          // z dominant
      {V(0.8f, 0.6f, 0), 3.75f},   // x beats y
      {V(0.6f, 0.6f, 0.2f), 30.0f},  // x and y tie: z decides
      {V(0, 0, 1e-13f), 0.0f},     // no usable component
  };
  Quarn_2D_File* file = Add_File(L"/scans/pos.img", frame_test::List({frame_test::Ramp(2, 2)}));
  Quarn_2D_Frame* f = Insert(file);
  for (const Case& c : cases) {
    f->image->normal = c.normal;
    Point_4D p(2, 3.0f, -4.0f, 6.0f, 0.0f);
    EXPECT_FLOAT_EQ(f->Get_Pos_D(&p), c.want) << c.normal.x << "," << c.normal.y << "," << c.normal.z;
  }
  f->image->geometry = 0x0004;  // curved: the slice number stands for the position
  f->z_number = 17;
  Point_4D p(2, 3.0f, -4.0f, 6.0f, 0.0f);
  EXPECT_FLOAT_EQ(f->Get_Pos_D(&p), 17.0f);
}

TEST_F(Frame_Test, ChildToParentMatricesJoinTheChain) {
  // A group that shifts its children by (100, 0, 0) before the root places them.
  auto* group = new tree_test::Group<Quarn_2D>(L"shifted");
  root_.Child_Add(group);
  group->mat_child_to_parent = new Mat4();
  group->mat_child_to_parent->init();
  group->mat_child_to_parent->m[3][0] = 100;
  group->mat_parent_to_child = new Mat4(group->mat_child_to_parent->inverse());
  Quarn_2D_File* file = Add_File(L"/scans/chain.img", frame_test::List({frame_test::Ramp(4, 4)}));
  Quarn_2D_Frame* plain = Insert(file, 0, 0);
  Quarn_2D_Frame* shifted = Insert(file, 0, 0, group);
  const Point_4D a = plain->Frm_2_Org(Point_2D(6, 1.0f, 2.0f));
  const Point_4D b = shifted->Frm_2_Org(Point_2D(6, 1.0f, 2.0f));
  EXPECT_NEAR(b.x - a.x, 100.0f, 1e-3);  // 100 columns of 1 mm
  EXPECT_NEAR(b.y, a.y, 1e-4);
  const Point_4D back = shifted->Org_2_Frm(b);
  EXPECT_NEAR(back.x, 1.0f, 1e-3);
  EXPECT_NEAR(back.y, 2.0f, 1e-3);
}

TEST(Metrics_3D, DerivedTransformsOfAncestorsApplyWhenAsked) {
  // A 3D node kind that moves points by 10 along x, as a derived class may.
  struct Shift : Quarn_3D {
    Point_4D Metrics_Transfo(char ask_parent, Point_4D p) override {
      p.x += 10;
      return Quarn_3D::Metrics_Transfo(ask_parent, p);
    }
  };
  Quarn_3D_Root root;
  auto* outer = new Shift;
  auto* inner = new Shift;
  root.Child_Add(outer);
  outer->Child_Add(inner);
  const Point_4D p(2, 1.0f, 2.0f, 3.0f, 4.0f);
  EXPECT_FLOAT_EQ(inner->Metrics_Transfo(1, p).x, 21.0f);  // both shifts, the root adds none
  EXPECT_FLOAT_EQ(inner->Metrics_Transfo(0, p).x, 11.0f);  // its own only
  EXPECT_EQ(root.Metrics_Transfo(1, p), p);
}

}  // namespace
