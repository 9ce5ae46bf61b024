// Export macro of the host kit library.
#pragma once

#if defined(HOSTKIT_BUILDING)
#define HOSTKIT_API __attribute__((visibility("default")))
#else
#define HOSTKIT_API __attribute__((visibility("default")))
#endif
