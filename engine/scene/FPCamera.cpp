#include "engine/scene/FPCamera.h"

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(FPCamera, Camera)

FPCamera::FPCamera(const String& name) : Camera(name) {}

int32_t FPCamera::Save(MemoryStream& stream) const {
  return FieldWriter(stream, *this, Camera::Save(stream))
      .Field("Невозможно сохранить данные камеры. Имя[%s] ID[%d]", moveSpeed, turnSpeed, invertY)
      .Status();
}

int32_t FPCamera::Load(MemoryStream& stream) {
  return FieldReader(stream, *this, Camera::Load(stream))
      .Field("Невозможно загрузить данные камеры. ID[%d] Имя[%s]", moveSpeed, turnSpeed, invertY)
      .Status();
}

}  // namespace ynx
