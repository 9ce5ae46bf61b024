// Decoder of RLE-compressed DICOM pixel data, bounds-checked against damaged fragments.
#include "HostDicomFile.h"

#include <cstdio>
#include <cstring>

namespace hostkit {
namespace {

uint32_t U32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// One segment holds one byte of every element (most significant first), run-length coded:
// a count byte n below 128 copies n + 1 literal bytes, above 128 repeats the next byte 257 - n
// times, and 128 does nothing.
bool Segment(const uint8_t* s, const uint8_t* end, uint8_t* out, size_t count, size_t stride) {
  size_t done = 0;
  while (done < count && s < end) {
    int n = *s++;
    if (n < 128) {
      size_t run = size_t(n) + 1;
      if (size_t(end - s) < run || count - done < run) return false;
      for (size_t i = 0; i < run; ++i) out[(done + i) * stride] = s[i];
      s += run;
      done += run;
    } else if (n > 128) {
      size_t run = size_t(257 - n);
      if (s == end || count - done < run) return false;
      for (size_t i = 0; i < run; ++i) out[(done + i) * stride] = *s;
      ++s;
      done += run;
    }
  }
  return done == count;
}

}  // namespace

int Dicom_Rle_Decode(const std::vector<std::pair<const char*, size_t>>& fragments, int columns,
                     int rows, int bytes, int samples, void* dest, std::string* reason) {
  size_t count = size_t(columns) * size_t(rows);
  auto* out = static_cast<uint8_t*>(dest);
  size_t frame_bytes = count * size_t(bytes) * size_t(samples);
  char text[128];
  for (size_t f = 0; f < fragments.size(); ++f) {
    const auto* data = reinterpret_cast<const uint8_t*>(fragments[f].first);
    size_t length = fragments[f].second;
    uint32_t segments = length >= 64 ? U32(data) : 0;
    bool ok = segments == uint32_t(bytes * samples);
    for (uint32_t s = 0; ok && s < segments; ++s) {
      uint32_t from = U32(data + 4 + 4 * s);
      uint32_t to = s + 1 < segments ? U32(data + 8 + 4 * s) : uint32_t(length);
      ok = from >= 64 && from <= to && to <= length;
      // Segments go sample by sample, each most significant byte first; elements are little
      // endian, so the most significant segment of a sample goes to its last byte.
      uint32_t sample = s / uint32_t(bytes), byte = s % uint32_t(bytes);
      uint8_t* plane = out + f * frame_bytes + sample * count * size_t(bytes) + size_t(bytes - 1 - int(byte));
      ok = ok && Segment(data + from, data + to, plane, count, size_t(bytes));
    }
    if (!ok) {
      std::snprintf(text, sizeof text, "damaged RLE pixel data in frame %zu", f);
      *reason = text;
      return 2;
    }
  }
  return 0;
}

}  // namespace hostkit
