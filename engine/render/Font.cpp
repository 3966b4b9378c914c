#include "engine/render/Font.h"

#include <algorithm>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/core/Log.h"

namespace ynx {

YNX_IMPLEMENT_ABSTRACT_CLASS(Font, Object)

Font::Font(const String& name) : Object(name) {}

int32_t Font::Save(MemoryStream& stream) const {
  return FieldWriter(stream, *this, Object::Save(stream))
      .Field("Невозможно сохранить данные шрифта. Имя[%s] ID[%d]", maxChars, charHeight, charWidth,
             charSpacing, color)
      .Status();
}

int32_t Font::Load(MemoryStream& stream) {
  int32_t count = 0;
  Color loaded;
  FieldReader in(stream, *this, Object::Load(stream));
  in.Field("Невозможно загрузить данные шрифта. ID[%d] Имя[%s]", count, charHeight, charWidth,
           charSpacing, loaded);
  if (!in) return in.Status();
  const int32_t clamped = std::clamp(count, 0, MAX_CHARS);
  if (clamped != count) {
    LogWarning("Количество символов шрифта [%d] ограничено до [%d]. ID[%d] Имя[%s]", count, clamped,
               GetID(), GetName().CStr());
  }
  SetMaxChars(clamped);
  SetColor(loaded);
  return 0;
}

}  // namespace ynx
