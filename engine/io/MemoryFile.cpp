#include "engine/io/MemoryFile.h"

#include <cstdlib>
#include <cstring>

#include "engine/core/Log.h"

namespace ynx {

MemoryFile::~MemoryFile() {
  Close();
  FreeSource();
}

void MemoryFile::FreeSource() {
  if (ownsSource) std::free(const_cast<uint8_t*>(source));
  source = nullptr;
  sourceSize = 0;
  ownsSource = false;
}

void MemoryFile::SetSource(const uint8_t* bytes, int32_t count, bool owned) {
  FreeSource();
  source = bytes;
  sourceSize = bytes != nullptr && count > 0 ? count : 0;
  ownsSource = owned;
}

int32_t MemoryFile::Open(int32_t newMode) {
  if (IsOpen() && Close() != 0) {
    LogWarning("Невозможно закрыть файл [%s].", GetPath().CStr());
    return 1;
  }
  mode = newMode;
  if (mode != MODE_READ || source == nullptr) return 1;
  // One spare byte, so that an empty file still gets a buffer.
  auto* copy = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(sourceSize) + 1));
  if (copy == nullptr) {
    LogWarning("Недостаточно памяти для открытия файла [%s].", GetPath().CStr());
    return 2;
  }
  std::memcpy(copy, source, static_cast<size_t>(sourceSize));
  SetOpen(true, copy, sourceSize);
  return 0;
}

int32_t MemoryFile::Close() {
  if (IsOpen()) SetOpen(false, nullptr, 0);
  return 0;
}

}  // namespace ynx
