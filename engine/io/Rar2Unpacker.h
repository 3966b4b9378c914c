#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/io/Rar2BitReader.h"
#include "engine/io/Rar2HuffmanTable.h"

namespace ynx {

// The RAR 2.0 compression method: LZ77 over a 1 MB window with three prefix
// codes (298 literal/length symbols, 48 distance symbols, 28 lengths for
// repeated distances), the four last distances and short distances, and an
// audio mode of one to four channels, each a prefix code of byte deltas
// from an adaptive linear predictor. New tables can come at any point of the
// stream, switching between the modes.
//
// An entry unpacks straight into its output block. Entries of a solid
// archive continue one stream: the unpacker then keeps the tables, the
// distances, the audio state and the last 1 MB of output between them.
class Rar2Unpacker {
 public:
  static constexpr size_t WINDOW_SIZE = 0x100000;
  // At most this many bytes come out of one packed byte: a match of the
  // longest length (260) behind a one-bit code, for each of its 8 bits.
  static constexpr uint64_t MAX_BYTES_PER_PACKED_BYTE = 8 * 260;

  Rar2Unpacker();
  ~Rar2Unpacker();
  Rar2Unpacker(const Rar2Unpacker&) = delete;
  Rar2Unpacker& operator=(const Rar2Unpacker&) = delete;

  // Forgets the stream: the next entry starts afresh.
  void Reset();
  // Fills out[0, outSize) from the packed bytes. A new stream begins with
  // its tables; `continueStream` goes on with the state of the entry before
  // (solid), `keepHistory` keeps this entry's output for the next one. False
  // for corrupt data: an invalid table, a code no table has, a distance
  // before the start of the stream, or more bits than the packed data holds.
  bool Unpack(const uint8_t* packed, size_t packedSize, uint8_t* out, size_t outSize,
              bool continueStream, bool keepHistory);

 private:
  // The adaptive predictor of one audio channel.
  struct AudioChannel {
    int k[5];
    int d[4];
    int lastDelta;
    int lastByte;
    uint32_t errors[11];
    uint32_t count;
  };

  static constexpr int LITERAL_SYMBOLS = 298;
  static constexpr int DISTANCE_SYMBOLS = 48;
  static constexpr int REPEAT_SYMBOLS = 28;
  static constexpr int AUDIO_SYMBOLS = 257;
  static constexpr int MAX_CHANNELS = 4;

  bool ReadTables(Rar2BitReader& reader);
  bool Decode(Rar2BitReader& reader, uint8_t* out, size_t outSize);
  // Copies a match to out[position]; a match running past the end stops there.
  bool CopyMatch(uint8_t* out, size_t outSize, size_t& position, uint32_t length, uint32_t distance);
  uint8_t DecodeAudio(int delta);
  void Remember(const uint8_t* out, size_t outSize);

  Rar2HuffmanTable literals;
  Rar2HuffmanTable distances;
  Rar2HuffmanTable repeats;
  Rar2HuffmanTable audio[MAX_CHANNELS];
  // The code lengths of the last tables, which the next ones may change.
  uint8_t lengths[MAX_CHANNELS * AUDIO_SYMBOLS];

  bool audioMode = false;
  int channels = 1;
  int channel = 0;
  int channelDelta = 0;
  AudioChannel audioChannels[MAX_CHANNELS];

  uint32_t lastDistances[4];
  uint32_t lastDistanceIndex = 0;
  uint32_t lastDistance = 0;
  uint32_t lastLength = 0;

  // The output of the entries before, for the next entry of a solid stream:
  // a ring of WINDOW_SIZE bytes, allocated when first needed.
  std::unique_ptr<uint8_t[]> history;
  size_t historyEnd = 0;
  size_t historySize = 0;
};

}  // namespace ynx
