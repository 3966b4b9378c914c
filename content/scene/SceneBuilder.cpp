#include "content/scene/SceneBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "content/RandomStream.h"
#include "content/geometry/GardenMeshes.h"
#include "content/scene/CameraSets.h"
#include "content/scene/GardenParticles.h"
#include "content/scene/GardenSounds.h"
#include "content/scene/KoiSchool.h"
#include "engine/render/ColorEffect.h"
#include "engine/render/GeometryNodeEffect.h"
#include "engine/render/NormalmapTexture1DL1PLEffect.h"
#include "engine/render/NormalmapTexture1DLEffect.h"
#include "engine/render/NormalmapTextureEffect.h"
#include "engine/render/NormalmapTextureController.h"
#include "engine/render/ParallaxTexture1DLEffect.h"
#include "engine/render/ParallaxTextureEffect.h"
#include "engine/render/PostRenderEffect.h"
#include "engine/render/RenderShadowmapEffectController.h"
#include "engine/render/RenderStateBlock.h"
#include "engine/render/ShadowmapEffect.h"
#include "engine/render/Texture1DL1PLEffect.h"
#include "engine/render/Texture1DLEffect.h"
#include "engine/render/TextureAnimation.h"
#include "engine/render/TextureAnimationController.h"
#include "engine/render/TextureEffect.h"
#include "engine/render/TextureKeyframe.h"
#include "engine/animation/AnimationFrame.h"
#include "engine/render/VelvetTexture1DLEffect.h"
#include "engine/animation/TargetLightController.h"
#include "engine/math/Transformation.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Lines.h"
#include "engine/scene/Points.h"
#include "engine/scene/StripLines.h"
#include "engine/scene/Vector3Buffer.h"

namespace ynx::content {

namespace {

constexpr float POND_RADIUS = 3.2f;
// Where the garden's lawn ends: everything that casts or takes the moon's
// shadows lies inside.
constexpr float LAWN_RADIUS = 13.0f;
const Color WHITE{1.0f, 1.0f, 1.0f, 1.0f};
// Specular and emissive alpha stay 0: alpha-tested and blended materials
// take their alpha from them too.
const Color NONE{0.0f, 0.0f, 0.0f, 0.0f};

Quaternion Yaw(float angle) { return Quaternion{0.0f, std::sin(angle * 0.5f), 0.0f, std::cos(angle * 0.5f)}; }

// A material that takes the moon's colours as they are: the light carries
// the night's tint and level.
void Matte(GeometryNodeEffect* effect) { effect->SetMaterial(WHITE, WHITE, NONE, NONE, 1.0f); }

// Leaf and blade cards: cut out by alpha, seen from both sides.
void CutOut(GeometryNodeEffect* effect) {
  effect->SetAlphaTest(true, 128);
  effect->SetCull(false);
}

// What stands up solid casts; cut-out cards would cast their whole
// rectangles.
bool CastsShadow(const std::string& name) {
  if (name.find("Leaves") != std::string::npos) return false;
  for (const char* solid : {"Bridge", "Lantern", "Rock", "Bamboo", "MapleTrunk"}) {
    if (name.rfind(solid, 0) == 0) return true;
  }
  return false;
}

struct GroundBox {
  float minX, minZ, maxX, maxZ;
};

// The meshes directly under `groups` that cast the moon's shadow.
std::vector<Triangles*> Casters(std::initializer_list<SceneNode*> groups) {
  std::vector<Triangles*> casters;
  for (SceneNode* group : groups) {
    for (int32_t i = 0; i < group->GetSlotCount(); ++i) {
      auto* mesh = dynamic_cast<Triangles*>(group->GetChild(i));
      if (mesh != nullptr && CastsShadow(mesh->GetName().CStr())) casters.push_back(mesh);
    }
  }
  return casters;
}

// Where on y = 0 the casters can throw shadow: each triangle carried along
// the moonlight to the ground, as a box widened for the map's soft edge
// and, on swaying meshes, for how far the triangle's top sways.
std::vector<GroundBox> ShadowBoxes(const std::vector<Triangles*>& casters, const Vector3& toMoon) {
  constexpr float SOFT_EDGE = 0.15f;
  std::vector<GroundBox> boxes;
  for (Triangles* mesh : casters) {
    const auto* material = dynamic_cast<const GeometryNodeEffect*>(mesh->GetEffect());
    // Sway moves a point at height y by up to amplitude * y along x and z.
    const float sway = material != nullptr && material->GetSway() ? 1.5f * material->GetSwayAmplitude() : 0.0f;
    const Transformation& place = mesh->GetLocalTransform();
    const Vector3* vertices = static_cast<const Vector3*>(mesh->GetVertices()->GetData());
    const int32_t* indices = static_cast<const int32_t*>(mesh->GetIndices()->GetData());
    for (int32_t t = 0; t + 2 < mesh->GetIndices()->GetCount(); t += 3) {
      GroundBox box{1e9f, 1e9f, -1e9f, -1e9f};
      float top = 0.0f;
      for (int k = 0; k < 3; ++k) {
        top = std::max(top, vertices[indices[t + k]].y);
        const Vector3 p = place.TransformPoint(vertices[indices[t + k]]);
        const Vector3 ground = p - toMoon * (std::max(p.y, 0.0f) / toMoon.y);
        box = {std::min(box.minX, ground.x), std::min(box.minZ, ground.z), std::max(box.maxX, ground.x),
               std::max(box.maxZ, ground.z)};
      }
      const float margin = SOFT_EDGE + sway * top;
      boxes.push_back({box.minX - margin, box.minZ - margin, box.maxX + margin, box.maxZ + margin});
    }
  }
  return boxes;
}

}  // namespace

Vector3 SceneBuilder::ToMoon() const {
  // The moonlight is aimed at the pond's centre, the origin.
  const Vector3& from = moon->GetLocalTransform().translation;
  return from * (1.0f / from.Length());
}

Color SceneBuilder::Moonlit(float facing) const {
  const Color& ambient = moon->GetAmbient();
  const Color& diffuse = moon->GetDiffuse();
  return Color{ambient.red + diffuse.red * facing, ambient.green + diffuse.green * facing,
               ambient.blue + diffuse.blue * facing, 1.0f};
}

Texture* SceneBuilder::TextureOf(const std::string& name) {
  Ptr<Texture>& texture = textures[name];
  if (!texture) {
    Image* image = media.LoadImage(name);
    if (image == nullptr) failed = true;
    texture = new Texture(String(name.substr(name.find_last_of('\\') + 1).c_str()), image);
  }
  return texture.Get();
}

Texture* SceneBuilder::NormalMapOf(const std::string& heightName, bool withAlpha) {
  Ptr<Texture>& texture = textures[heightName];
  if (!texture) {
    TextureOf(heightName);
    auto* convert = new NormalmapTextureController();
    convert->SetBumpScale(4.0f);
    convert->SetWithAlpha(withAlpha);
    texture->AttachController(convert);
  }
  return texture.Get();
}

Triangles* SceneBuilder::Place(SceneNode* parent, const Ptr<Triangles>& mesh, const std::string& name,
                               const Vector3& at, float yaw) {
  mesh->SetName(String(name.c_str()));
  mesh->SetLocalTransform(Transformation(at, Yaw(yaw), Vector3{1.0f, 1.0f, 1.0f}));
  parent->AppendChild(mesh.Get());
  return mesh.Get();
}

void SceneBuilder::AddSky(SceneNode* root) {
  auto* sky = new TextureEffect();
  sky->SetTexture(TextureOf("Textures\\sky.jpg"));
  Place(root, GardenMeshes::SkyDome(80.0f), "Sky", Vector3{}, 0.0f)->SetEffect(sky);

  // The brightest stars as points over the painted ones.
  RandomStream random(1503);
  const int32_t count = 240;
  auto* spots = new Vector3[count];
  for (int32_t i = 0; i < count; ++i) {
    const float azimuth = random.Range(0.0f, 6.2831853f);
    const float elevation = std::asin(random.Range(0.12f, 1.0f));
    spots[i] = Vector3{std::cos(azimuth) * std::cos(elevation), std::sin(elevation),
                       std::sin(azimuth) * std::cos(elevation)} * 76.0f;
  }
  auto* stars = new Points(String("Stars"));
  stars->SetVertices(new Vector3Buffer(count, spots));
  auto* starlight = new ColorEffect();
  starlight->SetColor(Color{0.85f, 0.88f, 1.0f, 1.0f});
  stars->SetEffect(starlight);
  root->AppendChild(stars);

  // The moon is unlit; its relief map rides along for a renderer that
  // shades it.
  auto* face = new NormalmapTextureEffect();
  face->SetTexture(TextureOf("Textures\\moon.tga"));
  face->SetNormalMap(NormalMapOf("Textures\\rock_height.jpg", false));
  face->SetBlend(true, RenderStateBlock::BLEND_SRC_ALPHA, RenderStateBlock::BLEND_INV_SRC_ALPHA);
  Matte(face);
  // Low in the north, where the moonlight comes from.
  Triangles* disc = Place(root, GardenMeshes::MoonDisc(7.0f), "Moon", Vector3{-20.0f, 11.0f, 66.0f}, 0.0f);
  disc->SetEffect(face);
}

void SceneBuilder::AddGround(SceneNode* film, SceneNode* garden, const std::vector<Triangles*>& casters) {
  // Flat and matte, the lawn takes the same moonlight everywhere: that
  // colour, unlit, looks the same as lighting it and costs a fraction per
  // pixel. Only the quads round the garden that a shadow can reach are in
  // the shadow group, so the receiver pass (a second draw of each) skips
  // the open lawn and the map's fit stays on the garden; the rest, and the
  // lawn beyond, lie outside it.
  const std::vector<GroundBox> shadows = ShadowBoxes(casters, ToMoon());
  auto shaded = [&](const Vector3 (&corners)[4]) {
    GroundBox quad{1e9f, 1e9f, -1e9f, -1e9f};
    for (const Vector3& corner : corners) {
      quad = {std::min(quad.minX, corner.x), std::min(quad.minZ, corner.z), std::max(quad.maxX, corner.x),
              std::max(quad.maxZ, corner.z)};
    }
    return std::any_of(shadows.begin(), shadows.end(), [&](const GroundBox& box) {
      return box.minX <= quad.maxX && quad.minX <= box.maxX && box.minZ <= quad.maxZ && quad.minZ <= box.maxZ;
    });
  };
  const Color moonlit = Moonlit(ToMoon().y);
  // The lawn beyond is flat and unshaded: a few wide rings, whose inner
  // edge still meets the garden's 48 quads round.
  Ptr<Triangles> rings[] = {GardenMeshes::Ground(POND_RADIUS, LAWN_RADIUS, 3.0f, 12, shaded),
                            GardenMeshes::Ground(POND_RADIUS, LAWN_RADIUS, 3.0f, 12,
                                                 [&](const Vector3 (&corners)[4]) { return !shaded(corners); }),
                            GardenMeshes::Ground(LAWN_RADIUS, 40.0f, 3.0f, 3)};
  SceneNode* parents[] = {garden, film, film};
  const char* names[] = {"Ground", "OpenGround", "FarGround"};
  for (int i = 0; i < 3; ++i) {
    auto* lawn = new TextureEffect();
    lawn->SetTexture(TextureOf("Textures\\ground.jpg"));
    lawn->SetColor(moonlit);
    Place(parents[i], rings[i], names[i], Vector3{}, 0.0f)->SetEffect(lawn);
  }
}

void SceneBuilder::AddPond(SceneNode* film, SceneNode* garden) {
  // Under the water the moonlight is scattered: the bed is unlit, dimmed
  // to the night's level, its pebbles given depth by their height map. It
  // takes no shadows of its own: the water over it does, and a second
  // pass over the bed would cost the crane shot several milliseconds.
  auto* bed = new ParallaxTextureEffect();
  bed->SetTexture(TextureOf("Textures\\pond_bed.jpg"));
  bed->SetNormalMap(NormalMapOf("Textures\\path_height.jpg", true));
  bed->SetColor(Color{0.32f, 0.36f, 0.46f, 1.0f});
  Place(film, GardenMeshes::PondBed(POND_RADIUS, 0.6f), "PondBed", Vector3{}, 0.0f)->SetEffect(bed);

  // The ripples: twenty pages flipped round a two-second loop.
  auto* water = new TextureEffect();
  auto* pages = new TextureAnimation(String("Ripples"));
  for (int page = 0; page < 20; ++page) {
    char name[32];
    std::snprintf(name, sizeof name, "Textures\\ripple_%02d.tga", page);
    pages->AddTextureKey(page / 20.0, TextureOf(name));
  }
  water->SetTexture(static_cast<TextureKeyframe&>(pages->GetKey(0)).texture.Get());
  auto* flip = new TextureAnimationController(String("RippleFlip"));
  flip->AddAnimation(pages);
  AnimationFrame loop;
  loop.animation = pages;
  flip->AddFrame(loop);
  flip->SetPeriod(2.0);
  water->AttachController(flip);
  water->SetBlend(true, RenderStateBlock::BLEND_SRC_ALPHA, RenderStateBlock::BLEND_INV_SRC_ALPHA);
  Matte(water);
  Place(garden, GardenMeshes::PondSurface(POND_RADIUS, 3.0f), "Water", Vector3{0.0f, -0.05f, 0.0f}, 0.0f)
      ->SetEffect(water);
}

void SceneBuilder::AddBridge(SceneNode* garden) {
  auto* wood = new Texture1DLEffect();
  wood->SetTexture(TextureOf("Textures\\wood.jpg"));
  wood->SetLight(moon.Get());
  Matte(wood);
  Triangles* bridge = Place(garden, GardenMeshes::Bridge(7.6f, 1.3f, 0.7f), "Bridge", Vector3{0.0f, 0.0f, 0.4f}, 0.25f);
  bridge->SetEffect(wood);

  // The wind chime under the deck: a cord down to a bar, and five rods
  // hanging from the bar.
  auto* chime = new SceneNode(String("WindChimeFrame"), 0, 2);
  chime->SetLocalTransform(Transformation(Vector3{0.0f, 0.6f, 0.4f}, Yaw(0.25f), Vector3{1.0f, 1.0f, 1.0f}));
  garden->AppendChild(chime);
  auto* cord = new StripLines(String("WindChimeCord"));
  cord->SetVertices(new Vector3Buffer(3, new Vector3[3]{{0.0f, 0.0f, 0.0f}, {0.0f, -0.15f, 0.0f}, {0.0f, -0.2f, 0.02f}}));
  cord->SetIndices(new IntBuffer(3, new int32_t[3]{0, 1, 2}));
  auto* rods = new Lines(String("WindChimeRods"));
  auto* ends = new Vector3[10];
  auto* pairs = new int32_t[10];
  for (int32_t i = 0; i < 5; ++i) {
    const float x = -0.12f + 0.06f * static_cast<float>(i);
    ends[2 * i] = Vector3{x, -0.2f, 0.02f};
    ends[2 * i + 1] = Vector3{x, -0.32f - 0.04f * static_cast<float>(i % 3), 0.02f};
    pairs[2 * i] = 2 * i;
    pairs[2 * i + 1] = 2 * i + 1;
  }
  rods->SetVertices(new Vector3Buffer(10, ends));
  rods->SetIndices(new IntBuffer(10, pairs));
  for (GeometryNode* line : {static_cast<GeometryNode*>(cord), static_cast<GeometryNode*>(rods)}) {
    auto* brass = new ColorEffect();
    brass->SetColor(Color{0.55f, 0.48f, 0.32f, 1.0f});
    line->SetEffect(brass);
    chime->AppendChild(line);
  }
}

void SceneBuilder::AddLanterns(SceneNode* standing) {
  const Vector3 spots[] = {{-4.6f, 0.0f, 2.2f}, {4.4f, 0.0f, -2.8f}, {1.8f, 0.0f, 4.6f}};
  int index = 0;
  for (const Vector3& at : spots) {
    const std::string name = "Lantern" + std::to_string(++index);
    auto* glow = new Light(String((name + "Light").c_str()));
    glow->SetLightType(Light::LIGHT_POINT);
    glow->SetColors(Color{0.0f, 0.0f, 0.0f, 1.0f}, Color{1.0f, 0.62f, 0.25f, 1.0f}, Color{0.3f, 0.2f, 0.1f, 1.0f});
    glow->SetAttenuation(Vector3{0.2f, 0.0f, 0.35f}, true);
    glow->SetLocalTransform(Transformation(at + Vector3{0.0f, 0.9f, 0.0f}, Quaternion{}, Vector3{1.0f, 1.0f, 1.0f}));
    standing->AppendChild(glow);

    auto* stone = new NormalmapTexture1DL1PLEffect();
    stone->SetTexture(TextureOf("Textures\\stone.jpg"));
    stone->SetNormalMap(NormalMapOf("Textures\\rock_height.jpg", false));
    stone->SetLights(moon.Get(), glow);
    Matte(stone);
    Place(standing, GardenMeshes::Lantern(), name, at, 0.3f * static_cast<float>(index))->SetEffect(stone);

    auto* paper = new Texture1DL1PLEffect();
    paper->SetTexture(TextureOf("Textures\\lantern_paper.jpg"));
    paper->SetLights(moon.Get(), glow);
    paper->SetMaterial(WHITE, WHITE, NONE, Color{1.0f, 0.74f, 0.4f, 0.0f}, 1.0f);
    paper->SetCull(false);
    Place(standing, GardenMeshes::LanternPaper(), name + "Paper", at, 0.3f * static_cast<float>(index))
        ->SetEffect(paper);
  }
}

void SceneBuilder::AddStones(SceneNode* standing, SceneNode* garden) {
  RandomStream random(1501);
  // Rocks round the rim: bare ones normal-mapped, mossy ones in velvet.
  for (int i = 0; i < 9; ++i) {
    const float angle = 0.5f + static_cast<float>(i) * 0.69f;
    const float r = POND_RADIUS + random.Range(0.1f, 0.5f);
    const Vector3 at{r * std::cos(angle), -0.1f, r * std::sin(angle)};
    const Ptr<Triangles> rock = GardenMeshes::Rock(1510 + static_cast<uint32_t>(i), random.Range(0.5f, 1.1f));
    GeometryNodeEffect* effect;
    if (i % 3 == 2) {
      auto* moss = new VelvetTexture1DLEffect();
      moss->SetTexture(TextureOf("Textures\\moss.jpg"));
      moss->SetLight(moon.Get());
      moss->SetVelvet(Color{0.35f, 0.45f, 0.3f, 1.0f}, 0.5f);
      effect = moss;
    } else {
      auto* bare = new NormalmapTexture1DLEffect();
      bare->SetTexture(TextureOf("Textures\\rock.jpg"));
      bare->SetNormalMap(NormalMapOf("Textures\\rock_height.jpg", false));
      bare->SetLight(moon.Get());
      effect = bare;
    }
    Matte(effect);
    Place(standing, rock, "Rock" + std::to_string(i + 1), at, random.Range(0.0f, 6.28f))->SetEffect(effect);
  }
  // Stepping stones from the bridge's east end to the maple.
  for (int i = 0; i < 6; ++i) {
    const float t = static_cast<float>(i);
    const Vector3 at{4.4f + t * 0.75f, 0.0f, 1.2f + t * 0.55f + 0.2f * std::sin(t * 1.7f)};
    auto* path = new ParallaxTexture1DLEffect();
    path->SetTexture(TextureOf("Textures\\path_stone.jpg"));
    path->SetNormalMap(NormalMapOf("Textures\\path_height.jpg", true));
    path->SetLight(moon.Get());
    Matte(path);
    Place(garden, GardenMeshes::PathStone(1530 + static_cast<uint32_t>(i), 0.6f), "PathStone" + std::to_string(i + 1),
          at, t)
        ->SetEffect(path);
  }
}

void SceneBuilder::AddPlants(SceneNode* standing, SceneNode* foliage) {
  RandomStream random(1502);
  // A bamboo grove behind the pond to the west.
  for (int i = 0; i < 14; ++i) {
    const Vector3 at{random.Range(-9.0f, -5.5f), 0.0f, random.Range(3.0f, 8.0f)};
    const float height = random.Range(4.0f, 6.5f);
    const uint32_t seed = 1540 + static_cast<uint32_t>(i);
    auto* stalk = new Texture1DLEffect();
    stalk->SetTexture(TextureOf("Textures\\bamboo.jpg"));
    stalk->SetLight(moon.Get());
    stalk->SetSway(true);
    stalk->SetSwayParameters(0.04f, 0.6f + 0.05f * static_cast<float>(i % 4));
    Matte(stalk);
    Place(standing, GardenMeshes::BambooStalk(seed, height, 0.05f, 0.45f), "Bamboo" + std::to_string(i + 1), at, 0.0f)
        ->SetEffect(stalk);
    auto* leaves = new Texture1DLEffect();
    leaves->SetTexture(TextureOf("Textures\\bamboo_leaves.tga"));
    leaves->SetLight(moon.Get());
    leaves->SetSway(true);
    leaves->SetSwayParameters(0.06f, 0.7f);
    Matte(leaves);
    CutOut(leaves);
    Place(foliage, GardenMeshes::BambooLeaves(seed, height), "BambooLeaves" + std::to_string(i + 1), at, 0.0f)
        ->SetEffect(leaves);
  }
  // Grass round the rim and along the path.
  for (int i = 0; i < 18; ++i) {
    const float angle = random.Range(0.0f, 6.28f);
    const float r = POND_RADIUS + random.Range(0.4f, 2.5f);
    // Unlit in the light a blade gets on average: crossed cards, half of
    // them turned away, lit per pixel would cost several times as much
    // for a difference lost in the blades' own shades.
    auto* blades = new TextureEffect();
    blades->SetTexture(TextureOf("Textures\\grass.tga"));
    blades->SetColor(Moonlit(0.6f));
    blades->SetMaterial(WHITE, WHITE, NONE, NONE, 1.0f);
    blades->SetSway(true);
    blades->SetSwayParameters(0.08f, 1.1f);
    CutOut(blades);
    Place(foliage, GardenMeshes::GrassClump(1570 + static_cast<uint32_t>(i), random.Range(0.35f, 0.7f)),
          "Grass" + std::to_string(i + 1), Vector3{r * std::cos(angle), 0.0f, r * std::sin(angle)},
          random.Range(0.0f, 6.28f))
        ->SetEffect(blades);
  }
  // The maple at the path's end.
  const Vector3 maple{8.5f, 0.0f, 5.0f};
  auto* bark = new Texture1DLEffect();
  bark->SetTexture(TextureOf("Textures\\wood.jpg"));
  bark->SetLight(moon.Get());
  Matte(bark);
  Place(standing, GardenMeshes::MapleTrunk(3.0f), "MapleTrunk", maple, 0.0f)->SetEffect(bark);
  auto* leaves = new Texture1DLEffect();
  leaves->SetTexture(TextureOf("Textures\\maple_leaves.tga"));
  leaves->SetLight(moon.Get());
  leaves->SetSway(true);
  leaves->SetSwayParameters(0.05f, 0.8f);
  Matte(leaves);
  CutOut(leaves);
  Triangles* canopy =
      Place(foliage, GardenMeshes::MapleCanopy(1599, 2.2f), "MapleCanopy", maple + Vector3{0.0f, 2.4f, 0.0f}, 0.0f);
  canopy->SetEffect(leaves);
  standing->AppendChild(GardenParticles::FallingLeaves(TextureOf("Textures\\maple_leaf.tga"), canopy));
}

void SceneBuilder::AddShadows(SceneNode* garden, const std::vector<Triangles*>& casters) {
  auto* shadow = new ShadowmapEffect(String("MoonShadow"));
  shadow->AttachController(new RenderShadowmapEffectController());
  shadow->SetShadowMap(new Texture(String("Shadowmap"), new Image(String(), Image::FORMAT_DEPTH, 512, 512)));
  shadow->SetBias(1000.0f, 3.09f);
  shadow->SetShadowColor(Color{0.01f, 0.015f, 0.04f, 0.6f});
  shadow->SetLight(moon.Get());
  Array<Node*> list;
  for (Triangles* mesh : casters) list.Append(mesh);
  shadow->SetCasters(list);
  garden->AddEffect(shadow);
}

bool SceneBuilder::Make() {
  Ptr<SceneNode> root(new SceneNode(String("Root"), 0, 4));
  // The moonlight comes from high in the north-west, aimed at the pond
  // (lower than the moon's picture, for shorter shadows).
  moon = new Light(String("MoonLight"));
  moon->SetLightType(Light::LIGHT_DIRECTIONAL);
  moon->SetLocalTransform(Transformation(Vector3{-16.0f, 25.0f, 26.0f}, Quaternion{}, Vector3{1.0f, 1.0f, 1.0f}));
  moon->SetColors(Color{0.20f, 0.23f, 0.32f, 1.0f}, Color{0.62f, 0.68f, 0.85f, 1.0f}, Color{0.3f, 0.3f, 0.4f, 1.0f});
  auto* pondCentre = new SceneNode(String("PondCentre"), 0, 1);
  root->AppendChild(pondCentre);
  auto* aim = new TargetLightController(String("MoonAim"));
  aim->SetTarget(pondCentre);
  moon->AttachController(aim);
  root->AppendChild(moon.Get());

  // Everything drawn sits under the letterbox; the sky outside the shadow
  // group, whose fit it would spoil.
  auto* film = new SceneNode(String("Letterbox"), 0, 4);
  auto* bars = new PostRenderEffect();
  bars->SetFilm(true);
  film->AddEffect(bars);
  root->AppendChild(film);
  AddSky(film);

  // The pond's bed draws before the garden, under its water. The shadow
  // group holds what the moon's shadows fall on (lawn, water, bridge deck,
  // path stones): each of them is drawn twice, the second time to darken
  // it. What stands in the garden casts from outside the group; on it the
  // shadows would hardly show, and its second pass cost the crane shot a
  // tenth of its frame.
  auto* garden = new SceneNode(String("Garden"), 0, 16);
  auto* standing = new SceneNode(String("Standing"), 0, 64);
  AddPond(film, garden);
  film->AppendChild(standing);
  film->AppendChild(garden);
  KoiSchool::Add(standing, moon.Get(),
                 {TextureOf("Textures\\koi_kohaku.jpg"), TextureOf("Textures\\koi_ogon.jpg"),
                  TextureOf("Textures\\koi_showa.jpg"), TextureOf("Textures\\koi_kohaku.jpg")},
                 POND_RADIUS);
  AddBridge(garden);
  AddLanterns(standing);
  AddStones(standing, garden);
  // Cut-out cards outside the shadow group: the receiver pass does not
  // cut them out, and would speckle them with their own shadows.
  auto* foliage = new SceneNode(String("Foliage"), 0, 16);
  film->AppendChild(foliage);
  AddPlants(standing, foliage);
  const std::vector<Triangles*> casters = Casters({standing, garden});
  AddShadows(garden, casters);
  // The lawn last, where the casters' shadows are known; drawn after what
  // stands on it, its hidden part fails the depth test before shading.
  AddGround(film, garden, casters);
  // Sprites draw after the garden's shadows, outside the shadow group.
  Texture* glow = TextureOf("Textures\\firefly.tga");
  film->AppendChild(GardenParticles::Fireflies("FirefliesPond", glow, Vector3{0.5f, 0.8f, 0.0f}, 2.4f));
  film->AppendChild(GardenParticles::Fireflies("FirefliesGrove", glow, Vector3{-6.5f, 1.2f, 5.0f}, 2.0f));
  film->AppendChild(GardenParticles::Spout(glow, Vector3{-2.9f, 0.05f, 1.6f}));
  if (!GardenSounds::Add(root.Get(), media)) failed = true;
  CameraSets::Add(root.Get());

  if (failed) return false;
  return media.SaveScene("Main.STR", root.Get());
}

}  // namespace ynx::content
