// What the header blocks share: the regional settings, the writer to the caller's file and the
// collection of distinct image records.
#include "host/Header_Support.h"

#include <quarn/frames/Quarn_2D_Frame.h>

#include <hostkit/HostUtil.h>

#include "core/Check.h"
#include "core/Trace.h"
#include "script/Remembered_Variable.h"

#include <cstdarg>
#include <cstdlib>
#include <cwchar>

namespace quarn::header {

namespace {

Remembered_Variable g_separator{L"$REGIONAL_SEPARATOR"};
Remembered_Variable g_filler{L"$REGIONAL_FILLER"};
Remembered_Variable g_anonymous{L"$INTERFACE_ANONYMOUS"};

constexpr const wchar_t* kDefaultFiller = L"---";
/// First size of the line buffer; longer lines get a larger one.
constexpr size_t kLineSize = 1024;
/// Largest line written (names have five parts of 255 bytes).
constexpr size_t kLineMax = 65536;

}  // namespace

Settings Settings_Get() {
  Settings s;
  const char separator = g_separator.Value<char>();
  s.separator = separator ? wchar_t(static_cast<unsigned char>(separator)) : L'\t';
  char** filler = g_filler.As<char*>();
  s.filler = !filler ? kDefaultFiller : *filler ? Host_Char_To_Wide(*filler) : L"";
  s.anonymous = g_anonymous.Value<uint8_t>() != 0;
  return s;
}

Writer::Writer(FILE* file) : file_(file), wide_(file && fwide(file, 0) > 0) {}

void Writer::Text(const std::wstring& text) {
  if (wide_) std::fputws(text.c_str(), file_);
  else std::fputs(Host_Report_Utf8(text).c_str(), file_);
}

void Writer::Line(const wchar_t* format, ...) {
  std::vector<wchar_t> buffer(kLineSize);
  for (;;) {
    va_list args;
    va_start(args, format);
    const int n = Host_Format_V(buffer.data(), buffer.size(), format, args);
    va_end(args);
    if (n >= 0) break;
    if (buffer.size() >= kLineMax) {
      QUARN_REPORT(msg::Invalid, "Fct_Header: a line longer than %d characters is cut", int(kLineMax));
      buffer.back() = L'\0';
      break;
    }
    buffer.resize(buffer.size() * 2);
  }
  Text(buffer.data());
}

void Writer::Row(const std::vector<std::wstring>& values, wchar_t separator) {
  std::wstring row;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i) row += separator;
    row += values[i];
  }
  Text(row + L"\n");
}

std::vector<const Host_Image_Record*> Distinct(const char* label, int count, Quarn_2D_Frame* const* frames,
                                               Same_Test same) {
  std::vector<const Host_Image_Record*> kept;
  if (count > 0 && !frames) {
    QUARN_REPORT(msg::Invalid, "%s: %d frames but no frame list", label, count);
    return kept;
  }
  for (int i = 0; i < count; ++i) {
    Quarn_2D_Frame* frame = frames[i];
    if (!QUARN_CHECK(frame, Frame, label)) continue;
    const Host_Image_Record* record = frame->image;
    if (!record) {
      QUARN_REPORT(msg::Invalid, L"%hs: frame %ls has no image record", label, Name_Of(frame));
      continue;
    }
    bool seen = false;
    for (const Host_Image_Record* r : kept) seen = seen || same(r, record);
    if (seen) continue;
    try {
      kept.push_back(record);
    } catch (const std::bad_alloc&) {
      QUARN_MEMORY_ERROR("realloc", "(*ima_pt)", kept.size() + 1, sizeof record);
      break;
    }
  }
  return kept;
}

bool No_File(FILE* file, const char* label) {
  if (file) return false;
  QUARN_REPORT(msg::Invalid, "%s: no file to write to", label);
  return true;
}

std::wstring Or_Filler(const char* text, const Settings& settings) {
  return text && *text ? std::wstring(Host_Char_To_Wide(text)) : settings.filler;
}

}  // namespace quarn::header
