// Pixel decoding of one scanned DICOM file into a caller's plane.
#include "HostDicomCheck.h"
#include "HostDicomFile.h"

#include <hostkit/HostImage.h>

#include <gdcmImage.h>
#include <gdcmReader.h>
#include <gdcmSequenceOfFragments.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace hostkit {
namespace {

const char* const kRle = "1.2.840.10008.1.2.5";

// Bits above the stored ones may hold overlays or garbage; signed values extend their sign bit.
template <class U>
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
  if (size == 1) Keep_Stored_Bits<uint8_t>(plane, count, f.bits_stored, is_signed);
  else Keep_Stored_Bits<uint16_t>(plane, count, f.bits_stored, is_signed);
}

int Native(const gdcm::DataElement& de, const Dicom_File& f, void* dest, std::string* reason) {
  const gdcm::ByteValue* bv = de.GetByteValue();
  if (!bv || !bv->GetPointer() || bv->GetLength() < f.Pixel_Bytes()) {
    *reason = "truncated: the pixel data is shorter than the image";
    return 2;
  }
  std::memcpy(dest, bv->GetPointer(), f.Pixel_Bytes());
  return 0;
}

std::vector<std::pair<const char*, size_t>> Fragments_Of(const gdcm::SequenceOfFragments& sf) {
  std::vector<std::pair<const char*, size_t>> fragments;
  for (unsigned i = 0; i < sf.GetNumberOfFragments(); ++i) {
    const gdcm::ByteValue* bv = sf.GetFragment(i).GetByteValue();
    if (bv && bv->GetPointer()) fragments.emplace_back(bv->GetPointer(), size_t(bv->GetLength()));
    else fragments.emplace_back(nullptr, 0);
  }
  return fragments;
}

// Number of a 1.2.840.10008.1.2.4.N syntax (the JPEG families), 0 for others.
int Jpeg_Process(const std::string& syntax) {
  const char prefix[] = "1.2.840.10008.1.2.4.";
  if (syntax.compare(0, sizeof prefix - 1, prefix) != 0) return 0;
  return std::atoi(syntax.c_str() + sizeof prefix - 1);
}

// The toolkit's codecs copy what a stream's own header describes into a buffer sized for the
// image, and its JPEG codec stops the process on some damaged streams: the stream headers are
// walked and matched with the image first.
int Stream_Check(const gdcm::DataElement& de, const Dicom_File& f, std::string* reason) {
  int process = Jpeg_Process(f.syntax);
  auto fragments = Fragments_Of(*de.GetSequenceOfFragments());
  int bits = 8 * Host_Image_Kind_Size(f.kind);
  if (process >= 50 && process <= 70) return Dicom_Jpeg_Check(fragments, f.frames, f.columns, f.rows, false, reason);
  if (process == 80 || process == 81) return Dicom_Jpeg_Check(fragments, f.frames, f.columns, f.rows, true, reason);
  if (process >= 90 && process <= 93) return Dicom_J2k_Check(fragments, f.frames, f.columns, f.rows, bits, reason);
  *reason = "unsupported transfer syntax " + f.syntax.substr(0, 64);
  return 2;
}

int Rle(const gdcm::SequenceOfFragments& sf, const Dicom_File& f, void* dest, std::string* reason) {
  std::vector<std::pair<const char*, size_t>> fragments = Fragments_Of(sf);
  if (fragments.size() != size_t(f.frames)) {
    char text[96];
    std::snprintf(text, sizeof text, "RLE pixel data holds %zu fragments for %d frames",
                  fragments.size(), f.frames);
    *reason = text;
    return 2;
  }
  return Dicom_Rle_Decode(fragments, f.columns, f.rows, Host_Image_Kind_Size(f.kind), dest, reason);
}

// Other compressions go to the toolkit's codecs, described by values already checked here.
int Codec(const gdcm::DataElement& de, const Dicom_File& f, void* dest, std::string* reason) {
  if (int cls = Stream_Check(de, f, reason)) return cls;
  gdcm::TransferSyntax ts(gdcm::TransferSyntax::GetTSType(f.syntax.c_str()));
  if (!ts.IsValid() || !ts.IsEncapsulated()) {
    *reason = "unsupported transfer syntax " + f.syntax.substr(0, 64);
    return 2;
  }
  gdcm::Image image;
  image.SetNumberOfDimensions(f.frames > 1 ? 3 : 2);
  image.SetDimension(0, unsigned(f.columns));
  image.SetDimension(1, unsigned(f.rows));
  if (f.frames > 1) image.SetDimension(2, unsigned(f.frames));
  int bits = 8 * Host_Image_Kind_Size(f.kind);
  bool is_signed = f.kind == HOST_PIXEL_S8 || f.kind == HOST_PIXEL_S16;
  image.SetPixelFormat(gdcm::PixelFormat(1, uint16_t(bits), uint16_t(f.bits_stored),
                                         uint16_t(f.bits_stored - 1), is_signed ? 1 : 0));
  image.SetPhotometricInterpretation(f.monochrome1 ? gdcm::PhotometricInterpretation::MONOCHROME1
                                                   : gdcm::PhotometricInterpretation::MONOCHROME2);
  image.SetTransferSyntax(ts);
  image.SetDataElement(de);
  if (image.GetBufferLength() != f.Pixel_Bytes() || !image.GetBuffer(static_cast<char*>(dest))) {
    *reason = "the compressed pixel data cannot be decoded (" + f.syntax.substr(0, 64) + ")";
    return 2;
  }
  return 0;
}

int Decode_Data_Set(const gdcm::DataSet& ds, const Dicom_File& f, void* dest, std::string* reason) {
  gdcm::Tag tag(0x7FE0, 0x0010);
  if (!ds.FindDataElement(tag)) {
    *reason = "holds no image (no pixel data)";
    return 2;
  }
  const gdcm::DataElement& de = ds.GetDataElement(tag);
  const gdcm::SequenceOfFragments* sf = de.GetSequenceOfFragments();
  if (!sf) return Native(de, f, dest, reason);
  if (f.syntax == kRle) return Rle(*sf, f, dest, reason);
  return Codec(de, f, dest, reason);
}

}  // namespace

int Dicom_Decode(const Dicom_File& f, void* dest, std::string* reason) {
  // The file is checked again: it may have changed since its header was scanned.
  Dicom_Layout layout;
  if (int cls = Dicom_Check(f.path.c_str(), &layout, reason)) return cls;
  if (layout.transfer_syntax != f.syntax) {
    *reason = "the file changed while it was read";
    return 2;
  }
  int cls = 2;
  try {
    gdcm::Reader reader;
    reader.SetFileName(f.path.c_str());
    if (!reader.Read()) *reason = "the data set cannot be parsed";
    else cls = Decode_Data_Set(reader.GetFile().GetDataSet(), f, dest, reason);
  } catch (const std::exception& e) {
    *reason = std::string("the pixel data cannot be decoded: ") + e.what();
  } catch (...) {
    *reason = "the pixel data cannot be decoded";
  }
  if (cls == 0) Normalise(f, dest);
  return cls;
}

}  // namespace hostkit
