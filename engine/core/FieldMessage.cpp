#include "engine/core/FieldMessage.h"

#include "engine/core/Log.h"
#include "engine/core/Object.h"

namespace ynx {

void FieldMessage::Log(const Object* object) const {
  switch (arguments) {
    case NONE:
      LogError("%s", text);
      return;
    case ID:
      LogError(text, object->GetID());
      return;
    case NAME_ID:
      LogError(text, object->GetName().CStr(), object->GetID());
      return;
    case ID_NAME:
      LogError(text, object->GetID(), object->GetName().CStr());
      return;
  }
}

}  // namespace ynx
