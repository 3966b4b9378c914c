#pragma once

#include "engine/io/Codec.h"

namespace ynx {

class Object;

// Reads and writes whole object graphs with a single root.
class SceneCodec : public Codec {
 public:
  using Codec::Codec;

  int32_t GetKind() const override { return KIND_SCENE; }
  // On success the root is stored with a count of 0: the caller takes it.
  virtual int32_t Load(File* file, Object** root) = 0;
  virtual int32_t Save(File* file, Object* root) = 0;
};

}  // namespace ynx
