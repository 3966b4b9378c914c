#include "engine/io/Rar2HuffmanTable.h"

#include <algorithm>
#include <iterator>

namespace ynx {

void Rar2HuffmanTable::Clear() {
  std::fill(std::begin(quick), std::end(quick), uint16_t{0});
  std::fill(std::begin(limit), std::end(limit), 0u);
}

bool Rar2HuffmanTable::Build(const uint8_t* lengths, int count) {
  Clear();
  if (count < 0 || count > MAX_SYMBOLS) return false;
  int perLength[MAX_LENGTH + 1] = {};
  for (int symbol = 0; symbol < count; ++symbol) {
    if (lengths[symbol] > MAX_LENGTH) return false;
    ++perLength[lengths[symbol]];
  }
  // Codes of each length follow those of the shorter lengths, in symbol order.
  uint32_t start = 0;
  uint16_t index = 0;
  for (int length = 1; length <= MAX_LENGTH; ++length) {
    first[length] = index;
    index = static_cast<uint16_t>(index + perLength[length]);
    start += static_cast<uint32_t>(perLength[length]) << (16 - length);
    if (start > 0x10000) {
      std::fill(std::begin(limit), std::end(limit), 0u);
      return false;
    }
    limit[length] = start;
  }
  uint16_t next[MAX_LENGTH + 1];
  std::copy(std::begin(first), std::end(first), std::begin(next));
  for (int symbol = 0; symbol < count; ++symbol) {
    if (lengths[symbol] != 0) symbols[next[lengths[symbol]]++] = static_cast<uint16_t>(symbol);
  }
  for (int length = 1; length <= QUICK_BITS; ++length) {
    const uint32_t base = limit[length - 1];
    for (int i = 0; i < perLength[length]; ++i) {
      const uint32_t code = (base >> (16 - length)) + static_cast<uint32_t>(i);
      const auto entry = static_cast<uint16_t>(symbols[first[length] + i] << 4 | length);
      std::fill_n(quick + (code << (QUICK_BITS - length)), 1 << (QUICK_BITS - length), entry);
    }
  }
  return true;
}

int Rar2HuffmanTable::DecodeLong(Rar2BitReader& reader, uint32_t bits) const {
  for (int length = QUICK_BITS + 1; length <= MAX_LENGTH; ++length) {
    if (bits < limit[length]) {
      const uint32_t offset = (bits - limit[length - 1]) >> (16 - length);
      reader.Skip(length);
      return symbols[first[length] + offset];
    }
  }
  return -1;
}

}  // namespace ynx
