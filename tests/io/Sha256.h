#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ynx::test {

// SHA-256 of a block of bytes, as lower-case hex, to compare unpacked
// entries with the digests other tools published.
class Sha256 {
 public:
  static std::string Hex(const uint8_t* bytes, size_t count);
};

}  // namespace ynx::test
