#include "tools/rar/CodeLengthTable.h"

#include <algorithm>

#include "tools/rar/HuffmanCode.h"

namespace ynx::tools {

namespace {

constexpr int REPEAT_PREVIOUS = 16;  // 3-6 copies of the length before, 2 bits
constexpr int FEW_ZEROS = 17;        // 3-10 zeros, 3 bits
constexpr int MANY_ZEROS = 18;       // 11-138 zeros, 7 bits

int RunLength(const uint8_t* lengths, int from, int count, uint8_t value) {
  int end = from;
  while (end < count && lengths[end] == value) ++end;
  return end - from;
}

}  // namespace

CodeLengthTable::Encoding CodeLengthTable::Encode(const uint8_t* lengths, int count, bool keepPrevious) const {
  Encoding encoding;
  for (int index = 0; index < count;) {
    const uint8_t value = lengths[index];
    if (value == 0) {
      const int run = RunLength(lengths, index, count, 0);
      if (run >= 11) {
        const int taken = std::min(run, 138);
        encoding.steps.push_back({MANY_ZEROS, 7, static_cast<uint8_t>(taken - 11)});
        index += taken;
        continue;
      }
      if (run >= 3) {
        const int taken = std::min(run, 10);
        encoding.steps.push_back({FEW_ZEROS, 3, static_cast<uint8_t>(taken - 3)});
        index += taken;
        continue;
      }
    } else if (index > 0 && lengths[index - 1] == value) {
      const int run = RunLength(lengths, index, count, value);
      if (run >= 3) {
        const int taken = std::min(run, 6);
        encoding.steps.push_back({REPEAT_PREVIOUS, 2, static_cast<uint8_t>(taken - 3)});
        index += taken;
        continue;
      }
    }
    const uint8_t base = keepPrevious ? previous[index] : 0;
    encoding.steps.push_back({static_cast<uint8_t>((value - base) & 0x0F), 0, 0});
    ++index;
  }

  uint32_t counts[PRE_SYMBOLS] = {};
  uint64_t extraBits = 0;
  for (const Step& step : encoding.steps) {
    ++counts[step.symbol];
    extraBits += step.extraBits;
  }
  HuffmanCode::BuildLengths(counts, PRE_SYMBOLS, encoding.preLengths.data());
  encoding.bits = PRE_SYMBOLS * 4 + extraBits + HuffmanCode::Cost(counts, encoding.preLengths.data(), PRE_SYMBOLS);
  return encoding;
}

void CodeLengthTable::Plan(const uint8_t* lengths, int count, int channels) {
  std::copy(lengths, lengths + count, planned.begin());
  plannedCount = count;
  plannedChannels = channels;
  Encoding fresh = Encode(lengths, count, false);
  Encoding added = Encode(lengths, count, true);
  keep = added.bits < fresh.bits;
  chosen = std::move(keep ? added : fresh);
  bits = 2 + (channels > 0 ? 2 : 0) + chosen.bits;
}

void CodeLengthTable::Write(BitWriter& writer) {
  writer.Write(plannedChannels > 0 ? 1 : 0, 1);
  writer.Write(keep ? 1 : 0, 1);
  if (plannedChannels > 0) writer.Write(static_cast<uint32_t>(plannedChannels - 1), 2);
  for (uint8_t length : chosen.preLengths) writer.Write(length, 4);
  HuffmanCode preCode;
  preCode.Assign(chosen.preLengths.data(), PRE_SYMBOLS);
  for (const Step& step : chosen.steps) {
    preCode.Write(writer, step.symbol);
    if (step.extraBits > 0) writer.Write(step.extra, step.extraBits);
  }
  if (!keep) previous.fill(0);
  std::copy(planned.begin(), planned.begin() + plannedCount, previous.begin());
}

}  // namespace ynx::tools
