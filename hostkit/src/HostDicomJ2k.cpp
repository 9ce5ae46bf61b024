// Header walk of the JPEG 2000 codestreams in compressed pixel data, before the toolkit reads them.
#include "HostDicomFile.h"

#include <cstdio>
#include <cstring>

namespace hostkit {
namespace {

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }
uint32_t U32(const uint8_t* p) { return uint32_t(U16(p)) << 16 | U16(p + 2); }

bool Fail(std::string* reason, size_t frame, const char* what) {
  char text[128];
  std::snprintf(text, sizeof text, "damaged JPEG 2000 pixel data in frame %zu: %s", frame, what);
  *reason = text;
  return false;
}

// A stream wrapped in the JP2 file format carries its codestream in a "jp2c" box.
bool Unwrap(const uint8_t*& s, size_t& n) {
  static const uint8_t kSignature[12] = {0, 0, 0, 12, 'j', 'P', ' ', ' ', '\r', '\n', 0x87, '\n'};
  if (n < 12 || std::memcmp(s, kSignature, 12) != 0) return true;
  size_t p = 0;
  while (n - p >= 8) {
    uint64_t length = U32(s + p), header = 8;
    if (length == 1) {
      if (n - p < 16) return false;
      length = uint64_t(U32(s + p + 8)) << 32 | U32(s + p + 12);
      header = 16;
    } else if (length == 0) {
      length = n - p;
    }
    if (length < header || length > n - p) return false;
    if (std::memcmp(s + p + 4, "jp2c", 4) == 0) {
      s += p + header;
      n = size_t(length - header);
      return true;
    }
    p += size_t(length);
  }
  return false;
}

struct Size {
  uint32_t x, y, x0, y0, tx, ty, tx0, ty0;
};

// The image and tile grid must be the DICOM image's, with its components no deeper than its bits.
bool Check_Siz(const uint8_t* siz, size_t length, size_t frame, int columns, int rows, int components,
               int bits, uint32_t* tiles, std::string* reason) {
  // Capabilities, then eight 32-bit sizes, the component count and 3 bytes per component.
  if (length != 36 + 3 * size_t(components) || U16(siz + 34) != components)
    return Fail(reason, frame, "the image size segment does not fit the image's samples");
  Size z{U32(siz + 2), U32(siz + 6), U32(siz + 10), U32(siz + 14),
         U32(siz + 18), U32(siz + 22), U32(siz + 26), U32(siz + 30)};
  if (z.x <= z.x0 || z.y <= z.y0 || z.x - z.x0 != uint32_t(columns) || z.y - z.y0 != uint32_t(rows))
    return Fail(reason, frame, "the image size differs from the image");
  if (!z.tx || !z.ty || z.tx0 > z.x0 || z.ty0 > z.y0 || uint64_t(z.tx0) + z.tx <= z.x0 ||
      uint64_t(z.ty0) + z.ty <= z.y0)
    return Fail(reason, frame, "the tile grid does not cover the image");
  uint64_t across = (uint64_t(z.x) - z.tx0 + z.tx - 1) / z.tx, down = (uint64_t(z.y) - z.ty0 + z.ty - 1) / z.ty;
  if (across * down > 65535) return Fail(reason, frame, "more than 65535 tiles");
  *tiles = uint32_t(across * down);
  for (int c = 0; c < components; ++c) {
    const uint8_t* component = siz + 36 + 3 * c;
    int precision = (component[0] & 0x7F) + 1;
    if (precision > bits || component[1] != 1 || component[2] != 1)
      return Fail(reason, frame, "a component is deeper than the image or subsampled");
  }
  return true;
}

bool Codestream(const uint8_t* s, size_t n, size_t frame, int columns, int rows, int components,
                int bits, std::string* reason) {
  if (!Unwrap(s, n)) return Fail(reason, frame, "a damaged JP2 box");
  while (n > 2 && s[n - 1] == 0) --n;  // padding to even length
  if (n < 6 || U16(s) != 0xFF4F || U16(s + 2) != 0xFF51) return Fail(reason, frame, "no start of codestream");
  uint32_t tiles = 0;
  size_t p = 2;
  bool in_tiles = false;
  while (p + 2 <= n) {
    uint16_t marker = U16(s + p);
    if (marker == 0xFFD9) return in_tiles ? true : Fail(reason, frame, "no tile");
    if (p + 4 > n) break;
    size_t length = U16(s + p + 2);
    if (length < 2 || p + 2 + length > n) return Fail(reason, frame, "a marker segment runs past the end");
    if (marker == 0xFF51) {
      if (p != 2 || !Check_Siz(s + p + 4, length - 2, frame, columns, rows, components, bits, &tiles, reason)) return false;
    } else if (marker == 0xFF90) {
      // A tile part: its own length, or up to the end of the codestream when 0.
      if (length != 10) return Fail(reason, frame, "a damaged tile part header");
      uint32_t tile = U16(s + p + 4), part = U32(s + p + 6);
      if (tile >= tiles) return Fail(reason, frame, "a tile part of a tile outside the grid");
      if (part == 0) part = uint32_t(n - p);
      if (part < 14 || part > n - p) return Fail(reason, frame, "a tile part runs past the end");
      in_tiles = true;
      p += part;
      continue;
    } else if (in_tiles || (marker >> 8) != 0xFF || marker < 0xFF50) {
      return Fail(reason, frame, "an unexpected marker");
    }
    p += 2 + length;
  }
  // Some encoders leave out the end-of-codestream marker after the last tile part.
  return in_tiles && p >= n ? true : Fail(reason, frame, "the codestream is cut");
}

}  // namespace

int Dicom_J2k_Check(const std::vector<std::pair<const char*, size_t>>& fragments, int frames,
                    int columns, int rows, int components, int bits, std::string* reason) {
  std::vector<std::string> streams;
  if (!Dicom_Frame_Streams(fragments, frames, 0x4F, &streams, reason)) {
    // A wrapped stream opens with its box signature rather than a marker.
    if (frames != 1) return 2;
    streams.assign(1, std::string());
    for (const auto& [data, length] : fragments)
      if (data) streams[0].append(data, length);
  }
  for (size_t f = 0; f < streams.size(); ++f) {
    const auto* s = reinterpret_cast<const uint8_t*>(streams[f].data());
    if (!Codestream(s, streams[f].size(), f, columns, rows, components, bits, reason)) return 2;
  }
  return 0;
}

}  // namespace hostkit
