// Nesting marker lines shared by every lock trace.
#include "core/Trace.h"

#include <cwchar>

namespace quarn {

int Marker_Line(wchar_t* out, int size, const wchar_t* banner, wchar_t level_mark, int depth) {
  // Built with swprintf from the line so far, as the traces are specified, but appended in place.
  int n = 0;
  for (const wchar_t* p = banner; *p && n < size - 1; ++p) out[n++] = *p;
  for (int level = 1; level <= depth && n < size - 1; ++level) {
    int w = std::swprintf(out + n, size_t(size - n), L" %d ", level);
    if (w < 0) break;
    n += w;
    for (int k = 0; k < 8 && n < size - 1; ++k) out[n++] = level_mark;
  }
  out[n] = 0;
  return n;
}

}  // namespace quarn
