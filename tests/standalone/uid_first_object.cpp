// The first class object of a process takes id 1000 and the next one 1001, whatever its class.
#include <quarn/quarn.h>

#include <cstdio>

int main() {
  Quarn first;
  Quarn_Buffer second;
  if (first.Class_UID_Get() != 1000 || second.Class_UID_Get() != 1001) {
    std::fprintf(stderr, "ids %u %u\n", first.Class_UID_Get(), second.Class_UID_Get());
    return 1;
  }
  return 0;
}
