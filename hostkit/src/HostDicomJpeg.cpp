// Marker walk of the JPEG streams in compressed pixel data, before the toolkit's codec reads them.
#include "HostDicomFile.h"

#include <cstdio>
#include <cstring>

namespace hostkit {
namespace {

bool Fail(std::string* reason, size_t frame, const char* what) {
  char text[128];
  std::snprintf(text, sizeof text, "damaged JPEG pixel data in frame %zu: %s", frame, what);
  *reason = text;
  return false;
}

// JPEG-LS frames have their own frame header and parameter marker, and stuff bits, not bytes.
bool Frame_Header(uint8_t m, bool ls) {
  if (ls) return m == 0xF7;
  return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

// Markers that may stand between the start of the image and its scans (and between scans).
bool Table_Or_Misc(uint8_t m, bool ls) {
  if (ls && m == 0xF8) return true;
  return m == 0xC4 || m == 0xCC || m == 0xDB || m == 0xDD || m == 0xDC || m == 0xFE ||
         (m >= 0xE0 && m <= 0xEF);
}

// Entropy-coded data ends at the first marker: in JPEG any byte after 0xFF but a stuffed zero,
// a restart marker or fill; in JPEG-LS a byte with its top bit set.
size_t Skip_Scan(const uint8_t* s, size_t p, size_t n, bool ls) {
  for (; p + 1 < n; ++p) {
    if (s[p] != 0xFF) continue;
    uint8_t b = s[p + 1];
    bool marker = ls ? b >= 0x80 && !(b >= 0xD0 && b <= 0xD7)
                     : b != 0x00 && !(b >= 0xD0 && b <= 0xD7) && b != 0xFF;
    if (marker) return p;
  }
  return n;
}

// One frame's stream: start of image, tables, one frame header that fits the image, scans of
// its components, end of image. Hierarchical streams and other component counts are refused.
bool Stream(const uint8_t* s, size_t n, size_t frame, int columns, int rows, int components_wanted,
            bool ls, int* precision, bool* ycc, std::string* reason) {
  if (n < 4 || s[0] != 0xFF || s[1] != 0xD8) return Fail(reason, frame, "no start of image");
  size_t p = 2;
  bool header = false, scans = false, jfif = false, lossless = false;
  int adobe = -1;
  uint8_t ids[3] = {0, 0, 0};
  for (;;) {
    while (p < n && s[p] == 0xFF && p + 1 < n && s[p + 1] == 0xFF) ++p;  // fill bytes
    if (p + 2 > n || s[p] != 0xFF) return Fail(reason, frame, "a marker is missing or cut");
    uint8_t m = s[p + 1];
    if (m == 0xD9) {
      // The colour space the decoder leaves the samples in, by the rules of the IJG decoder:
      // lossy three-component streams are luminance and chroma unless marked otherwise.
      bool rgb_ids = ids[0] == 'R' && ids[1] == 'G' && ids[2] == 'B';
      *ycc = components_wanted == 3 && !lossless && (jfif || (adobe >= 0 ? adobe != 0 : !rgb_ids));
      return scans ? true : Fail(reason, frame, "the image holds no scan");
    }
    if (p + 4 > n) return Fail(reason, frame, "a marker segment is cut");
    size_t length = size_t(s[p + 2]) << 8 | s[p + 3];
    if (length < 2 || p + 2 + length > n) return Fail(reason, frame, "a marker segment runs past the end");
    const uint8_t* seg = s + p + 4;
    if (Frame_Header(m, ls)) {
      if (header || length < 8) return Fail(reason, frame, "a second or short frame header");
      int y = seg[1] << 8 | seg[2], x = seg[3] << 8 | seg[4], components = seg[5];
      if (seg[0] < 2 || seg[0] > 16 || components != components_wanted || length != 8 + 3 * size_t(components))
        return Fail(reason, frame, "the frame header does not fit the image's samples");
      if (x != columns || y != rows) return Fail(reason, frame, "the frame size differs from the image");
      if (*precision && *precision != seg[0]) return Fail(reason, frame, "frames of different precision");
      *precision = seg[0];
      for (int c = 0; c < components && c < 3; ++c) ids[c] = seg[6 + 3 * c];
      lossless = !ls && (m == 0xC3 || m == 0xC7 || m == 0xCB || m == 0xCF);
      header = true;
    } else if (m == 0xDA) {
      if (!header || length < 6 || seg[0] < 1 || seg[0] > components_wanted || length != 6 + 2 * size_t(seg[0]))
        return Fail(reason, frame, "a scan header that does not fit");
      scans = true;
      p = Skip_Scan(s, p + 2 + length, n, ls);
      continue;
    } else if (m == 0xE0 && length >= 7 && std::memcmp(seg, "JFIF", 5) == 0) {
      jfif = true;
    } else if (m == 0xEE && length >= 14 && std::memcmp(seg, "Adobe", 5) == 0) {
      adobe = seg[11];
    } else if (!Table_Or_Misc(m, ls)) {
      return Fail(reason, frame, "an unexpected marker");
    }
    p += 2 + length;
  }
}

}  // namespace

bool Dicom_Frame_Streams(const std::vector<std::pair<const char*, size_t>>& fragments, int frames,
                         uint8_t opening, std::vector<std::string>* streams, std::string* reason) {
  streams->clear();
  for (const auto& [data, length] : fragments) {
    bool opens = length >= 2 && uint8_t(data[0]) == 0xFF && uint8_t(data[1]) == opening;
    if (opens || streams->empty()) streams->emplace_back();
    if (data) streams->back().append(data, length);
  }
  if (streams->size() == size_t(frames)) return true;
  char text[96];
  std::snprintf(text, sizeof text, "compressed pixel data holds %zu images for %d frames",
                streams->size(), frames);
  *reason = text;
  return false;
}

int Dicom_Jpeg_Check(const std::vector<std::pair<const char*, size_t>>& fragments, int frames,
                     int columns, int rows, int components, bool ls, int* precision, bool* ycc,
                     std::string* reason) {
  int bits = 0;
  bool luma = false;
  std::vector<std::string> streams;
  if (!Dicom_Frame_Streams(fragments, frames, 0xD8, &streams, reason)) return 2;
  for (size_t f = 0; f < streams.size(); ++f) {
    // Trailing zero bytes pad a fragment to even length.
    size_t n = streams[f].size();
    const auto* s = reinterpret_cast<const uint8_t*>(streams[f].data());
    while (n > 2 && s[n - 1] == 0) --n;
    if (!Stream(s, n, f, columns, rows, components, ls, &bits, &luma, reason)) return 2;
  }
  if (precision) *precision = bits;
  if (ycc) *ycc = luma;
  return 0;
}

}  // namespace hostkit
