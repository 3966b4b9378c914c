// The uniform images on the CPU: the cases the GL runs do not reach, where
// a division would go wrong (a singular world x view, FOGSTART == FOGEND,
// an empty depth range), and lights listed in slot order in view space.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "platform/d3d9/device/FixedFunctionUniforms.h"
#include "tests/d3d9/FixedFunctionModel.h"

namespace ynx {
namespace {

using Device = test::FixedFunctionModel::Device;

TEST(FixedFunctionUniformsTest, DegenerateStateGivesFiniteValues) {
  Device device;
  device.world._33 = 0.0f;  // flattened along z: no inverse
  device.world._11 = 2.0f;
  device.SetFloat(D3DRS_FOGSTART, 0.5f);
  device.SetFloat(D3DRS_FOGEND, 0.5f);
  device.viewport = {0, 0, 64, 32, 0.25f, 0.25f};
  FixedFunctionUniforms::Vertex vertex;
  FixedFunctionUniforms::Pixel pixel;
  FixedFunctionUniforms::Fill(device.State(), vertex, pixel);
  // Its cofactors: normals of a surface flattened onto z = 0 point along z.
  EXPECT_FLOAT_EQ(vertex.normalMatrix[0], 0.0f);
  EXPECT_FLOAT_EQ(vertex.normalMatrix[5], 0.0f);
  EXPECT_FLOAT_EQ(vertex.normalMatrix[10], 2.0f);
  for (const float value : vertex.normalMatrix) EXPECT_TRUE(std::isfinite(value));
  // Linear vertex fog with start == end: a finite, steep step at the end.
  EXPECT_TRUE(std::isfinite(vertex.fog[0]) && std::isfinite(vertex.fog[1]));
  EXPECT_EQ(std::clamp(0.49f * vertex.fog[0] + vertex.fog[1], 0.0f, 1.0f), 1.0f);
  EXPECT_EQ(std::clamp(0.51f * vertex.fog[0] + vertex.fog[1], 0.0f, 1.0f), 0.0f);
  EXPECT_EQ(vertex.depthRange[0], 0.25f);
  EXPECT_EQ(vertex.depthRange[1], 0.0f);
  EXPECT_EQ(vertex.viewport[3], 32.0f);

  device.world._33 = 4.0f;
  FixedFunctionUniforms::Fill(device.State(), vertex, pixel);
  EXPECT_FLOAT_EQ(vertex.normalMatrix[0], 0.5f);
  EXPECT_FLOAT_EQ(vertex.normalMatrix[10], 0.25f);
}

TEST(FixedFunctionUniformsTest, LightsInSlotOrderInViewSpace) {
  Device device;
  // View: a quarter turn about y, then 5 along z.
  device.view = {{{0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 5, 1}}};
  device.lights[1].Type = D3DLIGHT_SPOT;
  device.lights[1].Position = {1.0f, 2.0f, 3.0f};
  device.lights[1].Direction = {0.0f, 0.0f, 2.0f};
  device.lights[1].Range = 7.0f;
  device.lights[1].Theta = 1.0f;
  device.lights[1].Phi = 2.0f;
  device.lights[1].Falloff = 3.0f;
  device.lights[4].Type = D3DLIGHT_DIRECTIONAL;
  device.lights[4].Diffuse = {0.25f, 0.5f, 0.75f, 1.0f};
  device.lights[6].Type = D3DLIGHT_POINT;  // not enabled
  device.lights[7].Type = static_cast<D3DLIGHTTYPE>(9);  // enabled, but no light type
  device.lightEnables = 0x92;
  device.renderStates[D3DRS_TEXTUREFACTOR] = D3DCOLOR_ARGB(0x80, 0xFF, 0x00, 0x33);
  FixedFunctionUniforms::Vertex vertex;
  FixedFunctionUniforms::Pixel pixel;
  FixedFunctionUniforms::Fill(device.State(), vertex, pixel);

  const FixedFunctionUniforms::Light& spot = vertex.lights[0];
  EXPECT_FLOAT_EQ(spot.position[0], 3.0f);
  EXPECT_FLOAT_EQ(spot.position[1], 2.0f);
  EXPECT_FLOAT_EQ(spot.position[2], 4.0f);
  EXPECT_FLOAT_EQ(spot.position[3], 7.0f);
  EXPECT_FLOAT_EQ(spot.direction[0], 1.0f);  // unit length
  EXPECT_FLOAT_EQ(spot.direction[2], 0.0f);
  EXPECT_FLOAT_EQ(spot.spot[0], std::cos(0.5f));
  EXPECT_FLOAT_EQ(spot.spot[1], std::cos(1.0f));
  EXPECT_FLOAT_EQ(spot.spot[2], 3.0f);
  EXPECT_FLOAT_EQ(vertex.lights[1].diffuse[2], 0.75f);
  EXPECT_FLOAT_EQ(vertex.lights[2].diffuse[0], 0.0f) << "only two lights in use";

  EXPECT_FLOAT_EQ(pixel.textureFactor[0], 1.0f);
  EXPECT_FLOAT_EQ(pixel.textureFactor[1], 0.0f);
  EXPECT_FLOAT_EQ(pixel.textureFactor[2], 0.2f);
  EXPECT_FLOAT_EQ(pixel.textureFactor[3], 128.0f / 255.0f);
}

}  // namespace
}  // namespace ynx
