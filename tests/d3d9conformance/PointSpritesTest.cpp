#include <gtest/gtest.h>

#include <cmath>

#include "tests/d3d9conformance/PointModel.h"
#include "tests/d3d9conformance/ScriptCase.h"

namespace ynx::test {
namespace {

using PointSpriteTest = ScriptCase;

// Distance of a texture coordinate from the nearest texel edge, in texels:
// near an edge the device and the model may fairly pick either texel.
float FromTexelEdge(float coordinate, UINT size) {
  const float texels = coordinate * static_cast<float>(size);
  return std::fabs(texels - std::round(texels));
}

// Every pixel around every sprite against the model: inside, the texel
// the sprite's coordinate picks (top left samples the texture's top left);
// outside, the background. Sizes from POINTSIZE, PSIZE, the distance
// scale and the MIN / MAX clamp all show in where the edges fall.
TEST_F(PointSpriteTest, SpritesShowTheirTexelsAtTheModelsSize) {
  Play("sprites");
  ASSERT_FALSE(HasFatalFailure());
  size_t inside = 0;
  size_t outside = 0;
  for (const ScriptPlayer::DrawRecord& draw : player->Draws()) {
    std::vector<PointModel::Pixel> points;
    std::string error;
    ASSERT_TRUE(PointModel::Evaluate(*player, draw, points, error)) << "step " << draw.step << ": " << error;
    IDirect3DBaseTexture9* texture = player->Texture(draw.textures[0]);
    ASSERT_NE(texture, nullptr);
    for (const PointModel::Pixel& point : points) {
      const float half = point.size / 2.0f;
      ASSERT_GT(half, 1.0f) << "step " << draw.step << ", vertex " << point.vertex;
      size_t wrong = 0;
      std::string first;
      for (int y = static_cast<int>(std::floor(point.centerY - half)) - 2;
           y <= static_cast<int>(std::ceil(point.centerY + half)) + 2; ++y) {
        for (int x = static_cast<int>(std::floor(point.centerX - half)) - 2;
             x <= static_cast<int>(std::ceil(point.centerX + half)) + 2; ++x) {
          ASSERT_TRUE(x >= 0 && y >= 0 && x < static_cast<int>(image.width) && y < static_cast<int>(image.height))
              << "step " << draw.step << ": vertex " << point.vertex << " reaches off screen";
          const float dx = static_cast<float>(x) - point.centerX;
          const float dy = static_cast<float>(y) - point.centerY;
          const float edge = std::max(std::fabs(dx), std::fabs(dy)) - half;
          if (std::fabs(edge) < 0.25f) continue;  // a pixel centre on the edge
          uint32_t expected = 0xFF000000u;
          if (edge < 0.0f) {
            if (FromTexelEdge(dx / point.size + 0.5f, texture->LevelWidth(0)) < 0.05f ||
                FromTexelEdge(dy / point.size + 0.5f, texture->LevelHeight(0)) < 0.05f) {
              continue;
            }
            PointModel::Pixel pixel;
            ASSERT_TRUE(PointModel::EvaluateSprite(*player, draw, point, x, y, pixel, error)) << error;
            expected = pixel.color;
            ++inside;
          } else {
            ++outside;
          }
          const ::testing::AssertionResult near = NearColor(image.At(x, y), expected, 2, false);
          if (!near && wrong++ == 0) {
            first = "(" + std::to_string(x) + ", " + std::to_string(y) + "): " + near.message();
          }
        }
      }
      EXPECT_EQ(wrong, 0u) << "step " << draw.step << ", vertex " << point.vertex << " (size " << point.size
                           << " at " << point.centerX << ", " << point.centerY << "): first at " << first;
    }
  }
  EXPECT_GT(inside, 0u);
  EXPECT_GT(outside, 0u);
}

}  // namespace
}  // namespace ynx::test
