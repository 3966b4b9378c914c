#include "engine/core/FieldSequence.h"

namespace ynx {

FieldSequence::FieldSequence(MemoryStream& stream, const Object& object, int32_t parentStatus,
                             FieldMessage parentMessage)
    : FieldSequence(stream, &object) {
  if (parentStatus != 0) Fail(parentMessage);
}

int32_t FieldSequence::Fail(FieldMessage message, int32_t failure) {
  message.Log(object);
  status = failure;
  return failure;
}

}  // namespace ynx
