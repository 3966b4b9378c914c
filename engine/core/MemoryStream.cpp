#include "engine/core/MemoryStream.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#include "engine/core/Factory.h"
#include "engine/core/Log.h"

namespace ynx {

MemoryStream::MemoryStream(int32_t initialSize, int32_t increment)
    : increment(std::max(increment, 0)) {
  if (initialSize <= 0) return;
  data = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(initialSize)));
  if (data == nullptr) {
    LogError("Недостаточно памяти для создания буффера потока.");
    state = 2;
    return;
  }
  size = initialSize;
}

MemoryStream::MemoryStream(const void* bytes, int32_t count) : MemoryStream(count, 0) {
  if (data != nullptr) std::memcpy(data, bytes, static_cast<size_t>(count));
}

MemoryStream::~MemoryStream() { std::free(data); }

int32_t MemoryStream::GetSize() { return size; }

void MemoryStream::ResetContent(uint8_t* buffer, int32_t bufferSize) {
  std::free(data);
  data = buffer;
  size = buffer != nullptr ? bufferSize : 0;
  position = 0;
  state = 0;
  ids.clear();
}

int32_t MemoryStream::Fail(int32_t status) {
  state = status;
  return status;
}

// Grows by whole increments, at least doubling the buffer each time, so that
// a long series of small writes copies each byte a bounded number of times;
// realloc lets large buffers grow by remapping instead of copying.
int32_t MemoryStream::Grow(int64_t required) {
  if (increment == 0) {
    LogWarning("Приращение буффера равно 0.");
    return 1;
  }
  const int64_t target = std::max(required, 2 * static_cast<int64_t>(size));
  const int64_t steps = (target - size + increment - 1) / increment;
  const int64_t grown = size + steps * increment;
  void* buffer = grown <= std::numeric_limits<int32_t>::max()
                     ? std::realloc(data, static_cast<size_t>(grown))
                     : nullptr;
  if (buffer == nullptr) {
    LogError("Недостаточно памяти для создания буффера потока.");
    return 2;
  }
  data = static_cast<uint8_t*>(buffer);
  size = static_cast<int32_t>(grown);
  return 0;
}

int32_t MemoryStream::Write(const void* bytes, int32_t count) {
  if (state != 0) {
    LogWarning("Неправильное состояние потока.");
    return state;
  }
  if (count < 0) return 3;
  const int64_t end = static_cast<int64_t>(position) + count;
  if (end > size) {
    const int32_t status = Grow(end);
    if (status != 0) {
      state = status;
      LogWarning("Невозможно записать данные вследствие малого размера буффера.");
      return state;
    }
  }
  if (count > 0) std::memcpy(data + position, bytes, static_cast<size_t>(count));
  position += count;
  return 0;
}

int32_t MemoryStream::Read(void* destination, int32_t count) {
  if (state != 0) {
    LogWarning("Неправильное состояние потока.");
    return state;
  }
  if (count < 0) return 3;
  if (data == nullptr) {
    LogWarning("Невозможно считать данные. Буффер не существует.");
    return Fail(1);
  }
  if (static_cast<int64_t>(position) + count > size) {
    LogWarning("Невозможно считать данные. Буффер переполнен.");
    return Fail(1);
  }
  std::memcpy(destination, data + position, static_cast<size_t>(count));
  position += count;
  return 0;
}

int32_t MemoryStream::WriteBool(bool value) { return WriteInt8(value ? 1 : 0); }

int32_t MemoryStream::ReadBool(bool& value) {
  const int32_t at = position;
  int8_t byte = 0;
  if (Read(&byte, 1) != 0) return state;
  value = byte != 0;
  if (observer != nullptr) observer->OnValue(at, StreamObserver::KIND_BOOL, &byte, 1);
  return 0;
}

int32_t MemoryStream::WriteString(const String& value) {
  if (WriteInt32(value.Length()) != 0) return state;
  return Write(value.CStr(), value.Length());
}

int32_t MemoryStream::ReadString(String& value) {
  const int32_t at = position;
  if (ReadText(value) != 0) return state;
  if (observer != nullptr) {
    observer->OnValue(at, StreamObserver::KIND_STRING, &value, position - at);
  }
  return 0;
}

int32_t MemoryStream::ReadText(String& value) {
  int32_t length = 0;
  if (Read(&length, 4) != 0) return state;
  if (length < 0 || length > size - position) {
    LogWarning("Невозможно считать данные. Буффер переполнен.");
    return Fail(1);
  }
  char* bytes = new (std::nothrow) char[static_cast<size_t>(length) + 1];
  if (bytes == nullptr) {
    LogWarning("Недостаточно памяти для загрузки строки.");
    return Fail(2);
  }
  if (Read(bytes, length) == 0) value = String(bytes, length);
  delete[] bytes;
  return state;
}

int32_t MemoryStream::ReadCount(int32_t& count, int32_t minimumElementBytes) {
  const int32_t at = position;
  int32_t value = 0;
  if (Read(&value, 4) != 0) return state;
  const int64_t remaining = static_cast<int64_t>(size) - position;
  if (value < 0 || static_cast<int64_t>(value) * minimumElementBytes > remaining) {
    LogWarning("Неправильное количество элементов в потоке [%d].", value);
    return Fail(1);
  }
  count = value;
  if (observer != nullptr) observer->OnValue(at, StreamObserver::KIND_COUNT, &value, 4);
  return 0;
}

int32_t MemoryStream::WriteObject(const Object* object) {
  if (object == nullptr) return WriteInt32(-1);
  const int32_t id = object->GetID();
  LogInfo("Write ID[%d]", id);
  if (ids.contains(id)) return WriteInt32(id);
  if (WriteInt32(id) != 0) return state;
  // Known before its fields, so a reference back to it is written as the ID.
  ids[id] = const_cast<Object*>(object);
  const String& typeName = object->GetType().GetName();
  if (WriteString(typeName) != 0) return state;
  const int32_t status = object->Save(*this);
  if (status != 0) state = status;
  LogInfo("RTTI[%s] ID[%d] Name[%s] Pointer[%d]", typeName.CStr(), id, object->GetName().CStr(),
          position);
  return state;
}

int32_t MemoryStream::ReadObject(Object*& object, const Rtti& expected) {
  return ReadObject(object, expected.GetName().CStr());
}

int32_t MemoryStream::ReadObject(Object*& object, const char* expectedType) {
  if (depth > 0) return ReadReference(object, expectedType);
  ReadReference(object, expectedType);
  if (state != 0) object = nullptr;
  FinishRead(object);
  return state;
}

// Hands the new objects over with the counts their holders gave them, or,
// after a failure, cuts every reference among them first so that the guards'
// release frees them all. The root waits at 0 for its first holder; any other
// object nothing holds any more (a buffer its loader replaced) is freed, and
// forgotten by ID. Each guard still standing keeps its object alive while an
// earlier object's deletion releases what it held, so nothing goes twice.
void MemoryStream::FinishRead(const Object* root) {
  if (root != nullptr) {
    for (const auto& [id, made] : created) {
      if (made == root) {
        made->ReleaseWithoutDeleting();
        continue;
      }
      if (made->GetReferenceCount() == 1) ids.erase(id);
      made->Release();
    }
  } else {
    for (const auto& [id, made] : created) made->ReleaseReferences();
    for (const auto& [id, made] : created) {
      ids.erase(id);
      made->Release();
    }
  }
  created.clear();
}

int32_t MemoryStream::ReadReference(Object*& object, const char* expectedType) {
  object = nullptr;
  const int32_t at = position;
  int32_t id = 0;
  if (Read(&id, 4) != 0) return state;
  LogInfo("Read ID[%d]", id);
  const auto known = id == -1 ? ids.end() : ids.find(id);
  if (observer != nullptr && (id == -1 || known != ids.end())) observer->OnReference(at, id);
  if (id == -1) return state;
  Object* found = nullptr;
  if (known != ids.end()) {
    found = known->second;
  } else if (ReadDefinition(found, id, at) != 0) {
    return state;
  }
  if (!found->GetType().IsDerivedFrom(expectedType)) {
    LogError("Неверный тип объекта. RTTI[%s] ID[%d] Ожидался[%s]",
             found->GetType().GetName().CStr(), id, expectedType);
    return Fail(1);
  }
  object = found;
  return state;
}

int32_t MemoryStream::ReadDefinition(Object*& object, int32_t id, int32_t at) {
  if (depth >= MAX_OBJECT_DEPTH) {
    LogError("Слишком глубокая вложенность объектов. ID[%d]", id);
    return Fail(1);
  }
  String typeName;
  if (ReadText(typeName) != 0) return state;
  if (observer != nullptr) observer->OnObjectBegin(at, id, typeName);
  ReadFields(object, id, typeName);
  if (observer != nullptr) observer->OnObjectEnd(position, state);
  return state;
}

int32_t MemoryStream::ReadFields(Object*& object, int32_t id, const String& typeName) {
  const CreateFunction create = Factory::Find(typeName);
  if (create == nullptr) {
    LogError("Невозможно найти функцию создания объекта. RTTI[%s] ID[%d]", typeName.CStr(), id);
    return Fail(1);
  }
  Object* made = nullptr;
  if (create(&made) != 0 || made == nullptr) {
    LogError("Невозможно создать объект. RTTI[%s] ID[%d]", typeName.CStr(), id);
    return Fail(1);
  }
  // Known before its fields, so a reference back to it resolves to it.
  ids[id] = made;
  made->AddReference();
  created.emplace_back(id, made);
  ++depth;
  const int32_t status = made->Load(*this);
  --depth;
  if (status != 0) state = status;
  LogInfo("RTTI[%s] ID[%d] Name[%s] Pointer[%d]", typeName.CStr(), made->GetID(),
          made->GetName().CStr(), position);
  if (state == 0) object = made;
  return state;
}

}  // namespace ynx
