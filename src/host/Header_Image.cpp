// The image block of a text export: one entry per distinct geometry (size and pixel sizes).
#include <quarn/host/Header_Report.h>

#include <hostkit/HostUtil.h>

#include "core/Trace.h"
#include "host/Header_Support.h"

#include <string>
#include <vector>

namespace {

using namespace quarn::header;

bool Same_Geometry(const Host_Image_Record* a, const Host_Image_Record* b) {
  return a->columns == b->columns && a->rows == b->rows && a->pixel_dim[0] == b->pixel_dim[0] &&
         a->pixel_dim[1] == b->pixel_dim[1] && a->pixel_dim[2] == b->pixel_dim[2];
}

std::wstring Formatted(const wchar_t* format, double value) {
  wchar_t text[64];
  Host_Format(text, 64, format, value);
  return text;
}

// Each value followed by the separator, so that the row ends with one before its newline.
std::wstring Row(const Host_Image_Record* r, const Settings& s) {
  std::wstring row = std::to_wstring(r->columns) + s.separator + std::to_wstring(r->rows) + s.separator;
  for (float dim : r->pixel_dim)
    row += (dim == HOST_IMAGE_MISSING ? s.filler : Formatted(L"%.3f", dim)) + s.separator;
  for (const Vec4* v : {&r->dir_row, &r->dir_col})
    for (float c : {v->x, v->y, v->z}) row += Formatted(L"%.4f", c) + s.separator;
  return row + L"\n";
}

}  // namespace

int Fct_Header_Image_ASCII(FILE* file, int count, Quarn_2D_Frame* const* frames) {
  static const char* const label = "Fct_Header_Image_ASCII";
  if (No_File(file, label)) return 0;
  Writer out(file);
  out.Text(L"; =========== Image Information ===========================\n");
  // A missing pixel size is written as the number that marks it.
  for (const Host_Image_Record* r : Distinct(label, count, frames, Same_Geometry)) {
    out.Line(L"; Resolution =  %d x %d\n", int(r->columns), int(r->rows));
    out.Line(L"; Pixel Dim =   %.3f x %.3f x %.3f\n", double(r->pixel_dim[0]), double(r->pixel_dim[1]),
             double(r->pixel_dim[2]));
    out.Line(L"; Horiz. Dir. = %.4f x %.4f x %.4f\n", double(r->dir_row.x), double(r->dir_row.y), double(r->dir_row.z));
    out.Line(L"; Vert. Dir =   %.4f x %.4f x %.4f\n", double(r->dir_col.x), double(r->dir_col.y), double(r->dir_col.z));
  }
  out.Text(L"\n");
  return 1;
}

int Fct_Header_Image_DB(FILE* file, int count, Quarn_2D_Frame* const* frames) {
  static const char* const label = "Fct_Header_Image_DB";
  if (No_File(file, label)) return 0;
  const Settings s = Settings_Get();
  Writer out(file);
  out.Text(L"=========== Image Information =========\n");
  out.Row({L"Resolution X", L"Y", L"Pixel Dim. X", L"Y", L"Z (mm)", L"Horiz. Dir. X", L"Y", L"Z", L"Vert. Dir. X",
           L"Y", L"Z"},
          s.separator);
  for (const Host_Image_Record* r : Distinct(label, count, frames, Same_Geometry)) out.Text(Row(r, s));
  out.Text(L"\n\n");
  return 1;
}
