#include <gtest/gtest.h>

#include "tests/d3d9conformance/PointModel.h"
#include "tests/d3d9conformance/ScriptCase.h"

namespace ynx::test {
namespace {

// Scripts whose cases are points, one or more a draw: every point's pixel
// against the CPU model run on the draw's own state.
class PointScriptTest : public ScriptCase, public ::testing::WithParamInterface<const char*> {};

TEST_P(PointScriptTest, EveryPointMatchesTheModel) {
  Play(GetParam());
  ASSERT_FALSE(HasFatalFailure());
  // Render-target textures are sampled as drawing left them.
  for (const ScriptPlayer::DrawRecord& draw : player->Draws()) {
    for (const std::string& texture : draw.textures) {
      if (!texture.empty() && !player->Texels(texture)) {
        ASSERT_TRUE(player->KeepTexels(texture)) << player->Error();
      }
    }
  }
  size_t checked = 0;
  for (const ScriptPlayer::DrawRecord& draw : player->Draws()) {
    if (draw.type != D3DPT_POINTLIST) continue;
    std::vector<PointModel::Pixel> pixels;
    std::string error;
    ASSERT_TRUE(PointModel::Evaluate(*player, draw, pixels, error)) << "step " << draw.step << ": " << error;
    for (const PointModel::Pixel& pixel : pixels) {
      ASSERT_TRUE(pixel.x >= 0 && pixel.y >= 0 && pixel.x < static_cast<int>(image.width) &&
                  pixel.y < static_cast<int>(image.height))
          << "step " << draw.step << ": vertex " << pixel.vertex << " lands off screen";
      const uint32_t expected = pixel.drawn ? pixel.color : 0xFF000000u;
      EXPECT_TRUE(NearColor(image.At(pixel.x, pixel.y), expected, 2, image.format == D3DFMT_A8R8G8B8))
          << GetParam() << " step " << draw.step << ", vertex " << pixel.vertex << " at (" << pixel.x << ", "
          << pixel.y << ")";
      ++checked;
    }
  }
  EXPECT_GT(checked, 0u);
}

INSTANTIATE_TEST_SUITE_P(Scripts, PointScriptTest,
                         ::testing::Values("lights", "material", "fog", "stages", "shaders", "texcoords", "indexed",
                                           "cubefaces"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

}  // namespace
}  // namespace ynx::test
