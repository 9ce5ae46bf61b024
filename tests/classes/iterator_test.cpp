// Iterators: the slot table and its lock, the resumable walk on each tree with its class and mode
// filters, the window iterator, and opening and closing from several threads at once.
#include "classes/Iterator_Host.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace iterator_test;
using tree_test::Selector;
using tree_test::Window;

template <class Base>
Base* Next(uint16_t id, uint32_t node_class, void* window, unsigned char mode);
template <>
Quarn_1D* Next<Quarn_1D>(uint16_t id, uint32_t c, void* w, unsigned char m) { return Iterator_Class_1D(id, c, w, m); }
template <>
Quarn_2D* Next<Quarn_2D>(uint16_t id, uint32_t c, void* w, unsigned char m) { return Iterator_Class_2D(id, c, w, m); }
template <>
Quarn_3D* Next<Quarn_3D>(uint16_t id, uint32_t c, void* w, unsigned char m) { return Iterator_Class_3D(id, c, w, m); }

/// The names of every node one iterator yields until it answers null (capped, so a walk that
/// never ends fails instead of hanging).
template <class Base>
std::string Walk(Quarn* start, uint32_t node_class, void* window = nullptr, unsigned char mode = 0) {
  const uint16_t id = Iterator_Init("test walk", start);
  std::vector<Base*> found;
  while (found.size() < 1000)
    if (Base* n = Next<Base>(id, node_class, window, mode)) found.push_back(n);
    else break;
  Iterator_End(id);
  return Names(found);
}

// Groups G (class 0x2010) hold frames (0x2FFF, class B 1 or 2); H is a group nested in G2, E an
// empty group of its own class.
const char* const kTree2D =
    "R:2001 ( G1:2010 ( f1:2FFF:1 f2:2FFF:2 f3:2FFF:1 ) "
    "G2:2010 ( f4:2FFF:2 H:2010:1 ( f5:2FFF:2 ) E:2020 f6:2FFF:1 ) )";

class Iterator : public Iterator_Test {};

TEST_F(Iterator, WalkReturnsTopmostNodesOfTheClassInTreeOrder) {
  struct Case {
    const char* what;
    const char* start;
    uint32_t node_class;
    const char* expected;
  };
  const Case cases[] = {
      {"frames, from the root", "R", 0x2FFF, "f1 f2 f3 f4 f5 f6"},
      {"the root's own class: the root alone", "R", 0x2001, "R"},
      {"groups: the nested group H is inside a returned one", "R", 0x2010, "G1 G2"},
      {"class A with class B: frames of class B 2", "R", 0x2FFF0002, "f2 f4 f5"},
      {"class A with class B 0: H (class B 1) stays inside G2", "R", 0x20100000, "G1 G2"},
      {"class A with class B 1: G1, G2 are entered, H found", "R", 0x20100001, "H"},
      {"an empty group of the class", "R", 0x2020, "E"},
      {"a class nowhere in the tree", "R", 0x2FFD, ""},
      {"start at a group: its frames only", "G2", 0x2FFF, "f4 f5 f6"},
      {"a start node of the class is the only result", "f1", 0x2FFF, "f1"},
      {"a start group of the class is not entered", "G1", 0x2010, "G1"},
      {"a start leaf of another class yields nothing", "f1", 0x2010, ""},
  };
  for (const Case& c : cases) {
    Tree<Quarn_2D> tree(kTree2D);
    EXPECT_EQ(Walk<Quarn_2D>(tree[c.start], c.node_class), c.expected) << c.what;
  }
}

TEST_F(Iterator, ModeSkipsChildrenLackingTheBitsWithTheirSubtrees) {
  struct Case {
    const char* what;
    const char* preset;  // name:window:bits, bits of S (selected), V (visible), C (current)
    uint32_t node_class;
    uintptr_t selector;  // 0, 4, 8 or 100 + window index
    unsigned char mode;
    const char* expected;
  };
  const char* const all_but_g1 = "G2:1:V H:1:V E:1:V f1:1:V f2:1:V f3:1:V f4:1:V f5:1:V f6:1:V";
  const Case cases[] = {
      {"a group invisible in the window hides its visible frames", all_but_g1, 0x2FFF, 101, 0x02, "f4 f5 f6"},
      {"selector 4 is the current window, 1", all_but_g1, 0x2FFF, 4, 0x02, "f4 f5 f6"},
      {"nothing visible in window 2", all_but_g1, 0x2FFF, 102, 0x02, ""},
      {"without the condition the bits do not matter", "", 0x2FFF, 102, 0x00, "f1 f2 f3 f4 f5 f6"},
      {"null selector: visible in any window",
       "G1:0:V f1:0:V f2:0:V f3:0:V G2:1:V f4:1:V H:1:V f5:1:V f6:1:V", 0x2FFF, 0, 0x02,
       "f1 f2 f3 f4 f5 f6"},
      {"the current path", "G2:1:C H:1:C f5:1:C", 0x2FFF, 101, 0x04, "f5"},
      {"selected nodes", "G1:1:S f2:1:S G2:1:S f6:1:S", 0x2FFF, 101, 0x01, "f2 f6"},
      {"two conditions need both bits", "G2:1:VS f4:1:VS f6:1:V", 0x2FFF, 101, 0x03, "f4"},
      {"a returned group's subtree is not tested", "G2:1:V", 0x2010, 101, 0x02, "G2"},
      {"0x08 keeps colour frames only (none here)", "", 0x2FFF, 0, 0x08, ""},
      {"0x08 leaves groups alone", "", 0x2010, 0, 0x08, "G1 G2"},
  };
  for (const Case& c : cases) {
    Tree<Quarn_2D> tree(kTree2D);
    std::istringstream preset(c.preset);
    std::string item;
    while (preset >> item) {
      const size_t a = item.find(':'), b = item.rfind(':');
      uint64_t bits = 0;
      for (char k : item.substr(b + 1))
        bits |= k == 'S' ? quarn::flag::Selected : k == 'V' ? quarn::flag::Visible : quarn::flag::Current;
      tree[item.substr(0, a)]->Flag_Set_On(0x10, Window(std::stoi(item.substr(a + 1, b - a - 1))), bits);
    }
    void* window = c.selector >= 100 ? static_cast<void*>(Window(int(c.selector - 100))) : Selector(c.selector);
    EXPECT_EQ(Walk<Quarn_2D>(tree["R"], c.node_class, window, c.mode), c.expected) << c.what;
  }
}

// The same walk on each tree; null start walks from the roots the host variables give, and a
// start node replaces the root of its own tree only.
TEST_F(Iterator, EachTreeStartsAtItsRootOrAtTheStartNodeOfThatTree) {
  Tree<Quarn_1D> t1("R1:1001 ( A1:1010 ( a:1FFF b:1FFF ) c:1FFF )");
  Tree<Quarn_2D> t2("R2:2001 ( A2:2010 ( d:2FFF e:2FFF ) f:2FFF )");
  Tree<Quarn_3D> t3("R3:3001 ( A3:3010 ( g:3FFF h:3FFF ) i:3FFF )");
  *Var<void*>(L"$DB_1D_ROOT_PT") = t1.root;
  *Var<void*>(L"$DB_2D_ROOT_PT") = t2.root;
  *Var<void*>(L"$DB_3D_ROOT_PT") = t3.root;
  struct Case {
    const char* what;
    Quarn* start;
    std::string d1, d2, d3;  // leaves of each tree's walk
  };
  const Case cases[] = {
      {"no start: every root", nullptr, "a b c", "d e f", "g h i"},
      {"a 1D start", t1["A1"], "a b", "d e f", "g h i"},
      {"a 2D start", t2["A2"], "a b c", "d e", "g h i"},
      {"a 3D start", t3["A3"], "a b c", "d e f", "g h"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Walk<Quarn_1D>(c.start, 0x1FFF), c.d1) << c.what;
    EXPECT_EQ(Walk<Quarn_2D>(c.start, 0x2FFF), c.d2) << c.what;
    EXPECT_EQ(Walk<Quarn_3D>(c.start, 0x3FFF), c.d3) << c.what;
  }
  // The colour filter is the 2D tree's alone.
  EXPECT_EQ(Walk<Quarn_1D>(nullptr, 0x1FFF, nullptr, 0x08), "a b c");
  EXPECT_EQ(Walk<Quarn_3D>(nullptr, 0x3FFF, nullptr, 0x08), "g h i");
  EXPECT_EQ(Walk<Quarn_2D>(nullptr, 0x2FFF, nullptr, 0x08), "");
}

TEST_F(Iterator, TwoIteratorsOnOneTreeKeepTheirOwnPlace) {
  Tree<Quarn_2D> tree(kTree2D);
  const uint16_t a = Iterator_Init("a", tree.root);
  const uint16_t b = Iterator_Init("b", tree.root);
  ASSERT_NE(a, b);
  std::vector<Quarn_2D*> from_a, from_b;
  for (int step = 0; step < 10; ++step) {
    if (Quarn_2D* n = Iterator_Class_2D(a, 0x2FFF, nullptr, 0)) from_a.push_back(n);
    if (step % 2)
      if (Quarn_2D* n = Iterator_Class_2D(b, 0x2FFF, nullptr, 0)) from_b.push_back(n);
  }
  while (Quarn_2D* n = Iterator_Class_2D(b, 0x2FFF, nullptr, 0)) from_b.push_back(n);
  EXPECT_EQ(Names(from_a), "f1 f2 f3 f4 f5 f6");
  EXPECT_EQ(from_a, from_b);
  // A finished walk stays finished.
  EXPECT_EQ(Iterator_Class_2D(a, 0x2FFF, nullptr, 0), nullptr);
  Iterator_End(a);
  Iterator_End(b);
}

TEST_F(Iterator, TreesDeeperThanTheStackAreCutWithAReport) {
  Tree<Quarn_2D> tree("R:2001");
  Quarn_2D* parent = tree.root;
  for (int level = 0; level < 300; ++level) {
    auto* g = new Group<Quarn_2D>(L"g");
    g->Class_A_Set(0x2010);
    parent->Child_Add(g);
    parent = g;
  }
  auto* leaf = new Group<Quarn_2D>(L"deep");
  leaf->Class_A_Set(0x2FFF);
  parent->Child_Add(leaf);
  Host_Report_Capture capture;
  EXPECT_EQ(Walk<Quarn_2D>(tree.root, 0x2FFF), "");
  EXPECT_TRUE(capture.Contains("tree deeper than 255 levels, subtree skipped"));
}

TEST_F(Iterator, BadIdsFindNothing) {
  Tree<Quarn_2D> tree(kTree2D);
  const uint16_t ended = Iterator_Init("ended", tree.root);
  Iterator_End(ended);
  struct Case {
    const char* what;
    uint16_t id;
    const char* report;  // class 2 report, or none
  };
  const Case cases[] = {
      {"id 0, a failed Init: quietly nothing", 0, nullptr},
      {"beyond the table", 300, "Invalid iterator id 300 in Iterator_Class_2D"},
      {"an ended iterator", ended, "is not in use in Iterator_Class_2D"},
  };
  for (const Case& c : cases) {
    Host_Report_Capture capture;
    EXPECT_EQ(Iterator_Class_2D(c.id, 0x2FFF, nullptr, 0), nullptr) << c.what;
    EXPECT_EQ(Iterator_Window(c.id, 0), nullptr) << c.what;
    if (c.report) EXPECT_TRUE(capture.Contains(c.report)) << c.what;
    else EXPECT_EQ(capture.Count(quarn::msg::Invalid), 0u) << c.what;
  }
}

TEST_F(Iterator, StartObjectsThatAreNoTreeNodeAreRefused) {
  Host_Report_Capture capture;
  EXPECT_EQ(Iterator_Init("window start", Window(0)), 0);
  EXPECT_TRUE(capture.Contains("Invalid start object (magic ACBC) for Iterator_Init(window start)"));
}

TEST_F(Iterator, TheTableHoldsTwoHundredFiftyFiveAndDumpsItselfWhenFull) {
  std::vector<uint16_t> ids;
  for (int i = 1; i <= 255; ++i) {
    const std::string label = "holder " + std::to_string(i);
    ids.push_back(Iterator_Init(label.c_str(), nullptr));
    ASSERT_NE(ids.back(), 0) << i;
  }
  std::vector<uint16_t> sorted = ids;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(std::unique(sorted.begin(), sorted.end()), sorted.end());
  EXPECT_EQ(sorted.front(), 1);
  EXPECT_EQ(sorted.back(), 255);
  {
    Host_Report_Capture capture;
    EXPECT_EQ(Iterator_Init("one too many", nullptr), 0);
    const auto errors = capture.Texts(quarn::msg::Memory);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "ERROR: No more free Iterator slots for (one too many)!");
    const auto dump = capture.Texts(quarn::msg::Low_File);
    ASSERT_EQ(dump.size(), 256u);
    EXPECT_EQ(dump[0], "Iterator[0] = ---");
    EXPECT_EQ(dump[ids[6]], "Iterator[" + std::to_string(ids[6]) + "] = holder 7");
    EXPECT_TRUE(capture.Contains("<<< out Fct: Iterator_Init(! iter_id)"));
  }
  // Ending one frees exactly that slot for the next.
  Iterator_End(ids[99]);
  EXPECT_EQ(Iterator_Init("reuse", nullptr), ids[99]);
  EXPECT_EQ(Iterator_Init("still full", nullptr), 0);
  for (uint16_t id : ids) Iterator_End(id);
}

TEST_F(Iterator, WindowIteratorWalksTheListAndSkipsWindowsThatAreOff) {
  struct Case {
    const char* what;
    int window_nb;
    const char* on;  // on switch of windows 0, 1, 2
    char mode;
    const char* expected;
    const char* last_exit;
  };
  const Case cases[] = {
      {"every window in list order", 3, "101", 0, "Window 0 Window 1 Window 2", "(>= *Window_Nb)"},
      {"0x02 skips windows that are off", 3, "101", 0x02, "Window 0 Window 2", "(>= *Window_Nb)"},
      {"0x02 with every window off", 3, "000", 0x02, "", "(>= *Window_Nb)"},
      {"no window at all", 0, "111", 0, "", "(! *Window_Nb)"},
  };
  for (const Case& c : cases) {
    tree_test::Host().window_nb = c.window_nb;
    for (int i = 0; i < 3; ++i) tree_test::Host().window[i]->on = uint8_t(c.on[i] == '1');
    Host_Report_Capture capture;
    const uint16_t id = Iterator_Init("windows", nullptr);
    std::vector<Quarn_Window*> found;
    while (Quarn_Window* w = Iterator_Window(id, c.mode)) found.push_back(w);
    Iterator_End(id);
    EXPECT_EQ(Names(found), c.expected) << c.what;
    const auto lines = capture.Texts(quarn::msg::Iterator);
    EXPECT_TRUE(std::find(lines.begin(), lines.end(), std::string("<<< out Fct: Iterator_Window") + c.last_exit) !=
                lines.end())
        << c.what;
    const size_t skipped = size_t(std::count(lines.begin(), lines.end(), "<<< out Fct: Iterator_Window(window off)"));
    EXPECT_EQ(skipped, c.mode & 0x02 ? size_t(std::count(c.on, c.on + 3, '0')) : 0u) << c.what;
  }
}

/// The lock marker: arrow, level 5, the table's name and 43 more arrows.
std::string Marker(const std::string& arrow) {
  std::string s = arrow + "5" + arrow + arrow + arrow + arrow + " Iterator ";
  for (int i = 0; i < 43; ++i) s += arrow;
  return s;
}

TEST_F(Iterator, InitAndEndBracketTheTableLock) {
  Host_Report_Capture capture;
  const uint16_t id = Iterator_Init("bracketed", nullptr);
  Iterator_End(id);
  const auto markers = capture.Texts(quarn::msg::Iterator_Lock);
  const std::string down = Marker("▼"), up = Marker("▲");
  const std::vector<std::string> expected = {down + " \"bracketed\"", up + " \"bracketed\"",
                                             down + " \"Iterator_End\"", up + " \"Iterator_End\""};
  EXPECT_EQ(markers, expected);
  const auto calls = capture.Texts(quarn::msg::Iterator);
  EXPECT_EQ(calls.front(), ">>> in  Fct: Iterator_Init(bracketed)");
  EXPECT_EQ(calls[1], "<<< out Fct: Iterator_Init(id:" + std::to_string(id) + ")");
  EXPECT_EQ(Iterator_Critical_Depth(), 0);
}

TEST_F(Iterator, LockMisuseIsReportedAndLeavesTheLockUsable) {
  Host_Report_Capture capture;
  Iterator_Critical_In("outer");
  Iterator_Critical_In("inner");
  EXPECT_TRUE(capture.Contains("ERROR: called Iterator_Critical_In(inner) while already in!"));
  EXPECT_EQ(Iterator_Critical_Depth(), 2);
  // Another thread may neither leave it nor get in while any level is held.
  std::atomic<uint16_t> other{0};
  std::thread intruder([&] {
    Iterator_Critical_Out("intruder");
    other = Iterator_Init("waiting", nullptr);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(other.load(), 0);
  Iterator_Critical_Out("inner");
  Iterator_Critical_Out("outer");
  intruder.join();
  EXPECT_NE(other.load(), 0);
  Iterator_End(other);
  EXPECT_TRUE(capture.Contains("ERROR: called Iterator_Critical_Out(intruder) while not in a critical section!"));
  Iterator_Critical_Out("spare");
  EXPECT_TRUE(capture.Contains("ERROR: called Iterator_Critical_Out(spare) while not in a critical section!"));
  EXPECT_EQ(Iterator_Critical_Depth(), 0);
}

// Threads open, walk and close iterators at once: no two live iterators share a slot, every
// walk is whole, and no slot is left taken.
TEST_F(Iterator, ThreadsOpenWalkAndEndConcurrently) {
  Tree<Quarn_2D> tree(kTree2D);
  constexpr int Threads = 4;
  constexpr int Rounds = 300;
  std::atomic<int> owner[256] = {};
  std::atomic<int> faults{0};
  auto work = [&](int who) {
    for (int r = 0; r < Rounds; ++r) {
      uint16_t held[3];
      for (uint16_t& id : held) {
        id = Iterator_Init("worker", tree.root);
        if (!id || owner[id].exchange(who + 1) != 0) ++faults;
      }
      for (uint16_t id : held) {
        int frames = 0;
        while (Iterator_Class_2D(id, 0x2FFF, nullptr, 0)) ++frames;
        if (frames != 6) ++faults;
      }
      for (uint16_t id : held) {
        owner[id].store(0);
        Iterator_End(id);
      }
    }
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < Threads; ++t) threads.emplace_back(work, t);
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(faults.load(), 0);
  EXPECT_EQ(Iterator_Critical_Depth(), 0);
  std::vector<uint16_t> ids;
  for (int i = 0; i < 255; ++i) ids.push_back(Iterator_Init("count", nullptr));
  EXPECT_EQ(std::count(ids.begin(), ids.end(), 0), 0);
  for (uint16_t id : ids) Iterator_End(id);
}

}  // namespace
