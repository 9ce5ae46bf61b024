// Propagation of the per-window bit words: mode x selector x condition on real trees, and how
// the 2D tree differs from the 1D and 3D trees when a node fails a condition.
#include "classes/Tree_Kinds.h"

#include <map>
#include <memory>
#include <sstream>
#include <vector>

namespace {

using namespace tree_test;

constexpr uint64_t Mark = 0x8000;  // a bit no condition reads

/// Selector of a table row: the reserved values 0, 4, 8, or window i as Win + i.
constexpr int Win = 100;
void* Select(int s) { return s >= Win ? static_cast<void*>(Window(s - Win)) : Selector(uintptr_t(s)); }

/// The condition bit a mode tests (one per row at most).
uint64_t Condition_Bit(uint8_t mode) {
  if (mode & 0x01) return quarn::flag::Selected;
  if (mode & 0x02) return quarn::flag::Visible;
  if (mode & 0x04) return quarn::flag::Current;
  return 0;
}

/// R with children A (a1, a2) and B (b1).
template <class K>
struct Walk_Tree {
  using Base = typename K::Base;
  typename K::Root root;
  std::map<std::string, Base*> node;
  const std::vector<std::string> order{"R", "A", "a1", "a2", "B", "b1"};

  Walk_Tree() {
    node["R"] = &root;
    Add("R", "A");
    Add("A", "a1");
    Add("A", "a2");
    Add("R", "B");
    Add("B", "b1");
  }
  void Add(const std::string& parent, const std::string& name) {
    auto* n = new typename K::Node(Host_Char_To_Wide(name.c_str()));
    node[parent]->Child_Add(n);
    node[name] = n;
  }
  /// Sets bit on every "name:index" of the list.
  void Preset(const std::string& list, uint64_t bit) {
    std::istringstream in(list);
    std::string item;
    while (in >> item) {
      const size_t colon = item.find(':');
      node[item.substr(0, colon)]->Flag_Set_On(0x10, Window(std::stoi(item.substr(colon + 1))), bit);
    }
  }
};

/// One bit word of a tree, reached through its public operations.
template <class Base>
struct Word_Ops {
  const char* name;
  void (Base::*set_on)(unsigned char, void*, uint64_t);
  void (Base::*set_off)(unsigned char, void*, uint64_t);
  uint64_t (Base::*get)(unsigned char, void*, uint64_t);
};

/// Every "name:index" whose word has the mark, in tree order.
template <class K, class Base>
std::string Marked(Walk_Tree<K>& tree, const Word_Ops<Base>& word) {
  std::string out;
  for (const std::string& name : tree.order)
    for (int i = 0; i < 10; ++i)
      if ((tree.node[name]->*word.get)(0x10, Window(i), Mark)) out += (out.empty() ? "" : " ") + name + ":" + std::to_string(i);
  return out;
}

struct Walk_Case {
  const char* what;
  uint8_t mode;
  int selector;
  const char* start;
  const char* preset;     // nodes and windows holding the mode's condition bit
  const char* expect_2d;  // marked words in the 2D tree
  const char* expect_1d;  // marked words in the 1D and 3D trees
};

// Windows 0, 1 and 2 are listed; window 1 is current.
const Walk_Case Walk_Cases[] = {
    {"self only", 0x10, Win + 1, "A", "", "A:1", "A:1"},
    {"node and subtree", 0x30, Win + 1, "A", "", "A:1 a1:1 a2:1", "A:1 a1:1 a2:1"},
    {"subtree without the node", 0x20, Win + 1, "A", "", "a1:1 a2:1", "a1:1 a2:1"},
    {"node and ancestors", 0x50, Win + 1, "a1", "", "R:1 A:1 a1:1", "R:1 A:1 a1:1"},
    {"ancestors without the node", 0x40, Win + 1, "a1", "", "R:1 A:1", "R:1 A:1"},
    {"up and down, siblings untouched", 0x70, Win + 2, "A", "", "R:2 A:2 a1:2 a2:2", "R:2 A:2 a1:2 a2:2"},
    {"null selector: every listed window", 0x10, 0, "A", "", "A:0 A:1 A:2", "A:0 A:1 A:2"},
    {"selector 4: the current window", 0x10, 4, "A", "", "A:1", "A:1"},
    {"selector 8: index 0", 0x10, 8, "A", "", "A:0", "A:0"},
    {"whole tree, every window", 0x30, 0, "R", "",
     "R:0 R:1 R:2 A:0 A:1 A:2 a1:0 a1:1 a1:2 a2:0 a2:1 a2:2 B:0 B:1 B:2 b1:0 b1:1 b1:2",
     "R:0 R:1 R:2 A:0 A:1 A:2 a1:0 a1:1 a1:2 a2:0 a2:1 a2:2 B:0 B:1 B:2 b1:0 b1:1 b1:2"},
    {"selected subtree, start selected", 0x31, Win + 1, "A", "A:1 a1:1", "A:1 a1:1", "A:1 a1:1"},
    {"selected subtree, start not selected", 0x31, Win + 1, "A", "a1:1 a2:2", "a1:1", ""},
    {"selected ancestors through an unselected one", 0x51, Win + 1, "a1", "a1:1 R:1", "R:1 a1:1", "a1:1"},
    {"visible leaves only", 0x32, Win + 1, "A", "A:1 a2:1", "A:1 a2:1", "A:1 a2:1"},
    {"current, per window of the list", 0x34, 0, "A", "A:0 A:2 a1:2", "A:0 A:2 a1:2", "A:0 A:2 a1:2"},
    {"selector 8 tests the condition over every window", 0x11, 8, "A", "A:2", "A:0", ""},
    {"selector 8 condition ignores unlisted windows", 0x11, 8, "A", "A:5", "", ""},
    {"selected tree, per window", 0x31, 0, "R", "R:0 R:1 A:1 a1:0", "R:0 R:1 A:1 a1:0", "R:0 R:1 A:1"},
    {"unlisted window passed directly", 0x30, Win + 7, "B", "", "B:7 b1:7", "B:7 b1:7"},
};

template <class K>
class Tree_Walk : public Tree_Test {
protected:
  using Base = typename K::Base;

  /// Runs every row with one word of the tree; expected is the 2D or the 1D/3D column.
  void Run(const Word_Ops<Base>& word, bool is_2d) {
    for (const Walk_Case& c : Walk_Cases) {
      Walk_Tree<K> tree;
      tree.Preset(c.preset, Condition_Bit(c.mode));
      (tree.node[c.start]->*word.set_on)(c.mode, Select(c.selector), Mark);
      EXPECT_EQ(Marked(tree, word), is_2d ? c.expect_2d : c.expect_1d) << word.name << ": " << c.what;
      // Set-off with the same arguments undoes exactly what set-on did.
      (tree.node[c.start]->*word.set_off)(c.mode, Select(c.selector), Mark);
      EXPECT_EQ(Marked(tree, word), "") << word.name << " off: " << c.what;
    }
  }
};
TYPED_TEST_SUITE(Tree_Walk, All_Kinds, Kind_Name);

TYPED_TEST(Tree_Walk, SetOnReachesWhatModeSelectorAndConditionsSay) {
  using Base = typename TestFixture::Base;
  if constexpr (std::is_same_v<Base, Quarn_2D>) {
    // The redraw and update words follow the same walk, with the conditions read from the flags.
    const Word_Ops<Quarn_2D> words[] = {
        {"flag", &Quarn_2D::Flag_Set_On, &Quarn_2D::Flag_Set_Off, &Quarn_2D::Flag_Get_Bit},
        {"redraw", &Quarn_2D::Redraw_Set_On, &Quarn_2D::Redraw_Set_Off, &Quarn_2D::Redraw_Get_Bit},
        {"update A", &Quarn_2D::Update_A_Set_On, &Quarn_2D::Update_A_Set_Off, &Quarn_2D::Update_A_Get_Bit},
        {"update B", &Quarn_2D::Update_B_Set_On, &Quarn_2D::Update_B_Set_Off, &Quarn_2D::Update_B_Get_Bit},
    };
    for (const auto& word : words) this->Run(word, true);
  } else {
    this->Run({"flag", &Base::Flag_Set_On, &Base::Flag_Set_Off, &Base::Flag_Get_Bit}, false);
  }
}

struct Get_Case {
  const char* what;
  uint8_t mode;
  int selector;
  const char* start;
  const char* preset;  // condition bits, as in the walk table
  const char* marked;  // words holding the mark before the get
  bool expect_2d;      // whether the get answers the mark
  bool expect_1d;
};

const Get_Case Get_Cases[] = {
    {"own word, that window", 0x10, Win + 1, "A", "", "A:1", true, true},
    {"own word, other window", 0x10, Win + 2, "A", "", "A:1", false, false},
    {"selector 8 reads index 0 only", 0x10, 8, "A", "", "A:1", false, false},
    {"selector 8 at index 0", 0x10, 8, "A", "", "A:0", true, true},
    {"null selector: any listed window", 0x10, 0, "A", "", "A:2", true, true},
    {"null selector skips unlisted windows", 0x10, 0, "A", "", "A:6", false, false},
    {"current window", 0x10, 4, "A", "", "A:1", true, true},
    {"union over the subtree", 0x30, Win + 1, "A", "", "a2:1", true, true},
    {"subtree does not look up", 0x30, Win + 1, "A", "", "R:1", false, false},
    {"union over the ancestors", 0x50, Win + 1, "a1", "", "R:1", true, true},
    {"selected descendant under an unselected start", 0x31, Win + 1, "R", "a1:1", "a1:1", true, false},
    {"unselected descendant", 0x31, Win + 1, "R", "R:1 A:1", "a1:1", false, false},
};

TYPED_TEST(Tree_Walk, GetAnswersTheUnionOfWhatTheWalkReaches) {
  using Base = typename TestFixture::Base;
  constexpr bool is_2d = std::is_same_v<Base, Quarn_2D>;
  for (const Get_Case& c : Get_Cases) {
    Walk_Tree<TypeParam> tree;
    tree.Preset(c.preset, Condition_Bit(c.mode));
    tree.Preset(c.marked, Mark);
    const uint64_t got = tree.node[c.start]->Flag_Get_Bit(c.mode, Select(c.selector), Mark | 0x1);
    EXPECT_EQ(got & Mark, (is_2d ? c.expect_2d : c.expect_1d) ? Mark : 0) << c.what;
  }
}

TYPED_TEST(Tree_Walk, ToggleFlipsOnlyTheReachedWords) {
  using Base = typename TestFixture::Base;
  const Word_Ops<Base> flag{"flag", nullptr, nullptr, &Base::Flag_Get_Bit};
  Walk_Tree<TypeParam> tree;
  tree.Preset("A:1 a2:1", Mark);
  tree.node["A"]->Flag_Toggle(0x30, Window(1), Mark);
  EXPECT_EQ(Marked(tree, flag), "a1:1");
  tree.node["A"]->Flag_Toggle(0x30, Window(1), Mark);
  EXPECT_EQ(Marked(tree, flag), "A:1 a2:1");
}

TYPED_TEST(Tree_Walk, UnusableSelectorsAreReportedAndSkipped) {
  Walk_Tree<TypeParam> tree;
  Host().window[3]->Class_B_Set(12);  // an index beyond the per-window arrays
  Host_Report_Capture capture;
  tree.node["A"]->Flag_Set_On(0x10, Selector(2), Mark);  // a small value that is no selector
  tree.node["A"]->Flag_Set_On(0x10, Window(3), Mark);
  EXPECT_EQ(capture.Count(quarn::msg::Invalid), 2u);
  EXPECT_EQ(tree.node["A"]->Flag_Get_Bit(0x10, Selector(0), Mark), 0u);
}

TEST_F(Tree_Test, WithoutWindowListTheNullSelectorReachesNothing) {
  Host().window_nb = 0;
  Quarn_2D_Root root;
  root.Flag_Set_On(0x10, nullptr, Mark);
  Host().window_nb = 3;
  EXPECT_EQ(root.Flag_Get_Bit(0x10, nullptr, Mark), 0u);
  root.Flag_Set_On(0x10, Selector(8), Mark);  // selector 8 needs no list
  EXPECT_EQ(root.Flag_Get_Bit(0x10, Window(0), Mark), Mark);
}

TEST_F(Tree_Test, NewRootsStartWithTheirFlagWords) {
  Quarn_2D_Root root_2d;
  Quarn_1D_Root root_1d;
  Quarn_3D_Root root_3d;
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(root_2d.Flag_Get_Bit(0x10, Window(i), ~0ull), CLASS_FLAG_EXPAND) << i;
    EXPECT_EQ(root_1d.Flag_Get_Bit(0x10, Window(i), ~0ull), 0u) << i;
    EXPECT_EQ(root_3d.Flag_Get_Bit(0x10, Window(i), ~0ull), 0u) << i;
  }
}

// A kind that overrides the flag operations sees every node of a 2D walk.
struct Watching_Group : Group<Quarn_2D> {
  using Group::Group;
  static inline int calls = 0;
  void Flag_Set_On(unsigned char mode, void* window, uint64_t mask) override {
    ++calls;
    Quarn_2D::Flag_Set_On(mode, window, mask);
  }
};

TEST_F(Tree_Test, FlagWalksOfThe2DTreeGoThroughTheVirtualOperations) {
  Quarn_2D_Root root;
  auto* g = new Watching_Group(L"g");
  root.Child_Add(g);
  g->Child_Add(new Watching_Group(L"c1"));
  g->Child_Add(new Watching_Group(L"c2"));
  Watching_Group::calls = 0;
  root.Flag_Set_On(0x30, Window(1), Mark);
  EXPECT_EQ(Watching_Group::calls, 3);  // every group below the root, one call each
  root.Update_A_Set_On(0x30, Window(1), Mark);
  EXPECT_EQ(Watching_Group::calls, 3);  // the other words call themselves directly
}

TEST_F(Tree_Test, BitOperationsTraceTitleNameAndMask) {
  Quarn_2D_Root root;
  Host_Report_Capture capture;
  root.Flag_Set_Off(0x10, Window(0), 0x400);
  const auto lines = capture.Texts(quarn::msg::Class);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.front(), ">>> in  Class: Quarn_2D::Flag_Set_Off(Root:Root 2D, mask=0000000000000400)");
  EXPECT_EQ(lines.back(), "<<< out Class: Quarn_2D::Flag_Set_Off()");
}

}  // namespace
