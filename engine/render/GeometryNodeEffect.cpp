#include "engine/render/GeometryNodeEffect.h"

#include "engine/core/Log.h"
#include "engine/core/MemoryStream.h"

namespace ynx {
namespace {

constexpr uint8_t FLAG_BLEND = 0x01;
constexpr uint8_t FLAG_BLEND_BITS = 0x0F;
constexpr uint8_t FLAG_NO_CULL = 0x10;

}  // namespace

YNX_IMPLEMENT_ABSTRACT_CLASS(GeometryNodeEffect, Effect)

GeometryNodeEffect::GeometryNodeEffect(const String& name) : Effect(name) {}

int32_t GeometryNodeEffect::Save(MemoryStream& stream) const {
  if (Effect::Save(stream) != 0) {
    LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
    return 1;
  }
  uint8_t clampBits = 0;
  for (int32_t stage = 0; stage < STAGE_COUNT; ++stage) {
    if (stageWrap[stage] == 0) clampBits |= static_cast<uint8_t>(1u << stage);
  }
  const uint8_t flags = (blend ? FLAG_BLEND : 0) | (cull ? 0 : FLAG_NO_CULL);
  stream.Write(&clampBits, 1);
  stream.WriteBlock(diffuse);
  stream.WriteBlock(ambient);
  stream.WriteBlock(specular);
  stream.WriteBlock(emissive);
  stream.WriteFloat(shininess);
  stream.WriteBool(alphaTest);
  stream.WriteInt32(alphaRef);
  stream.Write(&flags, 1);
  stream.WriteInt32(srcBlend);
  stream.WriteInt32(dstBlend);
  stream.WriteBool(fog);
  stream.WriteBlock(fogColor);
  stream.WriteFloat(fogDensity);
  stream.WriteFloat(fogExponent);
  stream.WriteBool(sway);
  stream.WriteFloat(swayAmplitude);
  stream.WriteFloat(swaySpeed);
  if (stream.WriteObject(skin) != 0) {
    LogError("Невозможно сохранить данные эффекта. Имя[%s] ID[%d]", GetName().CStr(), GetID());
    return 1;
  }
  return 0;
}

int32_t GeometryNodeEffect::Load(MemoryStream& stream) {
  if (Effect::Load(stream) != 0) {
    LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
    return 1;
  }
  uint8_t clampBits = 0;
  uint8_t flags = 0;
  bool fogOn = false;
  bool swayOn = false;
  Ptr<SkinController> skinController;
  stream.Read(&clampBits, 1);
  stream.ReadBlock(diffuse);
  stream.ReadBlock(ambient);
  stream.ReadBlock(specular);
  stream.ReadBlock(emissive);
  stream.ReadFloat(shininess);
  stream.ReadBool(alphaTest);
  stream.ReadInt32(alphaRef);
  stream.Read(&flags, 1);
  stream.ReadInt32(srcBlend);
  stream.ReadInt32(dstBlend);
  stream.ReadBool(fogOn);
  stream.ReadBlock(fogColor);
  stream.ReadFloat(fogDensity);
  stream.ReadFloat(fogExponent);
  stream.ReadBool(swayOn);
  stream.ReadFloat(swayAmplitude);
  stream.ReadFloat(swaySpeed);
  if (stream.ReadObject(skinController) != 0) {
    LogError("Невозможно загрузить данные эффекта. ID[%d] Имя[%s]", GetID(), GetName().CStr());
    return 1;
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
}

}  // namespace ynx
