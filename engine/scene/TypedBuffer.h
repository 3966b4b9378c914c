#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <type_traits>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/core/Log.h"
#include "engine/scene/Buffer.h"

namespace ynx {

// What the six concrete buffers share: an owned array of `count` elements,
// streamed after the object data as the count and then the elements as they
// lie in memory. Only the element type differs.
template <typename Element>
class TypedBuffer : public Buffer {
  static_assert(std::is_trivially_copyable_v<Element>);

 public:
  static constexpr int32_t ELEMENT_SIZE = static_cast<int32_t>(sizeof(Element));
  // Larger arrays would not have a byte size the engine can express.
  static constexpr int32_t MAX_COUNT = std::numeric_limits<int32_t>::max() / ELEMENT_SIZE;

  ~TypedBuffer() override { delete[] elements; }

  int32_t GetDataSize() const override { return count * ELEMENT_SIZE; }
  int32_t GetCount() const override { return count; }
  void* GetData() const override { return elements; }
  Element* GetElements() const { return elements; }
  // Shows only the first `newCount` elements (0 up to the allocated ones)
  // until set back: a caller drawing part of a buffer keeps its memory.
  void SetCount(int32_t newCount) { count = std::clamp(newCount, 0, capacity); }

  int32_t Save(MemoryStream& stream) const override {
    return FieldWriter(stream, *this, Buffer::Save(stream))
        .Field("Невозможно сохранить количество данных буффера. Имя[%s] ID[%d]", count)
        .Field("Невозможно сохранить данные буффера. Имя[%s] ID[%d]",
               [&] { return stream.Write(elements, GetDataSize()); })
        .Status();
  }

  // 0, 1 for bad or missing data, 2 without memory. The array is only
  // allocated once the stream is known to hold all of its bytes, so a
  // hostile count costs nothing; a failed load leaves the buffer empty.
  int32_t Load(MemoryStream& stream) override {
    FieldReader in(stream, *this, Buffer::Load(stream));
    if (!in) return in.Status();
    Clear();
    int32_t stored = 0;
    if (!in.Checked("Невозможно загрузить количество данных буффера. ID[%d] Имя[%s]", stored,
                    [&] { return stored >= 0; })) {
      return in.Status();
    }
    if (stored > 0) {
      const int64_t bytes = static_cast<int64_t>(stored) * ELEMENT_SIZE;
      if (bytes > static_cast<int64_t>(stream.GetSize()) - stream.GetPosition()) {
        return in.Fail(LOAD_DATA);
      }
      std::unique_ptr<Element[]> loaded(new (std::nothrow) Element[static_cast<size_t>(stored)]);
      if (!loaded) return in.Fail("Недостаточно памяти для создания буффера. ID[%d] Имя[%s]", 2);
      if (stream.Read(loaded.get(), static_cast<int32_t>(bytes)) != 0) return in.Fail(LOAD_DATA);
      elements = loaded.release();
      count = capacity = stored;
    }
    MarkChanged();
    return 0;
  }

 protected:
  // Adopts the array when one is given (it must come from new[] and is
  // freed with the buffer); otherwise allocates `count` elements, which
  // start as the element type's default (zero vectors; floats, integers
  // and colours are not set). Without memory the buffer stays empty.
  TypedBuffer(int32_t newCount, Element* data) {
    if (data != nullptr) {
      elements = data;
      count = capacity = newCount > 0 ? newCount : 0;
      return;
    }
    if (newCount <= 0) return;
    elements =
        newCount <= MAX_COUNT ? new (std::nothrow) Element[static_cast<size_t>(newCount)] : nullptr;
    if (elements == nullptr) {
      LogError("Недостаточно памяти для создания массива данных буффера. ID[%d].", GetID());
      return;
    }
    count = capacity = newCount;
  }

 private:
  static constexpr FieldMessage LOAD_DATA = "Невозможно загрузить данные буффера. ID[%d] Имя[%s]";

  void Clear() {
    delete[] elements;
    elements = nullptr;
    count = capacity = 0;
  }

  Element* elements = nullptr;
  int32_t count = 0;
  int32_t capacity = 0;
};

}  // namespace ynx
