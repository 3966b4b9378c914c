#include "engine/io/Rar2Unpacker.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace ynx {
namespace {

// Match lengths and distances: a base for each symbol and the count of
// extra bits that follow it.
constexpr uint8_t LENGTH_BASE[28] = {0,  1,  2,  3,  4,  5,  6,   7,   8,   10,  12,  14,  16,  20,
                                     24, 28, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224};
constexpr uint8_t LENGTH_BITS[28] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,
                                     2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};
constexpr uint32_t DISTANCE_BASE[48] = {
    0,      1,      2,      3,      4,      6,      8,      12,     16,     24,    32,    48,
    64,     96,     128,    192,    256,    384,    512,    768,    1024,   1536,  2048,  3072,
    4096,   6144,   8192,   12288,  16384,  24576,  32768,  49152,  65536,  98304, 131072, 196608,
    262144, 327680, 393216, 458752, 524288, 589824, 655360, 720896, 786432, 851968, 917504, 983040};
constexpr uint8_t DISTANCE_BITS[48] = {0,  0,  0,  0,  1,  1,  2,  2,  3,  3,  4,  4,  5,  5,  6,  6,
                                       7,  7,  8,  8,  9,  9,  10, 10, 11, 11, 12, 12, 13, 13, 14, 14,
                                       15, 15, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16};
constexpr uint8_t SHORT_BASE[8] = {0, 4, 8, 16, 32, 64, 128, 192};
constexpr uint8_t SHORT_BITS[8] = {2, 2, 3, 4, 5, 6, 6, 6};

// The code that transmits the code lengths of the tables.
constexpr int LENGTH_CODE_SYMBOLS = 19;

// Far matches are one or two bytes longer than their length symbol says.
inline uint32_t FarBonus(uint32_t distance) {
  return (distance >= 0x2000 ? 1u : 0u) + (distance >= 0x40000 ? 1u : 0u);
}

}  // namespace

Rar2Unpacker::Rar2Unpacker() { Reset(); }

Rar2Unpacker::~Rar2Unpacker() = default;

void Rar2Unpacker::Reset() {
  literals.Clear();
  distances.Clear();
  repeats.Clear();
  for (Rar2HuffmanTable& table : audio) table.Clear();
  std::memset(lengths, 0, sizeof(lengths));
  audioMode = false;
  channels = 1;
  channel = 0;
  channelDelta = 0;
  std::memset(audioChannels, 0, sizeof(audioChannels));
  std::memset(lastDistances, 0, sizeof(lastDistances));
  lastDistanceIndex = 0;
  lastDistance = 0;
  lastLength = 0;
  historyEnd = 0;
  historySize = 0;
}

bool Rar2Unpacker::Unpack(const uint8_t* packed, size_t packedSize, uint8_t* out, size_t outSize,
                          bool continueStream, bool keepHistory) {
  Rar2BitReader reader(packed, packedSize);
  if (!continueStream) {
    Reset();
    reader.Refill();
    if (!ReadTables(reader)) return false;
  }
  if (!Decode(reader, out, outSize) || reader.Overrun()) return false;
  if (keepHistory) Remember(out, outSize);
  return true;
}

bool Rar2Unpacker::ReadTables(Rar2BitReader& reader) {
  // The reader holds at least 56 bits here.
  const uint32_t header = reader.Peek16();
  audioMode = (header & 0x8000) != 0;
  if ((header & 0x4000) == 0) std::memset(lengths, 0, sizeof(lengths));
  reader.Skip(2);
  int count = LITERAL_SYMBOLS + DISTANCE_SYMBOLS + REPEAT_SYMBOLS;
  if (audioMode) {
    channels = static_cast<int>((header >> 12) & 3) + 1;
    if (channel >= channels) channel = 0;
    reader.Skip(2);
    count = AUDIO_SYMBOLS * channels;
  }
  uint8_t codeLengths[LENGTH_CODE_SYMBOLS];
  for (uint8_t& length : codeLengths) {
    reader.Refill();
    length = static_cast<uint8_t>(reader.Read(4));
  }
  Rar2HuffmanTable lengthCode;
  if (!lengthCode.Build(codeLengths, LENGTH_CODE_SYMBOLS)) return false;

  uint8_t table[MAX_CHANNELS * AUDIO_SYMBOLS];
  for (int i = 0; i < count;) {
    reader.Refill();
    const int symbol = lengthCode.Decode(reader);
    if (symbol < 0) return false;
    if (symbol < 16) {
      table[i] = static_cast<uint8_t>((symbol + lengths[i]) & 0xF);
      ++i;
    } else if (symbol == 16) {
      if (i == 0) return false;
      const int repeat = 3 + static_cast<int>(reader.Read(2));
      for (int n = 0; n < repeat && i < count; ++n, ++i) table[i] = table[i - 1];
    } else {
      const int zeros = symbol == 17 ? 3 + static_cast<int>(reader.Read(3))
                                     : 11 + static_cast<int>(reader.Read(7));
      for (int n = 0; n < zeros && i < count; ++n, ++i) table[i] = 0;
    }
  }
  if (reader.Overrun()) return false;
  std::memcpy(lengths, table, static_cast<size_t>(count));
  if (audioMode) {
    for (int c = 0; c < channels; ++c) {
      if (!audio[c].Build(table + c * AUDIO_SYMBOLS, AUDIO_SYMBOLS)) return false;
    }
    return true;
  }
  return literals.Build(table, LITERAL_SYMBOLS) &&
         distances.Build(table + LITERAL_SYMBOLS, DISTANCE_SYMBOLS) &&
         repeats.Build(table + LITERAL_SYMBOLS + DISTANCE_SYMBOLS, REPEAT_SYMBOLS);
}

bool Rar2Unpacker::Decode(Rar2BitReader& reader, uint8_t* out, size_t outSize) {
  size_t position = 0;
  while (position < outSize) {
    reader.Refill();
    if (audioMode) {
      const int symbol = audio[channel].Decode(reader);
      if (symbol < 0) return false;
      if (symbol == 256) {
        if (!ReadTables(reader)) return false;
        continue;
      }
      out[position++] = DecodeAudio(symbol);
      if (++channel == channels) channel = 0;
      continue;
    }
    int symbol = literals.Decode(reader);
    if (symbol < 256) {
      if (symbol < 0) return false;
      out[position++] = static_cast<uint8_t>(symbol);
      // Runs of literals with short codes: two more fit in the bits at hand.
      for (int more = 0; more < 2 && position < outSize; ++more) {
        symbol = literals.DecodeQuickBelow(reader, 256);
        if (symbol < 0) break;
        out[position++] = static_cast<uint8_t>(symbol);
      }
      continue;
    }
    uint32_t length;
    uint32_t distance;
    if (symbol >= 270) {
      symbol -= 270;
      length = LENGTH_BASE[symbol] + 3u;
      if (LENGTH_BITS[symbol] != 0) length += reader.Read(LENGTH_BITS[symbol]);
      const int code = distances.Decode(reader);
      if (code < 0) return false;
      distance = DISTANCE_BASE[code] + 1;
      if (DISTANCE_BITS[code] != 0) distance += reader.Read(DISTANCE_BITS[code]);
      length += FarBonus(distance);
    } else if (symbol == 269) {
      if (!ReadTables(reader)) return false;
      continue;
    } else if (symbol == 256) {
      // The last match again; there is none at the start of a stream.
      if (lastLength == 0) return false;
      length = lastLength;
      distance = lastDistance;
    } else if (symbol < 261) {
      distance = lastDistances[(lastDistanceIndex - static_cast<uint32_t>(symbol - 256)) & 3];
      const int code = repeats.Decode(reader);
      if (code < 0) return false;
      length = LENGTH_BASE[code] + 2u;
      if (LENGTH_BITS[code] != 0) length += reader.Read(LENGTH_BITS[code]);
      if (distance > 0x100) length += 1 + FarBonus(distance);
    } else {
      symbol -= 261;
      distance = SHORT_BASE[symbol] + 1u + reader.Read(SHORT_BITS[symbol]);
      length = 2;
    }
    lastDistances[lastDistanceIndex++ & 3] = distance;
    lastDistance = distance;
    lastLength = length;
    if (!CopyMatch(out, outSize, position, length, distance)) return false;
  }
  return true;
}

bool Rar2Unpacker::CopyMatch(uint8_t* out, size_t outSize, size_t& position, uint32_t length,
                             uint32_t distance) {
  const size_t count = std::min<size_t>(length, outSize - position);
  uint8_t* target = out + position;
  if (distance != 0 && distance <= position) {
    const uint8_t* source = target - distance;
    if (distance >= 8 && outSize - position >= count + 8) {
      // Eight bytes a step; the last step may write up to seven bytes past
      // the match, which the next symbols overwrite.
      for (size_t i = 0; i < count; i += 8) std::memcpy(target + i, source + i, 8);
    } else {
      for (size_t i = 0; i < count; ++i) target[i] = source[i];
    }
    position += count;
    return true;
  }
  // Reaching back into the entries before this one, in a solid stream.
  if (distance == 0 || distance - position > historySize) return false;
  const size_t back = distance - position;
  for (size_t i = 0; i < count; ++i) {
    target[i] = i < back ? history[(historyEnd - back + i) & (WINDOW_SIZE - 1)]
                         : out[position + i - distance];
  }
  position += count;
  return true;
}

uint8_t Rar2Unpacker::DecodeAudio(int delta) {
  AudioChannel& state = audioChannels[channel];
  ++state.count;
  state.d[3] = state.d[2];
  state.d[2] = state.d[1];
  state.d[1] = state.lastDelta - state.d[0];
  state.d[0] = state.lastDelta;
  const int predicted = 8 * state.lastByte + state.k[0] * state.d[0] + state.k[1] * state.d[1] +
                        state.k[2] * state.d[2] + state.k[3] * state.d[3] +
                        state.k[4] * channelDelta;
  const auto value = static_cast<uint8_t>(((predicted >> 3) & 0xFF) - delta);

  // How each variant of the predictor would have done, to adapt it every 32 bytes.
  const int scaled = static_cast<int8_t>(delta) * 8;
  state.errors[0] += static_cast<uint32_t>(std::abs(scaled));
  for (int i = 0; i < 4; ++i) {
    state.errors[1 + 2 * i] += static_cast<uint32_t>(std::abs(scaled - state.d[i]));
    state.errors[2 + 2 * i] += static_cast<uint32_t>(std::abs(scaled + state.d[i]));
  }
  state.errors[9] += static_cast<uint32_t>(std::abs(scaled - channelDelta));
  state.errors[10] += static_cast<uint32_t>(std::abs(scaled + channelDelta));

  channelDelta = state.lastDelta = static_cast<int8_t>(value - state.lastByte);
  state.lastByte = value;

  if ((state.count & 0x1F) == 0) {
    int best = 0;
    uint32_t least = state.errors[0];
    state.errors[0] = 0;
    for (int i = 1; i < 11; ++i) {
      if (state.errors[i] < least) {
        least = state.errors[i];
        best = i;
      }
      state.errors[i] = 0;
    }
    if (best != 0) {
      int& k = state.k[(best - 1) / 2];
      if ((best & 1) != 0) {
        if (k >= -16) --k;
      } else if (k < 16) {
        ++k;
      }
    }
  }
  return value;
}

void Rar2Unpacker::Remember(const uint8_t* out, size_t outSize) {
  if (!history) {
    history.reset(new (std::nothrow) uint8_t[WINDOW_SIZE]);
    if (!history) {
      historySize = 0;
      return;
    }
  }
  const size_t count = std::min(outSize, WINDOW_SIZE);
  const uint8_t* source = out + (outSize - count);
  const size_t start = historyEnd & (WINDOW_SIZE - 1);
  const size_t first = std::min(count, WINDOW_SIZE - start);
  std::memcpy(history.get() + start, source, first);
  std::memcpy(history.get(), source + first, count - first);
  historyEnd = (start + count) & (WINDOW_SIZE - 1);
  historySize = std::min(WINDOW_SIZE, historySize + count);
}

}  // namespace ynx
