#include "content/scene/GardenParticles.h"

#include "engine/particles/PointEmitter.h"
#include "engine/particles/SphereVolumeEmitter.h"
#include "engine/particles/TrianglesEmitter.h"
#include "engine/render/SpriteEffect.h"

namespace ynx::content {

namespace {

SpriteParticleSystem* System(const char* name, Emitter* emitter, Texture* sprite) {
  auto* system = new SpriteParticleSystem(String(name));
  auto* effect = static_cast<SpriteEffect*>(system->GetEffect());
  effect->SetTexture(sprite);
  // Blended: specular and emissive alpha stay 0, as for every blended
  // material.
  effect->SetMaterial(effect->GetDiffuse(), effect->GetAmbient(), Color{0.0f, 0.0f, 0.0f, 0.0f},
                      Color{0.0f, 0.0f, 0.0f, 0.0f}, effect->GetShininess());
  system->SetEmitter(emitter);
  return system;
}

}  // namespace

SpriteParticleSystem* GardenParticles::Fireflies(const char* name, Texture* sprite, const Vector3& centre,
                                                 float radius) {
  auto* cloud = new SphereVolumeEmitter();
  cloud->SetRadius(radius);
  cloud->SetAngles(0.0f, 3.1415927f);
  SpriteParticleSystem* flies = System(name, cloud, sprite);
  flies->SetMaxParticles(60);
  flies->SetInterval(0.25f, 0.15f);
  flies->SetBurst(1, 1);
  // Each one lights up and fades out over its life: the blink.
  flies->SetLife(2.5f, 1.0f);
  flies->SetSpeed(0.12f, 0.08f);
  flies->SetAcceleration(Vector3{0.0f, 0.02f, 0.0f}, Vector3{0.05f, 0.02f, 0.05f});
  flies->SetStartColor(Color{0.85f, 1.0f, 0.35f, 1.0f}, Color{0.1f, 0.0f, 0.1f, 0.0f});
  flies->SetEndColor(Color{0.1f, 0.2f, 0.0f, 0.0f}, Color{});
  flies->SetStartSize(0.3f, 0.08f);
  flies->SetEndSize(0.12f, 0.04f);
  flies->SetLocalTransform(Transformation(centre, Quaternion{}, Vector3{1.0f, 1.0f, 1.0f}));
  return flies;
}

SpriteParticleSystem* GardenParticles::Spout(Texture* sprite, const Vector3& at) {
  auto* mouth = new PointEmitter();
  mouth->SetAngles(0.2f, 0.45f);
  SpriteParticleSystem* drops = System("InletSpout", mouth, sprite);
  drops->SetMaxParticles(80);
  drops->SetInterval(0.05f, 0.02f);
  drops->SetBurst(2, 1);
  drops->SetLife(0.7f, 0.1f);
  drops->SetSpeed(1.1f, 0.15f);
  drops->SetAcceleration(Vector3{0.0f, -3.5f, 0.0f}, Vector3{});
  drops->SetStartColor(Color{0.35f, 0.45f, 0.6f, 0.8f}, Color{0.05f, 0.05f, 0.05f, 0.0f});
  drops->SetEndColor(Color{0.1f, 0.15f, 0.25f, 0.0f}, Color{});
  drops->SetStartSize(0.06f, 0.02f);
  drops->SetEndSize(0.03f, 0.01f);
  // Turned so that the cone leans toward the pond's centre (+x).
  drops->SetLocalTransform(Transformation(at, Quaternion{0.0f, 0.0f, 0.3826834f, 0.9238795f}, Vector3{1.0f, 1.0f, 1.0f}));
  return drops;
}

SpriteParticleSystem* GardenParticles::FallingLeaves(Texture* sprite, Triangles* canopy) {
  auto* branches = new TrianglesEmitter();
  branches->SetTriangles(canopy);
  // Let go sideways and downward, never up.
  branches->SetAngles(1.6f, 2.6f);
  SpriteParticleSystem* leaves = System("FallingLeaves", branches, sprite);
  leaves->SetMaxParticles(40);
  leaves->SetInterval(0.6f, 0.3f);
  leaves->SetBurst(1, 0);
  leaves->SetLife(5.0f, 1.5f);
  leaves->SetSpeed(0.25f, 0.1f);
  leaves->SetAcceleration(Vector3{0.08f, -0.12f, 0.03f}, Vector3{0.05f, 0.02f, 0.05f});
  // The sprites add their light: keep the leaves a dim red.
  leaves->SetStartColor(Color{0.55f, 0.18f, 0.08f, 1.0f}, Color{0.1f, 0.05f, 0.02f, 0.0f});
  leaves->SetEndColor(Color{0.3f, 0.1f, 0.05f, 0.6f}, Color{});
  leaves->SetStartSize(0.18f, 0.04f);
  leaves->SetEndSize(0.16f, 0.04f);
  return leaves;
}

}  // namespace ynx::content
