// Reading text, numbers and nested items out of a DICOM data set held by the toolkit.
#pragma once

#include <gdcmDataSet.h>
#include <gdcmSequenceOfItems.h>

#include <cstdint>
#include <string>
#include <vector>

namespace hostkit {

/// Keeps alive the sequences whose items a caller still looks into.
using Dicom_Holder = std::vector<gdcm::SmartPointer<gdcm::SequenceOfItems>>;

/// The value of a text element without leading and trailing blanks and nulls; "" when absent.
std::string Dicom_Text(const gdcm::DataSet* ds, uint16_t group, uint16_t element);
/// Reads up to max numbers of a backslash-separated decimal or integer string; returns how many
/// were read before the first that is not a number (0 when absent).
int Dicom_Numbers(const gdcm::DataSet* ds, uint16_t group, uint16_t element, double* out, int max);
/// The first number of an element, or fallback when it is absent or not a number.
double Dicom_Number(const gdcm::DataSet* ds, uint16_t group, uint16_t element, double fallback);
/// A binary unsigned value (US or UL, little endian) of an element, or fallback when it is absent
/// or of another length.
long Dicom_Binary(const gdcm::DataSet* ds, uint16_t group, uint16_t element, long fallback);
/// The nested data set of item index (from 0) of a sequence element, or null; the sequence is
/// kept in hold for as long as the caller reads the item.
const gdcm::DataSet* Dicom_Item(const gdcm::DataSet* ds, uint16_t group, uint16_t element,
                                size_t index, Dicom_Holder& hold);
/// Number of items of a sequence element (0 when absent or not a sequence).
size_t Dicom_Item_Count(const gdcm::DataSet* ds, uint16_t group, uint16_t element, Dicom_Holder& hold);
/// Text of the file's character set (its specific character set value) as UTF-8: Latin-1 is
/// converted, UTF-8 and plain ASCII kept, other sets passed through unchanged.
std::string Dicom_Utf8(const std::string& text, const std::string& charset);
/// Seconds since midnight of a time value "HHMMSS.FFFFFF" (also "HH:MM:SS"), or -1.
double Dicom_Seconds(const std::string& time);

}  // namespace hostkit
