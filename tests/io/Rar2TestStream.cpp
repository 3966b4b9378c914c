#include "tests/io/Rar2TestStream.h"

#include <cstddef>

namespace ynx::test {

Rar2TestStream& Rar2TestStream::Bits(uint32_t value, int count) {
  for (int bit = count - 1; bit >= 0; --bit) {
    if (used == 0) bytes.push_back(0);
    if (((value >> bit) & 1) != 0) bytes.back() = static_cast<uint8_t>(bytes.back() | 0x80 >> used);
    used = (used + 1) & 7;
  }
  return *this;
}

void Rar2TestStream::Lengths(const std::vector<uint8_t>& lengths) {
  // The 19 code-length symbols all get 5 bits, so symbol n is code n.
  for (int i = 0; i < 19; ++i) Bits(5, 4);
  for (uint8_t length : lengths) Bits(length, 5);
}

Rar2TestStream& Rar2TestStream::LzTables(std::vector<uint8_t> literals, std::vector<uint8_t> distances,
                                         std::vector<uint8_t> repeats) {
  literals.resize(298);
  distances.resize(48);
  repeats.resize(28);
  Bits(0, 2);  // LZ, previous lengths dropped
  std::vector<uint8_t> all(literals);
  all.insert(all.end(), distances.begin(), distances.end());
  all.insert(all.end(), repeats.begin(), repeats.end());
  Lengths(all);
  tableLengths[LITERALS] = literals;
  tableLengths[DISTANCES] = distances;
  tableLengths[REPEATS] = repeats;
  for (int table = LITERALS; table <= REPEATS; ++table) tableCodes[table] = Codes(tableLengths[table]);
  return *this;
}

Rar2TestStream& Rar2TestStream::AudioTables(int channels, uint8_t length) {
  Bits(2, 2);  // audio, previous lengths dropped
  Bits(static_cast<uint32_t>(channels - 1), 2);
  Lengths(std::vector<uint8_t>(static_cast<size_t>(257 * channels), length));
  for (int channel = 0; channel < channels; ++channel) {
    tableLengths[3 + channel] = std::vector<uint8_t>(257, length);
    tableCodes[3 + channel] = Codes(tableLengths[3 + channel]);
  }
  return *this;
}

Rar2TestStream& Rar2TestStream::Symbol(int table, int symbol) {
  const auto index = static_cast<size_t>(symbol);
  return Bits(tableCodes[table][index], tableLengths[table][index]);
}

Rar2TestStream& Rar2TestStream::Match(int lengthIndex, uint32_t lengthExtra, int lengthBits,
                                      int distanceSymbol, uint32_t distanceExtra, int distanceBits) {
  Symbol(LITERALS, 270 + lengthIndex);
  Bits(lengthExtra, lengthBits);
  Symbol(DISTANCES, distanceSymbol);
  return Bits(distanceExtra, distanceBits);
}

std::vector<uint8_t> Rar2TestStream::Bytes() const { return bytes; }

std::vector<uint8_t> Rar2TestStream::TakeBytes() {
  std::vector<uint8_t> taken;
  taken.swap(bytes);
  used = 0;
  return taken;
}

std::vector<uint32_t> Rar2TestStream::Codes(const std::vector<uint8_t>& lengths) {
  std::vector<uint32_t> codes(lengths.size(), 0);
  uint32_t code = 0;
  for (int length = 1; length <= 15; ++length) {
    for (size_t symbol = 0; symbol < lengths.size(); ++symbol) {
      if (lengths[symbol] == length) codes[symbol] = code++;
    }
    code <<= 1;
  }
  return codes;
}

}  // namespace ynx::test
