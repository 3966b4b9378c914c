// The colour and texture effects drawn by the renderer module, under every
// capability level the renderer can be held to: the same picture whichever
// technique draws it.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "engine/render/ColorEffect.h"
#include "engine/render/NormalmapTextureController.h"
#include "engine/render/TextureEffect.h"
#include "engine/render/Texture.h"
#include "engine/scene/Camera.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Vector2Buffer.h"
#include "tests/render/RendererFixture.h"
#include "tests/support/NearColor.h"

namespace ynx::test {
namespace {

uint32_t Packed(int r, int g, int b) {
  return 0xFF000000u | static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b);
}

// One capability level and the technique it must pick: 0 the effect's
// program technique, 1 its fixed-function one.
struct Level {
  const char* caps;
  int32_t technique;
};
constexpr Level LEVELS[] = {
    {"", 0}, {"vs=1.1", 0}, {"vs=1.1,ps=1.1", 0}, {"ps=none", 1}, {"vs=none", 1}, {"ps=none,stages=1", 1},
};

class EffectPixelTest : public RendererFixture {
 protected:
  // Draws through `camera`, at the origin looking along +z.
  void SetUp() override {
    RendererFixture::SetUp();
    camera = new Camera(String("eye"));
    camera->Update(0.0);
  }

  void Limit(const char* caps) {
    setenv("YNX_RENDERER_CAPS", caps, 1);
    ASSERT_EQ(Reopen(), 0);
    renderer->SetCamera(camera.Get());
  }

  // A square of side 2 facing the camera at depth z, clockwise as seen, with
  // texture coordinates 0..1 from the top left.
  static Ptr<Triangles> Square(float x, float y, float z, GeometryNodeEffect* effect, bool clockwise = true) {
    Ptr<Triangles> node(new Triangles(String("square")));
    node->SetVertices(new Vector3Buffer(4, new Vector3[4]{{x - 1, y - 1, z}, {x - 1, y + 1, z}, {x + 1, y + 1, z}, {x + 1, y - 1, z}}));
    node->SetTexCoords(0, new Vector2Buffer(4, new Vector2[4]{{0, 1}, {0, 0}, {1, 0}, {1, 1}}));
    node->SetIndices(clockwise ? new IntBuffer(6, new int32_t[6]{0, 1, 2, 0, 2, 3})
                               : new IntBuffer(6, new int32_t[6]{0, 2, 1, 0, 3, 2}));
    node->UpdateModelBound();
    node->SetEffect(effect);
    node->UpdateRecursive(0.0, false);
    return node;
  }

  Ptr<Camera> camera;
};

TEST_F(EffectPixelTest, ColourAndTextureLookTheSameAtEveryLevel) {
  // An 8 x 8 texture in four 4 x 4 blocks, so that sampling at a block's
  // centre reads one colour whatever the filter.
  Ptr<Image> image(new Image(String("blocks"), Image::FORMAT_RGB, 8, 8));
  const uint8_t blocks[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
  for (uint32_t y = 0; y < 8; ++y) {
    for (uint32_t x = 0; x < 8; ++x) {
      const uint8_t* color = blocks[(y / 4) * 2 + x / 4];
      std::copy(color, color + 3, image->GetData() + (y * 8 + x) * 3);
    }
  }
  Ptr<Texture> texture(new Texture(String("blocks"), image.Get()));
  for (const Level& level : LEVELS) {
    SCOPED_TRACE(std::string("caps \"") + level.caps + "\"");
    Limit(level.caps);
    Ptr<ColorEffect> flat(new ColorEffect());
    flat->SetColor({1.0f, 0.5f, 0.25f, 1.0f});
    Ptr<TextureEffect> textured(new TextureEffect());
    textured->SetTexture(texture.Get());
    Ptr<Triangles> left = Square(-1.05f, 0, 4, flat.Get());
    Ptr<Triangles> right = Square(1.05f, 0, 4, textured.Get());
    for (int frame = 1; frame <= 2; ++frame) {
      SCOPED_TRACE("frame " + std::to_string(frame));
      Frame({left.Get(), right.Get()});
      const std::vector<uint32_t> pixels = ReadBack();
      ASSERT_EQ(pixels.size(), size_t{SIZE * SIZE});
      EXPECT_EQ(flat->GetActiveTechnique(), flat->GetTechnique(level.technique));
      EXPECT_EQ(textured->GetActiveTechnique(), textured->GetTechnique(level.technique));
      EXPECT_TRUE(NearColor(At(pixels, 24, 32), Packed(255, 128, 64), 1, false));
      // Image row 0 is the bottom: red and green below, blue and white above.
      EXPECT_TRUE(NearColor(At(pixels, 40, 22), Packed(0, 0, 255), 1, false));
      EXPECT_TRUE(NearColor(At(pixels, 56, 22), Packed(255, 255, 255), 1, false));
      EXPECT_TRUE(NearColor(At(pixels, 40, 42), Packed(255, 0, 0), 1, false));
      EXPECT_TRUE(NearColor(At(pixels, 56, 42), Packed(0, 255, 0), 1, false));
      EXPECT_TRUE(NearColor(At(pixels, 2, 2), Packed(0, 0, 0), 0, false));
      if (frame == 2) {
        EXPECT_EQ(renderer->GetStats().deviceObjectsCreated, 0);
        EXPECT_EQ(renderer->GetStats().passesRecorded, 0);
        EXPECT_EQ(renderer->GetStats().uploads, 0);
      }
    }
  }
}

TEST_F(EffectPixelTest, BlendingSortsCullingAndFog) {
  for (const Level& level : LEVELS) {
    SCOPED_TRACE(std::string("caps \"") + level.caps + "\"");
    Limit(level.caps);
    // Half-transparent red in front of half-transparent green, handed over
    // nearest first: drawn farthest first, the red lies over the green.
    Ptr<ColorEffect> nearer(new ColorEffect());
    nearer->SetColor({1.0f, 0.0f, 0.0f, 0.5f});
    nearer->SetBlend(true, 4, 5);
    Ptr<ColorEffect> farther(new ColorEffect());
    farther->SetColor({0.0f, 1.0f, 0.0f, 0.5f});
    farther->SetBlend(true, 4, 5);
    // Seen from behind, a square is culled unless culling is off.
    Ptr<ColorEffect> culled(new ColorEffect());
    culled->SetColor({1.0f, 1.0f, 1.0f, 1.0f});
    Ptr<ColorEffect> twoSided(new ColorEffect());
    twoSided->SetColor({1.0f, 1.0f, 1.0f, 1.0f});
    twoSided->SetCull(false);
    Ptr<Triangles> front = Square(-1.05f, 0.9f, 4, nearer.Get());
    Ptr<Triangles> back = Square(-1.05f, 0.9f, 6, farther.Get());
    Ptr<Triangles> away = Square(1.05f, 0.9f, 4, culled.Get(), false);
    Ptr<Triangles> turned = Square(1.05f, -1.3f, 4, twoSided.Get(), false);
    // White fogged towards blue at depth 4: exponential on the device's own
    // fog, exp(-(d z)^2) in the programs (the exponent is 2).
    Ptr<ColorEffect> fogged(new ColorEffect());
    fogged->SetColor({1.0f, 1.0f, 1.0f, 1.0f});
    fogged->SetFogParameters({0.0f, 0.0f, 1.0f, 1.0f}, 0.1f, 2.0f);
    fogged->SetFog(true);
    Ptr<Triangles> misty = Square(-1.05f, -1.3f, 4, fogged.Get());
    Frame({front.Get(), back.Get(), away.Get(), turned.Get(), misty.Get()});
    const std::vector<uint32_t> pixels = ReadBack();
    ASSERT_EQ(pixels.size(), size_t{SIZE * SIZE});
    EXPECT_TRUE(NearColor(At(pixels, 24, 20), Packed(128, 64, 0), 2, false));
    EXPECT_TRUE(NearColor(At(pixels, 40, 20), Packed(0, 0, 0), 0, false));
    EXPECT_TRUE(NearColor(At(pixels, 40, 44), Packed(255, 255, 255), 1, false));
    const float factor = level.technique == 0 ? std::exp(-std::pow(0.1f * 4.0f, 2.0f)) : std::exp(-0.1f * 4.0f);
    const int white = static_cast<int>(std::lround(255.0f * factor));
    EXPECT_TRUE(NearColor(At(pixels, 24, 44), Packed(white, white, 255), 3, false));
  }
}

TEST_F(EffectPixelTest, AHeightMapIsDrawnAsItsNormalMapOnceConverted) {
  for (const char* caps : {"", "ps=none"}) {
    SCOPED_TRACE(std::string("caps \"") + caps + "\"");
    Limit(caps);
    Ptr<Image> image(new Image(String("height"), Image::FORMAT_GREY, 4, 4));
    std::fill(image->GetData(), image->GetData() + 16, uint8_t{200});
    Ptr<Texture> texture(new Texture(String("bumps"), image.Get()));
    Ptr<TextureEffect> textured(new TextureEffect());
    textured->SetTexture(texture.Get());
    Ptr<Triangles> square = Square(1.05f, 0, 4, textured.Get());
    Frame({square.Get()});
    EXPECT_TRUE(NearColor(At(ReadBack(), 48, 32), Packed(0, 0, 0), 0, false)) << "the grey map as alpha";

    // The effect's update runs the texture's controllers; the device copy is
    // made anew for the colour format, once.
    texture->AttachController(new NormalmapTextureController());
    const struct {
      int32_t uploads;
      int32_t created;
    } frames[] = {{1, 1}, {0, 0}};
    for (const auto& frame : frames) {
      square->UpdateRecursive(0.04, false);
      Frame({square.Get()});
      EXPECT_TRUE(NearColor(At(ReadBack(), 48, 32), Packed(128, 128, 255), 1, false));
      EXPECT_EQ(renderer->GetStats().uploads, frame.uploads);
      EXPECT_EQ(renderer->GetStats().deviceObjectsCreated, frame.created);
    }
  }
}

TEST_F(EffectPixelTest, OnlyWhatChangedIsRecordedOrUploadedAgain) {
  Limit("");
  Ptr<Image> image(new Image(String("grey"), Image::FORMAT_GREY, 4, 4));
  std::fill(image->GetData(), image->GetData() + 16, uint8_t{200});
  Ptr<TextureEffect> textured(new TextureEffect());
  textured->SetTexture(new Texture(String("grey"), image.Get()));
  Ptr<ColorEffect> flat(new ColorEffect());
  Ptr<Triangles> left = Square(-1.05f, 0, 4, flat.Get());
  Ptr<Triangles> right = Square(1.05f, 0, 4, textured.Get());
  struct Step {
    const char* what;
    std::function<void()> change;
    int32_t recorded;
    int32_t uploads;
  };
  Frame({left.Get(), right.Get()});
  const Step steps[] = {
      {"nothing", [] {}, 0, 0},
      {"fog on one effect", [&] { flat->SetFog(true); }, 1, 0},
      {"positions rewritten", [&] { left->GetVertices()->MarkChanged(); }, 0, 1},
      {"image replaced", [&] { textured->GetTexture()->SetImage(image.Get()); }, 0, 1},
      {"nothing again", [] {}, 0, 0},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.change();
    Frame({left.Get(), right.Get()});
    EXPECT_EQ(renderer->GetStats().passesRecorded, step.recorded);
    EXPECT_EQ(renderer->GetStats().uploads, step.uploads);
    EXPECT_EQ(renderer->GetStats().draws, 2);
  }
}

}  // namespace
}  // namespace ynx::test
