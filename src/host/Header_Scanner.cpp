// The scanner block of a text export: one entry per distinct modality, manufacturer and model.
#include <quarn/host/Header_Report.h>

#include <hostkit/HostUtil.h>

#include "core/Trace.h"
#include "host/Header_Support.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace quarn::header;

// Two absent texts are equal; an absent one differs from any present one.
bool Same_Text(const char* a, const char* b) { return (!a || !b) ? a == b : std::strcmp(a, b) == 0; }

bool Same_Scanner(const Host_Image_Record* a, const Host_Image_Record* b) {
  return a->modality == b->modality && Same_Text(a->manufacturer, b->manufacturer) && Same_Text(a->model, b->model);
}

std::vector<std::wstring> Names(const Host_Image_Record* r, const Settings& s) {
  return {Or_Filler(Host_Image_Modality_Text(r->modality), s), Or_Filler(r->manufacturer, s),
          Or_Filler(r->model, s)};
}

void Acquisition(Writer& out, const Host_Image_Record* r, const Settings& s) {
  if (r->modality == HOST_MODALITY_CT) {
    out.Line(L"; Gantry Tilt =  %.2f\n", double(r->gantry_tilt));
    out.Line(L"; Tube Voltage = %.2f\n", double(r->tube_voltage));
    out.Line(L"; Tube Current = %.2f\n", double(r->tube_current));
  } else if (r->modality == HOST_MODALITY_MR) {
    out.Line(L"; Field Strenght =  %.2f\n", double(r->field_strength));
    out.Line(L"; TR =  %.2f\n", double(r->repetition_time));
    out.Line(L"; TE =  %.2f\n", double(r->echo_time));
    out.Line(L"; TI =  %.2f\n", double(r->inversion_time));
    out.Line(L"; Pusle Sequence = %ls\n", Or_Filler(r->sequence_name, s).c_str());
    out.Line(L"; Nb. of Averages = %.2f\n", double(r->averages));
  }
}

}  // namespace

int Fct_Header_Scanner_ASCII(FILE* file, int count, Quarn_2D_Frame* const* frames) {
  static const char* const label = "Fct_Header_Scanner_ASCII";
  if (No_File(file, label)) return 0;
  const Settings s = Settings_Get();
  Writer out(file);
  out.Text(L"; =========== Scanner Information =========================\n");
  for (const Host_Image_Record* r : Distinct(label, count, frames, Same_Scanner)) {
    const std::vector<std::wstring> names = Names(r, s);
    out.Line(L"; Modality = %ls\n", names[0].c_str());
    out.Line(L"; Manufacturer = %ls\n", names[1].c_str());
    out.Line(L"; Model = %ls\n", names[2].c_str());
    Acquisition(out, r, s);
    out.Text(L"\n");
  }
  out.Text(L"\n");
  return 1;
}

int Fct_Header_Scanner_DB(FILE* file, int count, Quarn_2D_Frame* const* frames) {
  static const char* const label = "Fct_Header_Scanner_DB";
  if (No_File(file, label)) return 0;
  const Settings s = Settings_Get();
  Writer out(file);
  out.Text(L"=========== Scanner Information =========\n");
  out.Row({L"Modality", L"Manufacturer", L"Model"}, s.separator);
  for (const Host_Image_Record* r : Distinct(label, count, frames, Same_Scanner)) out.Row(Names(r, s), s.separator);
  out.Text(L"\n\n");
  return 1;
}
