#include "tests/support/NearColor.h"

#include <cstdio>

#include "tests/support/ColorCompare.h"

namespace ynx::test {

::testing::AssertionResult NearColor(uint32_t actual, uint32_t expected, int tolerance, bool alpha) {
  if (ColorCompare::Near(actual, expected, tolerance, alpha)) return ::testing::AssertionSuccess();
  char text[64];
  std::snprintf(text, sizeof text, "0x%08X, expected 0x%08X", actual, expected);
  return ::testing::AssertionFailure() << text;
}

}  // namespace ynx::test
