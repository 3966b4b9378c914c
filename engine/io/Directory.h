#pragma once

#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Named.h"

namespace ynx {

class File;

// A folder of the in-memory file tree. It owns its subdirectories and files:
// deleting it deletes them. Children are kept in the order of the
// first-byte rule of Attach, which decides which of two same-named files a
// search finds first.
class Directory : public Named {
 public:
  // With a parent, the directory attaches itself to it.
  explicit Directory(const String& name, Directory* parent = nullptr);
  ~Directory() override;

  // Empty for a directory with an empty name (the root); otherwise the
  // parent's path, the name and "/".
  String GetPath();
  Directory* GetParent() const { return parent; }

  // 0, or 3 for a null or already attached child (or a directory that would
  // contain itself).
  int32_t AttachDirectory(Directory* directory);
  int32_t AttachFile(File* file);
  // 0, or 3 for a null or unknown child; the others keep their order.
  int32_t DetachDirectory(Directory* directory);
  int32_t DetachFile(File* file);

  // "." and ".." are understood; "\" or "/" separate; names are case-sensitive.
  Directory* FindDirectory(const String& path);
  // A path with separators names the directory; a bare name is searched here,
  // then depth first in the subdirectories.
  File* FindFile(const String& path);

  const Array<Directory*>& Directories() const { return directories; }
  const Array<File*>& Files() const { return files; }

 private:
  // Where the first-byte rule puts a child of this name.
  template <typename Child>
  static uint32_t InsertionIndex(const Array<Child*>& children, const String& name);

  String parentPath;
  Directory* parent = nullptr;
  Array<Directory*> directories{1, 1};
  Array<File*> files{1, 1};
};

}  // namespace ynx
