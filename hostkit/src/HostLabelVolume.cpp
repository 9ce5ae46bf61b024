// NRRD label volumes: a small text header and gzip-compressed raw labels, through zlib.
#include <hostkit/HostLabelVolume.h>

#include <hostkit/HostReport.h>

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kBadInput = 2;  // message class of a refused argument or file
constexpr uint32_t kPlatform = 4;  // message class of a failed system call
constexpr uint32_t kMemory = 1;    // message class of a failed allocation
// Longest header accepted; real headers are a few hundred bytes.
constexpr size_t kMaxHeader = 64 * 1024;
// Most labels in one volume: zlib counts a stream's bytes in 32 bits.
constexpr size_t kMaxLabels = size_t(1) << 30;

bool Size_Fits(int columns, int rows, int slices) {
  return columns >= 1 && rows >= 1 && slices >= 1 && columns <= HOST_LABEL_MAX_SIDE &&
         rows <= HOST_LABEL_MAX_SIDE && slices <= HOST_LABEL_MAX_SIDE &&
         size_t(columns) * size_t(rows) * size_t(slices) <= kMaxLabels;
}

size_t Count(const Host_Label_Volume& v) {
  return size_t(v.size[0]) * size_t(v.size[1]) * size_t(v.size[2]);
}

/// The whole file, or false (reported).
bool Slurp(const char* path, std::vector<unsigned char>* bytes) {
  FILE* file = std::fopen(path, "rb");
  if (!file) {
    Host_Report(Host_Main_Window, kPlatform, "Host_Label_Read_NRRD: cannot open \"%s\" (%s)", path,
                std::strerror(errno));
    return false;
  }
  unsigned char chunk[65536];
  size_t n = 0;
  while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes->insert(bytes->end(), chunk, chunk + n);
  const bool failed = std::ferror(file);
  std::fclose(file);
  if (failed)
    Host_Report(Host_Main_Window, kPlatform, "Host_Label_Read_NRRD: cannot read \"%s\"", path);
  return !failed;
}

/// What the header says, before the data is looked at.
struct Header {
  int dimension = 0;
  int size[3] = {0, 0, 0};
  int bytes = 0;  // 1 or 2 per label
  bool gzip = false;
  bool big_endian = false;
  bool ras = false;
  bool have_directions = false;
  double step[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  double origin[3] = {0, 0, 0};
};

std::string Trim(std::string s) {
  const size_t a = s.find_first_not_of(" \t\r");
  const size_t b = s.find_last_not_of(" \t\r");
  return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

int Type_Bytes(const std::string& type) {
  static const char* const k16[] = {"unsigned short", "ushort", "uint16", "uint16_t", "unsigned short int"};
  static const char* const k8[] = {"unsigned char", "uchar", "uint8", "uint8_t"};
  for (const char* t : k16)
    if (type == t) return 2;
  for (const char* t : k8)
    if (type == t) return 1;
  return 0;
}

/// Reads "(a,b,c)" vectors from text into out; the count read.
int Vectors(const std::string& text, double out[][3], int most) {
  int n = 0;
  const char* p = text.c_str();
  while (n < most && (p = std::strchr(p, '('))) {
    double a, b, c;
    if (std::sscanf(p, "(%lf ,%lf ,%lf )", &a, &b, &c) != 3 || !std::isfinite(a) ||
        !std::isfinite(b) || !std::isfinite(c))
      return -1;
    out[n][0] = a, out[n][1] = b, out[n][2] = c;
    ++n, ++p;
  }
  return n;
}

/// One "key: value" line into the header; false names the fault in why.
bool Field(const std::string& key, const std::string& value, Header* h, std::string* why) {
  if (key == "type") {
    h->bytes = Type_Bytes(value);
    if (!h->bytes) *why = "labels of type \"" + value + "\" (8- or 16-bit unsigned expected)";
    return h->bytes != 0;
  }
  if (key == "dimension") {
    h->dimension = std::atoi(value.c_str());
    if (h->dimension != 3) *why = "a volume of dimension " + value + " (3 expected)";
    return h->dimension == 3;
  }
  if (key == "sizes") {
    if (std::sscanf(value.c_str(), "%d %d %d", &h->size[0], &h->size[1], &h->size[2]) != 3 ||
        !Size_Fits(h->size[0], h->size[1], h->size[2])) {
      *why = "sizes \"" + value + "\"";
      return false;
    }
    return true;
  }
  if (key == "encoding") {
    h->gzip = value == "gzip" || value == "gz";
    if (!h->gzip && value != "raw") *why = "encoding \"" + value + "\" (raw or gzip expected)";
    return h->gzip || value == "raw";
  }
  if (key == "endian") {
    h->big_endian = value == "big";
    return true;
  }
  if (key == "space") {
    h->ras = value == "right-anterior-superior" || value == "RAS";
    if (!h->ras && value != "left-posterior-superior" && value != "LPS")
      *why = "space \"" + value + "\" (LPS or RAS expected)";
    return h->ras || value == "left-posterior-superior" || value == "LPS";
  }
  if (key == "space directions") {
    h->have_directions = Vectors(value, h->step, 3) == 3;
    if (!h->have_directions) *why = "space directions \"" + value + "\"";
    return h->have_directions;
  }
  if (key == "space origin") {
    double o[1][3];
    if (Vectors(value, o, 1) != 1) {
      *why = "space origin \"" + value + "\"";
      return false;
    }
    std::memcpy(h->origin, o[0], sizeof h->origin);
    return true;
  }
  if (key == "data file" || key == "datafile") {
    *why = "a detached data file (the labels must follow the header)";
    return false;
  }
  return true;  // kinds, spacings, content and the like carry nothing we need
}

/// Parses the header lines; data_at receives the offset of the first data byte.
bool Parse(const std::vector<unsigned char>& bytes, Header* h, size_t* data_at, std::string* why) {
  if (bytes.size() < 8 || std::memcmp(bytes.data(), "NRRD000", 7) != 0) {
    *why = "no NRRD magic";
    return false;
  }
  size_t at = 0;
  bool first = true;
  while (true) {
    const size_t end = std::find(bytes.begin() + long(at), bytes.end(), '\n') - bytes.begin();
    if (end >= bytes.size() || end > kMaxHeader) {
      *why = "a header without the blank line that ends it";
      return false;
    }
    std::string line(bytes.begin() + long(at), bytes.begin() + long(end));
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (first) {
      first = false;
      continue;
    }
    if (line.empty()) break;
    if (line[0] == '#' || line.find(":=") != std::string::npos) continue;
    const size_t colon = line.find(": ");
    if (colon == std::string::npos) {
      *why = "a header line \"" + line + "\"";
      return false;
    }
    if (!Field(Trim(line.substr(0, colon)), Trim(line.substr(colon + 2)), h, why)) return false;
  }
  if (!h->bytes || h->dimension != 3 || !h->size[0]) {
    *why = "a header without type, dimension 3 and sizes";
    return false;
  }
  *data_at = at;
  return true;
}

/// Inflates a gzip stream into exactly want bytes; false when it is shorter or damaged.
bool Inflate(const unsigned char* in, size_t n, unsigned char* out, size_t want) {
  z_stream z{};
  if (inflateInit2(&z, 15 + 32) != Z_OK) return false;
  z.next_in = const_cast<unsigned char*>(in);
  z.avail_in = uInt(n);
  z.next_out = out;
  z.avail_out = uInt(want);
  const int rc = inflate(&z, Z_FINISH);
  const bool whole = (rc == Z_STREAM_END || rc == Z_BUF_ERROR || rc == Z_OK) && z.avail_out == 0;
  inflateEnd(&z);
  return whole;
}

/// Deflates data into a gzip stream; false when zlib fails or memory runs out.
bool Deflate(const unsigned char* in, size_t n, std::vector<unsigned char>* out) {
  z_stream z{};
  if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    return false;
  out->resize(deflateBound(&z, uLong(n)) + 32);
  z.next_in = const_cast<unsigned char*>(in);
  z.avail_in = uInt(n);
  z.next_out = out->data();
  z.avail_out = uInt(out->size());
  const int rc = deflate(&z, Z_FINISH);
  out->resize(out->size() - z.avail_out);
  deflateEnd(&z);
  return rc == Z_STREAM_END;
}

void Refuse(const char* path, const std::string& why) {
  Host_Report(Host_Main_Window, kBadInput, "Host_Label_Read_NRRD: \"%s\" has %s", path, why.c_str());
}

}  // namespace

Host_Label_Volume* Host_Label_Alloc(int columns, int rows, int slices) {
  if (!Size_Fits(columns, rows, slices)) {
    Host_Report(Host_Main_Window, kBadInput, "Host_Label_Alloc: bad size %dx%dx%d", columns, rows, slices);
    return nullptr;
  }
  auto* v = new (std::nothrow) Host_Label_Volume;
  const size_t n = size_t(columns) * size_t(rows) * size_t(slices);
  if (v) v->labels = static_cast<uint16_t*>(std::calloc(n, sizeof(uint16_t)));
  if (!v || !v->labels) {
    Host_Report(Host_Main_Window, kMemory, "Host_Label_Alloc: no memory for %dx%dx%d labels", columns, rows, slices);
    delete v;
    return nullptr;
  }
  v->size[0] = columns, v->size[1] = rows, v->size[2] = slices;
  for (int a = 0; a < 3; ++a) v->step[a][a] = 1;
  return v;
}

void Host_Label_Free(Host_Label_Volume* volume) {
  if (!volume) return;
  std::free(volume->labels);
  delete volume;
}

int Host_Label_Write_NRRD(const char* path, const Host_Label_Volume* v) {
  if (!path || !v || !v->labels || !Size_Fits(v->size[0], v->size[1], v->size[2])) {
    Host_Report(Host_Main_Window, kBadInput, "Host_Label_Write_NRRD: nothing to write to \"%s\"", path ? path : "");
    return 0;
  }
  // Labels go out little-endian whatever the machine, as the header says.
  std::vector<unsigned char> raw(Count(*v) * 2);
  for (size_t i = 0; i < Count(*v); ++i) raw[2 * i] = uint8_t(v->labels[i]), raw[2 * i + 1] = uint8_t(v->labels[i] >> 8);
  std::vector<unsigned char> packed;
  if (!Deflate(raw.data(), raw.size(), &packed)) {
    Host_Report(Host_Main_Window, kMemory, "Host_Label_Write_NRRD: cannot compress %zu labels", Count(*v));
    return 0;
  }
  char header[1024];
  const auto& s = v->step;
  const int length = std::snprintf(
      header, sizeof header,
      "NRRD0004\n# labels of a series\ntype: unsigned short\ndimension: 3\n"
      "space: left-posterior-superior\nsizes: %d %d %d\n"
      "space directions: (%.17g,%.17g,%.17g) (%.17g,%.17g,%.17g) (%.17g,%.17g,%.17g)\n"
      "kinds: domain domain domain\nendian: little\nencoding: gzip\n"
      "space origin: (%.17g,%.17g,%.17g)\n\n",
      v->size[0], v->size[1], v->size[2], s[0][0], s[0][1], s[0][2], s[1][0], s[1][1], s[1][2],
      s[2][0], s[2][1], s[2][2], v->origin[0], v->origin[1], v->origin[2]);
  FILE* file = std::fopen(path, "wb");
  bool done = file && length > 0 && size_t(length) < sizeof header &&
              std::fwrite(header, 1, size_t(length), file) == size_t(length) &&
              std::fwrite(packed.data(), 1, packed.size(), file) == packed.size();
  if (file && std::fclose(file) != 0) done = false;
  if (!done)
    Host_Report(Host_Main_Window, kPlatform, "Host_Label_Write_NRRD: cannot write \"%s\" (%s)", path,
                std::strerror(errno));
  return done ? 1 : 0;
}

Host_Label_Volume* Host_Label_Read_NRRD(const char* path) {
  if (!path) {
    Host_Report(Host_Main_Window, kBadInput, "Host_Label_Read_NRRD: no file name");
    return nullptr;
  }
  std::vector<unsigned char> bytes;
  if (!Slurp(path, &bytes)) return nullptr;
  Header h;
  size_t data_at = 0;
  std::string why;
  if (!Parse(bytes, &h, &data_at, &why)) {
    Refuse(path, why);
    return nullptr;
  }
  Host_Label_Volume* v = Host_Label_Alloc(h.size[0], h.size[1], h.size[2]);
  if (!v) return nullptr;
  const size_t want = Count(*v) * size_t(h.bytes);
  std::vector<unsigned char> raw;
  const unsigned char* data = bytes.data() + data_at;
  const size_t have = bytes.size() - data_at;
  if (h.gzip) {
    raw.resize(want);
    if (!Inflate(data, have, raw.data(), want)) {
      Refuse(path, "compressed labels that are cut or damaged");
      Host_Label_Free(v);
      return nullptr;
    }
    data = raw.data();
  } else if (have < want) {
    Refuse(path, std::to_string(have) + " bytes of labels where " + std::to_string(want) + " are needed");
    Host_Label_Free(v);
    return nullptr;
  }
  for (size_t i = 0; i < Count(*v); ++i) {
    const unsigned char* p = data + i * size_t(h.bytes);
    v->labels[i] = h.bytes == 1 ? p[0] : h.big_endian ? uint16_t(p[0] << 8 | p[1]) : uint16_t(p[1] << 8 | p[0]);
  }
  // RAS files name x and y the other way round; our patient space is LPS.
  const double flip = h.ras ? -1 : 1;
  for (int a = 0; a < 3; ++a) {
    v->step[a][0] = flip * h.step[a][0], v->step[a][1] = flip * h.step[a][1], v->step[a][2] = h.step[a][2];
  }
  v->origin[0] = flip * h.origin[0], v->origin[1] = flip * h.origin[1], v->origin[2] = h.origin[2];
  return v;
}
