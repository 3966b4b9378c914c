#pragma once

#include <gtest/gtest.h>

#include <cstdint>

namespace ynx::test {

// ColorCompare::Near as an assertion whose failure shows both colours.
::testing::AssertionResult NearColor(uint32_t actual, uint32_t expected, int tolerance = 1, bool alpha = true);

}  // namespace ynx::test
