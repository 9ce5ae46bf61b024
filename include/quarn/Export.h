// Export macro of libquarn: everything not marked with it stays hidden.
#pragma once

#define QUARN_API __attribute__((visibility("default")))
