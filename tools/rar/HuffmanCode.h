#pragma once

#include <array>
#include <cstdint>

#include "tools/rar/BitWriter.h"

namespace ynx::tools {

// A canonical prefix code as the 2.0 decoder rebuilds it from code lengths:
// shorter codes first, codes of one length in symbol order, the first code
// all zeros.
class HuffmanCode {
 public:
  static constexpr int MAX_LENGTH = 15;
  static constexpr int MAX_SYMBOLS = 298;

  // Code lengths of at most MAX_LENGTH bits for the given symbol counts.
  // At least two symbols always get a code, so that no decoder meets a table
  // with one code or none.
  static void BuildLengths(const uint32_t* counts, int symbols, uint8_t* lengths);

  // Bits that symbols with these counts take with these lengths.
  static uint64_t Cost(const uint32_t* counts, const uint8_t* lengths, int symbols);

  void Assign(const uint8_t* lengths, int symbols);

  void Write(BitWriter& writer, int symbol) const { writer.Write(codes[symbol], lengthOf[symbol]); }
  int Length(int symbol) const { return lengthOf[symbol]; }
  int MaxLength() const { return maxLength; }

 private:
  std::array<uint16_t, MAX_SYMBOLS> codes{};
  std::array<uint8_t, MAX_SYMBOLS> lengthOf{};
  int maxLength = 0;
};

}  // namespace ynx::tools
