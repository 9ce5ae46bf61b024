// Tests of curved geometries: the maps between curved space and patient space, the flip bit, and
// frames of curved records checking their own round trip.
#include "frames/Frame_Host.h"

#include "frames/Curved_Geometry.h"

#include <cmath>

namespace {

using frame_test::Frame_Test;

// Field values of the code word: first coordinate (bits 4-6), second (8-10), third (12-14).
constexpr uint16_t Code(int fx, int fy, int fz) {
  return uint16_t(0x0004 | fx << 4 | fy << 8 | fz << 12);
}

// First coordinate a radius, second an elevation, third an azimuth: a bent surface that maps
// one to one while the radius is positive and the elevation lies in 0 ... 180 degrees.
constexpr uint16_t Spherical = Code(4, 5, 6);

TEST(Curved_Geometry, ForwardMapBendsRadiusAndAnglesAroundTheCurvature) {
  struct Case {
    const char* what;
    uint16_t code;
    Point_4D in;
    Point_4D want;
  };
  const double c30 = std::cos(M_PI / 6), s60 = std::sin(M_PI / 3);
  const Case cases[] = {
      // s = sin 30 * 10 + 100 = 105: x = cos 30 * 10, y = cos 60 * s, z = sin 60 * s.
      {"radius, elevation, azimuth", Spherical, {2, 10.0f, 30.0f, 60.0f, 5.0f},
       {2, float(10 * c30), 52.5f, float(105 * s60), 5.0f}},
      // Offsets only: theta stays 90 degrees and phi 0, so s = b + rho.
      {"offsets a, b, c", Code(0, 0, 0), {2, 1.0f, 2.0f, 3.0f, 0.0f}, {2, 1.0f, 102.0f, 3.0f, 0.0f}},
      {"the second field names a, the third b", Code(2, 1, 2), {2, 1.0f, 2.0f, 3.0f, 0.0f},
       {2, 2.0f, 103.0f, 1.0f, 0.0f}},
      {"passed-through and unused fields set nothing", Code(3, 7, 3), {2, 1.0f, 2.0f, 3.0f, 9.0f},
       {2, 0.0f, 100.0f, 0.0f, 9.0f}},
  };
  for (const Case& c : cases) {
    const Point_4D got = quarn::Curved_2_Org(c.code, 100.0f, c.in);
    EXPECT_NEAR(got.x, c.want.x, 1e-3) << c.what;
    EXPECT_NEAR(got.y, c.want.y, 1e-3) << c.what;
    EXPECT_NEAR(got.z, c.want.z, 1e-3) << c.what;
    EXPECT_EQ(got.t, c.want.t) << c.what;
  }
}

TEST(Curved_Geometry, InverseRecoversRadiusAndAnglesOverTheSurface) {
  for (float r : {0.5f, 10.0f, 75.0f})
    for (float theta : {5.0f, 45.0f, 90.0f, 150.0f})
      for (float phi : {-80.0f, 0.0f, 30.0f, 85.0f}) {
        const Point_4D curved(2, r, theta, phi, 0.0f);
        const Point_4D back = quarn::Org_2_Curved(Spherical, 40.0f, quarn::Curved_2_Org(Spherical, 40.0f, curved));
        EXPECT_NEAR(back.x, r, 2e-3) << r << " " << theta << " " << phi;
        EXPECT_NEAR(back.y, theta, 2e-3) << r << " " << theta << " " << phi;
        EXPECT_NEAR(back.z, phi, 2e-3) << r << " " << theta << " " << phi;
        EXPECT_EQ(back.t, 0.0f);
      }
}

TEST(Curved_Geometry, InverseFieldsPassAndBlank) {
  // First field passed through: it gives t; the second passed gives y; an unused third gives 0.
  const Point_4D got = quarn::Org_2_Curved(Code(3, 3, 7), 10.0f, Point_4D(2, 1.0f, 2.0f, 3.0f, 4.0f));
  EXPECT_EQ(got, Point_4D(2, 4.0f, 2.0f, 0.0f, 0.0f));
}

TEST(Curved_Geometry, FlipTurnsTheElevationAndHalfTurnsTheAzimuth) {
  const Point_4D patient = quarn::Curved_2_Org(Spherical, 40.0f, Point_4D(2, 10.0f, 60.0f, 20.0f, 0.0f));
  const Point_4D plain = quarn::Org_2_Curved(Spherical, 40.0f, patient);
  const Point_4D flipped = quarn::Org_2_Curved(Spherical | quarn::curved::Flip, 40.0f, patient);
  EXPECT_NEAR(flipped.x, plain.x, 1e-4);  // the radius does not depend on the direction
  EXPECT_NEAR(flipped.y, -plain.y, 1e-3);
  EXPECT_NEAR(flipped.z, plain.z + 180.0f, 1e-3);
}

TEST_F(Frame_Test, CurvedFramesFlipTheirRecordWhenTheCentreDoesNotComeBack) {
  struct Case {
    const char* what;
    float position_x;  // shifts the radius of the frame centre
    uint16_t start;    // flip bit already in the code word
    bool flipped;
  };
  // The centre of an 8 x 6 frame of 1 x 2 mm pixels is curved point (3.5 + position_x, 5, 0).
  const Case cases[] = {
      {"positive radius comes back", 0.0f, 0, false},
      {"negative radius does not", -20.0f, 0, true},
      {"already flipped stays flipped", 0.0f, quarn::curved::Flip, true},
  };
  for (const Case& c : cases) {
    Host_Image_Layout l;
    l.position = Vec4(c.position_x, 0.0f, 0.0f, 0.0f);
    l.spacing_y = 2.0f;
    Host_Image_Record* r = frame_test::Ramp(8, 6, 1, 1, &l);
    r->geometry = Spherical | c.start;
    r->curve_radius = 30.0f;
    Quarn_2D_Frame* f = Insert(Add_File(L"/scans/curved.dcm", frame_test::List({r})));
    EXPECT_EQ((r->geometry & quarn::curved::Flip) != 0, c.flipped) << c.what;
    EXPECT_FLOAT_EQ(f->aspect, 1.0f) << c.what;  // curved frames keep square pixels on screen
  }
}

TEST_F(Frame_Test, CurvedFramesRoundTripThroughPatientSpace) {
  Host_Image_Layout l;
  l.position = Vec4(5.0f, 10.0f, 0.0f, 0.0f);  // radius 5 ... and elevation 10 ... degrees
  Host_Image_Record* r = frame_test::Ramp(12, 10, 3, 1, &l);
  r->geometry = Spherical;
  r->curve_radius = 25.0f;
  Quarn_2D_Frame* f = Insert(Add_File(L"/scans/bent.dcm", frame_test::List({r})), 0, 1);
  ASSERT_EQ(r->geometry & quarn::curved::Flip, 0);
  for (float x : {0.5f, 6.0f, 11.5f})
    for (float y : {0.5f, 4.0f, 9.5f}) {
      const Point_4D org = f->Frm_2_Org(Point_2D(6, x, y));
      // On the bent surface: the distance from the axis of the bend exceeds the curvature.
      EXPECT_GT(std::hypot(org.y, org.z), 25.0f);
      const Point_4D back = f->Org_2_Frm(org);
      EXPECT_NEAR(back.x, x, 1e-3) << x << "," << y;
      EXPECT_NEAR(back.y, y, 1e-3) << x << "," << y;
      EXPECT_NEAR(back.z, 1.0f, 1e-3) << x << "," << y;
    }
}

}  // namespace
