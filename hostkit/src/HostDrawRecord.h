// The records behind device contexts and bitmaps, and the checks that vouch for their handles.
#pragma once

#include <hostkit/HostDraw.h>

#include <cstdint>
#include <string>
#include <vector>

/// A bitmap: width x height pixels of four bytes blue, green, red, unused, rows top first.
struct Host_Bitmap_Record {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;
  Host_DC selected_in = nullptr;  // the memory context it is selected into, if any
};

/// A device context.
struct Host_DC_Record {
  Host_Window window = nullptr;
  bool memory = false;            // memory contexts draw into their bitmap
  std::string tag;                // the caller that got it, for traces
  Host_Font font = nullptr;       // null: the stock system font
  Host_Bitmap bitmap = nullptr;
  uint32_t text_color = 0x000000;
  uint32_t bk_color = 0xFFFFFF;
  int bk_mode = HOST_OPAQUE;
};

namespace hostkit {

/// Records the calling thread's last error and returns 0, for one-line failure returns.
int Draw_Fail(int error);
/// True when the handle is a live device context (else the error is set).
bool DC_Live(Host_DC dc);
/// True when the handle is a live bitmap (else the error is set).
bool Bitmap_Live(Host_Bitmap bitmap);
/// The font a context draws with: its own, else the stock system font; null without fonts.
Host_Font DC_Font(Host_DC dc);

}  // namespace hostkit
