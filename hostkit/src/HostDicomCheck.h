// Bounds-checked walk over the element structure of a DICOM file, run before the toolkit reads it.
#pragma once

#include <cstdint>
#include <string>

namespace hostkit {

/// What the structure walk learnt about one well-formed file.
struct Dicom_Layout {
  std::string transfer_syntax;  ///< Transfer syntax UID of the data set ("" when not recorded).
  bool has_pixels = false;      ///< The data set holds a pixel data element.
  bool encapsulated = false;    ///< Pixel data stored as fragments (compressed).
  uint64_t pixel_bytes = 0;     ///< Length of the pixel data (all fragments when compressed).
  int fragments = 0;            ///< Fragments of encapsulated pixel data, offset table included.
};

/// Walks preamble, meta group and data set, checking that every element, item and sequence lies
/// inside the file and is closed. The toolkit stops the process on some malformed input, so nothing reaches it
/// without this check. Returns 0 when the file is well formed, else the report class with the
/// reason: 2 for the file's content, 4 when the system could not open or map it.
int Dicom_Check(const char* path, Dicom_Layout* layout, std::string* reason);

}  // namespace hostkit
