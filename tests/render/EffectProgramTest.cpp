// The material effects' passes: what each binds, how the fixed passes keep
// the colour, which programs a level gets, the lit constants, and the
// programs. Every program assembles with
// the platform's assembler; run on the CPU model of the shader arithmetic
// with the constants the pass set, it places, fogs, sways and skins a
// vertex as the effect promises.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/animation/SkinController.h"
#include "engine/render/ColorShaderPass.h"
#include "engine/render/NormalmapTexture1DL1PLEffect.h"
#include "engine/render/NormalmapTexture1DLEffect.h"
#include "engine/render/NormalmapTextureController.h"
#include "engine/render/ParallaxTexture1DLEffect.h"
#include "engine/render/RenderShadowmapEffectController.h"
#include "engine/render/ShadowmapEffect.h"
#include "engine/render/ShadowmapReceiverPass.h"
#include "engine/render/Texture1DL1PLEffect.h"
#include "engine/render/TextureEffect.h"
#include "engine/render/VelvetTexture1DLEffect.h"
#include "engine/scene/Camera.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"
#include "platform/d3d9/device/D3DX9.h"
#include "platform/d3d9/shader/ShaderDecoder.h"
#include "platform/d3d9/shader/ShaderTranslator.h"
#include "tests/d3d9/ShaderInterpreter.h"
#include "tests/render/RenderFixture.h"

namespace ynx {
namespace {

using Calls = std::vector<std::string>;
using test::ShaderInterpreter;

const Color PAINT{0.25f, 0.5f, 0.75f, 1.0f};

DecodedShader Assemble(const char* text) {
  ID3DXBuffer* code = nullptr;
  ID3DXBuffer* errors = nullptr;
  const HRESULT result = D3DXAssembleShader(text, static_cast<UINT>(std::strlen(text)), nullptr,
                                            nullptr, 0, &code, &errors);
  EXPECT_EQ(result, D3D_OK) << text
                            << (errors ? static_cast<const char*>(errors->GetBufferPointer()) : "");
  DecodedShader shader;
  if (code != nullptr) {
    std::string error;
    EXPECT_TRUE(ShaderDecoder::Decode(static_cast<const uint32_t*>(code->GetBufferPointer()),
                                      code->GetBufferSize() / 4, shader, error))
        << error;
    code->Release();
  }
  if (errors != nullptr) errors->Release();
  return shader;
}

class EffectProgramTest : public test::RenderFixture {
 protected:
  // A colour effect, or a texture effect with the texture "stone" on
  // coordinate set 1, in PAINT, for a renderer of these capabilities.
  Ptr<ColorEffect> MakeEffect(bool textured, int32_t vertexLevel, int32_t pixelLevel,
                              int32_t stages = 8) {
    renderer->SetCapabilities(vertexLevel, pixelLevel, stages);
    Ptr<ColorEffect> effect(new ColorEffect(String("paint")));
    if (textured) {
      auto* texture = new TextureEffect(String("paint"));
      texture->SetTexture(stone.Get());
      texture->SetTexCoordSet(1);
      effect = texture;
    }
    effect->SetColor(PAINT);
    return effect;
  }

  // The calls of one draw, the pass marked recorded already.
  Calls Drawn(GeometryNode& mesh) {
    mesh.Draw(*renderer);
    renderer->calls.clear();
    mesh.Draw(*renderer);
    return renderer->TakeCalls();
  }

  // The vertex program the effect's pass chose, run with the constants of
  // its last draw on one vertex.
  ShaderInterpreter::Outputs RunVertex(const ColorEffect& effect, const Vector3& position,
                                       const Vector4& weights = {}, const Vector4& bones = {},
                                       const Vector4& uv = {0.5f, 0.25f, 0, 1},
                                       const Vector3& normal = {}) {
    const auto* pass = static_cast<const ColorShaderPass*>(effect.GetActiveTechnique()->GetPass(0));
    const DecodedShader shader = Assemble(pass->GetVertexShader()->GetText());
    ShaderInterpreter::Inputs inputs;
    inputs.constants = renderer->vertexConstants;
    inputs.vertex[0] = {position.x, position.y, position.z, 1};
    inputs.vertex[1] = {weights.x, weights.y, weights.z, weights.w};
    inputs.vertex[2] = {bones.x, bones.y, bones.z, bones.w};
    inputs.vertex[3] = {uv.x, uv.y, uv.z, uv.w};
    inputs.vertex[4] = {normal.x, normal.y, normal.z, 1};
    ShaderInterpreter::Outputs outputs;
    std::string error;
    EXPECT_TRUE(ShaderInterpreter().Run(shader, ShaderKey{}, inputs, outputs, error)) << error;
    return outputs;
  }

  // Two bones, "hip" moved and "knee" turned and scaled, and a skin
  // controller over them on `mesh`, its buffers named "bind",
  // "bindNormals", "weights" and "bones".
  Ptr<SkinController> Skin(GeometryNode& mesh) {
    bones[0]->SetLocalTransform(Transformation({10, 0, 0}, {}, {1, 1, 1}));
    bones[1]->SetLocalTransform(Transformation({0, 20, 0}, {0.0f, 0.6f, 0.0f, 0.8f}, {2, 2, 2}));
    const Ptr<SkinController> skin(new SkinController());
    for (const Ptr<SceneNode>& bone : bones) {
      bone->UpdateWorldTransform();
      skin->AddBone(bone.Get(), Transformation());
    }
    const auto named = [](auto* buffer, const char* name) {
      buffer->SetName(String(name));
      return buffer;
    };
    skin->SetBindVertices(named(new Vector3Buffer(3), "bind"));
    skin->SetBindNormals(named(new Vector3Buffer(3), "bindNormals"));
    skin->SetWeights(named(new Vector4Buffer(3), "weights"));
    skin->SetBoneIndices(named(new Vector4Buffer(3), "bones"));
    skin->ComputeBoneMatrices();
    mesh.AttachController(skin.Get());
    return skin;
  }

  // A camera at (1, 2, -10) looking along +z.
  void SetCamera() {
    Ptr<Camera> camera(new Camera());
    Transformation place;
    place.SetTranslation({1, 2, -10});
    camera->SetLocalTransform(place);
    camera->UpdateWorldTransform();
    camera->UpdateMatrices();
    renderer->SetCamera(camera.Get());
  }

  static void ExpectNear(const ShaderInterpreter::Vector& actual, const Vector4& expected,
                         float tolerance) {
    EXPECT_NEAR(actual[0], expected.x, tolerance);
    EXPECT_NEAR(actual[1], expected.y, tolerance);
    EXPECT_NEAR(actual[2], expected.z, tolerance);
    EXPECT_NEAR(actual[3], expected.w, tolerance);
  }

  const Ptr<Texture> stone{new Texture(String("stone"))};
  const Ptr<SceneNode> bones[2] = {new SceneNode(String("hip"), 0, 1),
                                   new SceneNode(String("knee"), 0, 1)};
};

// Translated to GLSL as the device would.
void ExpectTranslates(const char* text) {
  std::string source;
  ShaderInterface interface;
  std::string error;
  EXPECT_TRUE(ShaderTranslator::Translate(Assemble(text), ShaderKey(), source, interface, error))
      << error << "\n"
      << text;
}

TEST(EffectProgramsTest, EveryProgramAssemblesAndTranslatesAtEveryLevel) {
  for (const ProgramTable* table :
       {&ColorEffect::GetPrograms(), &TextureEffect::GetPrograms(),
        &Texture1DLEffect::GetPrograms(), &VelvetTexture1DLEffect::GetPrograms(),
        &Texture1DL1PLEffect::GetPrograms(), &NormalmapTexture1DLEffect::GetPrograms(),
        &ParallaxTexture1DLEffect::GetPrograms(), &NormalmapTexture1DL1PLEffect::GetPrograms()}) {
    for (const int32_t level : {Renderer::SHADER_1, Renderer::SHADER_2, Renderer::SHADER_3}) {
      SCOPED_TRACE(level);
      for (const ProgramTable::Variant variant :
           {ProgramTable::PLAIN, ProgramTable::SWAYING, ProgramTable::SKINNED}) {
        EXPECT_EQ(Assemble(table->Vertex(variant, level)).Major(),
                  level == Renderer::SHADER_1 ? 1u : 2u);
        ExpectTranslates(table->Vertex(variant, level));
      }
      EXPECT_EQ(Assemble(table->Pixel(level)).Major(), level == Renderer::SHADER_1 ? 1u : 2u);
      ExpectTranslates(table->Pixel(level));
    }
    EXPECT_STREQ(table->Vertex(ProgramTable::SKINNED, Renderer::SHADER_1),
                 table->Vertex(ProgramTable::PLAIN, Renderer::SHADER_1));
    EXPECT_EQ(table->Vertex(ProgramTable::PLAIN, Renderer::SHADER_NONE), nullptr);
    EXPECT_EQ(table->Pixel(Renderer::SHADER_NONE), nullptr);
  }
}

TEST_F(EffectProgramTest, EachPassBindsItsStreamsTexturesAndTransforms) {
  const Calls fixed{"SetWorldMatrix", "SetViewMatrix", "SetProjectionMatrix"};
  const Calls programs{"SetVertexShader YNX.VertexShader", "SetPixelShader YNX.PixelShader",
                       "SetVertexShaderConstants 0 11"};
  for (const bool textured : {false, true}) {
    for (const int32_t level : {Renderer::SHADER_1, Renderer::SHADER_NONE}) {
      SCOPED_TRACE(std::to_string(level) + (textured ? " texture" : " colour"));
      const Ptr<Triangles> mesh = MakeMesh("mesh", MakeEffect(textured, level, level, 1).Get());
      Calls expected{"ApplyPass clean", "SetIndexBuffer indices", "SetPositionStream positions"};
      if (textured)
        expected.insert(expected.end(), {"SetTexCoordStream uv1 0", "SetTexture stone 0"});
      const Calls& rest = level == Renderer::SHADER_NONE ? fixed : programs;
      expected.insert(expected.end(), rest.begin(), rest.end());
      expected.push_back("DrawIndexed mesh");
      EXPECT_EQ(Drawn(*mesh), expected);
      // The mesh's own colours are not the effect's business.
      EXPECT_EQ(mesh->GetColors(), nullptr);
    }
  }
}

TEST_F(EffectProgramTest, FixedPassesKeepTheColourAsTheStageConstant) {
  for (const bool textured : {false, true}) {
    SCOPED_TRACE(textured);
    const Ptr<ColorEffect> effect =
        MakeEffect(textured, Renderer::SHADER_NONE, Renderer::SHADER_NONE, 1);
    ASSERT_EQ(effect->PassCount(), 1);
    const RenderStateBlock& block = *effect->GetActiveTechnique()->GetPass(0)->GetStateBlock();
    const TextureStageState& first = block.stages[0];
    EXPECT_EQ(first.mode, TextureStageState::COMBINE);
    // Colour: the constant alone; texture: the texture times the constant.
    const int32_t operation =
        textured ? TextureStageState::OP_MODULATE : TextureStageState::OP_REPLACE;
    EXPECT_EQ(first.combineColorOp, operation);
    EXPECT_EQ(first.combineAlphaOp, operation);
    const int32_t source =
        textured ? TextureStageState::SOURCE_TEXTURE : TextureStageState::SOURCE_CONSTANT;
    EXPECT_EQ(first.colorSource[0], source);
    EXPECT_EQ(first.alphaSource[0], source);
    if (textured) {
      EXPECT_EQ(first.colorSource[1], TextureStageState::SOURCE_CONSTANT);
      EXPECT_EQ(first.alphaSource[1], TextureStageState::SOURCE_CONSTANT);
    }
    for (const TextureStageState& stage : block.stages) EXPECT_EQ(stage.constantColor, PAINT);
    effect->SetColor({1, 0, 0, 1});
    EXPECT_EQ(block.stages[7].constantColor, (Color{1, 0, 0, 1}));
  }
}

TEST_F(EffectProgramTest, ProgramsPlaceAndFogAVertexThroughThePassesConstants) {
  SetCamera();
  for (const int32_t level : {Renderer::SHADER_1, Renderer::SHADER_2}) {
    for (const bool textured : {false, true}) {
      SCOPED_TRACE(std::to_string(level) + (textured ? " texture" : " colour"));
      const Ptr<ColorEffect> effect = MakeEffect(textured, level, level);
      const Ptr<Triangles> mesh = MakeMesh("mesh", effect.Get(), {3, -2, 800});
      Drawn(*mesh);
      const Camera& camera = *renderer->GetCamera();
      const Matrix4 world = mesh->GetWorldTransform().ToMatrix4();
      // In front of the eye, fogged; and behind it, clear.
      for (const Vector3& p : {Vector3{0.5f, 1, 200}, Vector3{0, 0, -900}}) {
        const ShaderInterpreter::Outputs out = RunVertex(*effect, p);
        const Vector4 object{p.x, p.y, p.z, 1};
        const Vector4 clip = Matrix4::Multiply(world, camera.GetViewProjection()).Transform(object);
        ExpectNear(out.position, clip, 1e-3f * std::fabs(clip.w));
        const float depth = Matrix4::Multiply(world, camera.GetView()).Transform(object).z;
        const float fog =
            depth > 0
                ? std::exp(-std::pow(effect->GetFogDensity() * depth, effect->GetFogExponent()))
                : 1.0f;
        EXPECT_NEAR(out.fog, fog, 1e-4f);
        ExpectNear(out.colors[0], {PAINT.red, PAINT.green, PAINT.blue, PAINT.alpha}, 1e-6f);
        if (textured) ExpectNear(out.texcoords[0], {0.5f, 0.25f, 0, 1}, 0);
      }
    }
  }
}

TEST_F(EffectProgramTest, SwayMovesVerticesByTheirHeight) {
  for (const int32_t level : {Renderer::SHADER_1, Renderer::SHADER_2}) {
    SCOPED_TRACE(level);
    // No camera: the transforms are the identity, oPos is the moved position.
    const Ptr<ColorEffect> effect = MakeEffect(false, level, level);
    effect->SetSway(true);
    effect->Update(1.25);
    const Ptr<Triangles> mesh = MakeMesh("mesh", effect.Get());
    Drawn(*mesh);
    const float amplitude = effect->GetSwayAmplitude();
    const float turn = effect->GetTime() * effect->GetSwaySpeed();
    for (const Vector3& p : {Vector3{4, 0, -7}, Vector3{1, 3, 2}, Vector3{-4, 2, 7},
                             Vector3{10, 1.5f, -3}, Vector3{-20, 6, 31}}) {
      const float x = amplitude * std::sin(0.50770003f * p.x + turn - 0.421f * p.z);
      const float z = amplitude * std::sin(1.31415f * turn + 0.30000001f * p.y - 0.6f * p.z);
      ExpectNear(RunVertex(*effect, p).position, {p.x + x * p.y, p.y, p.z + z * p.y, 1}, 2e-4f);
    }
  }
}

TEST_F(EffectProgramTest, SkinnedProgramsBlendFourBonesIntoTheWorld) {
  SetCamera();
  const Ptr<ColorEffect> effect = MakeEffect(true, Renderer::SHADER_2, Renderer::SHADER_2);
  const Ptr<Triangles> mesh = MakeMesh("mesh", effect.Get());
  effect->SetSkin(Skin(*mesh).Get());

  EXPECT_EQ(Drawn(*mesh),
            (Calls{"ApplyPass clean", "SetIndexBuffer indices", "SetPositionStream bind",
                   "SetBlendWeightStream weights", "SetBlendIndexStream bones",
                   "SetTexCoordStream uv1 0", "SetTexture stone 0",
                   "SetVertexShader YNX.VertexShader", "SetPixelShader YNX.PixelShader",
                   "SetVertexShaderConstants 0 8", "SetVertexShaderConstants 8 8",
                   "SetVertexShaderConstants 209 2", "DrawIndexed mesh"}));
  const Vector3 p{1, 2, 3};
  // Index 1.9 is bone 1; the third and fourth influences weigh nothing.
  const ShaderInterpreter::Outputs out =
      RunVertex(*effect, p, {0.25f, 0.75f, 0, 0}, {1.9f, 0, 1, 0});
  const Vector3 world = bones[1]->GetWorldTransform().TransformPoint(p) * 0.25f +
                        bones[0]->GetWorldTransform().TransformPoint(p) * 0.75f;
  const Vector4 clip =
      renderer->GetCamera()->GetViewProjection().Transform({world.x, world.y, world.z, 1});
  ExpectNear(out.position, clip, 1e-3f * std::fabs(clip.w));
  ExpectNear(out.colors[0], {PAINT.red, PAINT.green, PAINT.blue, PAINT.alpha}, 1e-6f);
}


// ---- The shadow receivers ----

TEST(EffectProgramsTest, ShadowReceiverProgramsAssembleAndTranslateAtEveryLevel) {
  const ProgramTable& table = ShadowmapReceiverPass::GetPrograms();
  for (const int32_t level : {Renderer::SHADER_1, Renderer::SHADER_2, Renderer::SHADER_3}) {
    SCOPED_TRACE(level);
    for (const ProgramTable::Variant variant : {ProgramTable::PLAIN, ProgramTable::SWAYING, ProgramTable::SKINNED}) {
      // The plain program is 1.1 on every device.
      const bool first = level == Renderer::SHADER_1 || variant == ProgramTable::PLAIN;
      EXPECT_EQ(Assemble(table.Vertex(variant, level)).Major(), first ? 1u : 2u);
      ExpectTranslates(table.Vertex(variant, level));
    }
    EXPECT_EQ(Assemble(table.Pixel(level)).Major(), 1u);
    ExpectTranslates(table.Pixel(level));
  }
}

TEST_F(EffectProgramTest, ShadowReceiverProgramsPlaceMapAndDarkenEachVariant) {
  SetCamera();
  renderer->SetDepthTextures(true);
  const Color shadow{0.2f, 0.4f, 0.6f, 0.5f};
  for (const ProgramTable::Variant variant : {ProgramTable::PLAIN, ProgramTable::SWAYING, ProgramTable::SKINNED}) {
    SCOPED_TRACE(variant);
    const Ptr<ShadowmapEffect> shadows(new ShadowmapEffect());
    shadows->AttachController(new RenderShadowmapEffectController());
    shadows->SetShadowColor(shadow);
    const Ptr<Light> light(new Light());
    light->SetLightType(Light::LIGHT_DIRECTIONAL);
    light->SetDirection({0.3f, -1.0f, 0.2f});
    light->UpdateWorldTransform();
    shadows->SetLight(light.Get());
    const Ptr<SceneNode> root(new SceneNode(String("root"), 0, 1));
    root->AddEffect(shadows.Get());
    const Ptr<ColorEffect> paint = MakeEffect(false, Renderer::SHADER_2, Renderer::SHADER_2);
    const Ptr<Triangles> mesh = MakeMesh("mesh", paint.Get(), {1, 0, 2});
    root->AppendChild(mesh.Get());
    if (variant == ProgramTable::SWAYING) {
      paint->SetSwayParameters(0.5f, 2.0f);
      paint->SetSway(true);
    }
    if (variant == ProgramTable::SKINNED) paint->SetSkin(Skin(*mesh).Get());
    Array<Node*> casters;
    casters.Append(mesh.Get());
    shadows->SetCasters(casters);
    for (int frame = 0; frame < 2; ++frame) {
      root->UpdateRecursive(0.75, false);
      ASSERT_EQ(renderer->BeginFrame(), 0);
      root->Render(*renderer);
      renderer->EndFrame();
    }
    EXPECT_NE(shadows->GetShadowMatrix(), Matrix4::Identity());

    // At height 0 the sway leaves a vertex where it is.
    const Vector3 p{0.5f, 0, 0.25f};
    const char* text = ShadowmapReceiverPass::GetPrograms().Vertex(variant, Renderer::SHADER_2);
    ShaderInterpreter::Inputs in;
    in.constants = renderer->vertexConstants;
    in.vertex[0] = {p.x, p.y, p.z, 1};
    in.vertex[1] = {1, 0, 0, 0};
    in.vertex[2] = {0, 0, 0, 0};
    ShaderInterpreter::Outputs out;
    std::string error;
    ASSERT_TRUE(ShaderInterpreter().Run(Assemble(text), ShaderKey{}, in, out, error)) << error;
    const Vector3 world = variant == ProgramTable::SKINNED ? bones[0]->GetWorldTransform().TransformPoint(p)
                                                           : mesh->GetWorldTransform().TransformPoint(p);
    const Vector4 clip = renderer->GetCamera()->GetViewProjection().Transform({world.x, world.y, world.z, 1});
    ExpectNear(out.position, clip, 1e-3f * std::fabs(clip.w));
    ExpectNear(out.texcoords[1], shadows->GetShadowMatrix().Transform({world.x, world.y, world.z, 1}), 1e-4f);
    ExpectNear(out.colors[0], {shadow.red, shadow.green, shadow.blue, shadow.alpha}, 1e-6f);

    // The map's comparison: lit (1) adds nothing, shadowed (0) the colour.
    for (const float lit : {0.0f, 1.0f}) {
      ShaderInterpreter::Inputs pixel;
      pixel.colors[0] = out.colors[0];
      pixel.sampler = [&](uint32_t unit, const ShaderInterpreter::Vector&, float) {
        return unit == 1 ? ShaderInterpreter::Vector{lit, lit, lit, lit} : ShaderInterpreter::Vector{};
      };
      ShaderInterpreter::Outputs colour;
      ASSERT_TRUE(ShaderInterpreter().Run(Assemble(ShadowmapReceiverPass::GetPrograms().Pixel(Renderer::SHADER_2)),
                                          ShaderKey{}, pixel, colour, error))
          << error;
      const float keep = 1.0f - lit;
      ExpectNear(colour.targets[0], {shadow.red * keep, shadow.green * keep, shadow.blue * keep, shadow.alpha * keep},
                 1e-3f);
    }
  }
}


// ---- The lit effects ----

class LitEffectProgramTest : public EffectProgramTest {
 protected:
  void SetUp() override {
    EffectProgramTest::SetUp();
    sun->SetLightType(Light::LIGHT_DIRECTIONAL);
    sun->SetColors({0.1f, 0.2f, 0.3f, 1}, {0.4f, 0.5f, 0.6f, 1}, {0.7f, 0.8f, 0.9f, 1});
    sun->SetDirection({0, -0.6f, 0.8f});
    sun->UpdateWorldTransform();
    lamp->SetLightType(Light::LIGHT_POINT);
    Transformation place;
    place.SetTranslation({5, 6, 7});
    lamp->SetLocalTransform(place);
    lamp->SetAttenuation({1, 0.5f, 0.25f}, true);
    lamp->UpdateWorldTransform();
  }

  enum Kind { PLAIN_LIGHT, VELVET, POINT_LIGHT };

  // One lit effect of a kind with the texture "stone" on set 1, lit by
  // "sun" (and "lamp"), or by nothing.
  Ptr<TextureEffect> MakeLit(Kind kind, bool lit = true) {
    Ptr<TextureEffect> effect;
    if (kind == POINT_LIGHT) {
      auto* both = new Texture1DL1PLEffect(String("lit"));
      if (lit) both->SetLights(sun.Get(), lamp.Get());
      effect = both;
    } else {
      auto* one = kind == VELVET ? new VelvetTexture1DLEffect(String("lit")) : new Texture1DLEffect(String("lit"));
      if (lit) one->SetLight(sun.Get());
      effect = one;
    }
    effect->SetTexture(stone.Get());
    effect->SetTexCoordSet(1);
    return effect;
  }

  // A mesh with normals "normals".
  Ptr<Triangles> MakeLitMesh(GeometryNodeEffect* effect, const Vector3& position = {}) {
    Ptr<Triangles> mesh = MakeMesh("mesh", effect, position);
    auto* normals = new Vector3Buffer(3);
    normals->SetName(String("normals"));
    mesh->SetNormals(normals);
    return mesh;
  }

  // What the lit fixed pass binds before its lights, on the mesh of
  // MakeLitMesh.
  const Calls LIT_FIXED_HEAD{"ApplyPass clean", "SetPositionStream positions", "SetNormalStream normals",
                             "SetTexCoordStream uv1 0", "SetTexture stone 0", "SetIndexBuffer indices",
                             "SetProjectionMatrix", "SetViewMatrix", "SetWorldMatrix"};
  const Ptr<Light> sun{new Light(String("sun"))};
  const Ptr<Light> lamp{new Light(String("lamp"))};
};

// The programs and their constants follow the lower of the two shader
// levels: a 2.0 vertex program cannot feed a 1.x pixel program.
TEST_F(LitEffectProgramTest, ProgramsAndConstantsFollowTheLowerShaderLevel) {
  struct Case {
    int32_t vertex;
    int32_t pixel;
    const char* vertexVersion;
    const char* pixelVersion;
  };
  for (const Case& c : {Case{Renderer::SHADER_2, Renderer::SHADER_2, "vs_2_0", "ps_2_0"},
                        Case{Renderer::SHADER_3, Renderer::SHADER_2, "vs_2_0", "ps_2_0"},
                        Case{Renderer::SHADER_2, Renderer::SHADER_1, "vs_1_1", "ps.1.1"},
                        Case{Renderer::SHADER_1, Renderer::SHADER_2, "vs_1_1", "ps.1.1"}}) {
    for (const bool lit : {false, true}) {
      SCOPED_TRACE(std::to_string(c.vertex) + "/" + std::to_string(c.pixel) + (lit ? " lit" : " texture"));
      renderer->SetCapabilities(c.vertex, c.pixel, 8);
      Ptr<ColorEffect> effect = lit ? Ptr<ColorEffect>(MakeLit(PLAIN_LIGHT).Get()) : MakeEffect(true, c.vertex, c.pixel);
      ASSERT_EQ(effect->PassCount(), 1);
      const auto* pass = static_cast<const ColorShaderPass*>(effect->GetActiveTechnique()->GetPass(0));
      EXPECT_EQ(std::string(pass->GetVertexShader()->GetText()).rfind(c.vertexVersion, 0), 0u);
      EXPECT_EQ(std::string(pass->GetPixelShader()->GetText()).rfind(c.pixelVersion, 0), 0u);
    }
  }
}

TEST_F(LitEffectProgramTest, EachLitPassBindsItsStreamsConstantsAndLights) {
  const Calls head{"ApplyPass clean", "SetIndexBuffer indices", "SetPositionStream positions",
                   "SetNormalStream normals", "SetTexCoordStream uv1 0", "SetTexture stone 0",
                   "SetVertexShader YNX.VertexShader", "SetPixelShader YNX.PixelShader"};
  struct Case {
    const char* what;
    Kind kind;
    int32_t level;
    bool lit;
    Calls tail;
  };
  const Case cases[] = {
      {"2.0", PLAIN_LIGHT, Renderer::SHADER_2, true,
       {"SetVertexShaderConstants 0 11", "SetPixelShaderConstants 0 19"}},
      {"1.1", PLAIN_LIGHT, Renderer::SHADER_1, true, {"SetVertexShaderConstants 0 20"}},
      {"1.1 without a light", PLAIN_LIGHT, Renderer::SHADER_1, false, {"SetVertexShaderConstants 0 20"}},
      {"velvet 2.0", VELVET, Renderer::SHADER_2, true,
       {"SetVertexShaderConstants 0 11", "SetPixelShaderConstants 0 19"}},
      {"velvet 1.1", VELVET, Renderer::SHADER_1, true, {"SetVertexShaderConstants 0 22"}},
      {"point 2.0", POINT_LIGHT, Renderer::SHADER_2, true,
       {"SetVertexShaderConstants 0 11", "SetPixelShaderConstants 0 22"}},
      {"point 1.1", POINT_LIGHT, Renderer::SHADER_1, true, {"SetVertexShaderConstants 0 25"}},
      {"fixed", PLAIN_LIGHT, Renderer::SHADER_NONE, true, {"PushLight sun"}},
      {"fixed without a light", PLAIN_LIGHT, Renderer::SHADER_NONE, false, {}},
      {"fixed point", POINT_LIGHT, Renderer::SHADER_NONE, true, {"PushLight sun", "PushLight lamp"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    renderer->SetCapabilities(c.level, c.level, 2, 1);
    const Ptr<TextureEffect> effect = MakeLit(c.kind, c.lit);
    const Ptr<Triangles> mesh = MakeLitMesh(effect.Get());
    Calls expected = c.level == Renderer::SHADER_NONE ? LIT_FIXED_HEAD : head;
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    expected.push_back("DrawIndexed mesh");
    // Each pushed light is popped after the draw.
    for (size_t i = 0; i < c.tail.size() && c.level == Renderer::SHADER_NONE; ++i) expected.push_back("PopLight");
    EXPECT_EQ(Drawn(*mesh), expected);
    EXPECT_TRUE(renderer->GetLights().empty());
  }
}

TEST_F(LitEffectProgramTest, ConstantsCarryMaterialLightsAndCameraInObjectSpace) {
  SetCamera();
  for (const int32_t level : {Renderer::SHADER_1, Renderer::SHADER_2}) {
    for (const bool lit : {true, false}) {
      SCOPED_TRACE(std::to_string(level) + (lit ? " lit" : " dark"));
      renderer->SetCapabilities(level, level, 8);
      const Ptr<TextureEffect> effect = MakeLit(POINT_LIGHT, lit);
      effect->SetMaterial({0.8f, 0.7f, 0.6f, 0.5f}, {0.1f, 0.2f, 0.3f, 1}, {0.3f, 0.3f, 0.3f, 1},
                          {0.05f, 0.1f, 0.15f, 1}, 12);
      effect->SetFogParameters({1, 1, 1, 1}, 0.25f, 3);
      // Moved, so that object and world space differ.
      const Ptr<Triangles> mesh = MakeLitMesh(effect.Get(), {10, 0, 0});
      Drawn(*mesh);
      const auto& vc = renderer->vertexConstants;
      const auto& pc = renderer->pixelConstants;
      const bool one = level == Renderer::SHADER_1;
      const auto expect = [](const std::array<float, 4>& actual, const Vector4& wanted) {
        ExpectNear(actual, wanted, 1e-5f);
      };
      // Towards the sun (it shines along (0, -0.6, 0.8)), the camera at
      // (1, 2, -10) and the lamp at (5, 6, 7), all less the mesh's (10, 0, 0).
      const Vector4 towards = lit ? Vector4{0, 0.6f, -0.8f, 0} : Vector4{0, 0, 1, 1};
      const Color sunDiffuse = lit ? sun->GetDiffuse() : Color{0, 0, 0, 0};
      expect(one ? vc[16] : pc[2], towards);
      expect(one ? vc[14] : pc[8], {sunDiffuse.red, sunDiffuse.green, sunDiffuse.blue, sunDiffuse.alpha});
      expect(one ? vc[9] : pc[7], {0.8f, 0.7f, 0.6f, 0.5f});
      expect(one ? vc[11] : pc[9], {0.05f, 0.1f, 0.15f, 1});
      EXPECT_FLOAT_EQ(one ? vc[12][0] : pc[4][0], 12);
      expect(one ? vc[17] : vc[8], {-9, 2, -10, 1});
      EXPECT_FLOAT_EQ(one ? vc[18][0] : vc[9][0], 0.25f);
      EXPECT_FLOAT_EQ(one ? vc[18][1] : vc[9][1], 3);
      if (!one) {
        // The products the 2.0 programs read instead of multiplying per pixel.
        const Color sunSpecular = lit ? sun->GetSpecular() : Color{0, 0, 0, 0};
        const Color lampDiffuse = lit ? lamp->GetDiffuse() : Color{0, 0, 0, 0};
        expect(pc[17], {0.8f * sunDiffuse.red, 0.7f * sunDiffuse.green, 0.6f * sunDiffuse.blue, 0.5f * sunDiffuse.alpha});
        expect(pc[18], {0.3f * sunSpecular.red, 0.3f * sunSpecular.green, 0.3f * sunSpecular.blue, sunSpecular.alpha});
        expect(pc[20], {0.8f * lampDiffuse.red, 0.7f * lampDiffuse.green, 0.6f * lampDiffuse.blue, 0.5f * lampDiffuse.alpha});
      }
      if (lit) {
        expect(one ? vc[23] : pc[13], {-5, 6, 7, 1});
        expect(one ? vc[24] : pc[14], {1, 0.5f, 0.25f, 0});
      } else {
        // No point light: it lights nothing and divides by 1.
        expect(one ? vc[21] : pc[11], {0, 0, 0, 0});
        expect(one ? vc[24] : pc[14], {1, 0, 0, 0});
      }
    }
  }
}

TEST_F(LitEffectProgramTest, SwayWinsOverSkinAndTheSkinStreamsStayUnbound) {
  renderer->SetCapabilities(Renderer::SHADER_2, Renderer::SHADER_2, 8);
  const Ptr<TextureEffect> effect = MakeLit(PLAIN_LIGHT);
  const Ptr<Triangles> mesh = MakeLitMesh(effect.Get());
  const Ptr<SkinController> skin = Skin(*mesh);
  effect->SetSkin(skin.Get());
  struct Case {
    bool sway;
    const char* positions;
    const char* normals;
    bool blends;
  };
  for (const Case& c : {Case{false, "bind", "bindNormals", true}, Case{true, "positions", "normals", false}}) {
    SCOPED_TRACE(c.sway);
    effect->SetSway(c.sway);
    const Calls calls = Drawn(*mesh);
    const auto has = [&](const std::string& call) { return std::find(calls.begin(), calls.end(), call) != calls.end(); };
    EXPECT_TRUE(has(std::string("SetPositionStream ") + c.positions));
    EXPECT_TRUE(has(std::string("SetNormalStream ") + c.normals));
    EXPECT_EQ(has("SetBlendWeightStream weights"), c.blends);
    const auto* pass = static_cast<const ColorShaderPass*>(effect->GetActiveTechnique()->GetPass(0));
    EXPECT_EQ(pass->GetVertexShader()->GetText(),
              Texture1DLEffect::GetPrograms().Vertex(c.sway ? ProgramTable::SWAYING : ProgramTable::SKINNED,
                                                     Renderer::SHADER_2));
    // The processor skins exactly when the program does not.
    effect->Update(0.1);
    EXPECT_EQ(skin->IsActive(), c.sway);
  }
}



// ---- The normal-map effects ----

Vector3 Unit(Vector3 v) {
  v.Normalize();
  return v;
}

Vector3 Times(const Vector3& a, const Vector3& b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }
Vector3 Rgb(const Color& c) { return {c.red, c.green, c.blue}; }
Vector3 Saturated(const Vector3& v) {
  return {std::clamp(v.x, 0.0f, 1.0f), std::clamp(v.y, 0.0f, 1.0f), std::clamp(v.z, 0.0f, 1.0f)};
}

class NormalmapProgramTest : public LitEffectProgramTest {
 protected:
  enum MapKind { MAP, PARALLAX, MAP_POINT };

  // A normal-map effect of a kind with texture "stone" and normal map
  // "bumps" both on set 1, lit by "sun" (and "lamp").
  Ptr<NormalmapTextureEffect> MakeMapped(MapKind kind) {
    Ptr<NormalmapTextureEffect> effect;
    if (kind == MAP_POINT) {
      auto* both = new NormalmapTexture1DL1PLEffect(String("mapped"));
      both->SetLights(sun.Get(), lamp.Get());
      effect = both;
    } else if (kind == PARALLAX) {
      auto* parallax = new ParallaxTexture1DLEffect(String("mapped"));
      parallax->SetLight(sun.Get());
      parallax->SetParallax(0.1f, 0.03f);
      effect = parallax;
    } else {
      auto* one = new NormalmapTexture1DLEffect(String("mapped"));
      one->SetLight(sun.Get());
      effect = one;
    }
    effect->SetTexture(stone.Get());
    effect->SetTexCoordSet(1);
    effect->SetNormalMap(bumps.Get());
    effect->SetNormalMapTexCoordSet(1);
    return effect;
  }

  // A mesh with normals "normals", tangents "tangents" unless `tangents` is
  // false, and coordinates along x (s) and y (t).
  Ptr<Triangles> MakeMappedMesh(GeometryNodeEffect* effect, bool tangents = true) {
    Ptr<Triangles> mesh = MakeLitMesh(effect);
    auto* uv = static_cast<Vector2Buffer*>(mesh->GetTexCoords(1));
    uv->GetElements()[1] = {1, 0};
    uv->GetElements()[2] = {0, 1};
    if (tangents) {
      auto* named = new Vector3Buffer(3);
      named->SetName(String("tangents"));
      mesh->SetTangents(named);
    }
    return mesh;
  }

  const Ptr<Texture> bumps{new Texture(String("bumps"))};
};

TEST_F(NormalmapProgramTest, EachPassBindsTangentsNormalMapAndConstantsOrFallsBack) {
  const Calls head{"ApplyPass clean", "SetIndexBuffer indices", "SetPositionStream positions",
                   "SetNormalStream normals", "SetTexCoordStream tangents 2",
                   "SetTexCoordStream uv1 0", "SetTexture stone 0", "SetTexCoordStream uv1 1",
                   "SetTexture bumps 1", "SetVertexShader YNX.VertexShader",
                   "SetPixelShader YNX.PixelShader"};
  struct Case {
    const char* what;
    MapKind kind;
    int32_t level;
    int32_t stages;
    int32_t technique;
    Calls tail;
  };
  const Case cases[] = {
      {"2.0", MAP, Renderer::SHADER_2, 3, 0,
       {"SetVertexShaderConstants 0 12", "SetPixelShaderConstants 0 19"}},
      {"1.1", MAP, Renderer::SHADER_1, 3, 0,
       {"SetVertexShaderConstants 0 20", "SetPixelShaderConstants 0 3"}},
      {"parallax 2.0", PARALLAX, Renderer::SHADER_2, 3, 0,
       {"SetVertexShaderConstants 0 12", "SetPixelShaderConstants 0 19"}},
      {"parallax 1.1", PARALLAX, Renderer::SHADER_1, 3, 0,
       {"SetVertexShaderConstants 0 21", "SetPixelShaderConstants 0 3"}},
      {"point 2.0", MAP_POINT, Renderer::SHADER_2, 3, 0,
       {"SetVertexShaderConstants 0 13", "SetPixelShaderConstants 0 22"}},
      {"point 1.1", MAP_POINT, Renderer::SHADER_1, 3, 0,
       {"SetVertexShaderConstants 0 25", "SetPixelShaderConstants 0 3"}},
      {"two stages: lit fixed pass", MAP, Renderer::SHADER_2, 2, 1, {"PushLight sun"}},
      {"no shaders: lit fixed pass", PARALLAX, Renderer::SHADER_NONE, 3, 1, {"PushLight sun"}},
      {"point, two stages", MAP_POINT, Renderer::SHADER_2, 2, 1, {"PushLight sun", "PushLight lamp"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    renderer->SetCapabilities(c.level, c.level, c.stages, 1);
    const Ptr<NormalmapTextureEffect> effect = MakeMapped(c.kind);
    const Ptr<Triangles> mesh = MakeMappedMesh(effect.Get());
    // The lit fixed pass leaves the normal map unbound.
    Calls expected = c.technique == 1 ? LIT_FIXED_HEAD : head;
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    expected.push_back("DrawIndexed mesh");
    for (size_t i = 0; i < c.tail.size() && c.technique == 1; ++i) expected.push_back("PopLight");
    EXPECT_EQ(Drawn(*mesh), expected);
    EXPECT_EQ(effect->GetActiveTechnique(), effect->GetTechnique(c.technique));
  }
  // Without lights the texture effect's passes follow, then the colour
  // effect's: two after the normal-map effect's own.
  renderer->SetCapabilities(Renderer::SHADER_NONE, Renderer::SHADER_NONE, 1, 0);
  const Ptr<NormalmapTextureEffect> effect = MakeMapped(MAP);
  ASSERT_EQ(effect->PassCount(), 1);
  EXPECT_EQ(effect->GetActiveTechnique(), effect->GetTechnique(3));
}

TEST_F(NormalmapProgramTest, TangentsComeFromTheSkinOrAreComputedAlongTheTextureSet) {
  renderer->SetCapabilities(Renderer::SHADER_2, Renderer::SHADER_2, 8);
  const Ptr<NormalmapTextureEffect> effect = MakeMapped(MAP);
  const Ptr<Triangles> mesh = MakeMappedMesh(effect.Get(), false);
  // Coordinates along set 1 run with x: the tangent is +x.
  mesh->Draw(*renderer);
  ASSERT_NE(mesh->GetTangents(), nullptr);
  for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(mesh->GetTangents()->GetElements()[i], (Vector3{1, 0, 0}));
  mesh->GetTangents()->SetName(String("computed"));
  const Ptr<SkinController> skin = Skin(*mesh);
  effect->SetSkin(skin.Get());
  // A skin stored without tangents takes the mesh's rather than none.
  Calls calls = Drawn(*mesh);
  EXPECT_NE(std::find(calls.begin(), calls.end(), "SetTexCoordStream computed 2"), calls.end());
  auto* bindTangents = new Vector3Buffer(3);
  bindTangents->SetName(String("bindTangents"));
  skin->SetBindTangents(bindTangents);
  calls = Drawn(*mesh);
  EXPECT_NE(std::find(calls.begin(), calls.end(), "SetTexCoordStream bindTangents 2"), calls.end());
}

TEST_F(NormalmapProgramTest, TheEffectsUpdateRunsBothTexturesControllers) {
  for (const MapKind kind : {MAP, PARALLAX, MAP_POINT}) {
    SCOPED_TRACE(kind);
    const Ptr<NormalmapTextureEffect> effect = MakeMapped(kind);
    // Two grey height maps, each turned into a normal map by its controller.
    Ptr<Texture> textures[2];
    for (Ptr<Texture>& texture : textures) {
      texture = new Texture(String("height"), new Image(String("height"), Image::FORMAT_GREY, 2, 2));
      auto* controller = new NormalmapTextureController();
      controller->SetWithAlpha(true);
      texture->AttachController(controller);
    }
    effect->SetTexture(textures[0].Get());
    effect->SetNormalMap(textures[1].Get());
    effect->Update(0.04);
    for (const Ptr<Texture>& texture : textures) EXPECT_EQ(texture->GetImage()->GetFormat(), Image::FORMAT_RGBA);
  }
}

// The programs run on the CPU model for one vertex, its outputs fed to the
// pixel program with a texture and a normal map of one colour each, against
// the lighting in tangent space worked out here.
TEST_F(NormalmapProgramTest, ProgramsLightInTangentSpaceAsTheModelDoes) {
  SetCamera();
  const Vector3 p{0.5f, 1, 2};
  const Vector3 texel{0.8f, 0.6f, 0.4f};
  // A map normal leaning towards +x and -y, and a height of 0.75.
  const ShaderInterpreter::Vector mapColour{0.7f, 0.4f, 0.9f, 0.75f};
  struct Case {
    MapKind kind;
    int32_t level;
    bool skinned = false;
  };
  // Normal and tangent (at right angles): the first faces the sun, the
  // second only just (the self-shadow factor about 0.4); the third has no
  // tangent (a corner without a usable mapping): the device's rsq keeps
  // it zero, so the map's z alone is lit.
  const Vector3 frames[3][2] = {{Unit({0.2f, 0.3f, -1}), Unit({1, 0, 0.2f})},
                                {Unit({0, -0.75f, -0.62f}), {1, 0, 0}},
                                {Unit({0.2f, 0.3f, -1}), {0, 0, 0}}};
  for (const auto& frame : frames)
  for (const Case c : {Case{MAP, Renderer::SHADER_2}, Case{MAP, Renderer::SHADER_1},
                       Case{PARALLAX, Renderer::SHADER_2}, Case{PARALLAX, Renderer::SHADER_1},
                       Case{MAP_POINT, Renderer::SHADER_2}, Case{MAP_POINT, Renderer::SHADER_1},
                       Case{MAP, Renderer::SHADER_2, true}, Case{MAP_POINT, Renderer::SHADER_2, true}}) {
    const Vector3& normal = frame[0];
    const Vector3& tangent = frame[1];
    const bool one = c.level == Renderer::SHADER_1;
    SCOPED_TRACE(std::to_string(c.kind) + (one ? " 1.1 " : " 2.0 ") + std::to_string(normal.y) +
                 (c.skinned ? " skinned" : ""));
    renderer->SetCapabilities(c.level, c.level, 8);
    const Ptr<NormalmapTextureEffect> effect = MakeMapped(c.kind);
    effect->SetMaterial({0.9f, 0.8f, 0.7f, 1}, {0.3f, 0.2f, 0.1f, 1}, {0.5f, 0.5f, 0.5f, 1},
                        {0.05f, 0.1f, 0.0f, 1}, 6);
    const Ptr<Triangles> mesh = MakeMappedMesh(effect.Get());
    // Skinned: the turned and scaled "knee" alone takes position, normal
    // and tangent into the world.
    if (c.skinned) {
      const Ptr<SkinController> skin = Skin(*mesh);
      skin->SetBindTangents(new Vector3Buffer(3));
      effect->SetSkin(skin.Get());
    }
    Drawn(*mesh);
    const auto* pass = static_cast<const ColorShaderPass*>(effect->GetActiveTechnique()->GetPass(0));

    ShaderInterpreter::Inputs vertexIn;
    vertexIn.constants = renderer->vertexConstants;
    vertexIn.vertex[0] = {p.x, p.y, p.z, 1};
    vertexIn.vertex[1] = {1, 0, 0, 0};
    vertexIn.vertex[2] = {1, 0, 0, 0};
    vertexIn.vertex[3] = {0.25f, 0.5f, 0, 1};
    vertexIn.vertex[4] = {normal.x, normal.y, normal.z, 1};
    vertexIn.vertex[5] = {0.75f, 0.125f, 0, 1};
    vertexIn.vertex[6] = {tangent.x, tangent.y, tangent.z, 1};
    ShaderInterpreter::Outputs vertexOut;
    std::string error;
    ASSERT_TRUE(ShaderInterpreter().Run(Assemble(pass->GetVertexShader()->GetText()), ShaderKey{},
                                        vertexIn, vertexOut, error))
        << error;
    ShaderInterpreter::Inputs pixelIn;
    for (size_t i = 0; i < renderer->pixelConstants.size(); ++i) pixelIn.constants[i] = renderer->pixelConstants[i];
    pixelIn.colors = vertexOut.colors;
    pixelIn.texcoords = vertexOut.texcoords;
    ShaderInterpreter::Vector sampled[2];
    pixelIn.sampler = [&](uint32_t unit, const ShaderInterpreter::Vector& at, float) {
      sampled[unit == 0 ? 0 : 1] = at;
      return unit == 0 ? ShaderInterpreter::Vector{texel.x, texel.y, texel.z, 1} : mapColour;
    };
    ShaderInterpreter::Outputs pixelOut;
    ASSERT_TRUE(ShaderInterpreter().Run(Assemble(pass->GetPixelShader()->GetText()), ShaderKey{},
                                        pixelIn, pixelOut, error))
        << error;

    // The model, in the world: tangent space from T, N and B = T x N.
    const Transformation& placed = bones[1]->GetWorldTransform();
    const Vector3 wp = c.skinned ? placed.TransformPoint(p) : p;
    const Vector3 wn = c.skinned ? Unit(placed.TransformVector(normal)) : normal;
    const Vector3 wt = c.skinned ? Unit(placed.TransformVector(tangent)) : tangent;
    const Vector3 b = Vector3::Cross(wt, wn);
    const auto toTangent = [&](const Vector3& v) {
      return Vector3{Vector3::Dot(v, wt), Vector3::Dot(v, b), Vector3::Dot(v, wn)};
    };
    const Vector3 eye = Vector3{1, 2, -10} - wp;
    const Vector3 v = Unit(toTangent(eye));
    const Vector3 mapNormal{2 * mapColour[0] - 1, 2 * mapColour[1] - 1, 2 * mapColour[2] - 1};
    const Vector3 n = one ? mapNormal : Unit(mapNormal);
    const RenderStateBlock& block = *pass->GetStateBlock();
    Vector3 times = Times(Rgb(block.ambient), Rgb(sun->GetAmbient()));
    Vector3 plus = Rgb(block.emissive);
    const auto light = [&](const Light& source, const Vector3& towards, float attenuation) {
      const float shadow = std::min(1.0f, 8 * std::max(0.0f, Vector3::Dot(wn, towards)));
      // 1.1 does not normalise the interpolated vector again.
      const Vector3 l = one ? toTangent(towards) : Unit(toTangent(towards));
      const float d = one ? std::clamp(Vector3::Dot(n, l), 0.0f, 1.0f) : std::max(0.0f, Vector3::Dot(n, l));
      // 1.1: specular per vertex with the vertex normal.
      const Vector3 specularNormal = one ? wn : n;
      const Vector3 h = one ? Unit(Unit(eye) + towards) : Unit(v + l);
      const float nl = Vector3::Dot(specularNormal, one ? towards : l);
      const float s = nl > 0 ? std::pow(std::max(0.0f, Vector3::Dot(specularNormal, h)), 6.0f) : 0.0f;
      times = times + Times(Rgb(block.diffuse), Rgb(source.GetDiffuse())) * (d * shadow * attenuation);
      plus = plus + Times(Rgb(block.specular), Rgb(source.GetSpecular())) * (s * shadow * attenuation);
      return shadow;
    };
    const Vector3 towardsSun = Unit(sun->GetForward() * -1.0f);
    EXPECT_NEAR(vertexOut.texcoords[4][0] * !one + vertexOut.colors[0][3] * one,
                light(*sun, towardsSun, 1), 1e-4f);
    if (c.kind == MAP_POINT) {
      const Vector3 to = lamp->GetPosition() - wp;
      const float distance = to.Length();
      const float attenuation = 1 / (1 + 0.5f * distance + 0.25f * distance * distance);
      times = times + Times(Rgb(block.ambient), Rgb(lamp->GetAmbient())) * attenuation;
      light(*lamp, Unit(to), attenuation);
    }
    Vector3 expected = Times(texel, one ? Saturated(times) : times) + (one ? Saturated(plus) : plus);
    if (c.kind == PARALLAX) {
      // 1.1 shifts per vertex at the middle height.
      const float height = one ? 0.5f : mapColour[3];
      const float shift = height * 0.1f - 0.03f;
      EXPECT_NEAR(sampled[0][0], 0.25f + v.x * shift, 1e-4f);
      EXPECT_NEAR(sampled[0][1], 0.5f - v.y * shift, 1e-4f);
      EXPECT_NEAR(sampled[1][0], 0.75f + v.x * shift, 1e-4f);
      EXPECT_NEAR(sampled[1][1], 0.125f - v.y * shift, 1e-4f);
    }
    ExpectNear(pixelOut.targets[0], {expected.x, expected.y, expected.z, 1}, one ? 3e-3f : 1e-4f);
  }
}

TEST_F(LitEffectProgramTest, SkinnedLitProgramsLightInTheWorld) {
  SetCamera();
  renderer->SetCapabilities(Renderer::SHADER_2, Renderer::SHADER_2, 8);
  const Ptr<TextureEffect> effect = MakeLit(PLAIN_LIGHT);
  const Ptr<Triangles> mesh = MakeLitMesh(effect.Get(), {10, 0, 0});
  effect->SetSkin(Skin(*mesh).Get());
  Drawn(*mesh);
  // Positions and normals through both bones; the view vector and the
  // light in world space, whatever the mesh's own placement.
  const Vector3 p{1, 2, 3};
  const Vector3 n{0, 0.6f, -0.8f};
  const ShaderInterpreter::Outputs out = RunVertex(*effect, p, {0.25f, 0.75f, 0, 0}, {1, 0, 0, 0}, {}, n);
  const Transformation& knee = bones[1]->GetWorldTransform();
  const Transformation& hip = bones[0]->GetWorldTransform();
  const Vector3 world = knee.TransformPoint(p) * 0.25f + hip.TransformPoint(p) * 0.75f;
  const Vector3 normal = knee.TransformVector(n) * 0.25f + hip.TransformVector(n) * 0.75f;
  const Vector3 view = renderer->GetCamera()->GetPosition() - world;
  const float normals[3] = {normal.x, normal.y, normal.z};
  const float views[3] = {view.x, view.y, view.z};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_NEAR(out.texcoords[1][i], normals[i], 1e-4f);
    EXPECT_NEAR(out.texcoords[2][i], views[i], 1e-3f);
  }
  ExpectNear(renderer->pixelConstants[2], {0, 0.6f, -0.8f, 0}, 1e-5f);
  EXPECT_EQ(renderer->vertexConstants[208][0], 1);
}

}  // namespace
}  // namespace ynx
