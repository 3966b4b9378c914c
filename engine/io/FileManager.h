#pragma once

#include <cstdint>

#include "engine/io/Directory.h"
#include "engine/io/File.h"

namespace ynx {

// Owns the root of the in-memory file tree, into which archives are mounted.
class FileManager {
 public:
  static int32_t Initialize();
  // Deletes the root and with it everything mounted.
  static int32_t Shutdown();

  // Builds a directory from the archive through the codec of its extension
  // and attaches it under the root.
  static int32_t MountArchive(File* file, const String& password);
  // The same for an embedded "MEDIADATA" resource; the directory takes the
  // given name.
  static int32_t MountResource(int32_t id, const String& name, const String& password);
  // The first hit among the mounted directories, in their order; files
  // attached to the root itself are not searched.
  static File* FindFile(const String& path);

  // Null before initialisation and after shutdown.
  static Directory* Root() { return root; }

 private:
  static inline Directory* root = nullptr;
};

}  // namespace ynx
