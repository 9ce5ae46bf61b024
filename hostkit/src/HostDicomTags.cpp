// Text, numbers and nested items of DICOM data sets, and the conversion of their character sets.
#include "HostDicomTags.h"

#include <gdcmItem.h>

#include <charconv>
#include <cstring>

namespace hostkit {
namespace {

bool Blank(char c) { return c == ' ' || c == '\0' || c == '\t' || c == '\r' || c == '\n'; }

std::string Trim(const char* s, size_t n) {
  size_t a = 0;
  while (a < n && Blank(s[a])) ++a;
  while (n > a && Blank(s[n - 1])) --n;
  return std::string(s + a, n - a);
}

// DS values may carry a leading plus sign, which from_chars does not take.
bool Parse_Number(const char* s, const char* e, double* out) {
  while (s < e && Blank(*s)) ++s;
  while (e > s && Blank(e[-1])) --e;
  if (s < e && *s == '+') ++s;
  if (s == e) return false;
  auto r = std::from_chars(s, e, *out);
  return r.ec == std::errc() && r.ptr == e;
}

gdcm::SmartPointer<gdcm::SequenceOfItems> Sequence(const gdcm::DataSet* ds, uint16_t group,
                                                   uint16_t element) {
  if (!ds) return nullptr;
  gdcm::Tag tag(group, element);
  if (!ds->FindDataElement(tag)) return nullptr;
  const gdcm::DataElement& de = ds->GetDataElement(tag);
  if (de.IsEmpty()) return nullptr;
  // A value read without its VR is decoded here and may turn out not to be a sequence.
  try {
    return de.GetValueAsSQ();
  } catch (...) {
    return nullptr;
  }
}

}  // namespace

std::string Dicom_Text(const gdcm::DataSet* ds, uint16_t group, uint16_t element) {
  if (!ds) return {};
  gdcm::Tag tag(group, element);
  if (!ds->FindDataElement(tag)) return {};
  const gdcm::ByteValue* bv = ds->GetDataElement(tag).GetByteValue();
  if (!bv || !bv->GetPointer()) return {};
  return Trim(bv->GetPointer(), bv->GetLength());
}

int Dicom_Numbers(const gdcm::DataSet* ds, uint16_t group, uint16_t element, double* out, int max) {
  std::string text = Dicom_Text(ds, group, element);
  const char* s = text.data();
  const char* end = s + text.size();
  int n = 0;
  while (n < max && s < end) {
    const char* e = static_cast<const char*>(std::memchr(s, '\\', size_t(end - s)));
    if (!e) e = end;
    if (!Parse_Number(s, e, &out[n])) break;
    ++n;
    s = e + 1;
  }
  return n;
}

double Dicom_Number(const gdcm::DataSet* ds, uint16_t group, uint16_t element, double fallback) {
  double v;
  return Dicom_Numbers(ds, group, element, &v, 1) == 1 ? v : fallback;
}

long Dicom_Binary(const gdcm::DataSet* ds, uint16_t group, uint16_t element, long fallback) {
  if (!ds) return fallback;
  gdcm::Tag tag(group, element);
  if (!ds->FindDataElement(tag)) return fallback;
  const gdcm::ByteValue* bv = ds->GetDataElement(tag).GetByteValue();
  if (!bv || !bv->GetPointer()) return fallback;
  const auto* b = reinterpret_cast<const uint8_t*>(bv->GetPointer());
  if (bv->GetLength() == 2) return long(b[0] | b[1] << 8);
  if (bv->GetLength() == 4) return long(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
  return fallback;
}

const gdcm::DataSet* Dicom_Item(const gdcm::DataSet* ds, uint16_t group, uint16_t element,
                                size_t index, Dicom_Holder& hold) {
  gdcm::SmartPointer<gdcm::SequenceOfItems> sq = Sequence(ds, group, element);
  if (!sq || index >= sq->GetNumberOfItems()) return nullptr;
  hold.push_back(sq);
  return &sq->GetItem(index + 1).GetNestedDataSet();  // items count from 1
}

size_t Dicom_Item_Count(const gdcm::DataSet* ds, uint16_t group, uint16_t element, Dicom_Holder& hold) {
  gdcm::SmartPointer<gdcm::SequenceOfItems> sq = Sequence(ds, group, element);
  if (!sq) return 0;
  hold.push_back(sq);
  return sq->GetNumberOfItems();
}

std::string Dicom_Utf8(const std::string& text, const std::string& charset) {
  bool latin1 = charset.find("IR 100") != std::string::npos ||
                charset.find("IR_100") != std::string::npos;
  if (!latin1) return text;
  std::string out;
  out.reserve(text.size() * 2);
  for (unsigned char c : text) {
    if (c < 0x80) {
      out += char(c);
    } else {
      out += char(0xC0 | c >> 6);
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

double Dicom_Seconds(const std::string& time) {
  std::string digits;
  size_t i = 0;
  for (; i < time.size() && time[i] != '.'; ++i)
    if (time[i] != ':') digits += time[i];
  if (digits.size() < 2 || digits.size() > 6 || digits.size() % 2) return -1;
  double field[3] = {0, 0, 0};
  for (size_t f = 0; f * 2 < digits.size(); ++f)
    if (!Parse_Number(digits.data() + 2 * f, digits.data() + 2 * f + 2, &field[f])) return -1;
  double fraction = 0;
  if (i < time.size()) {
    std::string tail = "0" + time.substr(i);
    if (!Parse_Number(tail.data(), tail.data() + tail.size(), &fraction)) return -1;
  }
  return field[0] * 3600 + field[1] * 60 + field[2] + fraction;
}

}  // namespace hostkit
