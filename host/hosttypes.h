// hosttypes.h - basic value types shared with the host libraries.
#pragma once

#include <cstdint>

// A currency amount: the value times 10000 in a signed 64-bit integer.
typedef int64_t tagCY;

// Length of a data-set identifier, the leading bytes of the host's data-set record.
enum { kDataIdBytes = 16 };
