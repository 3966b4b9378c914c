#include "tools/rar/LzParser.h"

#include <algorithm>
#include <cmath>

namespace ynx::tools {

namespace {

using A = Rar20Alphabet;

// Price of a symbol the block before did not use.
constexpr int32_t UNSEEN_PRICE = 12;

}  // namespace

LzParser::LzParser(MatchFinder& finder, const Settings& settings) : finder(finder), settings(settings) {
  // First guesses, until a block has been coded.
  for (int symbol = 256; symbol < A::MAIN_SYMBOLS; ++symbol) mainPrice[symbol] = 8;
  for (int back = 0; back < 4; ++back) mainPrice[A::FIRST_REPEAT + back] = 7;
  for (int symbol = A::FIRST_LENGTH; symbol < A::MAIN_SYMBOLS; ++symbol) {
    mainPrice[symbol] = 7 + (symbol - A::FIRST_LENGTH) / 8;
  }
  offsetPrice.fill(6);
  lengthPrice.fill(4);
}

void LzParser::Restart() {
  inserted = 0;
  for (Found& found : lookahead) found.position = ~uint64_t{0};
}

void LzParser::LearnPrices(const uint8_t* mainLengths, const uint8_t* offsetLengths, const uint8_t* lengthLengths) {
  auto learn = [](int32_t* prices, const uint8_t* lengths, int from, int to) {
    for (int symbol = from; symbol < to; ++symbol) prices[symbol] = lengths[symbol] != 0 ? lengths[symbol] : UNSEEN_PRICE;
  };
  learn(mainPrice.data(), mainLengths, 256, A::MAIN_SYMBOLS);
  learn(offsetPrice.data(), offsetLengths, 0, A::OFFSET_SYMBOLS);
  learn(lengthPrice.data(), lengthLengths, 0, A::LENGTH_SYMBOLS);
}

void LzParser::SetLiteralPrices(uint64_t start, uint64_t end) {
  // Literals are priced from the byte counts of the segment itself.
  std::array<uint32_t, 256> counts{};
  const uint8_t* data = finder.At(start);
  const size_t size = end - start;
  for (size_t index = 0; index < size; ++index) ++counts[data[index]];
  for (int byte = 0; byte < 256; ++byte) {
    const double bits = counts[byte] == 0 ? 15.0 : std::log2(static_cast<double>(size) / counts[byte]);
    mainPrice[byte] = std::clamp(static_cast<int32_t>(std::lround(bits)), 1, 15);
  }
  literalPrefix.resize(size + 1);
  literalPrefix[0] = 0;
  for (size_t index = 0; index < size; ++index) literalPrefix[index + 1] = literalPrefix[index] + mainPrice[data[index]];
}

int32_t LzParser::LiteralBits(uint64_t position, uint32_t length) const {
  const size_t from = position - segmentStart;
  return literalPrefix[from + length] - literalPrefix[from];
}

const LzParser::Found& LzParser::Lookup(uint64_t position, uint64_t end) {
  Found& found = lookahead[position & 3];
  if (found.position == position) return found;
  found.position = position;
  found.count = 0;
  found.pairDistance = 0;
  if (inserted > position) return found;
  while (inserted < position) finder.Insert(inserted++);
  const auto limit = static_cast<uint32_t>(std::min<uint64_t>(MatchFinder::MAX_MATCH, end - position));
  found.pairDistance = finder.FindPair(position);
  found.count = finder.Find(position, limit, settings.maxChain, settings.niceLength, found.candidates, MAX_CANDIDATES);
  finder.Insert(position);
  inserted = position + 1;
  return found;
}

LzParser::Choice LzParser::Evaluate(uint64_t position, uint64_t end, const Repeats& repeats) {
  Choice best;
  const Found& found = Lookup(position, end);
  const auto limit = static_cast<uint32_t>(std::min<uint64_t>(MatchFinder::MAX_MATCH, end - position));
  if (limit < 2) return best;
  auto consider = [&](int kind, uint32_t length, uint32_t distance, int32_t price) {
    const int32_t saving = LiteralBits(position, length) - price;
    if (saving > best.saving) best = {saving, length, distance, kind};
  };

  const uint32_t lastLength = repeats.lastLength;
  if (lastLength >= 2 && lastLength <= limit &&
      finder.MatchLength(position, repeats.lastDistance, lastLength) == lastLength) {
    consider(A::REPEAT_LAST, lastLength, repeats.lastDistance, mainPrice[A::REPEAT_LAST]);
  }
  for (int back = 1; back <= 4; ++back) {
    const uint32_t distance = repeats.Recent(back);
    if (distance == 0) continue;
    const uint32_t length = finder.MatchLength(position, distance, std::min(limit, A::MaxRepeat(distance)));
    if (length < A::MinRepeat(distance)) continue;
    const A::Slot slot = A::Length(length - 2 - A::RepeatBonus(distance));
    consider(A::REPEAT_LAST + back, length, distance,
             mainPrice[A::REPEAT_LAST + back] + lengthPrice[slot.symbol] + slot.bits);
  }
  for (int index = 0; index < found.count; ++index) {
    const uint32_t distance = found.candidates[index].distance;
    const uint32_t length = std::min({found.candidates[index].length, limit, A::MaxNewMatch(distance)});
    if (length < A::MinNewMatch(distance)) continue;
    const A::Slot lengthSlot = A::Length(length - 3 - A::NewMatchBonus(distance));
    const A::Slot offsetSlot = A::Offset(distance);
    consider(A::FIRST_LENGTH, length, distance,
             mainPrice[A::FIRST_LENGTH + lengthSlot.symbol] + lengthSlot.bits + offsetPrice[offsetSlot.symbol] +
                 offsetSlot.bits);
  }
  if (found.pairDistance != 0) {
    const A::Slot slot = A::Short(found.pairDistance);
    consider(A::FIRST_SHORT, 2, found.pairDistance, mainPrice[A::FIRST_SHORT + slot.symbol] + slot.bits);
  }
  return best;
}

void LzParser::EmitLiteral(uint64_t position, Block& block) const {
  const uint8_t byte = *finder.At(position);
  block.symbols.push_back({byte, 0, 0, 0});
  ++block.mainCounts[byte];
}

void LzParser::EmitMatch(const Choice& choice, Repeats& repeats, Block& block) const {
  Symbol symbol{};
  if (choice.kind == A::REPEAT_LAST) {
    symbol.main = A::REPEAT_LAST;
  } else if (choice.kind < A::FIRST_SHORT) {
    const A::Slot slot = A::Length(choice.length - 2 - A::RepeatBonus(choice.distance));
    symbol = {static_cast<uint16_t>(choice.kind), slot.symbol, 0, slot.extra};
    ++block.lengthCounts[slot.symbol];
    block.extraBits += slot.bits;
  } else if (choice.kind == A::FIRST_SHORT) {
    const A::Slot slot = A::Short(choice.distance);
    symbol = {static_cast<uint16_t>(A::FIRST_SHORT + slot.symbol), 0, slot.extra, 0};
    block.extraBits += slot.bits;
  } else {
    const A::Slot lengthSlot = A::Length(choice.length - 3 - A::NewMatchBonus(choice.distance));
    const A::Slot offsetSlot = A::Offset(choice.distance);
    symbol = {static_cast<uint16_t>(A::FIRST_LENGTH + lengthSlot.symbol), offsetSlot.symbol, lengthSlot.extra,
              offsetSlot.extra};
    ++block.offsetCounts[offsetSlot.symbol];
    block.extraBits += lengthSlot.bits + offsetSlot.bits;
  }
  ++block.mainCounts[symbol.main];
  block.symbols.push_back(symbol);
  repeats.Push(choice.distance, choice.length);
}

void LzParser::Parse(uint64_t start, uint64_t end, Repeats& repeats, Block& block) {
  segmentStart = start;
  SetLiteralPrices(start, end);
  uint64_t position = start;
  Choice current = Evaluate(position, end, repeats);
  while (position < end) {
    bool defer = false;
    if (current.length != 0 && current.length < settings.niceLength) {
      for (int step = 1; step <= settings.lazySteps && position + step < end; ++step) {
        if (Evaluate(position + step, end, repeats).saving > current.saving) {
          defer = true;
          break;
        }
      }
    }
    if (current.length == 0 || defer) {
      EmitLiteral(position, block);
      ++position;
    } else {
      EmitMatch(current, repeats, block);
      position += current.length;
    }
    if (position < end) current = Evaluate(position, end, repeats);
  }
}

void LzParser::Skip(uint64_t end) {
  while (inserted < end) finder.Insert(inserted++);
}

}  // namespace ynx::tools
