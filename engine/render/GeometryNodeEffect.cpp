#include "engine/render/GeometryNodeEffect.h"

#include <limits>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Node.h"
#include "engine/scene/SphereBoundingVolume.h"

namespace ynx {
namespace {

constexpr uint8_t FLAG_BLEND = 0x01;
constexpr uint8_t FLAG_BLEND_BITS = 0x0F;
constexpr uint8_t FLAG_NO_CULL = 0x10;

}  // namespace

YNX_IMPLEMENT_ABSTRACT_CLASS(GeometryNodeEffect, Effect)

GeometryNodeEffect::GeometryNodeEffect(const String& name) : Effect(name) {}

int32_t GeometryNodeEffect::Save(MemoryStream& stream) const {
  uint8_t clampBits = 0;
  for (int32_t stage = 0; stage < STAGE_COUNT; ++stage) {
    if (stageWrap[stage] == 0) clampBits |= static_cast<uint8_t>(1u << stage);
  }
  const uint8_t flags = (blend ? FLAG_BLEND : 0) | (cull ? 0 : FLAG_NO_CULL);
  return FieldWriter(stream, *this, Effect::Save(stream))
      .Field("Невозможно сохранить данные эффекта. Имя[%s] ID[%d]", clampBits, diffuse, ambient,
             specular, emissive, shininess, alphaTest, alphaRef, flags, srcBlend, dstBlend, fog,
             fogColor, fogDensity, fogExponent, sway, swayAmplitude, swaySpeed, skin)
      .Status();
}

int32_t GeometryNodeEffect::Load(MemoryStream& stream) {
  uint8_t clampBits = 0;
  uint8_t flags = 0;
  bool fogOn = false;
  bool swayOn = false;
  Ptr<SkinController> skinController;
  FieldReader in(stream, *this, Effect::Load(stream));
  if (!in.Field("Невозможно загрузить данные эффекта. ID[%d] Имя[%s]", clampBits, diffuse, ambient,
                specular, emissive, shininess, alphaTest, alphaRef, flags, srcBlend, dstBlend,
                fogOn, fogColor, fogDensity, fogExponent, swayOn, swayAmplitude, swaySpeed,
                skinController)) {
    return in.Status();
  }
  for (int32_t stage = 0; stage < STAGE_COUNT; ++stage) {
    stageWrap[stage] = (clampBits >> stage) & 1u ? 0 : 1;
  }
  // Files written elsewhere may set any of the low bits for blending.
  blend = (flags & FLAG_BLEND_BITS) != 0;
  cull = flags < FLAG_NO_CULL;
  SetFog(fogOn);
  SetSway(swayOn);
  SetSkin(skinController.Get());
  return 0;
}

void GeometryNodeEffect::ReleaseReferences() {
  skin = nullptr;
  Effect::ReleaseReferences();
}

void GeometryNodeEffect::VisitReferences(const std::function<void(Object*)>& visit) const {
  Effect::VisitReferences(visit);
  if (skin) visit(skin.Get());
}

void GeometryNodeEffect::Update(double elapsed) {
  Effect::Update(elapsed);
  time += static_cast<float>(elapsed);
  Renderer* renderer = Renderer::GetCurrent();
  if (!skin || renderer == nullptr) return;
  const int32_t level = renderer->GetProgramLevel();
  if (SkinsOnDevice(level)) {
    skin->SetActive(false);
  } else if (level != Renderer::SHADER_2 && level != Renderer::SHADER_3) {
    SetSkin(nullptr);
  } else {
    skin->SetActive(true);
  }
}

bool GeometryNodeEffect::SkinsOnDevice(int32_t programLevel) const {
  return skin && !sway &&
         (programLevel == Renderer::SHADER_2 || programLevel == Renderer::SHADER_3);
}

void GeometryNodeEffect::SetFog(bool on) {
  fog = on;
  MarkPassesDirty();
}

void GeometryNodeEffect::SetSway(bool on) {
  sway = on;
  MarkPassesDirty();
}

void GeometryNodeEffect::SetWireframe(bool on) {
  wireframe = on;
  MarkPassesDirty();
}

void GeometryNodeEffect::SetMaterial(const Color& newDiffuse, const Color& newAmbient,
                                     const Color& newSpecular, const Color& newEmissive,
                                     float newShininess) {
  diffuse = newDiffuse;
  ambient = newAmbient;
  specular = newSpecular;
  emissive = newEmissive;
  shininess = newShininess;
  MarkPassesDirty();
}

void GeometryNodeEffect::SetAlphaTest(bool on, int32_t reference) {
  alphaTest = on;
  alphaRef = reference;
  MarkPassesDirty();
}

void GeometryNodeEffect::SetBlend(bool on, int32_t source, int32_t destination) {
  blend = on;
  srcBlend = source;
  dstBlend = destination;
  MarkPassesDirty();
}

void GeometryNodeEffect::SetFogParameters(const Color& color, float density, float exponent) {
  fogColor = color;
  fogDensity = density;
  fogExponent = exponent;
  MarkPassesDirty();
}

void GeometryNodeEffect::SetSwayParameters(float amplitude, float speed) {
  swayAmplitude = amplitude;
  swaySpeed = speed;
  MarkPassesDirty();
}

void GeometryNodeEffect::SetCull(bool on) {
  cull = on;
  MarkPassesDirty();
}

void GeometryNodeEffect::SetStageWrap(int32_t stage, int32_t wrap) {
  if (stage < 0 || stage >= STAGE_COUNT) return;
  stageWrap[stage] = wrap;
  MarkPassesDirty();
}

void GeometryNodeEffect::SetSkin(SkinController* controller) {
  // Held while the old one is handed back, in case it is the same.
  const Ptr<SkinController> next = controller;
  if (skin) skin->SetActive(true);
  skin = next;
  MarkPassesDirty();
  if (!skin) return;
  skin->SetActive(true);
  if (auto* mesh = dynamic_cast<Node*>(skin->GetOwner())) {
    if (auto* bound = dynamic_cast<SphereBoundingVolume*>(mesh->GetWorldBound())) {
      bound->Set(Vector3{}, std::numeric_limits<float>::max());
    }
    mesh->SetUpdateWorldBound(false);
  }
}

}  // namespace ynx
