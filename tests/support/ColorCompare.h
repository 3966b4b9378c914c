#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ynx::test {

// A8R8G8B8 words compared channel by channel, as pictures read back from a
// device are: tests and benchmarks accept the rasteriser's rounding this way.
class ColorCompare {
 public:
  // Whether no channel of `a` and `b` differs by more than `tolerance`;
  // alpha counts only when `alpha`.
  static bool Near(uint32_t a, uint32_t b, int tolerance, bool alpha = true);
  // Pixels whose red, green or blue differ by more than `tolerance`;
  // pictures of different sizes differ in every pixel of the larger.
  static size_t Differences(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int tolerance);
};

}  // namespace ynx::test
