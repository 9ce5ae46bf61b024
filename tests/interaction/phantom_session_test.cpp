// A user's session on a generated DICOM series loaded through tree generation: thumbnail layout,
// clicks and keys routed from window pixels, batched requests, zoom, cine loop and mode changes.
#include "modules/Database_Host.h"

#include <hostkit/HostDicom.h>
#include <platform/PlatformClock.h>
#include <platform/PlatformMessage.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace database_test {
namespace {

constexpr int Slices = 6;
constexpr int Size = 32;  // pixels per row and column

class Phantom_Session : public Database_Host {
protected:
  void SetUp() override {
    Database_Host::SetUp();
    folder_ = std::filesystem::temp_directory_path() / ("quarn_session_" + std::to_string(getpid()));
    Host_Phantom_Options o;
    o.slices = Slices;
    o.columns = o.rows = Size;
    const std::wstring path = Host_Char_To_Wide(folder_.string().c_str());
    ASSERT_EQ(Host_Dicom_Write_Phantom(path.c_str(), &o), Slices);
    int count = 0;
    Host_Image_Record** list = Host_Dicom_Read_Series(path.c_str(), &count);
    ASSERT_EQ(count, 1);
    Add_File(path.c_str(), {list[0]});
    std::free(list);  // the file record holds the record now
    Modules_Set({&Host_Tree_Module_2D, &Host_Tree_Module_2D});
    ASSERT_EQ(Database_2D_Tree_Generate(), 1);
    series_ = Root()->Child_Get_Pt(0)->Child_Get_Pt(0);
    ASSERT_EQ(series_->Child_Get_Nb(), Slices);
    for (int w = 0; w < 3; ++w) W(w)->width = 800, W(w)->height = 600;
    Host_Key_State_Reset();
    Platform_Clock_Manual(1);
    Drain();
  }
  void TearDown() override {
    Host_Key_State_Reset();
    Fct_Loop_Stop(W(0), Root(), 1);
    Platform_Clock_Manual(0);
    Database_Host::TearDown();
    std::filesystem::remove_all(folder_);
  }

  Quarn_2D_Frame* Frame(int i) { return static_cast<Quarn_2D_Frame*>(series_->Child_Get_Pt(i)); }
  bool Picked(Quarn_2D* node) { return node->Flag_Get_Bit(0x10, W(0), 0x200) != 0; }

  /// Lays the tree out in window 0 and marks it shown, as the host does before drawing.
  void Layout() {
    Database_2D_Resize(W(0));
    Database_2D_Visibility_Set(W(0));
  }

  /// Window pixel of an interface point of window 0.
  Point_2D Pixel(float x, float y) { return W(0)->Inf_2_Wnd(Point_2D(7, x, y)); }
  /// A press routed from the window pixel over the frame's pixel (3, 3).
  int Click(Quarn_2D_Frame* f) {
    const Region_2D r = f->Inside_Get(W(0));
    const Point_2D p = Pixel(r.x_min + 3, r.y_min + 3);
    return Database_2D_Click(W(0), 1, int16_t(p.x), int16_t(p.y));
  }

  /// Takes every message off the main window's queue; returns the (update, redraw) counts.
  std::pair<int, int> Drain() {
    std::pair<int, int> counts{0, 0};
    Platform_Message m;
    while (Platform_Peek_Message(Host_Main_Window, &m, 1)) {
      if (m.id == UPDATE_MESSAGE) ++counts.first;
      if (m.id == REDRAW_MESSAGE) ++counts.second;
    }
    return counts;
  }

  std::filesystem::path folder_;
  Quarn_2D* series_ = nullptr;
};

TEST_F(Phantom_Session, SlicesLieInOneThumbnailRowInSliceOrder) {
  Layout();
  const Region_2D first = Frame(0)->Inside_Get(W(0));
  EXPECT_EQ(first.x_max - first.x_min, Size);
  for (int i = 1; i < Slices; ++i) {
    const Region_2D r = Frame(i)->Inside_Get(W(0));
    EXPECT_EQ(r.x_min, first.x_min + i * (Size + 8)) << i;  // 8 pixels apart
    EXPECT_EQ(r.y_min, first.y_min) << i;
    EXPECT_EQ(Frame(i)->z_index, i) << i;  // the tree keeps the slices in order
  }
  // The series row sits inside its patient's, which sits inside the root's.
  const Region_2D series = series_->Inside_Get(W(0));
  EXPECT_LE(series.x_min, first.x_min);
  EXPECT_GE(series.x_max, Frame(Slices - 1)->Inside_Get(W(0)).x_max);
  EXPECT_TRUE(Picked(Frame(0)));  // the tiled window selected every frame on loading
}

TEST_F(Phantom_Session, ClicksFromWindowPixelsSelectRangesAndToggleInOneBatch) {
  Layout();
  Root()->Flag_Set_Off(0x30, W(0), 0x200);
  Fct_Update(UPDATE_DELAY_ON);
  Fct_Redraw(UPDATE_DELAY_ON);
  EXPECT_EQ(Click(Frame(1)), 1);
  Host_Key_State_Set(16, true);  // Shift
  EXPECT_EQ(Click(Frame(4)), 1);
  Host_Key_State_Reset();
  Host_Key_State_Set(17, true);  // Ctrl on the current frame (another one would become current,
  EXPECT_EQ(Click(Frame(4)), 1);  // and so selected again)
  Host_Key_State_Reset();
  EXPECT_EQ(Drain(), std::make_pair(0, 0));  // held while the batch is open
  Fct_Update(UPDATE_DELAY_OFF);
  Fct_Redraw(UPDATE_DELAY_OFF);
  EXPECT_EQ(Drain(), std::make_pair(1, 1));  // one message of each kind for the whole burst
  const bool expected[Slices] = {false, true, true, true, false, false};
  for (int i = 0; i < Slices; ++i) EXPECT_EQ(Picked(Frame(i)), expected[i]) << i;
  EXPECT_TRUE(Picked(series_));  // a Ctrl toggle leaves the ancestors selected
  EXPECT_NE(*Var<uint64_t>(L"$FLAG_UPDATE") & 0x102, 0u);
}

TEST_F(Phantom_Session, ArrowKeyMovesThePointerByTheZoomedPixel) {
  Fct_Change_Scale(W(0), 4, 0);  // every selected frame at zoom 4
  Layout();
  EXPECT_FLOAT_EQ(Frame(0)->Zoom_Get(W(0)), 4.0f);
  const Region_2D r = Frame(0)->Inside_Get(W(0));
  EXPECT_EQ(r.x_max - r.x_min, 4 * Size);
  const Point_2D p = Pixel(r.x_min + 10, r.y_min + 10);
  Host_Cursor_Set(int(p.x), int(p.y));
  EXPECT_EQ(Database_2D_Key(W(0), 0x827, int16_t(p.x), int16_t(p.y)), 1);  // right arrow
  int x = 0, y = 0;
  Host_Cursor_Get(&x, &y);
  EXPECT_EQ(x, int(p.x) + 4);
  EXPECT_EQ(y, int(p.y));
}

TEST_F(Phantom_Session, ZoomIsClampedForEverySelectedSlice) {
  Fct_Change_Scale(W(0), 0, 1000);
  for (int i = 0; i < Slices; ++i) EXPECT_FLOAT_EQ(Frame(i)->Zoom_Get(W(0)), 40.0f) << i;
  Fct_Change_Scale(W(0), 0.001f, 0);
  for (int i = 0; i < Slices; ++i) EXPECT_FLOAT_EQ(Frame(i)->Zoom_Get(W(0)), 0.05f) << i;
}

// Also the regression test of a glyph that started the loop before the node was in the animated
// mode: a start without the loop bit makes no timer, so the loop never ran.
TEST_F(Phantom_Session, ExpandGlyphRunsTheSeriesAsACineLoop) {
  Layout();
  const Region_2D row = series_->Inside_Get(W(0));
  const Point_2D glyph = Pixel(float(int(row.x_min)) + 2, float(int(row.y_min)) + 2);
  const auto press = [&] { return Database_2D_Click(W(0), 1, int16_t(glyph.x), int16_t(glyph.y)); };
  const auto mode = [&] { return series_->Flag_Get_Bit(0x10, W(0), 0x000F); };
  ASSERT_EQ(mode(), 1u);  // all slices shown
  EXPECT_EQ(press(), 1);
  EXPECT_EQ(mode(), 4u);  // one slice
  EXPECT_EQ(press(), 1);
  EXPECT_EQ(mode(), 2u);  // animated
  EXPECT_EQ(Fct_Loop_Count(), 1);
  const int before = series_->Child_Get_Cur(W(0));
  const int rate = series_->loop_rate[0] ? series_->loop_rate[0] : 1;
  Platform_Clock_Advance(uint32_t(1000 / rate + 1));
  Platform_Pump(Host_Main_Window, [](Platform_Window*, const Platform_Message*) {});
  EXPECT_EQ(series_->Child_Get_Cur(W(0)), (before + 1) % Slices);  // one tick, one slice on
  EXPECT_EQ(press(), 1);
  EXPECT_EQ(mode(), 0u);  // closed, and the loop is gone
  EXPECT_EQ(Fct_Loop_Count(), 0);
}

TEST_F(Phantom_Session, SingleModeKeepsOnlyTheCurrentSliceSelected) {
  Fct_Change_Child(W(0), Frame(3));
  Fct_Change_Mode(W(0), WINDOW_MODE_2D_ONE);
  for (int i = 0; i < Slices; ++i) EXPECT_EQ(Picked(Frame(i)), i == 3) << i;
  EXPECT_TRUE(Picked(series_));
  Fct_Change_Mode(W(0), WINDOW_MODE_2D_ALL);
  for (int i = 0; i < Slices; ++i) EXPECT_TRUE(Picked(Frame(i))) << i;
}

}  // namespace
}  // namespace database_test
