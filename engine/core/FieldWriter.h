#pragma once

#include <cstdint>
#include <type_traits>

#include "engine/core/FieldSequence.h"
#include "engine/core/MemoryStream.h"
#include "engine/core/Object.h"
#include "engine/core/String.h"

namespace ynx {

// Writes a class's own fields after its parent's part, so that Save shows
// only the fields and their messages, in the order FieldReader reads them:
//
//   return FieldWriter(stream, *this, Node::Save(stream))
//       .Field("Невозможно сохранить данные камеры. Имя[%s] ID[%d]", fieldOfView, nearDistance)
//       .Status();
class FieldWriter : public FieldSequence {
 public:
  // For the root class and for plain records (no object: messages without
  // arguments).
  explicit FieldWriter(MemoryStream& stream, const Object* object = nullptr)
      : FieldSequence(stream, object) {}
  // After the parent's Save, with its status.
  FieldWriter(MemoryStream& stream, const Object& object, int32_t parentStatus)
      : FieldSequence(stream, object, parentStatus,
                      "Невозможно сохранить родительские данные. Имя[%s] ID[%d]") {}

  // Writes every value and fails with the message when the last write
  // failed (the stream's state is sticky, so that covers them all). A value
  // is a number, bool, String, object reference (pointer or Ptr), record
  // with a Save of its own, plain block (vector, quaternion, colour), a
  // uint8_t of flag bits (a raw byte, which a stream observer does not
  // see), or a function that writes one part and returns the stream state.
  template <typename... T>
  FieldWriter& Field(FieldMessage message, const T&... values) {
    if (status != 0) return *this;
    int32_t last = 0;
    ((last = Put(values)), ...);
    if (last != 0) Fail(message);
    return *this;
  }

 private:
  template <typename T>
  int32_t Put(const T& value) {
    if constexpr (std::is_invocable_r_v<int32_t, const T&>) {
      return value();
    } else if constexpr (std::is_same_v<T, bool>) {
      return stream.WriteBool(value);
    } else if constexpr (std::is_same_v<T, uint8_t>) {
      return stream.Write(&value, 1);
    } else if constexpr (std::is_same_v<T, int8_t>) {
      return stream.WriteInt8(value);
    } else if constexpr (std::is_same_v<T, int16_t>) {
      return stream.WriteInt16(value);
    } else if constexpr (std::is_same_v<T, int32_t>) {
      return stream.WriteInt32(value);
    } else if constexpr (std::is_same_v<T, uint32_t>) {
      return stream.WriteUInt32(value);
    } else if constexpr (std::is_same_v<T, float>) {
      return stream.WriteFloat(value);
    } else if constexpr (std::is_same_v<T, double>) {
      return stream.WriteDouble(value);
    } else if constexpr (std::is_same_v<T, String>) {
      return stream.WriteString(value);
    } else if constexpr (requires { stream.WriteObject(value); }) {
      return stream.WriteObject(value);
    } else if constexpr (requires { value.Save(stream); }) {
      // An object inline instead of as a reference would not load again.
      static_assert(!std::is_base_of_v<Object, T>);
      return value.Save(stream);
    } else {
      static_assert(std::is_class_v<T> && std::is_trivially_copyable_v<T>);
      return stream.WriteBlock(value);
    }
  }
};

}  // namespace ynx
