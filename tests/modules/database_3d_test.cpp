// Tests of the 3D database root and its geometry leaves: names, closed surfaces, tag colours,
// and generation from the read files followed by the tag files.
#include "modules/Database_Host.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace database_test {
namespace {

/// A one-triangle surface, optionally named.
Host_Movie_Record* Triangle(const wchar_t* name = nullptr, const wchar_t* text = nullptr) {
  const float xyz[] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
  const int corners[] = {0, 1, 2};
  Host_Movie_Record* m = Host_Movie_Create(3, xyz, 1, 3, corners);
  if (m && name) m->name = wcsdup(name);
  if (m && text) m->text = wcsdup(text);
  return m;
}

/// A 3D file record taking over the surfaces.
Quarn_3D_File* Surface_File(const wchar_t* path, std::vector<Host_Movie_Record*> movies) {
  auto** list = static_cast<void**>(std::malloc(sizeof(void*) * (movies.size() + 1)));
  for (size_t i = 0; i < movies.size(); ++i) list[i] = movies[i];
  list[movies.size()] = nullptr;
  return new Quarn_3D_File(path, int(movies.size()), list);
}

class Database_3D : public Database_Host {
protected:
  void TearDown() override {
    Reset();
    Database_Host::TearDown();
  }
  void Reset() {
    Database_3D_Free();
    for (Quarn_3D_File* f : read_) delete f;
    for (Quarn_3D_File* f : tags_) delete f;
    read_.clear();
    tags_.clear();
    Publish();
  }
  void Publish() {
    *Var<Quarn_3D_File**>(L"$DB_3D_FILE_PT") = read_.data();
    *Var<int>(L"$DB_3D_FILE_NB") = int(read_.size());
    *Var<Quarn_3D_File**>(L"$DB_3D_TAG_PT") = tags_.data();
    *Var<int>(L"$DB_3D_TAG_NB") = int(tags_.size());
  }
  static Quarn_3D* Root_3D() { return *Var<Quarn_3D*>(L"$DB_3D_ROOT_PT"); }
  static std::wstring Leaf_Name(int i) { return Root_3D()->Child_Get_Pt(i)->Name_Get(); }
  std::vector<Quarn_3D_File*> read_;
  std::vector<Quarn_3D_File*> tags_;
};

TEST_F(Database_3D, GeometryNamesFollowTheSurfaceCount) {
  read_.push_back(Surface_File(L"/mesh/liver.stl", {Triangle(L"ignored")}));
  read_.push_back(Surface_File(L"/mesh/organs.obj",
                               {Triangle(L"Kidney"), Triangle(L"Spleen", L"second text"), Triangle()}));
  Publish();
  ASSERT_EQ(Database_3D_Tree_Generate(), 1);
  ASSERT_EQ(Root_3D()->Child_Get_Nb(), 4);
  const wchar_t* expected[] = {
      L"liver",       // a single surface takes the file's name
      L"Kidney",      // a named surface without a second text keeps its name
      L"organs #2",   // a second text falls back to the numbered file name
      L"organs #3",   // so does a nameless surface
  };
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Leaf_Name(i), expected[i]) << i;
  auto* geom = static_cast<Quarn_3D_Geom*>(Root_3D()->Child_Get_Pt(1));
  EXPECT_EQ(geom->Class_A_Get(), Quarn_3D_Geom::Class_A);
  EXPECT_EQ(geom->Class_B_Get(), 2);
  EXPECT_EQ(geom->movie, read_[1]->Movie_Get(0));
  EXPECT_EQ(geom->Flag_Get_Bit(0x10, W(2), 0x200), 0x200u);
}

TEST_F(Database_3D, TagFilesFollowReadFilesAndClosedOnesAreSkipped) {
  read_.push_back(Surface_File(L"/mesh/a.stl", {Triangle(L"A0"), Triangle(L"A1")}));
  tags_.push_back(Surface_File(L"Bone", {Triangle()}));
  read_[0]->movie_marks[0] = 0x40;
  Publish();
  Host_Report_Capture capture;
  ASSERT_EQ(Database_3D_Tree_Generate(), 1);
  ASSERT_EQ(Root_3D()->Child_Get_Nb(), 2);
  EXPECT_EQ(Leaf_Name(0), L"A1");
  EXPECT_EQ(Leaf_Name(1), L"Bone");
  EXPECT_TRUE(capture.Contains("--> Database_3D_File_Add(k:0 is CLOSED!)"));

  // A closed read file stops the generation before the tag files.
  read_[0]->state = 0x40;
  capture.Clear();
  EXPECT_EQ(Database_3D_Tree_Generate(), 0);
  EXPECT_EQ(Root_3D()->Child_Get_Nb(), 0);
  EXPECT_TRUE(capture.Contains("Failed in setup for file a"));
  EXPECT_FALSE(capture.Contains("add generated files"));
}

TEST_F(Database_3D, DeletedGeometryClosesItsSurfaceForTheNextGeneration) {
  // Regression: deleting a geometry left its surface open, so the next generation made it again.
  read_.push_back(Surface_File(L"/mesh/b.obj", {Triangle(L"B0"), Triangle(L"B1")}));
  tags_.push_back(Surface_File(L"Bone", {Triangle()}));
  Publish();
  ASSERT_EQ(Database_3D_Tree_Generate(), 1);
  ASSERT_EQ(Root_3D()->Child_Get_Nb(), 3);
  Root_3D()->Child_Delete(Root_3D()->Child_Get_Pt(0));
  Root_3D()->Child_Delete(Root_3D()->Child_Get_Pt(1));  // the tag file's surface
  EXPECT_EQ(read_[0]->movie_marks[0] & 0x40, 0x40);
  EXPECT_EQ(read_[0]->movie_marks[1] & 0x40, 0);
  EXPECT_EQ(tags_[0]->movie_marks[0] & 0x40, 0x40);
  Host_Report_Capture capture;
  ASSERT_EQ(Database_3D_Tree_Generate(), 1);
  ASSERT_EQ(Root_3D()->Child_Get_Nb(), 1);
  EXPECT_EQ(Leaf_Name(0), L"B1");
  EXPECT_TRUE(capture.Contains("--> Database_3D_File_Add(k:0 is CLOSED!)"));
}

TEST_F(Database_3D, ColourComesFromTheTagTablesCappedAtTheTagCount) {
  uint16_t* nb = Var<uint16_t>(L"$TAG_NB");
  const uint16_t* red = *Var<uint16_t*>(L"$TAG_RED");  // an array variable: its storage holds the table
  const uint16_t saved_nb = *nb;
  *nb = 2;
  Quarn_3D_Geom geom(nullptr, nullptr, 0);
  EXPECT_STREQ(geom.Name_Get(), L"generic");
  const struct {
    uint16_t tag;
    uint32_t red;  // expected red channel
  } rows[] = {
      {1, uint32_t(red[1] >> 8)},
      {2, uint32_t(red[2] >> 8)},
      {3, uint32_t(red[2] >> 8)},  // beyond $TAG_NB: the last tag's colour
  };
  EXPECT_EQ(geom.Color_Get(), 0xA0FFFFu);  // tag 0: the stored colour
  for (const auto& row : rows) {
    geom.TAG_Set(row.tag);
    EXPECT_EQ(geom.Color_Get() & 0xFF, row.red) << row.tag;
  }
  geom.TAG_Set(0);
  geom.Color_Set(1, 2, 3);
  EXPECT_EQ(geom.Color_Get(), 0x030201u);
  *nb = saved_nb;
}

TEST_F(Database_3D, CentreSpansTheSurfacesBoundingBoxes) {
  Host_Movie_Record* moved = Triangle();
  for (int i = 0; i < moved->node_count; ++i) {
    moved->nodes[i].pos.x += 10;
    moved->nodes[i].pos.z += 4;
  }
  Host_Movie_Init_Dim(moved);
  read_.push_back(Surface_File(L"/mesh/pair.obj", {Triangle(), moved}));
  Publish();
  ASSERT_EQ(Database_3D_Tree_Generate(), 1);
  // Window 1 has no frames selected: only the surfaces count, from (0, 0, 0) to (11, 1, 4).
  EXPECT_EQ(Fct_3D_Center(W(1)), 1);
  EXPECT_NEAR(W(1)->center_3d.x, 5.5f, 1e-5);
  EXPECT_NEAR(W(1)->center_3d.y, 0.5f, 1e-5);
  EXPECT_NEAR(W(1)->center_3d.z, 2.0f, 1e-5);
  EXPECT_NEAR(W(1)->size_3d, std::sqrt(138.0f), 1e-4);
}

}  // namespace
}  // namespace database_test
