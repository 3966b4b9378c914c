#include "engine/animation/AnimationFrame.h"

#include "engine/core/Log.h"
#include "engine/core/MemoryStream.h"

namespace ynx {

int32_t AnimationFrame::Save(MemoryStream& stream) const {
  if (stream.WriteObject(animation) != 0) {
    LogError("Невозможно сохранить анимацию фрейма анимации.");
    return 1;
  }
  stream.WriteInt32(mode);
  stream.WriteDouble(start);
  stream.WriteDouble(end);
  stream.WriteDouble(speed);
  if (stream.WriteDouble(offset) != 0) {
    LogError("Невозможно сохранить данные стадии блендинга анимации.");
    return 1;
  }
  return 0;
}

int32_t AnimationFrame::Load(MemoryStream& stream) {
  if (stream.ReadObject(animation) != 0) {
    LogError("Невозможно загрузить анимацию фрейма анимации.");
    return 1;
  }
  stream.ReadInt32(mode);
  stream.ReadDouble(start);
  stream.ReadDouble(end);
  stream.ReadDouble(speed);
  if (stream.ReadDouble(offset) != 0) {
    LogError("Невозможно загрузить данные стадии блендинга анимации.");
    return 1;
  }
  return 0;
}

double AnimationFrame::AnimationTime(double phase) const {
  return ((phase - start) * speed + offset) / (end - start);
}

}  // namespace ynx
