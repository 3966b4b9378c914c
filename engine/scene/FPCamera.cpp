#include "engine/scene/FPCamera.h"

#include "engine/core/Log.h"
#include "engine/core/MemoryStream.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(FPCamera, Camera)

FPCamera::FPCamera(const String& name) : Camera(name) {}

int32_t FPCamera::Save(MemoryStream& stream) const {
  if (Camera::Save(stream) != 0) {
    LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
    return 1;
  }
  stream.WriteFloat(moveSpeed);
  stream.WriteFloat(turnSpeed);
  if (stream.WriteBool(invertY) != 0) {
    LogError("Невозможно сохранить данные камеры. Имя[%s] ID[%d]", GetName().CStr(), GetID());
    return 1;
  }
  return 0;
}

int32_t FPCamera::Load(MemoryStream& stream) {
  if (Camera::Load(stream) != 0) {
    LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
    return 1;
  }
  stream.ReadFloat(moveSpeed);
  stream.ReadFloat(turnSpeed);
  if (stream.ReadBool(invertY) != 0) {
    LogError("Невозможно загрузить данные камеры. ID[%d] Имя[%s]", GetID(), GetName().CStr());
    return 1;
  }
  return 0;
}

}  // namespace ynx
