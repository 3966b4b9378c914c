#pragma once

#include <cstdint>
#include <type_traits>

#include "engine/core/FieldSequence.h"
#include "engine/core/MemoryStream.h"
#include "engine/core/Object.h"
#include "engine/core/String.h"

namespace ynx {

// Reads a class's own fields after its parent's part: the mirror image of
// FieldWriter, with the same kinds of values, plus counts and checked
// values. What was read before a failure stays read.
//
//   return FieldReader(stream, *this, Node::Load(stream))
//       .Field("Невозможно загрузить данные камеры. ID[%d] Имя[%s]", fieldOfView, nearDistance)
//       .Status();
class FieldReader : public FieldSequence {
 public:
  // For the root class and for plain records (no object: messages without
  // arguments).
  explicit FieldReader(MemoryStream& stream, const Object* object = nullptr)
      : FieldSequence(stream, object) {}
  // After the parent's Load, with its status.
  FieldReader(MemoryStream& stream, const Object& object, int32_t parentStatus)
      : FieldSequence(stream, object, parentStatus,
                      "Невозможно загрузить родительские данные. ID[%d]") {}

  // Reads every value and fails with the message when the last read failed
  // (the stream's state is sticky, so that covers them all).
  template <typename... T>
  FieldReader& Field(FieldMessage message, T&&... values) {
    if (status != 0) return *this;
    int32_t last = 0;
    ((last = Get(values)), ...);
    if (last != 0) Fail(message);
    return *this;
  }

  // Reads one value and fails with the message when the read fails or
  // `accept()` then refuses what was read (a range, or taking it in).
  template <typename T, typename Accept>
  FieldReader& Checked(FieldMessage message, T&& value, Accept accept) {
    if (status == 0 && (Get(value) != 0 || !accept())) Fail(message);
    return *this;
  }

  // An element count, refused when the bytes left cannot hold that many
  // elements of the given minimum size.
  FieldReader& Count(FieldMessage message, int32_t& count, int32_t minimumElementBytes) {
    if (status == 0 && stream.ReadCount(count, minimumElementBytes) != 0) Fail(message);
    return *this;
  }

 private:
  template <typename T>
  int32_t Get(T& value) {
    if constexpr (std::is_invocable_r_v<int32_t, T&>) {
      return value();
    } else if constexpr (std::is_same_v<T, bool>) {
      return stream.ReadBool(value);
    } else if constexpr (std::is_same_v<T, uint8_t>) {
      return stream.Read(&value, 1);
    } else if constexpr (std::is_same_v<T, int8_t>) {
      return stream.ReadInt8(value);
    } else if constexpr (std::is_same_v<T, int16_t>) {
      return stream.ReadInt16(value);
    } else if constexpr (std::is_same_v<T, int32_t>) {
      return stream.ReadInt32(value);
    } else if constexpr (std::is_same_v<T, uint32_t>) {
      return stream.ReadUInt32(value);
    } else if constexpr (std::is_same_v<T, float>) {
      return stream.ReadFloat(value);
    } else if constexpr (std::is_same_v<T, double>) {
      return stream.ReadDouble(value);
    } else if constexpr (std::is_same_v<T, String>) {
      return stream.ReadString(value);
    } else if constexpr (requires { stream.ReadObject(value); }) {
      return stream.ReadObject(value);
    } else if constexpr (requires { value.Load(stream); }) {
      static_assert(!std::is_base_of_v<Object, T>);
      return value.Load(stream);
    } else {
      static_assert(std::is_class_v<T> && std::is_trivially_copyable_v<T>);
      return stream.ReadBlock(value);
    }
  }
};

}  // namespace ynx
