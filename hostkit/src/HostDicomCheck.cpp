// Loading and structure walk of DICOM files: every element, item and sequence must lie inside
// the file; big-endian data sets are swapped to little endian and deflated ones inflated.
#include "HostDicomCheck.h"

#include <hostkit/HostUtil.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
#include <zlib.h>

namespace hostkit {
namespace {

constexpr uint32_t kUndefined = 0xFFFFFFFFu;
constexpr uint16_t kItemGroup = 0xFFFE;
constexpr uint16_t kItem = 0xE000, kItemEnd = 0xE00D, kSequenceEnd = 0xE0DD;
constexpr int kMaxDepth = 32;

const char* const kImplicitLE = "1.2.840.10008.1.2";
const char* const kExplicitLE = "1.2.840.10008.1.2.1";
const char* const kExplicitBE = "1.2.840.10008.1.2.2";
const char* const kDeflated = "1.2.840.10008.1.2.1.99";

// An inflated data set may grow this many times its compressed size (plus the floor below);
// deflate itself cannot pass about 1032, so more is a damaged or hostile stream.
constexpr uint64_t kInflateRatio = 1100;
constexpr uint64_t kInflateFloor = 1u << 20;
// A thread keeps its file buffer between files up to this size.
constexpr size_t kKeptBuffer = size_t(16) << 20;
// Bytes read from a file per call.
constexpr size_t kReadChunk = size_t(1) << 24;
// Native pixels are read this much at a time, so that what follows each read (byte order, stored
// bits, value range) finds the bytes still in the cache; a multiple of every element size.
constexpr size_t kPixelStretch = size_t(256) << 10;
// A header scan reads this much of a file first, then this many times more each time the walk
// needs more, up to the whole file. Most headers take a few kilobytes; every byte read past
// them is copied for nothing, on each of a series' files.
constexpr uint64_t kHeaderChunk = 8u << 10;
constexpr uint64_t kHeaderGrowth = 8;

// Bytes each binary value of a representation is swapped in; 0 for values kept as they are.
int Swap_Width(const char* vr) {
  static const struct { const char* vr; int width; } kWidths[] = {
      {"US", 2}, {"SS", 2}, {"OW", 2}, {"AT", 2}, {"UL", 4}, {"SL", 4}, {"FL", 4}, {"OL", 4},
      {"OF", 4}, {"FD", 8}, {"OD", 8}, {"SV", 8}, {"UV", 8}, {"OV", 8}};
  for (const auto& w : kWidths)
    if (vr[0] == w.vr[0] && vr[1] == w.vr[1]) return w.width;
  return 0;
}

bool Long_Length_VR(const char* vr) {
  static const char* const kLong[] = {"OB", "OD", "OF", "OL", "OV", "OW", "SQ",
                                      "SV", "UC", "UN", "UR", "UT", "UV"};
  for (const char* v : kLong)
    if (vr[0] == v[0] && vr[1] == v[1]) return true;
  return false;
}

bool Known_VR(const char* vr) {
  static const char* const kAll[] = {"AE", "AS", "AT", "CS", "DA", "DS", "DT", "FL", "FD", "IS",
                                     "LO", "LT", "PN", "SH", "SL", "SS", "ST", "TM", "UI", "UL",
                                     "US", "OB", "OD", "OF", "OL", "OV", "OW", "SQ", "SV", "UC",
                                     "UN", "UR", "UT", "UV"};
  for (const char* v : kAll)
    if (vr[0] == v[0] && vr[1] == v[1]) return true;
  return false;
}

// One encoding of elements: byte order and whether each element names its VR.
struct Encoding {
  bool little = true;
  bool explicit_vr = true;
};

class Walker {
public:
  Walker(uint8_t* data, uint64_t size, Dicom_Layout& layout, std::string& reason)
      : d_(data), size_(size), file_size_(size), layout_(layout), reason_(reason) {}

  /// Makes the walk stop at a native pixel data element whose value need not be in data: the
  /// value must fit in a file of file_size bytes (data holds the file's first bytes only).
  void Header_Only(uint64_t file_size) {
    header_only_ = true;
    file_size_ = file_size;
  }

  /// Walks the whole file; inflated tells that the data set after the meta group was inflated
  /// already (it is then explicit VR little endian whatever the meta group says).
  bool Run(bool inflated);
  /// Reads the meta group from the start; p is left on the data set's first byte.
  bool Meta_Only(uint64_t& p, std::string& syntax);

private:
  struct Element {
    uint16_t group = 0, element = 0;
    char vr[3] = {0, 0, 0};
    uint32_t length = 0;
    uint64_t at = 0;  // offset of the element's header
  };

  uint16_t U16(uint64_t p, bool little) const {
    return little ? uint16_t(d_[p] | d_[p + 1] << 8) : uint16_t(d_[p] << 8 | d_[p + 1]);
  }
  uint32_t U32(uint64_t p, bool little) const {
    return little ? uint32_t(d_[p]) | uint32_t(d_[p + 1]) << 8 | uint32_t(d_[p + 2]) << 16 |
                        uint32_t(d_[p + 3]) << 24
                  : uint32_t(d_[p]) << 24 | uint32_t(d_[p + 1]) << 16 | uint32_t(d_[p + 2]) << 8 |
                        uint32_t(d_[p + 3]);
  }
  // Big-endian fields are turned around in place once they have been read.
  void Swap(uint64_t p, int width, uint64_t count) {
    for (uint64_t i = 0; i < count; ++i, p += uint64_t(width))
      for (int a = 0, b = width - 1; a < b; ++a, --b) std::swap(d_[p + uint64_t(a)], d_[p + uint64_t(b)]);
  }
  bool Letters(uint64_t p) const {
    return p + 2 <= size_ && d_[p] >= 'A' && d_[p] <= 'Z' && d_[p + 1] >= 'A' && d_[p + 1] <= 'Z';
  }

  bool Fail(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Delimiters carry no value; a length there is damage that the toolkit would try to allocate.
  bool Delimiter(const Element& e) {
    if (e.length == 0) return true;
    return Fail("delimiter (FFFE,%04X) at byte %llu has a length", e.element, (unsigned long long)e.at);
  }
  bool Header(uint64_t& p, uint64_t end, Encoding enc, Element& e);
  bool Data_Set(uint64_t& p, uint64_t end, Encoding enc, int depth, bool closed_by_item_end);
  bool Value(uint64_t& p, uint64_t end, Encoding enc, int depth, const Element& e);
  bool Items(uint64_t& p, uint64_t end, uint32_t length, Encoding enc, int depth);
  bool Fragments(uint64_t& p, uint64_t end);
  bool Meta(uint64_t& p, std::string& syntax);

  bool Pixels_Outside(uint64_t p, const Element& e, Encoding enc);

  uint8_t* d_;
  uint64_t size_;
  uint64_t file_size_;
  bool header_only_ = false;
  bool stopped_ = false;  // a header-only walk reached the pixel data
  Dicom_Layout& layout_;
  std::string& reason_;
};

bool Walker::Fail(const char* format, ...) {
  char text[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  reason_ = text;
  return false;
}

bool Walker::Header(uint64_t& p, uint64_t end, Encoding enc, Element& e) {
  e.at = p;
  if (end - p < 8)
    return Fail("truncated: %llu stray bytes at byte %llu", (unsigned long long)(end - p),
                (unsigned long long)p);
  e.group = U16(p, enc.little);
  e.element = U16(p + 2, enc.little);
  e.vr[0] = e.vr[1] = 0;
  if (!enc.little) Swap(p, 2, 2);
  // Item and delimiter tags carry no VR in any encoding.
  if (e.group == kItemGroup || !enc.explicit_vr) {
    e.length = U32(p + 4, enc.little);
    if (!enc.little) Swap(p + 4, 4, 1);
    p += 8;
    return true;
  }
  if (!Letters(p + 4) || !Known_VR(reinterpret_cast<const char*>(d_ + p + 4)))
    return Fail("element (%04X,%04X) at byte %llu has no valid value representation", e.group,
                e.element, (unsigned long long)p);
  e.vr[0] = char(d_[p + 4]);
  e.vr[1] = char(d_[p + 5]);
  if (!Long_Length_VR(e.vr)) {
    e.length = U16(p + 6, enc.little);
    if (!enc.little) Swap(p + 6, 2, 1);
    p += 8;
    return true;
  }
  if (end - p < 12)
    return Fail("truncated: element (%04X,%04X) at byte %llu has no room for its length", e.group,
                e.element, (unsigned long long)p);
  e.length = U32(p + 8, enc.little);
  if (!enc.little) Swap(p + 8, 4, 1);
  p += 12;
  return true;
}

bool Walker::Data_Set(uint64_t& p, uint64_t end, Encoding enc, int depth, bool closed_by_item_end) {
  if (depth > kMaxDepth) return Fail("sequences nested deeper than %d levels", kMaxDepth);
  while (p < end && !stopped_) {
    Element e;
    if (!Header(p, end, enc, e)) return false;
    if (e.group == kItemGroup) {
      if (closed_by_item_end && e.element == kItemEnd) return Delimiter(e);
      return Fail("unexpected item tag (FFFE,%04X) at byte %llu", e.element,
                  (unsigned long long)e.at);
    }
    if (!Value(p, end, enc, depth, e)) return false;
  }
  if (closed_by_item_end) return Fail("truncated: an item opened before the end is never closed");
  return true;
}

bool Walker::Value(uint64_t& p, uint64_t end, Encoding enc, int depth, const Element& e) {
  bool pixels = depth == 0 && e.group == 0x7FE0 &&
                (e.element == 0x0010 || e.element == 0x0008 || e.element == 0x0009);
  bool sq = enc.explicit_vr && e.vr[0] == 'S' && e.vr[1] == 'Q';
  bool un = enc.explicit_vr && e.vr[0] == 'U' && e.vr[1] == 'N';
  // An unknown-VR sequence holds implicit little-endian items whatever the file's encoding.
  Encoding inner = un ? Encoding{true, false} : enc;
  if (pixels) {
    if (layout_.has_pixels) return Fail("a second pixel data element at byte %llu", (unsigned long long)e.at);
    layout_.pixel_element = e.element;
    layout_.element_at = e.at;
  }
  if (e.length == kUndefined) {
    if (pixels) {
      if (!enc.little) return Fail("compressed pixel data in a big-endian data set");
      layout_.has_pixels = layout_.encapsulated = true;
      return Fragments(p, end);
    }
    if (enc.explicit_vr && !sq && !un)
      return Fail("element (%04X,%04X) at byte %llu has an undefined length but is no sequence",
                  e.group, e.element, (unsigned long long)e.at);
    return Items(p, end, kUndefined, inner, depth);
  }
  if (pixels && header_only_) return Pixels_Outside(p, e, enc);
  if (e.length > end - p)
    return Fail("truncated: element (%04X,%04X) at byte %llu needs %u bytes, %llu remain", e.group,
                e.element, (unsigned long long)e.at, e.length, (unsigned long long)(end - p));
  // Without a VR a sequence shows itself by an item tag at the start of its value.
  bool item_first = e.length >= 8 && U16(p, inner.little) == kItemGroup && U16(p + 2, inner.little) == kItem;
  if (sq || (!pixels && (un || !enc.explicit_vr) && item_first)) {
    uint64_t q = p;
    if (!Items(q, p + e.length, e.length, inner, depth)) return false;
  }
  if (pixels) {
    layout_.has_pixels = true;
    layout_.pixel_bytes = e.length;
    layout_.pixel_at = p;
  }
  if (!enc.little && !sq) {
    int width = un ? 0 : Swap_Width(e.vr);
    if (width && e.length % uint32_t(width))
      return Fail("element (%04X,%04X) at byte %llu has a length that is no multiple of %d", e.group,
                  e.element, (unsigned long long)e.at, width);
    if (width) Swap(p, width, e.length / uint32_t(width));
    if (pixels) layout_.pixel_swap = width;
  }
  p += e.length;
  return true;
}

// The native pixel data of a header-only walk: measured against the file, left unread.
bool Walker::Pixels_Outside(uint64_t p, const Element& e, Encoding enc) {
  if (p > file_size_ || e.length > file_size_ - p)
    return Fail("truncated: element (%04X,%04X) at byte %llu needs %u bytes, %llu remain", e.group,
                e.element, (unsigned long long)e.at, e.length, (unsigned long long)(file_size_ - std::min(p, file_size_)));
  int width = enc.little ? 0 : Swap_Width(e.vr);
  if (width && e.length % uint32_t(width))
    return Fail("element (%04X,%04X) at byte %llu has a length that is no multiple of %d", e.group,
                e.element, (unsigned long long)e.at, width);
  layout_.has_pixels = true;
  layout_.pixel_bytes = e.length;
  layout_.pixel_at = p;
  layout_.pixel_swap = width;
  stopped_ = true;
  return true;
}

bool Walker::Items(uint64_t& p, uint64_t end, uint32_t length, Encoding enc, int depth) {
  bool closed = length == kUndefined;
  uint64_t stop = closed ? end : p + length;
  while (closed || p < stop) {
    Element e;
    uint64_t at = p;
    if (stop - p < 8)
      return Fail("truncated: a sequence opened before byte %llu is never closed",
                  (unsigned long long)p);
    e.group = U16(p, enc.little);
    e.element = U16(p + 2, enc.little);
    e.length = U32(p + 4, enc.little);
    if (!enc.little) {
      Swap(p, 2, 2);
      Swap(p + 4, 4, 1);
    }
    p += 8;
    if (e.group == kItemGroup && e.element == kSequenceEnd) {
      e.at = at;
      if (closed) return Delimiter(e);
      return Fail("sequence delimiter at byte %llu inside a sequence of known length",
                  (unsigned long long)at);
    }
    if (e.group != kItemGroup || e.element != kItem)
      return Fail("expected a sequence item at byte %llu, found (%04X,%04X)",
                  (unsigned long long)at, e.group, e.element);
    if (e.length == kUndefined) {
      if (!Data_Set(p, stop, enc, depth + 1, true)) return false;
      continue;
    }
    if (e.length > stop - p)
      return Fail("truncated: item at byte %llu needs %u bytes, %llu remain",
                  (unsigned long long)at, e.length, (unsigned long long)(stop - p));
    uint64_t item_end = p + e.length;
    if (!Data_Set(p, item_end, enc, depth + 1, false)) return false;
    p = item_end;
  }
  return true;
}

bool Walker::Fragments(uint64_t& p, uint64_t end) {
  for (;;) {
    uint64_t at = p;
    if (end - p < 8) return Fail("truncated: compressed pixel data is never closed");
    uint16_t group = U16(p, true), element = U16(p + 2, true);
    uint32_t length = U32(p + 4, true);
    p += 8;
    if (group == kItemGroup && element == kSequenceEnd) {
      if (length != 0) return Fail("damaged compressed pixel data: its delimiter at byte %llu has a length", (unsigned long long)at);
      break;
    }
    if (group != kItemGroup || element != kItem || length == kUndefined)
      return Fail("damaged compressed pixel data at byte %llu", (unsigned long long)at);
    if (length > end - p)
      return Fail("truncated: pixel data fragment at byte %llu needs %u bytes, %llu remain",
                  (unsigned long long)at, length, (unsigned long long)(end - p));
    if (layout_.fragments > 0) layout_.fragment_list.push_back({p, length});
    p += length;
    layout_.pixel_bytes += length;
    ++layout_.fragments;
  }
  // The first item is the offset table; at least one fragment must follow it.
  if (layout_.fragments < 2) return Fail("compressed pixel data holds no fragment");
  return true;
}

bool Walker::Meta(uint64_t& p, std::string& syntax) {
  const Encoding meta{true, true};
  while (size_ - p >= 8 && U16(p, true) == 0x0002) {
    Element e;
    if (!Header(p, size_, meta, e)) return false;
    if (e.length == kUndefined || e.length > size_ - p)
      return Fail("truncated: file meta element (0002,%04X) at byte %llu runs past the end",
                  e.element, (unsigned long long)e.at);
    if (e.element == 0x0010) {
      syntax.assign(reinterpret_cast<const char*>(d_ + p), e.length);
      while (!syntax.empty() && (syntax.back() == '\0' || syntax.back() == ' ')) syntax.pop_back();
    }
    p += e.length;
  }
  return true;
}

bool Walker::Meta_Only(uint64_t& p, std::string& syntax) {
  p = 0;
  if (size_ == 0) return Fail("empty file");
  bool marker = size_ >= 132 && std::memcmp(d_ + 128, "DICM", 4) == 0;
  if (marker) p = 132;
  // Without the marker only a data set that opens with a meta or identifying group is accepted.
  uint16_t first = size_ - p >= 8 ? U16(p, true) : 0;
  if (!marker && first != 0x0002 && first != 0x0008)
    return Fail("not a DICOM file (no DICM marker and no data set at its start)");
  if (!Meta(p, syntax)) return false;
  if (marker && p == 132) return Fail("not a DICOM file (no file meta information after the DICM marker)");
  return true;
}

bool Walker::Run(bool inflated) {
  uint64_t p = 0;
  std::string syntax;
  if (!Meta_Only(p, syntax)) return false;
  layout_.transfer_syntax = syntax;
  layout_.data_set_at = p;
  Encoding enc;
  if (inflated) enc = {true, true};
  else if (syntax == kDeflated) return Fail("a deflated data set that was not inflated");
  else if (syntax == kImplicitLE) enc = {true, false};
  else if (syntax == kExplicitBE) enc = {false, true};
  else if (syntax.empty()) enc = {true, Letters(p + 4)};  // guess from the first element
  layout_.explicit_vr = enc.explicit_vr;
  return Data_Set(p, size_, enc, 0, false);
}

// Inflates the raw deflate stream after the meta group into out, within the growth bound.
bool Inflate(const uint8_t* in, uint64_t length, std::vector<uint8_t>& out, std::string& reason) {
  uint64_t most = length * kInflateRatio + kInflateFloor;
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) {
    reason = "the deflated data set cannot be inflated (zlib)";
    return false;
  }
  size_t start = out.size();
  z.next_in = const_cast<Bytef*>(in);
  int rc = Z_OK;
  uint64_t left = length;
  while (rc == Z_OK) {
    if (z.avail_in == 0 && left > 0) {
      z.avail_in = uInt(std::min<uint64_t>(left, 1u << 30));
      left -= z.avail_in;
    }
    size_t have = out.size() - start;
    if (have >= most) {
      rc = Z_MEM_ERROR;
      break;
    }
    size_t grow = std::min<uint64_t>(std::max<uint64_t>(have, 1u << 16), std::min<uint64_t>(most - have, 1u << 30));
    out.resize(out.size() + grow);
    z.next_out = out.data() + start + have;
    z.avail_out = uInt(grow);
    rc = inflate(&z, Z_NO_FLUSH);
    out.resize(out.size() - z.avail_out);
    if (rc == Z_BUF_ERROR && z.avail_in == 0 && left == 0) break;  // the stream stops short
    if (rc == Z_BUF_ERROR) rc = Z_OK;
  }
  inflateEnd(&z);
  if (rc == Z_STREAM_END) return true;
  reason = rc == Z_MEM_ERROR ? "the deflated data set inflates beyond any image it could hold"
                             : "the deflated data set is damaged or cut";
  return false;
}

// An open regular file with its size at opening, closed when it goes.
struct Open_File {
  int fd = -1;
  uint64_t size = 0;

  ~Open_File() {
    if (fd >= 0) ::close(fd);
  }
  Open_File() = default;
  Open_File(const Open_File&) = delete;
  Open_File& operator=(const Open_File&) = delete;

  /// 0, or the report class with the reason: 4 when the system refused, 2 for no regular file.
  int Open(const char* path, std::string* reason) {
    fd = ::open(path, O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
      *reason = Host_Wide_To_Char(Host_Errno_Text(errno));
      return 4;
    }
    if (!S_ISREG(st.st_mode)) {
      *reason = S_ISDIR(st.st_mode) ? "a folder, not a file" : "not a regular file";
      return 2;
    }
    size = uint64_t(st.st_size);
    return 0;
  }

  /// Reads up to count bytes at offset into out and stores how many came in *got (fewer only at
  /// the end of the file); false with the reason when the system fails.
  bool Read_At(uint64_t offset, uint8_t* out, size_t count, size_t* got, std::string* reason) const {
    *got = 0;
    while (*got < count) {
      ssize_t n = ::pread(fd, out + *got, std::min(kReadChunk, count - *got), off_t(offset + *got));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        *reason = Host_Wide_To_Char(Host_Errno_Text(errno));
        return false;
      }
      if (n == 0) break;
      *got += size_t(n);
    }
    return true;
  }

  /// Reads the bytes from offset 0 into the two places one after the other (one call to the
  /// system for both, mostly) and stores how many came into each; false as Read_At.
  bool Read_Two(uint8_t* first, size_t first_count, uint8_t* second, size_t second_count, size_t got[2],
                std::string* reason) const {
    got[0] = got[1] = 0;
    while (got[0] < first_count || got[1] < second_count) {
      iovec parts[2] = {{first + got[0], first_count - got[0]}, {second + got[1], second_count - got[1]}};
      int skip = got[0] < first_count ? 0 : 1;
      ssize_t n = ::preadv(fd, parts + skip, 2 - skip, off_t(got[0] + got[1]));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        *reason = Host_Wide_To_Char(Host_Errno_Text(errno));
        return false;
      }
      if (n == 0) break;
      size_t into_first = std::min(size_t(n), first_count - got[0]);
      got[0] += into_first;
      got[1] += size_t(n) - into_first;
    }
    return true;
  }
};

// The whole file, inflated when deflated, walked to its end.
int Load_Whole(const Open_File& file, std::vector<uint8_t>* data, Dicom_Layout* layout, std::string* reason) {
  *layout = Dicom_Layout();
  // The file is read as it is now; one that grows meanwhile is read up to its size at the start.
  // The buffer's earlier bytes are overwritten, not cleared first: it is reused file after file.
  data->resize(size_t(file.size));
  size_t got = 0;
  if (!file.Read_At(0, data->data(), data->size(), &got, reason)) return 4;
  data->resize(got);
  if (data->empty()) {
    *reason = "empty file";
    return 2;
  }
  Walker meta(data->data(), data->size(), *layout, *reason);
  uint64_t p = 0;
  std::string syntax;
  if (!meta.Meta_Only(p, syntax)) return 2;
  bool inflated = syntax == kDeflated;
  if (inflated) {
    std::vector<uint8_t> plain(data->begin(), data->begin() + long(p));
    if (!Inflate(data->data() + p, data->size() - p, plain, *reason)) return 2;
    data->swap(plain);
  }
  Walker walker(data->data(), data->size(), *layout, *reason);
  return walker.Run(inflated) ? 0 : 2;
}

// Values of width bytes turned from big to little endian.
void Swap_Values(uint8_t* p, uint64_t bytes, int width) {
  for (uint64_t i = 0; i + uint64_t(width) <= bytes; i += uint64_t(width)) std::reverse(p + i, p + i + width);
}

}  // namespace

int Dicom_Check(uint8_t* data, uint64_t size, Dicom_Layout* layout, std::string* reason) {
  *layout = Dicom_Layout();
  Walker walker(data, size, *layout, *reason);
  return walker.Run(false) ? 0 : 2;
}

int Dicom_Load(const char* path, std::vector<uint8_t>* data, Dicom_Layout* layout, std::string* reason) {
  *layout = Dicom_Layout();
  Open_File file;
  if (int cls = file.Open(path, reason)) return cls;
  return Load_Whole(file, data, layout, reason);
}

int Dicom_Load_Header(const char* path, std::vector<uint8_t>* data, Dicom_Layout* layout, std::string* reason) {
  *layout = Dicom_Layout();
  Open_File file;
  if (int cls = file.Open(path, reason)) return cls;
  // A walk that fails on the first bytes is tried again on more of them, at last on the whole
  // file, whose verdict counts: compressed pixel data is walked fragment by fragment.
  for (uint64_t want = kHeaderChunk;; want = std::min(want * kHeaderGrowth, file.size)) {
    size_t n = size_t(std::min(want, file.size)), got = 0;
    data->resize(n);
    if (!file.Read_At(0, data->data(), n, &got, reason)) return 4;
    data->resize(got);
    if (data->empty()) {
      *reason = "empty file";
      return 2;
    }
    bool whole = got < n || got >= file.size;
    *layout = Dicom_Layout();
    Walker meta(data->data(), data->size(), *layout, *reason);
    uint64_t p = 0;
    std::string syntax;
    if (!meta.Meta_Only(p, syntax)) {
      if (whole) return 2;
      continue;
    }
    if (syntax == kDeflated) return Load_Whole(file, data, layout, reason);
    Walker walker(data->data(), data->size(), *layout, *reason);
    walker.Header_Only(file.size);
    if (walker.Run(false)) return 0;
    if (whole) return 2;
  }
}

int Dicom_Read_Native(const char* path, const std::vector<uint8_t>& scanned, std::vector<uint8_t>* header,
                      Dicom_Layout* layout, void* dest, uint64_t bytes, std::string* reason,
                      const Dicom_Stretch_Done& done) {
  const Dicom_Layout before = *layout;
  const uint64_t pixel_at = before.pixel_at;
  *layout = Dicom_Layout();
  Open_File file;
  if (int cls = file.Open(path, reason)) return cls;
  // The header and the first stretch of pixels come in one read.
  auto* out = static_cast<uint8_t*>(dest);
  size_t first = size_t(std::min<uint64_t>(kPixelStretch, bytes)), got[2];
  header->resize(size_t(pixel_at));
  if (!file.Read_Two(header->data(), header->size(), out, first, got, reason)) return 4;
  if (got[0] < header->size()) {
    *reason = "the file changed while it was read";
    return 2;
  }
  // The very bytes that were walked when the header was scanned, with the pixels still inside the
  // file, walk the same way; anything else is walked again.
  bool same = !scanned.empty() && scanned.size() == header->size() &&
              std::memcmp(scanned.data(), header->data(), scanned.size()) == 0 &&
              file.size >= pixel_at + before.pixel_bytes;
  if (same) {
    *layout = before;
  } else {
    Walker walker(header->data(), header->size(), *layout, *reason);
    walker.Header_Only(file.size);
    if (!walker.Run(false)) {
      *reason = "the file changed while it was read (" + *reason + ")";
      return 2;
    }
  }
  if (!layout->has_pixels || layout->encapsulated || layout->pixel_at != pixel_at || layout->pixel_bytes < bytes) {
    *reason = "the file changed while it was read";
    return 2;
  }
  size_t landed = got[1];
  for (uint64_t at = 0; at < bytes; at += landed) {
    size_t want = size_t(std::min<uint64_t>(kPixelStretch, bytes - at));
    if (at > 0 && !file.Read_At(pixel_at + at, out + at, want, &landed, reason)) return 4;
    if (landed < want) {
      *reason = "truncated: the pixel data is shorter than the image";
      return 2;
    }
    if (layout->pixel_swap) Swap_Values(out + at, want, layout->pixel_swap);
    if (done) done(out + at, want);
  }
  return 0;
}

std::vector<uint8_t>& Dicom_Thread_Buffer() {
  thread_local std::vector<uint8_t> buffer;
  // A buffer that grew for one large file is not kept for the thread's life.
  if (buffer.capacity() > kKeptBuffer) std::vector<uint8_t>().swap(buffer);
  return buffer;
}

std::string Dicom_Header_Bytes(const std::vector<uint8_t>& data, const Dicom_Layout& layout) {
  const char* syntax = layout.explicit_vr ? kExplicitLE : kImplicitLE;
  std::string uid(syntax);
  if (uid.size() % 2) uid += '\0';
  std::string out(128, '\0');
  out += "DICM";
  auto put16 = [&](uint16_t v) { out += char(v & 0xFF); out += char(v >> 8); };
  auto put32 = [&](uint32_t v) { put16(uint16_t(v & 0xFFFF)); put16(uint16_t(v >> 16)); };
  put16(0x0002); put16(0x0000); out += "UL"; put16(4); put32(uint32_t(8 + uid.size()));
  put16(0x0002); put16(0x0010); out += "UI"; put16(uint16_t(uid.size())); out += uid;
  uint64_t end = layout.has_pixels ? layout.element_at : data.size();
  out.append(reinterpret_cast<const char*>(data.data() + layout.data_set_at), size_t(end - layout.data_set_at));
  return out;
}

}  // namespace hostkit
