#include <gtest/gtest.h>

#include <limits>

#include "engine/math/Color.h"

namespace ynx {
namespace {

TEST(ColorTest, PacksAlphaRedGreenBlueTruncated) {
  EXPECT_EQ((Color{1, 0.5f, 0.25f, 1}).ToARGB(), 0xFFFF7F3Fu);
  // 254.7 truncates to 0xFE; alpha 0.5 to 0x7F.
  EXPECT_EQ((Color{0.999f, 0.2f, 0.6f, 0.5f}).ToARGB(), 0x7FFE3399u);
  EXPECT_EQ((Color{0, 0, 0, 0}).ToARGB(), 0u);
}

TEST(ColorTest, OutOfRangeChannelsSaturateWithoutBleeding) {
  EXPECT_EQ((Color{0, 0, 2, 0}).ToARGB(), 0x000000FFu);
  EXPECT_EQ((Color{2, -1, 1.5f, 300}).ToARGB(), 0xFFFF00FFu);
  EXPECT_EQ((Color{-0.5f, 0, 0, -1e30f}).ToARGB(), 0u);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ((Color{nan, 1, nan, nan}).ToARGB(), 0x0000FF00u);
}

}  // namespace
}  // namespace ynx
