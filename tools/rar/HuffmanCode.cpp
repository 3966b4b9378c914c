#include "tools/rar/HuffmanCode.h"

#include <algorithm>
#include <vector>

namespace ynx::tools {

void HuffmanCode::BuildLengths(const uint32_t* counts, int symbols, uint8_t* lengths) {
  std::fill(lengths, lengths + symbols, uint8_t{0});
  std::vector<int> used;
  for (int symbol = 0; symbol < symbols; ++symbol) {
    if (counts[symbol] != 0) used.push_back(symbol);
  }
  if (used.size() < 2) {
    const int first = used.empty() ? 0 : used[0];
    lengths[first] = 1;
    lengths[first == 0 ? 1 : 0] = 1;
    return;
  }

  // Huffman's construction with two queues: the leaves in ascending count,
  // and the inner nodes, which come out in ascending weight by themselves.
  std::sort(used.begin(), used.end(), [counts](int a, int b) {
    return counts[a] != counts[b] ? counts[a] < counts[b] : a < b;
  });
  const size_t leaves = used.size();
  std::vector<uint64_t> weight(2 * leaves - 1);
  std::vector<size_t> parent(2 * leaves - 1, 0);
  for (size_t index = 0; index < leaves; ++index) weight[index] = counts[used[index]];
  size_t nextLeaf = 0, nextInner = leaves, created = leaves;
  auto takeSmallest = [&]() {
    if (nextLeaf < leaves && (nextInner == created || weight[nextLeaf] <= weight[nextInner])) return nextLeaf++;
    return nextInner++;
  };
  while (created < 2 * leaves - 1) {
    const size_t a = takeSmallest();
    const size_t b = takeSmallest();
    weight[created] = weight[a] + weight[b];
    parent[a] = parent[b] = created;
    ++created;
  }
  std::vector<uint32_t> depth(2 * leaves - 1, 0);
  std::vector<uint32_t> perLength(leaves + 1, 0);
  for (size_t node = 2 * leaves - 1; node-- > 0;) {
    if (node + 1 < 2 * leaves - 1) depth[node] = depth[parent[node]] + 1;
    if (node < leaves) ++perLength[depth[node]];
  }

  // Too long codes are shortened the classic way (JPEG's adjustment): two
  // codes of the longest length go, one moves up a level, and a shorter code
  // splits into two. The code stays complete.
  for (size_t length = leaves; length > MAX_LENGTH; --length) {
    while (perLength[length] > 0) {
      size_t shorter = length - 2;
      while (perLength[shorter] == 0) --shorter;
      perLength[length] -= 2;
      perLength[length - 1] += 1;
      perLength[shorter + 1] += 2;
      perLength[shorter] -= 1;
    }
  }
  // The most frequent symbols take the shortest codes.
  size_t next = leaves;
  for (size_t length = 1; length <= std::min<size_t>(leaves, MAX_LENGTH); ++length) {
    for (uint32_t count = 0; count < perLength[length]; ++count) lengths[used[--next]] = static_cast<uint8_t>(length);
  }
}

uint64_t HuffmanCode::Cost(const uint32_t* counts, const uint8_t* lengths, int symbols) {
  uint64_t bits = 0;
  for (int symbol = 0; symbol < symbols; ++symbol) bits += uint64_t{counts[symbol]} * lengths[symbol];
  return bits;
}

void HuffmanCode::Assign(const uint8_t* lengths, int symbols) {
  std::array<uint32_t, MAX_LENGTH + 2> perLength{};
  for (int symbol = 0; symbol < symbols; ++symbol) ++perLength[lengths[symbol]];
  perLength[0] = 0;
  std::array<uint32_t, MAX_LENGTH + 2> next{};
  for (int length = 1; length <= MAX_LENGTH; ++length) next[length] = (next[length - 1] + perLength[length - 1]) << 1;
  codes.fill(0);
  lengthOf.fill(0);
  maxLength = 0;
  for (int symbol = 0; symbol < symbols; ++symbol) {
    lengthOf[symbol] = lengths[symbol];
    maxLength = std::max<int>(maxLength, lengths[symbol]);
    if (lengths[symbol] != 0) codes[symbol] = static_cast<uint16_t>(next[lengths[symbol]]++);
  }
}

}  // namespace ynx::tools
