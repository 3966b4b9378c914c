#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/rar/Rar20Alphabet.h"

namespace ynx::tools {

// Hash chains over the data of one compressed stream, reaching back a whole
// window. Positions count bytes from the start of the stream; the buffer
// keeps one window of history before the newest data.
class MatchFinder {
 public:
  static constexpr uint32_t MAX_MATCH = Rar20Alphabet::MAX_LENGTH_VALUE + 5;

  struct Candidate {
    uint32_t length;
    uint32_t distance;
  };

  MatchFinder();

  // Forgets everything: the next data starts a new stream at position 0.
  void Reset();
  // Adds the data after what is there; returns the position of its first byte.
  uint64_t Append(const uint8_t* data, size_t size);

  uint64_t End() const { return base + buffer.size(); }
  const uint8_t* At(uint64_t position) const { return buffer.data() + (position - base); }

  // Matches at `position` from the positions inserted so far, each longer
  // than the one before, nearest first: the latest three equal bytes within
  // 8 KB (farther three-byte matches cannot be coded), then a chain of four
  // equal bytes, followed for at most `maxChain` steps or up to
  // `niceLength`. Returns how many were found.
  int Find(uint64_t position, uint32_t limit, int maxChain, uint32_t niceLength, Candidate* found,
           int capacity) const;
  // Distance (1..256) of the latest two bytes equal to those at `position`,
  // or 0.
  uint32_t FindPair(uint64_t position) const;
  // Length of the match `distance` back, at most `limit`.
  uint32_t MatchLength(uint64_t position, uint32_t distance, uint32_t limit) const;

  // Positions must be inserted in increasing order, each after its own Find.
  void Insert(uint64_t position);

 private:
  static constexpr int HASH_BITS = 19;
  static constexpr int NEAR_HASH_BITS = 16;
  static constexpr uint64_t NEAR = 0x2000;
  static constexpr uint32_t CHAIN_MASK = Rar20Alphabet::WINDOW - 1;

  uint32_t Encode(uint64_t position);
  uint64_t Decode(uint32_t entry) const { return tableBase + entry - 1; }

  std::vector<uint8_t> buffer;
  uint64_t base = 0;
  // Entries hold position - tableBase + 1; 0 is empty.
  uint64_t tableBase = 0;
  std::vector<uint32_t> head;
  std::vector<uint32_t> nearHead;
  std::vector<uint32_t> pairHead;
  std::vector<uint32_t> previous;
};

}  // namespace ynx::tools
