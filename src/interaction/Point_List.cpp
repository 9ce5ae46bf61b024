// The point list in "$POINT_PT" / "$POINT_NB" / "$POINT_CUR", grown and shrunk one entry at a time.
#include "interaction/Point_List.h"

#include <quarn/algorithms/Noise.h>
#include <quarn/display/Update.h>

#include <hostkit/HostUtil.h>

#include "core/Check.h"
#include "core/Trace.h"
#include "script/Remembered_Variable.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

namespace quarn::points {

namespace {

Remembered_Variable g_point_pt{L"$POINT_PT", true};
Remembered_Variable g_point_nb{L"$POINT_NB", true};
Remembered_Variable g_point_cur{L"$POINT_CUR", true};

/// Share of a turn the next automatic hue moves past the previous point's, before the random
/// tenth of a turn is added.
constexpr float Hue_Step = 0.7f;
constexpr float Hue_Spread = 0.1f;

/// The slot that holds the array's address: the storage itself, as the list is a table whose
/// elements the host keeps elsewhere (see Fct_Variable_Elements).
Quarn_Point*** Array_Slot() { return g_point_pt.As<Quarn_Point**>(); }
uint32_t* Count_Slot() { return g_point_nb.As<uint32_t>(); }

uint8_t Byte(float v) { return uint8_t(std::min(255.0f, std::max(0.0f, v * 255))); }

}  // namespace

Quarn_Point** List(int* count) {
  const uint32_t* nb = Count_Slot();
  Quarn_Point** items = g_point_pt.Table<Quarn_Point*>();
  *count = nb && items ? int(*nb) : 0;
  return *count ? items : nullptr;
}

bool Append(Quarn_Point* point) {
  Quarn_Point*** slot = Array_Slot();
  uint32_t* nb = Count_Slot();
  if (!slot || !nb) {
    QUARN_REPORT(msg::Invalid, "Point: the host keeps no point list ($POINT_PT, $POINT_NB)");
    delete point;
    return false;
  }
  const uint32_t n = *slot ? *nb : 0;
  auto* grown = static_cast<Quarn_Point**>(std::realloc(*slot, (n + 1) * sizeof(Quarn_Point*)));
  if (!grown) {
    QUARN_MEMORY_ERROR("realloc", "*Point_Pt", n + 1, sizeof(Quarn_Point*));
    delete point;
    return false;
  }
  grown[n] = point;
  *slot = grown;
  *nb = n + 1;
  Current_Set(point);
  return true;
}

bool Remove(int index) {
  int count = 0;
  Quarn_Point** items = List(&count);
  if (!items || index < 0 || index >= count) return false;
  Quarn_Point* gone = items[index];
  if (Current() == gone) Current_Set(nullptr);
  std::memmove(items + index, items + index + 1, size_t(count - index - 1) * sizeof(Quarn_Point*));
  delete gone;
  const uint32_t n = uint32_t(count - 1);
  *Count_Slot() = n;
  Quarn_Point*** slot = Array_Slot();
  if (n == 0) {
    std::free(*slot);
    *slot = nullptr;
    return true;
  }
  auto* shrunk = static_cast<Quarn_Point**>(std::realloc(*slot, n * sizeof(Quarn_Point*)));
  if (!shrunk) {
    QUARN_MEMORY_ERROR("realloc", "(*Point_Pt)", n, sizeof(Quarn_Point*));
    return false;  // the larger array still holds the list
  }
  *slot = shrunk;
  return true;
}

Quarn_Point* Current() {
  Quarn_Point** cur = g_point_cur.As<Quarn_Point*>();
  return cur ? *cur : nullptr;
}

void Current_Set(Quarn_Point* point) {
  if (Quarn_Point** cur = g_point_cur.As<Quarn_Point*>()) *cur = point;
}

uint32_t Auto_Colour() {
  float hue = (Fct_Random_Float() + 1) / 2;
  int count = 0;
  Quarn_Point** items = List(&count);
  // The newest point is already in the list; its predecessor gives the hue to move away from.
  if (count >= 2) {
    const uint32_t c = items[count - 2]->color;
    float h = float(c & 0xFF) / 255, l = float(c >> 8 & 0xFF) / 255, s = float(c >> 16 & 0xFF) / 255;
    Host_RGB_To_HLS(&h, &l, &s);
    float whole = 0;
    hue = std::modf(Hue_Spread * hue + h + Hue_Step, &whole);
  }
  float r = hue, g = 0.5f, b = 1.0f;
  Host_HLS_To_RGB(&r, &g, &b);
  return uint32_t(Byte(r)) | uint32_t(Byte(g)) << 8 | uint32_t(Byte(b)) << 16;
}

Quarn_Point* Make(uint16_t type, int id, const char* name, float size) {
  auto* point = new (std::nothrow) Quarn_Point;
  if (!point) {
    QUARN_MEMORY_ERROR_NEW();
    return nullptr;
  }
  if (!Append(point)) return nullptr;
  point->Class_A_Set(type);
  point->Class_B_Set(uint16_t(id));
  if (name) point->Name_Set("%s", name);
  else point->Name_Set("Point_%d", id);
  point->size = size != 0 ? size : Quarn_Point::Default_Size;
  return point;
}

void Made(Quarn_Point* point, uint32_t colour) {
  point->color = colour ? colour : Auto_Colour();
  QUARN_REPORT(User, "Point: create point \x01%ls\x02 at %7.2f %7.2f %7.2f", point->Name_Get(), double(point->pos.x),
               double(point->pos.y), double(point->pos.z));
  Fct_Update(POINT_UPDATE_CURRENT);
  Fct_Update(POINT_UPDATE_LIST);
}

int Captured(const char* name, int index, bool within) {
  int count = 0;
  Quarn_Point* p = List(&count)[index];
  if (within) {
    Current_Set(p);
    QUARN_REPORT(User, "Point: Drag point \x01%ls\x01", p->Name_Get());
    Fct_Update(POINT_UPDATE_CURRENT);
    Fct_Update(POINT_UPDATE_LIST);
    return Out(name, nullptr, index + 1);
  }
  Current_Set(nullptr);
  Fct_Update(POINT_UPDATE_CURRENT);
  return Out(name, "too far", 0);
}

int Out(const char* name, const char* why, int result) {
  QUARN_REPORT(Trace, "<<< out Util: %s(%s)", name, why ? why : "");
  return result;
}

}  // namespace quarn::points
