#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "tools/rar/MatchFinder.h"
#include "tools/rar/Rar20Alphabet.h"

namespace ynx::tools {

// Turns data into LZ symbols: candidates from the repeat distances, the hash
// chains and the two-byte short distances, priced in bits with the code
// lengths of the block before, optionally deferring a match by a byte or two
// when a later one saves more (lazy matching).
class LzParser {
 public:
  // One step of the LZ mode: a main symbol and what follows it. `sub` is
  // the length symbol after a repeated distance (257-260) or the distance
  // symbol after a new match (270 and up); `mainExtra` the bits after the
  // main symbol (a new match's length, a short distance), `subExtra` those
  // after `sub`.
  struct Symbol {
    uint16_t main;
    uint8_t sub;
    uint16_t mainExtra;
    uint16_t subExtra;
  };

  // The decoder's memory of earlier matches: the last four distances in a
  // ring, and the last distance and length for symbol 256.
  struct Repeats {
    std::array<uint32_t, 4> distances{};
    uint32_t index = 0;
    uint32_t lastDistance = 0;
    uint32_t lastLength = 0;

    // back 1..4, 1 being the latest.
    uint32_t Recent(int back) const { return distances[(index - static_cast<uint32_t>(back)) & 3]; }
    void Push(uint32_t distance, uint32_t length) {
      distances[index++ & 3] = distance;
      lastDistance = distance;
      lastLength = length;
    }
  };

  struct Settings {
    int maxChain;
    uint32_t niceLength;
    int lazySteps;
  };

  struct Block {
    std::vector<Symbol> symbols;
    std::array<uint32_t, Rar20Alphabet::MAIN_SYMBOLS> mainCounts{};
    std::array<uint32_t, Rar20Alphabet::OFFSET_SYMBOLS> offsetCounts{};
    std::array<uint32_t, Rar20Alphabet::LENGTH_SYMBOLS> lengthCounts{};
    uint64_t extraBits = 0;
  };

  LzParser(MatchFinder& finder, const Settings& settings);

  // Parses [start, end) of the finder's data into `block` (adding to what
  // is there); positions are inserted into the finder as they pass.
  void Parse(uint64_t start, uint64_t end, Repeats& repeats, Block& block);

  // Prices for the blocks to come, from the code lengths just chosen.
  void LearnPrices(const uint8_t* mainLengths, const uint8_t* offsetLengths, const uint8_t* lengthLengths);

  // Positions not yet inserted up to `end` go into the finder, for data that
  // was coded some other way but stays in the window.
  void Skip(uint64_t end);

  // A new stream starts at position 0.
  void Restart();

 private:
  static constexpr int MAX_CANDIDATES = 24;

  struct Choice {
    int32_t saving = 0;  // bits saved against literals; 0 for a literal
    uint32_t length = 0;
    uint32_t distance = 0;
    int kind = 0;  // symbol 256, 257-260, a short distance (261) or a new match (270)
  };
  struct Found {
    uint64_t position = ~uint64_t{0};
    int count = 0;
    MatchFinder::Candidate candidates[MAX_CANDIDATES];
    uint32_t pairDistance = 0;
  };

  const Found& Lookup(uint64_t position, uint64_t end);
  Choice Evaluate(uint64_t position, uint64_t end, const Repeats& repeats);
  int32_t LiteralBits(uint64_t position, uint32_t length) const;
  void EmitLiteral(uint64_t position, Block& block) const;
  void EmitMatch(const Choice& choice, Repeats& repeats, Block& block) const;
  void SetLiteralPrices(uint64_t start, uint64_t end);

  MatchFinder& finder;
  Settings settings;
  uint64_t inserted = 0;
  uint64_t segmentStart = 0;
  std::array<Found, 4> lookahead;
  std::vector<int32_t> literalPrefix;  // bits of the literals of the segment so far
  std::array<int32_t, Rar20Alphabet::MAIN_SYMBOLS> mainPrice{};
  std::array<int32_t, Rar20Alphabet::OFFSET_SYMBOLS> offsetPrice{};
  std::array<int32_t, Rar20Alphabet::LENGTH_SYMBOLS> lengthPrice{};
};

}  // namespace ynx::tools
