#include "engine/render/SpriteParticleSystem.h"

#include <algorithm>
#include <limits>
#include <new>

#include "engine/render/Renderer.h"
#include "engine/render/SpriteEffect.h"
#include "engine/scene/Camera.h"
#include "engine/scene/ColorBuffer.h"
#include "engine/scene/FloatBuffer.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"

namespace ynx {
namespace {

constexpr int32_t QUAD_VERTICES = 6;
// Per quad: the corners −A, +B, −B, +B, +A, −B (see WriteQuads).
constexpr Vector2 QUAD_TEXCOORDS[QUAD_VERTICES] = {{0, 1}, {0, 0}, {1, 1}, {0, 0}, {1, 0}, {1, 1}};

// An element count too large for a buffer makes one that logs and stays
// empty instead of overflowing.
int32_t Elements(int32_t particles, int32_t perParticle) {
  const int64_t count = int64_t{particles} * perParticle;
  return static_cast<int32_t>(std::min<int64_t>(count, std::numeric_limits<int32_t>::max()));
}

}  // namespace

YNX_IMPLEMENT_CLASS(SpriteParticleSystem, ParticleSystem)

SpriteParticleSystem::SpriteParticleSystem(const String& name) : ParticleSystem(name) {
  SetEffect(new (std::nothrow) SpriteEffect());
}

bool SpriteParticleSystem::RendererHasPointSprites() {
  const Renderer* renderer = Renderer::GetCurrent();
  return renderer != nullptr && renderer->HasPointSprites();
}

void SpriteParticleSystem::AllocateBuffers() {
  SetVertices(nullptr);
  SetPointSizes(nullptr);
  SetColors(nullptr);
  SetTexCoords(0, nullptr);
  drawCount = 0;
  pointSprites = RendererHasPointSprites();
  const int32_t particles = GetMaxParticles();
  if (particles <= 0) return;
  if (pointSprites) {
    SetVertices(new (std::nothrow) Vector3Buffer(particles));
    SetTexCoords(0, new (std::nothrow) Vector2Buffer(particles));
    SetPointSizes(new (std::nothrow) FloatBuffer(particles));
    SetColors(new (std::nothrow) ColorBuffer(particles));
    return;
  }
  const int32_t vertices = Elements(particles, QUAD_VERTICES);
  SetVertices(new (std::nothrow) Vector3Buffer(vertices));
  SetColors(new (std::nothrow) ColorBuffer(vertices));
  auto* texCoords = new (std::nothrow) Vector2Buffer(vertices);
  SetTexCoords(0, texCoords);
  if (texCoords == nullptr) return;
  Vector2* corner = texCoords->GetElements();
  for (int32_t i = 0; i < texCoords->GetCount(); ++i) corner[i] = QUAD_TEXCOORDS[i % QUAD_VERTICES];
}

int32_t SpriteParticleSystem::Capacity() const {
  const Vector3Buffer* positions = GetVertices();
  const ColorBuffer* colors = GetColors();
  if (positions == nullptr || colors == nullptr) return 0;
  if (!pointSprites) return std::min(positions->GetCount(), colors->GetCount()) / QUAD_VERTICES;
  const FloatBuffer* sizes = GetPointSizes();
  return sizes == nullptr ? 0 : std::min({positions->GetCount(), colors->GetCount(), sizes->GetCount()});
}

void SpriteParticleSystem::Update(double time) {
  ParticleSystem::Update(time);
  if (RendererHasPointSprites() != pointSprites) AllocateBuffers();
  drawCount = 0;
  if (pointSprites) {
    WritePoints();
  } else {
    WriteQuads(Renderer::GetCurrent());
  }
}

void SpriteParticleSystem::WritePoints() {
  const int32_t capacity = Capacity();
  if (capacity == 0) return;
  Vector3* positions = GetVertices()->GetElements();
  Color* colors = GetColors()->GetElements();
  float* sizes = GetPointSizes()->GetElements();
  for (const Particle* particle = GetLiveParticles(); particle != nullptr && drawCount < capacity;
       particle = particle->next, ++drawCount) {
    positions[drawCount] = particle->position;
    colors[drawCount] = particle->color;
    sizes[drawCount] = particle->size;
  }
  GetVertices()->MarkChanged();
  GetColors()->MarkChanged();
  GetPointSizes()->MarkChanged();
}

// Two triangles of a square facing the camera, its corners size/2 from the
// particle along the diagonals A (up and right) and B (up and left).
void SpriteParticleSystem::WriteQuads(const Renderer* renderer) {
  const Camera* camera = renderer != nullptr ? renderer->GetCamera() : nullptr;
  const int32_t capacity = Capacity();
  if (camera == nullptr || capacity == 0) return;
  const Vector3 right = camera->GetRight();
  const Vector3 up = camera->GetUp();
  Vector3 a = right + up;
  a.Normalize();
  a = a * 0.5f;
  Vector3 b = up - right;
  b.Normalize();
  b = b * 0.5f;
  Vector3* positions = GetVertices()->GetElements();
  Color* colors = GetColors()->GetElements();
  for (const Particle* particle = GetLiveParticles(); particle != nullptr && drawCount < capacity;
       particle = particle->next, ++drawCount) {
    const Vector3 p = particle->position;
    const float s = particle->size;
    Vector3* corner = positions + drawCount * QUAD_VERTICES;
    corner[0] = p - a * s;
    corner[1] = p + b * s;
    corner[2] = p - b * s;
    corner[3] = p + b * s;
    corner[4] = p + a * s;
    corner[5] = p - b * s;
    std::fill_n(colors + drawCount * QUAD_VERTICES, QUAD_VERTICES, particle->color);
  }
  GetVertices()->MarkChanged();
  GetColors()->MarkChanged();
}

void SpriteParticleSystem::UpdateBound() {
  BoundingVolume* world = GetWorldBound();
  if (!GetUpdateWorldBound() || drawCount == 0 || world == nullptr ||
      !world->IsDerivedFrom(SphereBoundingVolume::Type())) {
    return;
  }
  static_cast<SphereBoundingVolume*>(world)->FitPoints(GetVertices()->GetElements(),
                                                       drawCount * (pointSprites ? 1 : QUAD_VERTICES));
}

int32_t SpriteParticleSystem::GetPrimitiveType() const {
  return pointSprites ? PRIMITIVE_POINTS : PRIMITIVE_TRIANGLES;
}

void SpriteParticleSystem::Draw(SceneRenderer& renderer) {
  if (drawCount > 0) GeometryNode::Draw(renderer);
}

int32_t SpriteParticleSystem::DrawPass(SceneRenderer&) {
  Renderer* renderer = Renderer::GetCurrent();
  if (renderer == nullptr) return 0;
  return renderer->Draw(pointSprites ? drawCount : 2 * drawCount);
}

}  // namespace ynx
