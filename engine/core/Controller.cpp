#include "engine/core/Controller.h"

#include "engine/core/Log.h"
#include "engine/core/MemoryStream.h"

namespace ynx {

YNX_IMPLEMENT_ABSTRACT_CLASS(Controller, Object)

Controller::Controller(const String& name) : Object(name) {}

void Controller::Update(double) {}

void Controller::Reset() {}

int32_t Controller::Save(MemoryStream& stream) const {
  if (Object::Save(stream) != 0) {
    LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
    return 1;
  }
  if (stream.WriteBool(active) != 0) {
    LogError("Невозможно сохранить флаг активности контроллера. Имя[%s] ID[%d]", GetName().CStr(),
             GetID());
    return 1;
  }
  return 0;
}

int32_t Controller::Load(MemoryStream& stream) {
  if (Object::Load(stream) != 0) {
    LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
    return 1;
  }
  if (stream.ReadBool(active) != 0) {
    LogError("Невозможно загрузить флаг активности контроллера. ID[%d] Имя[%s]", GetID(),
             GetName().CStr());
    return 1;
  }
  return 0;
}

}  // namespace ynx
