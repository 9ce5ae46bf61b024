// Pixel decoding of one scanned DICOM file into a caller's plane.
#include "HostDicomCheck.h"
#include "HostDicomFile.h"

#include <hostkit/HostImage.h>

#include <gdcmImageReader.h>

#include <cstdio>

namespace hostkit {
namespace {

// Bits above the stored ones may hold overlays or garbage; signed values extend their sign bit.
template <class T, class U>
void Keep_Stored_Bits(void* plane, size_t count, int bits, bool is_signed) {
  U mask = U((1u << bits) - 1u), sign = U(1u << (bits - 1));
  auto* p = static_cast<U*>(plane);
  for (size_t i = 0; i < count; ++i) {
    U v = U(p[i] & mask);
    if (is_signed && (v & sign)) v = U(v | U(~mask));
    p[i] = v;
  }
}

void Normalise(const Dicom_File& f, void* plane) {
  int size = Host_Image_Kind_Size(f.kind);
  if (f.bits_stored <= 0 || f.bits_stored >= 8 * size) return;
  size_t count = f.Pixel_Bytes() / size_t(size);
  bool is_signed = f.kind == HOST_PIXEL_S8 || f.kind == HOST_PIXEL_S16;
  if (size == 1) Keep_Stored_Bits<int8_t, uint8_t>(plane, count, f.bits_stored, is_signed);
  else Keep_Stored_Bits<int16_t, uint16_t>(plane, count, f.bits_stored, is_signed);
}

}  // namespace

int Dicom_Decode(const Dicom_File& f, void* dest, std::string* reason) {
  // The file is checked again: it may have changed since its header was scanned.
  Dicom_Layout layout;
  if (int cls = Dicom_Check(f.path.c_str(), &layout, reason)) return cls;
  try {
    gdcm::ImageReader reader;
    reader.SetFileName(f.path.c_str());
    if (!reader.Read()) {
      *reason = "the image cannot be read (damaged or unsupported encoding)";
      return 2;
    }
    const gdcm::Image& image = reader.GetImage();
    size_t bytes = image.GetBufferLength();
    if (bytes != f.Pixel_Bytes()) {
      char text[128];
      std::snprintf(text, sizeof text, "the image decodes to %zu bytes where %zu were expected",
                    bytes, f.Pixel_Bytes());
      *reason = text;
      return 2;
    }
    if (!image.GetBuffer(static_cast<char*>(dest))) {
      *reason = "the pixel data cannot be decoded";
      return 2;
    }
  } catch (const std::exception& e) {
    *reason = std::string("the pixel data cannot be decoded: ") + e.what();
    return 2;
  } catch (...) {
    *reason = "the pixel data cannot be decoded";
    return 2;
  }
  Normalise(f, dest);
  return 0;
}

}  // namespace hostkit
