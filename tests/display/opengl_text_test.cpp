// Raster text on real contexts: text at the raster position in the colour asked, in-text colour
// and font codes, the outlined form, bytes without glyphs, the raster-font table and its
// clean-up; text rendered into power-of-two masks, its sizes, alignments and pixel depths.
#include "support/GL_Test.h"

#include "display/OpenGL_Internal.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace test_support;

class OpenGLText : public GL_Test {};

constexpr int kWidth = 160, kHeight = 32;
constexpr int kBaseline = 24;  // window row of the text's baseline
constexpr uint16_t kSize = 20;
constexpr uint32_t kBlack = 0x000000, kRed = 0xFF0000, kGreen = 0x00FF00, kWhite = 0xFFFFFF;
constexpr uint32_t kGrey = 0x808080;

/// Draws into a fresh window's back buffer, swaps, and reads the picture back.
template <class Draw>
Image Draw_In(Host_Window w, uint32_t background, Draw&& draw) {
  EXPECT_EQ(OpenGL_Context_On(w, OPENGL_CONTEXT_BACK), 1);
  Pixel_Projection(kWidth, kHeight);
  Clear(background);
  draw();
  OpenGL_Context_Off(w, 0);
  return Read(w);
}

/// Columns x0 ... x1 (inclusive) and rows y0 ... y1 holding a colour; x0 > x1 when none.
struct Box {
  int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN;
};
Box Box_Of(const Image& image, uint32_t rgb) {
  Box b;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
      if (image.Rgb(x, y) == rgb) {
        b.x0 = std::min(b.x0, x), b.x1 = std::max(b.x1, x);
        b.y0 = std::min(b.y0, y), b.y1 = std::max(b.y1, y);
      }
  return b;
}

/// The width of a text in "arial" of a size, measured by the host's rasteriser.
int Extent(const char* text, int size, const char* weight = "") {
  Host_DC dc = Host_Create_Compatible_DC(nullptr);
  Host_Font font = Host_Create_Font(nullptr, "arial", weight, "", size);
  Host_Select_Font(dc, font);
  int width = 0;
  Host_Get_Tabbed_Text_Extent(dc, text, -1, &width, nullptr);
  Host_Delete_DC(dc);
  Host_Delete_Font(font);
  return width;
}

TEST_F(OpenGLText, TextAppearsAtTheRasterPositionInTheColourAsked) {
  Host_Window w = Window(kWidth, kHeight);
  const Image picture = Draw_In(w, kBlack, [] {
    EXPECT_EQ(OpenGL_Text_DrawRasterFont("Hello", kSize, 255, 0, 0, 10, kBaseline, 0), 1);
  });
  const Box red = Box_Of(picture, kRed);
  EXPECT_GE(red.x0, 10);
  EXPECT_LT(red.x1, 10 + Extent("Hello", kSize));
  EXPECT_LE(red.y1, kBaseline);  // nothing of "Hello" goes below the baseline
  EXPECT_GT(red.y1, kBaseline - 3);
  EXPECT_GT(red.y0, kBaseline - kSize);
  EXPECT_EQ(picture.Count(kRed) + picture.Count(kBlack), kWidth * kHeight);  // no other colour
  EXPECT_TRUE(Golden_Match(picture, "display/golden/text_hello.png", {0, 0.0}));
}

TEST_F(OpenGLText, ColourBytesChangeTheColourOfWhatFollowsAndFontBytesTheFont) {
  Host_Window w = Window(kWidth, kHeight);
  const Image picture = Draw_In(w, kBlack, [] {
    OpenGL_Text_DrawRasterFont("Ab\x06" "Cd\x03" "\xF1" "Ef\xF0" "g", kSize, 255, 0, 0, 4, kBaseline, 0);
  });
  const Box red = Box_Of(picture, kRed), green = Box_Of(picture, kGreen), white = Box_Of(picture, kWhite);
  EXPECT_LT(red.x1, green.x0);
  EXPECT_LT(green.x1, white.x0);
  EXPECT_EQ(picture.Count(kRed) + picture.Count(kGreen) + picture.Count(kWhite) + picture.Count(kBlack),
            kWidth * kHeight);
  // The text advanced by the plain widths, then the bold ones.
  const int end = 4 + Extent("AbCd", kSize) + Extent("Ef", kSize, "bold") + Extent("g", kSize);
  EXPECT_LT(white.x1, end);
  EXPECT_GT(white.x1, end - Extent("g", kSize) - 1);
  EXPECT_TRUE(Golden_Match(picture, "display/golden/text_codes.png", {0, 0.0}));
}

TEST_F(OpenGLText, OutlinedTextHasABlackRimTwoPixelsWide) {
  Host_Window w = Window(kWidth, kHeight);
  const Image picture = Draw_In(w, kGrey, [] {
    OpenGL_Text_DrawRasterFont_2("Hi\x04", kSize, 255, 255, 255, 10, kBaseline, 0);
  });
  const Box white = Box_Of(picture, kWhite), black = Box_Of(picture, kBlack);
  EXPECT_EQ(black.x0, white.x0 - 2);
  EXPECT_EQ(black.x1, white.x1 + 2);
  EXPECT_EQ(black.y0, white.y0 - 2);
  EXPECT_EQ(black.y1, white.y1 + 2);
  EXPECT_EQ(picture.Count(kRed), 0);  // no code is read
  EXPECT_TRUE(Golden_Match(picture, "display/golden/text_outline.png", {0, 0.0}));
}

// Bytes past the glyph table and control bytes draw nothing and move nothing, whichever
// lists follow the font's in the share group.
TEST_F(OpenGLText, BytesWithoutGlyphsDrawNothing) {
  Host_Window w = Window(kWidth, kHeight);
  const Image plain = Draw_In(w, kBlack, [] { OpenGL_Text_DrawRasterFont("AB", kSize, 255, 255, 255, 4, kBaseline, 0); });
  std::string odd = "A";
  for (int c = 7; c < 32; ++c) odd += char(c);
  for (int c = 127; c < 256; ++c)
    if (c < 240 || c > 242) odd += char(c);
  odd += "B";
  const Image drawn = Draw_In(w, kBlack, [&] {
    // Other fonts' lists lie right after the plain font's.
    quarn::Fct_Text_MakeRasterFont("arial", "", "", kSize + 1);
    OpenGL_Text_DrawRasterFont(odd.c_str(), kSize, 255, 255, 255, 4, kBaseline, 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
  });
  EXPECT_EQ(drawn.rgba, plain.rgba);
  const Image outlined = Draw_In(w, kBlack, [&] { OpenGL_Text_DrawRasterFont_2(odd.c_str(), kSize, 255, 255, 255, 4, kBaseline, 0); });
  const Image outlined_plain = Draw_In(w, kBlack, [] { OpenGL_Text_DrawRasterFont_2("AB", kSize, 255, 255, 255, 4, kBaseline, 0); });
  EXPECT_EQ(outlined.rgba, outlined_plain.rgba);
}

TEST_F(OpenGLText, RasterFontTableMakesEachFontOncePerContextAndHasALimit) {
  Host_Window a = Window(8, 8), b = Window(8, 8);
  ASSERT_EQ(OpenGL_Context_On(a, 0), 1);
  Host_Report_Capture capture;
  EXPECT_EQ(quarn::Fct_Text_MakeRasterFont("arial", "", "", 0), 0u);
  EXPECT_TRUE(capture.Contains("<<< out Fct: Fct_Text_MakeRasterFont(f_scale <= 0)"));
  const uint32_t plain = quarn::Fct_Text_MakeRasterFont("arial", "", "", 12);
  ASSERT_NE(plain, 0u);
  ASSERT_NE(plain, quarn::OGL_FONT_FAILED);
  EXPECT_EQ(quarn::Fct_Text_MakeRasterFont("arial", "", "", 12), plain);
  EXPECT_TRUE(capture.Contains("<<< out Fct: Fct_Text_MakeRasterFont(already there)"));
  EXPECT_NE(quarn::Fct_Text_MakeRasterFont("arial", "bold", "", 12), plain);
  EXPECT_NE(quarn::Fct_Text_MakeRasterFont("Arial", "", "", 12), plain);  // names compare exactly
  const std::string long_face(quarn::OGL_FONT_FACE_CHARS, 'x');
  EXPECT_EQ(quarn::Fct_Text_MakeRasterFont(long_face.c_str(), "", "", 12), 0u);
  // A size no font comes in falls back to the system font, which still draws.
  const uint32_t huge = quarn::Fct_Text_MakeRasterFont("arial", "", "", 60000);
  EXPECT_NE(huge, 0u);
  EXPECT_NE(huge, quarn::OGL_FONT_FAILED);
  OpenGL_Context_Off(a, 0);
  // Another context makes its own lists.
  ASSERT_EQ(OpenGL_Context_On(b, 0), 1);
  const uint32_t in_b = quarn::Fct_Text_MakeRasterFont("arial", "", "", 12);
  EXPECT_NE(in_b, plain);
  // Fill the table: the 129th distinct font reuses the last one made in this context.
  int made = 5;  // plain, bold, "Arial" and the huge one in a, plain in b
  uint32_t last = in_b;
  for (; made < MAX_OGL_FONT; ++made) last = quarn::Fct_Text_MakeRasterFont(("face " + std::to_string(made)).c_str(), "", "", 8);
  capture.Clear();
  EXPECT_EQ(quarn::Fct_Text_MakeRasterFont("arial", "", "", 999), last);
  EXPECT_TRUE(capture.Contains("\t To many fonts:(max=128)"));
  EXPECT_TRUE(capture.Contains("<<< out Fct: Fct_Text_MakeRasterFont(i >= MAX_OGL_FONT)"));
  EXPECT_TRUE(glIsList(plain));
  OpenGL_Context_Off(b, 0);
  // Clean-up deletes every font's lists and empties the table.
  capture.Clear();
  OpenGL_Text_Cleanup();
  EXPECT_EQ(capture.Count(quarn::msg::GL_Text_Cleanup), size_t(MAX_OGL_FONT) + 2);
  EXPECT_TRUE(capture.Contains("-> Deleting 127 font list starting at: " + std::to_string(plain)));
  ASSERT_EQ(OpenGL_Context_On(b, 0), 1);
  EXPECT_FALSE(glIsList(plain));
  EXPECT_FALSE(glIsList(last));
  EXPECT_NE(quarn::Fct_Text_MakeRasterFont("arial", "", "", 999), 0u);  // room again
  OpenGL_Context_Off(b, 0);
}

TEST_F(OpenGLText, FontWithoutAContextCannotBeMade) {
  Host_Report_Capture capture;
  EXPECT_EQ(quarn::Fct_Text_MakeRasterFont("arial", "", "", 12), quarn::OGL_FONT_FAILED);
  EXPECT_TRUE(capture.Contains("ERROR: Unable to create font!"));
  // Drawing without a usable font draws nothing, and says it is done.
  EXPECT_EQ(OpenGL_Text_DrawRasterFont("x", 12, 0, 0, 0, 0, 0, 0), 1);
}

// ---- text into masks ------------------------------------------------------------------------

struct Mask {
  std::vector<uint16_t> texels;
  int texture_width = 0, texture_height = 0, text_width = 0, text_height = 0;

  bool Lit(int x, int y) const { return texels[size_t(y) * size_t(texture_width) + size_t(x)] != 0; }
  /// The first and last lit columns.
  std::pair<int, int> Columns() const {
    int first = texture_width, last = -1;
    for (int y = 0; y < texture_height; ++y)
      for (int x = 0; x < texture_width; ++x)
        if (Lit(x, y)) first = std::min(first, x), last = std::max(last, x);
    return {first, last};
  }
};

Mask To_Mask(const char* text, int size, int flags) {
  Mask m;
  uint16_t* texels = OpenGL_Text_To_Bitmap(nullptr, text, "arial", size, &m.texture_width, &m.texture_height,
                                           &m.text_width, &m.text_height, flags);
  if (!texels) return m;
  m.texels.assign(texels, texels + size_t(m.texture_width) * size_t(m.texture_height));
  std::free(texels);
  return m;
}

// A text of two runs of characters exactly width pixels wide in the mask's font (size - 4).
std::string Text_Of_Width(int width, int size) {
  const std::string chars = "il.1 ITaxWM";
  for (char a : chars)
    for (char b : chars) {
      const int wa = Extent(std::string(1, a).c_str(), size - 4), wb = Extent(std::string(1, b).c_str(), size - 4);
      for (int n = 0; wa > 0 && wb > 0 && n * wa <= width; ++n)
        if ((width - n * wa) % wb == 0) return std::string(size_t(n), a) + std::string(size_t((width - n * wa) / wb), b);
    }
  return "";
}

// The cell height of "arial" of a size.
int Cell(int size) {
  Host_DC dc = Host_Create_Compatible_DC(nullptr);
  Host_Font font = Host_Create_Font(nullptr, "arial", "", "", size);
  Host_Select_Font(dc, font);
  Host_Text_Metrics metrics;
  Host_Get_Text_Metrics(dc, &metrics);
  Host_Delete_DC(dc);
  Host_Delete_Font(font);
  return metrics.height;
}

TEST_F(OpenGLText, MaskSidesAreThePowersOfTwoThatHoldTheText) {
  const struct {
    int extent;
    int texture_width;
  } cases[] = {
      {100, 128},  // text width 102
      {126, 128},  // 128 fits exactly
      {128, 256},
      {254, 256},  // 256 fits exactly
      {256, 512},  // text width 258
  };
  for (const auto& c : cases) {
    const std::string text = Text_Of_Width(c.extent, 24);
    ASSERT_FALSE(text.empty()) << c.extent;
    ASSERT_EQ(Extent(text.c_str(), 20), c.extent);
    const Mask m = To_Mask(text.c_str(), 24, 1);
    EXPECT_EQ(m.text_width, c.extent + 2);
    EXPECT_EQ(m.texture_width, c.texture_width) << c.extent;
    EXPECT_EQ(m.text_height, Cell(20) + 2);
    EXPECT_EQ(m.texture_height, 32);
  }
  // The ascent-only height of flags 0xF0 leaves the descent out.
  const Mask ascent = To_Mask("g", 24, 0x11);
  EXPECT_LT(ascent.text_height, Cell(20) + 2);
}

TEST_F(OpenGLText, TextureSideTables) {
  const struct {
    int text;
    int width;
    int height;
  } cases[] = {
      {0, 16, 16},    {16, 16, 16},   {17, 32, 32},   {32, 32, 32},     {33, 64, 64},
      {64, 64, 64},   {65, 128, 128}, {128, 128, 128}, {129, 256, 128}, {256, 256, 128},
      {257, 512, 128}, {512, 512, 128}, {513, 1024, 128}, {5000, 1024, 128},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(quarn::Text_Texture_Width(c.text), c.width) << c.text;
    EXPECT_EQ(quarn::Text_Texture_Height(c.text), c.height) << c.text;
  }
}

TEST_F(OpenGLText, AlignmentMovesTheSameTextWithinTheMask) {
  const std::string text = "Tab\tstop";
  const Mask left = To_Mask(text.c_str(), 20, 1), right = To_Mask(text.c_str(), 20, 0),
             centre = To_Mask(text.c_str(), 20, 2), other = To_Mask(text.c_str(), 20, 7);
  ASSERT_FALSE(left.texels.empty());
  const int extent = left.text_width - 2;
  EXPECT_EQ(Extent(text.c_str(), 16), extent);  // the tab stop counts in the width
  const int right_shift = left.texture_width - extent;   // start texture_width - extent + 1
  const int centre_shift = right_shift / 2 - 1;          // start (texture_width - extent) / 2
  for (int y = 0; y < left.texture_height; ++y)
    for (int x = 0; x < left.texture_width; ++x) {
      if (x + right_shift < left.texture_width) {
        EXPECT_EQ(left.Lit(x, y), right.Lit(x + right_shift, y)) << x << "," << y;
      }
      if (x + centre_shift < left.texture_width) {
        EXPECT_EQ(left.Lit(x, y), centre.Lit(x + centre_shift, y)) << x << "," << y;
      }
    }
  EXPECT_EQ(other.texels, left.texels);  // another alignment is the left one
  EXPECT_LE(left.Columns().first, 3);
}

TEST_F(OpenGLText, WideTextMakesTheSameMask) {
  const Mask narrow = To_Mask("Wide 42", 18, 2);
  Mask wide;
  uint16_t* texels = OpenGL_Text_To_Bitmap(nullptr, L"Wide 42", "arial", 18, &wide.texture_width,
                                           &wide.texture_height, nullptr, nullptr, 2);
  ASSERT_NE(texels, nullptr);
  wide.texels.assign(texels, texels + size_t(wide.texture_width) * size_t(wide.texture_height));
  std::free(texels);
  EXPECT_EQ(wide.texels, narrow.texels);
}

TEST_F(OpenGLText, MaskRequestsWithoutTextOrWithATinySize) {
  Host_Report_Capture capture;
  int width = 0, height = 0;
  EXPECT_EQ(OpenGL_Text_To_Bitmap(nullptr, static_cast<const char*>(nullptr), "arial", 20, &width, &height,
                                  nullptr, nullptr, 1),
            nullptr);
  EXPECT_TRUE(capture.Contains("<<< out Fct: OpenGL_Text_To_Bitmap(! text)"));
  // Size 4 leaves no font size: the system font stands in.
  const Mask tiny = To_Mask("x", 4, 1);
  ASSERT_FALSE(tiny.texels.empty());
  EXPECT_GT(tiny.text_height, 10);
  // Five sizes in turn through the four cached fonts give what fresh fonts give.
  for (int size : {10, 12, 14, 16, 18, 10}) EXPECT_EQ(To_Mask("ok", size, 1).text_width, Extent("ok", size - 4) + 2);
}

// Any byte value, any wide value and texts larger than the largest mask render inside the mask:
// nothing is looked up past a glyph table or drawn past the bitmap, in every alignment.
TEST_F(OpenGLText, MasksOfAnyCharacterValuesAndOversizedTextsStayInsideTheirTexture) {
  std::string bytes;
  for (int c = 1; c < 256; ++c) bytes += char(c);  // control bytes, codes, stray UTF-8 bytes
  std::wstring wide = L"A";
  for (wchar_t c : {wchar_t(0x7F), wchar_t(0x9B), wchar_t(0xD800), wchar_t(0xFFFF), wchar_t(0x10FFFF),
                    wchar_t(0x110000), wchar_t(0x7FFFFFFF), wchar_t(-1)})
    wide += c;
  wide += L"B";
  const std::string oversized(300, 'W');  // far wider than 1024 pixels and taller than 128
  for (int align : {0, 1, 2}) {
    const Mask all = To_Mask(bytes.c_str(), 20, align);
    ASSERT_FALSE(all.texels.empty()) << align;
    EXPECT_EQ(all.texture_width, quarn::Text_Texture_Width(all.text_width));
    Mask odd;
    uint16_t* texels = OpenGL_Text_To_Bitmap(nullptr, wide.c_str(), "arial", 20, &odd.texture_width,
                                             &odd.texture_height, &odd.text_width, &odd.text_height, align);
    ASSERT_NE(texels, nullptr) << align;
    std::free(texels);
    EXPECT_GE(odd.text_width, Extent("AB", 16) + 2);  // the letters are still measured
    const Mask big = To_Mask(oversized.c_str(), 200, align);
    ASSERT_FALSE(big.texels.empty()) << align;
    EXPECT_EQ(big.texture_width, 1024);
    EXPECT_EQ(big.texture_height, 128);
    EXPECT_GT(big.text_width, 1024);  // the caller learns how much did not fit
    EXPECT_NE(big.Columns().second, -1);
  }
}

TEST_F(OpenGLText, MaskIsLitWhereAPixelOfAnyDepthIsNotZero) {
  const struct {
    int bits;
    std::vector<uint8_t> pixels;  // two pixels
    std::vector<uint16_t> mask;
  } cases[] = {
      {8, {0, 3}, {0, 0xFFFF}},
      {16, {0, 1, 0, 0}, {0xFFFF, 0}},                         // either byte counts
      {24, {0, 9, 9, 5, 0, 0}, {0, 0xFFFF}},                    // only the first byte counts
      {32, {0, 0, 0, 1, 0, 0, 0, 0}, {0xFFFF, 0}},             // the whole pixel counts
  };
  for (const auto& c : cases) {
    std::vector<uint16_t> out(2, 7);
    quarn::Text_Mask_From_Bits(c.pixels.data(), 2, 1, c.bits, int(c.pixels.size()), out.data());
    EXPECT_EQ(out, c.mask) << c.bits;
  }
}

}  // namespace
