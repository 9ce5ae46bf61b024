// Fonts through fontconfig and FreeType, device contexts and bitmaps, tabbed text measured and
// drawn, fonts turned into display lists of glyph bitmaps, and PNG files.
#include <hostkit/HostDraw.h>
#include <hostkit/HostPng.h>
#include <hostkit/HostReport.h>
#include <hostkit/HostUtil.h>

#include <platform/Platform.h>

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::string File_Name(const Host_Font font) {
  return std::filesystem::path(font->file).filename().string();
}

/// A memory context with a bitmap of a size and a font selected, released at the end.
struct Canvas {
  Host_DC dc = nullptr;
  Host_Bitmap bitmap = nullptr;
  Host_Font font = nullptr;
  int width, height;

  Canvas(int w, int h, Host_Font f) : width(w), height(h) {
    font = f;
    dc = Host_Create_Compatible_DC(nullptr);
    bitmap = Host_Create_Compatible_Bitmap(dc, w, h);
    Host_Select_Bitmap(dc, bitmap);
    Host_Select_Font(dc, font);
  }
  ~Canvas() {
    Host_Delete_DC(dc);
    Host_Delete_Bitmap(bitmap);
    Host_Delete_Font(font);
  }
  std::vector<uint8_t> Pixels() const {
    std::vector<uint8_t> bits(size_t(width) * size_t(height) * 4);
    Host_Get_Bitmap_Bits(bitmap, long(bits.size()), bits.data());
    return bits;
  }
  /// Number of pixels whose first byte (blue) is v.
  int Count_Blue(uint8_t v) const {
    int n = 0;
    const auto bits = Pixels();
    for (size_t i = 0; i < bits.size(); i += 4) n += bits[i] == v;
    return n;
  }
};

TEST(HostFont, ArialResolvesToAMetricCompatibleFaceWithItsBoldAndItalic) {
  const struct {
    const char* weight;
    const char* style;
    const char* file_part;
  } cases[] = {
      {"", "", "Regular"},
      {"bold", "", "Bold"},
      {nullptr, "i", "Italic"},
      {"BOLD", "italic", "BoldItalic"},  // names in any case
      {"700", "", "Bold"},               // a weight number
  };
  for (const auto& c : cases) {
    Host_Font f = Host_Create_Font(nullptr, "arial", c.weight, c.style, 20);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->family, L"Liberation Sans");
    EXPECT_NE(File_Name(f).find(std::string("LiberationSans-") + c.file_part + ".ttf"), std::string::npos)
        << f->file;
    Host_Delete_Font(f);
  }
}

TEST(HostFont, BadRequestsAreReportedAndUnknownFacesStillGetAFont) {
  Host_Report_Capture capture;
  EXPECT_EQ(Host_Create_Font(nullptr, "arial", "", "", 0), nullptr);
  EXPECT_EQ(Host_Create_Font(nullptr, "arial", "", "", HOST_FONT_MAX_SIZE + 1), nullptr);
  EXPECT_EQ(Host_Create_Font(nullptr, "", "", "", 12), nullptr);
  EXPECT_EQ(Host_Create_Font(nullptr, static_cast<const char*>(nullptr), "", "", 12), nullptr);
  EXPECT_EQ(capture.Count(2), 8u);  // each: the reason and the source line
  Host_Font odd = Host_Create_Font(nullptr, "arial", "fat", "wavy", 12);
  ASSERT_NE(odd, nullptr);  // read as normal and upright, and said so
  EXPECT_EQ(odd->weight, HOST_FONT_NORMAL);
  EXPECT_EQ(odd->style, 0);
  EXPECT_TRUE(capture.Contains("unknown weight \"fat\" or style \"wavy\""));
  Host_Delete_Font(odd);
  Host_Font unknown = Host_Create_Font(nullptr, "no such face at all", 0, 0, 12);
  ASSERT_NE(unknown, nullptr);  // the closest face, as a window system gives one
  EXPECT_FALSE(unknown->file.empty());
  Host_Delete_Font(unknown);
}

TEST(HostFont, StockSystemFontOutlivesDeletion) {
  Host_Font system = Host_Stock_Font(HOST_SYSTEM_FONT);
  ASSERT_NE(system, nullptr);
  EXPECT_EQ(system->weight, HOST_FONT_BOLD);
  Host_Delete_Font(system);
  EXPECT_EQ(Host_Stock_Font(HOST_SYSTEM_FONT), system);
  EXPECT_NE(system->raster, nullptr);
  EXPECT_EQ(Host_Stock_Font(Host_Stock(0)), nullptr);
}

TEST(HostText, CellHeightIsTheSizeAndTabsStopAtEightAverageWidths) {
  for (int size : {9, 12, 16, 20, 33}) {
    Canvas c(8, 8, Host_Create_Font(nullptr, "arial", "", "", size));
    Host_Text_Metrics m;
    ASSERT_EQ(Host_Get_Text_Metrics(c.dc, &m), 1);
    EXPECT_NEAR(m.height, size, 1) << size;
    EXPECT_EQ(m.height, m.ascent + m.descent);
    int width = 0, height = 0, a = 0, b = 0;
    const int tab = HOST_TAB_CHARACTERS * m.average_width;
    Host_Get_Tabbed_Text_Extent(c.dc, "\t", -1, &width, &height);
    EXPECT_EQ(width, tab);
    EXPECT_EQ(height, m.height);
    Host_Get_Tabbed_Text_Extent(c.dc, "ab\tc", -1, &width, nullptr);
    Host_Get_Tabbed_Text_Extent(c.dc, L"c", -1, &a, nullptr);
    EXPECT_EQ(width, tab + a) << size;
    // Without tabs widths add up (no kerning), and a length stops the text.
    Host_Get_Tabbed_Text_Extent(c.dc, "Wave", -1, &width, nullptr);
    Host_Get_Tabbed_Text_Extent(c.dc, "Wa", -1, &a, nullptr);
    Host_Get_Tabbed_Text_Extent(c.dc, "ve", -1, &b, nullptr);
    EXPECT_EQ(width, a + b);
    Host_Get_Tabbed_Text_Extent(c.dc, "Wave", 2, &b, nullptr);
    EXPECT_EQ(b, a);
  }
}

TEST(HostText, DrawsInTheTextColourInsideTheCellsAndCutsAtTheEdges) {
  Canvas c(64, 24, Host_Create_Font(nullptr, "arial", "", "", 20));
  EXPECT_EQ(c.Count_Blue(0), 64 * 24);  // new bitmaps are black
  Host_Set_Bk_Mode(c.dc, HOST_TRANSPARENT);
  Host_Set_Text_Color(c.dc, 0x00FFFFFF);
  int width = 0, height = 0;
  Host_Get_Tabbed_Text_Extent(c.dc, "Hi", -1, &width, &height);
  EXPECT_EQ(Host_Tabbed_Text_Out(c.dc, 0, 0, "Hi", -1), width);
  const int lit = c.Count_Blue(255);
  EXPECT_GT(lit, 40);
  // Every lit pixel lies inside the text's cells.
  const auto bits = c.Pixels();
  for (int y = 0; y < 24; ++y)
    for (int x = width; x < 64; ++x) EXPECT_EQ(bits[(size_t(y) * 64 + size_t(x)) * 4], 0) << x << "," << y;
  // Opaque text fills its cells with the background colour first.
  Host_Pat_Blt(c.dc, 0, 0, 64, 24, HOST_BLACKNESS);
  Host_Set_Bk_Mode(c.dc, HOST_OPAQUE);
  Host_Set_Bk_Color(c.dc, 0x00808080);
  Host_Tabbed_Text_Out(c.dc, 0, 0, "Hi", -1);
  EXPECT_EQ(c.Count_Blue(0x80) + c.Count_Blue(255), width * height);
  // Drawn partly or wholly outside: cut, never written past the bitmap.
  for (int x : {-30, 50, 200}) EXPECT_GT(Host_Tabbed_Text_Out(c.dc, x, -10, "Hi", -1), 0);
}

TEST(HostText, HandlesAreCheckedAndSelectionRulesHold) {
  Host_DC window_dc = Host_Get_DC(nullptr, "test");
  ASSERT_NE(window_dc, nullptr);
  Host_Bitmap bitmap = Host_Create_Compatible_Bitmap(window_dc, 4, 2);
  EXPECT_EQ(Host_Select_Bitmap(window_dc, bitmap), nullptr);  // only memory contexts draw
  EXPECT_EQ(Host_Last_Error(), EINVAL);
  EXPECT_EQ(Host_Tabbed_Text_Out(window_dc, 0, 0, "x", -1), 0);
  Host_DC memory = Host_Create_Compatible_DC(window_dc);
  EXPECT_EQ(Host_Select_Bitmap(memory, bitmap), nullptr);
  EXPECT_EQ(Host_Delete_Bitmap(bitmap), 0);  // still selected
  Host_Bitmap_Info info;
  ASSERT_EQ(Host_Get_Bitmap(bitmap, &info), 1);
  EXPECT_EQ(info.bits_per_pixel, 32);
  EXPECT_EQ(info.bytes_per_row, 16);
  Host_Pat_Blt(memory, 1, 0, 10, 1, HOST_WHITENESS);  // cut to the bitmap
  std::vector<uint8_t> bits(64, 7);
  EXPECT_EQ(Host_Get_Bitmap_Bits(bitmap, 1000, bits.data()), 32);
  EXPECT_EQ(bits[0], 0);
  EXPECT_EQ(bits[4], 255);
  EXPECT_EQ(bits[16], 0);
  EXPECT_EQ(bits[32], 7);  // nothing past the bitmap's bytes
  EXPECT_EQ(Host_Pat_Blt(memory, 0, 0, 1, 1, 0x1234), 0);
  EXPECT_EQ(Host_Release_DC(nullptr, memory), 0);
  EXPECT_EQ(Host_Delete_DC(window_dc), 0);
  EXPECT_EQ(Host_Delete_DC(memory), 1);
  EXPECT_EQ(Host_Delete_Bitmap(bitmap), 1);
  EXPECT_EQ(Host_Get_Bitmap(bitmap, &info), 0);  // stale handles are refused
  EXPECT_EQ(Host_Select_Font(memory, Host_Stock_Font(HOST_SYSTEM_FONT)), nullptr);
  EXPECT_EQ(Host_Release_DC(nullptr, window_dc), 1);
  EXPECT_EQ(Host_Release_DC(nullptr, window_dc), 0);
  Host_Report_Capture capture;
  EXPECT_EQ(Host_Create_Compatible_Bitmap(nullptr, 0, 5), nullptr);
  EXPECT_EQ(Host_Create_Compatible_Bitmap(nullptr, HOST_BITMAP_MAX_SIDE + 1, 5), nullptr);
  EXPECT_EQ(capture.Count(2), 4u);
}

/// A window with a current context and a window device context with "arial" selected.
struct Font_Lists {
  Platform_Window* window = Platform_Window_Create(L"lists", 64, 32, nullptr);
  Platform_DC pdc = Platform_Get_DC(window);
  Platform_GLRC context = nullptr;
  Host_DC dc = Host_Get_DC(window, "lists");
  Host_Font font = Host_Create_Font(nullptr, "arial", "", "", 16);

  Font_Lists() {
    Platform_Pixel_Format want;
    want.flags = PLATFORM_PFD_DRAW_TO_WINDOW | PLATFORM_PFD_SUPPORT_OPENGL;
    want.color_bits = 24;
    Platform_Set_Pixel_Format(pdc, Platform_Choose_Pixel_Format(pdc, &want), &want);
    context = Platform_GL_Create_Context(pdc);
    Host_Select_Font(dc, font);
  }
  ~Font_Lists() {
    Platform_GL_Make_Current(nullptr, nullptr);
    Host_Release_DC(window, dc);
    Host_Delete_Font(font);
    Platform_GL_Delete_Context(context);
    Platform_Release_DC(window, pdc);
    Platform_Window_Destroy(window);
  }
};

// Regression: the lists of glyphs without pixels (space, control characters) were compiled
// with no bits, which the driver failed with GL_OUT_OF_MEMORY.
TEST(HostText, EmptyGlyphListsCompileWithoutError) {
  Font_Lists f;
  ASSERT_EQ(Platform_GL_Make_Current(f.pdc, f.context), 1);
  const GLuint base = glGenLists(33);
  ASSERT_EQ(Host_Use_Font_Bitmaps(f.dc, 0, 33, base), 1);  // controls and the space
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
  glDeleteLists(base, 33);
}

// The display lists of a font move the raster position by each character's advance, which is
// what the text extent adds up.
TEST(HostText, FontBitmapListsAdvanceAsTheExtentMeasures) {
  Font_Lists f;
  Host_DC dc = f.dc;
  EXPECT_EQ(Host_Use_Font_Bitmaps(dc, 0, 127, 1), 0);  // no context current
  ASSERT_EQ(Platform_GL_Make_Current(f.pdc, f.context), 1);
  const GLuint base = glGenLists(127);
  ASSERT_EQ(Host_Use_Font_Bitmaps(dc, 0, 127, base), 1);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 64, 0, 32, -1, 1);
  const char* text = "Ab\x01" "c";
  glRasterPos2i(2, 10);
  glListBase(base);
  glCallLists(4, GL_UNSIGNED_BYTE, text);
  GLfloat position[4];
  glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
  int width = 0;
  Host_Get_Tabbed_Text_Extent(dc, "Abc", -1, &width, nullptr);
  EXPECT_EQ(position[0], GLfloat(2 + width));  // the control character did not move
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
  glDeleteLists(base, 127);
}

TEST(HostPng, PicturesOfEveryChannelCountReadBackAsRgba) {
  const std::string path = (std::filesystem::temp_directory_path() / "quarn_host_png_test.png").string();
  const uint8_t grey[] = {0, 128, 255, 7, 8, 9};
  const uint8_t rgb[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
  const uint8_t rgba[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24};
  const struct {
    int channels;
    const uint8_t* pixels;
    std::vector<uint8_t> expected;  // the first two pixels as RGBA
  } cases[] = {
      {1, grey, {0, 0, 0, 255, 128, 128, 128, 255}},
      {3, rgb, {1, 2, 3, 255, 4, 5, 6, 255}},
      {4, rgba, {1, 2, 3, 4, 5, 6, 7, 8}},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(Host_Png_Write(path.c_str(), 3, 2, c.channels, c.pixels), 1);
    int width = 0, height = 0;
    uint8_t* back = Host_Png_Read(path.c_str(), &width, &height);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(width, 3);
    EXPECT_EQ(height, 2);
    EXPECT_EQ(std::vector<uint8_t>(back, back + 8), c.expected) << c.channels;
    std::free(back);
  }
  std::filesystem::remove(path);
  Host_Report_Capture capture;
  EXPECT_EQ(Host_Png_Write(path.c_str(), 0, 2, 4, rgba), 0);
  EXPECT_EQ(Host_Png_Write(path.c_str(), 3, 2, 5, rgba), 0);
  EXPECT_EQ(Host_Png_Write("/no/such/folder/x.png", 3, 2, 4, rgba), 0);
  EXPECT_EQ(Host_Png_Read(path.c_str(), nullptr, nullptr), nullptr);
  EXPECT_EQ(capture.Count(), 4u);
}

}  // namespace
