// Synthetic DICOM series written with the toolkit, so that tests and demos have real files.
#include <hostkit/HostDicom.h>
#include <hostkit/HostReport.h>
#include <hostkit/HostUtil.h>

#include "HostDicomFile.h"
#include "HostFault.h"

#include <gdcmImage.h>
#include <gdcmImageChangeTransferSyntax.h>
#include <gdcmItem.h>
#include <gdcmSequenceOfItems.h>
#include <gdcmUIDGenerator.h>
#include <gdcmWriter.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

namespace {

using gdcm::DataSet;
using gdcm::VR;

const char* const kCtStorage = "1.2.840.10008.5.1.4.1.1.2";
const char* const kMrStorage = "1.2.840.10008.5.1.4.1.1.4";
const char* const kEnhancedCt = "1.2.840.10008.5.1.4.1.1.2.1";
const char* const kEnhancedMr = "1.2.840.10008.5.1.4.1.1.4.1";
const char* const kByteCapture = "1.2.840.10008.5.1.4.1.1.7.2";
const char* const kWordCapture = "1.2.840.10008.5.1.4.1.1.7.3";
const char* const kRtDose = "1.2.840.10008.5.1.4.1.1.481.2";

// Stored value of padding outside the scanned field of a CT phantom.
constexpr int kCtPadding = -2000;

struct Series_Ids {
  std::string study, series, frame_of_reference;
};

// ---- data set building -------------------------------------------------------------------------

void Put(DataSet& ds, uint16_t g, uint16_t e, VR vr, std::string v) {
  if (v.size() % 2) v += vr == VR::UI ? '\0' : ' ';
  gdcm::DataElement de(gdcm::Tag(g, e));
  de.SetVR(vr);
  de.SetByteValue(v.data(), gdcm::VL(uint32_t(v.size())));
  ds.Replace(de);
}

void Put_Binary(DataSet& ds, uint16_t g, uint16_t e, VR vr, uint32_t v, int bytes) {
  char b[4] = {char(v & 0xFF), char(v >> 8 & 0xFF), char(v >> 16 & 0xFF), char(v >> 24 & 0xFF)};
  gdcm::DataElement de(gdcm::Tag(g, e));
  de.SetVR(vr);
  de.SetByteValue(b, gdcm::VL(uint32_t(bytes)));
  ds.Replace(de);
}

void Put_US(DataSet& ds, uint16_t g, uint16_t e, int v) { Put_Binary(ds, g, e, VR::US, uint32_t(v), 2); }

// A decimal string holds at most 16 characters; fewer digits are kept until it fits.
std::string Decimal(double v) {
  char text[32];
  for (int digits = 10; digits > 3; --digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, v);
    if (std::strlen(text) <= 16) break;
  }
  return text;
}

std::string Decimals(const double* v, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += (i ? "\\" : "") + Decimal(v[i]);
  return s;
}

std::string Integer(long v) { return std::to_string(v); }

// Adds a sequence holding the given items.
void Put_Sequence(DataSet& ds, uint16_t g, uint16_t e, const std::vector<DataSet>& items) {
  gdcm::SmartPointer<gdcm::SequenceOfItems> sq = new gdcm::SequenceOfItems;
  sq->SetLengthToUndefined();
  for (const DataSet& nested : items) {
    gdcm::Item item;
    item.SetVLToUndefined();
    item.SetNestedDataSet(nested);
    sq->AddItem(item);
  }
  gdcm::DataElement de(gdcm::Tag(g, e));
  de.SetVR(VR::SQ);
  de.SetValue(*sq);
  de.SetVLToUndefined();
  ds.Replace(de);
}

DataSet Macro(uint16_t g, uint16_t e, const DataSet& item) {
  DataSet ds;
  Put_Sequence(ds, g, e, {item});
  return ds;
}

void Merge(DataSet& into, const DataSet& from) {
  for (const gdcm::DataElement& de : from.GetDES()) into.Replace(de);
}

// ---- geometry and values -----------------------------------------------------------------------

struct Geometry {
  double u[3], v[3], n[3], p[3];
};

Geometry Geometry_Of(const Host_Phantom_Options& o) {
  Geometry g{{o.dir_row.x, o.dir_row.y, o.dir_row.z}, {o.dir_col.x, o.dir_col.y, o.dir_col.z},
             {0, 0, 0}, {o.position.x, o.position.y, o.position.z}};
  g.n[0] = g.u[1] * g.v[2] - g.u[2] * g.v[1];
  g.n[1] = g.u[2] * g.v[0] - g.u[0] * g.v[2];
  g.n[2] = g.u[0] * g.v[1] - g.u[1] * g.v[0];
  double len = std::sqrt(g.n[0] * g.n[0] + g.n[1] * g.n[1] + g.n[2] * g.n[2]);
  for (double& c : g.n) c /= len;
  return g;
}

double Offset_Of(const Host_Phantom_Options& o, int slice) {
  return o.slice_offsets ? double(o.slice_offsets[slice]) : double(slice) * o.slice_spacing;
}

std::string Position_Text(const Host_Phantom_Options& o, const Geometry& g, int slice) {
  double p[3];
  for (int a = 0; a < 3; ++a) p[a] = g.p[a] + Offset_Of(o, slice) * g.n[a];
  return Decimals(p, 3);
}

bool Is_Ct(const Host_Phantom_Options& o) { return o.modality == HOST_MODALITY_CT; }
bool Is_Colour(const Host_Phantom_Options& o) { return o.pixels >= HOST_PHANTOM_RGB && o.pixels <= HOST_PHANTOM_YBR_FULL_422; }
bool Is_Wide(const Host_Phantom_Options& o) { return o.pixels >= HOST_PHANTOM_S32; }
int Bits(const Host_Phantom_Options& o) {
  if (Is_Wide(o)) return 32;
  if (Is_Colour(o) || o.pixels == HOST_PHANTOM_PALETTE) return 8;
  return Is_Ct(o) ? 16 : o.bits;
}
int Samples(const Host_Phantom_Options& o) { return Is_Colour(o) ? 3 : 1; }
bool Signed(const Host_Phantom_Options& o) {
  return o.pixels == HOST_PHANTOM_S32 || (o.pixels == HOST_PHANTOM_GREY && Is_Ct(o));
}
const char* Pi_Text(const Host_Phantom_Options& o) {
  switch (o.pixels) {
    case HOST_PHANTOM_RGB: return "RGB";
    case HOST_PHANTOM_YBR_FULL: return "YBR_FULL";
    case HOST_PHANTOM_YBR_FULL_422: return "YBR_FULL_422";
    case HOST_PHANTOM_PALETTE: return "PALETTE COLOR";
  }
  return "MONOCHROME2";
}

// Colour of a region and texture: each component spread over most of its range.
void Colour_Of(int region, int texture, uint8_t rgb[3]) {
  int r = region < 0 ? 0 : region + 1;
  rgb[0] = uint8_t(30 * r + 7 * texture);
  rgb[1] = uint8_t(255 - 40 * r - 3 * texture);
  rgb[2] = uint8_t((53 * r + 11 * texture) & 255);
}

uint8_t Byte(double v) { return uint8_t(v <= 0 ? 0 : v >= 255 ? 255 : std::lround(v)); }

void To_Ybr(const uint8_t rgb[3], uint8_t ybr[3]) {
  double r = rgb[0], g = rgb[1], b = rgb[2];
  ybr[0] = Byte(0.299 * r + 0.587 * g + 0.114 * b);
  ybr[1] = Byte(-0.168736 * r - 0.331264 * g + 0.5 * b + 128);
  ybr[2] = Byte(0.5 * r - 0.418688 * g - 0.081312 * b + 128);
}

// Entry k of the palette's red, green and blue tables, 8-bit.
uint8_t Palette_Entry(int k, int component) {
  return uint8_t(component == 0 ? k : component == 1 ? 255 - k : (k * 5) & 255);
}

// Region of a pixel: 0 air, 1 body, 2 and 3 the spheres, 4 the vessel, -1 outside the field.
int Region(const Host_Phantom_Options& o, int i, int j, int k) {
  double u = (i + 0.5) / o.columns, v = (j + 0.5) / o.rows, w = (k + 0.5) / o.slices;
  auto sq = [](double a) { return a * a; };
  if (sq(u - 0.5) + sq(v - 0.5) > 0.25) return -1;
  if (sq(u - 0.62) + sq(v - 0.34) <= sq(0.05)) return 4;
  if (sq((u - 0.36) / 0.14) + sq((v - 0.42) / 0.14) + sq((w - 0.5) / 0.35) <= 1) return 2;
  if (sq((u - 0.64) / 0.10) + sq((v - 0.62) / 0.10) + sq((w - 0.3) / 0.3) <= 1) return 3;
  if (sq((u - 0.5) / 0.42) + sq((v - 0.5) / 0.36) <= 1) return 1;
  return 0;
}

// Every frame of the written series in writing order: a fixed permutation when scrambled.
std::vector<int> Write_Order(const Host_Phantom_Options& o) {
  int n = o.slices * o.times;
  std::vector<int> order(size_t(n), 0);
  std::iota(order.begin(), order.end(), 0);
  if (!o.scramble || n < 3) return order;
  int m = 7;
  while (std::gcd(m, n) != 1 || m % n == 1) ++m;
  for (int i = 0; i < n; ++i) order[size_t(i)] = int((long(i) * m + n / 3) % n);
  return order;
}

// Colour samples of one frame: interleaved or by plane, as RGB or luminance and chroma.
std::vector<uint8_t> Colour_Pixels(const Host_Phantom_Options& o, int slice, int time) {
  size_t n = size_t(o.columns) * size_t(o.rows);
  bool compressed_422 = o.pixels == HOST_PHANTOM_YBR_FULL_422 && o.encoding != HOST_PHANTOM_EXPLICIT &&
                        o.encoding != HOST_PHANTOM_IMPLICIT && o.encoding != HOST_PHANTOM_BIG_ENDIAN &&
                        o.encoding != HOST_PHANTOM_DEFLATED;
  // Native YBR_FULL_422 keeps Y1 Y2 Cb Cr for each pair; its codec takes every pixel's samples.
  if (o.pixels == HOST_PHANTOM_YBR_FULL_422 && !compressed_422) {
    std::vector<uint8_t> out(n * 2);
    for (size_t p = 0; p + 1 < n; p += 2) {
      uint8_t rgb[3], a[3], b[3];
      int v = Host_Dicom_Phantom_Value(&o, int(p % size_t(o.columns)), int(p / size_t(o.columns)), slice, time);
      for (int c = 0; c < 3; ++c) rgb[c] = uint8_t(v >> (8 * c));
      To_Ybr(rgb, a);
      v = Host_Dicom_Phantom_Value(&o, int((p + 1) % size_t(o.columns)), int((p + 1) / size_t(o.columns)), slice, time);
      for (int c = 0; c < 3; ++c) rgb[c] = uint8_t(v >> (8 * c));
      To_Ybr(rgb, b);
      uint8_t* q = out.data() + 2 * p;
      q[0] = a[0];
      q[1] = b[0];
      q[2] = a[1];
      q[3] = a[2];
    }
    return out;
  }
  std::vector<uint8_t> out(n * 3);
  for (size_t p = 0; p < n; ++p) {
    int v = Host_Dicom_Phantom_Value(&o, int(p % size_t(o.columns)), int(p / size_t(o.columns)), slice, time);
    uint8_t rgb[3] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16)}, ybr[3];
    To_Ybr(rgb, ybr);
    // The JPEG encoder turns red, green and blue into luminance and chroma itself.
    const uint8_t* c = o.pixels == HOST_PHANTOM_RGB || compressed_422 ? rgb : ybr;
    for (int k = 0; k < 3; ++k) out[o.planar ? size_t(k) * n + p : 3 * p + size_t(k)] = c[k];
  }
  return out;
}

std::vector<uint8_t> Frame_Pixels(const Host_Phantom_Options& o, int slice, int time) {
  if (Is_Colour(o)) return Colour_Pixels(o, slice, time);
  int size = Bits(o) / 8;
  std::vector<uint8_t> out(size_t(o.columns) * size_t(o.rows) * size_t(size));
  for (int j = 0; j < o.rows; ++j)
    for (int i = 0; i < o.columns; ++i) {
      uint32_t v = uint32_t(Host_Dicom_Phantom_Value(&o, i, j, slice, time));
      if (o.pixels == HOST_PHANTOM_FLOAT) {
        float f = float(Host_Dicom_Phantom_Real(&o, i, j, slice, time));
        std::memcpy(&v, &f, 4);
      }
      size_t at = (size_t(j) * o.columns + i) * size;
      for (int b = 0; b < size; ++b) out[at + size_t(b)] = uint8_t(v >> (8 * b));
    }
  return out;
}

// ---- the data sets -----------------------------------------------------------------------------

void Put_Window(DataSet& ds, const Host_Phantom_Options& o) {
  if (o.pixels != HOST_PHANTOM_GREY) return;
  const char* c = Is_Ct(o) ? "40" : Bits(o) == 8 ? "128" : "20000";
  const char* w = Is_Ct(o) ? "400" : Bits(o) == 8 ? "256" : "40000";
  Put(ds, 0x0028, 0x1050, VR::DS, c);
  Put(ds, 0x0028, 0x1051, VR::DS, w);
}

void Put_Rescale(DataSet& ds, const Host_Phantom_Options& o) {
  if (Is_Colour(o) || o.pixels == HOST_PHANTOM_PALETTE || o.pixels == HOST_PHANTOM_FLOAT ||
      o.pixels == HOST_PHANTOM_DOSE)
    return;
  if (o.pixels == HOST_PHANTOM_S32 || o.pixels == HOST_PHANTOM_U32) {
    Put(ds, 0x0028, 0x1052, VR::DS, "-10");
    Put(ds, 0x0028, 0x1053, VR::DS, "0.5");
    return;
  }
  Put(ds, 0x0028, 0x1052, VR::DS, Is_Ct(o) ? "-1024" : "0");
  Put(ds, 0x0028, 0x1053, VR::DS, "1");
  Put(ds, 0x0028, 0x1054, VR::LO, Is_Ct(o) ? "HU" : "US");
}

void Put_Measures(DataSet& ds, const Host_Phantom_Options& o) {
  double ps[2] = {o.spacing_y, o.spacing_x};  // row spacing first
  Put(ds, 0x0028, 0x0030, VR::DS, Decimals(ps, 2));
  Put(ds, 0x0018, 0x0050, VR::DS, Decimal(o.slice_thickness));
  Put(ds, 0x0018, 0x0088, VR::DS, Decimal(o.slice_spacing));
}

std::string Orientation_Text(const Geometry& g) {
  double iop[6] = {g.u[0], g.u[1], g.u[2], g.v[0], g.v[1], g.v[2]};
  return Decimals(iop, 6);
}

std::string Acquisition_Time(int time) {
  char text[32];
  std::snprintf(text, sizeof text, "1015%02d.250000", 45 + 2 * time > 59 ? 59 : 45 + 2 * time);
  return text;
}

// 256 entries of 16 bits per table, the first mapped to index 0.
void Put_Palette(DataSet& ds) {
  for (int c = 0; c < 3; ++c) {
    const uint16_t element = uint16_t(0x1101 + c);
    const char descriptor[6] = {0, 1, 0, 0, 16, 0};  // 256 entries, first index 0, 16 bits
    gdcm::DataElement d(gdcm::Tag(0x0028, element));
    d.SetVR(VR::US);
    d.SetByteValue(descriptor, 6);
    ds.Replace(d);
    std::vector<char> table(512);
    for (int k = 0; k < 256; ++k) table[size_t(2 * k)] = table[size_t(2 * k + 1)] = char(Palette_Entry(k, c));
    gdcm::DataElement t(gdcm::Tag(0x0028, uint16_t(0x1201 + c)));
    t.SetVR(VR::OW);
    t.SetByteValue(table.data(), 512);
    ds.Replace(t);
  }
}

// Patient, study, scanner and image-pixel values every file of the series shares.
DataSet Common(const Host_Phantom_Options& o, const Series_Ids& ids, const char* sop_class, int frames) {
  DataSet ds;
  Put(ds, 0x0008, 0x0005, VR::CS, "ISO_IR 100");
  Put(ds, 0x0008, 0x0016, VR::UI, sop_class);
  Put(ds, 0x0008, 0x0018, VR::UI, gdcm::UIDGenerator().Generate());
  Put(ds, 0x0008, 0x0020, VR::DA, "20240315");
  Put(ds, 0x0008, 0x0021, VR::DA, "20240315");
  Put(ds, 0x0008, 0x0022, VR::DA, "20240315");
  Put(ds, 0x0008, 0x0030, VR::TM, "101500");
  Put(ds, 0x0008, 0x0031, VR::TM, "101530");
  Put(ds, 0x0008, 0x0060, VR::CS, Is_Ct(o) ? "CT" : "MR");
  Put(ds, 0x0008, 0x0070, VR::LO, "Synthetic Imaging");
  Put(ds, 0x0008, 0x1090, VR::LO, Is_Ct(o) ? "Phantom CT 1" : "Phantom MR 1");
  char description[64];
  std::snprintf(description, sizeof description, "%s phantom %dx%dx%d", Is_Ct(o) ? "CT" : "MR",
                o.columns, o.rows, o.slices);
  Put(ds, 0x0008, 0x103E, VR::LO, o.description ? o.description : description);
  Put(ds, 0x0010, 0x0010, VR::PN, "Phantom^Jos\xE9");  // Latin-1, as the character set says
  Put(ds, 0x0010, 0x0020, VR::LO, "PH-0001");
  Put(ds, 0x0010, 0x0030, VR::DA, "19700101");
  Put(ds, 0x0010, 0x0040, VR::CS, "O");
  Put(ds, 0x0010, 0x1020, VR::DS, "1.75");
  Put(ds, 0x0010, 0x1030, VR::DS, "70");
  if (Is_Ct(o)) {
    Put(ds, 0x0018, 0x0060, VR::DS, "120");
    Put(ds, 0x0018, 0x1120, VR::DS, "0");
    Put(ds, 0x0018, 0x1151, VR::IS, "200");
  } else {
    Put(ds, 0x0018, 0x0024, VR::SH, "se2d");
    Put(ds, 0x0018, 0x0080, VR::DS, "500");
    Put(ds, 0x0018, 0x0081, VR::DS, "15");
    Put(ds, 0x0018, 0x0083, VR::DS, "2");
    Put(ds, 0x0018, 0x0087, VR::DS, "1.5");
  }
  Put(ds, 0x0020, 0x000D, VR::UI, ids.study);
  Put(ds, 0x0020, 0x000E, VR::UI, ids.series);
  Put(ds, 0x0020, 0x0011, VR::IS, Integer(o.series_number));
  Put(ds, 0x0020, 0x0052, VR::UI, ids.frame_of_reference);
  Put_US(ds, 0x0028, 0x0002, Samples(o));
  Put(ds, 0x0028, 0x0004, VR::CS, Pi_Text(o));
  if (Samples(o) == 3) Put_US(ds, 0x0028, 0x0006, o.planar);
  if (frames > 1) Put(ds, 0x0028, 0x0008, VR::IS, Integer(frames));
  Put_US(ds, 0x0028, 0x0010, o.rows);
  Put_US(ds, 0x0028, 0x0011, o.columns);
  Put_US(ds, 0x0028, 0x0100, Bits(o));
  Put_US(ds, 0x0028, 0x0101, Bits(o));
  Put_US(ds, 0x0028, 0x0102, Bits(o) - 1);
  Put_US(ds, 0x0028, 0x0103, Signed(o) ? 1 : 0);
  if (Is_Ct(o) && o.pixels == HOST_PHANTOM_GREY) Put_Binary(ds, 0x0028, 0x0120, VR::SS, uint32_t(kCtPadding) & 0xFFFF, 2);
  if (o.pixels == HOST_PHANTOM_PALETTE) Put_Palette(ds);
  if (o.pixels == HOST_PHANTOM_DOSE) {
    Put(ds, 0x0008, 0x0060, VR::CS, "RTDOSE");
    Put(ds, 0x3004, 0x0002, VR::CS, "GY");
    Put(ds, 0x3004, 0x000E, VR::DS, "0.0001");
  }
  return ds;
}

// Frame-by-frame values of a single-frame file or a legacy multi-frame file.
void Put_Plane(DataSet& ds, const Host_Phantom_Options& o, const Geometry& g, int slice) {
  Put(ds, 0x0008, 0x0008, VR::CS, "ORIGINAL\\PRIMARY\\AXIAL");
  Put(ds, 0x0020, 0x0032, VR::DS, Position_Text(o, g, slice));
  Put(ds, 0x0020, 0x0037, VR::DS, Orientation_Text(g));
  Put_Measures(ds, o);
  Put_Rescale(ds, o);
  Put_Window(ds, o);
}

void Put_Functional_Groups(DataSet& ds, const Host_Phantom_Options& o, const Geometry& g,
                           const std::vector<int>& order) {
  DataSet shared, measures, plane, rescale, voi;
  Put_Measures(measures, o);
  Put(plane, 0x0020, 0x0037, VR::DS, Orientation_Text(g));
  Put_Rescale(rescale, o);
  Put_Window(voi, o);
  Merge(shared, Macro(0x0028, 0x9110, measures));
  Merge(shared, Macro(0x0020, 0x9116, plane));
  Merge(shared, Macro(0x0028, 0x9145, rescale));
  Merge(shared, Macro(0x0028, 0x9132, voi));
  std::vector<DataSet> frames;
  for (int linear : order) {
    int slice = linear % o.slices, time = linear / o.slices;
    DataSet item, position, content;
    Put(position, 0x0020, 0x0032, VR::DS, Position_Text(o, g, slice));
    Put_Binary(content, 0x0020, 0x9057, VR::UL, uint32_t(slice + 1), 4);
    Put_Binary(content, 0x0020, 0x9128, VR::UL, uint32_t(time + 1), 4);
    Put(content, 0x0018, 0x9074, VR::DT, "20240315" + Acquisition_Time(time));
    Merge(item, Macro(0x0020, 0x9113, position));
    Merge(item, Macro(0x0020, 0x9111, content));
    frames.push_back(item);
  }
  Put_Sequence(ds, 0x5200, 0x9229, {shared});
  Put_Sequence(ds, 0x5200, 0x9230, frames);
  Put(ds, 0x0008, 0x0008, VR::CS, "ORIGINAL\\PRIMARY\\VOLUME\\NONE");
  Put(ds, 0x0008, 0x002A, VR::DT, "20240315" + Acquisition_Time(0));
}

// ---- writing -----------------------------------------------------------------------------------

gdcm::TransferSyntax Syntax_Of(const Host_Phantom_Options& o) {
  switch (o.encoding) {
    case HOST_PHANTOM_IMPLICIT: return gdcm::TransferSyntax::ImplicitVRLittleEndian;
    case HOST_PHANTOM_RLE: return gdcm::TransferSyntax::RLELossless;
    case HOST_PHANTOM_JPEG_LOSSLESS: return gdcm::TransferSyntax::JPEGLosslessProcess14_1;
    case HOST_PHANTOM_JPEG_LS: return gdcm::TransferSyntax::JPEGLSLossless;
    case HOST_PHANTOM_JPEG_2000: return gdcm::TransferSyntax::JPEG2000Lossless;
    case HOST_PHANTOM_BIG_ENDIAN: return gdcm::TransferSyntax::ExplicitVRBigEndian;
    case HOST_PHANTOM_DEFLATED: return gdcm::TransferSyntax::DeflatedExplicitVRLittleEndian;
    case HOST_PHANTOM_JPEG_BASELINE: return gdcm::TransferSyntax::JPEGBaselineProcess1;
  }
  return gdcm::TransferSyntax::ExplicitVRLittleEndian;
}

bool Put_Pixels(DataSet& ds, const Host_Phantom_Options& o, const std::vector<uint8_t>& raw, int frames) {
  bool floats = o.pixels == HOST_PHANTOM_FLOAT;
  gdcm::DataElement pixels(gdcm::Tag(0x7FE0, floats ? 0x0008 : 0x0010));
  pixels.SetVR(floats ? VR::OF : Bits(o) == 8 ? VR::OB : Bits(o) == 32 ? VR::OL : VR::OW);
  if (!floats && Bits(o) == 32) pixels.SetVR(VR::OW);
  pixels.SetByteValue(reinterpret_cast<const char*>(raw.data()), gdcm::VL(uint32_t(raw.size())));
  if (o.encoding == HOST_PHANTOM_EXPLICIT || o.encoding == HOST_PHANTOM_IMPLICIT || floats) {
    ds.Replace(pixels);
    return true;
  }
  // The writer compresses its own data, so the toolkit's image layer may describe it.
  // The filter holds its input by reference count: the image must live on the heap.
  gdcm::SmartPointer<gdcm::Image> image = new gdcm::Image;
  image->SetNumberOfDimensions(frames > 1 ? 3 : 2);
  image->SetDimension(0, unsigned(o.columns));
  image->SetDimension(1, unsigned(o.rows));
  if (frames > 1) image->SetDimension(2, unsigned(frames));
  image->SetPixelFormat(gdcm::PixelFormat(uint16_t(Samples(o)), uint16_t(Bits(o)), uint16_t(Bits(o)),
                                          uint16_t(Bits(o) - 1), Signed(o) ? 1 : 0));
  // Compressed YBR_FULL_422 goes to its codec as every pixel's luminance and chroma.
  image->SetPhotometricInterpretation(gdcm::PhotometricInterpretation::GetPIType(
      o.pixels == HOST_PHANTOM_YBR_FULL_422 ? "RGB" : Pi_Text(o)));
  image->SetPlanarConfiguration(unsigned(o.planar));
  if (o.pixels == HOST_PHANTOM_PALETTE) image->SetPhotometricInterpretation(gdcm::PhotometricInterpretation::MONOCHROME2);
  image->SetTransferSyntax(gdcm::TransferSyntax::ExplicitVRLittleEndian);
  image->SetDataElement(pixels);
  gdcm::ImageChangeTransferSyntax change;
  change.SetTransferSyntax(Syntax_Of(o));
  change.SetInput(*image);
  if (!change.Change()) return false;
  const gdcm::Image& out = change.GetOutput();
  gdcm::DataElement coded = out.GetDataElement();
  coded.SetTag(gdcm::Tag(0x7FE0, 0x0010));
  if (out.GetTransferSyntax().IsEncapsulated()) coded.SetVR(VR::OB);
  ds.Replace(coded);
  // A codec may store the samples otherwise than given (RLE by plane, JPEG as luminance).
  if (Samples(o) == 3) {
    Put(ds, 0x0028, 0x0004, VR::CS, o.pixels == HOST_PHANTOM_YBR_FULL_422 ? "YBR_FULL_422"
                                    : gdcm::PhotometricInterpretation::GetPIString(out.GetPhotometricInterpretation()));
    Put_US(ds, 0x0028, 0x0006, int(out.GetPlanarConfiguration()));
  }
  return true;
}

bool Write_File(const std::wstring& folder, const Host_Phantom_Options& o, int number, DataSet ds,
                const std::vector<uint8_t>& raw, int frames) {
  char name[96];
  std::snprintf(name, sizeof name, "%s_%04d.dcm", o.file_prefix ? o.file_prefix : "IM", number);
  std::string path = std::string(Host_Wide_To_Char(folder.c_str())) + "/" + name;
  if (!Put_Pixels(ds, o, raw, frames)) {
    Host_Report(nullptr, 2, "Host_Dicom_Write_Phantom: %s: the pixels cannot be compressed", path.c_str());
    return false;
  }
  gdcm::Writer writer;
  writer.GetFile().SetDataSet(ds);
  writer.GetFile().GetHeader().SetDataSetTransferSyntax(Syntax_Of(o));
  writer.SetFileName(path.c_str());
  if (!writer.Write()) {
    Host_Report(nullptr, 4, "Host_Dicom_Write_Phantom: %s: the file cannot be written", path.c_str());
    return false;
  }
  return true;
}

int Write_Files(const std::wstring& folder, const Host_Phantom_Options& o, const Series_Ids& ids,
                const Geometry& g) {
  std::vector<int> order = Write_Order(o);
  for (size_t n = 0; n < order.size(); ++n) {
    int slice = order[n] % o.slices, time = order[n] / o.slices;
    DataSet ds = Common(o, ids, Is_Ct(o) ? kCtStorage : kMrStorage, 1);
    Put_Plane(ds, o, g, slice);
    Put(ds, 0x0008, 0x0032, VR::TM, Acquisition_Time(time));
    Put(ds, 0x0020, 0x0013, VR::IS, Integer(long(n) + 1));
    Put(ds, 0x0020, 0x1041, VR::DS, Decimal(double(slice) * o.slice_spacing));
    if (o.times > 1) Put(ds, 0x0020, 0x0100, VR::IS, Integer(time + 1));
    if (!Write_File(folder, o, int(n), ds, Frame_Pixels(o, slice, time), 1)) return 0;
  }
  return int(order.size());
}

int Write_Multi_Frame(const std::wstring& folder, const Host_Phantom_Options& o, const Series_Ids& ids,
                      const Geometry& g) {
  bool even = o.layout == HOST_PHANTOM_EVEN_FRAMES;
  std::vector<int> order = even ? std::vector<int>() : Write_Order(o);
  if (even)
    for (int k = 0; k < o.slices; ++k) order.push_back(k);
  const char* sop = o.pixels == HOST_PHANTOM_DOSE ? kRtDose
                   : even ? (Bits(o) == 8 ? kByteCapture : kWordCapture)
                          : Is_Ct(o) ? kEnhancedCt : kEnhancedMr;
  DataSet ds = Common(o, ids, sop, int(order.size()));
  if (even) {
    Put_Plane(ds, o, g, 0);
    Put(ds, 0x0008, 0x0032, VR::TM, Acquisition_Time(0));
    if (o.pixels == HOST_PHANTOM_DOSE) {
      // Offsets relative to the first frame, which a dose grid lists from 0.
      std::vector<double> offsets;
      for (int k = 0; k < o.slices; ++k) offsets.push_back(Offset_Of(o, k));
      Put(ds, 0x3004, 0x000C, VR::DS, Decimals(offsets.data(), o.slices));
      Put_Binary(ds, 0x0028, 0x0009, VR::AT, 0x000C3004u, 4);  // frame increment pointer
    }
  } else {
    Put_Functional_Groups(ds, o, g, order);
  }
  Put(ds, 0x0020, 0x0013, VR::IS, "1");
  std::vector<uint8_t> raw;
  for (int linear : order) {
    std::vector<uint8_t> frame = Frame_Pixels(o, linear % o.slices, linear / o.slices);
    raw.insert(raw.end(), frame.begin(), frame.end());
  }
  return Write_File(folder, o, 0, ds, raw, int(order.size())) ? 1 : 0;
}

bool Options_Ok(const Host_Phantom_Options& o) {
  const char* why = nullptr;
  Vec4 u = o.dir_row, v = o.dir_col;
  if (o.modality != HOST_MODALITY_CT && o.modality != HOST_MODALITY_MR) why = "modality is neither CT nor MR";
  else if (!Is_Ct(o) && o.bits != 8 && o.bits != 16) why = "MR pixels have 8 or 16 bits";
  else if (o.columns < 1 || o.rows < 1 || o.columns > 4096 || o.rows > 4096) why = "columns and rows lie in 1 ... 4096";
  else if (o.slices < 1 || o.times < 1 || o.slices * o.times > 4096) why = "slices x times lies in 1 ... 4096";
  else if (o.layout < HOST_PHANTOM_FILES || o.layout > HOST_PHANTOM_EVEN_FRAMES) why = "unknown layout";
  else if (o.encoding < HOST_PHANTOM_EXPLICIT || o.encoding > HOST_PHANTOM_JPEG_BASELINE) why = "unknown encoding";
  else if (o.pixels < HOST_PHANTOM_GREY || o.pixels > HOST_PHANTOM_DOSE) why = "unknown pixels";
  else if (o.planar != 0 && (o.planar != 1 || !Is_Colour(o) || o.pixels == HOST_PHANTOM_YBR_FULL_422))
    why = "planar configuration 1 is for RGB and YBR_FULL colour";
  else if (o.encoding == HOST_PHANTOM_JPEG_BASELINE && Bits(o) != 8) why = "JPEG baseline holds 8-bit samples";
  else if (o.pixels == HOST_PHANTOM_YBR_FULL_422 && (o.columns % 2 || o.encoding == HOST_PHANTOM_RLE))
    why = "YBR_FULL_422 needs an even row length and no RLE";
  else if (o.pixels == HOST_PHANTOM_FLOAT && o.encoding != HOST_PHANTOM_EXPLICIT && o.encoding != HOST_PHANTOM_IMPLICIT)
    why = "float pixel data is written natively in little endian";
  else if (Is_Wide(o) && o.encoding != HOST_PHANTOM_EXPLICIT && o.encoding != HOST_PHANTOM_IMPLICIT &&
           o.encoding != HOST_PHANTOM_DEFLATED && o.encoding != HOST_PHANTOM_RLE)
    why = "32-bit pixels are written natively in little endian, deflated or as RLE";
  else if (o.slice_offsets && o.layout == HOST_PHANTOM_EVEN_FRAMES && o.pixels != HOST_PHANTOM_DOSE)
    why = "evenly spaced frames take no slice offsets";
  else if (o.pixels == HOST_PHANTOM_DOSE && (o.layout != HOST_PHANTOM_EVEN_FRAMES))
    why = "a dose grid is one multi-frame file (HOST_PHANTOM_EVEN_FRAMES)";
  else if (o.layout == HOST_PHANTOM_EVEN_FRAMES && o.times > 1) why = "evenly spaced frames hold one time point";
  else if (!(o.spacing_x > 0 && o.spacing_y > 0 && o.slice_spacing > 0 && o.slice_thickness > 0))
    why = "spacings and thickness are positive";
  else if (std::fabs(u.norm() - 1) > 1e-3f || std::fabs(v.norm() - 1) > 1e-3f || std::fabs(u.dot(v)) > 1e-3f)
    why = "row and column directions are orthogonal unit vectors";
  if (!why) return true;
  HOSTKIT_INVALID(nullptr, "Host_Dicom_Write_Phantom: %s", why);
  return false;
}

}  // namespace

int Host_Dicom_Phantom_Value(const Host_Phantom_Options* o, int i, int j, int k, int t) {
  if (!o || o->columns < 1 || o->rows < 1 || o->slices < 1) return 0;
  static const int kCt[] = {-1000, 40, 700, -100, 300};
  static const int kMr16[] = {0, 800, 40000, 1500, 3200};
  static const int kMr8[] = {0, 60, 200, 120, 220};
  static const int kS32[] = {-2000000, 0, 150000, 2100000000, -70000, 9};
  static const uint32_t kU32[] = {0, 100000, 3000000000u, 4000000000u, 70000, 1};
  static const int kDose[] = {0, 1000, 60000, 23000, 41000, 5};
  // Pixel pairs share a colour when their chroma is shared.
  if (o->pixels == HOST_PHANTOM_YBR_FULL_422) i &= ~1;
  int region = Region(*o, i, j, k);
  int texture = (i + 3 * j + 7 * k + 5 * t) % 16;
  if (Is_Colour(*o) || o->pixels == HOST_PHANTOM_PALETTE) {
    // Lossy JPEG blurs fine texture and shares chroma: its colours are flat within a region.
    if (o->encoding == HOST_PHANTOM_JPEG_BASELINE) texture = 0;
    uint8_t rgb[3];
    if (o->pixels == HOST_PHANTOM_PALETTE) {
      int index = ((region + 1) * 40 + texture) & 255;
      for (int c = 0; c < 3; ++c) rgb[c] = Palette_Entry(index, c);
    } else {
      Colour_Of(region, texture, rgb);
    }
    return int(uint32_t(rgb[0]) | uint32_t(rgb[1]) << 8 | uint32_t(rgb[2]) << 16 | 0xFF000000u);
  }
  if (o->pixels == HOST_PHANTOM_S32) return kS32[region + 1] + 1000 * texture;
  if (o->pixels == HOST_PHANTOM_U32) return int(kU32[region + 1] + uint32_t(1000 * texture));
  if (o->pixels == HOST_PHANTOM_DOSE) return kDose[region + 1] + 10 * texture + 100 * k;
  if (o->pixels == HOST_PHANTOM_FLOAT) return 0;
  if (Is_Ct(*o)) {
    if (region < 0) return kCtPadding;
    return kCt[region] + 1024 + texture + (region == 4 ? 20 * t : 0);
  }
  if (region < 0) region = 0;
  if (o->bits == 8) return std::min(255, kMr8[region] + texture + (region == 4 ? 5 * t : 0));
  return kMr16[region] + texture + (region == 4 ? 100 * t : 0);
}

double Host_Dicom_Phantom_Real(const Host_Phantom_Options* o, int i, int j, int k, int t) {
  if (!o || o->columns < 1 || o->rows < 1 || o->slices < 1) return 0;
  int v = Host_Dicom_Phantom_Value(o, i, j, k, t);
  switch (o->pixels) {
    case HOST_PHANTOM_S32: return double(v) * 0.5 - 10;
    case HOST_PHANTOM_U32: return double(uint32_t(v)) * 0.5 - 10;
    case HOST_PHANTOM_DOSE: return double(v) * 0.0001;
    case HOST_PHANTOM_FLOAT: {
      static const double kReal[] = {-1e6, -3.25, 0.5, 1250.75, 7e-3, 42};
      return kReal[Region(*o, i, j, k) + 1] + 0.125 * ((i + 3 * j + 7 * k + 5 * t) % 16);
    }
    case HOST_PHANTOM_GREY:
      if (Is_Ct(*o)) return v == kCtPadding ? NAN : v - 1024.0;
      return v;
  }
  return v;
}

int Host_Dicom_Write_Phantom(const wchar_t* folder, const Host_Phantom_Options* options) {
  if (!folder || !*folder || !options) {
    HOSTKIT_INVALID(nullptr, "Host_Dicom_Write_Phantom: no folder or no options");
    return 0;
  }
  const Host_Phantom_Options& o = *options;
  if (!Options_Ok(o)) return 0;
  if (!Host_Create_Dir(folder)) {
    Host_Report(nullptr, 4, "Host_Dicom_Write_Phantom: %ls: the folder cannot be created", folder);
    return 0;
  }
  try {
    hostkit::Dicom_Quiet();
    gdcm::UIDGenerator uid;
    Series_Ids ids{uid.Generate(), o.series_uid ? o.series_uid : uid.Generate(), uid.Generate()};
    Geometry g = Geometry_Of(o);
    if (o.layout == HOST_PHANTOM_FILES) return Write_Files(folder, o, ids, g);
    return Write_Multi_Frame(folder, o, ids, g);
  } catch (const std::bad_alloc&) {
    HOSTKIT_MEMORY_ERROR("new", "phantom", o.columns * o.rows, o.slices * o.times);
  } catch (const std::exception& e) {
    Host_Report(nullptr, 2, "Host_Dicom_Write_Phantom: %s", e.what());
  }
  return 0;
}
