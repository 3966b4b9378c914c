#include "engine/render/TextureKeyframe.h"

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"

namespace ynx {

int32_t TextureKeyframe::Save(MemoryStream& stream) const {
  return FieldWriter(stream)
      .Field("Невозможно сохранить родительские данные кифрейма.",
             [&] { return Keyframe::Save(stream); })
      .Field("Невозможно сохранить текстуру кифрейма.", texture)
      .Status();
}

int32_t TextureKeyframe::Load(MemoryStream& stream) {
  return FieldReader(stream)
      .Field("Невозможно загрузить родительские данные кифрейма.",
             [&] { return Keyframe::Load(stream); })
      .Field("Невозможно загрузить текстуру кифрейма.", texture)
      .Status();
}

Object* TextureKeyframe::FindByName(const String& name) {
  return texture ? texture->FindByName(name) : nullptr;
}

void TextureKeyframe::CollectByType(const Rtti& type, Array<Object*>& result) {
  if (texture) texture->CollectByType(type, result);
}

void TextureKeyframe::VisitReferences(const std::function<void(Object*)>& visit) const {
  if (texture) visit(texture.Get());
}

}  // namespace ynx
