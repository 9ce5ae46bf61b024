// Tests of curved geometries: the maps between curved space and patient space, the flip bit, and
// frames of curved records checking their own round trip.
#include "frames/Frame_Host.h"

#include "frames/Curved_Geometry.h"

namespace {

using frame_test::Frame_Test;

// Field values of the code word: first coordinate (bits 4-6), second (8-10), third (12-14).
constexpr uint16_t Code(int fx, int fy, int fz) { return uint16_t(0x0004 | fx << 4 | fy << 8 | fz << 12); }

// Radius, elevation, azimuth: one to one while the radius is positive and the elevation lies in
// 0 ... 180 degrees.
constexpr uint16_t Spherical = Code(4, 5, 6);

TEST(Curved_Geometry, ForwardMapFillsEachFieldsRoleBeforeBending) {
  const struct {
    uint16_t code;
    Point_4D in, want;  // curvature radius 100
  } cases[] = {
      // s = sin 30 * 10 + 100 = 105: x = cos 30 * 10, y = cos 60 * s, z = sin 60 * s; t kept.
      {Spherical, {2, 10.0f, 30.0f, 60.0f, 5.0f}, {2, 8.660254f, 52.5f, 90.932667f, 5.0f}},
      {Code(0, 0, 0), {2, 1.0f, 2.0f, 3.0f, 0.0f}, {2, 1.0f, 102.0f, 3.0f, 0.0f}},  // offsets a, b, c
      {Code(2, 1, 2), {2, 1.0f, 2.0f, 3.0f, 0.0f}, {2, 2.0f, 103.0f, 1.0f, 0.0f}},  // c, a, b
      {Code(3, 7, 3), {2, 1.0f, 2.0f, 3.0f, 9.0f}, {2, 0.0f, 100.0f, 0.0f, 9.0f}},  // roles unset
  };
  for (const auto& c : cases) {
    const Point_4D got = quarn::Curved_2_Org(c.code, 100.0f, c.in);
    EXPECT_LT(got.Dist(c.want), 1e-3) << std::hex << c.code;
    EXPECT_EQ(got.t, c.want.t);
  }
  // Inverse: a passed-through first field gives t, a passed second gives y, field value 7 gives 0.
  EXPECT_EQ(quarn::Org_2_Curved(Code(3, 3, 7), 10.0f, Point_4D(2, 1.0f, 2.0f, 3.0f, 4.0f)),
            Point_4D(2, 4.0f, 2.0f, 0.0f, 0.0f));
}

TEST(Curved_Geometry, InverseRecoversTheCurvedPointAndFlipTurnsItsAngles) {
  for (float r : {0.5f, 10.0f, 75.0f})
    for (float theta : {5.0f, 90.0f, 150.0f})
      for (float phi : {-80.0f, 0.0f, 85.0f}) {
        const Point_4D patient = quarn::Curved_2_Org(Spherical, 40.0f, Point_4D(2, r, theta, phi, 0.0f));
        const Point_4D back = quarn::Org_2_Curved(Spherical, 40.0f, patient);
        EXPECT_LT(back.Dist(Point_4D(2, r, theta, phi, 0.0f)), 3e-3) << r << " " << theta << " " << phi;
        const Point_4D flipped = quarn::Org_2_Curved(Spherical | quarn::curved::Flip, 40.0f, patient);
        EXPECT_LT(flipped.Dist(Point_4D(2, r, -theta, phi + 180.0f, 0.0f)), 3e-3) << r << " " << theta;
      }
}

TEST_F(Frame_Test, CurvedFramesFlipTheirRecordWhenTheCentreDoesNotComeBack) {
  struct Case {
    float position_x;  // moves the radius of the frame centre
    uint16_t start;    // flip bit already set
    bool flipped;
  };
  // The centre of an 8 x 6 frame of 1 x 2 mm pixels is curved point (3.5 + position_x, 5, 0).
  const Case cases[] = {{0.0f, 0, false}, {-20.0f, 0, true}, {0.0f, quarn::curved::Flip, true}};
  for (const Case& c : cases) {
    Host_Image_Layout l;
    l.position = Vec4(c.position_x, 0.0f, 0.0f, 0.0f), l.spacing_y = 2.0f;
    Host_Image_Record* r = frame_test::Ramp(8, 6, 1, 1, &l);
    r->geometry = Spherical | c.start, r->curve_radius = 30.0f;
    Quarn_2D_Frame* f = Insert(Add_File(L"/scans/curved.dcm", {r}));
    EXPECT_EQ((r->geometry & quarn::curved::Flip) != 0, c.flipped) << c.position_x;
    EXPECT_FLOAT_EQ(f->aspect, 1.0f);  // curved frames keep square pixels on screen
    Point_4D p;
    EXPECT_EQ(f->Get_Pos_D(&p), float(f->z_number));  // their slice number is their position
  }
}

}  // namespace
