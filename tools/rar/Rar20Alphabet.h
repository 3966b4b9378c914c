#pragma once

#include <cstdint>

namespace ynx::tools {

// The symbols of the 2.0 method and how match lengths and distances map onto
// them, as the decoder reads them back.
class Rar20Alphabet {
 public:
  static constexpr int MAIN_SYMBOLS = 298;
  static constexpr int OFFSET_SYMBOLS = 48;
  static constexpr int LENGTH_SYMBOLS = 28;
  static constexpr int LZ_TABLE = MAIN_SYMBOLS + OFFSET_SYMBOLS + LENGTH_SYMBOLS;
  static constexpr int AUDIO_SYMBOLS = 257;
  static constexpr int MAX_CHANNELS = 4;
  // The decoder keeps one array of code lengths for both modes.
  static constexpr int TABLE_CAPACITY = AUDIO_SYMBOLS * MAX_CHANNELS;

  static constexpr int REPEAT_LAST = 256;
  static constexpr int FIRST_REPEAT = 257;
  static constexpr int FIRST_SHORT = 261;
  static constexpr int NEW_TABLES = 269;
  static constexpr int FIRST_LENGTH = 270;
  static constexpr int AUDIO_NEW_TABLES = 256;

  static constexpr uint32_t WINDOW = 1u << 20;
  // A distance of a whole window would read the byte being written.
  static constexpr uint32_t MAX_DISTANCE = WINDOW - 1;
  static constexpr uint32_t MAX_SHORT_DISTANCE = 256;
  // Biggest value a length symbol and its extra bits can carry.
  static constexpr uint32_t MAX_LENGTH_VALUE = 255;

  struct Slot {
    uint8_t symbol = 0;
    uint8_t bits = 0;
    uint16_t extra = 0;
  };

  // value 0..255: symbol of the 28-entry length alphabet.
  static Slot Length(uint32_t value);
  // distance 1..1048576: symbol of the 48-entry distance alphabet.
  static Slot Offset(uint32_t distance);
  // distance 1..256 of a two-byte match: index 0..7 of the short symbols.
  static Slot Short(uint32_t distance);

  static int LengthBits(int symbol);
  static int OffsetBits(int symbol);
  static int ShortBits(int index);

  // The decoder lengthens a new match by one beyond 8191 and by one more
  // beyond 262143; a repeated distance also gains one beyond 256.
  static uint32_t NewMatchBonus(uint32_t distance) {
    return static_cast<uint32_t>(distance >= 0x2000) + static_cast<uint32_t>(distance >= 0x40000);
  }
  static uint32_t RepeatBonus(uint32_t distance) {
    return static_cast<uint32_t>(distance >= 0x101) + NewMatchBonus(distance);
  }
  static uint32_t MinNewMatch(uint32_t distance) { return 3 + NewMatchBonus(distance); }
  static uint32_t MaxNewMatch(uint32_t distance) { return 3 + MAX_LENGTH_VALUE + NewMatchBonus(distance); }
  static uint32_t MinRepeat(uint32_t distance) { return 2 + RepeatBonus(distance); }
  static uint32_t MaxRepeat(uint32_t distance) { return 2 + MAX_LENGTH_VALUE + RepeatBonus(distance); }
};

}  // namespace ynx::tools
