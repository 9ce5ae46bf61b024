// The pixel-drawing calls that draw one frame region: a raster point outside the window cannot
// be used, so a column left of it or a row above it is drawn apart with a mirrored zoom.
#pragma once

#include <algorithm>
#include <cstdint>

namespace quarn::scene {

/// One call of the pixel drawing: zoom and the sub-rectangle of the frame's layers.
struct Pixel_Call {
  float zoom_x = 0, zoom_y = 0;
  int x = 0, y = 0, width = 0, height = 0;
};

/// The raster point and the calls that draw a frame region from it.
struct Frame_Calls {
  float raster_x = 0, raster_y = 0;
  int count = 0;
  Pixel_Call call[4];
};

/// Plans the drawing of the region (px, py, w, h) of a width x height frame whose pixel (px, py)
/// lands at window point (rx, ry) with zoom (zx, zy), in a window H pixels high.
inline Frame_Calls Frame_Calls_Plan(int px, int py, int w, int h, float rx, float ry, float zx,
                                    float zy, int window_height, int width, int height) {
  Frame_Calls plan;
  const bool left = rx < 0;
  const bool top = ry > float(window_height - 1);
  if (left) {
    ++px;
    rx += zx;
  }
  if (top) {
    ++py;
    ry -= zy;
  }
  w = std::min(w, width - px);
  h = std::min(h, height - py);
  plan.raster_x = rx;
  plan.raster_y = ry;
  auto add = [&](float ax, float ay, int x, int y, int cw, int ch) {
    if (cw > 0 && ch > 0) plan.call[plan.count++] = {ax, ay, x, y, cw, ch};
  };
  add(zx, zy, px, py, w, h);
  if (left) add(-zx, zy, px - 1, py, 1, h);
  if (top) add(zx, -zy, px, py - 1, w, 1);
  if (left && top) add(-zx, -zy, px - 1, py - 1, 1, 1);
  return plan;
}

}  // namespace quarn::scene
