// Sprite particles drawn by the renderer module, as point sprites and, with
// point sprites withheld, as camera-facing quads: the particles' pixels
// carry their colour added to the black background, and nothing else is
// covered.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/core/Random.h"
#include "engine/io/Image.h"
#include "engine/render/SpriteEffect.h"
#include "engine/render/SpriteParticleSystem.h"
#include "engine/render/Texture.h"
#include "engine/scene/Camera.h"
#include "tests/render/RendererFixture.h"
#include "tests/support/NearColor.h"

namespace ynx::test {
namespace {

struct SpriteCase {
  const char* caps;
  bool pointSprites;
  // World units either way: the sprite pass scales points by distance, a
  // size of 1 at depth 4 spanning a quarter of the 64-pixel viewport. A
  // quad's corners lie size/2 out along the diagonals: half the area.
  float size;
  int32_t minCovered;
  int32_t maxCovered;
};

class SpriteParticlePixelTest : public RendererFixture {};

TEST_F(SpriteParticlePixelTest, ParticlesCoverTheirPixelsAsPointsAndAsQuads) {
  Ptr<Image> image(new Image(String("white"), Image::FORMAT_RGB, 2, 2));
  std::fill(image->GetData(), image->GetData() + 12, uint8_t{255});
  Ptr<Texture> texture(new Texture(String("white"), image.Get()));
  Ptr<Camera> camera(new Camera(String("eye")));
  camera->Update(0.0);
  const SpriteCase cases[] = {{"", true, 1.0f, 200, 320}, {"pointsprites=0", false, 1.0f, 110, 170}};
  for (const SpriteCase& c : cases) {
    SCOPED_TRACE(std::string("caps \"") + c.caps + "\"");
    setenv("YNX_RENDERER_CAPS", c.caps, 1);
    ASSERT_EQ(Reopen(), 0);
    renderer->SetCamera(camera.Get());
    ASSERT_EQ(renderer->HasPointSprites(), c.pointSprites);
    Random::Seed(5);
    Ptr<SpriteParticleSystem> system(new SpriteParticleSystem(String("sprites")));
    static_cast<SpriteEffect*>(system->GetEffect())->SetTexture(texture.Get());
    system->SetMaxParticles(1);
    system->SetSpeed(0.0f, 0.0f);
    system->SetStartSize(c.size, 0.0f);
    system->SetEndSize(c.size, 0.0f);
    system->SetStartColor({1.0f, 0.5f, 0.25f, 1.0f}, {0.0f, 0.0f, 0.0f, 0.0f});
    system->SetEndColor({1.0f, 0.5f, 0.25f, 1.0f}, {0.0f, 0.0f, 0.0f, 0.0f});
    system->SetLocalTransform(Transformation({0.0f, 0.0f, 4.0f}, {0.0f, 0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 1.0f}));
    system->UpdateRecursive(0.1, false);
    ASSERT_EQ(system->UsesPointSprites(), c.pointSprites);
    ASSERT_EQ(system->GetDrawCount(), 1);
    renderer->Clear(Renderer::CLEAR_COLOR | Renderer::CLEAR_DEPTH, Color{0.0f, 0.0f, 0.0f, 1.0f}, 1.0f, 0);
    ASSERT_EQ(renderer->BeginFrame(), 0);
    system->DrawNow(*renderer);
    renderer->EndFrame();
    const std::vector<uint32_t> pixels = ReadBack();
    ASSERT_EQ(pixels.size(), size_t{SIZE * SIZE});
    EXPECT_TRUE(NearColor(At(pixels, SIZE / 2, SIZE / 2), 0xFFFF8040u, 2, false));
    EXPECT_EQ(At(pixels, 1, 1), BLACK);
    EXPECT_EQ(At(pixels, SIZE - 2, SIZE - 2), BLACK);
    int32_t covered = 0;
    for (uint32_t pixel : pixels) covered += pixel != BLACK ? 1 : 0;
    EXPECT_GE(covered, c.minCovered);
    EXPECT_LE(covered, c.maxCovered);
    EXPECT_TRUE(log.Filtered({"ERROR"}).empty());
  }
  unsetenv("YNX_RENDERER_CAPS");
}

}  // namespace
}  // namespace ynx::test
