// Pixel decoding of one scanned DICOM file into a caller's plane: native copies, our RLE decoder,
// the toolkit's codecs for the JPEG families, and the conversion of colour samples to RGBA.
#include "HostDicomCheck.h"
#include "HostDicomFile.h"

#include <hostkit/HostImage.h>

#include <gdcmFragment.h>
#include <gdcmImage.h>
#include <gdcmJPEGCodec.h>
#include <gdcmSequenceOfFragments.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace hostkit {
namespace {

const char* const kRle = "1.2.840.10008.1.2.5";
const char* const kDeflated = "1.2.840.10008.1.2.1.99";
using Fragments = std::vector<std::pair<const char*, size_t>>;

// Bits above the stored ones may hold overlays or garbage; signed values extend their sign bit.
template <class U>
void Keep_Stored_Bits(void* plane, size_t count, int bits, bool is_signed) {
  U mask = U((U(1) << bits) - 1u), sign = U(U(1) << (bits - 1));
  auto* p = static_cast<U*>(plane);
  for (size_t i = 0; i < count; ++i) {
    U v = U(p[i] & mask);
    if (is_signed && (v & sign)) v = U(v | U(~mask));
    p[i] = v;
  }
}

void Normalise(const Dicom_File& f, void* plane, size_t bytes) {
  int size = f.bits_allocated / 8;
  if (f.colour != DICOM_GREY || f.float_bytes || f.bits_stored <= 0 || f.bits_stored >= f.bits_allocated) return;
  size_t count = bytes / size_t(size);
  if (size == 1) Keep_Stored_Bits<uint8_t>(plane, count, f.bits_stored, f.is_signed);
  else if (size == 2) Keep_Stored_Bits<uint16_t>(plane, count, f.bits_stored, f.is_signed);
  else Keep_Stored_Bits<uint32_t>(plane, count, f.bits_stored, f.is_signed);
}

uint8_t Clamp_Byte(double v) { return uint8_t(v <= 0 ? 0 : v >= 255 ? 255 : std::lround(v)); }

// Full-range luminance and chroma to red, green and blue, as the standard defines them.
void Ybr_To_Rgba(double y, double cb, double cr, uint8_t* out) {
  out[0] = Clamp_Byte(y + 1.402 * (cr - 128));
  out[1] = Clamp_Byte(y - 0.344136 * (cb - 128) - 0.714136 * (cr - 128));
  out[2] = Clamp_Byte(y + 1.772 * (cb - 128));
  out[3] = 255;
}

// Samples of frames (interleaved, or one plane after the other when planar) to RGBA pixels.
void Colour_To_Rgba(const uint8_t* in, size_t pixels_per_frame, int frames, bool planar, bool ybr, uint8_t* out) {
  for (int n = 0; n < frames; ++n) {
    const uint8_t* f = in + size_t(n) * pixels_per_frame * 3;
    uint8_t* o = out + size_t(n) * pixels_per_frame * 4;
    for (size_t i = 0; i < pixels_per_frame; ++i, o += 4) {
      uint8_t a = planar ? f[i] : f[3 * i], b = planar ? f[pixels_per_frame + i] : f[3 * i + 1],
              c = planar ? f[2 * pixels_per_frame + i] : f[3 * i + 2];
      if (ybr) {
        Ybr_To_Rgba(a, b, c, o);
      } else {
        o[0] = a;
        o[1] = b;
        o[2] = c;
        o[3] = 255;
      }
    }
  }
}

// Native YBR_FULL_422: Y1 Y2 Cb Cr for each two pixels of a row.
void Ybr422_To_Rgba(const uint8_t* in, size_t pixels, uint8_t* out) {
  for (size_t i = 0; i + 1 < pixels; i += 2, in += 4, out += 8) {
    Ybr_To_Rgba(in[0], in[2], in[3], out);
    Ybr_To_Rgba(in[1], in[2], in[3], out + 4);
  }
}

// Indices below the table's first value take its first entry, above its end its last.
void Palette_To_Rgba(const uint8_t* in, size_t pixels, int bytes, const Dicom_Palette& p, uint8_t* out) {
  const long last = long(p.rgb[0].size()) - 1;
  for (size_t i = 0; i < pixels; ++i, out += 4) {
    long index = bytes == 1 ? long(in[i]) : long(in[2 * i] | in[2 * i + 1] << 8);
    long e = std::clamp(index - p.first, 0L, last);
    out[0] = p.rgb[0][size_t(e)];
    out[1] = p.rgb[1][size_t(e)];
    out[2] = p.rgb[2][size_t(e)];
    out[3] = 255;
  }
}

// Raw samples as decoded (layout given by colour and planar) into the record's elements.
void To_Plane(const Dicom_File& f, const uint8_t* raw, int colour, bool planar, void* dest) {
  size_t per_frame = size_t(f.columns) * size_t(f.rows), pixels = per_frame * size_t(f.frames);
  auto* out = static_cast<uint8_t*>(dest);
  switch (colour) {
    case DICOM_GREY:
      if (f.float_bytes == 8) {
        auto* o = static_cast<float*>(dest);
        for (size_t i = 0; i < pixels; ++i) {
          double v;
          std::memcpy(&v, raw + 8 * i, 8);
          o[i] = float(v);
        }
      } else {
        std::memcpy(dest, raw, f.Pixel_Bytes());
      }
      return;
    case DICOM_YBR_FULL_422: Ybr422_To_Rgba(raw, pixels, out); return;
    case DICOM_PALETTE: Palette_To_Rgba(raw, pixels, f.bits_allocated / 8, f.palette, out); return;
    default: Colour_To_Rgba(raw, per_frame, f.frames, planar, colour == DICOM_YBR_FULL, out);
  }
}

Fragments Fragments_Of(const std::vector<uint8_t>& data, const Dicom_Layout& layout) {
  Fragments fragments;
  for (const Dicom_Fragment& fr : layout.fragment_list)
    fragments.emplace_back(reinterpret_cast<const char*>(data.data() + fr.at), size_t(fr.length));
  return fragments;
}

// Number of a 1.2.840.10008.1.2.4.N syntax (the JPEG families), 0 for others.
int Jpeg_Process(const std::string& syntax) {
  const char prefix[] = "1.2.840.10008.1.2.4.";
  if (syntax.compare(0, sizeof prefix - 1, prefix) != 0) return 0;
  return std::atoi(syntax.c_str() + sizeof prefix - 1);
}

// The JPEG codec that starts with the decoder of the streams' own precision: left to choose by
// the image's bits it first tries another one, which prints its complaint to standard error.
class Jpeg_Codec : public gdcm::JPEGCodec {
public:
  void Precision(int bits) { SetBitSample(bits); }
};

gdcm::PhotometricInterpretation Pi_Of(const Dicom_File& f) {
  using PI = gdcm::PhotometricInterpretation;
  switch (f.colour) {
    case DICOM_RGB: return PI::RGB;
    case DICOM_YBR_FULL: return PI::YBR_FULL;
    case DICOM_YBR_FULL_422: return PI::YBR_FULL_422;
    case DICOM_PALETTE: return PI::PALETTE_COLOR;
    case DICOM_CODEC_RGB: return PI::YBR_RCT;
  }
  return f.monochrome1 ? PI::MONOCHROME1 : PI::MONOCHROME2;
}

gdcm::PixelFormat Format_Of(const Dicom_File& f) {
  return gdcm::PixelFormat(uint16_t(f.samples), uint16_t(f.bits_allocated), uint16_t(f.bits_stored),
                           uint16_t(f.bits_stored - 1), f.is_signed ? 1 : 0);
}

// Which colour layout a codec handed back: its own interpretation after decoding.
int Colour_After(const gdcm::PhotometricInterpretation& pi, int fallback) {
  using PI = gdcm::PhotometricInterpretation;
  switch (pi) {
    case PI::RGB: return DICOM_RGB;
    case PI::YBR_FULL:
    case PI::YBR_FULL_422: return DICOM_YBR_FULL;
    default: return fallback == DICOM_CODEC_RGB ? DICOM_RGB : fallback;
  }
}

int Fail(std::string* reason, const std::string& text) {
  *reason = text;
  return 2;
}

// Baseline, extended and lossless JPEG, one stream per frame, with the decoder that fits them.
int Jpeg(const Fragments& fragments, const Dicom_File& f, std::vector<uint8_t>& raw, int& colour,
         bool& planar, std::string* reason) {
  std::vector<std::string> streams;
  int precision = 0;
  bool ycc = false;
  if (int cls = Dicom_Jpeg_Check(fragments, f.frames, f.columns, f.rows, f.samples, false, &precision, &ycc, reason)) return cls;
  if (!Dicom_Frame_Streams(fragments, f.frames, 0xD8, &streams, reason)) return 2;
  // The decoded samples are as wide as the streams' precision.
  int bytes = precision <= 8 ? 1 : 2;
  if (bytes > f.bits_allocated / 8) return Fail(reason, "JPEG samples deeper than the image's bits allocated");
  gdcm::SmartPointer<gdcm::SequenceOfFragments> sq = new gdcm::SequenceOfFragments;
  for (const std::string& s : streams) {
    gdcm::Fragment frag;
    frag.SetByteValue(s.data(), gdcm::VL(uint32_t(s.size())));
    sq->AddFragment(frag);
  }
  gdcm::DataElement in(gdcm::Tag(0x7FE0, 0x0010)), out;
  in.SetValue(*sq);
  Jpeg_Codec codec;
  const unsigned dims[3] = {unsigned(f.columns), unsigned(f.rows), unsigned(f.frames)};
  codec.SetNumberOfDimensions(3);
  codec.SetDimensions(dims);
  codec.SetPlanarConfiguration(unsigned(f.planar));
  codec.SetPhotometricInterpretation(Pi_Of(f));
  codec.SetPixelFormat(Format_Of(f));
  codec.Precision(precision);
  size_t samples = size_t(f.columns) * size_t(f.rows) * size_t(f.frames) * size_t(f.samples);
  const gdcm::ByteValue* bv = nullptr;
  if (!codec.Decode(in, out) || !(bv = out.GetByteValue()) || bv->GetLength() < samples * size_t(bytes))
    return Fail(reason, "the JPEG pixel data cannot be decoded");
  raw.resize(samples * size_t(f.bits_allocated / 8));
  const auto* src = reinterpret_cast<const uint8_t*>(bv->GetPointer());
  if (bytes == f.bits_allocated / 8) {
    std::memcpy(raw.data(), src, raw.size());
  } else {
    for (size_t i = 0; i < samples; ++i) {  // 8-bit streams in a 16-bit image
      raw[2 * i] = src[i];
      raw[2 * i + 1] = 0;
    }
  }
  // The codec hands the samples over in the stream's own colour space, whatever it reports.
  if (f.samples == 3) colour = ycc ? DICOM_YBR_FULL : DICOM_RGB;
  planar = false;
  return 0;
}

// JPEG-LS and JPEG 2000 through the toolkit's image, described by values already checked here.
int Codec(const Fragments& fragments, const gdcm::DataElement& de, const Dicom_File& f,
          std::vector<uint8_t>& raw, int& colour, bool& planar, std::string* reason) {
  int process = Jpeg_Process(f.syntax);
  int cls = 0;
  if (process == 80 || process == 81) cls = Dicom_Jpeg_Check(fragments, f.frames, f.columns, f.rows, f.samples, true, nullptr, nullptr, reason);
  else if (process >= 90 && process <= 93) cls = Dicom_J2k_Check(fragments, f.frames, f.columns, f.rows, f.samples, f.bits_allocated, reason);
  else return Fail(reason, "unsupported transfer syntax " + f.syntax.substr(0, 64));
  if (cls) return cls;
  gdcm::TransferSyntax ts(gdcm::TransferSyntax::GetTSType(f.syntax.c_str()));
  if (!ts.IsValid() || !ts.IsEncapsulated()) return Fail(reason, "unsupported transfer syntax " + f.syntax.substr(0, 64));
  gdcm::Image image;
  image.SetNumberOfDimensions(f.frames > 1 ? 3 : 2);
  image.SetDimension(0, unsigned(f.columns));
  image.SetDimension(1, unsigned(f.rows));
  if (f.frames > 1) image.SetDimension(2, unsigned(f.frames));
  image.SetPixelFormat(Format_Of(f));
  image.SetPhotometricInterpretation(Pi_Of(f));
  image.SetPlanarConfiguration(unsigned(f.planar));
  image.SetTransferSyntax(ts);
  image.SetDataElement(de);
  raw.resize(f.Source_Bytes());
  if (image.GetBufferLength() != raw.size() || !image.GetBuffer(reinterpret_cast<char*>(raw.data())))
    return Fail(reason, "the compressed pixel data cannot be decoded (" + f.syntax.substr(0, 64) + ")");
  colour = Colour_After(image.GetPhotometricInterpretation(), f.colour);
  planar = image.GetPlanarConfiguration() == 1;
  return 0;
}

int Rle(const Fragments& fragments, const Dicom_File& f, std::vector<uint8_t>& raw, bool& planar,
        std::string* reason) {
  if (fragments.size() != size_t(f.frames)) {
    char text[96];
    std::snprintf(text, sizeof text, "RLE pixel data holds %zu fragments for %d frames", fragments.size(), f.frames);
    return Fail(reason, text);
  }
  raw.resize(f.Source_Bytes());
  planar = true;  // RLE keeps each sample in segments of its own
  return Dicom_Rle_Decode(fragments, f.columns, f.rows, f.bits_allocated / 8, f.samples, raw.data(), reason);
}

// The compressed pixel data as the toolkit holds it, for its image layer.
gdcm::DataElement Element_Of(const std::vector<uint8_t>& data, const Dicom_Layout& layout) {
  gdcm::SmartPointer<gdcm::SequenceOfFragments> sq = new gdcm::SequenceOfFragments;
  for (const Dicom_Fragment& fr : layout.fragment_list) {
    gdcm::Fragment frag;
    frag.SetByteValue(reinterpret_cast<const char*>(data.data() + fr.at), gdcm::VL(uint32_t(fr.length)));
    sq->AddFragment(frag);
  }
  gdcm::DataElement de(gdcm::Tag(0x7FE0, 0x0010));
  de.SetVR(gdcm::VR::OB);
  de.SetValue(*sq);
  return de;
}

int Decode_Encapsulated(const std::vector<uint8_t>& data, const Dicom_File& f, void* dest, std::string* reason) {
  Fragments fragments = Fragments_Of(data, f.layout);
  std::vector<uint8_t> raw;
  int colour = f.colour;
  bool planar = f.planar == 1;
  int cls;
  int process = Jpeg_Process(f.syntax);
  std::string said;  // what the JPEG decoder had to say, kept off standard error
  {
    Jpeg_Messages listen(&said);
    if (f.syntax == kRle) cls = Rle(fragments, f, raw, planar, reason);
    else if (process >= 50 && process <= 70) cls = Jpeg(fragments, f, raw, colour, planar, reason);
    else cls = Codec(fragments, Element_Of(data, f.layout), f, raw, colour, planar, reason);
  }
  if (!said.empty()) *reason = cls ? *reason + " (" + said + ")" : "the JPEG decoder warns: " + said;
  if (cls) return cls;
  // Compressed YBR_FULL_422 comes out of its codec with every pixel's samples.
  if (colour == DICOM_YBR_FULL_422) colour = DICOM_YBR_FULL;
  To_Plane(f, raw.data(), colour, planar, dest);
  return 0;
}

bool Same_Layout(const Dicom_Layout& a, const Dicom_Layout& b) {
  return a.transfer_syntax == b.transfer_syntax && a.encapsulated == b.encapsulated &&
         a.pixel_element == b.pixel_element && a.pixel_bytes == b.pixel_bytes && a.fragments == b.fragments;
}

// Grey values stored natively as the record keeps them go from the file into the plane as they
// are: no copy of the file in between.
bool Straight(const Dicom_File& f) {
  return !f.layout.encapsulated && f.syntax != kDeflated && f.colour == DICOM_GREY && f.float_bytes != 8 &&
         f.Source_Bytes() == f.Pixel_Bytes();
}

}  // namespace

int Dicom_Decode(const Dicom_File& f, void* dest, std::string* reason, const Dicom_Stretch_Done& seen) {
  std::vector<uint8_t>& data = Dicom_Thread_Buffer();
  Dicom_Layout layout = f.layout;
  if (Straight(f)) {
    auto landed = [&](uint8_t* begin, size_t bytes) {
      Normalise(f, begin, bytes);
      if (seen) seen(begin, bytes);
    };
    if (int cls = Dicom_Read_Native(f.path.c_str(), f.header_bytes, &data, &layout, dest, f.Pixel_Bytes(), reason, landed)) return cls;
    if (!Same_Layout(layout, f.layout)) return Fail(reason, "the file changed while it was read");
    return 0;
  }
  if (int cls = Dicom_Load(f.path.c_str(), &data, &layout, reason)) return cls;
  // The file is checked again: it may have changed since its header was scanned.
  if (!Same_Layout(layout, f.layout)) return Fail(reason, "the file changed while it was read");
  int cls = 0;
  try {
    if (layout.encapsulated) {
      cls = Decode_Encapsulated(data, f, dest, reason);
    } else {
      if (layout.pixel_bytes < f.Source_Bytes()) return Fail(reason, "truncated: the pixel data is shorter than the image");
      To_Plane(f, data.data() + layout.pixel_at, f.colour, f.planar == 1, dest);
    }
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& e) {
    return Fail(reason, std::string("the pixel data cannot be decoded: ") + e.what());
  } catch (...) {
    return Fail(reason, "the pixel data cannot be decoded");
  }
  if (cls == 0) Normalise(f, dest, f.Pixel_Bytes());
  return cls;
}

}  // namespace hostkit
