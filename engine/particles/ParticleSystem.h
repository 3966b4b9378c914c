#pragma once

#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/math/Color.h"
#include "engine/math/Vector3.h"
#include "engine/particles/Emitter.h"
#include "engine/particles/Particle.h"
#include "engine/particles/Spread.h"
#include "engine/scene/GeometryNode.h"

namespace ynx {

// A geometry node that simulates particles in world space. After every
// emission interval (interval base ± jitter, drawn anew after each burst) a
// burst of burst base ± jitter particles is emitted; each takes its start
// position and direction from the emitter, and speed, acceleration, colours,
// sizes and life from their base values with symmetric jitter. Particles
// age every update, blend from start to end colour and size over their
// life, and die once their age exceeds it; dead ones are kept on a free
// list for the next bursts. The base class only simulates and draws
// nothing.
//
// Streamed after the geometry node's data: maxParticles (int32), interval
// base and jitter (float32), burst base and jitter (int32), the colours
// start base, start jitter, end base, end jitter, then base and jitter of
// speed, acceleration, life, start size and end size, then the emitter as
// a reference. Particles and timers are not stored.
class ParticleSystem : public GeometryNode {
  YNX_DECLARE_CLASS(ParticleSystem);

 public:
  // Redrawn intervals below this (a base of 0, or a jitter larger than the
  // base) would burst without end within one update: 1 ms at the least.
  static constexpr float MIN_INTERVAL = 0.001f;
  // Beyond this a stored count would only exhaust memory, a particle and
  // its sprite vertices at a time.
  static constexpr int32_t MAX_PARTICLES = 1 << 18;

  // With a point emitter of its own.
  explicit ParticleSystem(const String& name = String());
  ~ParticleSystem() override;

  int32_t Save(MemoryStream& stream) const override;
  // Counts, jitters, the interval base, the life and the sizes are clamped
  // at 0 from below, maxParticles at MAX_PARTICLES from above (with a
  // warning); the particles are discarded and the timers restart.
  int32_t Load(MemoryStream& stream) override;
  // This node, its controllers and bounds, then the emitter.
  Object* FindByName(const String& name) override;
  void CollectByType(const Rtti& type, Array<Object*>& result) override;
  void ReleaseReferences() override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;

  // Controllers and world transformation, then ageing, then emission.
  void Update(double time) override;
  // Nothing: the base only simulates. Points, for a draw that never comes.
  void Draw(SceneRenderer& renderer) override;
  int32_t GetPrimitiveType() const override;
  // The buffers the drawing needs for maxParticles; the base draws nothing.
  virtual void AllocateBuffers();

  // A point emitter (or one derived from it) takes this node as its node.
  void SetEmitter(Emitter* value);
  Emitter* GetEmitter() const { return emitter.Get(); }
  // Clamped into 0..MAX_PARTICLES; also remakes the buffers.
  void SetMaxParticles(int32_t value);
  int32_t GetMaxParticles() const { return maxParticles; }
  int32_t GetLiveCount() const { return liveCount; }
  // Newest first; null when none live.
  const Particle* GetLiveParticles() const { return live; }
  float GetEmitTimer() const { return emitTimer; }
  float GetEmitInterval() const { return emitInterval; }
  void SetEmissionStopped(bool value) { emissionStopped = value; }
  bool GetEmissionStopped() const { return emissionStopped; }

  void SetInterval(float base, float jitter) { interval = {base, jitter}; }
  void SetBurst(int32_t base, int32_t jitter) { burst = {base, jitter}; }
  void SetStartColor(const Color& base, const Color& jitter) { colorStart = {base, jitter}; }
  void SetEndColor(const Color& base, const Color& jitter) { colorEnd = {base, jitter}; }
  void SetSpeed(float base, float jitter) { speed = {base, jitter}; }
  void SetAcceleration(const Vector3& base, const Vector3& jitter) { acceleration = {base, jitter}; }
  void SetLife(float base, float jitter) { life = {base, jitter}; }
  void SetStartSize(float base, float jitter) { sizeStart = {base, jitter}; }
  void SetEndSize(float base, float jitter) { sizeEnd = {base, jitter}; }

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
  Spread<float> interval{1.0f, 0.0f};
  // Drawn as an integer: see Burst.
  Spread<int32_t> burst{10, 0};
  Spread<Color> colorStart{{1.0f, 1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, 0.0f, 0.0f}};
  Spread<Color> colorEnd{{1.0f, 1.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 0.0f, 0.0f}};
  Spread<float> speed{1.0f, 0.0f};
  Spread<Vector3> acceleration{};
  Spread<float> life{5.0f, 0.0f};
  Spread<float> sizeStart{1.0f, 0.0f};
  Spread<float> sizeEnd{1.0f, 0.0f};
  Ptr<Emitter> emitter;
  bool emissionStopped = false;
};

}  // namespace ynx
