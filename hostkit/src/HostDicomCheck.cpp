// Structure walk of DICOM files: every element, item and sequence must lie inside the file.
#include "HostDicomCheck.h"

#include <hostkit/HostUtil.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hostkit {
namespace {

constexpr uint32_t kUndefined = 0xFFFFFFFFu;
constexpr uint16_t kItemGroup = 0xFFFE;
constexpr uint16_t kItem = 0xE000, kItemEnd = 0xE00D, kSequenceEnd = 0xE0DD;
constexpr int kMaxDepth = 32;

const char* const kImplicitLE = "1.2.840.10008.1.2";
const char* const kExplicitBE = "1.2.840.10008.1.2.2";
const char* const kDeflated = "1.2.840.10008.1.2.1.99";

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
  Walker(const uint8_t* data, uint64_t size, Dicom_Layout& layout, std::string& reason)
      : d_(data), size_(size), layout_(layout), reason_(reason) {}

  bool Run();

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

  const uint8_t* d_;
  uint64_t size_;
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
  // Item and delimiter tags carry no VR in any encoding.
  if (e.group == kItemGroup || !enc.explicit_vr) {
    e.length = U32(p + 4, enc.little);
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
    p += 8;
    return true;
  }
  if (end - p < 12)
    return Fail("truncated: element (%04X,%04X) at byte %llu has no room for its length", e.group,
                e.element, (unsigned long long)p);
  e.length = U32(p + 8, enc.little);
  p += 12;
  return true;
}

bool Walker::Data_Set(uint64_t& p, uint64_t end, Encoding enc, int depth, bool closed_by_item_end) {
  if (depth > kMaxDepth) return Fail("sequences nested deeper than %d levels", kMaxDepth);
  while (p < end) {
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
  bool pixels = depth == 0 && e.group == 0x7FE0 && e.element == 0x0010;
  bool sq = enc.explicit_vr && e.vr[0] == 'S' && e.vr[1] == 'Q';
  bool un = enc.explicit_vr && e.vr[0] == 'U' && e.vr[1] == 'N';
  // An unknown-VR sequence holds implicit little-endian items whatever the file's encoding.
  Encoding inner = un ? Encoding{true, false} : enc;
  if (e.length == kUndefined) {
    if (pixels) {
      layout_.has_pixels = layout_.encapsulated = true;
      return Fragments(p, end);
    }
    if (enc.explicit_vr && !sq && !un)
      return Fail("element (%04X,%04X) at byte %llu has an undefined length but is no sequence",
                  e.group, e.element, (unsigned long long)e.at);
    return Items(p, end, kUndefined, inner, depth);
  }
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
  }
  p += e.length;
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

bool Walker::Run() {
  if (size_ == 0) return Fail("empty file");
  uint64_t p = 0;
  bool marker = size_ >= 132 && std::memcmp(d_ + 128, "DICM", 4) == 0;
  if (marker) p = 132;
  // Without the marker only a data set that opens with a meta or identifying group is accepted.
  uint16_t first = size_ - p >= 8 ? U16(p, true) : 0;
  if (!marker && first != 0x0002 && first != 0x0008)
    return Fail("not a DICOM file (no DICM marker and no data set at its start)");
  std::string syntax;
  if (!Meta(p, syntax)) return false;
  if (marker && p == 132) return Fail("not a DICOM file (no file meta information after the DICM marker)");
  layout_.transfer_syntax = syntax;
  if (syntax == kDeflated) return Fail("deflate-compressed data sets are not supported");
  Encoding enc;
  if (syntax == kImplicitLE) enc = {true, false};
  else if (syntax == kExplicitBE) enc = {false, true};
  else if (syntax.empty()) enc = {true, Letters(p + 4)};  // guess from the first element
  return Data_Set(p, size_, enc, 0, false);
}

}  // namespace

int Dicom_Check(const char* path, Dicom_Layout* layout, std::string* reason) {
  *layout = Dicom_Layout();
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    *reason = Host_Wide_To_Char(Host_Errno_Text(errno));
    if (fd >= 0) ::close(fd);
    return 4;
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    *reason = S_ISDIR(st.st_mode) ? "a folder, not a file" : "not a regular file";
    return 2;
  }
  uint64_t size = uint64_t(st.st_size);
  if (size == 0) {
    ::close(fd);
    *reason = "empty file";
    return 2;
  }
  void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  int error = errno;
  ::close(fd);
  if (map == MAP_FAILED) {
    *reason = Host_Wide_To_Char(Host_Errno_Text(error));
    return 4;
  }
  Walker walker(static_cast<const uint8_t*>(map), size, *layout, *reason);
  bool ok = walker.Run();
  ::munmap(map, size);
  return ok ? 0 : 2;
}

}  // namespace hostkit
