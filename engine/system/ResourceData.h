#pragma once

#include <cstdint>

namespace ynx {

// The program's data resource `id` (type MEDIADATA) in the user's language,
// or in the other one when only that exists. 0: *data and *size point at the
// read-only bytes, valid for the life of the process (size may be null when
// not wanted). 1: no such resource, 3: null data address; both log an
// error and leave the outputs alone.
int32_t LoadResourceData(int32_t id, const uint8_t** data, uint32_t* size);

}  // namespace ynx
