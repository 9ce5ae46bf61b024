// The patient block of a text export: one entry per distinct patient name of the frames.
#include <quarn/host/Header_Report.h>

#include <hostkit/HostRecords.h>
#include <hostkit/HostUtil.h>

#include "core/Trace.h"
#include "host/Header_Support.h"

#include <string>
#include <vector>

namespace {

using namespace quarn::header;

/// Labels of the six values, in the comment layout (the table's header row drops " = ").
const wchar_t* const kLabels[] = {L"Patient Name", L"Patient ID", L"Patient sex", L"Date of Birth",
                                  L"Patient weight (Kg)", L"Patient height (m)"};

bool Same_Patient(const Host_Image_Record* a, const Host_Image_Record* b) {
  return Host_Name_Compare(&a->patient_name, &b->patient_name) == 0;
}

std::wstring Number(const char* format, float value, const Settings& s) {
  if (value == 0) return s.filler;
  char text[64];
  Host_Format(text, sizeof text, format, double(value));
  return Host_Char_To_Wide(text);
}

// The six values in label order; the filler stands for each one not recorded.
std::vector<std::wstring> Values(const Host_Image_Record* r, const Settings& s) {
  const char sex[2] = {r->patient_sex, 0};
  return {Or_Filler(Host_Name_Text(&r->patient_name), s),
          Or_Filler(r->patient_id, s),
          Or_Filler(sex, s),
          r->birth_date.set ? Or_Filler(Host_Time_Text(&r->birth_date, nullptr), s) : s.filler,
          Number("%.f", r->patient_weight, s),
          Number("%.2f", r->patient_height, s)};
}

}  // namespace

int Fct_Header_Patient_ASCII(FILE* file, int count, Quarn_2D_Frame* const* frames) {
  static const char* const label = "Fct_Header_Patient_ASCII";
  if (No_File(file, label)) return 0;
  const Settings s = Settings_Get();
  Writer out(file);
  out.Text(L"; =========== Patient Information =========================\n");
  if (s.anonymous) {
    out.Text(L"; Mode Anonymous!\n");
  } else {
    for (const Host_Image_Record* r : Distinct(label, count, frames, Same_Patient)) {
      const std::vector<std::wstring> values = Values(r, s);
      for (size_t i = 0; i < values.size(); ++i) out.Line(L"; %ls = %ls\n", kLabels[i], values[i].c_str());
    }
  }
  out.Text(L"\n");
  return 1;
}

int Fct_Header_Patient_DB(FILE* file, int count, Quarn_2D_Frame* const* frames) {
  static const char* const label = "Fct_Header_Patient_DB";
  if (No_File(file, label)) return 0;
  const Settings s = Settings_Get();
  Writer out(file);
  out.Text(L"=========== Patient Information =========\n");
  if (s.anonymous) {
    out.Text(L"Mode Anonymous!\n");
  } else {
    out.Row(std::vector<std::wstring>(std::begin(kLabels), std::end(kLabels)), s.separator);
    for (const Host_Image_Record* r : Distinct(label, count, frames, Same_Patient)) out.Row(Values(r, s), s.separator);
  }
  out.Text(L"\n\n");
  return 1;
}
