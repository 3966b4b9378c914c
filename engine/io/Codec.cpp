#include "engine/io/Codec.h"

#include "engine/core/Log.h"
#include "engine/io/File.h"

namespace ynx {

int32_t Codec::IsSupported(File* file) const {
  if (file == nullptr) {
    LogWarning("Указатель на файл равен 0 при проверке кодеком [%s].", GetName().CStr());
    return 3;
  }
  const String extension = file->GetExtension();
  return extensions.IndexOf(extension) >= 0 ? 0 : 1;
}

void Codec::AddExtensions(std::initializer_list<const char*> names) {
  for (const char* name : names) extensions.Append(String(name));
}

}  // namespace ynx
