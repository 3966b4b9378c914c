// The stored forms of the material effects, the letterbox effect and of
// textures: golden bytes both ways, bad data, every cut, and which types
// the factories make.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/core/Factory.h"
#include "engine/core/MemoryStream.h"
#include "engine/render/NormalmapTexture1DL1PLEffect.h"
#include "engine/render/NormalmapTexture1DLEffect.h"
#include "engine/render/ParallaxTexture1DLEffect.h"
#include "engine/render/PostRenderEffect.h"
#include "engine/render/RenderShadowmapEffectController.h"
#include "engine/render/ShadowmapEffect.h"
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
        Case{"YNX.Texture1DL1PLEffect", true}, Case{"YNX.NormalmapTextureEffect", true},
        Case{"YNX.ParallaxTextureEffect", true}, Case{"YNX.NormalmapTexture1DLEffect", true},
        Case{"YNX.ParallaxTexture1DLEffect", true},
        Case{"YNX.NormalmapTexture1DL1PLEffect", true}, Case{"YNX.SceneNodeEffect", false},
        Case{"YNX.PostRenderEffect", true}, Case{"YNX.Font", false},
        Case{"YNX.TextureFont", true}, Case{"YNX.ShadowmapEffect", true},
        Case{"YNX.RenderShadowmapEffectController", true}}) {
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


TEST(EffectStreamTest, APostRenderEffectStoresOnlyItsFilmFlag) {
  const auto bytesOf = [](int32_t id, std::optional<bool> film) {
    ByteWriter bytes;
    bytes.Head(id, "YNX.PostRenderEffect", "letterbox");
    if (film) bytes.I8(*film ? 1 : 0);
    return bytes;
  };
  for (const bool film : {false, true}) {
    SCOPED_TRACE(film ? "film" : "no film");
    int32_t state = 1;
    Ptr<Object> loaded = test::ReadOne(bytesOf(1, film), &state);
    ASSERT_EQ(state, 0);
    auto* effect = static_cast<PostRenderEffect*>(loaded.Get());
    EXPECT_EQ(effect->GetFilm(), film);
    EXPECT_NE(effect->GetScreenQuad(), nullptr);
    EXPECT_EQ(effect->GetTexture(), nullptr);
    EXPECT_TRUE(test::SameBytes(test::Written(effect), bytesOf(effect->GetID(), film).Bytes()));
  }
  test::CapturedLog log;
  int32_t state = 0;
  EXPECT_FALSE(test::ReadOne(bytesOf(1, std::nullopt), &state));
  EXPECT_EQ(state, 1);
  const std::vector<std::string> errors = log.Filtered({"ERROR. "});
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].rfind("ERROR. Невозможно загрузить флаг фильма. ID[", 0), 0u) << errors[0];
  EXPECT_TRUE(errors[0].ends_with("] Имя[letterbox]")) << errors[0];
}


// A light stored inline: type, three colours, attenuation, its flag, the
// spot's falloff and cone.
void LightBytes(ByteWriter& bytes, int32_t id, const char* name, int32_t type) {
  bytes.Head(id, "YNX.Light", name);
  test::NodeFields(bytes, -1).I32(type);
  for (int i = 0; i < 12; ++i) bytes.F32(0.25f * (i % 4 + 1));
  bytes.F32(1).F32(0.5f).F32(0.25f).I8(1).F32(1).F32(0.5f);
}

bool Mapped(const std::string& kind) {
  return kind.find("Normalmap") != std::string::npos || kind.find("Parallax") != std::string::npos;
}

// A lit effect of `type` with texture "stone" on set 2 and its own part:
// the normal-map effects' map (none) on set 3, the parallax scale and
// bias, the lights inline (or null references where their IDs are 0),
// velvet colour and wrap for the velvet effect. The normal-map and
// parallax effects without a light end after their own data.
ByteWriter LitBytes(const char* type, int32_t id, int32_t textureId, int32_t sunId, int32_t lampId = 0) {
  ByteWriter bytes = EffectBytes(type, id, 0, textureId, 2);
  const std::string kind = type;
  if (Mapped(kind)) bytes.I32(-1).I32(3);
  if (kind.find("Parallax") != std::string::npos) bytes.F32(0.125f).F32(0.0625f);
  if (kind.find("1DL") == std::string::npos) return bytes;
  if (sunId != 0) {
    LightBytes(bytes, sunId, "sun", 1);
  } else {
    bytes.I32(-1);
  }
  if (kind == "YNX.VelvetTexture1DLEffect") bytes.F32(0.5f).F32(0.25f).F32(1).F32(1).F32(0.3f);
  if (kind.find("1DL1PL") == std::string::npos) return bytes;
  if (lampId != 0) {
    LightBytes(bytes, lampId, "lamp", 2);
  } else {
    bytes.I32(-1);
  }
  return bytes;
}

Light* LightOf(Object* effect) {
  if (auto* both = dynamic_cast<Texture1DL1PLEffect*>(effect)) return both->GetLight();
  if (auto* both = dynamic_cast<NormalmapTexture1DL1PLEffect*>(effect)) return both->GetLight();
  if (auto* mapped = dynamic_cast<NormalmapTexture1DLEffect*>(effect)) return mapped->GetLight();
  if (auto* parallax = dynamic_cast<ParallaxTexture1DLEffect*>(effect)) return parallax->GetLight();
  return static_cast<Texture1DLEffect*>(effect)->GetLight();
}

Light* PointLightOf(Object* effect) {
  if (auto* both = dynamic_cast<Texture1DL1PLEffect*>(effect)) return both->GetPointLight();
  if (auto* both = dynamic_cast<NormalmapTexture1DL1PLEffect*>(effect)) return both->GetPointLight();
  return nullptr;
}

TEST(EffectStreamTest, LitEffectsReadAndWriteTheirBytes) {
  for (const char* type : {"YNX.Texture1DLEffect", "YNX.VelvetTexture1DLEffect", "YNX.Texture1DL1PLEffect",
                           "YNX.NormalmapTexture1DLEffect", "YNX.ParallaxTexture1DLEffect",
                           "YNX.NormalmapTexture1DL1PLEffect", "YNX.NormalmapTextureEffect",
                           "YNX.ParallaxTextureEffect"}) {
    SCOPED_TRACE(type);
    int32_t state = 1;
    const Ptr<Object> loaded = test::ReadOne(LitBytes(type, 1, 2, 3, 4), &state);
    ASSERT_EQ(state, 0);
    auto* effect = static_cast<TextureEffect*>(loaded.Get());
    EXPECT_EQ(effect->GetType().GetName(), String(type));
    EXPECT_EQ(effect->GetTexCoordSet(), 2);
    if (auto* mapped = dynamic_cast<NormalmapTextureEffect*>(effect)) {
      EXPECT_EQ(mapped->GetNormalMap(), nullptr);
      EXPECT_EQ(mapped->GetNormalMapTexCoordSet(), 3);
    }
    if (auto* parallax = dynamic_cast<ParallaxTextureEffect*>(effect)) {
      EXPECT_EQ(parallax->GetParallaxScale(), 0.125f);
      EXPECT_EQ(parallax->GetParallaxBias(), 0.0625f);
    }
    if (std::string(type).find("1DL") == std::string::npos) {
      EXPECT_TRUE(test::SameBytes(test::Written(effect),
                                  LitBytes(type, effect->GetID(), effect->GetTexture()->GetID(), 0).Bytes()));
      continue;
    }
    Light* sun = LightOf(effect);
    ASSERT_NE(sun, nullptr);
    EXPECT_EQ(sun->GetName(), String("sun"));
    EXPECT_EQ(sun->GetLightType(), Light::LIGHT_DIRECTIONAL);
    int32_t lampId = 0;
    if (Light* lamp = PointLightOf(effect)) {
      EXPECT_EQ(lamp->GetLightType(), Light::LIGHT_POINT);
      lampId = lamp->GetID();
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
  const ClassPart map = [](ByteWriter& w) { w.I32(-1).I32(1); };
  const ClassPart parallax = [](ByteWriter& w) { w.F32(0.1f).F32(0.05f); };
  test::ExpectOneErrorPerLevel("YNX.NormalmapTexture1DLEffect", {object, geometry, colour, texture, map, light});
  test::ExpectOneErrorPerLevel("YNX.ParallaxTexture1DLEffect",
                               {object, geometry, colour, texture, map, parallax, light});
  test::ExpectOneErrorPerLevel("YNX.NormalmapTexture1DL1PLEffect",
                               {object, geometry, colour, texture, map, [](ByteWriter& w) { w.I32(-1).I32(-1); }});

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
                             "ERROR. Невозможно сохранить источник света. Имя[lamp] ID["},
                        Case{"YNX.NormalmapTexture1DL1PLEffect", 1, "ERROR. Невозможно загрузить источник света.",
                             "ERROR. Невозможно сохранить источник света. Имя[lamp] ID["},
                        Case{"YNX.ParallaxTextureEffect", 1, "ERROR. Невозможно загрузить данные параллакса. Имя[paint] ID[",
                             "ERROR. Невозможно сохранить данные параллакса. Имя[paint] ID["},
                        Case{"YNX.NormalmapTextureEffect", 1,
                             "ERROR. Невозможно загрузить номер набора текстурных координат. ID[",
                             "ERROR. Невозможно сохранить номер набора текстурных координат. Имя[paint] ID["}}) {
    SCOPED_TRACE(c.type);
    const ByteWriter full = LitBytes(c.type, 1, 2, 3, 4);
    test::CapturedLog log;
    int32_t state = 0;
    ByteWriter cut;
    cut.Raw(full.Bytes().data(), full.Bytes().size() - c.cutBefore);
    EXPECT_FALSE(test::ReadOne(cut, &state));
    // A line naming the loaded object ends in its ID, which the stream gives.
    const std::string load = c.load;
    EXPECT_TRUE(load.back() == '[' ? test::HasLineStartingWith(log, load) : log.Contains(load));
    const Ptr<Object> whole = test::ReadOne(full, &state);
    ASSERT_TRUE(whole);
    log.Clear();
    MemoryStream small(static_cast<int32_t>(full.Bytes().size()) - c.cutBefore, 0);
    EXPECT_NE(small.WriteObject(whole), 0);
    EXPECT_TRUE(test::HasLineStartingWith(log, c.save));
  }
}


// A shadow map effect with the light "sun" inline, the map texture inline
// (no image), the shipped scene's numbers, and the casters: the sun again
// (by ID) and a null reference. `mapId` 0 stores no map.
ByteWriter ShadowBytes(int32_t id, int32_t sunId, int32_t mapId) {
  ByteWriter bytes;
  bytes.Head(id, "YNX.ShadowmapEffect", "shadows");
  LightBytes(bytes, sunId, "sun", 1);
  if (mapId != 0) {
    bytes.Head(mapId, "YNX.Texture", "Shadowmap 75575").I32(0).I32(-1);
  } else {
    bytes.I32(-1);
  }
  bytes.F32(0).F32(0).F32(0).F32(0.5333f).I8(1).F32(1000).F32(3.09f).F32(0.95f);
  return bytes.I32(2).I32(sunId).I32(-1);
}

TEST(EffectStreamTest, AShadowMapEffectReadsAndWritesItsBytes) {
  for (const int32_t mapId : {3, 0}) {
    SCOPED_TRACE(mapId != 0 ? "with a map" : "without a map");
    int32_t state = 1;
    const Ptr<Object> loaded = test::ReadOne(ShadowBytes(1, 2, mapId), &state);
    ASSERT_EQ(state, 0);
    auto* effect = static_cast<ShadowmapEffect*>(loaded.Get());
    ASSERT_NE(effect->GetLight(), nullptr);
    EXPECT_EQ(effect->GetLight()->GetName(), String("sun"));
    EXPECT_EQ(effect->GetShadowColor(), (Color{0, 0, 0, 0.5333f}));
    EXPECT_TRUE(effect->GetPerspective());
    EXPECT_EQ(effect->GetDepthBias(), 1000.0f);
    EXPECT_EQ(effect->GetSlopeBias(), 3.09f);
    EXPECT_EQ(effect->GetPerspectiveLimit(), 0.95f);
    ASSERT_EQ(effect->GetCasters().Count(), 2u);
    EXPECT_EQ(effect->GetCasters()[0].Get(), effect->GetLight());
    EXPECT_EQ(effect->GetCasters()[1].Get(), nullptr);
    // A map without an image has no colour target to pair with.
    EXPECT_EQ(effect->GetColorTarget(), nullptr);
    if (mapId != 0) {
      ASSERT_NE(effect->GetShadowMap(), nullptr);
      EXPECT_EQ(effect->GetShadowMap()->GetName(), String("Shadowmap 75575"));
    } else {
      EXPECT_EQ(effect->GetShadowMap(), nullptr);
    }
    const int32_t savedMap = mapId != 0 ? effect->GetShadowMap()->GetID() : 0;
    EXPECT_TRUE(test::SameBytes(test::Written(effect),
                                ShadowBytes(effect->GetID(), effect->GetLight()->GetID(), savedMap).Bytes()));
  }
}

TEST(EffectStreamTest, AShadowMapEffectMadeByCodeHasItsOwnMapAndNoColourTarget) {
  const Ptr<ShadowmapEffect> effect(new ShadowmapEffect());
  Texture* map = effect->GetShadowMap();
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(map->GetName(), String(("Shadowmap " + std::to_string(map->GetID())).c_str()));
  ASSERT_NE(map->GetImage(), nullptr);
  EXPECT_EQ(map->GetImage()->GetFormat(), Image::FORMAT_DEPTH);
  EXPECT_EQ(map->GetImage()->GetWidth(), 128u);
  EXPECT_EQ(map->GetImage()->GetHeight(), 128u);
  EXPECT_EQ(effect->GetColorTarget(), nullptr);
  // The map remade: a colour target of its size beside it.
  effect->SetShadowMap(map);
  ASSERT_NE(effect->GetColorTarget(), nullptr);
  ASSERT_NE(effect->GetColorTarget()->GetImage(), nullptr);
  EXPECT_EQ(effect->GetColorTarget()->GetImage()->GetFormat(), Image::FORMAT_RGB);
  EXPECT_EQ(effect->GetColorTarget()->GetImage()->GetWidth(), 128u);
  effect->SetShadowMap(nullptr);
  EXPECT_EQ(effect->GetColorTarget(), nullptr);
}

TEST(EffectStreamTest, AShadowMapEffectFailsStepByStep) {
  const ByteWriter full = ShadowBytes(1, 2, 3);
  const int32_t size = full.Size();
  // The tail: the map (50 bytes from its ID on), colour and numbers
  // (29), count (4), the sun's ID (4), the null reference (4).
  const int32_t entries = size - 8;
  const int32_t count = entries - 4;
  const int32_t colour = count - 29;
  const int32_t map = colour - (4 + 4 + 11 + 4 + 15 + 4 + 4 + 4);
  struct Case {
    int32_t cut;
    std::vector<std::string> load;
    std::vector<std::string> save;
  };
  const std::string nodesLoad = "ERROR. Невозможно загрузить узлы. Имя[shadows] ID[";
  const std::string nodesSave = "ERROR. Невозможно сохранить узлы. Имя[shadows] ID[";
  for (const Case& c :
       {Case{map + 2, {"ERROR. Невозможно загрузить карту теней. ID["},
             {"ERROR. Невозможно сохранить шадамап. Имя[shadows] ID["}},
        Case{colour + 5, {"ERROR. Невозможно загрузить цвет тени. Имя[shadows] ID["}, {nodesSave}},
        Case{count + 1,
             {"ERROR. Невозможно загрузить количество объектов.", nodesLoad},
             {"ERROR. Невозможно сохранить количество объектов.", nodesSave}},
        // Reading checks the count against the bytes left before any entry.
        Case{entries + 6,
             {"ERROR. Невозможно загрузить количество объектов.", nodesLoad},
             {"ERROR. Невозможно сохранить объект [1].", nodesSave}}}) {
    SCOPED_TRACE("cut at " + std::to_string(c.cut) + " of " + std::to_string(size));
    test::CapturedLog log;
    ByteWriter cut;
    cut.Raw(full.Bytes().data(), c.cut);
    int32_t state = 0;
    EXPECT_FALSE(test::ReadOne(cut, &state));
    std::vector<std::string> errors = log.Filtered({"ERROR. "});
    ASSERT_EQ(errors.size(), c.load.size());
    for (size_t i = 0; i < errors.size(); ++i) EXPECT_EQ(errors[i].rfind(c.load[i], 0), 0u) << errors[i];

    const Ptr<Object> whole = test::ReadOne(full, &state);
    ASSERT_TRUE(whole);
    log.Clear();
    MemoryStream small(c.cut, 0);
    EXPECT_NE(small.WriteObject(whole), 0);
    errors = log.Filtered({"ERROR. "});
    ASSERT_EQ(errors.size(), c.save.size());
    for (size_t i = 0; i < errors.size(); ++i) EXPECT_EQ(errors[i].rfind(c.save[i], 0), 0u) << errors[i];
  }
  // An entry that is not a node.
  test::CapturedLog log;
  ByteWriter bytes;
  bytes.Raw(full.Bytes().data(), entries).I32(3).I32(-1);
  int32_t state = 0;
  EXPECT_FALSE(test::ReadOne(bytes, &state));
  EXPECT_TRUE(log.Contains("ERROR. Невозможно загрузить объект [0]."));
}

}  // namespace
}  // namespace ynx
