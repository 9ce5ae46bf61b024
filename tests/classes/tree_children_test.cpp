// Child lists and parent links of the three trees, the empty-node rule and the exchange sort.
#include "classes/Tree_Kinds.h"

namespace {

using namespace tree_test;

template <class K>
class Tree_Children : public Tree_Test {
protected:
  using Root = typename K::Root;
  using Node = typename K::Node;
  /// Adds a child named name with sort key key (none when null).
  static Node* Add(typename K::Base* parent, const wchar_t* name, const char* key = nullptr) {
    auto* n = new Node(name);
    if (key) n->Sort_Set("%s", key);
    parent->Child_Add(n);
    return n;
  }
};
TYPED_TEST_SUITE(Tree_Children, All_Kinds, Kind_Name);

TYPED_TEST(Tree_Children, AddAndInsertLinkParentKeepOrderAndRefuseOutsidePositions) {
  using Node = typename TestFixture::Node;
  typename TestFixture::Root root;
  auto* b = this->Add(&root, L"b");
  auto* d = this->Add(&root, L"d");
  ASSERT_EQ(root.Child_Insert(0, new Node(L"a")), 1);  // front
  ASSERT_EQ(root.Child_Insert(2, new Node(L"c")), 1);  // middle
  ASSERT_EQ(root.Child_Insert(4, new Node(L"e")), 1);  // end (pos == count)
  EXPECT_EQ(Child_Names(&root), "a b c d e");
  EXPECT_EQ(b->Parent_Get_Pt(), &root);
  EXPECT_EQ(root.Child_Get_Id(d), 3);
  Node stranger(L"x");
  EXPECT_EQ(root.Child_Get_Id(&stranger), -1);
  Host_Report_Capture capture;
  EXPECT_EQ(root.Child_Insert(6, &stranger), 0);
  EXPECT_EQ(root.Child_Insert(-1, &stranger), 0);
  EXPECT_EQ(root.Child_Get_Nb(), 5);
  EXPECT_EQ(capture.Count(quarn::msg::Invalid), 2u);
  EXPECT_EQ(stranger.Parent_Get_Pt(), nullptr);
}

TYPED_TEST(Tree_Children, ChildGetPtTakesTheIndexModuloTheCount) {
  typename TestFixture::Root root;
  EXPECT_EQ(root.Child_Get_Pt(0), nullptr);  // no child at all
  for (const wchar_t* name : {L"a", L"b", L"c"}) this->Add(&root, name);
  struct Case {
    int index;
    const wchar_t* name;
  };
  const Case cases[] = {
      {2, L"c"},
      {-1, L"c"},  // last
      {-3, L"a"},  // wraps once backwards
      {3, L"a"},   // count is the first
      {7, L"b"},   // several turns
  };
  for (const Case& c : cases) EXPECT_STREQ(root.Child_Get_Pt(c.index)->Name_Get(), c.name) << "index " << c.index;
}

TYPED_TEST(Tree_Children, RemovingTheLastChildRemovesEmptiedAttachedGroupsUpTheTree) {
  typename TestFixture::Root root;
  auto* g1 = this->Add(&root, L"g1");
  auto* g2 = this->Add(g1, L"g2");
  auto* leaf = this->Add(g2, L"leaf");
  Destroyed() = 0;
  EXPECT_EQ(g2->Child_Remove(leaf), leaf);
  EXPECT_EQ(Destroyed(), 2);          // g2, then g1 which it emptied
  EXPECT_EQ(root.Child_Get_Nb(), 0);  // the root has no parent and stays
  EXPECT_EQ(leaf->Parent_Get_Pt(), nullptr);

  // The cascade stops at a group that keeps a child.
  g1 = this->Add(&root, L"g1");
  g2 = this->Add(g1, L"g2");
  this->Add(g1, L"g3");
  g2->Child_Add(leaf);
  Destroyed() = 0;
  EXPECT_EQ(g2->Child_Remove(0), leaf);  // by position
  EXPECT_EQ(Destroyed(), 1);             // only g2
  EXPECT_EQ(Child_Names(g1), "g3");

  // Deleting does not cascade: the empty group stays.
  auto* g4 = this->Add(&root, L"g4");
  g4->Child_Add(leaf);
  Destroyed() = 0;
  EXPECT_EQ(g4->Child_Delete(leaf), 1);
  EXPECT_EQ(Destroyed(), 1);
  EXPECT_EQ(Child_Names(&root), "g1 g4");

  // A detached group has no parent to leave and stays.
  typename TestFixture::Node detached(L"d");
  auto* only = this->Add(&detached, L"only");
  EXPECT_EQ(detached.Child_Remove(0), only);
  EXPECT_EQ(detached.Child_Get_Nb(), 0);
  delete only;
}

TYPED_TEST(Tree_Children, DeleteAllAndDestructionReleaseWholeSubtrees) {
  auto* root = new typename TestFixture::Root;
  this->Add(root, L"a");
  typename TestFixture::Node stranger(L"x");
  Destroyed() = 0;
  EXPECT_EQ(root->Child_Delete(&stranger), 1);  // a foreign node changes nothing
  EXPECT_EQ(root->Child_Remove(&stranger), nullptr);
  EXPECT_EQ(Destroyed(), 0);
  EXPECT_EQ(root->Child_Delete(), 1);
  EXPECT_EQ(Destroyed(), 1);
  EXPECT_EQ(root->Child_Get_Nb(), 0);
  auto* g = this->Add(root, L"g");  // usable again
  this->Add(g, L"a");
  this->Add(g, L"b");
  this->Add(root, L"c");
  EXPECT_EQ(Child_Names(root), "g c");
  Destroyed() = 0;
  delete root;
  EXPECT_EQ(Destroyed(), 4);
}

TYPED_TEST(Tree_Children, NullNodeIsReportedNotTouched) {
  typename TypeParam::Base* volatile none = nullptr;  // volatile: the compiler must not see the null
  Host_Report_Capture capture;
  EXPECT_EQ(none->Parent_Get_Pt(), nullptr);
  EXPECT_EQ(none->Child_Get_Nb(), 0);
  EXPECT_EQ(none->Child_Get_Pt(0), nullptr);
  // Each report is the family's null text with the label, then the source line.
  const auto lines = capture.Texts(quarn::msg::Invalid);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_NE(lines[0].find("class pointer in Quarn_"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("::Parent_Get_Pt"), std::string::npos) << lines[0];
  EXPECT_EQ(lines[1].rfind("file:", 0), 0u) << lines[1];
}

// ---- sort --------------------------------------------------------------------------------------

TYPED_TEST(Tree_Children, SortOrdersByKeyAndLeavesGrandchildrenUnlessRecursive) {
  typename TestFixture::Root root;
  this->Add(&root, L"B", "b");
  auto* a = this->Add(&root, L"A", "a");
  this->Add(&root, L"C", "c");
  this->Add(a, L"y");
  this->Add(a, L"x");
  EXPECT_EQ(root.Sort(0), 1);
  EXPECT_EQ(Child_Names(&root), "A B C");
  EXPECT_EQ(Child_Names(a), "y x");  // not recursive
  EXPECT_EQ(root.Sort(1), 1);
  EXPECT_EQ(Child_Names(a), "x y");  // keyless children sort by name
}

TYPED_TEST(Tree_Children, SortKeysCompareBytewiseUnsigned) {
  typename TestFixture::Root root;
  struct Case {
    const char* key;
    const wchar_t* name;
  };
  // Added in an order that needs every comparison to come out right.
  const Case cases[] = {
      {"z", L"z"},
      {"\xC3\xA9", L"e-acute"},  // UTF-8 bytes above 0x7F sort after ASCII
      {"B", L"B"},               // capitals before small letters
      {"a", L"a"},
      {"a1", L"a1"},             // a prefix sorts first
      {nullptr, L"Name"},        // no key: its name takes part as UTF-8
  };
  for (const Case& c : cases) this->Add(&root, c.name, c.key);
  root.Sort(0);
  EXPECT_EQ(Child_Names(&root), "B Name a a1 z e-acute");
}

TYPED_TEST(Tree_Children, ExchangeSortMayReorderEqualKeys) {
  typename TestFixture::Root root;
  this->Add(&root, L"b1", "b");
  this->Add(&root, L"b2", "b");
  this->Add(&root, L"a", "a");
  root.Sort(0);
  // The first pass swaps b1 with a, the second leaves b2 and b1 as they are.
  EXPECT_EQ(Child_Names(&root), "a b2 b1");
  root.Sort(0);  // sorting a sorted list with ties changes nothing further
  EXPECT_EQ(Child_Names(&root), "a b2 b1");
}

TYPED_TEST(Tree_Children, CompareAndSortGetFollowTheKey) {
  typename TestFixture::Node n(L"Name e"), m(L"other");
  EXPECT_STREQ(n.Sort_Get(), "Name e");  // no key: the name
  EXPECT_EQ(n.Sort_Set("k%03d", 7), 1);
  EXPECT_STREQ(n.Sort_Get(), "k007");
  EXPECT_EQ(n.Compare(&m), -1);
  EXPECT_EQ(m.Sort_Set("k007"), 1);
  EXPECT_EQ(n.Compare(&m), 0);
  std::string long_key(1024, 'x');
  EXPECT_EQ(n.Sort_Set("%s", long_key.c_str()), 0);  // does not fit: the key is dropped
  EXPECT_STREQ(n.Sort_Get(), "Name e");
}

TEST_F(Tree_Test, KindsCarryTheirIdentity) {
  Quarn_1D_Root root_1d;
  Quarn_2D_Root root_2d;
  Quarn_3D_Root root_3d;
  Quarn_1D_Data data(&root_1d, nullptr, 3);
  EXPECT_EQ(root_1d.Class_A_Get(), 0x1001);
  EXPECT_EQ(root_2d.Class_AB_Get(), 0x20010000u);
  EXPECT_EQ(root_3d.Class_A_Get(), 0x3001);
  EXPECT_EQ(data.Class_A_Get(), 0x1FFF);
  EXPECT_STREQ(data.Name_Get(), L"no name");  // no file, so no description to name it
  // The data node links to its parent; the parent's insert function adds it to the list.
  EXPECT_EQ(data.Parent_Get_Pt(), &root_1d);
  EXPECT_EQ(root_1d.Child_Get_Nb(), 0);
  EXPECT_EQ(data.Curve_Index_Get(), 3);
  EXPECT_STREQ(data.Icon_Name(), L"icon folder.tga");
}

TEST_F(Tree_Test, Each2DNodeTakesTheNextSerialNumber) {
  Host().db_2d_index = 41;
  Quarn_2D_Root first;
  Quarn_2D_Root second;
  Quarn_3D_Root other_tree;  // the 1D and 3D trees leave the counter alone
  EXPECT_EQ(first.db_index, 42u);
  EXPECT_EQ(second.db_index, 43u);
  EXPECT_EQ(Host().db_2d_index, 43u);
}

}  // namespace
