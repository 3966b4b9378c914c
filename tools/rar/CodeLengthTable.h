#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "tools/rar/BitWriter.h"
#include "tools/rar/Rar20Alphabet.h"

namespace ynx::tools {

// The table header that precedes each block: the mode, the 19-symbol code
// for code lengths, and the lengths themselves, either added to the
// decoder's previous lengths (modulo 16) or written afresh, whichever is
// shorter. Keeps the decoder's array of previous lengths in step.
class CodeLengthTable {
 public:
  using Lengths = std::array<uint8_t, Rar20Alphabet::TABLE_CAPACITY>;

  // Plans the header for `count` new lengths; `channels` is 0 for LZ mode.
  void Plan(const uint8_t* lengths, int count, int channels);
  // Exact size of the planned header in bits.
  uint64_t Bits() const { return bits; }
  // Writes the planned header and takes its lengths as the decoder will.
  void Write(BitWriter& writer);

 private:
  struct Step {
    uint8_t symbol;
    uint8_t extraBits;
    uint8_t extra;
  };
  static constexpr int PRE_SYMBOLS = 19;

  struct Encoding {
    std::vector<Step> steps;
    std::array<uint8_t, PRE_SYMBOLS> preLengths{};
    uint64_t bits = 0;
  };
  Encoding Encode(const uint8_t* lengths, int count, bool keep) const;

  Lengths previous{};
  Lengths planned{};
  int plannedCount = 0;
  int plannedChannels = 0;
  bool keep = false;
  Encoding chosen;
  uint64_t bits = 0;
};

}  // namespace ynx::tools
