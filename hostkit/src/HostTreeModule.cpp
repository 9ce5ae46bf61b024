// Grouping keys of the sample tree module, taken from the texts and stamps of an image record.
#include <hostkit/HostImage.h>
#include <hostkit/HostTreeModule.h>

#include <cwchar>

namespace {

int Finish(int written, wchar_t* out, int size) {
  if (written < 0 || written >= size) {  // a key too long for out is cut, never left unended
    out[size - 1] = L'\0';
    return int(std::wcslen(out));
  }
  return written;
}

}  // namespace

int Host_Tree_Patient_Key(const Host_Image_Record* record, wchar_t* out, int size) {
  if (!out || size <= 0) return 0;
  if (record && record->patient_id && record->patient_id[0])
    return Finish(std::swprintf(out, size_t(size), L"%s", record->patient_id), out, size);
  if (record && (record->patient_name.family[0] || record->patient_name.given[0]))
    return Finish(std::swprintf(out, size_t(size), L"%s^%s", record->patient_name.family,
                                record->patient_name.given),
                  out, size);
  return Finish(std::swprintf(out, size_t(size), L"Unknown patient"), out, size);
}

int Host_Tree_Series_Key(const Host_Image_Record* record, wchar_t* out, int size) {
  if (!out || size <= 0) return 0;
  const char* text = record && record->description && record->description[0] ? record->description
                                                                              : "Series";
  if (!record || !record->date[1].set)
    return Finish(std::swprintf(out, size_t(size), L"%s", text), out, size);
  const Host_Date_Record& d = record->date[1];
  const Host_Time_Record& t = record->time[1];
  return Finish(std::swprintf(out, size_t(size), L"%s %04d-%02d-%02d %02d:%02d:%02d", text, d.year,
                              d.month, d.day, t.hour, t.minute, t.second),
                out, size);
}
