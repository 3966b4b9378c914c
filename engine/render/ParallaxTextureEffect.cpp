#include "engine/render/ParallaxTextureEffect.h"

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(ParallaxTextureEffect, NormalmapTextureEffect)

ParallaxTextureEffect::ParallaxTextureEffect(const String& name) : NormalmapTextureEffect(name) {}

int32_t ParallaxTextureEffect::Save(MemoryStream& stream) const {
  return FieldWriter(stream, *this, NormalmapTextureEffect::Save(stream))
      .Field("Невозможно сохранить данные параллакса. Имя[%s] ID[%d]", parallaxScale, parallaxBias)
      .Status();
}

int32_t ParallaxTextureEffect::Load(MemoryStream& stream) {
  return FieldReader(stream, *this, NormalmapTextureEffect::Load(stream))
      .Field("Невозможно загрузить данные параллакса. Имя[%s] ID[%d]", parallaxScale, parallaxBias)
      .Status();
}

}  // namespace ynx
