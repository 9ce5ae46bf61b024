// The validity check that opens every operation of a validating class, and memory-error reports.
#pragma once

#include <quarn/Export.h>
#include <quarn/core/Quarn.h>

#include <cstdint>

namespace quarn {

/// What the check expects of one family of objects and what it reports when they differ.
struct Family {
  uint16_t magic;              ///< Expected magic.
  uint16_t class_a;            ///< Expected class A, when class_a_text is given.
  const char* null_text;       ///< Report for a null pointer, or none.
  const char* magic_text;      ///< Report for a wrong magic.
  const char* class_a_text;    ///< Report for a wrong class A, or none when not checked.
  bool detail;                 ///< Adds "-> type:%s, name:%ls" after a structure report.
};

namespace family {
extern QUARN_API const Family Class_1D, Data_1D, File_1D;
extern QUARN_API const Family Class_2D, Frame, Volume, File_2D;
extern QUARN_API const Family Class_3D, Geom_3D, File_3D;
extern QUARN_API const Family Buffer, Point;
}  // namespace family

/// Checks an object; returns 0 only for a null pointer (the caller must not touch it), else 1.
/// Structure faults are reported and the caller carries on.
QUARN_API int Check(const Quarn* object, const Family& family, const char* label, const char* file, int line);

/// The object's name for entry traces, or "null" for a null object.
QUARN_API const wchar_t* Name_Of(const Quarn* object);
/// The object's title for entry traces, or "null" for a null object.
QUARN_API const char* Title_Of(const Quarn* object);

/// Reports "line %-4d of %s \nmemory error in <call> (var=%s, dim=%dx%d)" with class 1.
QUARN_API void Memory_Error(const char* file, int line, const char* call, const char* var, long x, long y);

/// Reports "line %-4d of %s \nmemory error in new" with class 1.
QUARN_API void Memory_Error_New(const char* file, int line);

}  // namespace quarn

/// Validates an object against its family at this source line.
#define QUARN_CHECK(object, fam, label) \
  ::quarn::Check((object), ::quarn::family::fam, (label), __FILE_NAME__, __LINE__)
/// Reports a failed allocation of var with the sizes x by y.
#define QUARN_MEMORY_ERROR(call, var, x, y) \
  ::quarn::Memory_Error(__FILE_NAME__, __LINE__, (call), (var), long(x), long(y))
/// Reports a failed new.
#define QUARN_MEMORY_ERROR_NEW() ::quarn::Memory_Error_New(__FILE_NAME__, __LINE__)
