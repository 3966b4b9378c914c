#include "tools/rar/MatchFinder.h"

#include <algorithm>
#include <cstring>

namespace ynx::tools {

namespace {

constexpr uint64_t REBASE_AT = 0xF0000000u;

uint32_t Load32(const uint8_t* bytes) {
  uint32_t value;
  std::memcpy(&value, bytes, 4);
  return value;
}

uint32_t Hash3(const uint8_t* bytes, int bits) {
  const uint32_t value = uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16;
  return (value * 2654435761u) >> (32 - bits);
}

uint32_t Hash4(const uint8_t* bytes, int bits) { return (Load32(bytes) * 2654435761u) >> (32 - bits); }

uint32_t Pair(const uint8_t* bytes) { return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8; }

uint32_t CommonLength(const uint8_t* a, const uint8_t* b, uint32_t limit) {
  uint32_t length = 0;
  while (length + 8 <= limit) {
    uint64_t x, y;
    std::memcpy(&x, a + length, 8);
    std::memcpy(&y, b + length, 8);
    if (x != y) return length + static_cast<uint32_t>(__builtin_ctzll(x ^ y) >> 3);
    length += 8;
  }
  while (length < limit && a[length] == b[length]) ++length;
  return length;
}

}  // namespace

MatchFinder::MatchFinder()
    : head(size_t{1} << HASH_BITS, 0),
      nearHead(size_t{1} << NEAR_HASH_BITS, 0),
      pairHead(size_t{1} << 16, 0),
      previous(Rar20Alphabet::WINDOW, 0) {}

void MatchFinder::Reset() {
  buffer.clear();
  base = 0;
  tableBase = 0;
  std::fill(head.begin(), head.end(), 0u);
  std::fill(nearHead.begin(), nearHead.end(), 0u);
  std::fill(pairHead.begin(), pairHead.end(), 0u);
}

uint64_t MatchFinder::Append(const uint8_t* data, size_t size) {
  if (buffer.size() > Rar20Alphabet::WINDOW) {
    const size_t dropped = buffer.size() - Rar20Alphabet::WINDOW;
    buffer.erase(buffer.begin(), buffer.begin() + static_cast<ptrdiff_t>(dropped));
    base += dropped;
  }
  const uint64_t start = End();
  buffer.insert(buffer.end(), data, data + size);
  return start;
}

uint32_t MatchFinder::Encode(uint64_t position) {
  if (position - tableBase >= REBASE_AT) {
    // Entries further back than a window are never followed; drop them and
    // count the rest from a new origin.
    const uint64_t newBase = position - Rar20Alphabet::WINDOW;
    const uint64_t shift = newBase - tableBase;
    auto rebase = [shift](uint32_t& entry) { entry = entry > shift ? static_cast<uint32_t>(entry - shift) : 0; };
    std::for_each(head.begin(), head.end(), rebase);
    std::for_each(nearHead.begin(), nearHead.end(), rebase);
    std::for_each(pairHead.begin(), pairHead.end(), rebase);
    std::for_each(previous.begin(), previous.end(), rebase);
    tableBase = newBase;
  }
  return static_cast<uint32_t>(position - tableBase + 1);
}

void MatchFinder::Insert(uint64_t position) {
  if (position + 2 > End()) return;
  const uint8_t* bytes = At(position);
  const uint32_t entry = Encode(position);
  pairHead[Pair(bytes)] = entry;
  if (position + 3 > End()) return;
  nearHead[Hash3(bytes, NEAR_HASH_BITS)] = entry;
  if (position + 4 > End()) return;
  uint32_t& slot = head[Hash4(bytes, HASH_BITS)];
  previous[position & CHAIN_MASK] = slot;
  slot = entry;
}

int MatchFinder::Find(uint64_t position, uint32_t limit, int maxChain, uint32_t niceLength, Candidate* found,
                      int capacity) const {
  if (limit < 3 || position + 3 > End()) return 0;
  const uint8_t* current = At(position);
  uint32_t best = 2;
  int count = 0;
  auto record = [&](uint32_t length, uint64_t distance) {
    best = length;
    // When full, the longest so far gives way to the longer one.
    if (count == capacity) --count;
    found[count++] = {length, static_cast<uint32_t>(distance)};
  };

  const uint32_t nearEntry = nearHead[Hash3(current, NEAR_HASH_BITS)];
  if (nearEntry != 0 && position - Decode(nearEntry) < NEAR) {
    const uint64_t distance = position - Decode(nearEntry);
    const uint32_t length = CommonLength(At(position - distance), current, limit);
    if (length >= 3) record(length, distance);
  }
  if (best >= limit || best >= niceLength || position + 4 > End()) return count;

  uint32_t entry = head[Hash4(current, HASH_BITS)];
  const uint32_t first = Load32(current);
  for (int steps = 0; entry != 0 && steps < maxChain; ++steps) {
    const uint64_t candidate = Decode(entry);
    const uint64_t distance = position - candidate;
    if (distance > Rar20Alphabet::MAX_DISTANCE) break;
    const uint8_t* earlier = At(candidate);
    if (earlier[best] == current[best] && Load32(earlier) == first) {
      const uint32_t length = CommonLength(earlier, current, limit);
      if (length > best) {
        record(length, distance);
        if (length >= niceLength || length >= limit) break;
      }
    }
    entry = previous[candidate & CHAIN_MASK];
  }
  return count;
}

uint32_t MatchFinder::FindPair(uint64_t position) const {
  if (position + 2 > End()) return 0;
  const uint32_t entry = pairHead[Pair(At(position))];
  if (entry == 0) return 0;
  const uint64_t distance = position - Decode(entry);
  return distance >= 1 && distance <= Rar20Alphabet::MAX_SHORT_DISTANCE ? static_cast<uint32_t>(distance) : 0;
}

uint32_t MatchFinder::MatchLength(uint64_t position, uint32_t distance, uint32_t limit) const {
  return CommonLength(At(position - distance), At(position), limit);
}

}  // namespace ynx::tools
