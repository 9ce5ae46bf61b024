// Family table of the validity check and the shared memory-error reports.
#include "core/Check.h"

#include "core/Trace.h"

namespace quarn {

namespace family {
const Family Class_1D{0xAFBF, 0, "Invalid 1D class pointer in %s", "Invalid 1D class structure in %s", nullptr, true};
const Family Data_1D{0xAFBF, 0x1FFF, "Invalid 1D class pointer in %s", "Invalid 1D data class structure in %s", "Invalid 1D data structure in %s", true};
const Family File_1D{0xABBA, 0, "Invalid 1D file pointer in %s", "Invalid 1D file structure in %s", nullptr, false};
const Family Class_2D{0xAABA, 0, "Invalid 2D class pointer in %s", "Invalid 2D class structure in %s", nullptr, false};
const Family Frame{0xAABA, 0x2FFF, "Invalid frame class pointer in %s", "Invalid frame class structure in %s", "Invalid frame structure in %s", true};
const Family Volume{0xAABA, 0x2FFD, "Invalid frame class pointer in %s", "Invalid frame class structure in %s", "Invalid frame structure in %s", true};
const Family File_2D{0xABBB, 0, "Invalid 2D file pointer in %s", "Invalid 2D file structure in %s", nullptr, false};
const Family Class_3D{0xAEBD, 0, "Invalid 3D class pointer in %s", "Invalid 3D class structure in %s", nullptr, true};
const Family Geom_3D{0xAEBD, 0x3FFF, "Invalid 3D geom class pointer in %s", "Invalid 3D geom class structure in %s", "Invalid 3D geom structure in %s", true};
const Family File_3D{0xABBC, 0, "Invalid 3D file pointer in %s", "Invalid 3D file structure in %s", nullptr, false};
const Family Buffer{0xAFBF, 0, "Invalid buffer pointer in %s", "Invalid buffer class structure in %s", nullptr, false};
const Family Point{0xADBD, 0, "Invalid point pointer in %s", "Invalid point class structure in %s", nullptr, false};
}  // namespace family

namespace {

// Out of line: the reports are the rare path of every operation.
[[gnu::noinline, gnu::cold]] void Report_Fault(const Quarn* object, const Family& f,
                                               const char* text, const char* label,
                                               const char* file, int line) {
  QUARN_REPORT(msg::Invalid, text, label ? label : "---");
  QUARN_REPORT(msg::Invalid, "file:%s line:%d", file, line);
  if (object && f.detail)
    QUARN_REPORT(msg::Invalid, "-> type:%s, name:%ls", object->Title_Get(), object->Name_Get());
}

}  // namespace

int Check(const Quarn* object, const Family& f, const char* label, const char* file, int line) {
  if (!object) {
    // Families without a null text of their own (1D data) share the 1D node text.
    Report_Fault(nullptr, f, f.null_text ? f.null_text : f.magic_text, label, file, line);
    return 0;
  }
  if (object->Class_Magic_Get() != f.magic) {
    Report_Fault(object, f, f.magic_text, label, file, line);
  }
  if (f.class_a_text && object->Class_A_Get() != f.class_a) {
    Report_Fault(object, f, f.class_a_text, label, file, line);
  }
  return 1;
}

const wchar_t* Name_Of(const Quarn* object) { return object ? object->Name_Get() : L"null"; }

const char* Title_Of(const Quarn* object) { return object ? object->Title_Get() : "null"; }

void Memory_Error(const char* file, int line, const char* call, const char* var, long x, long y) {
  QUARN_REPORT(msg::Memory, "line %-4d of %s \nmemory error in %s (var=%s, dim=%ldx%ld)", line,
               file, call, var, x, y);
}

void Memory_Error_New(const char* file, int line) {
  QUARN_REPORT(msg::Memory, "line %-4d of %s \nmemory error in new", line, file);
}

}  // namespace quarn
