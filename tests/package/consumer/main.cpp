// A user of the installed package: one include gives the whole interface.
#include <quarn/quarn.h>

int main() {
  Quarn_Buffer buffer(3);
  if (!buffer.Data_New(16)) return 1;
  return buffer.Size_Get() == 16 && buffer.Class_Magic_Get() == 0xAFBF ? 0 : 1;
}
