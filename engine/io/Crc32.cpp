#include "engine/io/Crc32.h"

#include <array>

namespace ynx {
namespace {

using Tables = std::array<std::array<uint32_t, 256>, 8>;

// tables[k][b]: the CRC of byte b followed by k zero bytes.
constexpr Tables MakeTables() {
  Tables tables{};
  for (uint32_t byte = 0; byte < 256; ++byte) {
    uint32_t crc = byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ ((crc & 1) != 0 ? 0xEDB88320u : 0u);
    tables[0][byte] = crc;
  }
  for (size_t k = 1; k < tables.size(); ++k) {
    for (uint32_t byte = 0; byte < 256; ++byte) {
      const uint32_t previous = tables[k - 1][byte];
      tables[k][byte] = (previous >> 8) ^ tables[0][previous & 0xFF];
    }
  }
  return tables;
}

constexpr Tables TABLES = MakeTables();

}  // namespace

uint32_t Crc32::Update(uint32_t crc, const void* bytes, size_t count) {
  const auto* data = static_cast<const uint8_t*>(bytes);
  crc = ~crc;
  for (; count >= 8; count -= 8, data += 8) {
    const uint32_t low = crc ^ (uint32_t(data[0]) | uint32_t(data[1]) << 8 |
                                uint32_t(data[2]) << 16 | uint32_t(data[3]) << 24);
    crc = TABLES[7][low & 0xFF] ^ TABLES[6][(low >> 8) & 0xFF] ^ TABLES[5][(low >> 16) & 0xFF] ^
          TABLES[4][low >> 24] ^ TABLES[3][data[4]] ^ TABLES[2][data[5]] ^ TABLES[1][data[6]] ^
          TABLES[0][data[7]];
  }
  for (; count > 0; --count, ++data) crc = (crc >> 8) ^ TABLES[0][(crc ^ *data) & 0xFF];
  return ~crc;
}

}  // namespace ynx
