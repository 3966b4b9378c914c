// The stored forms of the material effects and of textures:
// golden bytes both ways, bad data, every cut, and which types the
// factories make.

#include <gtest/gtest.h>

#include "engine/core/Factory.h"
#include "engine/core/MemoryStream.h"
#include "engine/render/Texture1DL1PLEffect.h"
#include "engine/render/TextureEffect.h"
#include "engine/render/VelvetTexture1DLEffect.h"
#include "tests/render/RenderFixture.h"
#include "tests/scene/SceneTestClasses.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/CutStreams.h"

namespace ynx {
namespace {

using test::ByteWriter;
using test::GeometryEffectPart;

// A colour effect, or a texture effect whose texture "stone" (mipmap count
// `mipLevels`, no image) is stored inline, with coordinate set `set`.
ByteWriter EffectBytes(const char* type, int32_t id, uint8_t flags, int32_t textureId = 0,
                       int32_t set = 0) {
  ByteWriter bytes;
  bytes.Head(id, type, "paint");
  GeometryEffectPart(bytes, 0x00, flags, 2.0f);
  bytes.F32(0.25f).F32(0.5f).F32(0.75f).F32(1);
  if (textureId == 0) return bytes;
  bytes.Head(textureId, "YNX.Texture", "stone").I32(0).I32(-1);
  return bytes.I32(set);
}

TEST(EffectStreamTest, ColourAndTextureEffectsReadAndWriteTheirBytes) {
  struct Case {
    const char* type;
    uint8_t flags;
    bool blend;
    bool cull;
  };
  for (const Case& c :
       {Case{"YNX.ColorEffect", 0x10, false, false}, Case{"YNX.TextureEffect", 0x01, true, true}}) {
    SCOPED_TRACE(c.type);
    const bool textured = c.type == std::string("YNX.TextureEffect");
    int32_t state = 1;
    Ptr<Object> loaded =
        test::ReadOne(EffectBytes(c.type, 1, c.flags, textured ? 2 : 0, 5), &state);
    ASSERT_EQ(state, 0);
    auto* effect = static_cast<ColorEffect*>(loaded.Get());
    EXPECT_EQ(effect->GetColor(), (Color{0.25f, 0.5f, 0.75f, 1.0f}));
    EXPECT_EQ(effect->GetBlend(), c.blend);
    EXPECT_EQ(effect->GetCull(), c.cull);
    int32_t textureId = 0;
    if (textured) {
      auto* textureEffect = static_cast<TextureEffect*>(effect);
      ASSERT_NE(textureEffect->GetTexture(), nullptr);
      EXPECT_EQ(textureEffect->GetTexture()->GetName(), String("stone"));
      EXPECT_EQ(textureEffect->GetTexCoordSet(), 5);
      textureId = textureEffect->GetTexture()->GetID();
    }
    EXPECT_TRUE(
        test::SameBytes(test::Written(effect),
                        EffectBytes(c.type, effect->GetID(), c.flags, textureId, 5).Bytes()));
  }
}

TEST(EffectStreamTest, ATextureAsksForAFullChainAndSaysItLoaded) {
  test::CapturedLog log;
  ByteWriter bytes;
  bytes.Head(1, "YNX.Texture", "stone").I32(3).I32(-1);
  int32_t state = 1;
  Ptr<Object> loaded = test::ReadOne(bytes, &state);
  ASSERT_EQ(state, 0);
  auto* texture = static_cast<Texture*>(loaded.Get());
  EXPECT_EQ(texture->GetMipLevels(), 0);
  EXPECT_TRUE(log.Contains("INFO. Текстура [stone] загружена."));
  ByteWriter saved;
  saved.Head(texture->GetID(), "YNX.Texture", "stone").I32(0).I32(-1);
  EXPECT_TRUE(test::SameBytes(test::Written(texture), saved.Bytes()));
}

TEST(EffectStreamTest, ACoordinateSetOutsideTheEightFails) {
  for (const int32_t set : {-1, 8}) {
    test::CapturedLog log;
    int32_t state = 0;
    EXPECT_FALSE(test::ReadOne(EffectBytes("YNX.TextureEffect", 1, 0, 2, set), &state));
    EXPECT_EQ(state, 1);
    EXPECT_TRUE(test::HasLineStartingWith(
        log, "ERROR. Невозможно загрузить номер набора текстурных координат. ID["));
  }
}

TEST(EffectStreamTest, EveryCutFailsWithOneErrorPerClassLevel) {
  using test::ClassPart;
  const ClassPart object = [](ByteWriter& w) { w.Str("n").I32(0); };
  test::ExpectOneErrorPerLevel(
      "YNX.TextureEffect", {object, [](ByteWriter& w) { GeometryEffectPart(w, 0x81, 0x11, 3.0f); },
                            [](ByteWriter& w) { w.F32(0.1f).F32(0.2f).F32(0.3f).F32(0.4f); },
                            [](ByteWriter& w) { w.I32(-1).I32(2); }});
  test::ExpectOneErrorPerLevel("YNX.Texture", {object, [](ByteWriter& w) { w.I32(0).I32(-1); }});
}

TEST(EffectStreamTest, FactoriesMakeTheConcreteClassesOnly) {
  struct Case {
    const char* type;
    bool made;
  };
  for (const Case& c :
       {Case{"YNX.Shader", false}, Case{"YNX.OcclusionQuery", false},
        Case{"YNX.VertexShader", true}, Case{"YNX.PixelShader", true}, Case{"YNX.Texture", true},
        Case{"YNX.CubeTexture", true}, Case{"YNX.VolumeTexture", true},
        Case{"YNX.ColorEffect", true}, Case{"YNX.TextureEffect", true},
        Case{"YNX.Texture1DLEffect", true}, Case{"YNX.VelvetTexture1DLEffect", true},
        Case{"YNX.Texture1DL1PLEffect", true}}) {
    SCOPED_TRACE(c.type);
    const CreateFunction create = Factory::Find(String(c.type));
    ASSERT_NE(create, nullptr);
    Object* made = nullptr;
    EXPECT_EQ(create(&made) == 0, c.made);
    EXPECT_EQ(made != nullptr, c.made);
    if (made == nullptr) continue;
    const Ptr<Object> held(made);
    EXPECT_EQ(made->GetType().GetName(), String(c.type));
    EXPECT_EQ(made->GetName(), String());
  }
}


// A light stored inline: type, three colours, attenuation, its flag, the
// spot's falloff and cone.
void LightBytes(ByteWriter& bytes, int32_t id, const char* name, int32_t type) {
  bytes.Head(id, "YNX.Light", name);
  test::NodeFields(bytes, -1).I32(type);
  for (int i = 0; i < 12; ++i) bytes.F32(0.25f * (i % 4 + 1));
  bytes.F32(1).F32(0.5f).F32(0.25f).I8(1).F32(1).F32(0.5f);
}

// A lit effect of `type` with texture "stone" on set 2 and its own part:
// the lights inline (or null references where their IDs are 0), velvet
// colour and wrap for the velvet effect.
ByteWriter LitBytes(const char* type, int32_t id, int32_t textureId, int32_t sunId, int32_t lampId = 0) {
  ByteWriter bytes = EffectBytes(type, id, 0, textureId, 2);
  const std::string kind = type;
  if (sunId != 0) {
    LightBytes(bytes, sunId, "sun", 1);
  } else {
    bytes.I32(-1);
  }
  if (kind == "YNX.VelvetTexture1DLEffect") bytes.F32(0.5f).F32(0.25f).F32(1).F32(1).F32(0.3f);
  if (kind != "YNX.Texture1DL1PLEffect") return bytes;
  if (lampId != 0) {
    LightBytes(bytes, lampId, "lamp", 2);
  } else {
    bytes.I32(-1);
  }
  return bytes;
}

Light* LightOf(Object* effect) {
  if (auto* both = dynamic_cast<Texture1DL1PLEffect*>(effect)) return both->GetLight();
  return static_cast<Texture1DLEffect*>(effect)->GetLight();
}

TEST(EffectStreamTest, LitEffectsReadAndWriteTheirBytes) {
  for (const char* type : {"YNX.Texture1DLEffect", "YNX.VelvetTexture1DLEffect", "YNX.Texture1DL1PLEffect"}) {
    SCOPED_TRACE(type);
    int32_t state = 1;
    const Ptr<Object> loaded = test::ReadOne(LitBytes(type, 1, 2, 3, 4), &state);
    ASSERT_EQ(state, 0);
    auto* effect = static_cast<TextureEffect*>(loaded.Get());
    EXPECT_EQ(effect->GetType().GetName(), String(type));
    EXPECT_EQ(effect->GetTexCoordSet(), 2);
    Light* sun = LightOf(effect);
    ASSERT_NE(sun, nullptr);
    EXPECT_EQ(sun->GetName(), String("sun"));
    EXPECT_EQ(sun->GetLightType(), Light::LIGHT_DIRECTIONAL);
    int32_t lampId = 0;
    if (auto* both = dynamic_cast<Texture1DL1PLEffect*>(effect)) {
      ASSERT_NE(both->GetPointLight(), nullptr);
      EXPECT_EQ(both->GetPointLight()->GetLightType(), Light::LIGHT_POINT);
      lampId = both->GetPointLight()->GetID();
    }
    if (auto* velvet = dynamic_cast<VelvetTexture1DLEffect*>(effect)) {
      EXPECT_EQ(velvet->GetVelvetColor(), (Color{0.5f, 0.25f, 1, 1}));
      EXPECT_EQ(velvet->GetVelvetWrap(), 0.3f);
    }
    EXPECT_TRUE(test::SameBytes(
        test::Written(effect),
        LitBytes(type, effect->GetID(), effect->GetTexture()->GetID(), sun->GetID(), lampId).Bytes()));
  }
}

TEST(EffectStreamTest, LitEffectsFailWithTheirOwnMessages) {
  using test::ClassPart;
  const ClassPart object = [](ByteWriter& w) { w.Str("n").I32(0); };
  const ClassPart geometry = [](ByteWriter& w) { GeometryEffectPart(w, 0x00, 0x00, 2.0f); };
  const ClassPart colour = [](ByteWriter& w) { w.F32(0.1f).F32(0.2f).F32(0.3f).F32(0.4f); };
  const ClassPart texture = [](ByteWriter& w) { w.I32(-1).I32(2); };
  const ClassPart light = [](ByteWriter& w) { w.I32(-1); };
  test::ExpectOneErrorPerLevel("YNX.Texture1DLEffect", {object, geometry, colour, texture, light});
  test::ExpectOneErrorPerLevel("YNX.VelvetTexture1DLEffect",
                               {object, geometry, colour, texture, light,
                                [](ByteWriter& w) { w.F32(1).F32(1).F32(1).F32(1).F32(0.5f); }});
  test::ExpectOneErrorPerLevel("YNX.Texture1DL1PLEffect",
                               {object, geometry, colour, texture, [](ByteWriter& w) { w.I32(-1).I32(-1); }});

  // The exact lines: loading names nothing, saving names the light.
  struct Case {
    const char* type;
    int32_t cutBefore;  // bytes before the end where the cut falls
    const char* load;
    const char* save;
  };
  for (const Case& c : {Case{"YNX.Texture1DLEffect", 1, "ERROR. Невозможно загрузить источник света.",
                             "ERROR. Невозможно сохранить источник света. Имя[sun] ID["},
                        Case{"YNX.VelvetTexture1DLEffect", 1, "ERROR. Невозможно загрузить данные бархата.",
                             "ERROR. Невозможно сохранить данные бархата."},
                        Case{"YNX.Texture1DL1PLEffect", 1, "ERROR. Невозможно загрузить источник света.",
                             "ERROR. Невозможно сохранить источник света. Имя[lamp] ID["}}) {
    SCOPED_TRACE(c.type);
    const ByteWriter full = LitBytes(c.type, 1, 2, 3, 4);
    test::CapturedLog log;
    int32_t state = 0;
    ByteWriter cut;
    cut.Raw(full.Bytes().data(), full.Bytes().size() - c.cutBefore);
    EXPECT_FALSE(test::ReadOne(cut, &state));
    EXPECT_TRUE(log.Contains(c.load));
    const Ptr<Object> whole = test::ReadOne(full, &state);
    ASSERT_TRUE(whole);
    log.Clear();
    MemoryStream small(static_cast<int32_t>(full.Bytes().size()) - c.cutBefore, 0);
    EXPECT_NE(small.WriteObject(whole), 0);
    EXPECT_TRUE(test::HasLineStartingWith(log, c.save));
  }
}

}  // namespace
}  // namespace ynx
