// The scene passes: slot orders and results of the draw tables, recursion by display mode, the
// one-frame window, culling, and the background clear with and without a stencil buffer.
#include "display/Scene_Host.h"

#include <quarn/quarn.h>

#include <GL/gl.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace {

using scene_test::Scene_Test;

// What the recording slots saw, and what each slot answers.
std::vector<int> g_slots;
std::array<int, 32> g_answer;
std::vector<std::string> g_nodes;

template <int Slot>
int Slot_Rec(Quarn_2D*, uint64_t, Quarn_Window*) {
  g_slots.push_back(Slot);
  return g_answer[Slot];
}

template <int... I>
constexpr std::array<Quarn_2D_Draw, 32> Slot_Table(std::integer_sequence<int, I...>) {
  return {&Slot_Rec<I>...};
}
constexpr std::array<Quarn_2D_Draw, 32> kSlot = Slot_Table(std::make_integer_sequence<int, 32>{});

// Stencil slot: notes the stencil value its drawing would write.
int Stencil_Rec(Quarn_2D*, uint64_t, Quarn_Window*) {
  GLint ref = -1;
  glGetIntegerv(GL_STENCIL_REF, &ref);
  g_slots.push_back(ref);
  return 1;
}

int Node_Rec(Quarn_2D* node, uint64_t, Quarn_Window*) {
  g_nodes.push_back(Host_Wide_To_Char(node->Name_Get()));
  return 1;
}

struct Slot_Case {
  const char* what;
  std::vector<std::pair<int, int>> slots;  // slot, answer
  std::vector<int> order;
  int result;
};

class Scene_Tables : public Scene_Test {
protected:
  void Fill(Quarn_2D_Draw* table, const Slot_Case& c) {
    g_slots.clear();
    g_answer.fill(1);
    for (auto [slot, answer] : c.slots) {
      table[slot] = kSlot[slot];
      g_answer[slot] = answer;
    }
  }
};

TEST_F(Scene_Tables, BaseRunsDownwardAndSlotZeroUnlessSkipped) {
  const Slot_Case cases[] = {
      // Only the built-in slot.
      {"slot 0 alone", {{0, 1}}, {0}, 1},
      // Module slots first, highest first, then the built-in one.
      {"31 down to 1, then 0", {{0, 1}, {1, 1}, {5, 1}, {31, 1}}, {31, 5, 1, 0}, 1},
      // A module that answers 2 replaces the built-in drawing.
      {"2 skips slot 0", {{0, 1}, {3, 2}, {9, 1}}, {9, 3}, 1},
      // A failure does not stop the walk but is the result.
      {"0 fails, walk goes on", {{0, 1}, {7, 0}, {2, 1}}, {7, 2, 0}, 0},
      // The built-in slot's own failure counts too.
      {"slot 0 fails", {{0, 0}}, {0}, 0},
  };
  for (const Slot_Case& c : cases) {
    auto* node = new event_test::Group(L"n");
    root_.Child_Add(node);
    std::fill(std::begin(node->fct_draw_base), std::end(node->fct_draw_base), nullptr);
    Fill(node->fct_draw_base, c);
    EXPECT_EQ(Fct_Callback_Draw_Base(node, ~0ull, w_), c.result) << c.what;
    EXPECT_EQ(g_slots, c.order) << c.what;
  }
}

TEST_F(Scene_Tables, OtherTablesRunUpwardAndReportAFailure) {
  using Table = Quarn_2D_Draw (Quarn_2D::*)[32];
  using Runner = int (*)(Quarn_2D*, uint64_t, Quarn_Window*);
  const std::pair<Table, Runner> tables[] = {{&Quarn_2D::fct_draw_opengl, &Fct_Callback_Draw_OpenGL},
                                             {&Quarn_2D::fct_draw_xor, &Fct_Callback_Draw_XOR},
                                             {&Quarn_2D::fct_draw_3d, &Fct_Callback_Draw_3D}};
  const Slot_Case cases[] = {
      // Every set slot, lowest first; a 2 means nothing special here.
      {"upward", {{31, 1}, {0, 1}, {4, 2}}, {0, 4, 31}, 1},
      // A failing slot makes the result 0 and the rest still run.
      {"failure", {{1, 0}, {2, 1}}, {1, 2}, 0},
      // An empty table succeeds.
      {"empty", {}, {}, 1},
  };
  int t = 0;
  for (auto [table, run] : tables) {
    for (const Slot_Case& c : cases) {
      auto* node = new event_test::Group(L"n");
      root_.Child_Add(node);
      Fill(node->*table, c);
      EXPECT_EQ(run(node, ~0ull, w_), c.result) << c.what << " table " << t;
      EXPECT_EQ(g_slots, c.order) << c.what << " table " << t;
    }
    ++t;
  }
}

TEST_F(Scene_Tables, StencilSlotWritesItsOwnBit) {
  auto* node = new event_test::Group(L"n");
  root_.Child_Add(node);
  for (int i : {0, 3, 7}) node->fct_draw_stencil[i] = &Stencil_Rec;
  g_slots.clear();
  EXPECT_EQ(Fct_Callback_Draw_Stencil(node, ~0ull, w_), 1);
  EXPECT_EQ(g_slots, (std::vector<int>{1, 8, 128}));
  // Between slots the stencil masks again: reference 0, test for equality.
  GLint func = 0, ref = -1;
  glGetIntegerv(GL_STENCIL_FUNC, &func);
  glGetIntegerv(GL_STENCIL_REF, &ref);
  EXPECT_EQ(func, GL_EQUAL);
  EXPECT_EQ(ref, 0);
}

// ---- recursion -------------------------------------------------------------------------------

class Scene_Walk : public Scene_Test {
protected:
  // A group under the root with three group children, c1 current; every node records itself.
  event_test::Group* Tree() {
    event_test::Group* g = Make_Group(3);
    g->Name_Set(L"g");
    g->Child_Get_Pt(1)->Flag_Set_On(0x10, w_, quarn::flag::Current);
    for (Quarn_2D* n : {static_cast<Quarn_2D*>(g), g->Child_Get_Pt(0), g->Child_Get_Pt(1), g->Child_Get_Pt(2)}) {
      n->fct_draw_opengl[3] = &Node_Rec;
      n->fct_draw_highlight = &Node_Rec;
      n->fct_draw_stencil[0] = &Node_Rec;
      n->fct_draw_3d[0] = &Node_Rec;
      n->fct_draw_base[0] = nullptr;
    }
    return g;
  }
};

TEST_F(Scene_Walk, PassesRecurseByDisplayMode) {
  using Pass = int (*)(uint64_t, Quarn_Window*, Quarn_2D*);
  const Pass passes[] = {&Database_2D_Draw_OpenGL, &Database_2D_Draw_Highlight, &Database_2D_Draw_Stencil};
  const struct {
    uint64_t mode;
    std::vector<std::string> seen;
  } cases[] = {
      {0, {"g"}},                      // none: the node's own drawing only
      {1, {"g", "c0", "c1", "c2"}},    // every child in order
      {2, {"g", "c1"}},                // the current child (loop)
      {4, {"g", "c1"}},                // the current child
      {8, {"g"}},                      // no known mode: no child
  };
  event_test::Group* g = Tree();
  for (Pass pass : passes) {
    for (const auto& c : cases) {
      Set_Mode(g, c.mode);
      g_nodes.clear();
      EXPECT_EQ(pass(~0ull, w_, g), 1);
      EXPECT_EQ(g_nodes, c.seen) << "mode " << c.mode;
    }
  }
}

TEST_F(Scene_Walk, ThreeDimensionalPassGoesEverywhereButGeometryWindows) {
  event_test::Group* g = Tree();
  Set_Mode(g, 0);
  g_nodes.clear();
  EXPECT_EQ(Database_3D_Draw(~0ull, w_, g), 1);
  EXPECT_EQ(g_nodes, (std::vector<std::string>{"g", "c0", "c1", "c2"}));
  w_->Class_A_Set(WINDOW_MODE_GEOM);
  g_nodes.clear();
  Host_Report_Capture capture;
  EXPECT_EQ(Database_3D_Draw(~0ull, w_, g), 1);
  EXPECT_TRUE(g_nodes.empty());
  EXPECT_TRUE(capture.Contains("<<< out Fct: Database_3D_Draw(Cuda)"));
}

TEST_F(Scene_Walk, OneFrameWindowDrawsTheCurrentFrameOnly) {
  event_test::Group* g = Tree();
  std::vector<Quarn_2D_Frame*> frames = Make_Frames(g, 2, 8, 8);
  for (Quarn_2D_Frame* f : frames) f->fct_draw_opengl[3] = &Node_Rec;
  w_->Class_A_Set(WINDOW_MODE_2D_ONE);
  {
    Host_Report_Capture capture;
    EXPECT_EQ(Database_2D_Draw_OpenGL(~0ull, w_, nullptr), 0);
    EXPECT_TRUE(capture.Contains("<<< out Fct: Database_2D_Draw_OpenGL(! *Frame_Cur)"));
    EXPECT_EQ(Database_2D_Draw_Stencil(~0ull, w_, nullptr), 0);
    EXPECT_TRUE(capture.Contains("(no cur frame)"));
    EXPECT_EQ(Database_2D_Draw_BackGrnd(~0ull, w_, nullptr), 0);
  }
  event_test::Vars().frame_cur_pt = nullptr;  // the host keeps no table at all
  {
    Host_Report_Capture capture;
    EXPECT_EQ(Database_2D_Draw_Stencil(~0ull, w_, nullptr), 0);
    EXPECT_TRUE(capture.Contains("<<< out Fct: Database_2D_Draw_Stencil(no cur frame ptr)"));
  }
  event_test::Vars().frame_cur_pt = event_test::Vars().frame_cur;
  event_test::Vars().frame_cur[0] = frames[1];
  g_nodes.clear();
  EXPECT_EQ(Database_2D_Draw_OpenGL(~0ull, w_, nullptr), 1);
  EXPECT_EQ(Database_2D_Draw_Highlight(~0ull, w_, nullptr), 1);
  ASSERT_EQ(g_nodes.size(), 1u);
  EXPECT_EQ(g_nodes[0], Host_Wide_To_Char(frames[1]->Name_Get()));
  // The pass built the missing work layers of the frame it drew.
  EXPECT_NE(frames[1]->work_gli, nullptr);
  EXPECT_EQ(frames[0]->work_gli, nullptr);
}

TEST_F(Scene_Walk, FailedRecursionEndsThePassWithZero) {
  event_test::Group* g = Make_Group(0);
  std::vector<Quarn_2D_Frame*> frames = Make_Frames(g, 1, 8, 8);
  Show_All();
  frames[0]->Redraw_Set_On(0x10, w_, ~0ull);
  frames[0]->Inside_Set(w_, 1000, 1000, 1008, 1008);  // wholly outside the window
  Host_Report_Capture capture;
  EXPECT_EQ(Database_2D_Draw_BackGrnd(0x4000, w_, nullptr), 0);
  EXPECT_TRUE(capture.Contains("<<< out Fct: Database_2D_Viewport(cull)"));
  EXPECT_TRUE(capture.Contains("<<< out Fct: Database_2D_Draw_BackGrnd(bad viewport)"));
  EXPECT_TRUE(capture.Contains("<<< out Fct: Database_2D_Draw_BackGrnd(recursion failed)"));
}

TEST_F(Scene_Walk, EntryTracesNameObjectWindowAndMask) {
  event_test::Group* g = Tree();
  Host_Report_Capture capture;
  Database_2D_Draw_Highlight(0x4000, w_, g);
  const std::vector<std::string> lines = capture.Texts(0x84000106);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], std::string(">>> in  Fct: Database_2D_Draw_Highlight(") + g->Title_Get() +
                          ":g, window:0, flag:0000000000004000)");
}

// ---- class-node row ---------------------------------------------------------------------------

TEST_F(Scene_Test, ClassRowDrawsOnlyInTheTreeListAndWhenAsked) {
  event_test::Group* g = Make_Group(2);
  Lay_Out();
  Host_Report_Capture capture;
  // Its redraw word has no bit of the mask: nothing is drawn.
  g->Redraw_Set_Off(0x10, w_, ~0ull);
  EXPECT_EQ(Class_Class_Draw_Base(g, 0x1, w_), 1);
  EXPECT_TRUE(capture.Contains("<<< out Class: Class_Class_Draw_Base(! pt->Redraw_Get_Bit)"));
  g->Redraw_Set_On(0x10, w_, ~0ull);
  // A row scrolled above the window draws its lines but stops before its glyph and label.
  w_->pan_y.value = -500;
  capture.Clear();
  EXPECT_EQ(Class_Class_Draw_Base(g, 0x1, w_), 1);
  EXPECT_TRUE(capture.Contains("<<< out Class: Class_Class_Draw_Base(pos_y < -8)"));
  // A one-frame window has no tree list.
  w_->pan_y.value = 0;
  w_->Class_A_Set(WINDOW_MODE_2D_ONE);
  capture.Clear();
  EXPECT_EQ(Class_Class_Draw_Base(g, 0x1, w_), 1);
  EXPECT_TRUE(capture.Contains("<<< out Class: Class_Class_Draw_Base(WINDOW_MODE_2D_ONE)"));
}

TEST_F(Scene_Test, ClassRowPaintsItsHighlightAndLabel) {
  w_->box_2.color = Host_Color(0, 0, 64);
  event_test::Group* g = Make_Group(0);
  Lay_Out();
  const test_support::Image plain = Draw_All();
  g->Flag_Set_On(0x10, w_, 0x1000 | 0x4000);  // magenta highlight
  const test_support::Image lit = Draw_All();
  // The icon box is filled magenta and the label turns yellow.
  EXPECT_EQ(plain.Count(0xFF00FF), 0);
  EXPECT_GT(lit.Count(0xFF00FF), 20);  // the icon covers most of the box
  EXPECT_EQ(plain.Count(0xFFFF00), 0);
  EXPECT_GT(lit.Count(0xFFFF00), 0);
  EXPECT_GT(plain.Count(0xFFFFFF), 0);
}

// ---- viewport and background -----------------------------------------------------------------

TEST_F(Scene_Test, ViewportScissorsOnePixelShortAndCullsOutside) {
  auto* node = Make_Group(0);
  node->Inside_Set(w_, 10, 20, 50, 60);  // interface space, y up
  ASSERT_EQ(Database_2D_Viewport(w_, node), 1);
  GLint box[4] = {};
  glGetIntegerv(GL_SCISSOR_BOX, box);
  // Window space: x 10 ... 50, y 120 - 60 = 60 ... 100.
  EXPECT_EQ(box[0], 10);
  EXPECT_EQ(box[1], 60);
  EXPECT_EQ(box[2], 40);
  EXPECT_EQ(box[3], 40);
  EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));

  glMatrixMode(GL_MODELVIEW);
  glTranslatef(3, 4, 0);
  node->Inside_Set(w_, 200, 20, 240, 60);
  Host_Report_Capture capture;
  EXPECT_EQ(Database_2D_Viewport(w_, node), 0);
  EXPECT_TRUE(capture.Contains("<<< out Fct: Database_2D_Viewport(cull)"));
  GLfloat m[16] = {};
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  EXPECT_EQ(m[12], 3.0f) << "a culled viewport leaves the model-view alone";
}

TEST_F(Scene_Test, BackgroundClearsStencilOnlyWhenTheFormatHasOne) {
  w_->box_2.color = Host_Color(10, 20, 30);
  auto* g = Make_Group(0);
  std::vector<Quarn_2D_Frame*> frames = Make_Frames(g, 1, 16, 16);
  Lay_Out();
  // Mark the stencil everywhere, then clear through the frame's background pass.
  glClearStencil(5);
  glClear(GL_STENCIL_BUFFER_BIT);
  uint32_t* state = quarn::OpenGL_State();
  const uint32_t saved = *state;
  ASSERT_TRUE(saved & 0x10) << "the test window has a stencil buffer";
  for (bool stencil : {false, true}) {
    *state = stencil ? saved : saved & ~0x10u;
    EXPECT_EQ(Database_2D_Draw_BackGrnd(0xC000, w_, frames[0]), 1);
    glFinish();
    GLubyte s = 0, rgb[4] = {};
    const Point_2D p = w_->Inf_2_Wnd(frames[0]->Frm_2_Inf(w_, Point_2D(6, 4, 4)));
    glReadPixels(int(p.x), int(p.y) - 1, 1, 1, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, &s);
    glReadPixels(int(p.x), int(p.y) - 1, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgb);
    EXPECT_EQ(s, stencil ? 0 : 5) << "stencil " << stencil;
    EXPECT_EQ(rgb[0], 10);
    EXPECT_EQ(rgb[1], 20);
    EXPECT_EQ(rgb[2], 30);
  }
  *state = saved;
}

}  // namespace
