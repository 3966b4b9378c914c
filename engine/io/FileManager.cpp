#include "engine/io/FileManager.h"

#include <cstdint>
#include <new>

#include "engine/core/ClassHooks.h"
#include "engine/core/Log.h"
#include "engine/io/CodecManager.h"
#include "engine/io/FileCodec.h"
#include "engine/io/MemoryFile.h"
#include "engine/system/ModuleManager.h"
#include "engine/system/ResourceData.h"

namespace ynx {
namespace {

[[maybe_unused]] const bool hooksQueued =
    QueueEngineHooks(&FileManager::Initialize, &FileManager::Shutdown);

// Dynamic modules are files like any other.
bool LocateLibrary(const String& fileName, String& path) {
  const File* file = FileManager::FindFile(fileName);
  if (file == nullptr) return false;
  path = file->GetPath();
  return true;
}

}  // namespace

int32_t FileManager::Initialize() {
  LogInfo("Инициализация менеджера файлов.");
  if (root == nullptr) {
    root = new (std::nothrow) Directory(String());
    if (root == nullptr) {
      LogError("Недостаточно памяти для инициализации менеджера файлов.");
      return 1;
    }
  }
  ModuleManager::SetLibraryLocator(&LocateLibrary);
  LogInfo("Менеджер файлов инициализирован.");
  return 0;
}

int32_t FileManager::Shutdown() {
  LogInfo("Завершение работы менеджера файлов.");
  ModuleManager::SetLibraryLocator(nullptr);
  Directory* tree = root;
  root = nullptr;
  delete tree;
  LogInfo("Менеджер файлов завершил работу.");
  return 0;
}

int32_t FileManager::MountArchive(File* file, const String& password) {
  if (file == nullptr) {
    LogWarning("Указатель на архив равен 0.");
    return 3;
  }
  // A codec of another kind for this extension counts as none.
  Codec* codec = CodecManager::FindCodecForFile(file);
  if (codec == nullptr || codec->GetKind() != Codec::KIND_FILE) {
    LogWarning("Не найден кодек для архива [%s].", file->GetName().CStr());
    return 3;
  }
  Directory* directory = nullptr;
  const int32_t status = static_cast<FileCodec*>(codec)->Load(file, &directory, password);
  if (status != 0 || directory == nullptr) {
    LogError("Невозможно загрузить директорию из архива [%s].", file->GetName().CStr());
    delete directory;
    return status != 0 ? status : 1;
  }
  if (root == nullptr || root->AttachDirectory(directory) != 0) {
    LogError("Невозможно подсоединить директорию [%s] к корню.", directory->GetName().CStr());
    delete directory;
    return 1;
  }
  return 0;
}

int32_t FileManager::MountResource(int32_t id, const String& name, const String& password) {
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  int32_t status = LoadResourceData(id, &data, &size);
  if (status == 0 && size > static_cast<uint32_t>(INT32_MAX)) status = 1;  // beyond any stream
  if (status != 0) {
    LogWarning("Невозможно прочитать ресурс ID[%d] Имя[%s].", id, name.CStr());
    return status;
  }
  MemoryFile* file = new (std::nothrow) MemoryFile(name);
  if (file == nullptr) {
    LogError("Недостаточно памяти для создания виртуального файла.");
    return 2;
  }
  // The resource stays where it is: the file borrows it while mounting.
  file->SetSource(data, static_cast<int32_t>(size), false);
  const int32_t mounted = MountArchive(file, password);
  delete file;
  return mounted;
}

File* FileManager::FindFile(const String& path) {
  if (root == nullptr) return nullptr;
  for (Directory* directory : root->Directories()) {
    if (File* file = directory->FindFile(path)) return file;
  }
  return nullptr;
}

}  // namespace ynx
