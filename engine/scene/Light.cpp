#include "engine/scene/Light.h"

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(Light, Node)

Light::Light(const String& name) : Node(name) {}

int32_t Light::Save(MemoryStream& stream) const {
  return FieldWriter(stream, *this, Node::Save(stream))
      .Field("Невозможно сохранить данные источника света. Имя[%s] ID[%d]", lightType, ambient,
             diffuse, specular, attenuation.x, attenuation.y, attenuation.z, attenuated, falloff,
             coneAngle)
      .Status();
}

int32_t Light::Load(MemoryStream& stream) {
  return FieldReader(stream, *this, Node::Load(stream))
      .Field("Невозможно загрузить данные источника света. ID[%d] Имя[%s]", lightType, ambient,
             diffuse, specular, attenuation.x, attenuation.y, attenuation.z, attenuated, falloff,
             coneAngle)
      .Status();
}

Vector3 Light::GetAttenuation() const {
  return attenuated ? attenuation : Vector3{1.0f, 0.0f, 0.0f};
}

}  // namespace ynx
