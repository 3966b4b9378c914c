#include "content/geometry/GardenMeshes.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "content/Noise.h"
#include "content/RandomStream.h"
#include "content/geometry/MeshBuilder.h"
#include "engine/math/Transformation.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"

namespace ynx::content {

namespace {

constexpr float TAU = 6.2831853f;

// A box's six faces, each with its own corners and the texture across it.
void Box(MeshBuilder& mesh, const Vector3& low, const Vector3& high, float tile) {
  auto face = [&](Vector3 origin, Vector3 across, Vector3 up) {
    const float u = std::max(across.Length(), 1e-3f) * tile;
    const float v = std::max(up.Length(), 1e-3f) * tile;
    mesh.Grid(1, 1, u, v, [&](float s, float t) { return origin + across * s + up * t; });
  };
  const Vector3 size = high - low;
  const Vector3 dx{size.x, 0, 0};
  const Vector3 dy{0, size.y, 0};
  const Vector3 dz{0, 0, size.z};
  face(low, dz, dy);                          // -x
  face(low + dx + dz, dz * -1.0f, dy);        // +x
  face(low + dx, dx * -1.0f, dy);             // -z
  face(low + dz, dx, dy);                     // +z
  face(low + dy, dx, dz);                     // +y
  face(low + dz, dx, dz * -1.0f);             // -y
}

// A card: a quad standing on `base`, `width` wide along `across`, leaning
// by `lean` at the top; seen from both sides, so two faces.
void Card(MeshBuilder& mesh, const Vector3& base, const Vector3& across, float width, float height, const Vector3& lean) {
  const Vector3 half = across * (width * 0.5f);
  const Vector3 top = base + Vector3{0, height, 0} + lean;
  const int32_t a = mesh.AddVertex(base - half, 0.0f, 1.0f);
  const int32_t b = mesh.AddVertex(base + half, 1.0f, 1.0f);
  const int32_t c = mesh.AddVertex(top + half, 1.0f, 0.0f);
  const int32_t d = mesh.AddVertex(top - half, 0.0f, 0.0f);
  mesh.AddQuad(a, b, c, d);
  mesh.AddQuad(b, a, d, c);
}

}  // namespace

Ptr<Triangles> GardenMeshes::Ground(float inner, float outer, float tile, int rings, const QuadFilter& keep) {
  MeshBuilder mesh;
  // Planar coordinates, so that the texture keeps its size across the ring.
  const float count = static_cast<float>(rings);
  for (int ring = 0; ring < rings; ++ring) {
    const float r0 = inner + (outer - inner) * std::pow(static_cast<float>(ring) / count, 1.6f);
    const float r1 = inner + (outer - inner) * std::pow(static_cast<float>(ring + 1) / count, 1.6f);
    const int segments = 48;
    for (int i = 0; i < segments; ++i) {
      const float a0 = static_cast<float>(i) * TAU / segments;
      const float a1 = static_cast<float>(i + 1) * TAU / segments;
      auto at = [](float r, float a) { return Vector3{r * std::cos(a), 0.0f, r * std::sin(a)}; };
      // Seen from above, u round and v outward wind counter-clockwise.
      const Vector3 corners[4] = {at(r0, a0), at(r0, a1), at(r1, a1), at(r1, a0)};
      if (keep && !keep(corners)) continue;
      int32_t added[4];
      for (int k = 0; k < 4; ++k) added[k] = mesh.AddVertex(corners[k], corners[k].x / tile, corners[k].z / tile);
      mesh.AddQuad(added[0], added[1], added[2], added[3]);
    }
  }
  return mesh.Build(String("Ground"), false);
}

Ptr<Triangles> GardenMeshes::SkyDome(float radius) {
  MeshBuilder mesh;
  // v from the zenith down to slightly below the horizon, so that no gap
  // shows past the ground's edge; u runs westward to keep the faces inward.
  mesh.Grid(24, 8, 2.0f, 1.0f, [&](float u, float v) {
    const float azimuth = (1.0f - u) * TAU;
    const float elevation = 1.5707963f - v * 1.65f;
    return Vector3{radius * std::cos(azimuth) * std::cos(elevation), radius * std::sin(elevation),
                   radius * std::sin(azimuth) * std::cos(elevation)};
  });
  return mesh.Build(String("SkyDome"), false);
}

Ptr<Triangles> GardenMeshes::MoonDisc(float size) {
  MeshBuilder mesh;
  mesh.Grid(1, 1, 1.0f, 1.0f, [&](float u, float v) { return Vector3{(0.5f - u) * size, (v - 0.5f) * size, 0.0f}; });
  return mesh.Build(String("MoonDisc"), true);
}

Ptr<Triangles> GardenMeshes::PondSurface(float radius, float tiles) {
  // A fan round the centre; planar texture coordinates, so the ripples tile
  // the same way wherever they are.
  MeshBuilder mesh;
  auto add = [&](const Vector3& p) {
    return mesh.AddVertex(p, (p.x / radius * 0.5f + 0.5f) * tiles, (p.z / radius * 0.5f + 0.5f) * tiles);
  };
  const int32_t centre = add(Vector3{});
  const int segments = 48;
  for (int i = 0; i <= segments; ++i) {
    const float angle = static_cast<float>(i) * TAU / static_cast<float>(segments);
    add(Vector3{radius * std::cos(angle), 0.0f, radius * std::sin(angle)});
  }
  for (int32_t i = 0; i < segments; ++i) mesh.AddTriangle(centre, centre + 2 + i, centre + 1 + i);
  return mesh.Build(String("PondSurface"), false);
}

Ptr<Triangles> GardenMeshes::PondBed(float radius, float depth) {
  std::vector<Vector2> profile;
  for (int i = 0; i <= 8; ++i) {
    const float t = static_cast<float>(i) / 8.0f;
    profile.push_back(Vector2{radius * t, -depth * std::cos(t * 1.5707963f)});
  }
  MeshBuilder mesh;
  // Seen from inside the bowl: the lathe's outside faces away, so turn the
  // profile round (rim to centre) to face up.
  std::reverse(profile.begin(), profile.end());
  mesh.Lathe(profile, 48, Vector3{}, radius, radius * 0.5f);
  return mesh.Build(String("PondBed"), true);
}

Ptr<Triangles> GardenMeshes::Bridge(float length, float width, float rise) {
  MeshBuilder mesh;
  const int steps = 16;
  const float thickness = 0.08f;
  auto deck = [&](float t) { return rise * std::sin(t * 3.14159265f); };
  for (int i = 0; i < steps; ++i) {
    const float t0 = static_cast<float>(i) / steps;
    const float t1 = static_cast<float>(i + 1) / steps;
    const float x0 = (t0 - 0.5f) * length;
    const float x1 = (t1 - 0.5f) * length;
    const float y = std::min(deck(t0), deck(t1));
    Box(mesh, Vector3{x0, y - thickness, -width * 0.5f}, Vector3{x1, std::max(deck(t0), deck(t1)), width * 0.5f}, 1.0f);
    for (const float side : {-1.0f, 1.0f}) {
      const float z = side * (width * 0.5f - 0.04f);
      Box(mesh, Vector3{x0, y + 0.62f, z - 0.03f}, Vector3{x1, std::max(deck(t0), deck(t1)) + 0.68f, z + 0.03f}, 1.0f);
      if (i % 3 == 0) Box(mesh, Vector3{x0, y, z - 0.035f}, Vector3{x0 + 0.07f, y + 0.66f, z + 0.035f}, 1.0f);
    }
  }
  return mesh.Build(String("Bridge"), false);
}

Ptr<Triangles> GardenMeshes::Lantern() {
  MeshBuilder mesh;
  // Base, post, the fire box's floor, then the roof and its finial.
  mesh.Lathe({{0.0f, 0.0f}, {0.30f, 0.0f}, {0.30f, 0.12f}, {0.22f, 0.16f}, {0.0f, 0.16f}}, 8, Vector3{}, 2.0f, 1.0f);
  mesh.Lathe({{0.11f, 0.16f}, {0.09f, 0.55f}, {0.11f, 0.70f}}, 12, Vector3{}, 1.0f, 1.0f);
  mesh.Lathe({{0.0f, 0.70f}, {0.26f, 0.70f}, {0.26f, 0.78f}, {0.0f, 0.78f}}, 6, Vector3{}, 2.0f, 1.0f);
  for (int corner = 0; corner < 4; ++corner) {
    const float angle = (static_cast<float>(corner) + 0.5f) * TAU / 4.0f;
    const float x = std::cos(angle) * 0.17f;
    const float z = std::sin(angle) * 0.17f;
    Box(mesh, Vector3{x - 0.03f, 0.78f, z - 0.03f}, Vector3{x + 0.03f, 1.04f, z + 0.03f}, 2.0f);
  }
  mesh.Lathe({{0.0f, 1.04f}, {0.42f, 1.06f}, {0.40f, 1.12f}, {0.12f, 1.28f}, {0.0f, 1.30f}}, 6, Vector3{}, 2.0f, 1.0f);
  mesh.Lathe({{0.0f, 1.28f}, {0.06f, 1.32f}, {0.07f, 1.38f}, {0.0f, 1.45f}}, 8, Vector3{}, 1.0f, 1.0f);
  return mesh.Build(String("Lantern"), true);
}

Ptr<Triangles> GardenMeshes::LanternPaper() {
  MeshBuilder mesh;
  for (int side = 0; side < 4; ++side) {
    const float angle = static_cast<float>(side) * TAU / 4.0f;
    const Vector3 out{std::cos(angle), 0.0f, std::sin(angle)};
    const Vector3 across{-out.z, 0.0f, out.x};
    const Vector3 centre = out * 0.15f + Vector3{0.0f, 0.78f, 0.0f};
    mesh.Grid(1, 1, 1.0f, 1.0f, [&](float u, float v) {
      return centre + across * ((0.5f - u) * 0.2f) + Vector3{0.0f, v * 0.26f, 0.0f};
    });
  }
  return mesh.Build(String("LanternPaper"), false);
}

Ptr<Triangles> GardenMeshes::Rock(uint32_t seed, float size) {
  // A sphere pushed out and in by noise, flattened below.
  const Noise bumps(seed, 8);
  MeshBuilder mesh;
  // Coarse: the normal map carries the detail, and on a software
  // rasteriser every triangle costs its setup, in the shadow map too.
  mesh.Grid(16, 8, 2.0f, 1.0f, [&](float u, float v) {
    const float azimuth = -u * TAU;
    const float polar = (1.0f - v) * 3.14159265f;
    const float bump = 0.75f + 0.5f * bumps.Fractal(u * 8.0f, v * 4.0f, 3);
    const float r = size * 0.5f * (v <= 0.0f || v >= 1.0f ? 0.8f : bump);
    Vector3 p{r * std::sin(polar) * std::cos(azimuth), r * std::cos(polar), r * std::sin(polar) * std::sin(azimuth)};
    p.y = std::max(p.y, -size * 0.15f) + size * 0.15f;
    return p;
  });
  return mesh.Build(String("Rock"), true);
}

Ptr<Triangles> GardenMeshes::PathStone(uint32_t seed, float size) {
  RandomStream random(seed);
  std::vector<float> radii;
  for (int i = 0; i < 10; ++i) radii.push_back(size * 0.5f * random.Range(0.8f, 1.0f));
  MeshBuilder mesh;
  auto edge = [&](float u) {
    const float at = u * 10.0f;
    const int i = static_cast<int>(at) % 10;
    const float f = at - std::floor(at);
    return radii[static_cast<size_t>(i)] * (1.0f - f) + radii[static_cast<size_t>((i + 1) % 10)] * f;
  };
  // Top and bevel as one lathe-like grid; texture planar across the top.
  const float height = 0.06f;
  mesh.Grid(30, 3, 1.0f, 1.0f, [&](float u, float v) {
    const float angle = -u * TAU;
    const float r = edge(u) * (v < 0.34f ? 1.0f : v < 0.67f ? 0.92f : 0.0f);
    const float y = v < 0.34f ? v * 3.0f * height * 0.7f : height;
    return Vector3{r * std::cos(angle), y, r * std::sin(angle)};
  });
  return mesh.Build(String("PathStone"), true);
}

Ptr<Triangles> GardenMeshes::BambooStalk(uint32_t seed, float height, float radius, float nodeSpacing) {
  RandomStream random(seed);
  const float lean = random.Range(-0.04f, 0.04f);
  MeshBuilder mesh;
  // Straight and thin: rows enough for the sway to bend it smoothly.
  mesh.Grid(6, 6, 1.0f, height / nodeSpacing, [&](float u, float v) {
    const float angle = -u * TAU;
    const float r = radius * (1.0f - 0.3f * v);
    return Vector3{r * std::cos(angle) + lean * v * height, v * height, r * std::sin(angle)};
  });
  return mesh.Build(String("BambooStalk"), false);
}

Ptr<Triangles> GardenMeshes::BambooLeaves(uint32_t seed, float height) {
  RandomStream random(seed);
  MeshBuilder mesh;
  for (int i = 0; i < 10; ++i) {
    const float angle = random.Range(0.0f, TAU);
    const Vector3 across{std::cos(angle), 0.0f, std::sin(angle)};
    const float y = height * random.Range(0.55f, 0.95f);
    Card(mesh, Vector3{0.0f, y - 0.5f, 0.0f}, across, 0.6f, 0.5f, Vector3{-across.z, 0.0f, across.x} * 0.1f);
  }
  return mesh.Build(String("BambooLeaves"), false);
}

Ptr<Triangles> GardenMeshes::GrassClump(uint32_t seed, float height) {
  RandomStream random(seed);
  MeshBuilder mesh;
  for (int i = 0; i < 4; ++i) {
    const float angle = static_cast<float>(i) * TAU / 8.0f + random.Range(-0.2f, 0.2f);
    const Vector3 across{std::cos(angle), 0.0f, std::sin(angle)};
    Card(mesh, Vector3{random.Range(-0.05f, 0.05f), 0.0f, random.Range(-0.05f, 0.05f)}, across, height * 0.9f,
         height * random.Range(0.8f, 1.1f), Vector3{-across.z, 0.0f, across.x} * random.Range(-0.1f, 0.1f));
  }
  return mesh.Build(String("GrassClump"), false);
}

Ptr<Triangles> GardenMeshes::MapleTrunk(float height) {
  MeshBuilder mesh;
  mesh.Lathe({{0.20f, 0.0f}, {0.14f, 0.3f}, {0.11f, height * 0.6f}, {0.07f, height}}, 10, Vector3{}, 1.0f, height);
  return mesh.Build(String("MapleTrunk"), false);
}

Ptr<Triangles> GardenMeshes::MapleCanopy(uint32_t seed, float radius) {
  RandomStream random(seed);
  MeshBuilder mesh;
  // Cards scattered through a flattened dome, their base at y >= 0.
  for (int i = 0; i < 90; ++i) {
    const float azimuth = random.Range(0.0f, TAU);
    const float r = std::sqrt(random.Uniform()) * radius;
    const float y = (radius - r) * 0.55f * random.Uniform() + 0.05f;
    const float angle = random.Range(0.0f, TAU);
    const Vector3 across{std::cos(angle), 0.0f, std::sin(angle)};
    Card(mesh, Vector3{r * std::cos(azimuth), y, r * std::sin(azimuth)}, across, 0.9f, 0.8f,
         Vector3{random.Range(-0.2f, 0.2f), 0.0f, random.Range(-0.2f, 0.2f)});
  }
  mesh.Unshare();
  return mesh.Build(String("MapleCanopy"), false);
}

GardenMeshes::Koi GardenMeshes::MakeKoi(const String& name, float length) {
  // The body: a spindle round the x axis, thickest a third from the head,
  // pinched before the tail, which fans out flat.
  auto radiusAt = [](float t) {
    if (t > 0.85f) return 0.01f;
    return 0.12f * std::pow(std::sin(3.14159265f * std::min(1.0f, t / 0.85f)), 0.7f) * (1.0f - 0.35f * t) + 0.008f;
  };
  MeshBuilder mesh;
  mesh.Grid(24, 12, 1.0f, 1.0f, [&](float u, float v) {
    // u along the body (head to tail), v round it from the back.
    const float t = u;
    const float angle = v * TAU;
    const float r = radiusAt(t) * length;
    return Vector3{(0.5f - t) * length, r * std::cos(angle) * 0.9f, r * std::sin(angle) * 0.75f};
  });
  // The tail fin: a flat fan behind the body, both sides.
  const float tailX = -0.35f * length;
  for (const float side : {1.0f, -1.0f}) {
    const int32_t root = mesh.AddVertex(Vector3{tailX, 0.0f, 0.0f}, 0.9f, 0.5f);
    const int32_t top = mesh.AddVertex(Vector3{-0.58f * length, 0.10f * length, 0.0f}, 1.0f, 0.0f);
    const int32_t bottom = mesh.AddVertex(Vector3{-0.58f * length, -0.10f * length, 0.0f}, 1.0f, 1.0f);
    if (side > 0) {
      mesh.AddTriangle(root, top, bottom);
    } else {
      mesh.AddTriangle(root, bottom, top);
    }
  }
  Koi koi;
  koi.body = mesh.Build(name, true);

  // The spine: bones evenly from the head to the tail's root, each a child
  // of the one before, in bind pose along -x.
  const float first = 0.4f * length;
  const float step = (first - tailX) / static_cast<float>(SPINE_BONES - 1);
  std::vector<float> boneX;
  SceneNode* parent = nullptr;
  koi.skin = new SkinController(name + String(" skin"));
  for (int b = 0; b < SPINE_BONES; ++b) {
    boneX.push_back(first - step * static_cast<float>(b));
    Ptr<SceneNode> bone(new SceneNode(name + String(" bone ") + String(std::to_string(b).c_str()), 1, 1));
    Transformation local;
    local.SetTranslation(b == 0 ? Vector3{first, 0.0f, 0.0f} : Vector3{-step, 0.0f, 0.0f});
    bone->SetLocalTransform(local);
    if (parent == nullptr) {
      koi.spine = bone;
    } else {
      parent->AppendChild(bone.Get());
    }
    Transformation offset;
    offset.SetTranslation(Vector3{-boneX.back(), 0.0f, 0.0f});
    koi.skin->AddBone(bone.Get(), offset);
    parent = bone.Get();
  }
  // Each vertex follows the two bones either side of it along the spine.
  const Vector3Buffer* positions = koi.body->GetVertices();
  const int32_t count = positions->GetCount();
  auto* weights = new Vector4Buffer(count);
  auto* bones = new Vector4Buffer(count);
  auto* bind = new Vector3Buffer(count);
  auto* bindNormals = new Vector3Buffer(count);
  auto* bindTangents = new Vector3Buffer(count);
  for (int32_t i = 0; i < count; ++i) {
    const Vector3& p = positions->GetElements()[i];
    const float along = std::clamp((first - p.x) / step, 0.0f, static_cast<float>(SPINE_BONES - 1));
    const int lower = std::min(static_cast<int>(along), SPINE_BONES - 2);
    const float f = along - static_cast<float>(lower);
    weights->GetElements()[i] = Vector4{1.0f - f, f, 0.0f, 0.0f};
    bones->GetElements()[i] = Vector4{static_cast<float>(lower), static_cast<float>(lower + 1), 0.0f, 0.0f};
    bind->GetElements()[i] = p;
    bindNormals->GetElements()[i] = koi.body->GetNormals()->GetElements()[i];
    bindTangents->GetElements()[i] = koi.body->GetTangents()->GetElements()[i];
  }
  koi.skin->SetWeights(weights);
  koi.skin->SetBoneIndices(bones);
  koi.skin->SetBindVertices(bind);
  koi.skin->SetBindNormals(bindNormals);
  koi.skin->SetBindTangents(bindTangents);
  koi.body->AttachController(koi.skin.Get());
  return koi;
}

}  // namespace ynx::content
