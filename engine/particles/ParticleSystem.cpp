#include "engine/particles/ParticleSystem.h"

#include <algorithm>
#include <new>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/core/Log.h"
#include "engine/core/Random.h"
#include "engine/particles/PointEmitter.h"

namespace ynx {
namespace {

constexpr FieldMessage SAVE_EMITTER = "Невозможно сохранить эмиттер системы частиц. Имя[%s] ID[%d]";
constexpr FieldMessage LOAD_EMITTER = "Невозможно загрузить эмиттер системы частиц. Имя[%s] ID[%d]";

// At least 0; NaN becomes 0 too.
template <typename T>
void ClampAtZero(T& value) {
  if (!(value > 0)) value = 0;
}

void ClampAtZero(Color& value) {
  ClampAtZero(value.red);
  ClampAtZero(value.green);
  ClampAtZero(value.blue);
  ClampAtZero(value.alpha);
}

void ClampAtZero(Vector3& value) {
  ClampAtZero(value.x);
  ClampAtZero(value.y);
  ClampAtZero(value.z);
}

Color Blend(const Color& from, const Color& to, float f) {
  return {from.red + (to.red - from.red) * f, from.green + (to.green - from.green) * f,
          from.blue + (to.blue - from.blue) * f, from.alpha + (to.alpha - from.alpha) * f};
}

void FreeList(Particle* list) {
  while (list != nullptr) {
    Particle* next = list->next;
    delete list;
    list = next;
  }
}

}  // namespace

YNX_IMPLEMENT_CLASS(ParticleSystem, GeometryNode)

ParticleSystem::ParticleSystem(const String& name) : GeometryNode(name) {
  SetEmitter(new (std::nothrow) PointEmitter());
}

ParticleSystem::~ParticleSystem() {
  SetEmitter(nullptr);
  DiscardParticles();
}

int32_t ParticleSystem::Save(MemoryStream& stream) const {
  return FieldWriter(stream, *this, GeometryNode::Save(stream))
      .Field(Emitter::SAVE_DATA, maxParticles, interval.base, interval.jitter, burst.base,
             burst.jitter, colorStart.base, colorStart.jitter, colorEnd.base, colorEnd.jitter,
             speed.base, speed.jitter, acceleration.base, acceleration.jitter, life.base,
             life.jitter, sizeStart.base, sizeStart.jitter, sizeEnd.base, sizeEnd.jitter)
      .Field(SAVE_EMITTER, emitter)
      .Status();
}

int32_t ParticleSystem::Load(MemoryStream& stream) {
  FieldReader in(stream, *this, GeometryNode::Load(stream));
  int32_t storedMax = 0;
  if (!in.Field(Emitter::LOAD_DATA, storedMax)) return in.Status();
  if (storedMax > MAX_PARTICLES) {
    LogWarning("Слишком много частиц [%d], взято [%d]. Имя[%s] ID[%d]", storedMax, MAX_PARTICLES,
               GetName().CStr(), GetID());
  }
  DiscardParticles();
  SetMaxParticles(storedMax);
  emitTimer = 0.0f;
  emitInterval = 0.0f;
  Ptr<Emitter> stored;
  in.Field(Emitter::LOAD_DATA, interval.base, interval.jitter, burst.base, burst.jitter,
           colorStart.base, colorStart.jitter, colorEnd.base, colorEnd.jitter, speed.base,
           speed.jitter, acceleration.base, acceleration.jitter, life.base, life.jitter,
           sizeStart.base, sizeStart.jitter, sizeEnd.base, sizeEnd.jitter)
      .Field(LOAD_EMITTER, stored);
  // The bases of speed, colours and accelerations may be negative.
  for (float* value : {&interval.base, &life.base, &sizeStart.base, &sizeEnd.base, &interval.jitter,
                       &speed.jitter, &life.jitter, &sizeStart.jitter, &sizeEnd.jitter}) {
    ClampAtZero(*value);
  }
  ClampAtZero(burst.base);
  ClampAtZero(burst.jitter);
  ClampAtZero(colorStart.jitter);
  ClampAtZero(colorEnd.jitter);
  ClampAtZero(acceleration.jitter);
  if (in) SetEmitter(stored.Get());
  return in.Status();
}

Object* ParticleSystem::FindByName(const String& name) {
  if (Object* found = GeometryNode::FindByName(name)) return found;
  return emitter ? emitter->FindByName(name) : nullptr;
}

void ParticleSystem::CollectByType(const Rtti& type, Array<Object*>& result) {
  GeometryNode::CollectByType(type, result);
  if (emitter) emitter->CollectByType(type, result);
}

void ParticleSystem::ReleaseReferences() {
  SetEmitter(nullptr);
  GeometryNode::ReleaseReferences();
}

void ParticleSystem::VisitReferences(const std::function<void(Object*)>& visit) const {
  GeometryNode::VisitReferences(visit);
  if (emitter) visit(emitter.Get());
}

void ParticleSystem::SetEmitter(Emitter* value) {
  // The old emitter may outlive this node elsewhere: it forgets its node.
  if (emitter && emitter->IsDerivedFrom(PointEmitter::Type())) {
    auto& old = static_cast<PointEmitter&>(*emitter);
    if (old.GetNode() == this) old.SetNode(nullptr);
  }
  emitter = value;
  if (emitter && emitter->IsDerivedFrom(PointEmitter::Type())) {
    static_cast<PointEmitter&>(*emitter).SetNode(this);
  }
}

void ParticleSystem::SetMaxParticles(int32_t value) {
  maxParticles = std::clamp(value, 0, MAX_PARTICLES);
  AllocateBuffers();
}

void ParticleSystem::AllocateBuffers() {}

void ParticleSystem::Draw(SceneRenderer&) {}

int32_t ParticleSystem::GetPrimitiveType() const { return PRIMITIVE_POINTS; }

void ParticleSystem::DiscardParticles() {
  FreeList(live);
  FreeList(free);
  live = free = nullptr;
  liveCount = 0;
}

void ParticleSystem::Update(double time) {
  GeometryNode::Update(time);
  const auto dt = static_cast<float>(time);
  Age(dt);
  if (!emissionStopped) Emit(dt);
}

void ParticleSystem::Age(float dt) {
  Particle** link = &live;
  while (*link != nullptr) {
    Particle& particle = **link;
    particle.age += dt;
    if (particle.age > particle.life) {
      *link = particle.next;
      particle.next = free;
      free = &particle;
      --liveCount;
      continue;
    }
    // A life of 0 reached at age 0 is the end of it.
    const float f = particle.life > 0.0f ? particle.age / particle.life : 1.0f;
    particle.velocity = particle.velocity + particle.acceleration * dt;
    particle.position = particle.position + particle.velocity * dt;
    particle.size = particle.startSize + (particle.endSize - particle.startSize) * f;
    particle.color = Blend(particle.startColor, particle.endColor, f);
    link = &particle.next;
  }
}

void ParticleSystem::Emit(float dt) {
  emitTimer += dt;
  while (emitTimer > emitInterval) {
    emitTimer -= emitInterval;
    emitInterval = interval.Draw();
    if (!(emitInterval >= MIN_INTERVAL)) emitInterval = MIN_INTERVAL;
    // A timer too large for the interval to make a dent in it (a hostile
    // frame time) would never run down: the backlog is dropped.
    if (emitTimer - emitInterval == emitTimer) emitTimer = 0.0f;
    if (!Burst()) return;
  }
}

bool ParticleSystem::Burst() {
  int64_t count = int64_t{burst.base} - burst.jitter;
  if (burst.jitter >= 1) count += Random::Next() % (int64_t{2} * burst.jitter);
  const int64_t target = liveCount + count;
  while (liveCount < target && liveCount < maxParticles) {
    Particle* particle = free;
    if (particle != nullptr) {
      free = particle->next;
    } else {
      particle = new (std::nothrow) Particle();
      if (particle == nullptr) return false;
    }
    particle->next = live;
    live = particle;
    ++liveCount;
    Spawn(*particle);
  }
  return true;
}

void ParticleSystem::Spawn(Particle& particle) {
  if (emitter) {
    emitter->Emit(particle.position, particle.velocity);
  } else {
    particle.position = Vector3{};
    particle.velocity = Vector3::UP;
  }
  particle.velocity = particle.velocity * speed.Draw();
  particle.acceleration = acceleration.Draw();
  particle.age = 0.0f;
  particle.startColor = colorStart.Draw();
  particle.color = particle.startColor;
  particle.endColor = colorEnd.Draw();
  particle.startSize = sizeStart.Draw();
  particle.size = particle.startSize;
  particle.endSize = sizeEnd.Draw();
  particle.life = life.Draw();
}

}  // namespace ynx
