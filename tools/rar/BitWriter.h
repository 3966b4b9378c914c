#pragma once

#include <cstdint>
#include <vector>

namespace ynx::tools {

// Packs bit fields most significant bit first, as the 2.0 decoder reads them.
class BitWriter {
 public:
  // Up to 32 bits of `value`, its highest of them first.
  void Write(uint32_t value, int count) {
    pending = (pending << count) | (value & ((uint64_t{1} << count) - 1));
    pendingBits += count;
    while (pendingBits >= 8) {
      pendingBits -= 8;
      bytes.push_back(static_cast<uint8_t>(pending >> pendingBits));
    }
  }

  // Bits written so far.
  uint64_t BitCount() const { return uint64_t{bytes.size()} * 8 + static_cast<uint64_t>(pendingBits); }

  // Pads the last byte with zero bits and hands over the bytes.
  std::vector<uint8_t> Finish() {
    if (pendingBits > 0) Write(0, 8 - pendingBits);
    pending = 0;
    return std::move(bytes);
  }

 private:
  std::vector<uint8_t> bytes;
  uint64_t pending = 0;
  int pendingBits = 0;
};

}  // namespace ynx::tools
