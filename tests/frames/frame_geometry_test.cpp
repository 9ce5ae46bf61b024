// Tests of frame geometry: frames of phantom series against the positions written into the
// files, and frame <-> patient round trips with slice offsets, time and region boxes.
#include "frames/Frame_Host.h"

#include <cmath>

namespace {

using frame_test::Frame_Test;

Vec4 V(float x, float y, float z) { return Vec4(x, y, z, 0.0f); }

TEST_F(Frame_Test, PixelCentresLandWhereTheFilesPutThem) {
  const float c30 = std::cos(0.5235988f), s30 = std::sin(0.5235988f);
  const float c20 = std::cos(0.3490659f), s20 = std::sin(0.3490659f);
  const struct {
    const char* name;
    Vec4 row, col;
    int layout;
  } cases[] = {
      {"axial", V(1, 0, 0), V(0, 1, 0), HOST_PHANTOM_FILES},
      {"coronal", V(1, 0, 0), V(0, 0, -1), HOST_PHANTOM_FILES},
      {"oblique multi-frame", V(c30, s30, 0), V(-s30 * c20, c30 * c20, s20), HOST_PHANTOM_MULTI_FRAME},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Host_Phantom_Options o;
    o.columns = 7, o.rows = 5, o.slices = 3, o.layout = c.layout;
    o.dir_row = c.row, o.dir_col = c.col, o.position = V(-31.5f, 12.25f, 104.0f);
    Quarn_2D_File* file = Phantom_File(c.name, o);
    ASSERT_NE(file, nullptr);
    const Vec4 &u = o.dir_row, &v = o.dir_col, n = u.cross(v);
    for (int k = 0; k < o.slices; ++k) {
      Quarn_2D_Frame* f = Insert(file, 0, k);
      ASSERT_TRUE(f->width == o.columns && f->height == o.rows && f->z_index == k);
      EXPECT_FLOAT_EQ(f->aspect, o.spacing_y / o.spacing_x);
      for (int j = 0; j < o.rows; ++j)
        for (int i = 0; i < o.columns; ++i) {
          // The pixel the frame shows at (i, j) is the one the file holds there ...
          EXPECT_EQ(Host_Image_Pixel_Int(nullptr, f->image, i, j, f->z_index, f->t_index),
                    Host_Dicom_Phantom_Value(&o, i, j, k, 0));
          // ... and the middle of its square is where the file puts that pixel, both ways.
          const double a = i * o.spacing_x, b = j * o.spacing_y, d = k * o.slice_spacing;
          const Point_4D want(2, float(o.position.x + a * u.x + b * v.x + d * n.x),
                              float(o.position.y + a * u.y + b * v.y + d * n.y),
                              float(o.position.z + a * u.z + b * v.z + d * n.z), 0.0f);
          const Point_4D p = f->Frm_2_Org(Point_2D(6, i + 0.5f, j + 0.5f));
          EXPECT_EQ(p.code, 2);
          EXPECT_LT(p.Dist(want), 1e-3) << i << "," << j;
          const Point_4D back = f->Org_2_Frm(Point_3D(want));
          EXPECT_EQ(back.code, 6);
          EXPECT_LT(back.Dist(Point_4D(6, i + 0.5f, j + 0.5f, float(k), 0.0f)), 1e-3) << i << "," << j;
        }
    }
  }
}

TEST_F(Frame_Test, PatientRoundTripKeepsFramePointsUnderSliceOffsets) {
  Host_Image_Layout l;
  l.position = V(10, -20, 30), l.dir_row = V(0.8f, 0.6f, 0), l.dir_col = V(0, 0, 1);
  l.spacing_x = 0.7f, l.spacing_y = 1.3f, l.slice_spacing = 2.5f;
  for (float d : {0.0f, 5.0f, -2.5f}) {  // no offset, forward, backward
    Quarn_2D_File* file = Add_File(L"/scans/offset.img", {frame_test::Ramp(9, 7, 5, 1, &l)});
    file->Slice_Offset_Set(0, d);
    Quarn_2D_Frame* f = Insert(file, 0, 2);
    const Vec4 n = f->image->normal;
    for (float x : {-3.0f, 0.5f, 8.99f})
      for (float y : {0.0f, 6.75f})
        for (float z : {0.0f, 0.5f, -1.0f}) {  // slices counted from the frame's own
          const Point_4D org = f->Frm_2_Org(x, y, z, 0.0f);
          const float a = (x - 0.5f) * 0.7f, b = (y - 0.5f) * 1.3f, c = (2 + z) * 2.5f + d;
          const Point_4D want(2, 10 + a * 0.8f + c * n.x, -20 + a * 0.6f + c * n.y, 30 + b, 0.0f);
          EXPECT_LT(org.Dist(want), 2e-3)
              << d << " " << x << " " << y << " " << z;
          EXPECT_LT(f->Org_2_Frm(org).Dist(Point_4D(6, x, y, 2 + z, 0.0f)), 1e-3);
        }
    files_.clear();
    frame_test::Vars().file_nb = 0;
  }
}

TEST_F(Frame_Test, TimeCoordinateIsSecondsOfTheStampOrOfTheTimeIndex) {
  const struct {
    const char* primary;    // time of the primary stamp, or none
    const char* secondary;  // time of the secondary stamp, or none
    float want;             // fourth patient coordinate of a frame at time index 1
  } cases[] = {
      {nullptr, nullptr, 3600.0f},      // no stamp: the time index in hours
      {"133000", nullptr, 48600.0f},    // 13:30
      {nullptr, "081500", 29700.0f},    // 08:15
      {"133000", "081500", 48600.0f},   // the primary wins
  };
  for (const auto& c : cases) {
    Host_Image_Record* r = frame_test::Ramp(3, 3, 2, 3);
    if (c.primary) Host_Time_Set(&r->time[0], c.primary);
    if (c.secondary) Host_Time_Set(&r->time[1], c.secondary);
    Quarn_2D_Frame* f = Insert(Add_File(L"/scans/time.img", {r}), 0, 3);
    EXPECT_NEAR(f->Frm_2_Org(Point_2D(6, 1.0f, 1.0f)).t, c.want, 1e-2) << c.want;
  }
}

TEST_F(Frame_Test, RegionBoxesKeepMinimumBelowMaximumWhenAxesTurn) {
  Host_Image_Layout l;
  l.dir_row = V(-1, 0, 0), l.dir_col = V(0, 0, -1);  // columns towards -x, rows towards -z
  Quarn_2D_Frame* f = Insert(Add_File(L"/scans/turned.img", {frame_test::Ramp(10, 8, 3, 1, &l)}), 0, 1);
  const Region_4D org = f->Frm_2_Org(Region_4D(6, 1.0f, 2.0f, 0.0f, 0.0f, 6.0f, 5.0f, 2.0f, 0.0f));
  // The far corner in frame space is the near one in patient space on every axis.
  EXPECT_EQ(org, Region_4D(f->Frm_2_Org(Point_4D(6, 6.0f, 5.0f, 2.0f, 0.0f)),
                           f->Frm_2_Org(Point_4D(6, 1.0f, 2.0f, 0.0f, 0.0f))));
  EXPECT_EQ(org.code, 2);
  const Region_4D back = f->Org_2_Frm(org);
  EXPECT_EQ(back.code, 6);
  EXPECT_NEAR(back.x_min, 1.0f, 1e-3);
  EXPECT_NEAR(back.y_max, 5.0f, 1e-3);
}

}  // namespace
