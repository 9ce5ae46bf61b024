// Choosing and setting the pixel format of a window: the request, the user's preferred format,
// the description reported to the user, the capabilities found, and the fall-back when the
// format cannot be set.
#include "display/OpenGL_Internal.h"

#include "core/Trace.h"
#include "script/Remembered_Variable.h"

#include <hostkit/HostUtil.h>
#include <hostkit/HostWidgets.h>

#include <cstdarg>
#include <string>

namespace {

constexpr uint32_t kTrace = quarn::msg::GL_Format;
constexpr uint32_t kUser = quarn::msg::Platform;  // the description is for the user
// Size of the pop-ups with long texts.
constexpr int kLongWidth = 350;
constexpr int kLongHeight = 170;
// Least colour bits and stencil bits a format must have to be used.
constexpr int kMinColourBits = 16;
constexpr int kMinStencilBits = 8;
constexpr int kPopupBody = 1024;
constexpr uint32_t kCapabilityBits =
    GRAPHIC_DOUBLE_BUFFER | GRAPHIC_ALPHA | GRAPHIC_STENCIL_BUFFER | GRAPHIC_STENCIL_8 | GRAPHIC_STEREO;

const char kTitleError[] = "ERROR!";
const char kTitleWarning[] = "WARNING!";
const char kHeading[] = "ERROR in pixel format";
const char kHeadingWarning[] = "WARNING in pixel format";

// Decided on first use in a run: the host may set $OPENGL_FLAG only up to then.
bool g_request_made = false;
Platform_Pixel_Format g_request;
bool g_chosen = false;  // a format was chosen in this run; $OPENGL_CONTEXT holds it

const Platform_Pixel_Format& Request() {
  static quarn::Remembered_Variable flag{L"$OPENGL_FLAG"};
  if (g_request_made) return g_request;
  Platform_Pixel_Format f;
  f.flags = PLATFORM_PFD_DRAW_TO_WINDOW | PLATFORM_PFD_SUPPORT_OPENGL;
  if (!(flag.Value<uint8_t>() & OPENGL_FLAG_SINGLE_BUFFER)) f.flags |= PLATFORM_PFD_DOUBLEBUFFER;
  f.pixel_type = PLATFORM_PFD_TYPE_RGBA;
  f.color_bits = 24;
  f.alpha_bits = 8;
  f.depth_bits = 32;
  f.stencil_bits = 8;
  g_request = f;
  g_request_made = true;
  return g_request;
}

[[gnu::format(printf, 5, 6)]] void Popup(const char* title, const char* heading, int width, int height,
                                         const char* format, ...) {
  char body[kPopupBody];
  va_list args;
  va_start(args, format);
  Host_Format_V(body, sizeof body, format, args);
  va_end(args);
  Host_Popup_Message(Host_Main_Window, title, heading, body, width, height, 0);
}

const char* Error_Text() { return Host_Windows_Error_Text(unsigned(Platform_Last_Error())); }

int Failed(const char* outcome) {
  QUARN_REPORT(kTrace, "<<< out Fct: OpenGL_PixelFormat_RGB(%s)", outcome);
  return 0;
}

// The user's preferred format when it is fit to use, else the chosen one.
int Preferred_Or(Platform_DC dc, int preferred, int chosen) {
  Platform_Pixel_Format p;
  if (!Platform_Describe_Pixel_Format(dc, preferred, sizeof p, &p)) {
    Popup(kTitleError, kHeading, 0, 0, "wglDescribeLayerPlane() failed");
    return chosen;
  }
  if (p.stencil_bits >= kMinStencilBits && p.color_bits >= kMinColourBits &&
      p.pixel_type == PLATFORM_PFD_TYPE_RGBA && (p.flags & PLATFORM_PFD_SUPPORT_OPENGL)) {
    QUARN_REPORT(kTrace, "\tUsing Graphic Context #%d", preferred);
    return preferred;
  }
  Popup(kTitleWarning, kHeadingWarning, 0, 0, "The graphic context specified in preferences is invalid!");
  return chosen;
}

const char* Yes_No(bool yes) { return yes ? "yes" : "no"; }

const char* Type_Name(uint8_t type) {
  if (type == PLATFORM_PFD_TYPE_RGBA) return "RGBA";
  return type == PLATFORM_PFD_TYPE_COLORINDEX ? "Index" : "Unknown";
}

void Report_Layer(Platform_DC dc, int number) {
  Platform_Layer_Plane l;
  if (!Platform_Describe_Layer_Plane(dc, number, 1, sizeof l, &l)) {
    Popup(kTitleError, kHeading, 0, 0, "wglDescribeLayerPlane failed\n%s", Error_Text());
    return;
  }
  QUARN_REPORT(kTrace, "------ layer format ------");
  QUARN_REPORT(kTrace, "Flags: OpenGL:%d, Double Buffer:%d Stereo:%d Transparent:%d",
               bool(l.flags & PLATFORM_PFD_SUPPORT_OPENGL), bool(l.flags & PLATFORM_PFD_DOUBLEBUFFER),
               bool(l.flags & PLATFORM_PFD_STEREO), int(l.transparent));
  QUARN_REPORT(kTrace, "type: %s %s", Type_Name(l.pixel_type), int8_t(l.layer_plane) > 0 ? "overlay" : "underlay");
  QUARN_REPORT(kTrace, "Color Bits   R:%-2d G:%-2d B:%-2d A:%-2d (%d bits)", l.red_bits, l.green_bits,
               l.blue_bits, l.alpha_bits, l.color_bits);
  QUARN_REPORT(kTrace, "Shifts:      R:%-2d G:%-2d B:%-2d A:%-2d", l.red_shift, l.green_shift, l.blue_shift,
               l.alpha_shift);
  QUARN_REPORT(kTrace, "Others  Accum:%d, Depth:%d, Stencil:%d iLayer:%d", l.accum_bits, l.depth_bits,
               l.stencil_bits, int(int8_t(l.layer_plane)));
}

// The user sees which format is used and what it offers.
void Report(Platform_DC dc, const Platform_Pixel_Format& f, int number, int count) {
  QUARN_REPORT(kUser, "    Pixel format #\x01%-d\x02 (out of \x01%d\x02)", number, count);
  QUARN_REPORT(kUser, "    -> OpenGL:\x01%s\x02, Double Buffer:\x01%s\x02 Type:\x01%s\x02",
               Yes_No(f.flags & PLATFORM_PFD_SUPPORT_OPENGL), Yes_No(f.flags & PLATFORM_PFD_DOUBLEBUFFER),
               Type_Name(f.pixel_type));
  QUARN_REPORT(kUser, "    -> Color Bits R:\x01%-2d\x02 G:%%\x01%-2d\x02 B:%%\x01%-2d\x02 A:%%\x01%-2d\x02 (\x01%d\x02 bits)",
               f.red_bits, f.green_bits, f.blue_bits, f.alpha_bits, f.color_bits);
  QUARN_REPORT(kTrace, "    -> Shifts:      R:%-2d G:%-2d B:%-2d A:%-2d", f.red_shift, f.green_shift,
               f.blue_shift, f.alpha_shift);
  QUARN_REPORT(kTrace, "    -> Accumulator:\x01%d\x02, Depth:\x01%d\x02, Stencil:\x01%d\x02 Overlay:\x01%d\x02",
               f.accum_bits, f.depth_bits, f.stencil_bits, f.reserved & 0x0F);
  if (f.reserved & 0x0F) Report_Layer(dc, number);
  QUARN_REPORT(kTrace, "-----------------------------");
}

void Capabilities_From(const Platform_Pixel_Format& f) {
  uint32_t state = *quarn::OpenGL_State() & ~kCapabilityBits;
  if (f.flags & PLATFORM_PFD_DOUBLEBUFFER) state |= GRAPHIC_DOUBLE_BUFFER;
  if (f.flags & PLATFORM_PFD_STEREO) state |= GRAPHIC_STEREO;
  if (f.alpha_bits) state |= GRAPHIC_ALPHA;
  if (f.stencil_bits) state |= GRAPHIC_STENCIL_BUFFER;
  if (f.stencil_bits >= kMinStencilBits) state |= GRAPHIC_STENCIL_8;
  *quarn::OpenGL_State() = state;
}

// One line of the pop-up per requirement the format does not meet.
std::string Unmet(const Platform_Pixel_Format& f) {
  std::string lines;
  if (!(f.flags & PLATFORM_PFD_SUPPORT_OPENGL)) lines += "Graphic card must support OpenGL\n";
  if (f.pixel_type != PLATFORM_PFD_TYPE_RGBA) lines += "Graphic card must support RGB drawing\n";
  if (f.stencil_bits < kMinStencilBits) lines += "Graphic card must support at least 8 bits stencil\n";
  return lines;
}

// Sets the format; when that fails the user is told to reset the preference and the display's
// own choice is tried instead.
int Set(Platform_DC dc, int number) {
  const Platform_Pixel_Format& request = Request();
  if (Platform_Set_Pixel_Format(dc, number, &request)) {
    QUARN_REPORT(kTrace, "<<< out Fct: OpenGL_PixelFormat_RGB()");
    return 1;
  }
  Popup(kTitleError, kHeading, kLongWidth, kLongHeight,
        "The call to SetPixelFormat() failed!\n%s\nYou have to change the value of the line:\n"
        "OpenGL: context xxx\nin the configuration file. (set xxx to 0)\n",
        Error_Text());
  Host_Report(Host_Main_Window, quarn::msg::Invalid, "\xF1\x05" "WARNING:\x02 Unable to set Pixel Format (%d)!", number);
  Host_Report(Host_Main_Window, quarn::msg::Invalid, "\xF1\t You have to change the value of the line:");
  Host_Report(Host_Main_Window, quarn::msg::Invalid, "\xF1\t OpenGL: context xxx (set xxx to 0)");
  Host_Report(Host_Main_Window, quarn::msg::Invalid, "\xF1\t in the configuration file.");
  const int again = Platform_Choose_Pixel_Format(dc, &request);
  if (!again) {
    Host_Report(Host_Main_Window, quarn::msg::Invalid, "\xF1\t Failed in ChoosePixelFormat() !");
    return Failed("! SetPixelFormat");
  }
  *quarn::OpenGL_Context_Number() = again;
  if (!Platform_Set_Pixel_Format(dc, again, &request)) {
    Host_Report(Host_Main_Window, quarn::msg::Invalid, "\xF1\t Still failing!");
    return Failed("! SetPixelFormat");
  }
  QUARN_REPORT(kTrace, "<<< out Fct: OpenGL_PixelFormat_RGB()");
  return 1;
}

}  // namespace

int OpenGL_PixelFormat_RGB(Platform_DC dc) {
  QUARN_REPORT(kTrace, ">>> in  Fct: OpenGL_PixelFormat_RGB()");
  int32_t* preferred = quarn::OpenGL_Context_Number();
  if (g_chosen) return Set(dc, *preferred);
  if (Platform_Describe_Pixel_Format(dc, 0, 0, nullptr) == 0) {
    Popup(kTitleError, kHeading, 0, 0, "DescribePixelFormat failed");
    QUARN_REPORT(kTrace, "failed OpenGL_PixelFormat_RGB() !");
    return Failed("! DescribePixelFormat");
  }
  const int chosen = Platform_Choose_Pixel_Format(dc, &Request());
  if (!chosen) {
    Popup(kTitleError, kHeading, 0, 0, "ChoosePixelFormat failed\n%s", Error_Text());
    return Failed("! ChoosePixelFormat");
  }
  const int used = *preferred ? Preferred_Or(dc, *preferred, chosen) : chosen;
  Platform_Pixel_Format f;
  const int count = Platform_Describe_Pixel_Format(dc, used, sizeof f, &f);
  if (!count) {
    Popup(kTitleError, kHeading, 0, 0, "DescribePixelFormat failed\n%s", Error_Text());
    return Failed("! DescribePixelFormat");
  }
  Report(dc, f, used, count);
  if (f.color_bits < kMinColourBits) {
    Popup(kTitleError, kHeading, kLongWidth, kLongHeight,
          "You need a minimum of 16 color bits!\nuse \"Start\\Settings\\Control Panel\\Display\\Settings\"\n"
          "to adjust the screen Color depth");
    return Failed("pfd_stool.cColorBits < 16");
  }
  Capabilities_From(f);
  const std::string unmet = Unmet(f);
  if (!unmet.empty()) {
    Popup(kTitleError, kHeading, 0, 0, "%s", unmet.c_str());
    return Failed("! valid");
  }
  *preferred = used;
  g_chosen = true;
  return Set(dc, used);
}

void quarn::OpenGL_PixelFormat_Forget() {
  g_request_made = false;
  g_chosen = false;
}
