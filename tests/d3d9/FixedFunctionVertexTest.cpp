// Generated fixed-function vertex programs run on Mesa against the CPU model
// of Direct3D 9's formulas: transforms, pre-transformed vertices, each light
// type at its range and cone edges, attenuation, specular with a local and
// a distant viewer, material sources, vertex fog, texture generation and
// transforms, and point sizes.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/d3d9/FixedFunctionHarness.h"

namespace ynx {
namespace {

using test::FixedFunctionHarness;
using test::GlslRunner;
using Model = test::FixedFunctionModel;
using Vector = Model::Vector;
using Draw = FixedFunctionKey::Draw;

constexpr float PI = 3.14159265f;

D3DMATRIX Matrix(std::initializer_list<float> values) {
  D3DMATRIX m{};
  auto it = values.begin();
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) m.m[i][j] = *it++;
  }
  return m;
}

// A left-handed perspective projection (depth 0..1), as D3DX builds it.
D3DMATRIX Perspective(float fov, float aspect, float zn, float zf) {
  const float y = 1.0f / std::tan(fov / 2.0f), x = y / aspect, q = zf / (zf - zn);
  return Matrix({x, 0, 0, 0, 0, y, 0, 0, 0, 0, q, 1, 0, 0, -zn * q, 0});
}

// World: a non-uniform scale, a turn about y and a move; view: a turn
// about x and a move, so that light and normal transforms matter.
void Place(Model::Device& device) {
  const float c = std::cos(0.5f), s = std::sin(0.5f);
  device.world = Matrix({2.0f * c, 0, -2.0f * s, 0, 0, 1, 0, 0, 0.5f * s, 0, 0.5f * c, 0, 0.3f, -0.2f, 0.5f, 1});
  const float cv = std::cos(0.3f), sv = std::sin(0.3f);
  device.view = Matrix({1, 0, 0, 0, 0, cv, sv, 0, 0, -sv, cv, 0, 0.1f, 0.4f, 4.0f, 1});
  device.projection = Perspective(PI / 3.0f, 4.0f / 3.0f, 0.5f, 50.0f);
}

D3DLIGHT9 Light(D3DLIGHTTYPE type) {
  D3DLIGHT9 light{};
  light.Type = type;
  light.Diffuse = {0.9f, 0.7f, 0.5f, 1.0f};
  light.Specular = {0.6f, 0.8f, 1.0f, 0.5f};
  light.Ambient = {0.1f, 0.2f, 0.3f, 1.0f};
  light.Direction = {0.3f, -0.5f, 1.0f};
  light.Range = 100.0f;
  light.Attenuation0 = 1.0f;
  light.Falloff = 1.0f;
  return light;
}

std::string Text(const Vector& v) {
  return "(" + std::to_string(v[0]) + ", " + std::to_string(v[1]) + ", " + std::to_string(v[2]) + ", " +
         std::to_string(v[3]) + ")";
}

bool Near(float expected, float actual, float tolerance) {
  return std::fabs(expected - actual) <= tolerance * std::max(1.0f, std::fabs(expected));
}

void ExpectNear(const Vector& expected, const Vector& actual, float tolerance, const std::string& where) {
  for (int i = 0; i < 4; ++i) {
    if (!Near(expected[i], actual[i], tolerance)) {
      ADD_FAILURE() << where << ": expected " << Text(expected) << ", got " << Text(actual);
      return;
    }
  }
}

class FixedFunctionVertexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    runner = GlslRunner::Get(why);
    if (runner == nullptr) GTEST_SKIP() << "no OpenGL 4.5 context: " << why;
    draw.normal = true;
    draw.diffuse = true;
    draw.texcoordComponents[0] = 2;
  }

  // Runs every input on Mesa and the model and compares all outputs.
  void Check(const std::vector<Model::VertexInput>& inputs, const std::string& what, float tolerance = 2e-4f) {
    std::vector<Model::VertexOutput> outputs;
    std::string log;
    ASSERT_TRUE(FixedFunctionHarness::RunVertex(*runner, device, draw, inputs, outputs, log)) << what << "\n" << log;
    for (size_t v = 0; v < inputs.size(); ++v) {
      const Model::VertexOutput expected = FixedFunctionHarness::ModelVertex(device, draw, inputs[v]);
      const Model::VertexOutput& actual = outputs[v];
      const std::string where = what + ", vertex " + std::to_string(v);
      ExpectNear(expected.position, actual.position, tolerance, where + ", position");
      for (size_t n = 0; n < 2; ++n) ExpectNear(expected.colors[n], actual.colors[n], tolerance, where + ", colour " + std::to_string(n));
      for (size_t n = 0; n < 8; ++n) {
        ExpectNear(expected.texcoords[n], actual.texcoords[n], tolerance, where + ", texcoord " + std::to_string(n));
      }
      EXPECT_TRUE(Near(expected.fog, actual.fog, tolerance)) << where << ": fog " << expected.fog << " vs " << actual.fog;
      if (draw.points) {
        EXPECT_TRUE(Near(expected.pointSize, actual.pointSize, tolerance))
            << where << ": point size " << expected.pointSize << " vs " << actual.pointSize;
      }
    }
  }

  // Vertices on a small grid with normals turning through all directions.
  static std::vector<Model::VertexInput> Grid(int count = 12) {
    std::vector<Model::VertexInput> inputs;
    for (int i = 0; i < count; ++i) {
      const float t = static_cast<float>(i) / static_cast<float>(count);
      Model::VertexInput input;
      input.position = {std::cos(6.0f * t) * 1.5f, 2.0f * t - 1.0f, std::sin(6.0f * t), 1.0f};
      input.normal = {std::cos(2.0f * PI * t), std::sin(5.0f * t) * 0.7f, std::sin(2.0f * PI * t), 0.0f};
      input.diffuse = {0.2f + 0.6f * t, 0.9f - 0.5f * t, 0.5f, 0.25f + 0.5f * t};
      input.specular = {0.3f, 0.6f * t, 1.0f - t, 0.8f * t};
      input.texcoords[0] = {t, 1.0f - t, 0.5f, 0.25f};
      input.texcoords[1] = {2.0f * t, 0.3f, -t, 0.7f};
      inputs.push_back(input);
    }
    return inputs;
  }

  GlslRunner* runner = nullptr;
  Model::Device device;
  Draw draw;
};

TEST_F(FixedFunctionVertexTest, TransformsAndPassesColoursThroughWithoutLighting) {
  Place(device);
  device.renderStates[D3DRS_LIGHTING] = FALSE;
  draw.specular = true;
  auto inputs = Grid();
  inputs[3].diffuse = {1.5f, -0.5f, 2.0f, 1.2f};  // clamped to 0..1 on the way out
  Check(inputs, "unlit");
  draw.diffuse = draw.specular = false;
  Check(inputs, "unlit without vertex colours: white and black");
}

TEST_F(FixedFunctionVertexTest, PretransformedVerticesGoBackThroughTheViewport) {
  device.viewport = {10, 20, 320, 240, 0.2f, 0.8f};
  draw = Draw{};
  draw.transformed = true;
  draw.diffuse = true;
  draw.specular = true;
  draw.texcoordComponents[0] = 2;
  // Lighting, texture generation and transforms never touch them.
  device.stageStates[0][D3DTSS_TEXCOORDINDEX] = D3DTSS_TCI_CAMERASPACENORMAL;
  device.stageStates[0][D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_COUNT2;
  device.texture[0] = Matrix({2, 0, 0, 0, 0, 2, 0, 0, 0.5f, 0.5f, 1, 0, 0, 0, 0, 1});
  std::vector<Model::VertexInput> inputs(4);
  inputs[0].position = {10.0f, 20.0f, 0.2f, 1.0f};
  inputs[1].position = {330.0f, 260.0f, 0.8f, 0.5f};
  inputs[2].position = {170.0f, 140.0f, 0.5f, 0.25f};
  inputs[3].position = {50.0f, 200.0f, 0.3f, 0.0f};  // rhw 0: taken as 1
  for (auto& input : inputs) input.texcoords[0] = {0.25f, 0.75f, 0, 1};
  Check(inputs, "XYZRHW");
  // With fog on and no table mode the factor is the specular alpha.
  device.renderStates[D3DRS_FOGENABLE] = TRUE;
  device.renderStates[D3DRS_FOGVERTEXMODE] = D3DFOG_LINEAR;
  for (auto& input : inputs) input.specular = {0.1f, 0.2f, 0.3f, 0.35f};
  Check(inputs, "XYZRHW fog from specular alpha");
}

TEST_F(FixedFunctionVertexTest, DirectionalLightsWithAmbientAndNormalisation) {
  Place(device);
  device.lights[0] = Light(D3DLIGHT_DIRECTIONAL);
  device.lightEnables = 0x1;
  device.material.Diffuse = {0.8f, 0.6f, 0.4f, 0.7f};
  device.material.Ambient = {0.5f, 0.5f, 0.5f, 1.0f};
  device.material.Emissive = {0.05f, 0.0f, 0.1f, 0.0f};
  device.renderStates[D3DRS_AMBIENT] = D3DCOLOR_ARGB(0xFF, 0x20, 0x40, 0x60);
  device.renderStates[D3DRS_COLORVERTEX] = FALSE;
  Check(Grid(), "directional, material colours, unnormalised normals");
  device.renderStates[D3DRS_NORMALIZENORMALS] = TRUE;
  Check(Grid(), "directional, normalised normals");
  // The renderer's type 0 light: along +z.
  device.lights[0].Direction = {0.0f, 0.0f, 1.0f};
  Check(Grid(), "directional along z");
  // No normal: only ambient and emissive remain.
  draw.normal = false;
  Check(Grid(), "no normal");
}

TEST_F(FixedFunctionVertexTest, PointLightRangeAndAttenuation) {
  device.renderStates[D3DRS_NORMALIZENORMALS] = TRUE;
  device.lights[0] = Light(D3DLIGHT_POINT);
  device.lights[0].Position = {0.0f, 0.0f, 0.0f};
  device.lights[0].Range = 5.0f;
  device.lights[0].Attenuation0 = 0.5f;
  device.lights[0].Attenuation1 = 0.25f;
  device.lights[0].Attenuation2 = 0.125f;
  device.lightEnables = 0x1;
  device.renderStates[D3DRS_COLORVERTEX] = FALSE;
  device.material.Diffuse = {1, 1, 1, 1};
  device.material.Ambient = {1, 1, 1, 1};
  // Distances around the range, normals towards the light.
  std::vector<Model::VertexInput> inputs;
  for (const float distance : {0.5f, 1.0f, 2.0f, 4.9f, 4.99f, 5.01f, 6.0f}) {
    Model::VertexInput input;
    input.position = {distance * 0.6f, 0.0f, distance * 0.8f, 1.0f};
    input.normal = {-0.6f, 0.0f, -0.8f, 0.0f};
    inputs.push_back(input);
  }
  Check(inputs, "point light around its range");
  std::vector<Model::VertexOutput> outputs;
  std::string log;
  ASSERT_TRUE(FixedFunctionHarness::RunVertex(*runner, device, draw, inputs, outputs, log)) << log;
  EXPECT_GT(outputs[4].colors[0][0], 0.1f) << "just inside the range lights";
  EXPECT_EQ(outputs[5].colors[0][0], 0.0f) << "just outside gives nothing, ambient included";
  // Moved by the view: lights are given in world space.
  Place(device);
  device.lights[0].Range = 100.0f;
  device.lights[0].Position = {1.0f, 2.0f, -1.0f};
  Check(Grid(), "point light through the view");
}

TEST_F(FixedFunctionVertexTest, SpotLightConeEdgesAndFalloff) {
  device.renderStates[D3DRS_NORMALIZENORMALS] = TRUE;
  D3DLIGHT9 spot = Light(D3DLIGHT_SPOT);
  spot.Position = {0.0f, 0.0f, -2.0f};
  spot.Direction = {0.0f, 0.0f, 1.0f};
  spot.Theta = 0.4f;  // inner half angle 0.2
  spot.Phi = 0.8f;    // outer half angle 0.4
  device.lights[0] = spot;
  device.lightEnables = 0x1;
  device.renderStates[D3DRS_COLORVERTEX] = FALSE;
  device.material.Diffuse = {1, 1, 1, 1};
  device.material.Ambient = {1, 1, 1, 1};
  std::vector<Model::VertexInput> inputs;
  for (const float angle : {0.0f, 0.1f, 0.19f, 0.21f, 0.3f, 0.39f, 0.41f, 0.6f}) {
    Model::VertexInput input;
    input.position = {2.0f * std::tan(angle), 0.0f, 0.0f, 1.0f};
    input.normal = {0.0f, 0.0f, -1.0f, 0.0f};
    inputs.push_back(input);
  }
  for (const float falloff : {1.0f, 2.0f, 0.5f}) {
    device.lights[0].Falloff = falloff;
    Check(inputs, "spot light, falloff " + std::to_string(falloff));
  }
  // Inside theta / 2 a spot lights as a point light does; outside phi / 2
  // it gives nothing, ambient included.
  std::vector<Model::VertexOutput> spotted;
  std::vector<Model::VertexOutput> pointed;
  std::string log;
  ASSERT_TRUE(FixedFunctionHarness::RunVertex(*runner, device, draw, inputs, spotted, log)) << log;
  device.lights[0].Type = D3DLIGHT_POINT;
  ASSERT_TRUE(FixedFunctionHarness::RunVertex(*runner, device, draw, inputs, pointed, log)) << log;
  for (size_t i = 0; i < 3; ++i) ExpectNear(pointed[i].colors[0], spotted[i].colors[0], 1e-5f, "inside theta / 2");
  EXPECT_LT(spotted[4].colors[0][0], pointed[4].colors[0][0]) << "between the cones";
  EXPECT_EQ(spotted[6].colors[0], (Vector{0, 0, 0, 1})) << "outside phi / 2";
  device.lights[0].Type = D3DLIGHT_SPOT;
  Place(device);
  Check(Grid(), "spot light through the view");
}

TEST_F(FixedFunctionVertexTest, SpecularWithLocalAndDistantViewer) {
  Place(device);
  device.renderStates[D3DRS_NORMALIZENORMALS] = TRUE;
  device.lights[0] = Light(D3DLIGHT_DIRECTIONAL);
  device.lights[1] = Light(D3DLIGHT_POINT);
  device.lights[1].Position = {-1.0f, 1.0f, -2.0f};
  device.lightEnables = 0x3;
  device.material.Specular = {1.0f, 0.9f, 0.8f, 1.0f};
  device.material.Power = 12.0f;
  device.renderStates[D3DRS_COLORVERTEX] = FALSE;
  device.renderStates[D3DRS_SPECULARENABLE] = TRUE;
  Check(Grid(24), "specular, local viewer", 1e-3f);
  device.renderStates[D3DRS_LOCALVIEWER] = FALSE;
  Check(Grid(24), "specular, distant viewer", 1e-3f);
  device.material.Power = 0.0f;
  Check(Grid(), "specular, power 0", 1e-3f);
  device.renderStates[D3DRS_SPECULARENABLE] = FALSE;
  Check(Grid(), "no specular without SPECULARENABLE");
}

TEST_F(FixedFunctionVertexTest, MaterialSourcesFollowColorVertexAndTheVertexColours) {
  Place(device);
  device.renderStates[D3DRS_NORMALIZENORMALS] = TRUE;
  device.renderStates[D3DRS_SPECULARENABLE] = TRUE;
  device.renderStates[D3DRS_AMBIENT] = D3DCOLOR_ARGB(0x80, 0x30, 0x30, 0x30);
  device.lights[0] = Light(D3DLIGHT_DIRECTIONAL);
  device.lightEnables = 0x1;
  device.material = {{0.3f, 0.4f, 0.5f, 0.6f}, {0.7f, 0.6f, 0.5f, 0.4f}, {0.2f, 0.3f, 0.4f, 0.5f}, {0.1f, 0.0f, 0.2f, 0.3f}, 8.0f};
  draw.specular = true;
  const uint32_t sources[][4] = {
      {D3DMCS_COLOR1, D3DMCS_MATERIAL, D3DMCS_COLOR2, D3DMCS_MATERIAL},  // the defaults
      {D3DMCS_MATERIAL, D3DMCS_COLOR1, D3DMCS_MATERIAL, D3DMCS_COLOR2},
      {D3DMCS_COLOR2, D3DMCS_COLOR2, D3DMCS_COLOR1, D3DMCS_COLOR1},
  };
  for (const auto& source : sources) {
    device.renderStates[D3DRS_DIFFUSEMATERIALSOURCE] = source[0];
    device.renderStates[D3DRS_AMBIENTMATERIALSOURCE] = source[1];
    device.renderStates[D3DRS_SPECULARMATERIALSOURCE] = source[2];
    device.renderStates[D3DRS_EMISSIVEMATERIALSOURCE] = source[3];
    const std::string what = "sources " + std::to_string(source[0]) + std::to_string(source[1]) +
                             std::to_string(source[2]) + std::to_string(source[3]);
    draw.diffuse = draw.specular = true;
    Check(Grid(), what, 1e-3f);
    draw.specular = false;  // COLOR2 missing: the material's colour
    Check(Grid(), what + " without specular", 1e-3f);
    device.renderStates[D3DRS_COLORVERTEX] = FALSE;
    draw.specular = true;
    Check(Grid(), what + " with COLORVERTEX off", 1e-3f);
    device.renderStates[D3DRS_COLORVERTEX] = TRUE;
  }
}

TEST_F(FixedFunctionVertexTest, SeveralLightsInSlotsWithGaps) {
  Place(device);
  device.renderStates[D3DRS_NORMALIZENORMALS] = TRUE;
  device.renderStates[D3DRS_SPECULARENABLE] = TRUE;
  device.material.Specular = {0.5f, 0.5f, 0.5f, 1.0f};
  device.material.Power = 4.0f;
  device.lights[0] = Light(D3DLIGHT_DIRECTIONAL);
  device.lights[2] = Light(D3DLIGHT_POINT);
  device.lights[2].Position = {0.5f, -1.0f, -1.0f};
  device.lights[2].Attenuation1 = 0.3f;
  device.lights[5] = Light(D3DLIGHT_SPOT);
  device.lights[5].Position = {0.0f, 0.0f, -3.0f};
  device.lights[5].Direction = {0.0f, 0.1f, 1.0f};
  device.lights[5].Theta = 0.5f;
  device.lights[5].Phi = 1.2f;
  device.lights[7] = Light(D3DLIGHT_POINT);  // off
  device.lightEnables = 0x25;
  Check(Grid(24), "three lights in slots 0, 2, 5", 1e-3f);
}

TEST_F(FixedFunctionVertexTest, VertexFogModes) {
  Place(device);
  device.renderStates[D3DRS_LIGHTING] = FALSE;
  device.renderStates[D3DRS_FOGENABLE] = TRUE;
  device.SetFloat(D3DRS_FOGSTART, 2.5f);
  device.SetFloat(D3DRS_FOGEND, 5.5f);
  device.SetFloat(D3DRS_FOGDENSITY, 0.3f);
  for (const uint32_t mode : {D3DFOG_LINEAR, D3DFOG_EXP, D3DFOG_EXP2}) {
    device.renderStates[D3DRS_FOGVERTEXMODE] = mode;
    device.renderStates[D3DRS_RANGEFOGENABLE] = FALSE;
    Check(Grid(), "fog mode " + std::to_string(mode));
    device.renderStates[D3DRS_RANGEFOGENABLE] = TRUE;
    Check(Grid(), "range fog mode " + std::to_string(mode));
  }
  device.renderStates[D3DRS_FOGVERTEXMODE] = D3DFOG_LINEAR;
  device.SetFloat(D3DRS_FOGEND, 2.5f);
  Check(Grid(), "FOGSTART == FOGEND: a step at the end");
  std::vector<Model::VertexOutput> outputs;
  std::string log;
  ASSERT_TRUE(FixedFunctionHarness::RunVertex(*runner, device, draw, Grid(), outputs, log)) << log;
  for (const auto& output : outputs) EXPECT_TRUE(output.fog == 0.0f || output.fog == 1.0f) << output.fog;
  // No vertex mode: the specular alpha; table fog: the vertex writes 1.
  draw.specular = true;
  device.renderStates[D3DRS_FOGVERTEXMODE] = D3DFOG_NONE;
  Check(Grid(), "fog from the specular alpha");
  device.renderStates[D3DRS_FOGTABLEMODE] = D3DFOG_EXP;
  Check(Grid(), "table fog");
}

TEST_F(FixedFunctionVertexTest, TextureGenerationAndTransforms) {
  Place(device);
  device.renderStates[D3DRS_LIGHTING] = FALSE;
  device.renderStates[D3DRS_NORMALIZENORMALS] = TRUE;
  draw.texcoordComponents[0] = 2;
  draw.texcoordComponents[1] = 3;
  const D3DMATRIX transform = Matrix({0.5f, 0.1f, 0.2f, 0.3f, -0.2f, 0.7f, 0.1f, 0.4f, 0.25f, 0.5f, 1.0f, 0.2f,
                                      0.1f, -0.3f, 0.6f, 1.5f});
  // The renderer's generation modes with three counted components.
  const uint32_t generations[] = {D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR, D3DTSS_TCI_CAMERASPACENORMAL,
                                  D3DTSS_TCI_CAMERASPACEPOSITION, D3DTSS_TCI_SPHEREMAP};
  for (uint32_t stage = 0; stage < 4; ++stage) {
    device.stageStates[stage][D3DTSS_TEXCOORDINDEX] = generations[stage] | stage;
    device.stageStates[stage][D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_COUNT3;
    device.texture[stage] = transform;
  }
  // Pass-through sets: COUNT1, 2 and 4 on two- and three-component sets,
  // a missing set, and no transform.
  const uint32_t flags[] = {D3DTTFF_COUNT2, D3DTTFF_COUNT1, D3DTTFF_COUNT4 | D3DTTFF_PROJECTED, D3DTTFF_DISABLE};
  const uint32_t sets[] = {0, 1, 1, 5};
  for (uint32_t stage = 4; stage < 8; ++stage) {
    device.stageStates[stage][D3DTSS_TEXCOORDINDEX] = sets[stage - 4];
    device.stageStates[stage][D3DTSS_TEXTURETRANSFORMFLAGS] = flags[stage - 4];
    device.texture[stage] = transform;
  }
  Check(Grid(), "generated and transformed coordinates");
  for (uint32_t stage = 0; stage < 8; ++stage) device.stageStates[stage][D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
  Check(Grid(), "generated coordinates untransformed");
  // A one-component set with a matrix: padded as (u, 1, 0, 0).
  draw.texcoordComponents[1] = 1;
  device.stageStates[5][D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_COUNT2;
  Check(Grid(), "one-component set");
}

TEST_F(FixedFunctionVertexTest, PointSizes) {
  Place(device);
  device.renderStates[D3DRS_LIGHTING] = FALSE;
  draw.points = true;
  device.SetFloat(D3DRS_POINTSIZE, 7.0f);
  Check(Grid(), "POINTSIZE");
  draw.pointSize = true;
  auto inputs = Grid();
  for (size_t i = 0; i < inputs.size(); ++i) inputs[i].pointSize = 0.5f + 10.0f * static_cast<float>(i);
  Check(inputs, "per-vertex size, clamped to 1..64");
  device.SetFloat(D3DRS_POINTSIZE_MIN, 3.0f);
  device.SetFloat(D3DRS_POINTSIZE_MAX, 40.0f);
  Check(inputs, "per-vertex size, clamped to 3..40");
  // Scaled with distance: the renderer's sprites, then all three factors.
  draw.pointSize = false;
  device.renderStates[D3DRS_POINTSCALEENABLE] = TRUE;
  device.SetFloat(D3DRS_POINTSIZE, 0.1f);
  device.SetFloat(D3DRS_POINTSIZE_MIN, 0.0f);
  device.SetFloat(D3DRS_POINTSCALE_A, 0.0f);
  device.SetFloat(D3DRS_POINTSCALE_B, 0.0f);
  device.SetFloat(D3DRS_POINTSCALE_C, 1.0f);
  Check(Grid(), "scaled sprites");
  device.SetFloat(D3DRS_POINTSCALE_A, 0.5f);
  device.SetFloat(D3DRS_POINTSCALE_B, 0.25f);
  device.SetFloat(D3DRS_POINTSCALE_C, 0.125f);
  device.viewport.Height = 300;
  Check(Grid(), "scaled with A, B and C");
}

}  // namespace
}  // namespace ynx
