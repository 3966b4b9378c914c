#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "tools/rar/AudioPredictor.h"
#include "tools/rar/CodeLengthTable.h"
#include "tools/rar/HuffmanCode.h"
#include "tools/rar/LzParser.h"
#include "tools/rar/MatchFinder.h"

namespace ynx::tools {

// The 2.0 compression method: the data goes in segments, each coded as one
// block in LZ mode or in audio mode (1 to 4 channels), whichever is smaller,
// with its own code tables. The encoder mirrors every piece of decoder state
// that outlives a block (repeat distances, code lengths, predictors, the
// current channel), so that a stream may go on over several files (solid).
class Rar20Encoder {
 public:
  // Audio mode: chosen per block when smaller, always, or never.
  enum class Audio { Auto, Force, Off };

  // How a file's data ends. Some decoders peek a whole table index (up to
  // 10 bits) at every code and fail when the data ends sooner; others carry
  // unread whole bytes of one file into the next file of a solid stream.
  enum class Ending {
    // Zero bytes follow the last code when a peek needs them.
    Padded,
    // The data ends in the byte of the last code, and that code needs no
    // peek past it; the last byte goes in a little block of its own when
    // it must.
    Exact,
  };

  struct Options {
    int level = 3;  // 1 fastest .. 5 best match finding
    Audio audio = Audio::Auto;
  };

  struct Report {
    uint32_t lzBlocks = 0;
    uint32_t audioBlocks = 0;
  };

  explicit Rar20Encoder(const Options& options);

  // Compresses the next file of the stream; the decoder state carries on
  // from the file before unless Reset was called.
  std::vector<uint8_t> Compress(const uint8_t* data, size_t size, Ending ending);
  // The next file starts a new stream.
  void Reset();

  // Blocks of each mode in the last compressed file.
  const Report& LastReport() const { return report; }

 private:
  using Counts = std::array<uint32_t, Rar20Alphabet::AUDIO_SYMBOLS>;

  struct LzPlan {
    LzParser::Block block;
    LzParser::Repeats repeats;
    std::array<uint8_t, Rar20Alphabet::LZ_TABLE> lengths{};
    uint64_t bits = 0;
  };
  struct AudioPlan {
    int channels = 0;
    // The first byte goes in a block of its own, coded as `realignSymbol`
    // on the current channel.
    bool realign = false;
    uint8_t realignSymbol = 0;
    std::vector<uint8_t> symbols;
    std::array<AudioPredictor, Rar20Alphabet::MAX_CHANNELS> predictors;
    int channelDelta = 0;
    std::array<uint8_t, Rar20Alphabet::TABLE_CAPACITY> lengths{};
    uint64_t bits = 0;
  };

  void CodeSegment(uint64_t start, uint64_t end, BitWriter& writer);
  // Bits of the block's symbols alone, with codes made for them.
  static uint64_t SymbolBits(const LzParser::Block& block);
  // Code lengths and exact size of a parsed block.
  void FinishLz(LzPlan& plan);
  // The channel count that codes [start, end) best, and its cost in bits.
  int ChooseChannels(uint64_t start, uint64_t end, uint64_t& bits) const;
  void PlanAudio(uint64_t start, uint64_t end, int channels, AudioPlan& plan);
  // Audio symbols of [start, end) over `channels` channels from the current
  // predictors, without touching them; counts per channel.
  void SimulateAudio(uint64_t start, uint64_t end, int channels, bool realign, AudioPlan& plan,
                     std::array<Counts, Rar20Alphabet::MAX_CHANNELS>& counts, bool keepSymbols) const;
  void BeginBlock(BitWriter& writer);
  void WriteLzTables(const uint8_t* lengths, BitWriter& writer);
  void WriteLz(LzPlan& plan, BitWriter& writer);
  void WriteAudioTables(const uint8_t* lengths, int channels, BitWriter& writer);
  void WriteAudio(AudioPlan& plan, BitWriter& writer);
  // Ends the file on its last byte at `position` so that no peek runs past
  // the data.
  void WriteExactEnd(uint64_t position, BitWriter& writer);
  // Writes a prefix code, noting where it began and how far decoders peek.
  void WriteCode(const HuffmanCode& code, int symbol, BitWriter& writer);
  // True when `code` for `symbol` written now would leave the data ending
  // within the byte of that code, with no peek past it.
  bool EndsCleanly(const HuffmanCode& code, int symbol, const BitWriter& writer) const;

  Options options;
  MatchFinder finder;
  LzParser parser;
  Report report;
  // The last prefix code of the file: where it began, in bits, and how many
  // bits decoders may peek from there.
  uint64_t lastCodeAt = 0;
  int lastCodePeek = 0;

  // The decoder's state.
  bool started = false;
  int modeChannels = 0;  // 0: LZ mode
  LzParser::Repeats repeats;
  CodeLengthTable table;
  HuffmanCode mainCode;
  HuffmanCode offsetCode;
  HuffmanCode lengthCode;
  std::array<HuffmanCode, Rar20Alphabet::MAX_CHANNELS> audioCodes;
  std::array<AudioPredictor, Rar20Alphabet::MAX_CHANNELS> predictors;
  int channelDelta = 0;
  int channel = 0;
};

}  // namespace ynx::tools
