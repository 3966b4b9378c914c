#pragma once

#include "engine/io/Codec.h"

namespace ynx {

class Directory;

// Turns an archive into a directory of memory files, and back.
class FileCodec : public Codec {
 public:
  using Codec::Codec;

  int32_t GetKind() const override { return KIND_FILE; }
  // On success the caller owns the new directory.
  virtual int32_t Load(File* file, Directory** directory, const String& password) = 0;
  virtual int32_t Save(File* file, Directory* directory) = 0;
};

}  // namespace ynx
