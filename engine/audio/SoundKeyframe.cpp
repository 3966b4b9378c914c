#include "engine/audio/SoundKeyframe.h"

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"

namespace ynx {

int32_t SoundKeyframe::Save(MemoryStream& stream) const {
  return FieldWriter(stream)
      .Field("Невозможно сохранить родительские данные кифрейма.",
             [&] { return Keyframe::Save(stream); })
      .Field("Невозможно сохранить данные кифрейма.", play)
      .Status();
}

int32_t SoundKeyframe::Load(MemoryStream& stream) {
  return FieldReader(stream)
      .Field("Невозможно загрузить родительские данные кифрейма.",
             [&] { return Keyframe::Load(stream); })
      .Field("Невозможно загрузить данные кифрейма.", play)
      .Status();
}

}  // namespace ynx
