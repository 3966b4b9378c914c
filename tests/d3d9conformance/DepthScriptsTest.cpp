#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>

#include "tests/d3d9conformance/ScriptCase.h"

namespace ynx::test {
namespace {

// The floats of one vertex of a draw on stream 0.
std::vector<float> VertexFloats(const ScriptPlayer& player, const ScriptPlayer::DrawRecord& draw, UINT vertex,
                                size_t count) {
  const std::vector<uint8_t>* bytes = player.BufferBytes(draw.streams[0]);
  const size_t at = draw.offsets[0] + size_t{draw.strides[0]} * (draw.start + vertex);
  std::vector<float> floats(count);
  if (!bytes || at + 4 * count > bytes->size()) {
    ADD_FAILURE() << "step " << draw.step << ": vertex " << vertex << " is not in its buffer";
    return floats;
  }
  std::memcpy(floats.data(), bytes->data() + at, 4 * count);
  return floats;
}

float StateFloat(const ScriptPlayer::DrawRecord& draw, D3DRENDERSTATETYPE state) {
  return std::bit_cast<float>(draw.renderStates[state]);
}

class DepthBiasTest : public ScriptCase, public ::testing::WithParamInterface<const char*> {};

// Bands whose z runs 0 to 1 across the screen, drawn against a cleared
// depth of 0.5 with LESSEQUAL: a band shows up to the middle column, and
// DEPTHBIAS (depth units) and SLOPESCALEDEPTHBIAS (times the band's depth
// slope per pixel) move that edge. Each band's columns against
// z + bias + slope * |dz/dx| <= 0.5 at the pixel centres.
TEST_P(DepthBiasTest, EdgeMovesWithTheBias) {
  Play(GetParam());
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_FALSE(player->Draws().empty());
  for (const ScriptPlayer::DrawRecord& draw : player->Draws()) {
    const std::vector<float> left = VertexFloats(*player, draw, 0, 4);   // x, y, z, rhw
    const std::vector<float> right = VertexFloats(*player, draw, 1, 4);
    const std::vector<float> bottom = VertexFloats(*player, draw, 2, 4);
    const double slopePerPixel = (right[2] - left[2]) / static_cast<double>(right[0] - left[0]);
    const double offset = StateFloat(draw, D3DRS_DEPTHBIAS) +
                          StateFloat(draw, D3DRS_SLOPESCALEDEPTHBIAS) * std::fabs(slopePerPixel);
    const UINT row = static_cast<UINT>(std::lround((left[1] + bottom[1]) / 2.0f));
    int expectedEdge = 0;
    int actualEdge = 0;
    for (UINT x = 0; x < image.width; ++x) {
      const double z = left[2] + slopePerPixel * (x - left[0]);
      const bool shown = z + offset <= 0.5;
      const bool drawn = (image.At(x, row) & 0xFFFFFF) != 0;
      expectedEdge += shown;
      actualEdge += drawn;
      EXPECT_EQ(drawn, shown) << GetParam() << " step " << draw.step << " at (" << x << ", " << row << ")";
    }
    EXPECT_EQ(actualEdge, expectedEdge) << GetParam() << " step " << draw.step << ": columns shown";
  }
}

INSTANTIATE_TEST_SUITE_P(Scripts, DepthBiasTest, ::testing::Values("depthbias", "depthbias16"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

using DepthTextureTest = ScriptCase;

// A D24S8 texture, cleared to 1 and drawn at two depths, sampled by
// points carrying (u, v, reference): each shows white where the reference
// is at most the stored depth, black elsewhere, in fixed function and in
// ps_2_0 alike.
TEST_F(DepthTextureTest, LookupsCompareWithTheStoredDepth) {
  Play("shadow");
  ASSERT_FALSE(HasFatalFailure());
  IDirect3DBaseTexture9* shadow = player->Texture("shadow");
  ASSERT_NE(shadow, nullptr);
  const UINT width = shadow->LevelWidth(0);
  const UINT height = shadow->LevelHeight(0);
  // The depth pass: the clear's depth, then each quad over the pixel
  // centres it covers.
  constexpr float CLEARED = 1.0f;
  std::vector<float> stored(size_t{width} * height, CLEARED);
  size_t probes = 0;
  for (const ScriptPlayer::DrawRecord& draw : player->Draws()) {
    if (draw.target == "scratch") {
      const std::vector<float> first = VertexFloats(*player, draw, 0, 4);
      const std::vector<float> last = VertexFloats(*player, draw, 3, 4);
      for (UINT y = 0; y < height; ++y) {
        for (UINT x = 0; x < width; ++x) {
          if (x >= first[0] && x < last[0] && y >= first[1] && y < last[1]) stored[size_t{y} * width + x] = first[2];
        }
      }
      continue;
    }
    ASSERT_EQ(draw.type, D3DPT_POINTLIST);
    for (UINT vertex = 0; vertex < draw.count; ++vertex) {
      const std::vector<float> point = VertexFloats(*player, draw, vertex, 7);  // x, y, z, rhw, u, v, reference
      const UINT u = static_cast<UINT>(point[4] * static_cast<float>(width));
      const UINT v = static_cast<UINT>(point[5] * static_cast<float>(height));
      ASSERT_TRUE(u < width && v < height);
      const uint32_t expected = point[6] <= stored[size_t{v} * width + u] ? 0xFFFFFFFFu : 0xFF000000u;
      const UINT x = static_cast<UINT>(std::lround(point[0]));
      const UINT y = static_cast<UINT>(std::lround(point[1]));
      EXPECT_TRUE(NearColor(image.At(x, y), expected, 2, false))
          << "step " << draw.step << ", vertex " << vertex << ": reference " << point[6] << " against "
          << stored[size_t{v} * width + u];
      ++probes;
    }
  }
  EXPECT_GT(probes, 0u);
}

}  // namespace
}  // namespace ynx::test
