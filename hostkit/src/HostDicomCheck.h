// Loading of a DICOM file into memory and the bounds-checked walk over its element structure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace hostkit {

/// One fragment of compressed pixel data: where its bytes lie in the loaded data.
struct Dicom_Fragment {
  uint64_t at = 0;      ///< Offset of the fragment's first byte.
  uint64_t length = 0;  ///< Its length in bytes.
};

/// What the structure walk learnt about one well-formed file.
struct Dicom_Layout {
  std::string transfer_syntax;  ///< Transfer syntax UID of the data set ("" when not recorded).
  bool has_pixels = false;      ///< The data set holds a pixel data element.
  bool encapsulated = false;    ///< Pixel data stored as fragments (compressed).
  uint16_t pixel_element = 0;   ///< Element of group 7FE0: 0x0010 integers, 0x0008 float, 0x0009 double.
  uint64_t element_at = 0;      ///< Offset of the pixel data element's header.
  uint64_t pixel_at = 0;        ///< Offset of the native pixel data value.
  uint64_t pixel_bytes = 0;     ///< Length of the pixel data (all fragments when compressed).
  int fragments = 0;            ///< Fragments of encapsulated pixel data, offset table included.
  std::vector<Dicom_Fragment> fragment_list;  ///< The fragments after the offset table.
  uint64_t data_set_at = 0;     ///< Offset of the data set's first element.
  bool explicit_vr = true;      ///< The data set names each element's value representation.
  int pixel_swap = 0;           ///< Bytes of each pixel value swapped from big endian, 0 none.
};

/// Walks preamble, meta group and data set, checking that every element, item and sequence lies
/// inside the bytes and is closed. Data sets in explicit VR big endian are turned into little
/// endian in place as they are walked (every binary value swapped after its representation), so
/// that data always holds a little-endian data set afterwards; deflated data sets are refused
/// here (Dicom_Load inflates them first). The toolkit stops the process on some malformed
/// input, so nothing reaches it without this check. Returns 0 when the data is well formed, else
/// 2 with the reason.
int Dicom_Check(uint8_t* data, uint64_t size, Dicom_Layout* layout, std::string* reason);

/// Reads a whole file into data, inflates a deflated data set, walks it with Dicom_Check and
/// leaves a little-endian data set in data. Returns 0, or the report class with the reason: 2
/// for the file's content, 4 when the system could not open or read it.
int Dicom_Load(const char* path, std::vector<uint8_t>* data, Dicom_Layout* layout, std::string* reason);

/// Reads only the first bytes of a file, as many as the walk up to its pixel data needs, and
/// checks that native pixel data fits in the file without reading it (layout->pixel_at tells
/// where it lies); compressed pixel data and deflated files are read and walked whole. Returns
/// as Dicom_Load.
int Dicom_Load_Header(const char* path, std::vector<uint8_t>* data, Dicom_Layout* layout, std::string* reason);

/// Called with each stretch of pixel bytes as soon as it is in place (a whole number of elements),
/// while it is still in the processor's cache.
using Dicom_Stretch_Done = std::function<void(uint8_t* begin, size_t bytes)>;

/// Reads the native pixel data of a file whose header was scanned (layout as Dicom_Load_Header
/// left it) straight into dest, bytes bytes turned to little endian, after reading the header
/// again into header and setting *layout from it: walked again unless it holds the very bytes
/// scanned (the file's bytes before its pixel data as the scan read them; empty: always walk).
/// The file must still hold its pixel data where it did. The pixels come in stretches of a few
/// hundred kilobytes, each handed to done (when given) as it lands. Returns as Dicom_Load.
int Dicom_Read_Native(const char* path, const std::vector<uint8_t>& scanned, std::vector<uint8_t>* header,
                      Dicom_Layout* layout, void* dest, uint64_t bytes, std::string* reason,
                      const Dicom_Stretch_Done& done = {});

/// The calling thread's buffer for Dicom_Load, reused from file to file so that its pages are
/// mapped once (one that grew past a few megabytes is released first).
std::vector<uint8_t>& Dicom_Thread_Buffer();

/// A copy of the loaded data set up to its pixel data, behind a minimal file meta group that
/// names its little-endian encoding: what the toolkit parses for the header values.
std::string Dicom_Header_Bytes(const std::vector<uint8_t>& data, const Dicom_Layout& layout);

}  // namespace hostkit
