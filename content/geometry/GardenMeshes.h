#pragma once

#include <cstdint>
#include <functional>

#include "engine/animation/SkinController.h"
#include "engine/core/Ptr.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Triangles.h"

namespace ynx::content {

// The garden's meshes, in metres with +y up, each with the per-vertex data
// its effect needs: normals everywhere, tangents on the normal-mapped and
// parallax ones (stone, rocks, path stones) and on the koi's velvet skin.
// Lit meshes are built at their real size, so their nodes keep a uniform
// scale; swaying meshes (bamboo, grass, the maple's canopy) stand with
// their base at y = 0 and are never skinned.
class GardenMeshes {
 public:
  // The lawn round the pond: a ring at y = 0 from the pond's rim out to
  // `outer`, its texture repeating every `tile` metres. Built of quads,
  // 48 round and `rings` out, wider further out; with `keep`, only those
  // whose corners it accepts.
  using QuadFilter = std::function<bool(const Vector3 (&corners)[4])>;
  static Ptr<Triangles> Ground(float inner, float outer, float tile, int rings, const QuadFilter& keep = nullptr);
  // The sky: a half sphere seen from inside, the picture's top at the
  // zenith, twice round; and the moon, a square facing -z (toward the garden when the
  // node puts it in the north).
  static Ptr<Triangles> SkyDome(float radius);
  static Ptr<Triangles> MoonDisc(float size);
  // The water's surface: a disc at y = 0, the ripple texture repeating
  // `tiles` times across it.
  static Ptr<Triangles> PondSurface(float radius, float tiles);
  // The pond's bed: a shallow bowl under the surface, its rim at y = 0,
  // with tangents for its relief.
  static Ptr<Triangles> PondBed(float radius, float depth);
  // An arched bridge along x: deck, two railings and posts, centred.
  static Ptr<Triangles> Bridge(float length, float width, float rise);
  // A stone lantern on its base at y = 0 (tangents for the normal map) and
  // its four paper windows.
  static Ptr<Triangles> Lantern();
  static Ptr<Triangles> LanternPaper();
  // A boulder of about `size` metres, its underside at y = 0.
  static Ptr<Triangles> Rock(uint32_t seed, float size);
  // A flat, slightly bevelled stepping stone, top at y = 0.06.
  static Ptr<Triangles> PathStone(uint32_t seed, float size);
  // A bamboo stalk from y = 0 up, the texture's node repeating every
  // `nodeSpacing` metres, with leaf cards near the top (alpha-tested).
  static Ptr<Triangles> BambooStalk(uint32_t seed, float height, float radius, float nodeSpacing);
  static Ptr<Triangles> BambooLeaves(uint32_t seed, float height);
  // A clump of crossed grass cards from y = 0.
  static Ptr<Triangles> GrassClump(uint32_t seed, float height);
  // The maple: its trunk, and its canopy of leaf cards with unshared
  // vertices (so that falling-leaf particles can start from its triangles),
  // the canopy's base at y = 0 (the node sets it on the trunk).
  static Ptr<Triangles> MapleTrunk(float height);
  static Ptr<Triangles> MapleCanopy(uint32_t seed, float radius);

  // A koi along +x, head forward, with a spine of SPINE_BONES bones (the
  // first at the head, each the next one's parent) that its skin controller
  // follows; the mesh's texture u runs head to tail, v round the body.
  static constexpr int SPINE_BONES = 6;
  struct Koi {
    Ptr<Triangles> body;
    Ptr<SceneNode> spine;  // the head bone; the others hang below it
    Ptr<SkinController> skin;  // attached to the body
  };
  static Koi MakeKoi(const String& name, float length);
};

}  // namespace ynx::content
