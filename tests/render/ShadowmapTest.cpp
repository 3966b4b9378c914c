// Shadow maps without a device: which technique the capabilities allow and
// what each frame then asks of the renderer, which nodes receive, the bound
// the light camera is fitted to, and the fits themselves.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <string>
#include <vector>

#include "engine/render/ColorEffect.h"
#include "engine/render/RenderShadowmapEffectController.h"
#include "engine/render/ShadowmapEffect.h"
#include "engine/render/ShadowmapFit.h"
#include "engine/render/SpriteParticleSystem.h"
#include "engine/scene/Camera.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Lines.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Vector3Buffer.h"
#include "tests/render/RenderFixture.h"

namespace ynx::test {
namespace {

constexpr Vector3 DOWN{0.0f, -1.0f, 0.0f};

int32_t Count(const std::vector<std::string>& calls, const std::string& prefix) {
  return static_cast<int32_t>(std::count_if(calls.begin(), calls.end(), [&](const std::string& call) {
    return call.rfind(prefix, 0) == 0;
  }));
}

// Where a world point lands in the shadow map: texture x, y and depth.
Vector3 InMap(const Matrix4& shadowMatrix, const Vector3& point) {
  const Vector4 moved = shadowMatrix.Transform({point.x, point.y, point.z, 1.0f});
  return Vector3{moved.x, moved.y, moved.z} * (1.0f / moved.w);
}

// A root scene node holding a shadow map effect lit straight down, with
// its controller, and meshes below it that are also the casters; a
// camera 10 units from the first mesh looking at it.
class ShadowmapTest : public RenderFixture {
 protected:
  void SetUp() override {
    RenderFixture::SetUp();
    renderer->SetCapabilities(Renderer::SHADER_2, Renderer::SHADER_2, 8);
    renderer->SetDepthTextures(true);
    effect = new ShadowmapEffect(String("shadows"));
    effect->AttachController(new RenderShadowmapEffectController());
    light = new Light(String("sun"));
    light->SetLightType(Light::LIGHT_DIRECTIONAL);
    light->SetDirection(DOWN);
    light->UpdateWorldTransform();
    effect->SetLight(light.Get());
    root = new SceneNode(String("root"), 0, 4);
    root->AddEffect(effect.Get());
    camera = new Camera(String("eye"));
    Look({0.0f, 0.0f, 1.0f});
  }

  // A mesh (its positions carry its name) below `parent`, default the root.
  GeometryNode* Add(const char* name, const Vector3& at, SceneNode* parent = nullptr) {
    Ptr<Triangles> mesh = MakeMesh(name, new ColorEffect(), at);
    mesh->GetVertices()->SetName(String(name));
    (parent != nullptr ? parent : root.Get())->AppendChild(mesh.Get());
    return mesh.Get();
  }

  void CastAll() {
    Array<Node*> list;
    for (int32_t slot = 0; slot < root->GetSlotCount(); ++slot) list.Append(root->GetChild(slot));
    effect->SetCasters(list);
  }

  // The camera 10 units back from (0.5, 0.5, 0) along `forward`.
  void Look(const Vector3& forward) {
    Transformation placed;
    placed.SetTranslation(Vector3{0.5f, 0.5f, 0.0f} - forward * 10.0f);
    camera->SetLocalTransform(placed);
    camera->SetDirection(forward);
    camera->Update(0.0);
    renderer->SetCamera(camera.Get());
  }

  // Update, BeginFrame, the scene, EndFrame: that frame's calls.
  std::vector<std::string> Frame() {
    renderer->TakeCalls();
    root->UpdateRecursive(0.0, false);
    EXPECT_EQ(renderer->BeginFrame(), 0);
    root->Render(*renderer);
    renderer->EndFrame();
    return renderer->TakeCalls();
  }

  Ptr<ShadowmapEffect> effect;
  Ptr<Light> light;
  Ptr<SceneNode> root;
  Ptr<Camera> camera;
};

TEST_F(ShadowmapTest, TheCapabilitiesChooseTheTechniqueAndWhatIsDrawnIntoTargets) {
  struct Case {
    int32_t shaders;
    bool depthTextures;
    bool colorTarget;
    bool shadowed;
  };
  constexpr int32_t NONE = Renderer::SHADER_NONE;
  for (const Case& c : {Case{Renderer::SHADER_2, true, true, true}, Case{Renderer::SHADER_1, true, false, true},
                        Case{Renderer::SHADER_2, false, true, false}, Case{NONE, true, true, false}}) {
    SCOPED_TRACE("shaders " + std::to_string(c.shaders) + ", depth textures " + std::to_string(c.depthTextures) +
                 ", colour target " + std::to_string(c.colorTarget));
    SetUp();
    renderer->SetCapabilities(c.shaders, c.shaders, 8);
    renderer->SetDepthTextures(c.depthTextures);
    Add("a", {0, 0, 0});
    Add("b", {2, 0, 0});
    CastAll();
    if (c.colorTarget) effect->SetShadowMap(effect->GetShadowMap());
    const std::string map = std::string("BeginRenderToDepthTexture ") + effect->GetShadowMap()->GetName().CStr();

    // The technique is chosen, and the receivers found, in the first
    // frame's post-updates: that frame draws its map already.
    std::vector<std::string> calls = Frame();
    EXPECT_EQ(Count(calls, "BeginRenderTo"), c.shadowed ? (c.colorTarget ? 4 : 2) : 0);
    ASSERT_NE(effect->GetActiveTechnique(), nullptr);
    EXPECT_EQ(effect->GetActiveTechnique(), effect->GetTechnique(c.shadowed ? 0 : 1));
    EXPECT_EQ(effect->GetActiveTechnique()->GetPassCount(), c.shadowed ? 2 : 1);

    calls = Frame();
    EXPECT_EQ(Count(calls, "DrawIndexed "), c.shadowed ? 4 : 2);
    if (!c.shadowed) {
      EXPECT_EQ(Count(calls, "BeginRenderTo"), 0);
      EXPECT_EQ(Count(calls, "DrawIndexedSkinned"), 0);
      continue;
    }
    std::vector<std::string> targets;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(targets),
                 [](const std::string& call) { return call.rfind("BeginRenderTo", 0) == 0; });
    std::vector<std::string> expected{map, "BeginRenderToDepthTexture null"};
    if (c.colorTarget) {
      expected = {"BeginRenderToTexture YNX.Texture", map, "BeginRenderToDepthTexture null",
                  "BeginRenderToTexture null"};
    }
    EXPECT_EQ(targets, expected);
    // The map's depth only is cleared, then the casters and the scene pass
    // draw each mesh, and the receiver pass once more.
    EXPECT_EQ(Count(calls, "Clear 2"), 1);
    EXPECT_EQ(Count(calls, "DrawIndexed a"), 2);
    EXPECT_EQ(Count(calls, "DrawIndexedSkinned a"), 1);
    EXPECT_EQ(Count(calls, "DrawIndexedSkinned b"), 1);
    EXPECT_EQ(renderer->GetCamera(), camera.Get());
  }
}

TEST_F(ShadowmapTest, ReceiversAreTheTrianglesBelowButOnlyEnabledOnesAreDarkened) {
  Add("plain", {0, 0, 0});
  GeometryNode* sway = Add("sway", {1, 0, 0});
  static_cast<ColorEffect*>(sway->GetEffect())->SetSway(true);
  static_cast<ColorEffect*>(Add("off", {2, 0, 0})->GetEffect())->Disable();
  Ptr<Lines> line(new Lines(String("line")));
  line->SetVertices(new Vector3Buffer(2));
  line->GetVertices()->SetName(String("line"));
  line->SetIndices(new IntBuffer(2, new int32_t[2]{0, 1}));
  line->SetEffect(new ColorEffect());
  root->AppendChild(line.Get());
  Ptr<SceneNode> group(new SceneNode(String("group"), 0, 4));
  root->AppendChild(group.Get());
  Ptr<SpriteParticleSystem> sprites(new SpriteParticleSystem(String("sprites")));
  group->AppendChild(sprites.Get());
  GeometryNode* deep = Add("deep", {0, 0, 3}, group.Get());
  CastAll();
  effect->SetShadowColor({0.25f, 0.5f, 0.75f, 0.5f});

  Frame();
  std::vector<std::string> names;
  for (const Ptr<GeometryNode>& receiver : effect->GetReceivers()) names.emplace_back(receiver->GetName().CStr());
  EXPECT_EQ(names, (std::vector<std::string>{"plain", "sway", "off", "line", "deep"}));

  const std::vector<std::string> calls = Frame();
  std::vector<std::string> drawn;
  for (const std::string& call : calls) {
    if (call.rfind("DrawIndexedSkinned ", 0) == 0) drawn.push_back(call.substr(19));
  }
  EXPECT_EQ(drawn, (std::vector<std::string>{"plain", "sway", "deep"}));
  // The map is bound for the receivers only.
  const std::string map = std::string("SetTexture ") + effect->GetShadowMap()->GetName().CStr() + " 1";
  const auto bound = std::find(calls.begin(), calls.end(), map);
  const auto unbound = std::find(calls.begin(), calls.end(), "SetTexture null 1");
  ASSERT_NE(bound, calls.end());
  ASSERT_NE(unbound, calls.end());
  EXPECT_LT(std::find(calls.begin(), calls.end(), "DrawIndexedSkinned plain") - bound, unbound - bound);

  // The last receiver's constants: its world through the shadow matrix in
  // c4-c7 (stored by columns), the shadow colour in c8.
  const Matrix4 toMap =
      Matrix4::Multiply(deep->GetWorldTransform().ToMatrix4(), effect->GetShadowMatrix());
  for (int32_t column = 0; column < 4; ++column) {
    for (int32_t row = 0; row < 4; ++row) {
      EXPECT_FLOAT_EQ(renderer->vertexConstants[4 + column][row], toMap.m[row * 4 + column]);
    }
  }
  EXPECT_EQ(renderer->vertexConstants[8], (std::array<float, 4>{0.25f, 0.5f, 0.75f, 0.5f}));
}

TEST_F(ShadowmapTest, TheCasterBoundIsRebuiltFromTheReceiversEveryFrame) {
  GeometryNode* first = Add("first", {10, 0, 0});
  GeometryNode* second = Add("second", {12, 0, 0});
  // A skinned mesh before its controller has bounded it encloses all.
  GeometryNode* unbounded = Add("unbounded", {0, 0, 0});
  unbounded->SetUpdateWorldBound(false);
  static_cast<SphereBoundingVolume*>(unbounded->GetWorldBound())->Set({}, ShadowmapEffect::UNBOUNDED_RADIUS);
  CastAll();
  const float half = std::sqrt(0.5f);
  struct Step {
    float firstX;
    float secondX;
    Vector3 centre;
    float radius;
  };
  Frame();
  for (const Step& step : {Step{10, 12, {11.5f, 0.5f, 0}, 1 + half}, Step{100, 101, {101, 0.5f, 0}, 0.5f + half},
                           Step{-3, -3, {-2.5f, 0.5f, 0}, half}}) {
    SCOPED_TRACE("receivers at x = " + std::to_string(step.firstX) + " and " + std::to_string(step.secondX));
    for (const auto& [mesh, x] : {std::pair{first, step.firstX}, std::pair{second, step.secondX}}) {
      Transformation placed;
      placed.SetTranslation({x, 0, 0});
      mesh->SetLocalTransform(placed);
    }
    Frame();
    const SphereBoundingVolume& bound = effect->GetCasterBound();
    EXPECT_NEAR(bound.GetCenter().x, step.centre.x, 1e-4f);
    EXPECT_NEAR(bound.GetCenter().y, step.centre.y, 1e-4f);
    EXPECT_NEAR(bound.GetCenter().z, step.centre.z, 1e-4f);
    EXPECT_NEAR(bound.GetRadius(), step.radius, 1e-4f);
  }
}

TEST(ShadowmapFitTest, TheUniformFitLooksAlongTheLightOverTheBound) {
  // Half a texel of the 128 x 128 map.
  constexpr float HALF = 0.5f / 128.0f;
  struct Case {
    Vector3 direction;
    Vector3 centre;
    float radius;
    Vector3 point;
    Vector3 expected;
  };
  const float middle = (4.0f - 0.1f) / 7.9f;
  for (const Case& c : {
           Case{DOWN, {1, 2, 3}, 4, {1, 2, 3}, {0.5f + HALF, 0.5f + HALF, middle}},
           // Looking down, world x is right and world z up the map.
           Case{DOWN, {1, 2, 3}, 4, {5, 2, 3}, {1 + HALF, 0.5f + HALF, middle}},
           Case{DOWN, {1, 2, 3}, 4, {1, 2, 7}, {0.5f + HALF, HALF, middle}},
           Case{DOWN, {1, 2, 3}, 4, {1, 6, 3}, {0.5f + HALF, 0.5f + HALF, -0.1f / 7.9f}},
           // Along +x, right is world -z; the far plane at 2r.
           Case{{1, 0, 0}, {0, 0, 0}, 2, {0, 0, -2}, {1 + HALF, 0.5f + HALF, 1.9f / 3.9f}},
           Case{{1, 0, 0}, {0, 0, 0}, 2, {2, 2, 0}, {0.5f + HALF, HALF, 1.0f}},
       }) {
    SCOPED_TRACE("point (" + std::to_string(c.point.x) + ", " + std::to_string(c.point.y) + ", " +
                 std::to_string(c.point.z) + ")");
    Camera lightCamera;
    ShadowmapFit::Uniform(lightCamera, c.direction, SphereBoundingVolume(c.centre, c.radius));
    EXPECT_EQ(lightCamera.GetProjection().m[11], 0.0f);
    const Vector3 mapped = InMap(ShadowmapFit::ShadowMatrix(lightCamera, 128, 128), c.point);
    EXPECT_NEAR(mapped.x, c.expected.x, 1e-5f);
    EXPECT_NEAR(mapped.y, c.expected.y, 1e-5f);
    EXPECT_NEAR(mapped.z, c.expected.z, 1e-5f);
  }
}

TEST_F(ShadowmapTest, ThePerspectiveFitHoldsOnlyWhileLightAndViewAreApart) {
  Add("a", {0, 0, 0});
  Add("b", {3, 0, 2});
  Add("c", {-2, 0, -1});
  CastAll();
  effect->SetPerspective(true);
  Frame();
  struct Case {
    Vector3 forward;
    bool warped;
  };
  const float s94 = std::sqrt(1.0f - 0.94f * 0.94f);
  const float s96 = std::sqrt(1.0f - 0.96f * 0.96f);
  for (const Case& c : {Case{DOWN, false}, Case{{0, 0, 1}, true}, Case{{0, -0.94f, s94}, true},
                        Case{{0, -0.96f, s96}, false}, Case{{0.6f, 0.8f, 0}, true}}) {
    SCOPED_TRACE("camera forward (" + std::to_string(c.forward.x) + ", " + std::to_string(c.forward.y) + ", " +
                 std::to_string(c.forward.z) + ")");
    Look(c.forward);
    Frame();
    const Matrix4& projection = effect->GetLightCamera()->GetProjection();
    EXPECT_EQ(projection.m[11] != 0.0f, c.warped);
    // Whatever the fit, the receivers land inside the map.
    for (const Ptr<GeometryNode>& receiver : effect->GetReceivers()) {
      const Vector3 mapped = InMap(effect->GetShadowMatrix(), receiver->GetWorldBound()->GetCenter());
      EXPECT_GE(mapped.x, 0.0f);
      EXPECT_LE(mapped.x, 1.0f);
      EXPECT_GE(mapped.y, 0.0f);
      EXPECT_LE(mapped.y, 1.0f);
      EXPECT_GE(mapped.z, 0.0f);
      EXPECT_LE(mapped.z, 1.0f);
    }
  }
}

}  // namespace
}  // namespace ynx::test
