#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ynx {

// Reads packed data most significant bit first through a 64-bit buffer that
// is topped up eight bytes at a time. Past the end of the data it reads
// zeros and remembers that it did, so a decoder never reads out of bounds
// and can tell afterwards whether it took bits that were not there.
class Rar2BitReader {
  static_assert(std::endian::native == std::endian::little, "loads words as little-endian");

 public:
  Rar2BitReader(const uint8_t* data, size_t size) : data(data), size(size) {}

  // Holds at least 56 bits afterwards: enough for a length symbol, its extra
  // bits, a distance symbol and its extra bits without refilling.
  void Refill() {
    if (next + 8 <= size) {
      uint64_t word;
      std::memcpy(&word, data + next, 8);
      buffer |= __builtin_bswap64(word) >> count;
      next += (63 - count) >> 3;
      count |= 56;
    } else {
      RefillSlowly();
    }
  }
  // The next 16 bits, without taking them.
  uint32_t Peek16() const { return static_cast<uint32_t>(buffer >> 48); }
  void Skip(int bits) {
    buffer <<= bits;
    count -= bits;
  }
  // Takes 1 to 16 bits.
  uint32_t Read(int bits) {
    const auto value = static_cast<uint32_t>(buffer >> (64 - bits));
    Skip(bits);
    return value;
  }
  // True once more bits were taken than the data holds.
  bool Overrun() const { return next * 8 - static_cast<size_t>(count) > size * 8; }

 private:
  void RefillSlowly();

  const uint8_t* data;
  size_t size;
  // Bytes moved into the buffer so far, the zeros past the end included.
  size_t next = 0;
  // The bits not yet taken, first bit at the top.
  uint64_t buffer = 0;
  int count = 0;
};

}  // namespace ynx
