// The effects framework against a recording renderer: render-state
// defaults, what passes copy from their effect, choosing and keeping a
// technique, when passes are recorded anew, drawing geometry and scene
// nodes, the frame protocol, the skin hand-over and shader texts.

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "engine/animation/PostUpdateController.h"
#include "engine/animation/SkinController.h"
#include "engine/render/GeometryNodeEffectPass.h"
#include "engine/render/SceneNodeEffect.h"
#include "engine/render/SinglePassTechnique.h"
#include "engine/render/Texture1DL1PLEffect.h"
#include "engine/render/TextureEffect.h"
#include "engine/render/VelvetTexture1DLEffect.h"
#include "engine/render/VertexShader.h"
#include "engine/scene/Camera.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Light.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/Vector3Buffer.h"
#include "tests/render/RenderFixture.h"
#include "tests/scene/SceneTestClasses.h"

namespace ynx {
namespace {

using Calls = std::vector<std::string>;

class EffectFrameworkTest : public test::RenderFixture {
 protected:
  // A colour effect as stored, with the given flags byte and fog exponent;
  // stages 0 and 2 clamp.
  static Ptr<ColorEffect> StoredEffect(uint8_t flags, float fogExponent = 2.0f) {
    test::ByteWriter bytes;
    bytes.Head(1, "YNX.ColorEffect", "paint");
    test::GeometryEffectPart(bytes, 0x05, flags, fogExponent);
    bytes.F32(1).F32(1).F32(1).F32(1);
    Ptr<Object> loaded = test::ReadOne(bytes);
    return Ptr<ColorEffect>(static_cast<ColorEffect*>(loaded.Get()));
  }

  // The calls of one draw of the node, then of the sorted nodes.
  Calls Drawn(Node& node) {
    renderer->calls.clear();
    node.Draw(*renderer);
    renderer->FlushSorted();
    return renderer->TakeCalls();
  }

  static Calls Only(const Calls& calls, const std::string& prefix) {
    Calls kept;
    for (const std::string& call : calls) {
      if (call.rfind(prefix, 0) == 0) kept.push_back(call);
    }
    return kept;
  }
};

TEST(RenderStateBlockTest, DefaultsCullCounterClockwiseTestDepthAndModulateEveryStage) {
  const Ptr<RenderStateBlock> block(new RenderStateBlock());
  EXPECT_TRUE(block->cullEnable);
  EXPECT_EQ(block->cullMode, RenderStateBlock::CULL_COUNTER_CLOCKWISE);
  EXPECT_TRUE(block->depthTest);
  EXPECT_TRUE(block->depthWrite);
  EXPECT_EQ(block->depthFunc, RenderStateBlock::COMPARE_LESS_EQUAL);
  for (const TextureStageState& stage : block->stages) {
    EXPECT_EQ(stage.mode, TextureStageState::MODULATE);
  }
}

TEST_F(EffectFrameworkTest, PassesCopyTheEffectsFogAlphaAndWrapping) {
  struct Case {
    float exponent;
    int32_t mode;
  };
  for (const Case& c :
       {Case{1.5f, RenderStateBlock::FOG_EXP}, Case{2.0f, RenderStateBlock::FOG_EXP},
        Case{2.5f, RenderStateBlock::FOG_EXP2}}) {
    SCOPED_TRACE(c.exponent);
    const Ptr<ColorEffect> effect = StoredEffect(0x00, c.exponent);
    ASSERT_EQ(effect->PassCount(), 1);
    const Pass* pass = effect->GetActiveTechnique()->GetPass(0);
    EXPECT_EQ(pass->GetType().GetName(), String("YNX.GeometryNodeEffectPass"));
    const RenderStateBlock& block = *pass->GetStateBlock();
    EXPECT_TRUE(block.fogEnable);
    EXPECT_EQ(block.fogMode, c.mode);
    EXPECT_EQ(block.alphaFunc, RenderStateBlock::COMPARE_GREATER_EQUAL);
    for (const int32_t stage : {0, 1, 2}) {
      const int32_t address = stage == 1 ? TextureStageState::WRAP : TextureStageState::CLAMP;
      EXPECT_EQ(block.stages[stage].addressU, address);
      EXPECT_EQ(block.stages[stage].addressV, address);
      EXPECT_EQ(block.stages[stage].addressW, address);
    }
  }
}

// Techniques: 0 its programs, 1 its fixed pass, 2 and 3 the colour
// effect's (whose programs need what the texture effect's need).
TEST_F(EffectFrameworkTest, ATextureEffectKeepsTheFirstTechniqueTheRendererRuns) {
  struct Case {
    int32_t vertex;
    int32_t pixel;
    int32_t stages;
    int32_t technique;
  };
  for (const Case& c : {Case{Renderer::SHADER_2, Renderer::SHADER_2, 8, 0},
                        Case{Renderer::SHADER_1, Renderer::SHADER_1, 0, 0},
                        Case{Renderer::SHADER_2, Renderer::SHADER_NONE, 8, 1},
                        Case{Renderer::SHADER_NONE, Renderer::SHADER_NONE, 1, 1},
                        Case{Renderer::SHADER_NONE, Renderer::SHADER_2, 0, 3}}) {
    SCOPED_TRACE(c.technique);
    renderer->SetCapabilities(c.vertex, c.pixel, c.stages);
    const Ptr<TextureEffect> effect(new TextureEffect());
    ASSERT_EQ(effect->GetTechniqueCount(), 4);
    EXPECT_EQ(effect->PassCount(), 1);
    EXPECT_EQ(effect->GetActiveTechnique(), effect->GetTechnique(c.technique));
    renderer->SetCapabilities(Renderer::SHADER_2, Renderer::SHADER_2, 8);
    EXPECT_EQ(effect->PassCount(), 1);
    EXPECT_EQ(effect->GetActiveTechnique(), effect->GetTechnique(c.technique));
  }
}

// The lit effects' techniques: their programs, their fixed pass (the
// velvet effect first tries the lit effect's programs), then the texture
// effect's two and the colour effect's two.
TEST_F(EffectFrameworkTest, LitEffectsTryTheirTechniquesInOrder) {
  struct Case {
    int32_t vertex;
    int32_t pixel;
    int32_t stages;
    int32_t lights;
    int32_t technique;  // of Texture1DLEffect and Texture1DL1PLEffect; the velvet one's is one more but for 0
  };
  for (const Case& c : {Case{Renderer::SHADER_2, Renderer::SHADER_2, 2, 1, 0},
                        Case{Renderer::SHADER_1, Renderer::SHADER_1, 2, 1, 0},
                        Case{Renderer::SHADER_2, Renderer::SHADER_NONE, 2, 1, 1},
                        Case{Renderer::SHADER_2, Renderer::SHADER_2, 1, 1, 2},
                        Case{Renderer::SHADER_2, Renderer::SHADER_2, 8, 0, 2},
                        Case{Renderer::SHADER_NONE, Renderer::SHADER_NONE, 1, 8, 3},
                        Case{Renderer::SHADER_NONE, Renderer::SHADER_2, 0, 8, 5}}) {
    SCOPED_TRACE(std::to_string(c.stages) + " stages, " + std::to_string(c.lights) + " lights, technique " +
                 std::to_string(c.technique));
    renderer->SetCapabilities(c.vertex, c.pixel, c.stages, c.lights);
    const Ptr<GeometryNodeEffect> effects[] = {new Texture1DLEffect(), new Texture1DL1PLEffect(),
                                               new VelvetTexture1DLEffect()};
    for (const Ptr<GeometryNodeEffect>& effect : effects) {
      SCOPED_TRACE(effect->GetType().GetName().CStr());
      const bool velvet = effect.Get() == effects[2].Get();
      ASSERT_EQ(effect->GetTechniqueCount(), velvet ? 7 : 6);
      EXPECT_EQ(effect->PassCount(), 1);
      EXPECT_EQ(effect->GetActiveTechnique(), effect->GetTechnique(c.technique + (velvet && c.technique > 0)));
    }
  }
}

TEST_F(EffectFrameworkTest, WithoutARendererNoTechniqueIsTakenUntilOneIs) {
  Renderer::SetCurrent(nullptr);
  const Ptr<ColorEffect> effect(new ColorEffect());
  EXPECT_EQ(effect->PassCount(), 0);
  EXPECT_EQ(effect->PassCount(), 0);
  EXPECT_EQ(effect->GetActiveTechnique(), nullptr);
  Renderer::SetCurrent(renderer.Get());
  EXPECT_EQ(effect->PassCount(), 1);
  // Only the pass's own MarkDirty sets the stage up: PassCount ran it.
  const RenderStateBlock& block = *effect->GetActiveTechnique()->GetPass(0)->GetStateBlock();
  EXPECT_EQ(block.stages[0].mode, TextureStageState::COMBINE);
}

TEST_F(EffectFrameworkTest, PassesAreRecordedAnewOnceAfterWhatTheirStateHangsOn) {
  renderer->SetCapabilities(Renderer::SHADER_2, Renderer::SHADER_2, 8);
  const Ptr<TextureEffect> effect(new TextureEffect());
  const Ptr<Triangles> mesh = MakeMesh("mesh", effect.Get());
  struct Case {
    const char* what;
    std::function<void()> change;
    bool dirty;
  };
  const Case cases[] = {
      {"fog", [&] { effect->SetFog(true); }, true},
      {"sway", [&] { effect->SetSway(true); }, true},
      {"colour",
       [&] {
         effect->SetColor({1, 0, 0, 1});
       },
       true},
      {"coordinate set", [&] { effect->SetTexCoordSet(1); }, true},
      {"texture", [&] { effect->SetTexture(new Texture()); }, false},
      {"positions", [&] { mesh->SetVertices(mesh->GetVertices()); }, true},
      {"point sizes", [&] { mesh->SetPointSizes(nullptr); }, true},
      {"colours", [&] { mesh->SetColors(nullptr); }, true},
      {"normals", [&] { mesh->SetNormals(nullptr); }, true},
      {"tangents", [&] { mesh->SetTangents(nullptr); }, true},
      {"texture set", [&] { mesh->SetTexCoords(2, nullptr); }, true},
      {"indices", [&] { mesh->SetIndices(mesh->GetIndices()); }, true},
  };
  EXPECT_EQ(Drawn(*mesh).front(), "ApplyPass dirty");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Drawn(*mesh).front(), "ApplyPass clean");
    c.change();
    EXPECT_EQ(Drawn(*mesh).front(), c.dirty ? "ApplyPass dirty" : "ApplyPass clean");
  }
  EXPECT_EQ(Drawn(*mesh).front(), "ApplyPass clean");
}

TEST_F(EffectFrameworkTest, BlendedGeometryWaitsForTheFlushAndDrawsFarthestFirst) {
  renderer->SetCamera(new Camera());
  const Ptr<SceneNode> root(new SceneNode(String("root"), 0, 4));
  for (const auto& [name, z] : {std::pair{"near", 5.0f}, {"far", 50.0f}, {"middle", 20.0f}}) {
    root->AppendChild(MakeMesh(name, StoredEffect(0x01).Get(), {0, 0, z}).Get());
  }
  const Ptr<ColorEffect> disabled(new ColorEffect());
  disabled->Disable();
  root->AppendChild(MakeMesh("hidden", disabled.Get()).Get());
  for (int32_t slot = 0; slot < 3; ++slot) root->GetChild(slot)->Draw(*renderer);
  EXPECT_TRUE(renderer->calls.empty());
  renderer->FlushSorted();
  EXPECT_EQ(Only(renderer->TakeCalls(), "DrawIndexed"),
            (Calls{"DrawIndexed far", "DrawIndexed middle", "DrawIndexed near"}));
  EXPECT_TRUE(Drawn(*root->GetChild(3)).empty());
}

// A pass that pushes a light and then refuses to draw.
class RefusingEffect : public GeometryNodeEffect {
 public:
  RefusingEffect() : light(new Light(String("lamp"))) {
    AddTechnique(new SinglePassTechnique(this, &SinglePassTechnique::Always,
                                         &SinglePassTechnique::Make<RefusingPass, RefusingEffect>));
  }

 private:
  class RefusingPass : public GeometryNodeEffectPass {
   public:
    explicit RefusingPass(RefusingEffect* effect) : GeometryNodeEffectPass(effect) {}
    int32_t Apply() override {
      Renderer* renderer = Renderer::GetCurrent();
      Light* lamp = static_cast<RefusingEffect*>(GetEffect())->light.Get();
      renderer->GetLights().push_back(lamp);
      renderer->PushLight(lamp);
      return 1;
    }
  };

  Ptr<Light> light;
};

TEST_F(EffectFrameworkTest, ARefusedPassDrawsNothingAndLeavesNoLight) {
  const Ptr<RefusingEffect> effect(new RefusingEffect());
  const Ptr<Triangles> mesh = MakeMesh("mesh", effect.Get());
  EXPECT_EQ(Drawn(*mesh), (Calls{"ApplyPass dirty", "PushLight lamp", "AbandonPass", "PopLight"}));
  EXPECT_TRUE(renderer->GetLights().empty());
}

// A scene effect of two passes that draw.
class TwoPassSceneEffect : public SceneNodeEffect {
 public:
  TwoPassSceneEffect() { AddTechnique(new Passes(this)); }

 private:
  class DrawingPass : public Pass {
   public:
    int32_t Apply() override { return 0; }
  };
  class Passes : public Technique {
   public:
    explicit Passes(Effect* effect) : Technique(effect) {}
    bool Create() override {
      AddPass(new DrawingPass());
      AddPass(new DrawingPass());
      return true;
    }
  };
};

TEST_F(EffectFrameworkTest, SceneEffectsDrawTheChildrenAndTheSortedOnesPerPass) {
  const Ptr<SceneNode> root(new SceneNode(String("root"), 0, 2));
  const Ptr<TwoPassSceneEffect> effect(new TwoPassSceneEffect());
  root->AddEffect(effect.Get());
  root->AppendChild(MakeMesh("glass", StoredEffect(0x01).Get()).Get());
  root->AppendChild(MakeMesh("wall", new ColorEffect()).Get());
  EXPECT_EQ(Only(Drawn(*root), "DrawIndexed"), (Calls{"DrawIndexed wall", "DrawIndexed glass",
                                                      "DrawIndexed wall", "DrawIndexed glass"}));
  effect->Disable();
  EXPECT_TRUE(Drawn(*root).empty());
}

class CountingPostUpdate : public PostUpdateController {
 public:
  void PostUpdate() override { ++runs; }
  int32_t runs = 0;
};

TEST_F(EffectFrameworkTest, BeginFrameMakesACameraAndRunsEachPostUpdateOnce) {
  const Ptr<CountingPostUpdate> first(new CountingPostUpdate());
  const Ptr<CountingPostUpdate> second(new CountingPostUpdate());
  EXPECT_EQ(renderer->AddPostUpdate(first.Get()), 0);
  EXPECT_EQ(renderer->AddPostUpdate(second.Get()), 1);
  EXPECT_EQ(renderer->AddPostUpdate(first.Get()), 0);
  ASSERT_EQ(renderer->GetCamera(), nullptr);
  EXPECT_EQ(renderer->BeginFrame(), 0);
  EXPECT_NE(renderer->GetCamera(), nullptr);
  EXPECT_EQ(renderer->BeginFrame(), 0);
  EXPECT_EQ(first->runs, 1);
  EXPECT_EQ(second->runs, 1);

  // A lost device drops what was queued.
  renderer->AddPostUpdate(first.Get());
  renderer->beginSceneResult = 1;
  EXPECT_EQ(renderer->BeginFrame(), 1);
  renderer->beginSceneResult = 0;
  EXPECT_EQ(renderer->BeginFrame(), 0);
  EXPECT_EQ(first->runs, 1);
}

TEST_F(EffectFrameworkTest, OpenRefusesAModeThatIsNotListed) {
  renderer->AddMode(DisplayModeDesc{});
  for (const int32_t mode : {-1, 1}) {
    EXPECT_EQ(renderer->Open(mode, String("saver"), 0, 0, 0, 64, 64), 3);
    EXPECT_EQ(renderer->GetWindow(), WindowHandle{0});
  }
  EXPECT_TRUE(renderer->calls.empty());
}

TEST_F(EffectFrameworkTest, TheSkinGoesBackToTheProcessorBelowVertexShaders2) {
  struct Case {
    int32_t level;
    bool kept;
  };
  for (const Case& c : {Case{Renderer::SHADER_1, false}, Case{Renderer::SHADER_NONE, false},
                        Case{Renderer::SHADER_2, true}, Case{Renderer::SHADER_3, true}}) {
    SCOPED_TRACE(c.level);
    renderer->SetCapabilities(c.level, Renderer::SHADER_2, 8);
    const Ptr<ColorEffect> effect(new ColorEffect());
    const Ptr<Triangles> mesh = MakeMesh("mesh", effect.Get());
    const Ptr<SkinController> skin(new SkinController());
    mesh->AttachController(skin.Get());
    effect->SetSkin(skin.Get());
    const auto* bound = static_cast<const SphereBoundingVolume*>(mesh->GetWorldBound());
    EXPECT_EQ(bound->GetRadius(), std::numeric_limits<float>::max());
    EXPECT_FALSE(mesh->GetUpdateWorldBound());
    EXPECT_TRUE(skin->IsActive());
    effect->Update(0.1);
    EXPECT_EQ(effect->GetSkin() != nullptr, c.kept);
    EXPECT_EQ(skin->IsActive(), !c.kept);
  }
}

TEST_F(EffectFrameworkTest, SettingAShadersTextDropsItsDeviceCopyEveryTime) {
  const Ptr<VertexShader> shader(new VertexShader(String("vs"), "vs_1_1\n"));
  for (int round = 0; round < 2; ++round) {
    // As the renderer's bind would leave it, after a text that failed.
    shader->GetBinding().owner = renderer.Get();
    shader->MarkFailed();
    shader->SetText("vs_2_0\nmov oPos, v0\n");
    EXPECT_EQ(renderer->TakeCalls(), Calls{"ReleaseBinding"});
    EXPECT_FALSE(shader->GetBinding().owner);
    EXPECT_FALSE(shader->HasFailed());
    EXPECT_EQ(shader->GetLength(), 20);
  }
}

}  // namespace
}  // namespace ynx
