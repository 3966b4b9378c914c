#include "tools/rar/Rar20Encoder.h"

#include <algorithm>

namespace ynx::tools {

namespace {

using A = Rar20Alphabet;

// Input bytes per block: 131076 divides by 1, 2, 3 and 4, so that an audio
// block of any channel count ends on its last channel.
constexpr uint64_t SEGMENT = 12 * 10923;
// Audio mode is tried for blocks that LZ mode leaves above this share of
// their size, and the channel count is chosen on this many bytes.
constexpr double AUDIO_WORTH_TRYING = 0.35;
constexpr uint64_t CHANNEL_PROBE = 16384;
// About what the one-byte block that takes the audio channel to 0 costs.
constexpr uint64_t REALIGN_BITS = 200;
// Decoders peek at most this many bits for one code.
constexpr int MAX_PEEK = 10;

LzParser::Settings SettingsFor(int level) {
  switch (level) {
    case 1: return {4, 16, 0};
    case 2: return {8, 32, 0};
    case 3: return {32, 64, 1};
    case 4: return {128, 128, 1};
    default: return {320, MatchFinder::MAX_MATCH, 2};
  }
}

uint64_t ChannelCost(const std::array<uint32_t, A::AUDIO_SYMBOLS>& counts, uint8_t* lengths) {
  HuffmanCode::BuildLengths(counts.data(), A::AUDIO_SYMBOLS, lengths);
  return HuffmanCode::Cost(counts.data(), lengths, A::AUDIO_SYMBOLS);
}

}  // namespace

Rar20Encoder::Rar20Encoder(const Options& options)
    : options(options), parser(finder, SettingsFor(options.level)) {}

void Rar20Encoder::Reset() {
  finder.Reset();
  parser.Restart();
  started = false;
  modeChannels = 0;
  repeats = LzParser::Repeats{};
  table = CodeLengthTable{};
  predictors = {};
  channelDelta = 0;
  channel = 0;
}

std::vector<uint8_t> Rar20Encoder::Compress(const uint8_t* data, size_t size, Ending ending) {
  report = Report{};
  BitWriter writer;
  lastCodeAt = 0;
  lastCodePeek = 0;
  const uint64_t start = finder.Append(data, size);
  const uint64_t end = start + size - (ending == Ending::Exact && size > 0 ? 1 : 0);
  for (uint64_t from = start; from < end; from += SEGMENT) CodeSegment(from, std::min(end, from + SEGMENT), writer);
  if (ending == Ending::Exact && size > 0) {
    WriteExactEnd(end, writer);
  } else if (writer.BitCount() < lastCodeAt + static_cast<uint64_t>(lastCodePeek)) {
    writer.Write(0, static_cast<int>(lastCodeAt + static_cast<uint64_t>(lastCodePeek) - writer.BitCount()));
  }
  return writer.Finish();
}

void Rar20Encoder::WriteCode(const HuffmanCode& code, int symbol, BitWriter& writer) {
  lastCodeAt = writer.BitCount();
  lastCodePeek = std::min(code.MaxLength(), MAX_PEEK);
  code.Write(writer, symbol);
}

bool Rar20Encoder::EndsCleanly(const HuffmanCode& code, int symbol, const BitWriter& writer) const {
  if (code.Length(symbol) == 0) return false;
  const uint64_t from = writer.BitCount();
  const uint64_t byteEnd = (from + static_cast<uint64_t>(code.Length(symbol)) + 7) / 8 * 8;
  return byteEnd - from >= static_cast<uint64_t>(std::min(code.MaxLength(), MAX_PEEK));
}

void Rar20Encoder::WriteExactEnd(uint64_t position, BitWriter& writer) {
  const uint8_t byte = *finder.At(position);
  parser.Skip(position + 1);
  if (started && modeChannels == 0 && EndsCleanly(mainCode, byte, writer)) {
    WriteCode(mainCode, byte, writer);
    return;
  }
  if (started && modeChannels > 0) {
    AudioPredictor predictor = predictors[channel];
    int delta = channelDelta;
    const uint8_t symbol = predictor.Encode(byte, delta);
    if (EndsCleanly(audioCodes[channel], symbol, writer)) {
      predictors[channel] = predictor;
      channelDelta = delta;
      WriteCode(audioCodes[channel], symbol, writer);
      if (++channel == modeChannels) channel = 0;
      return;
    }
  }
  // A block of one literal: one-bit codes need no peek at all.
  BeginBlock(writer);
  std::array<uint32_t, A::MAIN_SYMBOLS> counts{};
  counts[byte] = 1;
  counts[A::NEW_TABLES] = 1;
  std::array<uint8_t, A::LZ_TABLE> lengths{};
  const std::array<uint32_t, A::OFFSET_SYMBOLS> none{};
  HuffmanCode::BuildLengths(counts.data(), A::MAIN_SYMBOLS, lengths.data());
  HuffmanCode::BuildLengths(none.data(), A::OFFSET_SYMBOLS, lengths.data() + A::MAIN_SYMBOLS);
  HuffmanCode::BuildLengths(none.data(), A::LENGTH_SYMBOLS, lengths.data() + A::MAIN_SYMBOLS + A::OFFSET_SYMBOLS);
  WriteLzTables(lengths.data(), writer);
  WriteCode(mainCode, byte, writer);
  ++report.lzBlocks;
}

void Rar20Encoder::CodeSegment(uint64_t start, uint64_t end, BitWriter& writer) {
  const uint64_t probeEnd = std::min(end, start + CHANNEL_PROBE);
  uint64_t audioProbeBits = 0;
  AudioPlan audio;
  if (options.audio == Audio::Force) {
    PlanAudio(start, end, ChooseChannels(start, probeEnd, audioProbeBits), audio);
    WriteAudio(audio, writer);
    return;
  }
  LzPlan lz;
  lz.repeats = repeats;
  parser.Parse(start, probeEnd, lz.repeats, lz.block);
  int channels = 0;
  if (options.audio == Audio::Auto) {
    channels = ChooseChannels(start, probeEnd, audioProbeBits);
    // Sound and pictures show on the first bytes: when audio mode beats LZ
    // mode there by far, the rest of the segment is only indexed for later
    // matches, not parsed.
    if (probeEnd < end && audioProbeBits * 5 < SymbolBits(lz.block) * 4) {
      parser.Skip(end);
      PlanAudio(start, end, channels, audio);
      WriteAudio(audio, writer);
      return;
    }
  }
  parser.Parse(probeEnd, end, lz.repeats, lz.block);
  FinishLz(lz);
  if (channels > 0 && static_cast<double>(lz.bits) > AUDIO_WORTH_TRYING * 8.0 * static_cast<double>(end - start)) {
    PlanAudio(start, end, channels, audio);
    if (audio.bits < lz.bits) {
      WriteAudio(audio, writer);
      return;
    }
  }
  WriteLz(lz, writer);
  ++report.lzBlocks;
}

uint64_t Rar20Encoder::SymbolBits(const LzParser::Block& block) {
  uint8_t lengths[A::MAIN_SYMBOLS];
  uint64_t bits = block.extraBits;
  HuffmanCode::BuildLengths(block.mainCounts.data(), A::MAIN_SYMBOLS, lengths);
  bits += HuffmanCode::Cost(block.mainCounts.data(), lengths, A::MAIN_SYMBOLS);
  HuffmanCode::BuildLengths(block.offsetCounts.data(), A::OFFSET_SYMBOLS, lengths);
  bits += HuffmanCode::Cost(block.offsetCounts.data(), lengths, A::OFFSET_SYMBOLS);
  HuffmanCode::BuildLengths(block.lengthCounts.data(), A::LENGTH_SYMBOLS, lengths);
  return bits + HuffmanCode::Cost(block.lengthCounts.data(), lengths, A::LENGTH_SYMBOLS);
}

void Rar20Encoder::FinishLz(LzPlan& plan) {
  LzParser::Block& block = plan.block;
  // The next table switch must have a code.
  ++block.mainCounts[A::NEW_TABLES];
  uint8_t* lengths = plan.lengths.data();
  HuffmanCode::BuildLengths(block.mainCounts.data(), A::MAIN_SYMBOLS, lengths);
  HuffmanCode::BuildLengths(block.offsetCounts.data(), A::OFFSET_SYMBOLS, lengths + A::MAIN_SYMBOLS);
  HuffmanCode::BuildLengths(block.lengthCounts.data(), A::LENGTH_SYMBOLS, lengths + A::MAIN_SYMBOLS + A::OFFSET_SYMBOLS);
  table.Plan(lengths, A::LZ_TABLE, 0);
  plan.bits = table.Bits() + block.extraBits +
              HuffmanCode::Cost(block.mainCounts.data(), lengths, A::MAIN_SYMBOLS) +
              HuffmanCode::Cost(block.offsetCounts.data(), lengths + A::MAIN_SYMBOLS, A::OFFSET_SYMBOLS) +
              HuffmanCode::Cost(block.lengthCounts.data(), lengths + A::MAIN_SYMBOLS + A::OFFSET_SYMBOLS,
                                A::LENGTH_SYMBOLS);
}

void Rar20Encoder::SimulateAudio(uint64_t start, uint64_t end, int channels, bool realign, AudioPlan& plan,
                                 std::array<Counts, A::MAX_CHANNELS>& counts, bool keepSymbols) const {
  plan.channels = channels;
  plan.realign = realign;
  plan.predictors = predictors;
  plan.channelDelta = channelDelta;
  counts = {};
  const uint8_t* data = finder.At(start);
  size_t index = 0;
  int current = channel < channels ? channel : 0;
  if (realign) {
    // One byte in a block of one channel more: the channel wraps to 0.
    plan.realignSymbol = plan.predictors[channel].Encode(data[index++], plan.channelDelta);
    current = 0;
  }
  const size_t size = end - start;
  if (keepSymbols) plan.symbols.resize(size - index);
  for (uint8_t* symbol = plan.symbols.data(); index < size; ++index) {
    const uint8_t value = plan.predictors[current].Encode(data[index], plan.channelDelta);
    ++counts[current][value];
    if (keepSymbols) *symbol++ = value;
    if (++current == channels) current = 0;
  }
}

int Rar20Encoder::ChooseChannels(uint64_t start, uint64_t end, uint64_t& bits) const {
  // The decoder's current channel carries over into the block and starts
  // again at 0 when it is beyond the new channel count. Decoders disagree
  // on a channel equal to the new count; then a one-byte block with one
  // channel more goes first, which takes the channel round to 0.
  AudioPlan plan;
  std::array<Counts, A::MAX_CHANNELS> counts;
  uint8_t scratch[A::AUDIO_SYMBOLS];
  int best = 0;
  for (int channels = 1; channels <= A::MAX_CHANNELS; ++channels) {
    const bool realign = channels == channel;
    if (realign && end - start < 2) continue;
    SimulateAudio(start, end, channels, realign, plan, counts, false);
    uint64_t total = realign ? REALIGN_BITS : 0;
    for (int index = 0; index < channels; ++index) total += ChannelCost(counts[index], scratch);
    if (best == 0 || total < bits) {
      best = channels;
      bits = total;
    }
  }
  return best;
}

void Rar20Encoder::PlanAudio(uint64_t start, uint64_t end, int channels, AudioPlan& plan) {
  std::array<Counts, A::MAX_CHANNELS> counts;
  SimulateAudio(start, end, channels, channels == channel, plan, counts, true);
  plan.bits = plan.realign ? REALIGN_BITS : 0;
  for (int index = 0; index < channels; ++index) {
    ++counts[index][A::AUDIO_NEW_TABLES];
    plan.bits += ChannelCost(counts[index], plan.lengths.data() + index * A::AUDIO_SYMBOLS);
  }
  table.Plan(plan.lengths.data(), channels * A::AUDIO_SYMBOLS, channels);
  plan.bits += table.Bits();
}

void Rar20Encoder::BeginBlock(BitWriter& writer) {
  // The first table of a stream is read unasked; later ones follow the
  // table switch symbol of the mode in force.
  if (started) {
    if (modeChannels == 0) {
      mainCode.Write(writer, A::NEW_TABLES);
    } else {
      audioCodes[channel].Write(writer, A::AUDIO_NEW_TABLES);
    }
  }
  started = true;
}

void Rar20Encoder::WriteLzTables(const uint8_t* lengths, BitWriter& writer) {
  table.Plan(lengths, A::LZ_TABLE, 0);
  table.Write(writer);
  mainCode.Assign(lengths, A::MAIN_SYMBOLS);
  offsetCode.Assign(lengths + A::MAIN_SYMBOLS, A::OFFSET_SYMBOLS);
  lengthCode.Assign(lengths + A::MAIN_SYMBOLS + A::OFFSET_SYMBOLS, A::LENGTH_SYMBOLS);
  modeChannels = 0;
}

void Rar20Encoder::WriteLz(LzPlan& plan, BitWriter& writer) {
  BeginBlock(writer);
  const uint8_t* lengths = plan.lengths.data();
  WriteLzTables(lengths, writer);
  for (const LzParser::Symbol& symbol : plan.block.symbols) {
    WriteCode(mainCode, symbol.main, writer);
    if (symbol.main >= A::FIRST_LENGTH) {
      writer.Write(symbol.mainExtra, A::LengthBits(symbol.main - A::FIRST_LENGTH));
      WriteCode(offsetCode, symbol.sub, writer);
      writer.Write(symbol.subExtra, A::OffsetBits(symbol.sub));
    } else if (symbol.main >= A::FIRST_SHORT) {
      writer.Write(symbol.mainExtra, A::ShortBits(symbol.main - A::FIRST_SHORT));
    } else if (symbol.main > A::REPEAT_LAST) {
      WriteCode(lengthCode, symbol.sub, writer);
      writer.Write(symbol.subExtra, A::LengthBits(symbol.sub));
    }
  }
  parser.LearnPrices(lengths, lengths + A::MAIN_SYMBOLS, lengths + A::MAIN_SYMBOLS + A::OFFSET_SYMBOLS);
  repeats = plan.repeats;
}

void Rar20Encoder::WriteAudioTables(const uint8_t* lengths, int channels, BitWriter& writer) {
  BeginBlock(writer);
  table.Plan(lengths, channels * A::AUDIO_SYMBOLS, channels);
  table.Write(writer);
  for (int index = 0; index < channels; ++index) {
    audioCodes[index].Assign(lengths + index * A::AUDIO_SYMBOLS, A::AUDIO_SYMBOLS);
  }
  if (channel >= channels) channel = 0;
  modeChannels = channels;
  ++report.audioBlocks;
}

void Rar20Encoder::WriteAudio(AudioPlan& plan, BitWriter& writer) {
  if (plan.realign) {
    const int channels = channel + 1;
    std::array<uint8_t, A::TABLE_CAPACITY> lengths{};
    for (int index = 0; index < channels; ++index) {
      Counts counts{};
      counts[A::AUDIO_NEW_TABLES] = 1;
      if (index == channel) counts[plan.realignSymbol] = 1;
      HuffmanCode::BuildLengths(counts.data(), A::AUDIO_SYMBOLS, lengths.data() + index * A::AUDIO_SYMBOLS);
    }
    WriteAudioTables(lengths.data(), channels, writer);
    WriteCode(audioCodes[channel], plan.realignSymbol, writer);
    channel = 0;
  }
  WriteAudioTables(plan.lengths.data(), plan.channels, writer);
  for (uint8_t symbol : plan.symbols) {
    WriteCode(audioCodes[channel], symbol, writer);
    if (++channel == plan.channels) channel = 0;
  }
  predictors = plan.predictors;
  channelDelta = plan.channelDelta;
}

}  // namespace ynx::tools
