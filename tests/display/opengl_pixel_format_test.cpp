// Choosing the pixel format: the display's own formats, every branch driven by a test list of
// formats (no stencil, 4-bit stencil, single buffer, too few colour bits, no OpenGL, colour
// index, overlays), the user's preferred format, and the fall-back when it cannot be set.
#include "support/GL_Test.h"

#include "display/OpenGL_Internal.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace test_support;

class OpenGLPixelFormat : public GL_Test {
protected:
  /// Offers a test list and returns a device context of a new window.
  Platform_DC Offer(std::vector<Platform_Pixel_Format> list) {
    static const Platform_Pixel_Format none;  // an empty list is not the null that restores
    list_ = std::move(list);
    Platform_Pixel_Format_List_Set(list_.empty() ? &none : list_.data(), int(list_.size()));
    window_ = Window(8, 8);
    dc_ = Platform_Get_DC(window_);
    return dc_;
  }
  void TearDown() override {
    Platform_Release_DC(window_, dc_);
    GL_Test::TearDown();
  }
  static std::string Last_Popup() {
    const auto history = Host_Popup_History();
    return history.empty() ? "" : Host_Wide_To_Char(history.back().body.c_str());
  }
  static std::string Last_Title() {
    const auto history = Host_Popup_History();
    return history.empty() ? "" : Host_Wide_To_Char(history.back().title.c_str());
  }

  std::vector<Platform_Pixel_Format> list_;
  Host_Window window_ = nullptr;
  Platform_DC dc_ = nullptr;
};

constexpr uint32_t kGL = PLATFORM_PFD_DRAW_TO_WINDOW | PLATFORM_PFD_SUPPORT_OPENGL;
constexpr uint32_t kDouble = PLATFORM_PFD_DOUBLEBUFFER;

Platform_Pixel_Format Format(uint32_t flags, int colour, int alpha, int stencil, uint8_t type = PLATFORM_PFD_TYPE_RGBA) {
  Platform_Pixel_Format f;
  f.flags = flags;
  f.pixel_type = type;
  f.color_bits = uint8_t(colour);
  f.red_bits = f.green_bits = f.blue_bits = uint8_t(colour / 3);
  f.alpha_bits = uint8_t(alpha);
  f.depth_bits = 24;
  f.stencil_bits = uint8_t(stencil);
  return f;
}

TEST_F(OpenGLPixelFormat, DisplayFormatIsDescribedToTheUserAndItsCapabilitiesKept) {
  Offer({});
  Platform_Pixel_Format_List_Set(nullptr, 0);  // the display's own formats
  Host_Report_Capture capture;
  ASSERT_EQ(OpenGL_PixelFormat_RGB(dc_), 1);
  const int number = *Var<int32_t>(L"$OPENGL_CONTEXT");
  EXPECT_GT(number, 0);
  EXPECT_EQ(Platform_Get_Pixel_Format(dc_), number);
  EXPECT_EQ(*Var<uint32_t>(L"$OPENGL_STATE"),
            GRAPHIC_DOUBLE_BUFFER | GRAPHIC_ALPHA | GRAPHIC_STENCIL_BUFFER | GRAPHIC_STENCIL_8);
  const int count = Platform_Describe_Pixel_Format(dc_, 0, 0, nullptr);
  const auto user = capture.Texts(quarn::msg::Platform);
  ASSERT_EQ(user.size(), 3u);
  EXPECT_EQ(user[0], "    Pixel format #" + std::to_string(number) + " (out of " + std::to_string(count) + ")");
  EXPECT_EQ(user[1], "    -> OpenGL:yes, Double Buffer:yes Type:RGBA");
  EXPECT_EQ(user[2], "    -> Color Bits R:8  G:%8  B:%8  A:%8  (24 bits)");
  EXPECT_TRUE(capture.Contains("    -> Accumulator:0, Depth:24, Stencil:8 Overlay:0"));
  EXPECT_TRUE(capture.Contains("-----------------------------"));
  EXPECT_TRUE(capture.Contains("<<< out Fct: OpenGL_PixelFormat_RGB()"));
  EXPECT_EQ(Host_Popup_Count(), 0u);
}

// Every way a format list can fail the request, each row with its pop-up and exit trace.
TEST_F(OpenGLPixelFormat, UnfitFormatsAreRefusedWithTheReason) {
  const struct {
    const char* what;
    std::vector<Platform_Pixel_Format> list;
    unsigned fault;
    std::string popup;
    std::string outcome;
    uint32_t state;  // $OPENGL_STATE afterwards
  } cases[] = {
      {"no format at all", {}, 0, "DescribePixelFormat failed", "! DescribePixelFormat", 0},
      {"the choice fails", {Format(kGL | kDouble, 24, 8, 8)}, PLATFORM_GL_FAIL_CHOOSE,
       "ChoosePixelFormat failed\nInput/output error", "! ChoosePixelFormat", 0},
      {"too few colour bits", {Format(kGL | kDouble, 15, 0, 8)}, 0,
       "You need a minimum of 16 color bits!\nuse \"Start\\Settings\\Control Panel\\Display\\Settings\"\nto adjust the screen Color depth",
       "pfd_stool.cColorBits < 16", 0},
      {"no stencil", {Format(kGL | kDouble, 24, 8, 0)}, 0,
       "Graphic card must support at least 8 bits stencil\n", "! valid", GRAPHIC_DOUBLE_BUFFER | GRAPHIC_ALPHA},
      {"4-bit stencil", {Format(kGL, 24, 0, 4)}, 0, "Graphic card must support at least 8 bits stencil\n",
       "! valid", GRAPHIC_STENCIL_BUFFER},
      {"no OpenGL, colour index", {Format(PLATFORM_PFD_DRAW_TO_WINDOW, 24, 8, 8, PLATFORM_PFD_TYPE_COLORINDEX)}, 0,
       "Graphic card must support OpenGL\nGraphic card must support RGB drawing\n", "! valid",
       GRAPHIC_ALPHA | GRAPHIC_STENCIL_BUFFER | GRAPHIC_STENCIL_8},
  };
  for (const auto& c : cases) {
    Offer(c.list);
    Host_Popup_Reset();
    *Var<uint32_t>(L"$OPENGL_STATE") = 0;
    Platform_GL_Fail_Next(c.fault);
    Host_Report_Capture capture;
    EXPECT_EQ(OpenGL_PixelFormat_RGB(dc_), 0) << c.what;
    EXPECT_EQ(Last_Popup(), c.popup) << c.what;
    EXPECT_EQ(Last_Title(), "ERROR!") << c.what;
    EXPECT_TRUE(capture.Contains("<<< out Fct: OpenGL_PixelFormat_RGB(" + c.outcome + ")")) << c.what;
    EXPECT_EQ(*Var<uint32_t>(L"$OPENGL_STATE"), c.state) << c.what;
    EXPECT_EQ(Platform_Get_Pixel_Format(dc_), 0) << c.what;
    Platform_Release_DC(window_, dc_);
  }
}

TEST_F(OpenGLPixelFormat, SingleBufferedFormatIsUsedWhenItIsAllThereIs) {
  Offer({Format(kGL, 24, 8, 8)});
  ASSERT_EQ(OpenGL_PixelFormat_RGB(dc_), 1);
  EXPECT_EQ(*Var<uint32_t>(L"$OPENGL_STATE"), GRAPHIC_ALPHA | GRAPHIC_STENCIL_BUFFER | GRAPHIC_STENCIL_8);
}

TEST_F(OpenGLPixelFormat, PreferredFormatIsUsedOnlyWhenFit) {
  const std::vector<Platform_Pixel_Format> list = {
      Format(kGL | kDouble, 24, 8, 8),  // 1: the request's match
      Format(kGL, 24, 8, 8),            // 2: fit (single buffering is no reason to refuse it)
      Format(kGL | kDouble, 24, 8, 4),  // 3: too little stencil
  };
  const struct {
    int preferred;
    int used;
    const char* title;  // of the pop-up, none when empty
    const char* popup;
  } cases[] = {
      {2, 2, "", ""},
      {3, 1, "WARNING!", "The graphic context specified in preferences is invalid!"},
      {9, 1, "ERROR!", "wglDescribeLayerPlane() failed"},
  };
  for (const auto& c : cases) {
    quarn::OpenGL_PixelFormat_Forget();
    Offer(list);
    Host_Popup_Reset();
    *Var<int32_t>(L"$OPENGL_CONTEXT") = c.preferred;
    Host_Report_Capture capture;
    ASSERT_EQ(OpenGL_PixelFormat_RGB(dc_), 1) << c.preferred;
    EXPECT_EQ(*Var<int32_t>(L"$OPENGL_CONTEXT"), c.used) << c.preferred;
    EXPECT_EQ(Platform_Get_Pixel_Format(dc_), c.used) << c.preferred;
    EXPECT_EQ(capture.Contains("\tUsing Graphic Context #2"), c.used == 2) << c.preferred;
    EXPECT_EQ(Last_Title(), c.title) << c.preferred;
    EXPECT_EQ(Last_Popup(), c.popup) << c.preferred;
    Platform_Release_DC(window_, dc_);
  }
}

TEST_F(OpenGLPixelFormat, OverlayPlaneIsDescribed) {
  Platform_Pixel_Format overlay = Format(kGL | kDouble, 24, 8, 8);
  overlay.reserved = 1;
  Offer({overlay});
  Host_Report_Capture capture;
  ASSERT_EQ(OpenGL_PixelFormat_RGB(dc_), 1);
  for (const char* line : {"------ layer format ------", "Flags: OpenGL:1, Double Buffer:1 Stereo:0 Transparent:1",
                           "type: RGBA overlay", "Color Bits   R:8  G:8  B:8  A:8  (24 bits)",
                           "Others  Accum:0, Depth:0, Stencil:0 iLayer:1"})
    EXPECT_TRUE(capture.Contains(line)) << line;
}

TEST_F(OpenGLPixelFormat, ChoiceIsMadeOnceAndLaterWindowsTakeTheNumberAsItStands) {
  Offer({Format(kGL | kDouble, 24, 8, 8), Format(kGL | kDouble, 24, 8, 4)});
  ASSERT_EQ(OpenGL_PixelFormat_RGB(dc_), 1);
  // The request was made once: single buffering asked for afterwards changes nothing.
  *Var<uint8_t>(L"$OPENGL_FLAG") = OPENGL_FLAG_SINGLE_BUFFER;
  *Var<int32_t>(L"$OPENGL_CONTEXT") = 2;  // not fit, but no longer checked
  Host_Window second = Window(8, 8);
  Platform_DC dc = Platform_Get_DC(second);
  Host_Report_Capture capture;
  EXPECT_EQ(OpenGL_PixelFormat_RGB(dc), 1);
  EXPECT_EQ(Platform_Get_Pixel_Format(dc), 2);
  EXPECT_FALSE(capture.Contains("Pixel format #"));
  Platform_Release_DC(second, dc);
}

TEST_F(OpenGLPixelFormat, FormatThatCannotBeSetFallsBackToTheChoice) {
  Offer({Format(kGL | kDouble, 24, 8, 8), Format(kGL, 24, 8, 8)});
  ASSERT_EQ(OpenGL_PixelFormat_RGB(dc_), 1);
  *Var<int32_t>(L"$OPENGL_CONTEXT") = 7;  // no such format
  Host_Window second = Window(8, 8);
  Platform_DC dc = Platform_Get_DC(second);
  Host_Report_Capture capture;
  EXPECT_EQ(OpenGL_PixelFormat_RGB(dc), 1);
  EXPECT_EQ(Platform_Get_Pixel_Format(dc), 1);
  EXPECT_EQ(*Var<int32_t>(L"$OPENGL_CONTEXT"), 1);
  const auto errors = capture.Texts(quarn::msg::Invalid);
  const std::vector<std::string> expected = {"WARNING: Unable to set Pixel Format (7)!",
                                             "\t You have to change the value of the line:",
                                             "\t OpenGL: context xxx (set xxx to 0)",
                                             "\t in the configuration file."};
  EXPECT_EQ(errors, expected);
  EXPECT_EQ(Last_Popup(),
            "The call to SetPixelFormat() failed!\nInvalid argument\nYou have to change the value of the line:\n"
            "OpenGL: context xxx\nin the configuration file. (set xxx to 0)\n");
  EXPECT_EQ(Host_Popup_History().back().width, 350);
  // A window that already has another format cannot take the choice either.
  Host_Window third = Window(8, 8);
  Platform_DC dc3 = Platform_Get_DC(third);
  Platform_Set_Pixel_Format(dc3, 2, nullptr);
  capture.Clear();
  EXPECT_EQ(OpenGL_PixelFormat_RGB(dc3), 0);
  EXPECT_TRUE(capture.Contains("\t Still failing!"));
  EXPECT_TRUE(capture.Contains("<<< out Fct: OpenGL_PixelFormat_RGB(! SetPixelFormat)"));
  // The window keeps the format it had, and its context is made with that one.
  EXPECT_EQ(OpenGL_Context_On(third, 0), 1);
  OpenGL_Context_Off(third, 0);
  Platform_Release_DC(second, dc);
  Platform_Release_DC(third, dc3);
}

}  // namespace
