#include "tools/rar/Rar20Alphabet.h"

#include <array>

namespace ynx::tools {

namespace {

constexpr uint8_t LENGTH_BASES[Rar20Alphabet::LENGTH_SYMBOLS] = {
    0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 12, 14, 16, 20, 24, 28, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224};
constexpr uint8_t LENGTH_BITS[Rar20Alphabet::LENGTH_SYMBOLS] = {
    0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};
constexpr uint32_t OFFSET_BASES[Rar20Alphabet::OFFSET_SYMBOLS] = {
    0,      1,      2,      3,      4,      6,      8,      12,     16,     24,     32,     48,
    64,     96,     128,    192,    256,    384,    512,    768,    1024,   1536,   2048,   3072,
    4096,   6144,   8192,   12288,  16384,  24576,  32768,  49152,  65536,  98304,  131072, 196608,
    262144, 327680, 393216, 458752, 524288, 589824, 655360, 720896, 786432, 851968, 917504, 983040};
constexpr uint8_t OFFSET_BITS[Rar20Alphabet::OFFSET_SYMBOLS] = {
    0,  0,  0,  0,  1,  1,  2,  2,  3,  3,  4,  4,  5,  5,  6,  6,  7,  7,  8,  8,  9,  9,  10, 10,
    11, 11, 12, 12, 13, 13, 14, 14, 15, 15, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16};
constexpr uint8_t SHORT_BASES[8] = {0, 4, 8, 16, 32, 64, 128, 192};
constexpr uint8_t SHORT_BITS[8] = {2, 2, 3, 4, 5, 6, 6, 6};

// Slot lookups: every length value; distances below 4096 one by one, the
// rest below 262144 in steps of 2048 (every base there is a multiple of it).
constexpr uint32_t NEAR = 4096;
constexpr uint32_t MIDDLE = 0x40000;
constexpr uint32_t MIDDLE_STEP = 11;

struct Lookups {
  std::array<uint8_t, 256> length{};
  std::array<uint8_t, NEAR> nearOffset{};
  std::array<uint8_t, (MIDDLE >> MIDDLE_STEP)> middleOffset{};
  std::array<uint8_t, 256> shortDistance{};

  Lookups() {
    for (uint32_t value = 0, symbol = 0; value < 256; ++value) {
      while (symbol + 1 < Rar20Alphabet::LENGTH_SYMBOLS && LENGTH_BASES[symbol + 1] <= value) ++symbol;
      length[value] = static_cast<uint8_t>(symbol);
    }
    for (uint32_t value = 0, symbol = 0; value < NEAR; ++value) {
      while (OFFSET_BASES[symbol + 1] <= value) ++symbol;
      nearOffset[value] = static_cast<uint8_t>(symbol);
    }
    for (uint32_t step = 0, symbol = 0; step < middleOffset.size(); ++step) {
      while (OFFSET_BASES[symbol + 1] <= (step << MIDDLE_STEP)) ++symbol;
      middleOffset[step] = static_cast<uint8_t>(symbol);
    }
    for (uint32_t value = 0, index = 0; value < 256; ++value) {
      while (index + 1 < 8 && SHORT_BASES[index + 1] <= value) ++index;
      shortDistance[value] = static_cast<uint8_t>(index);
    }
  }
};

const Lookups& Tables() {
  static const Lookups lookups;
  return lookups;
}

}  // namespace

Rar20Alphabet::Slot Rar20Alphabet::Length(uint32_t value) {
  const uint8_t symbol = Tables().length[value];
  return {symbol, LENGTH_BITS[symbol], static_cast<uint16_t>(value - LENGTH_BASES[symbol])};
}

Rar20Alphabet::Slot Rar20Alphabet::Offset(uint32_t distance) {
  const uint32_t value = distance - 1;
  uint8_t symbol;
  if (value < NEAR) {
    symbol = Tables().nearOffset[value];
  } else if (value < MIDDLE) {
    symbol = Tables().middleOffset[value >> MIDDLE_STEP];
  } else {
    symbol = static_cast<uint8_t>(36 + ((value - MIDDLE) >> 16));
  }
  return {symbol, OFFSET_BITS[symbol], static_cast<uint16_t>(value - OFFSET_BASES[symbol])};
}

Rar20Alphabet::Slot Rar20Alphabet::Short(uint32_t distance) {
  const uint32_t value = distance - 1;
  const uint8_t index = Tables().shortDistance[value];
  return {index, SHORT_BITS[index], static_cast<uint16_t>(value - SHORT_BASES[index])};
}

int Rar20Alphabet::LengthBits(int symbol) { return LENGTH_BITS[symbol]; }
int Rar20Alphabet::OffsetBits(int symbol) { return OFFSET_BITS[symbol]; }
int Rar20Alphabet::ShortBits(int index) { return SHORT_BITS[index]; }

}  // namespace ynx::tools
