#include "engine/io/Directory.h"

#include <algorithm>
#include <string_view>

#include "engine/core/Log.h"
#include "engine/io/File.h"

namespace ynx {
namespace {

// Splits at the first (or last) backslash, else at the first (or last)
// slash; false, with the head the whole path, when there is neither.
bool Split(const String& path, bool atLast, String& head, String& tail) {
  int32_t index = -1;
  for (char separator : {'\\', '/'}) {
    for (int32_t i = 0; i < path.Length(); ++i) {
      if (path[i] == separator) {
        index = i;
        if (!atLast) break;
      }
    }
    if (index >= 0) break;
  }
  if (index < 0) {
    head = path;
    tail = String();
    return false;
  }
  head = path.Substring(0, index);
  tail = path.Substring(index + 1);
  return true;
}

}  // namespace

Directory::Directory(const String& name, Directory* parentDirectory) : Named(name) {
  if (parentDirectory != nullptr && parentDirectory->AttachDirectory(this) != 0) {
    LogWarning("Невозможно подсоединить директорию [%s] к корневой директории [%s].",
               name.CStr(), parentDirectory->GetName().CStr());
  }
}

Directory::~Directory() {
  LogInfo("Удаляется директория [%s].", GetName().CStr());
  if (parent != nullptr && parent->DetachDirectory(this) != 0) {
    LogWarning("Невозможно отсоединить директорию [%s] от корневой директории [%s].",
               GetName().CStr(), parent->GetName().CStr());
  }
  for (Directory* directory : directories) {
    directory->parent = nullptr;
    delete directory;
  }
  for (File* file : files) {
    file->parent = nullptr;
    delete file;
  }
  LogInfo("Директория удалена [%s].", GetName().CStr());
}

String Directory::GetPath() {
  if (GetName().IsEmpty()) return String();
  if (parentPath.IsEmpty() && parent != nullptr) parentPath = parent->GetPath();
  return parentPath + GetName() + "/";
}

template <typename Child>
uint32_t Directory::InsertionIndex(const Array<Child*>& children, const String& name) {
  for (uint32_t i = 0; i < children.Count(); ++i) {
    const String& existing = children[i]->GetName();
    const bool before = !existing.IsEmpty() && !name.IsEmpty()
                            ? static_cast<int8_t>(existing[0]) < static_cast<int8_t>(name[0])
                            : existing.Length() < name.Length();
    if (before) return i;
  }
  return children.Count();
}

int32_t Directory::AttachDirectory(Directory* directory) {
  if (directory == nullptr) {
    LogWarning("Указатель на присоединяемую директорию равен 0. Корневая директория [%s].",
               GetName().CStr());
    return 3;
  }
  if (directories.IndexOf(directory) >= 0) {
    LogWarning("Присоединяемая директория [%s] уже присоединена к директории [%s].",
               directory->GetName().CStr(), GetName().CStr());
    return 3;
  }
  for (const Directory* ancestor = this; ancestor != nullptr; ancestor = ancestor->parent) {
    if (ancestor == directory) {
      LogWarning("Присоединяемая директория [%s] содержит директорию [%s].",
                 directory->GetName().CStr(), GetName().CStr());
      return 3;
    }
  }
  // A directory lives in one place: attaching it elsewhere moves it.
  if (directory->parent != nullptr) directory->parent->DetachDirectory(directory);
  const uint32_t index = InsertionIndex(directories, directory->GetName());
  directories.Insert(index, directory);
  directory->parent = this;
  if (index + 1 == directories.Count()) {
    LogInfo("Директория [%s] добавлена к директории [%s].", directory->GetName().CStr(),
            GetName().CStr());
  }
  return 0;
}

int32_t Directory::AttachFile(File* file) {
  if (file == nullptr) {
    LogWarning("Указатель на присоединяемый файл равен 0. Корневая директория [%s].",
               GetName().CStr());
    return 3;
  }
  if (files.IndexOf(file) >= 0) {
    LogWarning("Присоединяемый файл [%s] уже присоединена к директории [%s].",
               file->GetName().CStr(), GetName().CStr());
    return 3;
  }
  if (file->parent != nullptr) file->parent->DetachFile(file);
  const uint32_t index = InsertionIndex(files, file->GetName());
  files.Insert(index, file);
  file->parent = this;
  if (index + 1 == files.Count()) {
    LogInfo("Файл [%s] добавлен к директории [%s].", file->GetName().CStr(), GetName().CStr());
  }
  return 0;
}

int32_t Directory::DetachDirectory(Directory* directory) {
  if (directory == nullptr) {
    LogWarning("Указатель на отсоединяемую директорию равен 0. Корневая директория [%s].",
               GetName().CStr());
    return 3;
  }
  const int32_t index = directories.IndexOf(directory);
  if (index < 0) {
    LogWarning("Удаляемая директория [%s] не найдена в директории [%s].",
               directory->GetName().CStr(), GetName().CStr());
    return 3;
  }
  directory->parent = nullptr;
  LogInfo("Директория [%s] удалена из директории [%s].", directory->GetName().CStr(),
          GetName().CStr());
  directories.RemoveAt(static_cast<uint32_t>(index));
  return 0;
}

int32_t Directory::DetachFile(File* file) {
  if (file == nullptr) {
    LogWarning("Указатель на отсоединяемый файл равен 0. Корневая директория [%s].",
               GetName().CStr());
    return 3;
  }
  const int32_t index = files.IndexOf(file);
  if (index < 0) {
    LogWarning("Удаляемый файл [%s] не найден в директории [%s].", file->GetName().CStr(),
               GetName().CStr());
    return 3;
  }
  file->parent = nullptr;
  LogInfo("Файл [%s] удалён из директории [%s].", file->GetName().CStr(), GetName().CStr());
  files.RemoveAt(static_cast<uint32_t>(index));
  return 0;
}

// Walks the path one component at a time, in place, so that a path of any
// length costs neither stack nor copies.
Directory* Directory::FindDirectory(const String& path) {
  const std::string_view whole(path.CStr(), static_cast<size_t>(path.Length()));
  // A backslash anywhere ahead wins over slashes as the separator.
  const size_t lastBackslash = whole.rfind('\\');
  Directory* directory = this;
  size_t position = 0;
  while (directory != nullptr) {
    const std::string_view rest = whole.substr(position);
    const String& name = directory->GetName();
    if (rest.empty() || rest == "." ||
        rest == std::string_view(name.CStr(), static_cast<size_t>(name.Length()))) {
      return directory;
    }
    const bool backslashAhead = lastBackslash != std::string_view::npos && lastBackslash >= position;
    size_t end = rest.find(backslashAhead ? '\\' : '/');
    if (end == std::string_view::npos) end = rest.size();
    const std::string_view head = rest.substr(0, end);
    position = std::min(whole.size(), position + end + 1);
    if (head.empty() || head == ".") continue;
    if (head == "..") {
      directory = directory->parent;
      continue;
    }
    Directory* next = nullptr;
    for (Directory* child : directory->directories) {
      const String& childName = child->GetName();
      if (head == std::string_view(childName.CStr(), static_cast<size_t>(childName.Length()))) {
        next = child;
        break;
      }
    }
    directory = next;
  }
  return nullptr;
}

File* Directory::FindFile(const String& path) {
  String folder, name;
  if (Split(path, true, folder, name)) {
    Directory* directory = FindDirectory(folder);
    return directory != nullptr ? directory->FindFile(name) : nullptr;
  }
  for (File* file : files) {
    if (file->GetName() == path) return file;
  }
  for (Directory* directory : directories) {
    if (File* file = directory->FindFile(path)) return file;
  }
  return nullptr;
}

}  // namespace ynx
