#include "engine/scene/Light.h"

#include "engine/core/Log.h"
#include "engine/core/MemoryStream.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(Light, Node)

Light::Light(const String& name) : Node(name) {}

int32_t Light::Save(MemoryStream& stream) const {
  if (Node::Save(stream) != 0) {
    LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
    return 1;
  }
  stream.WriteInt32(lightType);
  stream.WriteBlock(ambient);
  stream.WriteBlock(diffuse);
  stream.WriteBlock(specular);
  stream.WriteFloat(attenuation.x);
  stream.WriteFloat(attenuation.y);
  stream.WriteFloat(attenuation.z);
  stream.WriteBool(attenuated);
  stream.WriteFloat(falloff);
  if (stream.WriteFloat(coneAngle) != 0) {
    LogError("Невозможно сохранить данные источника света. Имя[%s] ID[%d]", GetName().CStr(),
             GetID());
    return 1;
  }
  return 0;
}

int32_t Light::Load(MemoryStream& stream) {
  if (Node::Load(stream) != 0) {
    LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
    return 1;
  }
  stream.ReadInt32(lightType);
  stream.ReadBlock(ambient);
  stream.ReadBlock(diffuse);
  stream.ReadBlock(specular);
  stream.ReadFloat(attenuation.x);
  stream.ReadFloat(attenuation.y);
  stream.ReadFloat(attenuation.z);
  stream.ReadBool(attenuated);
  stream.ReadFloat(falloff);
  if (stream.ReadFloat(coneAngle) != 0) {
    LogError("Невозможно загрузить данные источника света. ID[%d] Имя[%s]", GetID(),
             GetName().CStr());
    return 1;
  }
  return 0;
}

Vector3 Light::GetAttenuation() const {
  return attenuated ? attenuation : Vector3{1.0f, 0.0f, 0.0f};
}

}  // namespace ynx
