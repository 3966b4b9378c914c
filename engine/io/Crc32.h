#pragma once

#include <cstddef>
#include <cstdint>

namespace ynx {

// The standard CRC-32 (reflected, polynomial 0xEDB88320, initial value all
// ones, result inverted), eight bytes a step.
class Crc32 {
 public:
  // The CRC of the bytes.
  static uint32_t Compute(const void* bytes, size_t count) { return Update(0, bytes, count); }
  // The CRC of what `crc` covered followed by the bytes (0 to start).
  static uint32_t Update(uint32_t crc, const void* bytes, size_t count);
};

}  // namespace ynx
