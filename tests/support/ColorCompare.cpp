#include "tests/support/ColorCompare.h"

#include <algorithm>
#include <cstdlib>

namespace ynx::test {

bool ColorCompare::Near(uint32_t a, uint32_t b, int tolerance, bool alpha) {
  for (int shift = 0; shift < (alpha ? 32 : 24); shift += 8) {
    if (std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)) > tolerance) return false;
  }
  return true;
}

size_t ColorCompare::Differences(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int tolerance) {
  if (a.size() != b.size()) return std::max(a.size(), b.size());
  size_t count = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    if (!Near(a[i], b[i], tolerance, false)) ++count;
  }
  return count;
}

}  // namespace ynx::test
