#pragma once

#include <cstdint>
#include <vector>

namespace ynx::test {

// Writes RAR 2.0 packed streams symbol by symbol, so that tests can build
// exactly the codes, matches and damage they need. Tables are sent as plain
// code lengths (no run-length symbols), each through a 5-bit code.
class Rar2TestStream {
 public:
  // Which table of the last LZ block a symbol comes from.
  enum Table { LITERALS = 0, DISTANCES = 1, REPEATS = 2 };

  // LZ tables; missing lengths are 0. The uniform default gives every
  // literal/length symbol 9 bits, every distance 6 and every repeat length 5.
  Rar2TestStream& LzTables(std::vector<uint8_t> literals = std::vector<uint8_t>(298, 9),
                           std::vector<uint8_t> distances = std::vector<uint8_t>(48, 6),
                           std::vector<uint8_t> repeats = std::vector<uint8_t>(28, 5));
  // Audio tables: 257 lengths for each channel.
  Rar2TestStream& AudioTables(int channels, uint8_t length = 9);
  // A symbol of an LZ table, or of the audio table of a channel (3 + channel).
  Rar2TestStream& Symbol(int table, int symbol);
  Rar2TestStream& Bits(uint32_t value, int count);
  // A match: its length symbol (270 + index), then distance symbol and extra bits.
  Rar2TestStream& Match(int lengthIndex, uint32_t lengthExtra, int lengthBits, int distanceSymbol,
                        uint32_t distanceExtra, int distanceBits);

  // The bytes so far, the last one padded with zeros.
  std::vector<uint8_t> Bytes() const;
  // The bytes so far, after which the stream starts again empty with the
  // same tables: the next entry of a solid archive.
  std::vector<uint8_t> TakeBytes();

 private:
  void Lengths(const std::vector<uint8_t>& lengths);
  // Canonical codes for the lengths, as the decoder assigns them.
  static std::vector<uint32_t> Codes(const std::vector<uint8_t>& lengths);

  std::vector<uint8_t> bytes;
  int used = 0;  // bits of the last byte
  std::vector<uint8_t> tableLengths[7];
  std::vector<uint32_t> tableCodes[7];
};

}  // namespace ynx::test
