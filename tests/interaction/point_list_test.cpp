// Landmarks: placed at the pointer on frames and on surfaces, picked within their radius on their
// own slice, dragged, found by name, deleted, coloured around the hue circle; the list in the host
// variables stays consistent through every operation.
#include "algorithms/Geom_Host.h"

#include <cmath>

namespace geom_test {
namespace {

constexpr uint16_t Landmark = 0x4, Other_Tool = 0x8;

class Point_List : public Geom_Host {
protected:
  void SetUp() override {
    Geom_Host::SetUp();
    axial_ = &Add_Series(L"/phantom/axial", 64, 64, 20, Host_Image_Layout());
  }
  void TearDown() override {
    while (Count() > 0) {
      int n = 0;
      Quarn_Point** items = List(&n);
      delete items[n - 1];
      *Var<uint32_t>(L"$POINT_NB") = uint32_t(n - 1);
    }
    std::free(*Var<Quarn_Point**>(L"$POINT_PT"));
    *Var<Quarn_Point**>(L"$POINT_PT") = nullptr;
    *Var<Quarn_Point*>(L"$POINT_CUR") = nullptr;
    Geom_Host::TearDown();
  }
  static Quarn_Point** List(int* n) {
    *n = int(*Var<uint32_t>(L"$POINT_NB"));
    return *Var<Quarn_Point**>(L"$POINT_PT");
  }
  static int Count() { return int(*Var<uint32_t>(L"$POINT_NB")); }
  static Quarn_Point* Current() { return *Var<Quarn_Point*>(L"$POINT_CUR"); }
  static void Pointer_On_Frame(float x, float y) { *Var<Point_2D>(L"$MOUSE_FRM") = Point_2D(uint8_t(6), x, y); }
  static void Pointer_In_Window(float x, float y) { *Var<Point_2D>(L"$MOUSE_WND") = Point_2D(uint8_t(8), x, y); }
  Quarn_2D_Frame* Frame(int z) const { return axial_->frames[size_t(z)]; }

  Series* axial_ = nullptr;
};

TEST_F(Point_List, InsertedAtThePointerAndFoundByName) {
  Pointer_On_Frame(12.5f, 30.5f);  // the centre of pixel (12, 30): frame space counts from corners
  ASSERT_EQ(Fct_Point_2D_Insert(Landmark, Window(), Frame(4), 7, "apex"), 1);
  Pointer_On_Frame(40, 41);
  ASSERT_EQ(Fct_Point_2D_Insert(Landmark, Window(), Frame(9), 8, nullptr), 1);
  ASSERT_EQ(Count(), 2);
  Quarn_Point* found[4] = {};
  ASSERT_EQ(Fct_Match_Template_Point(L"apex", 4, found), 1);
  Quarn_Point* apex = found[0];
  EXPECT_EQ(apex->pos.x, 12);
  EXPECT_EQ(apex->pos.y, 30);
  EXPECT_EQ(apex->pos.z, 4) << "slice 4 of 1 mm slices at the origin";
  EXPECT_EQ(apex->pos_frm.z, 4);
  EXPECT_EQ(apex->frame, Frame(4));
  EXPECT_EQ(apex->group, axial_->group);
  EXPECT_EQ(apex->size, Quarn_Point::Default_Size);
  ASSERT_EQ(Fct_Match_Template_Point(L"Point_8", 4, found), 1) << "a point without a name is named by its id";
  EXPECT_EQ(Current(), found[0]) << "the newest point is current";
}

TEST_F(Point_List, KeepsItsPatientPositionWhenTheWindowZoomsOrPans) {
  Pointer_On_Frame(20, 22);
  ASSERT_EQ(Fct_Point_2D_Insert(Landmark, Window(), Frame(3), 1, "kept"), 1);
  Quarn_Point* p = Current();
  const Point_3D before = p->pos;
  Fct_Change_Scale(Window(), 3, 0);
  Window()->pan_x.value += 17;
  Window()->pan_y.value -= 9;
  EXPECT_EQ(p->pos.x, before.x);
  EXPECT_EQ(p->pos.y, before.y);
  EXPECT_EQ(p->pos.z, before.z);
  // Where the point now shows in the window, the pointer routed back to the frame picks it.
  const Point_2D shown = Window()->Inf_2_Wnd(Frame(3)->Frm_2_Inf(Window(), Point_2D(uint8_t(6), 20.0f, 22.0f)));
  *Var<Point_2D>(L"$MOUSE_FRM") = Frame(3)->Inf_2_Frm(Window(), Window()->Wnd_2_Inf(shown));
  EXPECT_EQ(Fct_Point_2D_Capture(Landmark, Window(), Frame(3)), 1);
}

TEST_F(Point_List, CaptureWithinTheRadiusOnItsOwnSlice) {
  struct Row {
    const char* why;
    float size;
    float dx;         // pointer offset along x, mm
    int slice;        // frame under the pointer
    uint16_t mask;
    int expected;     // index + 1, or 0
  };
  const Row rows[] = {
      // 7 mm from a point of size 5: the radius is never below 8.
      {"7 mm, size 5", 5, 7, 6, Landmark, 1},
      // 9 mm is beyond the radius of 8.
      {"9 mm, size 5", 5, 9, 6, Landmark, 0},
      // A large marker is picked farther out.
      {"11 mm, size 12", 12, 11, 6, Landmark, 1},
      // Another slice: the point lies on frame 6, not on frame 7.
      {"next slice", 5, 0, 7, Landmark, 0},
      // Type masks share no bit.
      {"other tool", 5, 0, 6, Other_Tool, 0},
      // Any common bit is enough.
      {"shared bit", 5, 0, 6, Landmark | Other_Tool, 1},
  };
  for (const Row& row : rows) {
    ASSERT_EQ(Fct_Point_2D_Create(Landmark, Frame(6), 1, Point_2D(uint8_t(6), 30.0f, 30.0f), row.size, "p", 0xFF), 1);
    Pointer_On_Frame(30 + row.dx, 30);
    EXPECT_EQ(Fct_Point_2D_Capture(row.mask, Window(), Frame(row.slice)), row.expected) << row.why;
    if (row.dx > 0) {
      EXPECT_EQ(Current() != nullptr, row.expected == 1) << row.why << ": a miss clears the current point";
    }
    Pointer_On_Frame(30, 30);
    ASSERT_EQ(Fct_Point_2D_Delete(Landmark, Window(), Frame(6)), 1) << row.why;
    ASSERT_EQ(Count(), 0);
  }
}

TEST_F(Point_List, DragMovesTheCurrentPointAcrossFrames) {
  ASSERT_EQ(Fct_Point_2D_Create(Landmark, Frame(2), 1, Point_2D(uint8_t(6), 10.0f, 10.0f), 0, "moved", 0), 1);
  Pointer_On_Frame(50.5f, 20.5f);
  ASSERT_EQ(Fct_Point_2D_Drag(Landmark, Window(), Frame(11)), 1);
  Quarn_Point* p = Current();
  EXPECT_EQ(p->frame, Frame(11));
  EXPECT_EQ(p->pos.x, 50);
  EXPECT_EQ(p->pos.y, 20);
  EXPECT_EQ(p->pos.z, 11);
  EXPECT_EQ(p->pos_frm.z, 11);
  // Picked again where it went, not where it was.
  Pointer_On_Frame(10, 10);
  EXPECT_EQ(Fct_Point_2D_Capture(Landmark, Window(), Frame(2)), 0);
  *Var<Quarn_Point*>(L"$POINT_CUR") = nullptr;
  EXPECT_EQ(Fct_Point_2D_Drag(Landmark, Window(), Frame(2)), 0) << "no current point";
}

TEST_F(Point_List, DeleteKeepsTheListConsistent) {
  for (int i = 0; i < 3; ++i)
    ASSERT_EQ(Fct_Point_2D_Create(Landmark, Frame(5), i, Point_2D(uint8_t(6), 10.0f + 20 * i, 10.0f), 0, nullptr, 0), 1);
  Quarn_Point* last = Current();
  Pointer_On_Frame(31, 10);
  ASSERT_EQ(Fct_Point_2D_Delete(Landmark, Window(), Frame(5)), 1);
  int n = 0;
  Quarn_Point** items = List(&n);
  ASSERT_EQ(n, 2);
  EXPECT_EQ(std::wstring(items[0]->Name_Get()), L"Point_0");
  EXPECT_EQ(std::wstring(items[1]->Name_Get()), L"Point_2") << "later entries move down";
  EXPECT_EQ(Current(), last) << "deleting another point keeps the current one";
  Pointer_On_Frame(50, 10);
  ASSERT_EQ(Fct_Point_2D_Delete(Landmark, Window(), Frame(5)), 1);
  EXPECT_EQ(Current(), nullptr) << "deleting the current point clears it";
  Pointer_On_Frame(10, 10);
  ASSERT_EQ(Fct_Point_2D_Delete(Landmark, Window(), Frame(5)), 1);
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(*Var<Quarn_Point**>(L"$POINT_PT"), nullptr) << "the last delete frees the array";
}

TEST_F(Point_List, EmptyListAndMissingFrameAreAnsweredWithZero) {
  Pointer_On_Frame(10, 10);
  Pointer_In_Window(50, 50);
  struct Row {
    const char* why;
    int (*call)(Quarn_Window*, Quarn_2D_Frame*);
    bool needs_points;
  };
  const Row rows[] = {
      {"2D capture, empty list", [](Quarn_Window* w, Quarn_2D_Frame* f) { return Fct_Point_2D_Capture(Landmark, w, f); }, false},
      {"2D delete, empty list", [](Quarn_Window* w, Quarn_2D_Frame* f) { return Fct_Point_2D_Delete(Landmark, w, f); }, false},
      {"2D drag, no current", [](Quarn_Window* w, Quarn_2D_Frame* f) { return Fct_Point_2D_Drag(Landmark, w, f); }, false},
      {"3D capture, empty list", [](Quarn_Window* w, Quarn_2D_Frame*) { return Fct_Point_3D_Capture(Landmark, w); }, false},
      {"3D delete, empty list", [](Quarn_Window* w, Quarn_2D_Frame*) { return Fct_Point_3D_Delete(Landmark, w); }, false},
      {"3D insert, no surface", [](Quarn_Window* w, Quarn_2D_Frame*) { return Fct_Point_3D_Insert(Landmark, w, 1, "x"); }, false},
      {"2D insert, no frame", [](Quarn_Window* w, Quarn_2D_Frame*) { return Fct_Point_2D_Insert(Landmark, w, nullptr, 1, "x"); }, false},
      {"2D capture, no frame", [](Quarn_Window* w, Quarn_2D_Frame*) { return Fct_Point_2D_Capture(Landmark, w, nullptr); }, true},
      {"2D delete, no frame", [](Quarn_Window* w, Quarn_2D_Frame*) { return Fct_Point_2D_Delete(Landmark, w, nullptr); }, true},
  };
  for (const Row& row : rows) {
    if (row.needs_points && Count() == 0) {
      ASSERT_EQ(Fct_Point_2D_Create(Landmark, Frame(1), 1, Point_2D(uint8_t(6), 10.0f, 10.0f), 0, "p", 0), 1);
    }
    if (row.needs_points) *Var<Quarn_Point*>(L"$POINT_CUR") = nullptr;
    EXPECT_EQ(row.call(Window(), Frame(1)), 0) << row.why;
  }
}

TEST_F(Point_List, AutomaticColoursTurnAroundTheHueCircle) {
  float previous = -1;
  for (int i = 0; i < 6; ++i) {
    ASSERT_EQ(Fct_Point_2D_Create(Landmark, nullptr, i, Point_2D(uint8_t(6), 0.0f, 0.0f), 0, nullptr, 0), 1);
    const uint32_t c = Current()->color;
    float h = float(c & 0xFF) / 255, l = float(c >> 8 & 0xFF) / 255, s = float(c >> 16 & 0xFF) / 255;
    Host_RGB_To_HLS(&h, &l, &s);
    EXPECT_NEAR(l, 0.5f, 0.01f) << i;
    EXPECT_NEAR(s, 1.0f, 0.01f) << i;
    if (previous >= 0) {
      float turn = h - previous;
      if (turn < 0) turn += 1;
      EXPECT_GE(turn, 0.69f) << i;
      EXPECT_LE(turn, 0.81f) << i;
    }
    previous = h;
  }
}

TEST_F(Point_List, SurfacePointsArePlacedPickedDraggedAndDeletedThroughTheRay) {
  // An orthographic view down z of the cube of half size 40 around (32, 32, 10).
  Window()->width = Window()->height = 200;
  Window()->size_3d = 80;
  Mat4& b = Window()->view_b;
  b.init();
  b.m[3][0] = -32, b.m[3][1] = -32, b.m[3][2] = -10;
  Window()->view_c.init();
  Window()->view_c.m[0][0] = Window()->view_c.m[1][1] = Window()->view_c.m[2][2] = 1.0 / 40;
  Add(mesh_shapes::Sphere(32, 64, 6, 32, 32, 10), 1);
  Pointer_In_Window(101, 101);  // just off the centre: onto the sphere's top near z = 4
  ASSERT_EQ(Fct_Point_3D_Insert(Landmark, Window(), 5, "top"), 1);
  Quarn_Point* p = Current();
  EXPECT_NEAR(p->pos.x, 32.4, 0.01);
  EXPECT_NEAR(p->pos.z, 4.03, 0.05);
  EXPECT_EQ(p->frame, Frame(4)) << "attached to the nearest slice";
  EXPECT_EQ(Fct_Point_3D_Get_Frame(p), Frame(4));

  Pointer_In_Window(103, 100);  // 0.9 mm away: inside 10 pixels of 80 mm over 200 pixels
  EXPECT_EQ(Fct_Point_3D_Capture(Landmark, Window()), 1);
  EXPECT_EQ(Fct_Point_3D_Capture(Other_Tool, Window()), 0) << "3D types compare equal, not by mask";
  Pointer_In_Window(112, 100);  // 4.4 mm away: outside
  *Var<Quarn_Point*>(L"$POINT_CUR") = p;
  EXPECT_EQ(Fct_Point_3D_Capture(Landmark, Window()), 0);
  EXPECT_EQ(Current(), nullptr);

  *Var<Quarn_Point*>(L"$POINT_CUR") = p;
  Pointer_In_Window(110, 100);  // 4 mm along x on the sphere
  ASSERT_EQ(Fct_Point_3D_Drag(Landmark, Window()), 1);
  EXPECT_NEAR(p->pos.x, 36, 0.02);
  EXPECT_NEAR(std::hypot(p->pos.x - 32, p->pos.z - 10), 6, 0.05) << "still on the sphere";
  Pointer_In_Window(5, 5);
  EXPECT_EQ(Fct_Point_3D_Drag(Landmark, Window()), 0) << "a drag off every surface leaves it";
  EXPECT_NEAR(p->pos.x, 36, 0.02);

  Pointer_In_Window(110, 100);
  EXPECT_EQ(Fct_Point_3D_Delete(Landmark, Window()), 1);
  EXPECT_EQ(Count(), 0);
}

TEST_F(Point_List, APointFarFromItsFrameIsReattachedToTheNearest) {
  ASSERT_EQ(Fct_Point_3D_Create(Landmark, nullptr, 1, Point_3D(uint8_t(2), 20.0f, 20.0f, 7.2f), 0, "p", 0), 1);
  Quarn_Point* p = Current();
  EXPECT_EQ(p->frame, Frame(7));
  p->pos.z = 13.4f;  // moved by someone else, more than one slice away from its frame
  EXPECT_EQ(Fct_Point_3D_Get_Frame(p), Frame(13));
  p->pos.x = -5;  // outside every frame
  EXPECT_EQ(Fct_Point_3D_Get_Frame(p), nullptr);
  p->pos.x = 20;
  p->group = axial_->group;
  EXPECT_EQ(Fct_Point_3D_Get_Frame(p), Frame(13)) << "searched within its group";
  Database_Geom_Cleanup();
  EXPECT_EQ(p->group, nullptr);
  EXPECT_EQ(p->frame, nullptr) << "the links to the 2D tree are cut before the tree goes";
}

}  // namespace
}  // namespace geom_test
