// Conversion between RGB and HLS colours, every component in 0..1.
#include <hostkit/HostUtil.h>

#include <algorithm>
#include <cmath>

namespace {

float Clamp01(float v) { return std::isnan(v) ? 0.0f : std::clamp(v, 0.0f, 1.0f); }

// One RGB component from the two lightness bounds and a hue shifted to that component.
float Component(float low, float high, float hue) {
  hue -= std::floor(hue);
  if (hue < 1.0f / 6.0f) return low + (high - low) * hue * 6.0f;
  if (hue < 0.5f) return high;
  if (hue < 2.0f / 3.0f) return low + (high - low) * (2.0f / 3.0f - hue) * 6.0f;
  return low;
}

}  // namespace

void Host_RGB_To_HLS(float* r_h, float* g_l, float* b_s) {
  if (!r_h || !g_l || !b_s) return;
  float r = Clamp01(*r_h), g = Clamp01(*g_l), b = Clamp01(*b_s);
  float hi = std::max({r, g, b});
  float lo = std::min({r, g, b});
  float l = (hi + lo) / 2.0f;
  float h = 0.0f, s = 0.0f;
  if (hi > lo) {
    float range = hi - lo;
    s = l <= 0.5f ? range / (hi + lo) : range / (2.0f - hi - lo);
    float rc = (hi - r) / range, gc = (hi - g) / range, bc = (hi - b) / range;
    if (r == hi) h = bc - gc;
    else if (g == hi) h = 2.0f + rc - bc;
    else h = 4.0f + gc - rc;
    h /= 6.0f;
    h -= std::floor(h);
  }
  *r_h = h;
  *g_l = l;
  *b_s = s;
}

void Host_HLS_To_RGB(float* h_r, float* l_g, float* s_b) {
  if (!h_r || !l_g || !s_b) return;
  float h = std::isnan(*h_r) ? 0.0f : *h_r;  // hue wraps around; the others are clamped
  float l = Clamp01(*l_g), s = Clamp01(*s_b);
  if (s == 0.0f) {
    *h_r = *l_g = *s_b = l;
    return;
  }
  float high = l <= 0.5f ? l * (1.0f + s) : l + s - l * s;
  float low = 2.0f * l - high;
  *h_r = Component(low, high, h + 1.0f / 3.0f);
  *l_g = Component(low, high, h);
  *s_b = Component(low, high, h - 1.0f / 3.0f);
}
