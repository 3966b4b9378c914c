#include "engine/io/File.h"

#include <cstdlib>
#include <limits>

#include "engine/core/Log.h"
#include "engine/io/Directory.h"

namespace ynx {
namespace {

// The whole content of an open disk file in a malloc'd buffer; false when it
// cannot be read or does not fit a stream.
bool ReadWhole(std::FILE* handle, uint8_t*& content, int32_t& contentSize) {
  if (std::fseek(handle, 0, SEEK_END) != 0) return false;
  const long length = std::ftell(handle);
  if (length < 0 || length > std::numeric_limits<int32_t>::max() ||
      std::fseek(handle, 0, SEEK_SET) != 0) {
    return false;
  }
  content = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(length) + 1));
  if (content == nullptr) return false;
  if (std::fread(content, 1, static_cast<size_t>(length), handle) != static_cast<size_t>(length)) {
    std::free(content);
    content = nullptr;
    return false;
  }
  contentSize = static_cast<int32_t>(length);
  return true;
}

}  // namespace

File::File(const String& name) : MemoryStream(0, 1024), Named(name) {}

File::~File() {
  LogInfo("Удаляется файл [%s].", GetName().CStr());
  // A derived file has closed itself already; this closes a disk file.
  if (open) Close();
  if (parent != nullptr && parent->DetachFile(this) != 0) {
    LogWarning("Невозможно отсоединить файл [%s] от родительской директории.", GetName().CStr());
  }
}

String File::GetPath() const {
  return parent != nullptr ? parent->GetPath() + GetName() : GetName();
}

String File::GetExtension() const {
  const String& name = GetName();
  for (int32_t i = name.Length() - 1; i >= 0; --i) {
    if (name[i] == '.') return name.Substring(i + 1);
  }
  return String();
}

int32_t File::GetSize() {
  if (open) return mode == MODE_READ ? ContentSize() : GetPosition();
  if (Open(MODE_READ) != 0) {
    LogWarning("Файл [%s] не может быть открыть для чтения.", GetPath().CStr());
    return 0;
  }
  const int32_t size = ContentSize();
  if (Close() != 0) {
    LogWarning("Файл [%s] не может быть закрыт.", GetPath().CStr());
    return 0;
  }
  return size;
}

int32_t File::Write(const void* bytes, int32_t count) {
  if (!open) {
    LogWarning("Запись в закрытый файл [%s].", GetPath().CStr());
    return 1;
  }
  if (mode == MODE_READ) {
    LogWarning("Запись в файл [%s], открытый для чтения.", GetPath().CStr());
    return 1;
  }
  return MemoryStream::Write(bytes, count);
}

int32_t File::Read(void* destination, int32_t count) {
  if (!open) {
    LogWarning("Чтение из закрытого файла [%s].", GetPath().CStr());
    return 1;
  }
  if (mode != MODE_READ) {
    LogWarning("Чтение из файла [%s], открытого для записи.", GetPath().CStr());
    return 1;
  }
  return MemoryStream::Read(destination, count);
}

void File::SetOpen(bool isOpen, uint8_t* content, int32_t contentSize) {
  open = isOpen;
  ResetContent(content, contentSize);
}

int32_t File::Open(int32_t newMode) {
  if (open && Close() != 0) {
    LogWarning("Невозможно закрыть файл [%s].", GetPath().CStr());
    return 1;
  }
  mode = newMode;
  const String path = GetPath();
  const char* access = mode == MODE_WRITE ? "wb" : mode == MODE_APPEND ? "ab" : "rb";
  handle = std::fopen(path.CStr(), access);
  uint8_t* content = nullptr;
  int32_t contentSize = 0;
  if (handle != nullptr && mode == MODE_READ && !ReadWhole(handle, content, contentSize)) {
    std::fclose(handle);
    handle = nullptr;
  }
  if (handle == nullptr) {
    LogWarning("Невозможно открыть файл [%s].", path.CStr());
    return 1;
  }
  SetOpen(true, content, contentSize);
  return 0;
}

int32_t File::Close() {
  if (!open) return 0;
  if (mode != MODE_READ) {
    const size_t count = static_cast<size_t>(GetPosition());
    if ((count > 0 && std::fwrite(GetData(), 1, count, handle) != count) ||
        std::fflush(handle) != 0) {
      LogWarning("В файл [%s] записаны не все данные.", GetPath().CStr());
      return 1;
    }
  }
  std::fclose(handle);
  handle = nullptr;
  SetOpen(false, nullptr, 0);
  return 0;
}

}  // namespace ynx
