// Entry points of update and redraw propagation; the marking itself arrives with the window tree.
#include <quarn/display/Update.h>

#include "core/Trace.h"

void Fct_Update(uint64_t mask, Quarn_Window*, Quarn_2D*, const Region_2D*) {
  QUARN_REPORT(quarn::msg::Update, ">>> in  Fct: Fct_Update(%016llx)", (unsigned long long)mask);
  QUARN_REPORT(quarn::msg::Update, "<<< out Fct: Fct_Update()");
}

void Fct_Redraw(uint64_t, Quarn_Window*, Quarn_2D*, const Region_2D*) {
  QUARN_REPORT(quarn::msg::Draw, ">>> in  Fct: Fct_Redraw()");
  QUARN_REPORT(quarn::msg::Draw, "<<< out Fct: Fct_Redraw()");
}

void Fct_Update_Direct(uint64_t mask) {
  QUARN_REPORT(quarn::msg::Update, ">>> in  Fct: Fct_Update_Direct(%016llx)", (unsigned long long)mask);
  QUARN_REPORT(quarn::msg::Update, "<<< out Fct: Fct_Update_Direct()");
}
