#pragma once

#include <cstdint>

#include "engine/io/Rar2BitReader.h"

namespace ynx {

// A canonical prefix code of the RAR 2.0 method, built from code lengths of
// 0 (unused) to 15 bits. Codes of up to QUICK_BITS bits decode with one
// table lookup; longer ones by comparing against the limit of each length.
class Rar2HuffmanTable {
 public:
  static constexpr int MAX_SYMBOLS = 298;
  static constexpr int MAX_LENGTH = 15;
  static constexpr int QUICK_BITS = 10;

  // False for lengths that claim more codes than there are (the table then
  // decodes nothing). Lengths that leave codes unused are accepted, as
  // archivers write them for tables with one symbol; reading an unused code
  // fails.
  bool Build(const uint8_t* lengths, int count);
  // A table that decodes nothing.
  void Clear();

  // The next symbol, or -1 when the bits are no code of the table. The
  // reader must hold at least 16 bits.
  int Decode(Rar2BitReader& reader) const {
    const uint32_t bits = reader.Peek16();
    const uint16_t entry = quick[bits >> (16 - QUICK_BITS)];
    if (entry != 0) {
      reader.Skip(entry & 15);
      return entry >> 4;
    }
    return DecodeLong(reader, bits);
  }
  // The next symbol when it is below `limit` and its code is at most
  // QUICK_BITS long, else -1 with nothing taken.
  int DecodeQuickBelow(Rar2BitReader& reader, int limit) const {
    const uint16_t entry = quick[reader.Peek16() >> (16 - QUICK_BITS)];
    if (entry == 0 || (entry >> 4) >= limit) return -1;
    reader.Skip(entry & 15);
    return entry >> 4;
  }

 private:
  int DecodeLong(Rar2BitReader& reader, uint32_t bits) const;

  // Symbol << 4 | length for codes that fit, 0 otherwise.
  uint16_t quick[1 << QUICK_BITS] = {};
  // limit[n]: the first 16-bit left-aligned value past the codes of n bits
  // or fewer; first[n]: the index in `symbols` of the first code of n bits.
  uint32_t limit[MAX_LENGTH + 1] = {};
  uint16_t first[MAX_LENGTH + 1] = {};
  uint16_t symbols[MAX_SYMBOLS] = {};
};

}  // namespace ynx
