// Sprite particle systems against a recording renderer: the buffer layout
// follows the renderer's point sprites, quads face its camera (and wait for
// one), the bound covers only what was written, and the sprite effect
// blends additively and keeps its texture in the stream.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "engine/core/Random.h"
#include "engine/render/SpriteEffect.h"
#include "engine/render/SpriteParticleSystem.h"
#include "engine/scene/Camera.h"
#include "engine/scene/ColorBuffer.h"
#include "engine/scene/FloatBuffer.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "tests/render/RenderFixture.h"
#include "tests/scene/SceneTestClasses.h"

namespace ynx::test {
namespace {

class SpriteParticleTest : public RenderFixture {
 protected:
  void SetUp() override {
    RenderFixture::SetUp();
    renderer->SetCapabilities(0, 0, 8);
    Random::Seed(3);
  }

  // Still particles of the given size and colour at (10, 0, 0), one burst
  // of `burst` on the first update.
  static Ptr<SpriteParticleSystem> System(int32_t maxParticles, int32_t burst) {
    Ptr<SpriteParticleSystem> system(new SpriteParticleSystem(String("sprites")));
    system->SetMaxParticles(maxParticles);
    system->SetBurst(burst, 0);
    system->SetInterval(100.0f, 0.0f);
    system->SetSpeed(0.0f, 0.0f);
    system->SetStartSize(2.0f, 0.0f);
    system->SetEndSize(2.0f, 0.0f);
    system->SetStartColor({1.0f, 0.5f, 0.25f, 1.0f}, {0.0f, 0.0f, 0.0f, 0.0f});
    system->SetEndColor({1.0f, 0.5f, 0.25f, 1.0f}, {0.0f, 0.0f, 0.0f, 0.0f});
    system->SetLocalTransform(Transformation({10.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 1.0f}));
    return system;
  }

  int32_t Draws() {
    std::vector<std::string> calls = renderer->TakeCalls();
    return static_cast<int32_t>(std::count_if(calls.begin(), calls.end(),
                                              [](const std::string& call) { return call.rfind("Draw ", 0) == 0; }));
  }
  std::string LastDraw() {
    std::string last;
    for (const std::string& call : renderer->TakeCalls()) {
      if (call.rfind("Draw ", 0) == 0) last = call;
    }
    return last;
  }
};

struct LayoutCase {
  bool pointSprites;
  int32_t primitive;
  int32_t vertices;
  bool pointSizes;
  const char* draw;
};

TEST_F(SpriteParticleTest, TheLayoutFollowsThePointSpriteCapability) {
  Ptr<Camera> camera(new Camera(String("eye")));
  camera->Update(0.0);
  renderer->SetCamera(camera.Get());
  const LayoutCase cases[] = {{true, 0, 4, true, "Draw 3"}, {false, 3, 24, false, "Draw 6"}};
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.pointSprites ? "point sprites" : "quads");
    renderer->SetPointSprites(c.pointSprites);
    Ptr<SpriteParticleSystem> system = System(4, 3);
    EXPECT_EQ(system->UsesPointSprites(), c.pointSprites);
    EXPECT_EQ(system->GetPrimitiveType(), c.primitive);
    ASSERT_NE(system->GetVertices(), nullptr);
    EXPECT_EQ(system->GetVertices()->GetCount(), c.vertices);
    EXPECT_EQ(system->GetColors()->GetCount(), c.vertices);
    EXPECT_EQ(system->GetPointSizes() != nullptr, c.pointSizes);
    const auto* uv = static_cast<const Vector2Buffer*>(system->GetTexCoords(0));
    ASSERT_NE(uv, nullptr);
    EXPECT_EQ(uv->GetCount(), c.vertices);
    if (!c.pointSprites) {
      const Vector2 expected[6] = {{0, 1}, {0, 0}, {1, 1}, {0, 0}, {1, 0}, {1, 1}};
      for (int32_t i = 0; i < c.vertices; ++i) EXPECT_EQ(uv->GetElements()[i].x, expected[i % 6].x) << i;
      for (int32_t i = 0; i < c.vertices; ++i) EXPECT_EQ(uv->GetElements()[i].y, expected[i % 6].y) << i;
    }
    system->Update(0.1);
    EXPECT_EQ(system->GetDrawCount(), 3);
    renderer->TakeCalls();
    system->DrawNow(*renderer);
    EXPECT_EQ(LastDraw(), c.draw);
  }
}

TEST_F(SpriteParticleTest, QuadsFaceTheCameraAndTheBoundFitsOnlyWrittenVertices) {
  Ptr<Camera> camera(new Camera(String("eye")));
  camera->Update(0.0);
  renderer->SetCamera(camera.Get());
  Ptr<SpriteParticleSystem> system = System(10, 1);
  system->UpdateRecursive(0.1, false);
  ASSERT_EQ(system->GetDrawCount(), 1);
  const Vector3* corner = system->GetVertices()->GetElements();
  const float d = std::sqrt(0.5f);
  const Vector3 expected[6] = {{10 - d, -d, 0}, {10 - d, d, 0}, {10 + d, -d, 0},
                               {10 - d, d, 0},  {10 + d, d, 0}, {10 + d, -d, 0}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_NEAR(corner[i].x, expected[i].x, 1e-5f) << i;
    EXPECT_NEAR(corner[i].y, expected[i].y, 1e-5f) << i;
    EXPECT_NEAR(corner[i].z, expected[i].z, 1e-5f) << i;
    EXPECT_EQ(system->GetColors()->GetElements()[i], (Color{1.0f, 0.5f, 0.25f, 1.0f}));
  }
  // The 54 stale vertices at the origin stay out of the bound.
  const auto* bound = static_cast<const SphereBoundingVolume*>(system->GetWorldBound());
  EXPECT_NEAR(bound->GetCenter().x, 10.0f, 1e-5f);
  EXPECT_NEAR(bound->GetRadius(), 1.0f, 1e-5f);
}

TEST_F(SpriteParticleTest, QuadsWaitForACamera) {
  Ptr<SpriteParticleSystem> system = System(10, 2);
  system->UpdateRecursive(0.1, false);
  EXPECT_EQ(system->GetLiveCount(), 2);
  EXPECT_EQ(system->GetDrawCount(), 0);
  renderer->TakeCalls();
  system->Draw(*renderer);
  EXPECT_EQ(Draws(), 0);
}

TEST_F(SpriteParticleTest, PointSpritesBoundOnlyTheLiveParticles) {
  renderer->SetPointSprites(true);
  Ptr<SpriteParticleSystem> system = System(10, 1);
  system->UpdateRecursive(0.1, false);
  ASSERT_EQ(system->GetDrawCount(), 1);
  EXPECT_EQ(system->GetPointSizes()->GetElements()[0], 2.0f);
  const auto* bound = static_cast<const SphereBoundingVolume*>(system->GetWorldBound());
  EXPECT_EQ(bound->GetCenter(), (Vector3{10.0f, 0.0f, 0.0f}));
  EXPECT_EQ(bound->GetRadius(), 0.0f);
}

TEST_F(SpriteParticleTest, TheSpriteEffectBlendsAdditivelyAndStreamsItsTexture) {
  Ptr<SpriteEffect> effect(new SpriteEffect(String("glow")));
  EXPECT_TRUE(effect->GetBlend());
  EXPECT_EQ(effect->GetSrcBlend(), 4);
  EXPECT_EQ(effect->GetDstBlend(), 1);
  effect->SetTexture(new Texture(String("spark")));
  int32_t state = -1;
  ByteWriter bytes;
  const std::vector<uint8_t> written = Written(effect.Get());
  bytes.Raw(written.data(), written.size());
  Ptr<Object> loaded = ReadOne(bytes, &state);
  ASSERT_EQ(state, 0);
  const auto* copy = static_cast<const SpriteEffect*>(loaded.Get());
  EXPECT_TRUE(copy->GetBlend());
  EXPECT_EQ(copy->GetDstBlend(), 1);
  ASSERT_NE(copy->GetTexture(), nullptr);
  EXPECT_EQ(std::string(copy->GetTexture()->GetName().CStr()), "spark");
}

}  // namespace
}  // namespace ynx::test
