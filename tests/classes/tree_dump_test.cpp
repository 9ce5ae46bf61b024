// The tree dump of the three trees: header lines, the 2D visibility and inside lines, buffers.
#include "classes/Tree_Kinds.h"

#include <vector>

namespace {

using namespace tree_test;

constexpr uint32_t Dump = 0x80012002;

TEST_F(Tree_Test, Dump2DShowsInsideVisibilityAndBuffers) {
  Quarn_2D_Root root;
  auto* group = new Group<Quarn_2D>(L"g");
  root.Child_Add(group);
  auto* work = new Quarn_Buffer(3);
  work->Name_Set(L"Work");
  work->Data_New(512);
  group->User_Set(1, work);
  root.Inside_Set(Window(1), 110, 220, 10, 20);
  root.Flag_Set_On(0x10, Window(1), quarn::flag::Visible);  // window 1 is the current one
  group->Flag_Set_On(0x10, Window(2), quarn::flag::Visible);  // visible elsewhere only

  Host_Report_Capture capture;
  root.Stool(int(Dump), 0, 1);
  const std::vector<std::string> expected = {
      "         --> Class:Root name:Root 2D (nb_child=1)",
      "               inside: 10.00, 20.00, 110.00, 220.00",
      "             --> Class:no title name:g (nb_child=0)",
      "                   not visible",
      "                   buffer [00000001] \"Work\" (priority=3) (512 B)",
  };
  EXPECT_EQ(capture.Texts(Dump), expected);

  // The header keeps its style switches: bold title, bold blue name, blue count.
  const auto lines = capture.Lines();
  std::wstring header;
  for (const auto& l : lines)
    if (l.cls == Dump) { header = l.text; break; }
  EXPECT_EQ(header, L"         --> Class:\xF1Root\xF0 name:\xF1\x01Root 2D\x02\xF0 (nb_child=\x01" L"1\x02)");
}

TEST_F(Tree_Test, DumpWithoutRecursionStaysOnTheNode) {
  Quarn_2D_Root root;
  root.Child_Add(new Group<Quarn_2D>(L"g"));
  Host().window_cur = nullptr;  // no current window: nothing can be visible in it
  Host_Report_Capture capture;
  root.Stool(int(Dump), 0, 0);
  const std::vector<std::string> expected = {
      "         --> Class:Root name:Root 2D (nb_child=1)",
      "               not visible",
  };
  EXPECT_EQ(capture.Texts(Dump), expected);
}

TEST_F(Tree_Test, Dump1DAnd3DShowHeadersOnly) {
  Quarn_1D_Root root_1d;
  root_1d.Child_Add(new Group<Quarn_1D>(L"curves"));
  Quarn_3D_Root root_3d;
  auto* surfaces = new Group<Quarn_3D>(L"surfaces");
  root_3d.Child_Add(surfaces);
  surfaces->User_Set(1, new Quarn_Buffer(0));  // buffers of 3D nodes are not dumped
  Host_Report_Capture capture;
  root_1d.Stool(int(Dump), 0, 1);
  root_3d.Stool(int(Dump), 2, 1);
  const std::vector<std::string> expected = {
      "         --> Class:Root name:Root 1D (nb_child=1)",
      "             --> Class:no title name:curves (nb_child=0)",
      "                 --> Class:Root name:Root 3D (nb_child=1)",
      "                     --> Class:no title name:surfaces (nb_child=0)",
  };
  EXPECT_EQ(capture.Texts(Dump), expected);
}

TEST_F(Tree_Test, DumpIndentationStopsAtSixteenLevels) {
  Quarn_1D_Root root;
  struct Case {
    int depth;
    size_t blanks;
  };
  const Case cases[] = {{0, 8}, {1, 12}, {16, 72}, {17, 72}, {40, 72}, {-3, 8}};
  for (const Case& c : cases) {
    Host_Report_Capture capture;
    root.Stool(int(Dump), c.depth, 0);
    const auto lines = capture.Texts(Dump);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].find(" -->"), c.blanks) << "depth " << c.depth;
  }
}

TEST_F(Tree_Test, DumpShowsNothingWhileItsClassIsHidden) {
  Quarn_2D_Root root;
  Host_Report_Capture capture(false);  // the filter applies: trace classes are hidden
  root.Stool(int(Dump), 0, 1);
  EXPECT_EQ(capture.Count(Dump), 0u);
}

}  // namespace
