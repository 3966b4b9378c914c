#pragma once

#include <cstddef>

#include "engine/io/FileCodec.h"

namespace ynx {

class Rar2Archive;

// Mounts RAR 1.5-2.x archives: Load unpacks every entry once, in one pass
// over the archive, into a directory named like the archive, with a
// subdirectory for each folder and a memory file owning each entry's bytes.
// An entry that cannot be unpacked (another method version, damaged data, a
// wrong CRC) stays as a memory file without content, which does not open.
class RAR2FileCodec : public FileCodec {
 public:
  static constexpr const char* NAME = "RAR2FileCodec";
  // Folders deeper than this are not made; entries below them are left out,
  // so that the recursive walks of the tree stay shallow.
  static constexpr size_t MAX_DEPTH = 64;
  // Entries mounted at most; the ones after are left out. Attaching to a
  // folder walks its children, so mounting grows with the square of the count
  // (16384 entries take well under a second).
  static constexpr size_t MAX_ENTRIES = 16384;

  RAR2FileCodec();

  // 3 for null arguments, 1 when the file does not open or close, 2 out of
  // memory; otherwise 0, even for bytes that hold no archive (an empty
  // directory). The password is not used: encrypted entries do not unpack.
  int32_t Load(File* file, Directory** directory, const String& password) override;
  // Writes nothing: opens the file for writing and closes it.
  int32_t Save(File* file, Directory* directory) override;

 private:
  void Mount(Rar2Archive& archive, Directory* root);
};

}  // namespace ynx
