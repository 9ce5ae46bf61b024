// Fonts: a face name, weight and style resolved through fontconfig to a font file and loaded
// with FreeType; weight and style names; the stock system font.
#include <hostkit/HostWidgets.h>

#include <hostkit/HostUtil.h>

#include "HostFault.h"
#include "HostFontFace.h"

#include <fontconfig/fontconfig.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <strings.h>

namespace {

// The stock system font: bold sans-serif of this cell height.
constexpr int kSystemFontSize = 16;
constexpr int kMaxWeight = 1000;

std::mutex g_fontconfig_lock;  // the default configuration is built and used by one at a time

struct Match {
  std::string file;
  int index = 0;
  std::wstring family;
};

// The font file fontconfig offers for the request: the closest it has, as a window system
// offers some face for any name; false when it has no file at all.
bool Resolve(const wchar_t* face, int weight, int style, int size, Match* out) {
  std::lock_guard guard(g_fontconfig_lock);
  if (!FcInit()) return false;
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return false;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(Host_Wide_To_Char(face)));
  FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight > 0 ? weight : HOST_FONT_NORMAL));
  FcPatternAddInteger(pattern, FC_SLANT, (style & HOST_FONT_ITALIC) ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddDouble(pattern, FC_PIXEL_SIZE, double(size));
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;
  FcChar8* file = nullptr;
  FcChar8* family = nullptr;
  const bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch;
  if (found) {
    out->file = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(match, FC_INDEX, 0, &out->index);
    if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch)
      out->family = Host_Char_To_Wide(reinterpret_cast<const char*>(family));
  }
  FcPatternDestroy(match);
  return found;
}

struct Weight_Name {
  const char* name;
  int weight;
};
constexpr Weight_Name kWeights[] = {
    {"thin", 100},     {"extralight", 200}, {"ultralight", 200}, {"light", 300},
    {"normal", 400},   {"regular", 400},    {"medium", 500},     {"semibold", 600},
    {"demibold", 600}, {"bold", 700},       {"extrabold", 800},  {"ultrabold", 800},
    {"heavy", 900},    {"black", 900},
};

// The weight a name or number gives; -1 for neither.
int Weight_Of(const char* name) {
  if (!name || !*name) return HOST_FONT_NORMAL;
  for (const Weight_Name& w : kWeights)
    if (strcasecmp(name, w.name) == 0) return w.weight;
  char* end = nullptr;
  const long number = std::strtol(name, &end, 10);
  return *end == '\0' && number >= 1 && number <= kMaxWeight ? int(number) : -1;
}

// The style bits a name gives; -1 for none.
int Style_Of(const char* name) {
  if (!name || !*name) return 0;
  for (const char* italic : {"i", "italic", "oblique"})
    if (strcasecmp(name, italic) == 0) return HOST_FONT_ITALIC;
  return -1;
}

Host_Font Make(Host_Window window, const wchar_t* face, int weight, int style, int size) {
  if (!face || !*face || size <= 0 || size > HOST_FONT_MAX_SIZE) {
    HOSTKIT_INVALID(window, "Host_Create_Font: no face, or size %d not in 1 ... %d", size,
                    HOST_FONT_MAX_SIZE);
    return nullptr;
  }
  Match match;
  if (!Resolve(face, weight, style, size, &match)) {
    HOSTKIT_INVALID(window, "Host_Create_Font: no font file for \"%ls\"", face);
    return nullptr;
  }
  Host_Font_Face* raster = hostkit::Font_Face_Open(match.file, match.index, size);
  if (!raster) {
    HOSTKIT_INVALID(window, "Host_Create_Font: cannot load \"%s\" for \"%ls\"", match.file.c_str(), face);
    return nullptr;
  }
  auto* font = new (std::nothrow) Host_Font_Record;
  if (!font) {
    hostkit::Font_Face_Close(raster);
    HOSTKIT_MEMORY_ERROR("new", "font", 1, sizeof(Host_Font_Record));
    return nullptr;
  }
  font->face = face;
  font->weight = weight;
  font->style = style;
  font->size = size;
  font->file = match.file;
  font->family = match.family;
  font->raster = raster;
  return font;
}

Host_Font g_system_font = nullptr;

}  // namespace

Host_Font Host_Create_Font(Host_Window window, const wchar_t* face, int weight, int style, int size) {
  return Make(window, face, weight, style, size);
}

Host_Font Host_Create_Font(Host_Window window, const char* face, int weight, int style, int size) {
  std::wstring wide = face ? Host_Char_To_Wide(face) : L"";
  return Make(window, face ? wide.c_str() : nullptr, weight, style, size);
}

Host_Font Host_Create_Font(Host_Window window, const char* face, const char* weight,
                           const char* style, int size) {
  int w = Weight_Of(weight);
  int s = Style_Of(style);
  if (w < 0 || s < 0) {
    HOSTKIT_INVALID(window, "Host_Create_Font: unknown weight \"%s\" or style \"%s\"",
                    weight ? weight : "", style ? style : "");
    if (w < 0) w = HOST_FONT_NORMAL;
    if (s < 0) s = 0;
  }
  return Host_Create_Font(window, face, w, s, size);
}

void Host_Delete_Font(Host_Font font) {
  if (!font || font == g_system_font) return;
  hostkit::Font_Face_Close(font->raster);
  delete font;
}

Host_Font Host_Stock_Font(Host_Stock which) {
  if (which != HOST_SYSTEM_FONT) return nullptr;
  static std::once_flag once;
  std::call_once(once, [] { g_system_font = Make(nullptr, L"sans-serif", HOST_FONT_BOLD, 0, kSystemFontSize); });
  return g_system_font;
}
