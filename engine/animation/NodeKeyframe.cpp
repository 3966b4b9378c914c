#include "engine/animation/NodeKeyframe.h"

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"

namespace ynx {

int32_t NodeKeyframe::Save(MemoryStream& stream) const {
  return FieldWriter(stream)
      .Field("Невозможно сохранить родительские данные кифрейма.",
             [&] { return Keyframe::Save(stream); })
      .Field("Невозможно сохранить данные кифрейма.", translation, rotation, scale)
      .Status();
}

int32_t NodeKeyframe::Load(MemoryStream& stream) {
  return FieldReader(stream)
      .Field("Невозможно загрузить родительские данные кифрейма.",
             [&] { return Keyframe::Load(stream); })
      .Field("Невозможно загрузить данные кифрейма.", translation, rotation, scale)
      .Status();
}

}  // namespace ynx
