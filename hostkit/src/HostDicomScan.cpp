// Header scan and pixel decoding of one DICOM file, through the structure check and the toolkit.
#include "HostDicomCheck.h"
#include "HostDicomFile.h"
#include "HostDicomTags.h"

#include <hostkit/HostImage.h>
#include <hostkit/HostUtil.h>

#include <gdcmReader.h>
#include <gdcmTrace.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <sstream>

namespace hostkit {
namespace {

// Frame-level values of an enhanced file live in a macro of the frame's own functional group or,
// when the frame has none, of the shared group; both hold one item.
struct Groups {
  const gdcm::DataSet* frame = nullptr;
  const gdcm::DataSet* shared = nullptr;

  const gdcm::DataSet* Macro(uint16_t group, uint16_t element, Dicom_Holder& hold) const {
    const gdcm::DataSet* m = Dicom_Item(frame, group, element, 0, hold);
    return m ? m : Dicom_Item(shared, group, element, 0, hold);
  }
};

bool Fail(std::string* reason, const char* format, ...) __attribute__((format(printf, 2, 3)));
bool Fail(std::string* reason, const char* format, ...) {
  char text[160];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  *reason = text;
  return false;
}

// Colour of a photometric interpretation, or -1 when it is not read.
int Colour_Of(const std::string& pi, bool encapsulated) {
  if (pi.empty() || pi == "MONOCHROME1" || pi == "MONOCHROME2") return DICOM_GREY;
  if (pi == "RGB") return DICOM_RGB;
  if (pi == "YBR_FULL") return DICOM_YBR_FULL;
  if (pi == "YBR_FULL_422") return DICOM_YBR_FULL_422;
  if (pi == "PALETTE COLOR") return DICOM_PALETTE;
  // The JPEG 2000 colour transforms are undone by its codec.
  if (encapsulated && (pi == "YBR_RCT" || pi == "YBR_ICT")) return DICOM_CODEC_RGB;
  return -1;
}

// One colour table: its descriptor (entries, first index, bits) and its 16-bit words.
bool Read_Table(const gdcm::DataSet& ds, uint16_t descriptor, uint16_t table, Dicom_Palette& p,
                std::vector<uint8_t>& out, std::string* reason) {
  gdcm::Tag d_tag(0x0028, descriptor), t_tag(0x0028, table);
  if (!ds.FindDataElement(d_tag) || !ds.FindDataElement(t_tag))
    return Fail(reason, "a palette colour image without its colour tables");
  const gdcm::ByteValue* d = ds.GetDataElement(d_tag).GetByteValue();
  const gdcm::ByteValue* t = ds.GetDataElement(t_tag).GetByteValue();
  if (!d || d->GetLength() != 6 || !t) return Fail(reason, "a damaged palette colour table");
  const auto* b = reinterpret_cast<const uint8_t*>(d->GetPointer());
  size_t entries = size_t(b[0] | b[1] << 8);
  if (entries == 0) entries = 65536;
  int first = b[2] | b[3] << 8, bits = b[4] | b[5] << 8;
  if (bits != 8 && bits != 16) return Fail(reason, "palette entries of %d bits (8 or 16 are read)", bits);
  const auto* w = reinterpret_cast<const uint8_t*>(t->GetPointer());
  size_t length = t->GetLength();
  // Eight-bit entries come one per 16-bit word, or packed two to a word by some writers.
  bool packed = bits == 8 && length >= entries && length < 2 * entries;
  if (length < (packed ? entries : 2 * entries)) return Fail(reason, "a palette colour table shorter than its descriptor");
  out.resize(entries);
  for (size_t i = 0; i < entries; ++i)
    out[i] = packed ? w[i] : bits == 8 ? w[2 * i] : w[2 * i + 1];
  p.first = first;
  return true;
}

// The image pixel module, read and checked here: the toolkit's own image layer stops the
// process on values it does not expect.
bool Read_Pixel_Module(const gdcm::DataSet& ds, Dicom_File& f, std::string* reason) {
  const gdcm::DataSet* d = &ds;
  long samples = Dicom_Binary(d, 0x0028, 0x0002, 1);
  std::string pi = Dicom_Text(d, 0x0028, 0x0004);
  long rows = Dicom_Binary(d, 0x0028, 0x0010, 0), columns = Dicom_Binary(d, 0x0028, 0x0011, 0);
  long allocated = Dicom_Binary(d, 0x0028, 0x0100, 0);
  long stored = Dicom_Binary(d, 0x0028, 0x0101, allocated);
  long high = Dicom_Binary(d, 0x0028, 0x0102, stored - 1);
  long representation = Dicom_Binary(d, 0x0028, 0x0103, 0);
  long planar = Dicom_Binary(d, 0x0028, 0x0006, 0);
  double frames = Dicom_Number(d, 0x0028, 0x0008, 1);
  const Dicom_Layout& layout = f.layout;
  int colour = Colour_Of(pi, layout.encapsulated);
  if (colour < 0) return Fail(reason, "unsupported pixels: photometric interpretation %.32s", pi.c_str());
  int want_samples = colour == DICOM_GREY || colour == DICOM_PALETTE ? 1 : 3;
  if (samples != want_samples)
    return Fail(reason, "unsupported pixels: %ld samples per pixel for %s", samples, pi.empty() ? "grey" : pi.c_str());
  // Float pixel data have their own elements, and no stored bits below their size.
  f.float_bytes = layout.pixel_element == 0x0008 ? 4 : layout.pixel_element == 0x0009 ? 8 : 0;
  if (f.float_bytes) {
    if (colour != DICOM_GREY || layout.encapsulated) return Fail(reason, "unsupported pixels: float pixel data that is colour or compressed");
    allocated = stored = 8 * f.float_bytes;
    high = stored - 1;
    representation = 0;
  }
  bool grey_bits = allocated == 8 || allocated == 16 || allocated == 32 || allocated == 64;
  if (colour == DICOM_GREY ? !grey_bits || (allocated == 64 && !f.float_bytes) : colour == DICOM_PALETTE ? allocated != 8 && allocated != 16 : allocated != 8)
    return Fail(reason, "unsupported pixels: %ld bits allocated for %s (read: grey 8, 16, 32, colour 8, palette 8 or 16)", allocated, pi.empty() ? "grey" : pi.c_str());
  if (stored < 1 || stored > allocated || high != stored - 1)
    return Fail(reason, "unsupported pixels: %ld bits stored with high bit %ld", stored, high);
  if (representation != 0 && representation != 1)
    return Fail(reason, "unsupported pixels: pixel representation %ld", representation);
  if (rows < 1 || columns < 1 || !(frames >= 1 && frames <= 65535) || frames != std::floor(frames))
    return Fail(reason, "image size %ld x %ld x %g outside 1 ... 65535", columns, rows, frames);
  if (samples == 3 && planar != 0 && planar != 1) return Fail(reason, "unsupported pixels: planar configuration %ld", planar);
  if (colour == DICOM_YBR_FULL_422 && !layout.encapsulated && (columns % 2 || planar != 0))
    return Fail(reason, "YBR_FULL_422 pixels need an even row length and interleaved samples");
  f.columns = int(columns);
  f.rows = int(rows);
  f.frames = int(frames);
  f.bits_allocated = int(allocated);
  f.bits_stored = int(stored);
  f.samples = int(samples);
  f.colour = colour;
  f.planar = samples == 3 ? int(planar) : 0;
  f.monochrome1 = pi == "MONOCHROME1";
  f.is_signed = representation == 1 && colour == DICOM_GREY;
  if (colour == DICOM_PALETTE) {
    Dicom_Palette& p = f.palette;
    if (!Read_Table(ds, 0x1101, 0x1201, p, p.rgb[0], reason) || !Read_Table(ds, 0x1102, 0x1202, p, p.rgb[1], reason) ||
        !Read_Table(ds, 0x1103, 0x1203, p, p.rgb[2], reason))
      return false;
    if (p.rgb[0].size() != p.rgb[1].size() || p.rgb[0].size() != p.rgb[2].size())
      return Fail(reason, "palette colour tables of different lengths");
  }
  if (colour != DICOM_GREY) f.kind = HOST_PIXEL_RGBA;
  else if (f.float_bytes) f.kind = HOST_PIXEL_FLOAT;
  else if (allocated == 8) f.kind = f.is_signed ? HOST_PIXEL_S8 : HOST_PIXEL_U8;
  else if (allocated == 16) f.kind = f.is_signed ? HOST_PIXEL_S16 : HOST_PIXEL_U16;
  else f.kind = HOST_PIXEL_S32;
  f.unsigned32 = allocated == 32 && !f.is_signed && !f.float_bytes;
  return true;
}

// The padding value is binary: US or SS after the pixel representation.
void Read_Padding(const gdcm::DataSet& ds, Dicom_File& f) {
  gdcm::Tag tag(0x0028, 0x0120);
  if (!ds.FindDataElement(tag)) return;
  const gdcm::ByteValue* bv = ds.GetDataElement(tag).GetByteValue();
  if (!bv || bv->GetLength() != 2) return;
  const auto* b = reinterpret_cast<const uint8_t*>(bv->GetPointer());
  uint16_t v = uint16_t(b[0] | b[1] << 8);
  f.has_pad = f.kind == HOST_PIXEL_U16 || f.kind == HOST_PIXEL_S16;
  f.pad = f.kind == HOST_PIXEL_S16 ? long(int16_t(v)) : long(v);
}

void Read_Header(const gdcm::DataSet& ds, const Groups& g0, Dicom_Header& h) {
  const gdcm::DataSet* d = &ds;
  std::string cs = Dicom_Text(d, 0x0008, 0x0005);
  auto text = [&](uint16_t group, uint16_t element) {
    return Dicom_Utf8(Dicom_Text(d, group, element), cs);
  };
  Dicom_Holder hold;
  h.modality = text(0x0008, 0x0060);
  h.description = text(0x0008, 0x103E);
  if (h.description.empty()) h.description = text(0x0018, 0x1030);
  h.manufacturer = text(0x0008, 0x0070);
  h.model = text(0x0008, 0x1090);
  h.sequence_name = text(0x0018, 0x0024);
  if (h.sequence_name.empty()) h.sequence_name = text(0x0018, 0x9005);
  h.patient_name = text(0x0010, 0x0010);
  h.patient_id = text(0x0010, 0x0020);
  h.patient_sex = text(0x0010, 0x0040);
  h.birth_date = text(0x0010, 0x0030);
  // Acquisition stamp, falling back on the combined date-time of enhanced files, then content.
  std::string dt = text(0x0008, 0x002A);
  h.date[0] = text(0x0008, 0x0022);
  h.time[0] = text(0x0008, 0x0032);
  if (h.date[0].empty() && dt.size() >= 8) h.date[0] = dt.substr(0, 8);
  if (h.time[0].empty() && dt.size() > 8) h.time[0] = dt.substr(8, dt.find_first_of("+-", 8) - 8);
  if (h.date[0].empty()) h.date[0] = text(0x0008, 0x0023);
  if (h.time[0].empty()) h.time[0] = text(0x0008, 0x0033);
  h.date[1] = text(0x0008, 0x0021);
  h.time[1] = text(0x0008, 0x0031);
  if (h.date[1].empty()) h.date[1] = text(0x0008, 0x0020);
  if (h.time[1].empty()) h.time[1] = text(0x0008, 0x0030);
  h.gantry_tilt = Dicom_Number(d, 0x0018, 0x1120, 0);
  h.tube_voltage = Dicom_Number(d, 0x0018, 0x0060, 0);
  h.tube_current = Dicom_Number(d, 0x0018, 0x1151, 0);
  h.field_strength = Dicom_Number(d, 0x0018, 0x0087, 0);
  h.repetition_time = Dicom_Number(d, 0x0018, 0x0080, 0);
  h.echo_time = Dicom_Number(d, 0x0018, 0x0081, 0);
  h.inversion_time = Dicom_Number(d, 0x0018, 0x0082, 0);
  h.averages = Dicom_Number(d, 0x0018, 0x0083, 0);
  if (h.repetition_time == 0)
    h.repetition_time = Dicom_Number(g0.Macro(0x0018, 0x9112, hold), 0x0018, 0x0080, 0);
  if (h.echo_time == 0) h.echo_time = Dicom_Number(g0.Macro(0x0018, 0x9114, hold), 0x0018, 0x9082, 0);
  h.weight = Dicom_Number(d, 0x0010, 0x1030, 0);
  h.height = Dicom_Number(d, 0x0010, 0x1020, 0);
}

// Values that may be per frame: position, rescale, window, temporal order.
void Read_Frame(const gdcm::DataSet& ds, const Groups& g, Dicom_Frame& fr) {
  Dicom_Holder hold;
  const gdcm::DataSet* d = &ds;
  const gdcm::DataSet* pos = g.Macro(0x0020, 0x9113, hold);
  fr.has_position = Dicom_Numbers(pos ? pos : d, 0x0020, 0x0032, fr.position, 3) == 3;
  const gdcm::DataSet* rescale = g.Macro(0x0028, 0x9145, hold);
  if (!rescale) rescale = d;
  fr.intercept = Dicom_Number(rescale, 0x0028, 0x1052, 0);
  // A dose grid scales its stored integers to gray by its own factor instead of a rescale.
  fr.slope = Dicom_Number(rescale, 0x0028, 0x1053, Dicom_Number(d, 0x3004, 0x000E, 1));
  if (fr.slope == 0 || !std::isfinite(fr.slope)) fr.slope = 1;
  if (!std::isfinite(fr.intercept)) fr.intercept = 0;
  const gdcm::DataSet* voi = g.Macro(0x0028, 0x9132, hold);
  if (!voi) voi = d;
  double c, w;
  if (Dicom_Numbers(voi, 0x0028, 0x1050, &c, 1) == 1 && Dicom_Numbers(voi, 0x0028, 0x1051, &w, 1) == 1 &&
      std::isfinite(c) && std::isfinite(w) && w > 0) {
    fr.window_c = c;
    fr.window_w = w;
  }
  const gdcm::DataSet* content = g.Macro(0x0020, 0x9111, hold);
  // Enhanced files number temporal positions in the frame content, others in the data set.
  fr.temporal = content ? Dicom_Binary(content, 0x0020, 0x9128, -1)
                        : long(Dicom_Number(d, 0x0020, 0x0100, -1));
  std::string when = content ? Dicom_Text(content, 0x0018, 0x9074) : std::string();
  fr.seconds = when.size() > 8 ? Dicom_Seconds(when.substr(8, when.find_first_of("+-", 8) - 8))
                               : Dicom_Seconds(Dicom_Text(d, 0x0008, 0x0032));
  fr.instance = long(Dicom_Number(d, 0x0020, 0x0013, 0));
}

void Read_Geometry(const gdcm::DataSet& ds, const Groups& g0, Dicom_File& f) {
  Dicom_Holder hold;
  const gdcm::DataSet* d = &ds;
  const gdcm::DataSet* orient = g0.Macro(0x0020, 0x9116, hold);
  double iop[6];
  if (Dicom_Numbers(orient ? orient : d, 0x0020, 0x0037, iop, 6) == 6) {
    f.has_orientation = true;
    std::memcpy(f.dir_row, iop, sizeof f.dir_row);
    std::memcpy(f.dir_col, iop + 3, sizeof f.dir_col);
  }
  const gdcm::DataSet* measures = g0.Macro(0x0028, 0x9110, hold);
  const gdcm::DataSet* m = measures ? measures : d;
  double ps[2];
  // The recorded pair is row spacing, then column spacing.
  if (Dicom_Numbers(m, 0x0028, 0x0030, ps, 2) == 2 || Dicom_Numbers(d, 0x0018, 0x1164, ps, 2) == 2) {
    if (ps[0] > 0 && ps[1] > 0 && std::isfinite(ps[0]) && std::isfinite(ps[1])) {
      f.has_spacing = true;
      f.spacing[0] = ps[1];
      f.spacing[1] = ps[0];
    }
  }
  double t = Dicom_Number(m, 0x0018, 0x0050, -1);
  f.thickness = t > 0 && std::isfinite(t) ? t : -1;
  double b = Dicom_Number(m, 0x0018, 0x0088, 0);
  f.between = std::isfinite(b) ? std::fabs(b) : 0;
}

// A multi-frame file without per-frame positions holds evenly spaced slices from its first.
void Spread_Positions(Dicom_File& f) {
  const double* u = f.dir_row;
  const double* v = f.dir_col;
  double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
  double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  double step = f.between > 0 ? f.between : f.thickness > 0 ? f.thickness : 1;
  // A dose grid lists each frame's offset along the normal (from the first frame's, whether the
  // list starts at 0 or at the first frame's own z).
  bool grid = f.grid_offsets.size() == f.frame_info.size();
  const Dicom_Frame& first = f.frame_info[0];
  for (size_t k = 1; k < f.frame_info.size(); ++k) {
    Dicom_Frame& fr = f.frame_info[k];
    double along = grid ? f.grid_offsets[k] - f.grid_offsets[0] : double(k) * step;
    fr.has_position = first.has_position && len > 0;
    for (int a = 0; a < 3 && fr.has_position; ++a)
      fr.position[a] = first.position[a] + along * n[a] / len;
  }
}

int Scan_Data_Set(const gdcm::DataSet& ds, Dicom_File& f, std::string* reason) {
  if (!Read_Pixel_Module(ds, f, reason)) return 2;
  const gdcm::DataSet* d = &ds;
  f.series_uid = Dicom_Text(d, 0x0020, 0x000E);
  f.instance_uid = Dicom_Text(d, 0x0008, 0x0018);
  f.series_number = long(Dicom_Number(d, 0x0020, 0x0011, 0));
  f.scout = Dicom_Text(d, 0x0008, 0x0008).find("LOCALIZER") != std::string::npos;
  Dicom_Holder hold;
  Groups g0{Dicom_Item(d, 0x5200, 0x9230, 0, hold), Dicom_Item(d, 0x5200, 0x9229, 0, hold)};
  Read_Geometry(ds, g0, f);
  Read_Padding(ds, f);
  Read_Header(ds, g0, f.header);
  f.frame_info.resize(size_t(f.frames));
  bool per_frame = Dicom_Item_Count(d, 0x5200, 0x9230, hold) == size_t(f.frames);
  for (int k = 0; k < f.frames; ++k) {
    Groups g{per_frame ? Dicom_Item(d, 0x5200, 0x9230, size_t(k), hold) : nullptr, g0.shared};
    Dicom_Frame& fr = f.frame_info[size_t(k)];
    fr.frame = k;
    Read_Frame(ds, g, fr);
  }
  if (f.frames > 1) {
    std::vector<double> grid(size_t(f.frames));
    if (Dicom_Numbers(d, 0x3004, 0x000C, grid.data(), f.frames) == f.frames) f.grid_offsets = grid;
    bool finite = true;
    for (double g : f.grid_offsets) finite = finite && std::isfinite(g);
    if (!finite) f.grid_offsets.clear();
  }
  if (f.frames > 1 && !per_frame) Spread_Positions(f);
  return 0;
}

// Native pixel data must cover the image its header describes. Compressed data cannot be
// measured before decoding, but no codec shrinks an image beyond a bound; a size far above it
// comes from a damaged header and would only allocate memory for nothing.
int Pixel_Length_Check(const Dicom_Layout& layout, const Dicom_File& f, std::string* reason) {
  uint64_t need = f.Source_Bytes();
  bool rle = f.syntax == "1.2.840.10008.1.2.5";
  uint64_t most = layout.encapsulated ? layout.pixel_bytes * (rle ? 64 : 4096) + (1u << 20) : UINT64_MAX;
  if (layout.encapsulated ? need <= most : layout.pixel_bytes >= need) return 0;
  char text[160];
  std::snprintf(text, sizeof text, "pixel data of %llu bytes does not fit an image of %d x %d x %d pixels of %zu bytes",
                (unsigned long long)layout.pixel_bytes, f.columns, f.rows, f.frames,
                f.Source_Bytes() / (size_t(f.columns) * size_t(f.rows) * size_t(f.frames)));
  *reason = text;
  return 2;
}

// Headers up to this size are kept from the scan, so that the pixel read can tell the file is
// unchanged by comparing bytes instead of walking them again.
constexpr uint64_t kKeptHeader = 64u << 10;

// The file's own bytes before its native pixel data: a big-endian data set was swapped in memory
// as it was walked, a deflated one inflated.
void Keep_Header_Bytes(const std::vector<uint8_t>& data, Dicom_File& f) {
  const Dicom_Layout& l = f.layout;
  bool as_in_file = !l.encapsulated && f.syntax != "1.2.840.10008.1.2.2" && f.syntax != "1.2.840.10008.1.2.1.99";
  if (as_in_file && l.pixel_at <= kKeptHeader && l.pixel_at <= data.size())
    f.header_bytes.assign(data.begin(), data.begin() + long(l.pixel_at));
}

std::once_flag g_quiet;

}  // namespace

size_t Dicom_File::Pixel_Bytes() const {
  return size_t(columns) * size_t(rows) * size_t(frames) * size_t(Host_Image_Kind_Size(kind));
}

size_t Dicom_File::Source_Bytes() const {
  size_t pixels = size_t(columns) * size_t(rows) * size_t(frames);
  // Four samples of two pixels sharing their chroma.
  if (colour == DICOM_YBR_FULL_422 && !layout.encapsulated) return pixels * 2;
  return pixels * size_t(samples) * size_t(bits_allocated / 8);
}

void Dicom_Quiet() {
  std::call_once(g_quiet, [] {
    gdcm::Trace::SetDebug(false);
    gdcm::Trace::SetWarning(false);
    gdcm::Trace::SetError(false);
  });
}

int Dicom_Scan(const std::wstring& path, Dicom_File* f, std::string* reason) {
  Dicom_Quiet();
  f->wide_path = path;
  f->path = Host_Wide_To_Char(path.c_str());
  std::vector<uint8_t>& data = Dicom_Thread_Buffer();
  Dicom_Layout& layout = f->layout;
  if (int cls = Dicom_Load_Header(f->path.c_str(), &data, &layout, reason)) return cls;
  if (!layout.has_pixels) {
    *reason = "holds no image (no pixel data)";
    return 2;
  }
  // The toolkit's meta reader aborts the process on a stream that ends right after the meta
  // group, so a file with nothing between its meta group and its pixels stops here.
  if (layout.element_at <= layout.data_set_at) {
    *reason = "holds no image (no data set before its pixel data)";
    return 2;
  }
  f->syntax = layout.transfer_syntax;
  try {
    // The toolkit parses the header only, from the checked bytes: never the file a second time.
    std::istringstream header(Dicom_Header_Bytes(data, layout));
    gdcm::Reader reader;
    reader.SetStream(header);
    if (!reader.Read()) {
      *reason = "the data set cannot be parsed";
      return 2;
    }
    int cls = Scan_Data_Set(reader.GetFile().GetDataSet(), *f, reason);
    if (cls == 0) cls = Pixel_Length_Check(layout, *f, reason);
    if (cls == 0) Keep_Header_Bytes(data, *f);
    return cls;
  } catch (const std::exception& e) {
    *reason = std::string("the data set cannot be parsed: ") + e.what();
  } catch (...) {
    *reason = "the data set cannot be parsed";
  }
  return 2;
}

}  // namespace hostkit
