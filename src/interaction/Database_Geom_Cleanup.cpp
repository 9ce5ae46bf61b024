// Database_Geom_Cleanup: points let go of the frames, records and groups they were placed on.
#include <quarn/algorithms/Geom.h>

#include "core/Trace.h"
#include "interaction/Point_List.h"

void Database_Geom_Cleanup() {
  QUARN_REPORT(quarn::msg::DB_Cleanup, ">>> in  Fct: Database_Geom_Cleanup()");
  int count = 0;
  Quarn_Point** items = quarn::points::List(&count);
  for (int i = 0; i < count; ++i) {
    if (!items[i]) continue;
    items[i]->frame = nullptr;
    items[i]->image = nullptr;
    items[i]->group = nullptr;
  }
  QUARN_REPORT(quarn::msg::DB_Cleanup, "<<< out Fct: Database_Geom_Cleanup(%d points)", count);
}
