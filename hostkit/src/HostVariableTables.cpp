// Static arrays behind the default host variables: tag palette, colour maps, lists of names.
#include "HostVariableTables.h"

#include <hostkit/HostReport.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace hostkit::defaults {

uint16_t Tag_Red[kTags + 1];
uint16_t Tag_Grn[kTags + 1];
uint16_t Tag_Blu[kTags + 1];
float Tag_Alpha[kTags + 1];
uint8_t Tag_Enable[kTags + 1];
uint8_t Tag_Lock[kTags];
uint8_t Undo_Tag[kTags];
wchar_t* Tag_Label[kTags + 1];
uint32_t* Colormap_Table[kMaps];
void* Window_Pt[kWindows];
void* Frame_Cur[kWindows];
float Units_Factor[kUnits];
char* Units_Label[kUnits];
char* Units_Power[3];
char* Marker_Label[kMarkers];
char* Vert_Label_Name[kVertebrae];
Host_Key_Name Key_Name[kKeys];

namespace {

uint32_t g_maps[kMaps][kMapSize];

struct Rgb {
  uint8_t r, g, b;
};

// The first tags get colours that are told apart at a glance; tag 0 is the background.
constexpr Rgb kFirstTags[] = {
    {0, 0, 0},       {255, 0, 0},   {0, 255, 0},   {0, 0, 255},    {255, 255, 0},   {0, 255, 255},
    {255, 0, 255},   {255, 128, 0}, {128, 0, 255}, {0, 255, 128},  {255, 0, 128},   {0, 128, 255},
    {128, 255, 0},   {160, 82, 45}, {255, 255, 255}, {128, 128, 128},
};

uint8_t To_Byte(float v) { return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); }

Rgb Hsv(float h, float s, float v) {
  const float h6 = (h - std::floor(h)) * 6.0f;
  const int sector = int(h6) % 6;
  const float f = h6 - std::floor(h6);
  const float p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  const float rgb[6][3] = {{v, t, p}, {q, v, p}, {p, v, t}, {p, q, v}, {t, p, v}, {v, p, q}};
  return {To_Byte(rgb[sector][0]), To_Byte(rgb[sector][1]), To_Byte(rgb[sector][2])};
}

// Further tags step the hue by the golden angle, so that neighbouring numbers differ, and cycle
// through three shades.
Rgb Tag_Colour(int t) {
  constexpr int first = int(sizeof kFirstTags / sizeof kFirstTags[0]);
  if (t < first) return kFirstTags[t];
  constexpr float shade[3][2] = {{1.0f, 1.0f}, {0.55f, 1.0f}, {1.0f, 0.7f}};
  const float* sv = shade[t % 3];
  return Hsv(float(t) * 0.618034f, sv[0], sv[1]);
}

void Reset_Palette() {
  for (int t = 0; t < kTags; ++t) {
    const Rgb c = Tag_Colour(t);
    Tag_Red[t] = uint16_t(c.r * 257);
    Tag_Grn[t] = uint16_t(c.g * 257);
    Tag_Blu[t] = uint16_t(c.b * 257);
    // Overlays draw with an alpha test that lets alpha below 1 through: the background's 1.0
    // keeps it off the image, the tags' 0.5 blends them half over it.
    Tag_Alpha[t] = t == 0 ? 1.0f : 0.5f;
    Tag_Enable[t] = t != 0;
  }
  Tag_Red[kTags] = Tag_Red[kTags - 1];
  Tag_Grn[kTags] = Tag_Grn[kTags - 1];
  Tag_Blu[kTags] = Tag_Blu[kTags - 1];
  Tag_Alpha[kTags] = Tag_Alpha[kTags - 1];
  Tag_Enable[kTags] = 0;
  std::memset(Tag_Lock, 0, sizeof Tag_Lock);
  std::memset(Undo_Tag, 0, sizeof Undo_Tag);
}

// Alpha follows the convention of colour images: 255 less the brightest component.
uint32_t Rgba(float r, float g, float b) {
  const uint8_t R = To_Byte(r), G = To_Byte(g), B = To_Byte(b);
  const uint8_t A = uint8_t(255 - std::max({R, G, B}));
  return uint32_t(R) | uint32_t(G) << 8 | uint32_t(B) << 16 | uint32_t(A) << 24;
}

// A perceptually uniform map from dark blue through green to yellow whose lightness rises
// evenly: a degree-6 polynomial per component fitted to the published table, so no data file
// is needed (error below 1/100 of full scale).
float Viridis(const double (&c)[7], float x) {
  double v = c[6];
  for (int k = 5; k >= 0; --k) v = v * x + c[k];
  return float(v);
}

uint32_t Viridis_Rgba(float x) {
  static constexpr double red[7] = {0.2777273272234177, 0.1050930431085774, -0.3308618287255563,
                                    -4.634230498983486, 6.228269936347081,  4.776384997670288,
                                    -5.435455855934631};
  static constexpr double green[7] = {0.005407344544966578, 1.404613529898575, 0.214847559468213,
                                      -5.799100973351585,   14.17993336680509, -13.74514537774601,
                                      4.645852612178535};
  static constexpr double blue[7] = {0.3340998053353061, 1.384590162594685, 0.09509516302823659,
                                     -19.33244095627987, 56.69055260068105, -65.35303263337234,
                                     26.3124352495832};
  return Rgba(Viridis(red, x), Viridis(green, x), Viridis(blue, x));
}

void Reset_Colormaps() {
  for (int i = 0; i < kMapSize; ++i) {
    const float x = float(i) / float(kMapSize - 1);
    g_maps[0][i] = Rgba(x, x, x);
    g_maps[1][i] = Rgba(1 - x, 1 - x, 1 - x);
    // Hot iron: black, red, yellow, white.
    g_maps[2][i] = Rgba(3 * x, 3 * x - 1, 3 * x - 2);
    // Rainbow: blue, cyan, green, yellow, red.
    g_maps[3][i] = Rgba(1.5f - std::fabs(4 * x - 3), 1.5f - std::fabs(4 * x - 2),
                        1.5f - std::fabs(4 * x - 1));
    g_maps[4][i] = Viridis_Rgba(x);
  }
  for (int k = 0; k < kMaps; ++k) Colormap_Table[k] = g_maps[k];
}

[[gnu::cold]] void Text_Memory_Error(int length) {
  Host_Report(Host_Main_Window, 1, "line %-4d of %s \nmemory error in _wcsdup (var=%s, dim=%dx%d)",
              __LINE__, "host_variable_tables", "text", length, 1);
}

void Set_Text(wchar_t*& slot, const wchar_t* text) {
  std::free(slot);
  slot = wcsdup(text);
  if (!slot) Text_Memory_Error(int(std::wcslen(text)));
}

void Set_Text(char*& slot, const char* text) {
  std::free(slot);
  slot = strdup(text);
  if (!slot) Text_Memory_Error(int(std::strlen(text)));
}

template <class Text, size_t N>
void Set_Texts(Text* (&slots)[N], const Text* const (&texts)[N]) {
  for (size_t i = 0; i < N; ++i) Set_Text(slots[i], texts[i]);
}

void Reset_Texts() {
  for (int t = 0; t <= kTags; ++t) {
    wchar_t label[16];
    std::swprintf(label, 16, L"Tag%d", t < kTags ? t : kTags - 1);
    Set_Text(Tag_Label[t], t == 0 ? L"Background" : label);
  }
  static const char* const units[kUnits] = {"mm", "cm", "m", "in"};
  static const char* const powers[3] = {"", "\u00B2", "\u00B3"};
  static const char* const markers[kMarkers] = {"Cross",    "Circle",  "Square",
                                                 "Triangle", "Diamond", "Star"};
  static const char* const vertebrae[kVertebrae] = {
      "C1", "C2", "C3", "C4", "C5", "C6", "C7", "T1", "T2", "T3", "T4", "T5", "T6",
      "T7", "T8", "T9", "T10", "T11", "T12", "L1", "L2", "L3", "L4", "L5", "S1"};
  Set_Texts(Units_Label, units);
  Set_Texts(Units_Power, powers);
  Set_Texts(Marker_Label, markers);
  Set_Texts(Vert_Label_Name, vertebrae);
  const float factors[kUnits] = {1.0f, 0.1f, 0.001f, 1.0f / 25.4f};
  std::copy(factors, factors + kUnits, Units_Factor);
}

// Windows virtual-key codes, under the names scripts use for them.
void Reset_Key_Names() {
  static const Host_Key_Name named[] = {
      {8, L"Backspace"}, {9, L"Tab"},      {13, L"Enter"},    {16, L"Shift"},   {17, L"Control"},
      {18, L"Alt"},      {19, L"Pause"},   {20, L"CapsLock"}, {27, L"Escape"},  {32, L"Space"},
      {33, L"PageUp"},   {34, L"PageDown"}, {35, L"End"},     {36, L"Home"},    {37, L"Left"},
      {38, L"Up"},       {39, L"Right"},   {40, L"Down"},     {45, L"Insert"},  {46, L"Delete"},
      {106, L"Multiply"}, {107, L"Add"},   {109, L"Subtract"}, {110, L"Decimal"}, {111, L"Divide"},
  };
  constexpr int kNamed = int(sizeof named / sizeof named[0]);
  // Digits, letters, numeric pad and function keys get generated names.
  static wchar_t generated[kKeys - kNamed][8];
  static_assert(kKeys - kNamed == 10 + 26 + 10 + 12, "key table size");
  std::copy(std::begin(named), std::end(named), Key_Name);
  int n = 0;
  auto add = [&n](int code, const wchar_t* format, int number) {
    std::swprintf(generated[n], 8, format, number);
    Key_Name[kNamed + n] = {code, generated[n]};
    ++n;
  };
  for (int d = 0; d < 10; ++d) add(48 + d, L"%d", d);
  for (int c = 0; c < 26; ++c) add(65 + c, L"%lc", L'A' + c);
  for (int d = 0; d < 10; ++d) add(96 + d, L"Num%d", d);
  for (int f = 1; f <= 12; ++f) add(111 + f, L"F%d", f);
}

}  // namespace

void Reset_Default_Arrays() {
  Reset_Palette();
  Reset_Colormaps();
  Reset_Texts();
  Reset_Key_Names();
  std::fill(std::begin(Window_Pt), std::end(Window_Pt), nullptr);
  std::fill(std::begin(Frame_Cur), std::end(Frame_Cur), nullptr);
}

}  // namespace hostkit::defaults
