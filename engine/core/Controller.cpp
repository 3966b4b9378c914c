#include "engine/core/Controller.h"

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"

namespace ynx {

YNX_IMPLEMENT_ABSTRACT_CLASS(Controller, Object)

Controller::Controller(const String& name) : Object(name) {}

void Controller::Update(double) {}

void Controller::Reset() {}

int32_t Controller::Save(MemoryStream& stream) const {
  return FieldWriter(stream, *this, Object::Save(stream))
      .Field("Невозможно сохранить флаг активности контроллера. Имя[%s] ID[%d]", active)
      .Status();
}

int32_t Controller::Load(MemoryStream& stream) {
  return FieldReader(stream, *this, Object::Load(stream))
      .Field("Невозможно загрузить флаг активности контроллера. ID[%d] Имя[%s]", active)
      .Status();
}

}  // namespace ynx
