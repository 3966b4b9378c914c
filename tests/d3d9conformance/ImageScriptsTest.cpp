#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

#include "tests/d3d9conformance/ScriptCase.h"

namespace ynx::test {
namespace {

using ImageScriptTest = ScriptCase;
using Color = std::array<double, 4>;  // r, g, b, a in 0..1

Color Unpack(uint32_t texel) {
  return {(texel >> 16 & 0xFF) / 255.0, (texel >> 8 & 0xFF) / 255.0, (texel & 0xFF) / 255.0, (texel >> 24) / 255.0};
}

uint32_t Pack(const Color& color) {
  uint32_t packed = 0;
  for (int channel : {3, 0, 1, 2}) {
    packed = packed << 8 | static_cast<uint32_t>(std::lround(std::clamp(color[channel], 0.0, 1.0) * 255.0));
  }
  return packed;
}

Color Mix(const Color& a, const Color& b, double t) {
  Color out{};
  for (int i = 0; i < 4; ++i) out[i] = a[i] + (b[i] - a[i]) * t;
  return out;
}

// One level of a 2D texture sampled at (u, v) as the sampler states say:
// nearest texel or the bilinear blend of four, wrapped or clamped.
Color SampleLevel(const ScriptPlayer& player, const std::string& name, IDirect3DBaseTexture9* texture, UINT level,
                  const ScriptPlayer::DrawRecord& draw, bool linear, double u, double v) {
  const std::vector<uint32_t>& texels = *player.Texels(name, 0, level);
  const int width = static_cast<int>(texture->LevelWidth(level));
  const int height = static_cast<int>(texture->LevelHeight(level));
  const auto address = [](int texel, int size, uint32_t mode) {
    return mode == D3DTADDRESS_WRAP ? ((texel % size) + size) % size : std::clamp(texel, 0, size - 1);
  };
  const uint32_t modeU = draw.samplerStates[0][D3DSAMP_ADDRESSU];
  const uint32_t modeV = draw.samplerStates[0][D3DSAMP_ADDRESSV];
  const auto at = [&](int x, int y) {
    return Unpack(texels[static_cast<size_t>(address(y, height, modeV)) * width + address(x, width, modeU)]);
  };
  if (!linear) return at(static_cast<int>(std::floor(u * width)), static_cast<int>(std::floor(v * height)));
  const double s = u * width - 0.5;
  const double t = v * height - 0.5;
  const int x = static_cast<int>(std::floor(s));
  const int y = static_cast<int>(std::floor(t));
  return Mix(Mix(at(x, y), at(x + 1, y), s - x), Mix(at(x, y + 1), at(x + 1, y + 1), s - x), t - y);
}

// The filtered texel of a pixel of a screen-aligned quad: the level of
// detail from the texels a pixel spans plus MIPMAPLODBIAS, magnification
// at 0 and below, mip levels by MIPFILTER (none, nearest, or a blend of the
// two either side).
Color SampleQuad(const ScriptPlayer& player, const ScriptPlayer::DrawRecord& draw, double texelsPerPixel, double u,
                 double v) {
  const std::string& name = draw.textures[0];
  IDirect3DBaseTexture9* texture = player.Texture(name);
  const auto& states = draw.samplerStates[0];
  const double lod = std::log2(texelsPerPixel) + std::bit_cast<float>(states[D3DSAMP_MIPMAPLODBIAS]);
  if (lod <= 0.0) return SampleLevel(player, name, texture, 0, draw, states[D3DSAMP_MAGFILTER] == D3DTEXF_LINEAR, u, v);
  const bool linear = states[D3DSAMP_MINFILTER] == D3DTEXF_LINEAR;
  const double last = texture->GetLevelCount() - 1.0;
  switch (states[D3DSAMP_MIPFILTER]) {
    case D3DTEXF_POINT: {
      const UINT level = static_cast<UINT>(std::min(std::ceil(lod + 0.5) - 1.0, last));
      return SampleLevel(player, name, texture, level, draw, linear, u, v);
    }
    case D3DTEXF_LINEAR: {
      const double clamped = std::min(lod, last);
      const UINT level = static_cast<UINT>(std::floor(clamped));
      const Color lower = SampleLevel(player, name, texture, level, draw, linear, u, v);
      if (clamped == level) return lower;
      return Mix(lower, SampleLevel(player, name, texture, level + 1, draw, linear, u, v), clamped - level);
    }
    default: return SampleLevel(player, name, texture, 0, draw, linear, u, v);
  }
}

// A wrong y flip or winding spoils every other case: top left is red, the
// clockwise halves are drawn and the counter-clockwise ones culled.
TEST_F(ImageScriptTest, OrientationAndWinding) {
  Play("orientation");
  ASSERT_FALSE(HasFatalFailure());
  const uint32_t colors[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
  for (UINT quadrant = 0; quadrant < 4; ++quadrant) {
    const UINT x0 = quadrant % 2 * 32;
    const UINT y0 = quadrant / 2 * 24;
    EXPECT_TRUE(NearColor(image.At(x0 + 2, y0 + 2), colors[quadrant], 0, false)) << "quadrant " << quadrant;
    EXPECT_TRUE(NearColor(image.At(x0 + 29, y0 + 21), 0xFF000000, 0, false)) << "quadrant " << quadrant;
  }
}

// The pattern texel for pixel, into a render-target texture and from it
// onto the back buffer.
TEST_F(ImageScriptTest, TexturedQuadReproducesItsTexture) {
  Play("texturequad");
  ASSERT_FALSE(HasFatalFailure());
  const std::vector<uint32_t>* texels = player->Texels("pattern");
  ASSERT_NE(texels, nullptr);
  const ScriptPlayer::Image target = Read("target");
  ASSERT_EQ(target.width, image.width);
  for (UINT y = 0; y < image.height; ++y) {
    for (UINT x = 0; x < image.width; ++x) {
      const uint32_t texel = (*texels)[size_t{y} * image.width + x];
      ASSERT_TRUE(NearColor(target.At(x, y), texel, 1, false)) << "render target at " << x << ", " << y;
      ASSERT_TRUE(NearColor(image.At(x, y), texel, 1, false)) << "back buffer at " << x << ", " << y;
    }
  }
}

// Screen-aligned quads whose texels are known: bilinear magnification
// (clamped and wrapped), mip levels chosen by the quad's size, and the
// blend between two levels. Every pixel but the quads' outer ring against
// the sampler model.
TEST_F(ImageScriptTest, FilteringAndMipLevelsFollowTheQuadsSize) {
  Play("filtering");
  ASSERT_FALSE(HasFatalFailure());
  size_t checked = 0;
  for (const ScriptPlayer::DrawRecord& draw : player->Draws()) {
    const std::vector<uint8_t>* bytes = player->BufferBytes(draw.streams[0]);
    ASSERT_NE(bytes, nullptr);
    ASSERT_EQ(bytes->size(), 4u * 24u);
    std::array<float, 6> first{}, last{};  // x, y, z, rhw, u, v of the top left and bottom right
    std::memcpy(first.data(), bytes->data(), 24);
    std::memcpy(last.data(), bytes->data() + 72, 24);
    IDirect3DBaseTexture9* texture = player->Texture(draw.textures[0]);
    ASSERT_NE(texture, nullptr);
    const double texelsPerPixel = (last[4] - first[4]) * texture->LevelWidth(0) / (last[0] - first[0]);
    size_t wrong = 0;
    for (int y = static_cast<int>(first[1] + 1.5f); y < static_cast<int>(last[1] - 0.5f); ++y) {
      for (int x = static_cast<int>(first[0] + 1.5f); x < static_cast<int>(last[0] - 0.5f); ++x) {
        const double u = first[4] + (last[4] - first[4]) * (x - first[0]) / (last[0] - first[0]);
        const double v = first[5] + (last[5] - first[5]) * (y - first[1]) / (last[1] - first[1]);
        const uint32_t expected = Pack(SampleQuad(*player, draw, texelsPerPixel, u, v));
        const ::testing::AssertionResult near = NearColor(image.At(x, y), expected, 2, false);
        if (!near && wrong++ < 3) {
          ADD_FAILURE() << "step " << draw.step << " at (" << x << ", " << y << "): " << near.message();
        }
        ++checked;
      }
    }
    EXPECT_EQ(wrong, 0u) << "step " << draw.step;
  }
  EXPECT_GT(checked, 0u);
}

// Each point shows the texture factor in force: recording does not reach
// the device, Apply and Capture move exactly the recorded state, an ALL
// block brings back the stage too.
TEST_F(ImageScriptTest, StateBlocksRecordCaptureAndApply) {
  Play("stateblocks");
  ASSERT_FALSE(HasFatalFailure());
  const uint32_t expected[6] = {0xFF102030, 0xFF405060, 0xFFA0B0C0, 0xFF708090, 0xFFFFFFFF, 0xFF708090};
  for (UINT k = 0; k < 6; ++k) {
    EXPECT_TRUE(NearColor(image.At(8 + 16 * k, 8), expected[k], 0, false)) << "point " << k;
  }
}

// Samples that pass: a 10 x 8 rectangle, the same behind the depth
// buffer, a point of 4 x 4 pixels.
TEST_F(ImageScriptTest, OcclusionQueriesCountSamples) {
  Play("queries");
  ASSERT_FALSE(HasFatalFailure());
  for (const auto& [name, expected] : {std::pair{"front", 80u}, {"hidden", 0u}, {"point", 16u}}) {
    DWORD count = 0;
    ASSERT_TRUE(player->QueryResult(name, count)) << name;
    EXPECT_EQ(count, expected) << name;
  }
}

}  // namespace
}  // namespace ynx::test
