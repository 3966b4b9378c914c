#include "engine/render/BaseTexture.h"

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/core/Log.h"

namespace ynx {

YNX_IMPLEMENT_ABSTRACT_CLASS(BaseTexture, Object)

BaseTexture::BaseTexture(const String& name, int32_t levels) : Object(name), mipLevels(levels) {}

int32_t BaseTexture::Save(MemoryStream& stream) const {
  return FieldWriter(stream, *this, Object::Save(stream))
      .Field("Невозможно сохранить количество мип-мэпов текстуры. Имя[%s] ID[%d]", mipLevels)
      .Field("Невозможно сохранить изображение текстуры. Имя[%s] ID[%d]", image)
      .Status();
}

int32_t BaseTexture::Load(MemoryStream& stream) {
  FieldReader in(stream, *this, Object::Load(stream));
  if (!in.Field("Невозможно загрузить количество мип-мэпов текстуры. ID[%d] Имя[%s]", mipLevels)) {
    return in.Status();
  }
  mipLevels = 0;
  Ptr<Image> stored;
  if (!in.Field("Невозможно загрузить изображение текстуры. ID[%d] Имя[%s]",
                [&] { return stream.ReadObject(stored, ImageType()); })) {
    return in.Status();
  }
  SetImage(stored.Get());
  LogInfo("Текстура [%s] загружена.", GetName().CStr());
  return 0;
}

void BaseTexture::ReleaseReferences() {
  image = nullptr;
  Object::ReleaseReferences();
}

void BaseTexture::VisitReferences(const std::function<void(Object*)>& visit) const {
  Object::VisitReferences(visit);
  if (image) visit(image.Get());
}

void BaseTexture::SetImage(Image* value) {
  image = value;
  MarkChanged();
}

}  // namespace ynx
