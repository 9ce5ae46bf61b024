// Descriptive values of a DICOM file copied into an image record, and the reader's file reports.
#include "HostDicomFile.h"

#include <hostkit/HostRecords.h>
#include <hostkit/HostReport.h>

namespace hostkit {
namespace {

// An absent value leaves the slot empty rather than holding an empty text.
void Text(char** slot, const std::string& value) {
  Host_Image_Text_Set(slot, value.empty() ? nullptr : value.c_str());
}

uint16_t Modality_Code(const std::string& m) {
  if (m.size() != 2) return 0;
  return uint16_t(uint8_t(m[0]) << 8 | uint8_t(m[1]));
}

}  // namespace

void Dicom_Report(Host_Window owner, int cls, const std::wstring& path, const std::string& reason) {
  Host_Report(owner, uint32_t(cls), "Host_Dicom_Read: %ls: %s", path.c_str(), reason.c_str());
}

void Dicom_Fill_Header(Host_Image_Record* r, const Dicom_File& f) {
  const Dicom_Header& h = f.header;
  Text(&r->description, h.description);
  Text(&r->manufacturer, h.manufacturer);
  Text(&r->model, h.model);
  Text(&r->sequence_name, h.sequence_name);
  Text(&r->patient_id, h.patient_id);
  r->modality = Modality_Code(h.modality);
  // Values that do not parse stay unrecorded; the rest of the record is still good.
  if (!h.patient_name.empty()) Host_Name_Set(&r->patient_name, h.patient_name.c_str());
  Host_Date_Set(&r->birth_date, h.birth_date.c_str());
  for (int i = 0; i < 2; ++i) {
    Host_Date_Set(&r->date[i], h.date[i].c_str());
    Host_Time_Set(&r->time[i], h.time[i].c_str());
  }
  char sex = h.patient_sex.empty() ? 0 : h.patient_sex[0];
  r->patient_sex = sex == 'M' || sex == 'F' || sex == 'O' ? sex : 0;
  r->patient_weight = float(h.weight);
  r->patient_height = float(h.height);
  r->gantry_tilt = float(h.gantry_tilt);
  r->tube_voltage = float(h.tube_voltage);
  r->tube_current = float(h.tube_current);
  r->field_strength = float(h.field_strength);
  r->repetition_time = float(h.repetition_time);
  r->echo_time = float(h.echo_time);
  r->inversion_time = float(h.inversion_time);
  r->averages = float(h.averages);
}

}  // namespace hostkit
