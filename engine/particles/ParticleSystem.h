#pragma once

#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/math/Color.h"
#include "engine/math/Vector3.h"
#include "engine/particles/Emitter.h"
#include "engine/particles/Particle.h"
#include "engine/scene/GeometryNode.h"

namespace ynx {

// A geometry node that simulates particles in world space. Every `interval`
// seconds (intervalBase ± intervalJitter, drawn anew after each burst) a
// burst of burstBase ± burstJitter particles is emitted; each takes its
// start position and direction from the emitter, and speed, acceleration,
// colours, sizes and life from the base values with symmetric jitter.
// Particles age every update, blend from start to end colour and size over
// their life, and die once their age exceeds it; dead ones are kept on a
// free list for the next bursts. The base class only simulates and draws
// nothing.
//
// Streamed after the geometry node's data: maxParticles, intervalBase,
// intervalJitter, burstBase, burstJitter (int32 / float32 as typed), the
// colours start base, start jitter, end base, end jitter, speedBase,
// speedJitter, accelerationBase, accelerationJitter, lifeBase, lifeJitter,
// sizeStartBase, sizeStartJitter, sizeEndBase, sizeEndJitter, then the
// emitter as a reference. Particles and timers are not stored.
class ParticleSystem : public GeometryNode {
  YNX_DECLARE_CLASS(ParticleSystem);

 public:
  // Redrawn intervals below this (a base of 0, or a jitter larger than the
  // base) would burst without end within one update: 1 ms at the least.
  static constexpr float MIN_INTERVAL = 0.001f;

  // With a point emitter of its own.
  explicit ParticleSystem(const String& name = String());
  ~ParticleSystem() override;

  int32_t Save(MemoryStream& stream) const override;
  // Counts, jitters, the interval base, the life and the sizes are clamped
  // at 0 from below; the particles are discarded and the timers restart.
  int32_t Load(MemoryStream& stream) override;
  // This node, its controllers and bounds, then the emitter.
  Object* FindByName(const String& name) override;
  void CollectByType(const Rtti& type, Array<Object*>& result) override;
  void ReleaseReferences() override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;

  // Controllers and world transformation, then ageing, then emission.
  void Update(double time) override;
  void Draw(SceneRenderer& renderer) override;
  int32_t GetPrimitiveType() const override;
  // The buffers the drawing needs for maxParticles; the base draws nothing.
  virtual void AllocateBuffers();

  // A point emitter (or one derived from it) takes this node as its node.
  void SetEmitter(Emitter* value);
  Emitter* GetEmitter() const { return emitter.Get(); }
  // Also remakes the buffers.
  void SetMaxParticles(int32_t value);
  int32_t GetMaxParticles() const { return maxParticles; }
  int32_t GetLiveCount() const { return liveCount; }
  // Newest first; null when none live.
  const Particle* GetLiveParticles() const { return live; }
  float GetEmitTimer() const { return emitTimer; }
  float GetEmitInterval() const { return emitInterval; }
  void SetEmissionStopped(bool value) { emissionStopped = value; }
  bool GetEmissionStopped() const { return emissionStopped; }

  void SetInterval(float base, float jitter) {
    intervalBase = base;
    intervalJitter = jitter;
  }
  void SetBurst(int32_t base, int32_t jitter) {
    burstBase = base;
    burstJitter = jitter;
  }
  void SetStartColor(const Color& base, const Color& jitter) {
    colorStartBase = base;
    colorStartJitter = jitter;
  }
  void SetEndColor(const Color& base, const Color& jitter) {
    colorEndBase = base;
    colorEndJitter = jitter;
  }
  void SetSpeed(float base, float jitter) {
    speedBase = base;
    speedJitter = jitter;
  }
  void SetAcceleration(const Vector3& base, const Vector3& jitter) {
    accelerationBase = base;
    accelerationJitter = jitter;
  }
  void SetLife(float base, float jitter) {
    lifeBase = base;
    lifeJitter = jitter;
  }
  void SetStartSize(float base, float jitter) {
    sizeStartBase = base;
    sizeStartJitter = jitter;
  }
  void SetEndSize(float base, float jitter) {
    sizeEndBase = base;
    sizeEndJitter = jitter;
  }

 private:
  void Age(float dt);
  void Emit(float dt);
  // One burst; false when a particle could not be allocated.
  bool Burst();
  void Spawn(Particle& particle);
  void DiscardParticles();

  int32_t maxParticles = 0;
  Particle* live = nullptr;
  Particle* free = nullptr;
  int32_t liveCount = 0;
  float emitTimer = 0.0f;
  float emitInterval = 0.0f;
  float intervalBase = 1.0f;
  float intervalJitter = 0.0f;
  int32_t burstBase = 10;
  int32_t burstJitter = 0;
  Color colorStartBase{1.0f, 1.0f, 1.0f, 1.0f};
  Color colorStartJitter{0.0f, 0.0f, 0.0f, 0.0f};
  Color colorEndBase{1.0f, 1.0f, 1.0f, 0.0f};
  Color colorEndJitter{0.0f, 0.0f, 0.0f, 0.0f};
  float speedBase = 1.0f;
  float speedJitter = 0.0f;
  Vector3 accelerationBase;
  Vector3 accelerationJitter;
  float lifeBase = 5.0f;
  float lifeJitter = 0.0f;
  float sizeStartBase = 1.0f;
  float sizeStartJitter = 0.0f;
  float sizeEndBase = 1.0f;
  float sizeEndJitter = 0.0f;
  Ptr<Emitter> emitter;
  bool emissionStopped = false;
};

}  // namespace ynx
