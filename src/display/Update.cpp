// Update requests; nothing is marked or posted yet.
#include <quarn/display/Update.h>

void Fct_Update(uint64_t, void*, void*, Region_2D*) {}

void Fct_Update_Direct(uint64_t) {}
