#pragma once

#include <cstdint>

#include "engine/core/FieldMessage.h"

namespace ynx {

class MemoryStream;
class Object;

// What FieldWriter and FieldReader share: the stream, the object whose name
// and ID the messages carry, and the status of the steps so far. The first
// failing step logs its message and ends the sequence; every later step
// does nothing, so the status names the first failure.
class FieldSequence {
 public:
  // Logs the message and ends the sequence with the given status, which it
  // returns: for checks and post-load steps of a class's own.
  int32_t Fail(FieldMessage message, int32_t failure = 1);

  // 0 while every step has succeeded.
  int32_t Status() const { return status; }
  explicit operator bool() const { return status == 0; }

 protected:
  FieldSequence(MemoryStream& stream, const Object* object) : stream(stream), object(object) {}
  // After the parent class's part: a status other than 0 fails with the
  // parent message.
  FieldSequence(MemoryStream& stream, const Object& object, int32_t parentStatus,
                FieldMessage parentMessage);

  MemoryStream& stream;
  // Null for plain records, whose messages take no arguments.
  const Object* object;
  int32_t status = 0;
};

}  // namespace ynx
