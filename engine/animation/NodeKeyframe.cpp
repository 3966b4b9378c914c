#include "engine/animation/NodeKeyframe.h"

#include "engine/core/Log.h"
#include "engine/core/MemoryStream.h"

namespace ynx {

int32_t NodeKeyframe::Save(MemoryStream& stream) const {
  if (Keyframe::Save(stream) != 0) {
    LogError("Невозможно сохранить родительские данные кифрейма.");
    return 1;
  }
  stream.WriteBlock(translation);
  stream.WriteBlock(rotation);
  if (stream.WriteBlock(scale) != 0) {
    LogError("Невозможно сохранить данные кифрейма.");
    return 1;
  }
  return 0;
}

int32_t NodeKeyframe::Load(MemoryStream& stream) {
  if (Keyframe::Load(stream) != 0) {
    LogError("Невозможно загрузить родительские данные кифрейма.");
    return 1;
  }
  stream.ReadBlock(translation);
  stream.ReadBlock(rotation);
  if (stream.ReadBlock(scale) != 0) {
    LogError("Невозможно загрузить данные кифрейма.");
    return 1;
  }
  return 0;
}

}  // namespace ynx
