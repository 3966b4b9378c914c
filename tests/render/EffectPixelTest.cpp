// The material effects drawn by the renderer module, under every
// capability level the renderer can be held to: the colour and texture
// effects give the same picture whichever technique draws it; the lit ones
// match a model of their lighting, per pixel, per vertex or the device's,
// as the level lights them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "engine/animation/SkinController.h"
#include "engine/render/ColorEffect.h"
#include "engine/render/NormalmapTexture1DL1PLEffect.h"
#include "engine/render/NormalmapTexture1DLEffect.h"
#include "engine/render/NormalmapTextureController.h"
#include "engine/render/ParallaxTexture1DLEffect.h"
#include "engine/render/Texture.h"
#include "engine/render/Texture1DL1PLEffect.h"
#include "engine/render/TextureEffect.h"
#include "engine/render/VelvetTexture1DLEffect.h"
#include "engine/scene/Camera.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector4Buffer.h"
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
  // texture coordinates 0..1 from the top left and normals towards the
  // camera.
  static Ptr<Triangles> Square(float x, float y, float z, GeometryNodeEffect* effect, bool clockwise = true) {
    Ptr<Triangles> node(new Triangles(String("square")));
    node->SetVertices(new Vector3Buffer(4, new Vector3[4]{{x - 1, y - 1, z}, {x - 1, y + 1, z}, {x + 1, y + 1, z}, {x + 1, y - 1, z}}));
    node->SetNormals(new Vector3Buffer(4, new Vector3[4]{{0, 0, -1}, {0, 0, -1}, {0, 0, -1}, {0, 0, -1}}));
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


// ---- The lit effects ----

// A light along `towards` reversed (the direction it shines).
Ptr<Light> MakeLight(int32_t type, const Vector3& towards, const Color& ambient, const Color& diffuse,
                     const Color& specular) {
  Ptr<Light> light(new Light(String("light")));
  light->SetLightType(type);
  light->SetColors(ambient, diffuse, specular);
  light->SetDirection(towards * -1.0f);
  light->UpdateWorldTransform();
  return light;
}

float Channel(const Color& color, int i) { return i == 0 ? color.red : i == 1 ? color.green : color.blue; }

Vector3 Unit(Vector3 v) {
  v.Normalize();
  return v;
}

float SmoothStep(float x) {
  x = std::clamp(x, 0.0f, 1.0f);
  return x * x * (3.0f - 2.0f * x);
}

// How a level lights: per pixel (2.0 programs), per vertex with emissive
// in the second colour (1.1 programs) or in the first (the device's own
// lighting), or not at all (texture times the effect's colour, white).
enum Lighting { PER_PIXEL, PER_VERTEX, DEVICE, UNLIT };

// The lighting the effects promise, in floats, seen from the origin.
struct LitModel {
  Color texture{0.8f, 0.6f, 0.4f, 1.0f};
  Color ambient{0.2f, 0.2f, 0.2f, 1.0f};
  Color diffuse{0.8f, 0.8f, 0.8f, 1.0f};
  Color specular{0.0f, 0.0f, 0.0f, 1.0f};
  Color emissive{0.0f, 0.0f, 0.0f, 1.0f};
  float shininess = 1.0f;
  const Light* light = nullptr;
  const Light* point = nullptr;
  const VelvetTexture1DLEffect* velvet = nullptr;

  // The part the texture multiplies and the part added to it, per channel.
  struct Terms {
    float times[3] = {};
    float plus[3] = {};
  };

  Terms At(const Vector3& p, const Vector3& normal) const {
    Terms terms;
    const Vector3 n = Unit(normal);
    const Vector3 v = Unit(p * -1.0f);
    const auto add = [&](const Light& source, const Vector3& l, float attenuation) {
      const float d = std::max(0.0f, Vector3::Dot(n, l));
      const float s = d > 0 ? std::pow(std::max(0.0f, Vector3::Dot(n, Unit(v + l))), shininess) : 0.0f;
      for (int i = 0; i < 3; ++i) {
        terms.times[i] += attenuation * (Channel(ambient, i) * Channel(source.GetAmbient(), i) +
                                         Channel(diffuse, i) * Channel(source.GetDiffuse(), i) * d);
        terms.plus[i] += attenuation * Channel(specular, i) * Channel(source.GetSpecular(), i) * s;
      }
    };
    if (light != nullptr) add(*light, Unit(light->GetForward() * -1.0f), 1.0f);
    if (point != nullptr) {
      const Vector3 to = point->GetPosition() - p;
      const float distance = to.Length();
      const Vector3 factors = point->GetAttenuation();
      add(*point, Unit(to), 1.0f / (factors.x + factors.y * distance + factors.z * distance * distance));
    }
    if (velvet != nullptr && light != nullptr) {
      const float w = velvet->GetVelvetWrap();
      const float nl = Vector3::Dot(n, Unit(light->GetForward() * -1.0f));
      const float scatter = std::max(0.0f, SmoothStep((nl + w) / (1 + w)) - SmoothStep(nl));
      const float rim = 1.0f - Vector3::Dot(n, v);
      for (int i = 0; i < 3; ++i) {
        terms.times[i] += Channel(velvet->GetVelvetColor(), i) * scatter;
        terms.plus[i] += Channel(velvet->GetVelvetColor(), i) * Channel(light->GetDiffuse(), i) * rim;
      }
    }
    for (int i = 0; i < 3; ++i) terms.plus[i] += Channel(emissive, i);
    return terms;
  }

  // The colour from terms, saturated where the level saturates them.
  uint32_t Colour(const Terms& terms, Lighting lighting) const {
    int rgb[3];
    for (int i = 0; i < 3; ++i) {
      float times = terms.times[i];
      float plus = terms.plus[i];
      if (lighting == PER_VERTEX) {
        times = std::clamp(times, 0.0f, 1.0f);
        plus = std::clamp(plus, 0.0f, 1.0f);
      } else if (lighting == UNLIT) {
        times = 1.0f;
        plus = 0.0f;
      }
      rgb[i] = static_cast<int>(std::lround(255.0f * std::clamp(Channel(texture, i) * times + plus, 0.0f, 1.0f)));
    }
    return Packed(rgb[0], rgb[1], rgb[2]);
  }

  // What a level draws at `p` on a flat square whose vertices are
  // `corners` (per-vertex lighting interpolates between opposite corners
  // at the centre; the squares here are lit alike at 0 and 2).
  uint32_t Expected(Lighting lighting, const Vector3& p, const Vector3& normal, const Vector3* corners) const {
    if (lighting == PER_PIXEL || lighting == UNLIT) return Colour(At(p, normal), lighting);
    const Terms a = At(corners[0], normal);
    const Terms b = At(corners[2], normal);
    Terms mean;
    for (int i = 0; i < 3; ++i) {
      const auto sat = [](float x) { return std::clamp(x, 0.0f, 1.0f); };
      mean.times[i] = (sat(a.times[i]) + sat(b.times[i])) / 2;
      mean.plus[i] = (sat(a.plus[i]) + sat(b.plus[i])) / 2;
    }
    return Colour(mean, PER_VERTEX);
  }
};

// The lit effects' levels: capabilities, how they light, and the
// technique each class picks (Texture1DLEffect, VelvetTexture1DLEffect,
// Texture1DL1PLEffect).
struct LitLevel {
  const char* caps;
  Lighting lighting;
  int32_t technique[3];
};
constexpr LitLevel LIT_LEVELS[] = {
    {"", PER_PIXEL, {0, 0, 0}},
    {"vs=1.1,ps=1.1", PER_VERTEX, {0, 0, 0}},
    {"vs=2.0,ps=1.1", PER_VERTEX, {0, 0, 0}},
    {"ps=none", DEVICE, {1, 2, 1}},
    {"ps=none,stages=1", UNLIT, {3, 4, 3}},
    {"lights=0", UNLIT, {2, 3, 2}},
};

class LitEffectPixelTest : public EffectPixelTest {
 protected:
  void SetUp() override {
    EffectPixelTest::SetUp();
    Ptr<Image> image(new Image(String("cloth"), Image::FORMAT_RGBA, 4, 4));
    for (uint32_t i = 0; i < 16; ++i) {
      // The left half opaque, the right half clear (row 0 is the bottom).
      const uint8_t texel[4] = {204, 153, 102, static_cast<uint8_t>(i % 4 < 2 ? 255 : 0)};
      std::copy(texel, texel + 4, image->GetData() + i * 4);
    }
    cloth = new Texture(String("cloth"), image.Get());
  }

  template <class EffectType>
  Ptr<EffectType> Make() {
    Ptr<EffectType> effect(new EffectType());
    effect->SetTexture(cloth.Get());
    return effect;
  }

  // The pixel whose centre shows `p`, and the point of the plane z = depth
  // a pixel's centre shows.
  Vector3 Pixel(const Vector3& p) const {
    const Vector4 clip = camera->GetViewProjection().Transform({p.x, p.y, p.z, 1});
    return {(clip.x / clip.w + 1) * SIZE / 2, (1 - clip.y / clip.w) * SIZE / 2, 0};
  }
  Vector3 Seen(int32_t x, int32_t y, float depth) const {
    const Matrix4 back = Matrix4::Inverse(camera->GetViewProjection());
    const auto at = [&](float z) {
      const Vector4 v = back.Transform({2.0f * x / SIZE - 1, 1 - 2.0f * y / SIZE, z, 1});
      return Vector3{v.x / v.w, v.y / v.w, v.z / v.w};
    };
    const Vector3 near = at(0);
    const Vector3 far = at(1);
    return near + (far - near) * ((depth - near.z) / (far.z - near.z));
  }

  // Pixels across the square at (x, y, depth): its centre and the centres
  // of its quarters, each against the model.
  void ExpectSquare(const std::vector<uint32_t>& pixels, const LitModel& model, Lighting lighting, float x, float y,
                    float depth, const Vector3& normal = {0, 0, -1}) const {
    const Vector3 corners[4] = {{x - 1, y - 1, depth}, {x - 1, y + 1, depth}, {x + 1, y + 1, depth}, {x + 1, y - 1, depth}};
    for (const Vector3& offset : {Vector3{0, 0, 0}, Vector3{-0.5f, 0.5f, 0}, Vector3{0.5f, -0.5f, 0}}) {
      const Vector3 centre = Pixel(Vector3{x, y, depth} + offset);
      const auto px = static_cast<int32_t>(centre.x);
      const auto py = static_cast<int32_t>(centre.y);
      // Per vertex, only the centre lies between opposite corners.
      if (lighting != PER_PIXEL && lighting != UNLIT && !(offset == Vector3{})) continue;
      SCOPED_TRACE("pixel " + std::to_string(px) + ", " + std::to_string(py));
      const Vector3 p = lighting == PER_PIXEL ? Seen(px, py, depth) : Vector3{x, y, depth};
      EXPECT_TRUE(NearColor(At(pixels, px, py), model.Expected(lighting, p, normal, corners), 2, false));
    }
  }

  Ptr<Texture> cloth;
};

TEST_F(LitEffectPixelTest, DirectionalLightAtEveryLevelAndItsFallbacks) {
  const Ptr<Light> facing = MakeLight(Light::LIGHT_DIRECTIONAL, {0, 0, -1}, {0.5f, 0.5f, 0.5f, 1}, {1, 0.75f, 0.5f, 1}, {});
  const Ptr<Light> slanted =
      MakeLight(Light::LIGHT_DIRECTIONAL, {0.8660254f, 0, -0.5f}, {0.5f, 0.5f, 0.5f, 1}, {1, 0.75f, 0.5f, 1}, {});
  EXPECT_NEAR(Vector3::Dot(slanted->GetForward(), {0, 0, 1}), 0.5f, 1e-5f);
  for (const LitLevel& level : LIT_LEVELS) {
    SCOPED_TRACE(std::string("caps \"") + level.caps + "\"");
    Limit(level.caps);
    const Ptr<Texture1DLEffect> full = Make<Texture1DLEffect>();
    full->SetLight(facing.Get());
    const Ptr<Texture1DLEffect> half = Make<Texture1DLEffect>();
    half->SetLight(slanted.Get());
    const Ptr<Triangles> left = Square(-1.05f, 0, 4, full.Get());
    const Ptr<Triangles> right = Square(1.05f, 0, 4, half.Get());
    Frame({left.Get(), right.Get()});
    const std::vector<uint32_t> pixels = ReadBack();
    ASSERT_EQ(pixels.size(), size_t{SIZE * SIZE});
    EXPECT_EQ(full->GetActiveTechnique(), full->GetTechnique(level.technique[0]));
    // Texture left half only: the right half of the texture is clear, and
    // shows only where blending or alpha test would hide it. It does not.
    LitModel model;
    model.light = facing.Get();
    ExpectSquare(pixels, model, level.lighting, -1.05f, 0, 4);
    model.light = slanted.Get();
    ExpectSquare(pixels, model, level.lighting, 1.05f, 0, 4);
  }
}

TEST_F(LitEffectPixelTest, SpecularHighlightSitsWhereTheHalfVectorMeetsTheNormal) {
  Limit("");
  // Light from the upper right: the highlight at x / |p| = L.x, y / |p| = L.y.
  const Vector3 towards = Unit({0.3f, 0.2f, -1});
  const Ptr<Light> light = MakeLight(Light::LIGHT_DIRECTIONAL, towards, {}, {0.25f, 0.25f, 0.25f, 1}, {1, 1, 1, 1});
  const Ptr<Texture1DLEffect> effect = Make<Texture1DLEffect>();
  effect->SetLight(light.Get());
  effect->SetMaterial({0.8f, 0.8f, 0.8f, 1}, {0.2f, 0.2f, 0.2f, 1}, {1, 0.5f, 0.25f, 1}, {0, 0, 0, 1}, 24);
  const Ptr<Triangles> wall = Square(0.6f, 0.4f, 2, effect.Get());
  Frame({wall.Get()});
  const std::vector<uint32_t> pixels = ReadBack();
  ASSERT_EQ(pixels.size(), size_t{SIZE * SIZE});
  LitModel model;
  model.light = light.Get();
  model.specular = effect->GetSpecular();
  model.shininess = 24;
  // The brightest green of the row through the highlight (the middle of
  // the run of equal values) is where the model puts it; every pixel of
  // that row matches the model.
  const float scale = 2 / std::sqrt(1 - towards.x * towards.x - towards.y * towards.y);
  const Vector3 peak = Pixel({towards.x * scale, towards.y * scale, 2});
  const auto row = static_cast<int32_t>(peak.y);
  int32_t first = 0;
  int32_t last = 0;
  for (int32_t x = 0; x < SIZE; ++x) {
    const Vector3 p = Seen(x, row, 2);
    if (p.x < -0.4f || p.x > 1.6f) continue;
    SCOPED_TRACE("x " + std::to_string(x));
    EXPECT_TRUE(NearColor(At(pixels, x, row), model.Colour(model.At(p, {0, 0, -1}), PER_PIXEL), 2, false));
    const uint32_t green = At(pixels, x, row) >> 8 & 0xFF;
    if (green > (At(pixels, first, row) >> 8 & 0xFF)) first = x;
    if (green >= (At(pixels, first, row) >> 8 & 0xFF)) last = x;
  }
  EXPECT_NEAR((first + last) / 2.0f, peak.x, 1.0f);
}

TEST_F(LitEffectPixelTest, PointLightFadesWithDistance) {
  for (const LitLevel& level : LIT_LEVELS) {
    SCOPED_TRACE(std::string("caps \"") + level.caps + "\"");
    Limit(level.caps);
    const Ptr<Light> sun = MakeLight(Light::LIGHT_DIRECTIONAL, {0, 0, -1}, {0.25f, 0.25f, 0.25f, 1}, {0.25f, 0, 0, 1}, {});
    // Two point lights at the same place, attenuated differently: close
    // to the surface, so that distance matters across the square.
    Ptr<Light> lamps[2];
    const Vector3 factors[2] = {{1, 0, 0}, {0.25f, 0.25f, 0.5f}};
    Ptr<Texture1DL1PLEffect> effects[2];
    Ptr<Triangles> squares[2];
    for (int i = 0; i < 2; ++i) {
      lamps[i] = MakeLight(Light::LIGHT_POINT, {0, 0, -1}, {0.25f, 0.25f, 0.25f, 1}, {0.5f, 1, 1, 1}, {1, 1, 1, 1});
      Transformation place;
      place.SetTranslation({i == 0 ? -1.05f : 1.05f, 0, 3});
      lamps[i]->SetLocalTransform(place);
      lamps[i]->SetAttenuation(factors[i], true);
      lamps[i]->UpdateWorldTransform();
      effects[i] = Make<Texture1DL1PLEffect>();
      effects[i]->SetLights(sun.Get(), lamps[i].Get());
      // The device's specular sees the viewer far away; the programs' do not.
      if (level.lighting != DEVICE) effects[i]->SetMaterial({0.8f, 0.8f, 0.8f, 1}, {0.2f, 0.2f, 0.2f, 1}, {0.5f, 0.25f, 0.5f, 1}, {0, 0, 0, 1}, 4);
      squares[i] = Square(i == 0 ? -1.05f : 1.05f, 0, 4, effects[i].Get());
    }
    Frame({squares[0].Get(), squares[1].Get()});
    const std::vector<uint32_t> pixels = ReadBack();
    ASSERT_EQ(pixels.size(), size_t{SIZE * SIZE});
    EXPECT_EQ(effects[0]->GetActiveTechnique(), effects[0]->GetTechnique(level.technique[2]));
    for (int i = 0; i < 2; ++i) {
      SCOPED_TRACE(i);
      LitModel model;
      model.light = sun.Get();
      model.point = lamps[i].Get();
      model.specular = effects[i]->GetSpecular();
      model.shininess = effects[i]->GetShininess();
      ExpectSquare(pixels, model, level.lighting, i == 0 ? -1.05f : 1.05f, 0, 4);
    }
  }
}

TEST_F(LitEffectPixelTest, VelvetAddsScatterAndRim) {
  // Normals turned away from the view, so that the rim term shows.
  const Ptr<Light> light = MakeLight(Light::LIGHT_DIRECTIONAL, {0, 0, -1}, {0.25f, 0.25f, 0.25f, 1}, {0.5f, 0.5f, 0.5f, 1}, {});
  const Vector3 normal{0.8f, 0, -0.6f};
  for (const LitLevel& level : LIT_LEVELS) {
    SCOPED_TRACE(std::string("caps \"") + level.caps + "\"");
    Limit(level.caps);
    const Ptr<VelvetTexture1DLEffect> effect = Make<VelvetTexture1DLEffect>();
    effect->SetLight(light.Get());
    effect->SetVelvet({0.5f, 0.25f, 1, 1}, 0.5f);
    const Ptr<Triangles> square = Square(0, 0, 4, effect.Get());
    square->SetNormals(new Vector3Buffer(4, new Vector3[4]{normal, normal, normal, normal}));
    Frame({square.Get()});
    const std::vector<uint32_t> pixels = ReadBack();
    ASSERT_EQ(pixels.size(), size_t{SIZE * SIZE});
    EXPECT_EQ(effect->GetActiveTechnique(), effect->GetTechnique(level.technique[1]));
    LitModel model;
    model.light = light.Get();
    // The device's own lighting has no sheen.
    if (level.lighting != DEVICE) model.velvet = effect.Get();
    ExpectSquare(pixels, model, level.lighting, 0, 0, 4, normal);
  }
}

TEST_F(LitEffectPixelTest, WithoutALightTheProgramsDrawAmbientAndEmissiveOnly) {
  for (const char* caps : {"", "vs=1.1,ps=1.1"}) {
    SCOPED_TRACE(caps);
    Limit(caps);
    const Ptr<Texture1DLEffect> effect = Make<Texture1DLEffect>();
    effect->SetMaterial({1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}, {0.25f, 0.5f, 0.125f, 1}, 1);
    const Ptr<Triangles> square = Square(0, 0, 4, effect.Get());
    Frame({square.Get()});
    const std::vector<uint32_t> pixels = ReadBack();
    ASSERT_EQ(pixels.size(), size_t{SIZE * SIZE});
    EXPECT_TRUE(renderer->GetLights().empty());
    // The light's colours are zero: the ambient term is too.
    EXPECT_TRUE(NearColor(At(pixels, 32, 32), Packed(64, 128, 32), 1, false));
  }
}

TEST_F(LitEffectPixelTest, AlphaTestSeesTheTexturesAlpha) {
  const Ptr<Light> light = MakeLight(Light::LIGHT_DIRECTIONAL, {0, 0, -1}, {}, {1, 1, 1, 1}, {1, 1, 1, 1});
  for (const LitLevel& level : LIT_LEVELS) {
    SCOPED_TRACE(std::string("caps \"") + level.caps + "\"");
    Limit(level.caps);
    const Ptr<Texture1DLEffect> effect = Make<Texture1DLEffect>();
    effect->SetLight(light.Get());
    // Specular and emissive would lift the alpha of a sum above the test.
    effect->SetMaterial({1, 1, 1, 1}, {0, 0, 0, 1}, {1, 1, 1, 1}, {0.25f, 0.25f, 0.25f, 1}, 1);
    effect->SetAlphaTest(true, 128);
    const Ptr<Triangles> square = Square(0, 0, 4, effect.Get());
    Frame({square.Get()});
    const std::vector<uint32_t> pixels = ReadBack();
    ASSERT_EQ(pixels.size(), size_t{SIZE * SIZE});
    EXPECT_NE(At(pixels, 24, 32), BLACK);
    EXPECT_EQ(At(pixels, 40, 32), BLACK);
  }
}

TEST_F(LitEffectPixelTest, FogAtKnownDepths) {
  const Ptr<Light> light = MakeLight(Light::LIGHT_DIRECTIONAL, {0, 0, -1}, {}, {1, 1, 1, 1}, {});
  for (const LitLevel& level : LIT_LEVELS) {
    SCOPED_TRACE(std::string("caps \"") + level.caps + "\"");
    Limit(level.caps);
    Ptr<Texture1DLEffect> effects[2];
    Ptr<Triangles> squares[2];
    const float depths[2] = {3, 6};
    for (int i = 0; i < 2; ++i) {
      effects[i] = Make<Texture1DLEffect>();
      effects[i]->SetLight(light.Get());
      effects[i]->SetFogParameters({0, 0, 1, 1}, 0.1f, 2.0f);
      effects[i]->SetFog(true);
      squares[i] = Square(i == 0 ? -1.05f : 1.05f * depths[1] / depths[0], 0, depths[i], effects[i].Get());
    }
    Frame({squares[0].Get(), squares[1].Get()});
    const std::vector<uint32_t> pixels = ReadBack();
    ASSERT_EQ(pixels.size(), size_t{SIZE * SIZE});
    LitModel model;
    model.light = light.Get();
    for (int i = 0; i < 2; ++i) {
      SCOPED_TRACE(depths[i]);
      const Vector3 centre{i == 0 ? -1.05f : 1.05f * depths[1] / depths[0], 0, depths[i]};
      const Vector3 corners[4] = {centre + Vector3{-1, -1, 0}, centre + Vector3{-1, 1, 0}, centre + Vector3{1, 1, 0},
                                  centre + Vector3{1, -1, 0}};
      const uint32_t lit = model.Expected(level.lighting, centre, {0, 0, -1}, corners);
      // Programs: exp(-(d z)^2); the device's fog: exp(-d z) (exponent 2).
      const bool programs = level.lighting == PER_PIXEL || level.lighting == PER_VERTEX ||
                            (level.lighting == UNLIT && std::string(level.caps) == "lights=0");
      const float factor = programs ? std::exp(-std::pow(0.1f * depths[i], 2.0f)) : std::exp(-0.1f * depths[i]);
      const auto mix = [&](int shift, float fog) {
        return static_cast<int>(std::lround(((lit >> shift) & 0xFF) * factor + 255.0f * fog * (1 - factor)));
      };
      const Vector3 at = Pixel(centre);
      EXPECT_TRUE(NearColor(At(pixels, static_cast<int32_t>(at.x), static_cast<int32_t>(at.y)),
                            Packed(mix(16, 0), mix(8, 0), mix(0, 1)), 3, false));
    }
  }
}

TEST_F(LitEffectPixelTest, SwayMovesTheTopAndKeepsTheGround) {
  const Ptr<Light> light = MakeLight(Light::LIGHT_DIRECTIONAL, {0, 0, -1}, {}, {1, 1, 1, 1}, {});
  for (const char* caps : {"", "vs=1.1,ps=1.1"}) {
    SCOPED_TRACE(caps);
    Limit(caps);
    const Ptr<Texture1DLEffect> effect = Make<Texture1DLEffect>();
    effect->SetLight(light.Get());
    effect->SetSwayParameters(0.4f, 1.0f);
    effect->SetSway(true);
    // A square standing on y = 0 in its own space, placed below the eye.
    const Ptr<Triangles> plant = Square(0, 1, 0, effect.Get());
    Transformation place;
    place.SetTranslation({0, -1.5f, 5});
    plant->SetLocalTransform(place);
    for (const double time : {0.0, 0.75, 1.5}) {
      SCOPED_TRACE(time);
      plant->UpdateRecursive(time == 0.0 ? 0.0 : 0.75, false);
      Frame({plant.Get()});
      const std::vector<uint32_t> pixels = ReadBack();
      ASSERT_EQ(pixels.size(), size_t{SIZE * SIZE});
      const float t = effect->GetTime();
      const auto moved = [&](const Vector3& v) {
        const float x = 0.4f * std::sin(0.50770003f * v.x + t - 0.421f * v.z);
        return Vector3{v.x + x * v.y, v.y - 1.5f, v.z + 0.4f * std::sin(1.31415f * t + 0.30000001f * v.y - 0.6f * v.z) * v.y + 5};
      };
      // The left edge one pixel row above the ground and near the top: the
      // pixel just inside is drawn, the one just outside is not.
      for (const float height : {0.1f, 1.8f}) {
        const Vector3 bottom = moved({-1, 0, 0});
        const Vector3 top = moved({-1, 2, 0});
        const Vector3 edge = Pixel(bottom + (top - bottom) * (height / 2));
        const auto y = static_cast<int32_t>(edge.y);
        SCOPED_TRACE("height " + std::to_string(height) + " edge x " + std::to_string(edge.x));
        EXPECT_NE(At(pixels, static_cast<int32_t>(std::lround(edge.x + 1.5f)), y), BLACK);
        EXPECT_EQ(At(pixels, static_cast<int32_t>(std::lround(edge.x - 1.5f)), y), BLACK);
      }
    }
  }
}

TEST_F(LitEffectPixelTest, SkinningOnTheDeviceDrawsWhatTheProcessorDraws) {
  Limit("");
  const Ptr<Light> light = MakeLight(Light::LIGHT_DIRECTIONAL, {0, 0, -1}, {}, {1, 1, 1, 1}, {});
  // Two bones moving apart: the bottom of the square follows one, the top
  // the other, the middle both.
  std::vector<uint32_t> pictures[2];
  for (int pass = 0; pass < 2; ++pass) {
    const bool device = pass == 0;
    const Ptr<Texture1DLEffect> effect = Make<Texture1DLEffect>();
    effect->SetLight(light.Get());
    const Ptr<Triangles> mesh = Square(0, 0, 0, effect.Get());
    const Ptr<Node> bones[2] = {new Node(String("hip")), new Node(String("head"))};
    bones[0]->SetLocalTransform(Transformation({-0.5f, -0.25f, 5}, {}, {1, 1, 1}));
    bones[1]->SetLocalTransform(Transformation({0.75f, 0.5f, 5.5f}, {}, {1, 1, 1}));
    const Ptr<SkinController> skin(new SkinController());
    for (const Ptr<Node>& bone : bones) {
      bone->UpdateWorldTransform();
      skin->AddBone(bone.Get(), Transformation());
    }
    skin->SetBindVertices(new Vector3Buffer(4, new Vector3[4]{{-1, -1, 0}, {-1, 1, 0}, {1, 1, 0}, {1, -1, 0}}));
    skin->SetBindNormals(new Vector3Buffer(4, new Vector3[4]{{0, 0, -1}, {0, 0, -1}, {0, 0, -1}, {0, 0, -1}}));
    skin->SetWeights(new Vector4Buffer(4, new Vector4[4]{{1, 0, 0, 0}, {0.25f, 0.75f, 0, 0}, {0, 1, 0, 0}, {0.5f, 0.5f, 0, 0}}));
    skin->SetBoneIndices(new Vector4Buffer(4, new Vector4[4]{{0, 1, 0, 0}, {0, 1, 0, 0}, {0, 1, 0, 0}, {0, 1, 0, 0}}));
    mesh->AttachController(skin.Get());
    effect->SetSkin(skin.Get());
    // Swaying without amplitude: the processor skins, the program only
    // places.
    if (!device) {
      effect->SetSwayParameters(0, 1);
      effect->SetSway(true);
    }
    mesh->UpdateRecursive(0.0, false);
    EXPECT_EQ(skin->IsActive(), !device);
    Frame({mesh.Get()});
    pictures[pass] = ReadBack();
    ASSERT_EQ(pictures[pass].size(), size_t{SIZE * SIZE});
  }
  int32_t differing = 0;
  int32_t drawn = 0;
  for (size_t i = 0; i < pictures[0].size(); ++i) {
    if (pictures[0][i] != BLACK) ++drawn;
    if (!NearColor(pictures[0][i], pictures[1][i], 2, false)) ++differing;
  }
  EXPECT_GT(drawn, 200);
  EXPECT_LE(differing, 2);
}



// ---- The normal-map effects ----

// The normal-map effects' levels: 2.0 and 1.1 programs, then the lit fixed
// pass on too few stages or without shaders (technique 1), then below it
// the texture effect's fixed pass (technique 3).
struct MapLevel {
  const char* caps;
  Lighting lighting;
  int32_t technique;
};
constexpr MapLevel MAP_LEVELS[] = {
    {"", PER_PIXEL, 0},          {"vs=1.1,ps=1.1", PER_VERTEX, 0}, {"stages=2", DEVICE, 1},
    {"ps=none", DEVICE, 1},      {"ps=none,stages=1", UNLIT, 3},
};

Vector3 Rgb(const Color& c) { return {c.red, c.green, c.blue}; }
Vector3 Times(const Vector3& a, const Vector3& b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }

class NormalmapPixelTest : public LitEffectPixelTest {
 protected:
  // A square of side 2 centred on `centre`, turned by `angle` about the
  // vertical from facing the camera, with the texture coordinates of
  // Square and no tangents: the effect computes them (along +u, the
  // turned x axis).
  static Ptr<Triangles> Turned(const Vector3& centre, float angle, GeometryNodeEffect* effect) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const auto turn = [&](float x, float y) { return centre + Vector3{x * c, y, -x * s}; };
    Ptr<Triangles> node(new Triangles(String("turned")));
    node->SetVertices(new Vector3Buffer(4, new Vector3[4]{turn(-1, -1), turn(-1, 1), turn(1, 1), turn(1, -1)}));
    const Vector3 normal{-s, 0, -c};
    node->SetNormals(new Vector3Buffer(4, new Vector3[4]{normal, normal, normal, normal}));
    node->SetTexCoords(0, new Vector2Buffer(4, new Vector2[4]{{0, 1}, {0, 0}, {1, 0}, {1, 1}}));
    node->SetIndices(new IntBuffer(6, new int32_t[6]{0, 1, 2, 0, 2, 3}));
    node->UpdateModelBound();
    node->SetEffect(effect);
    node->UpdateRecursive(0.0, false);
    return node;
  }

  // A 4 x 4 map of one texel, alpha the height.
  static Ptr<Texture> Map(uint8_t r, uint8_t g, uint8_t b, uint8_t height = 255) {
    Ptr<Image> image(new Image(String("map"), Image::FORMAT_RGBA, 4, 4));
    for (uint32_t i = 0; i < 16; ++i) {
      const uint8_t texel[4] = {r, g, b, height};
      std::copy(texel, texel + 4, image->GetData() + i * 4);
    }
    return new Texture(String("map"), image.Get());
  }

  // The point of the plane through `centre` with `normal` that pixel (x,
  // y) shows (where Seen places it).
  Vector3 OnPlane(int32_t x, int32_t y, const Vector3& centre, const Vector3& normal) const {
    const Matrix4 back = Matrix4::Inverse(camera->GetViewProjection());
    const auto at = [&](float z) {
      const Vector4 v = back.Transform({2.0f * x / SIZE - 1, 1 - 2.0f * y / SIZE, z, 1});
      return Vector3{v.x / v.w, v.y / v.w, v.z / v.w};
    };
    const Vector3 near = at(0);
    const Vector3 ray = at(1) - near;
    return near + ray * (Vector3::Dot(centre - near, normal) / Vector3::Dot(ray, normal));
  }

  // What the normal-map programs draw at `p` on a turned square (tangent
  // `t`, normal `n`), specular-free: texture x (ambient + diffuse x d x
  // self-shadow) per light. `map` is the map's colour; 1.1 takes its
  // normal as it is and the point light's vector, shadow, attenuation and
  // ambient as the vertices `corners` hand them over (their mean: the
  // centre of the square).
  struct MappedModel {
    const Light* sun = nullptr;
    const Light* lamp = nullptr;
    Vector3 map{0.5f, 0.5f, 1};
    Vector3 texture{0.8f, 0.6f, 0.4f};
    Vector3 ambient{0.2f, 0.2f, 0.2f};
    Vector3 diffuse{0.8f, 0.8f, 0.8f};

    uint32_t At(const Vector3& p, const Vector3& t, const Vector3& n, bool one, const Vector3* corners) const {
      const Vector3 b = Vector3::Cross(t, n);
      const auto toTangent = [&](const Vector3& v) { return Vector3{Vector3::Dot(v, t), Vector3::Dot(v, b), Vector3::Dot(v, n)}; };
      const Vector3 raw = map * 2.0f - Vector3{1, 1, 1};
      const Vector3 mapped = one ? raw : Unit(raw);
      const auto shadow = [&](const Vector3& l) { return std::min(1.0f, 8 * std::max(0.0f, Vector3::Dot(n, l))); };
      const auto facing = [&](const Vector3& l) {
        const float d = Vector3::Dot(mapped, l);
        return one ? std::clamp(d, 0.0f, 1.0f) : std::max(0.0f, d);
      };
      Vector3 times{0, 0, 0};
      if (sun != nullptr) {
        const Vector3 l = Unit(sun->GetForward() * -1.0f);
        times = Times(ambient, Rgb(sun->GetAmbient())) +
                Times(diffuse, Rgb(sun->GetDiffuse())) * (facing(toTangent(l)) * shadow(l));
      }
      if (lamp != nullptr) {
        const Vector3 factors = lamp->GetAttenuation();
        const auto fade = [&](const Vector3& q) {
          const float d = (lamp->GetPosition() - q).Length();
          return 1.0f / (factors.x + factors.y * d + factors.z * d * d);
        };
        const Vector3 pointAmbient = Times(ambient, Rgb(lamp->GetAmbient()));
        const Vector3 pointDiffuse = Times(diffuse, Rgb(lamp->GetDiffuse()));
        if (!one) {
          const Vector3 l = Unit(lamp->GetPosition() - p);
          times = times + pointAmbient * fade(p) + pointDiffuse * (facing(toTangent(l)) * shadow(l) * fade(p));
        } else {
          Vector3 l{0, 0, 0};
          float litFade = 0;
          float meanFade = 0;
          for (int i : {0, 2}) {
            const Vector3 towards = Unit(lamp->GetPosition() - corners[i]);
            l = l + toTangent(towards) * 0.5f;
            litFade += shadow(towards) * fade(corners[i]) * 0.5f;
            meanFade += fade(corners[i]) * 0.5f;
          }
          times = times + pointAmbient * meanFade + pointDiffuse * (facing(l) * litFade);
        }
      }
      const Vector3 colour = Times(texture, times);
      const auto byte = [](float x) { return static_cast<int>(std::lround(255.0f * std::clamp(x, 0.0f, 1.0f))); };
      return Packed(byte(colour.x), byte(colour.y), byte(colour.z));
    }
  };
};

TEST_F(NormalmapPixelTest, NormalMapAndSelfShadowOnTurnedPlanesAtEveryLevel) {
  // Light from the left and a little behind the eye; the map's normal
  // leans towards -x in tangent space, i.e. towards the light on both
  // squares. The right square is turned so far that its own normal barely
  // sees the light: the self-shadow factor dims it.
  const Ptr<Light> sun = MakeLight(Light::LIGHT_DIRECTIONAL, Unit({-0.6f, 0, -0.8f}), {0.25f, 0.25f, 0.25f, 1},
                                   {1, 0.75f, 0.5f, 1}, {});
  const Ptr<Texture> map = Map(64, 128, 230);
  struct Plane {
    Vector3 centre;
    float angle;
  };
  const Plane planes[2] = {{{-1.2f, 0, 5}, 0.3f}, {{1.3f, 0, 5}, -0.877f}};
  const Vector3 normals[2] = {{-std::sin(0.3f), 0, -std::cos(0.3f)}, {std::sin(0.877f), 0, -std::cos(0.877f)}};
  const float own = Vector3::Dot(normals[1], Unit({-0.6f, 0, -0.8f}));
  ASSERT_GT(own, 0.0f);
  ASSERT_LT(own, 0.125f);
  for (const MapLevel& level : MAP_LEVELS) {
    SCOPED_TRACE(std::string("caps \"") + level.caps + "\"");
    Limit(level.caps);
    Ptr<NormalmapTexture1DLEffect> effects[2];
    Ptr<Triangles> squares[2];
    for (int i = 0; i < 2; ++i) {
      effects[i] = Make<NormalmapTexture1DLEffect>();
      effects[i]->SetLight(sun.Get());
      effects[i]->SetNormalMap(map.Get());
      squares[i] = Turned(planes[i].centre, planes[i].angle, effects[i].Get());
    }
    Frame({squares[0].Get(), squares[1].Get()});
    const std::vector<uint32_t> pixels = ReadBack();
    ASSERT_EQ(pixels.size(), size_t{SIZE * SIZE});
    EXPECT_EQ(effects[0]->GetActiveTechnique(), effects[0]->GetTechnique(level.technique));
    // The programs computed the tangents the effect binds.
    if (level.technique == 0) {
      ASSERT_NE(squares[0]->GetTangents(), nullptr);
    }
    MappedModel mapped;
    mapped.sun = sun.Get();
    mapped.map = {64 / 255.0f, 128 / 255.0f, 230 / 255.0f};
    LitModel plain;
    plain.light = sun.Get();
    for (int i = 0; i < 2; ++i) {
      SCOPED_TRACE(i);
      const float c = std::cos(planes[i].angle);
      const float s = std::sin(planes[i].angle);
      const Vector3 tangent{c, 0, -s};
      for (const Vector3& offset : {Vector3{0, 0, 0}, Vector3{-0.5f, 0.5f, 0}, Vector3{0.5f, -0.5f, 0}}) {
        const Vector3 at = Pixel(planes[i].centre + Vector3{offset.x * c, offset.y, -offset.x * s});
        const auto px = static_cast<int32_t>(at.x);
        const auto py = static_cast<int32_t>(at.y);
        SCOPED_TRACE("pixel " + std::to_string(px) + ", " + std::to_string(py));
        const Vector3 p = OnPlane(px, py, planes[i].centre, normals[i]);
        uint32_t expected = 0;
        if (level.lighting == PER_PIXEL || level.lighting == PER_VERTEX) {
          expected = mapped.At(p, tangent, normals[i], level.lighting == PER_VERTEX, nullptr);
        } else {
          // The fixed passes: the vertex normal, no map, no self-shadow.
          expected = plain.Colour(plain.At(p, normals[i]), level.lighting == DEVICE ? PER_PIXEL : UNLIT);
        }
        EXPECT_TRUE(NearColor(At(pixels, px, py), expected, 2, false)) << std::hex << At(pixels, px, py) << " " << expected;
      }
    }
  }
}

TEST_F(NormalmapPixelTest, ParallaxMovesATextureEdgeByTheComputedShift) {
  // Black on the left half of the texture, white on the right; a flat map
  // at full height. On a plane turned away to the right the view vector
  // leans along -u, so the edge moves by pixels we can count.
  Ptr<Image> image(new Image(String("edge"), Image::FORMAT_RGB, 8, 8));
  for (uint32_t i = 0; i < 64; ++i) std::fill_n(image->GetData() + i * 3, 3, static_cast<uint8_t>(i % 8 < 4 ? 0 : 255));
  const Ptr<Texture> edge(new Texture(String("edge"), image.Get()));
  const Ptr<Texture> map = Map(128, 128, 255, 255);
  const Ptr<Light> sun = MakeLight(Light::LIGHT_DIRECTIONAL, {0, 0, -1}, {1, 1, 1, 1}, {}, {});
  const Vector3 centre{0, 0, 3};
  const float angle = -0.8f;
  const Vector3 normal{std::sin(0.8f), 0, -std::cos(0.8f)};
  const Vector3 tangent{std::cos(angle), 0, -std::sin(angle)};
  const float scale = 0.3f;
  const float bias = 0.05f;
  for (const MapLevel& level : MAP_LEVELS) {
    if (level.lighting == UNLIT) continue;
    SCOPED_TRACE(std::string("caps \"") + level.caps + "\"");
    Limit(level.caps);
    const Ptr<ParallaxTexture1DLEffect> effect(new ParallaxTexture1DLEffect());
    effect->SetTexture(edge.Get());
    effect->SetNormalMap(map.Get());
    effect->SetLight(sun.Get());
    effect->SetMaterial({0, 0, 0, 1}, {1, 1, 1, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}, 1);
    effect->SetParallax(scale, bias);
    const Ptr<Triangles> square = Turned(centre, angle, effect.Get());
    Frame({square.Get()});
    const std::vector<uint32_t> pixels = ReadBack();
    ASSERT_EQ(pixels.size(), size_t{SIZE * SIZE});
    EXPECT_EQ(effect->GetActiveTechnique(), effect->GetTechnique(level.technique));
    // Along the middle row: the edge after the last black pixel, drawn and
    // modelled (the coordinates wrap: near the square's left side they
    // are shifted below 0 and read white). 2.0 shifts by the map's height,
    // 1.1 by the middle height, the fixed pass not at all.
    const float height = level.lighting == PER_PIXEL ? 1.0f : level.lighting == PER_VERTEX ? 0.5f : -1.0f;
    const int32_t row = SIZE / 2;
    int32_t drawn = -1;
    int32_t modelled = -1;
    int32_t unshifted = -1;
    for (int32_t x = 0; x < SIZE; ++x) {
      const Vector3 p = OnPlane(x, row, centre, normal);
      const float u = 0.5f + Vector3::Dot(p - centre, tangent) / 2;
      if (u < 0.05f || u > 0.95f) continue;
      const float vx = Vector3::Dot(Unit(p * -1.0f), tangent);
      const float shifted = height < 0 ? u : u + vx * (height * scale - bias);
      if ((At(pixels, x, row) & 0xFF) < 128) drawn = x + 1;
      if (shifted - std::floor(shifted) < 0.5f) modelled = x + 1;
      if (u < 0.5f) unshifted = x + 1;
    }
    ASSERT_GE(modelled, 0);
    for (int32_t x = 0; x < SIZE; ++x) std::fprintf(stderr, "%x ", At(pixels, x, row) & 0xFF);
    std::fprintf(stderr, "\n");
    EXPECT_NEAR(drawn, modelled, 1);
    if (height == 1.0f) {
      EXPECT_GE(drawn - unshifted, 4);
    }
  }
}

TEST_F(NormalmapPixelTest, BothLightsInTangentSpace) {
  // A lamp close in front of a turned square, a sun from the left, and a
  // map leaning towards -x.
  const Ptr<Light> sun = MakeLight(Light::LIGHT_DIRECTIONAL, Unit({-0.6f, 0, -0.8f}), {0.125f, 0.125f, 0.125f, 1},
                                   {0.25f, 0.25f, 0.5f, 1}, {});
  const Ptr<Light> lamp = MakeLight(Light::LIGHT_POINT, {0, 0, -1}, {0.25f, 0.25f, 0.25f, 1}, {1, 0.75f, 0.5f, 1}, {});
  Transformation place;
  place.SetTranslation({0.5f, 0.3f, 3.5f});
  lamp->SetLocalTransform(place);
  lamp->SetAttenuation({0.5f, 0.25f, 0.25f}, true);
  lamp->UpdateWorldTransform();
  const Ptr<Texture> map = Map(96, 140, 230);
  const Vector3 centre{0, 0, 4.5f};
  const float angle = 0.35f;
  const Vector3 normal{-std::sin(angle), 0, -std::cos(angle)};
  const Vector3 tangent{std::cos(angle), 0, -std::sin(angle)};
  for (const MapLevel& level : MAP_LEVELS) {
    SCOPED_TRACE(std::string("caps \"") + level.caps + "\"");
    Limit(level.caps);
    const Ptr<NormalmapTexture1DL1PLEffect> effect = Make<NormalmapTexture1DL1PLEffect>();
    effect->SetNormalMap(map.Get());
    effect->SetLights(sun.Get(), lamp.Get());
    const Ptr<Triangles> square = Turned(centre, angle, effect.Get());
    Frame({square.Get()});
    const std::vector<uint32_t> pixels = ReadBack();
    ASSERT_EQ(pixels.size(), size_t{SIZE * SIZE});
    EXPECT_EQ(effect->GetActiveTechnique(), effect->GetTechnique(level.technique));
    MappedModel mapped;
    mapped.sun = sun.Get();
    mapped.lamp = lamp.Get();
    mapped.map = {96 / 255.0f, 140 / 255.0f, 230 / 255.0f};
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const auto corner = [&](float x, float y) { return centre + Vector3{x * c, y, -x * s}; };
    const Vector3 corners[4] = {corner(-1, -1), corner(-1, 1), corner(1, 1), corner(1, -1)};
    LitModel plain;
    plain.light = sun.Get();
    plain.point = lamp.Get();
    // 2.0 across the square; 1.1 and the fixed pass (per vertex) at the
    // centre, between opposite corners.
    const bool perPixel = level.lighting == PER_PIXEL;
    for (const Vector3& offset : {Vector3{0, 0, 0}, Vector3{-0.5f, 0.5f, 0}, Vector3{0.5f, -0.5f, 0}}) {
      if (!perPixel && !(offset == Vector3{})) continue;
      const Vector3 at = Pixel(centre + Vector3{offset.x * c, offset.y, -offset.x * s});
      const auto px = static_cast<int32_t>(at.x);
      const auto py = static_cast<int32_t>(at.y);
      SCOPED_TRACE("pixel " + std::to_string(px) + ", " + std::to_string(py));
      uint32_t expected = 0;
      if (perPixel) {
        expected = mapped.At(OnPlane(px, py, centre, normal), tangent, normal, false, corners);
      } else if (level.lighting == PER_VERTEX) {
        expected = mapped.At(centre, tangent, normal, true, corners);
      } else {
        expected = plain.Expected(level.lighting, centre, normal, corners);
      }
      EXPECT_TRUE(NearColor(At(pixels, px, py), expected, 2, false)) << std::hex << At(pixels, px, py) << " " << expected;
    }
  }
}
}  // namespace
}  // namespace ynx::test
