// The end of the metric chain: the 2D root maps between a record's frame space and patient space
// from the record's matrices, spacing, time stamps, curved geometry and the files' slice offsets.
#include <quarn/classes/Quarn_2D_Root.h>

#include <quarn/classes/Quarn_2D_File.h>

#include "classes/Tree_Trace.h"
#include "frames/Curved_Geometry.h"
#include "script/Remembered_Variable.h"

#include <hostkit/HostImage.h>
#include <hostkit/HostRecords.h>

namespace {

quarn::Remembered_Variable g_file_nb{L"$DB_2D_FILE_NB"};
quarn::Remembered_Variable g_file_pt{L"$DB_2D_FILE_PT"};

Host_Image_Record* Record_Of(void** image) {
  return image ? static_cast<Host_Image_Record*>(*image) : nullptr;
}

// Moves p by sign * d * n for every file listing the record with a slice offset d.
void Slice_Offsets_Apply(const Host_Image_Record* record, Point_4D& p, float sign) {
  const int* count = g_file_nb.As<int>();
  Quarn_2D_File* const* files = g_file_pt.Table<Quarn_2D_File*>();
  if (!count || !files) return;
  for (int f = 0; f < *count; ++f) {
    Quarn_2D_File* file = files[f];
    if (!file) continue;
    for (int i = 0; i < file->Record_Count(); ++i) {
      if (file->Record_Get(i) != record) continue;
      const float d = file->Slice_Offset_Get(i);
      if (d != 0) p += record->normal * (sign * d);
    }
  }
}

// Half a pixel along the row and column directions: frame coordinates count from the pixel's
// corner, the record's matrices from its centre.
Vec4 Half_Pixel(const Host_Image_Record* r) {
  Vec4 half = r->dir_row * (0.5f * r->pixel_spacing[0]);
  half += r->dir_col * (0.5f * r->pixel_spacing[1]);
  return half;
}

void Trace_Result(const char* label, const Point_4D& p) {
  QUARN_REPORT(quarn::msg::Class, "<<< out Class: %s(%.2f,%.2f,%.2f)", label, double(p.x), double(p.y),
               double(p.z));
}

}  // namespace

Point_2D Quarn_2D_Root::Metrics_Get_Res(char, Quarn_2D*, void** image, Point_2D point) {
  const Host_Image_Record* r = Record_Of(image);
  return r ? Point_2D(6, int(r->columns), int(r->rows)) : point;
}

Point_4D Quarn_2D_Root::Metrics_Get_Org(char, Quarn_2D*, void** image, Point_4D p) {
  constexpr const char* label = "Quarn_2D_Root::Metrics_Get_Org";
  quarn::Trace_In(label, this);
  const Host_Image_Record* r = Record_Of(image);
  if (!r) {
    quarn::Trace_Out(label, "! image");
    return p;
  }
  Point_4D q = p.Transform(r->frm_2_org);
  q.code = 2;
  q -= Half_Pixel(r);
  Slice_Offsets_Apply(r, q, 1.0f);
  const int stamp = r->time[0].set ? 0 : r->time[1].set ? 1 : -1;
  if (stamp >= 0) Host_Time_Hours(&r->time[stamp], &q.t);
  q.t *= 3600.0f;
  if (r->geometry & quarn::curved::Curved) q = quarn::Curved_2_Org(r->geometry, r->curve_radius, q);
  Trace_Result(label, q);
  return q;
}

Point_4D Quarn_2D_Root::Metrics_Get_Frm(char, Quarn_2D*, void** image, Point_4D p) {
  constexpr const char* label = "Quarn_2D_Root::Metrics_Get_Frm";
  quarn::Trace_In(label, this);
  const Host_Image_Record* r = Record_Of(image);
  if (!r) {
    quarn::Trace_Out(label, "! image");
    return p;
  }
  Slice_Offsets_Apply(r, p, -1.0f);
  if (r->geometry & quarn::curved::Curved) p = quarn::Org_2_Curved(r->geometry, r->curve_radius, p);
  p += Half_Pixel(r);
  Point_4D q = p.Transform(r->org_2_frm);
  q.code = 6;
  Trace_Result(label, q);
  return q;
}
