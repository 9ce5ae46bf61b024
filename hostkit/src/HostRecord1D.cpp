// 1D data records: construction for readers and tests, and release.
#include <hostkit/HostRecord1D.h>

#include "HostFault.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

void Curve_Free(Host_1D_Curve& c) {
  for (float* v : c.values) std::free(v);
  for (char* t : c.text) std::free(t);
  c = Host_1D_Curve{};
}

float* Copy_Values(const float* from, int count) {
  auto* to = static_cast<float*>(std::malloc(sizeof(float) * size_t(count ? count : 1)));
  if (!to) {
    HOSTKIT_MEMORY_ERROR("malloc", "values", count, sizeof(float));
    return nullptr;
  }
  if (count) std::memcpy(to, from, sizeof(float) * size_t(count));
  return to;
}

// A null text stays null; false only when a copy could not be made.
bool Copy_Text(const char* from, char** to) {
  if (!from) return true;
  *to = strdup(from);
  if (!*to) HOSTKIT_MEMORY_ERROR("malloc", "text", std::strlen(from) + 1, 1);
  return *to != nullptr;
}

}  // namespace

Host_1D_Record::~Host_1D_Record() {
  for (int i = 0; i < curve_count; ++i) Curve_Free(curves[i]);
  std::free(curves);
  std::free(description);
}

Host_1D_Record* Host_1D_Record_Create(const char* description, const float* geometry) {
  auto* r = new (std::nothrow) Host_1D_Record;
  if (!r) {
    HOSTKIT_MEMORY_ERROR("new", "record", 1, sizeof(Host_1D_Record));
    return nullptr;
  }
  if (!Copy_Text(description, &r->description)) {
    delete r;
    return nullptr;
  }
  if (geometry) std::memcpy(r->geometry, geometry, sizeof(r->geometry));
  return r;
}

int Host_1D_Record_Add_Curve(Host_1D_Record* r, int count, const float* first, const float* second,
                             const float* third, const char* const* texts) {
  if (!r || count < 0 || (count && (!first || !second))) {
    HOSTKIT_INVALID(nullptr, "Host_1D_Record_Add_Curve: no record, or %d samples without values", count);
    return 0;
  }
  Host_1D_Curve c;
  c.count = uint32_t(count);
  bool ok = (c.values[0] = Copy_Values(first, count)) && (c.values[1] = Copy_Values(second, count)) &&
            (!third || (c.values[2] = Copy_Values(third, count)));
  for (int t = 0; ok && texts && t < HOST_1D_TEXT_COUNT; ++t) ok = Copy_Text(texts[t], &c.text[t]);
  auto* grown = ok ? static_cast<Host_1D_Curve*>(std::realloc(r->curves, sizeof(Host_1D_Curve) *
                                                                             size_t(r->curve_count + 1)))
                   : nullptr;
  if (!grown) {
    if (ok) HOSTKIT_MEMORY_ERROR("realloc", "curves", r->curve_count + 1, sizeof(Host_1D_Curve));
    Curve_Free(c);
    return 0;
  }
  r->curves = grown;
  r->curves[r->curve_count++] = c;
  r->flags |= HOST_1D_CURVES;
  return 1;
}

void Host_1D_Record_Free(Host_1D_Record* record) { delete record; }
