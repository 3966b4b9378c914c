#include "engine/animation/AnimationFrame.h"

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"

namespace ynx {

int32_t AnimationFrame::Save(MemoryStream& stream) const {
  return FieldWriter(stream)
      .Field("Невозможно сохранить анимацию фрейма анимации.", animation)
      .Field("Невозможно сохранить данные стадии блендинга анимации.", mode, start, end, speed,
             offset)
      .Status();
}

int32_t AnimationFrame::Load(MemoryStream& stream) {
  return FieldReader(stream)
      .Field("Невозможно загрузить анимацию фрейма анимации.", animation)
      .Field("Невозможно загрузить данные стадии блендинга анимации.", mode, start, end, speed,
             offset)
      .Status();
}

double AnimationFrame::AnimationTime(double phase) const {
  return ((phase - start) * speed + offset) / (end - start);
}

}  // namespace ynx
