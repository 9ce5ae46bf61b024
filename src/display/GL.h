// The OpenGL declarations of the library: GLEW's header, which must come before any other GL
// header, and the report of pending OpenGL errors.
#pragma once

#include <quarn/Export.h>

#include <GL/glew.h>

namespace quarn {

/// Most errors one report takes from OpenGL; an error flag per kind can be pending at once.
inline constexpr int GL_ERRORS_MAX = 8;

/// Takes every pending OpenGL error and reports each (class 0x80000101) as three lines naming
/// the call that failed and the source place; returns the number taken.
QUARN_API int GL_Errors_Report(const char* where, const char* file, int line);

/// Loads the extension entry points through GLEW once a context is current (first call only);
/// true when glGenerateMipmap is there. A GLEW without GLX answers "no GLX display" while the
/// entry points load, which is success here.
QUARN_API bool GL_Extensions_Init();

}  // namespace quarn

/// Reports the pending OpenGL errors after a group of calls named where.
#define QUARN_GL_ERRORS(where) ::quarn::GL_Errors_Report((where), __FILE_NAME__, __LINE__)
