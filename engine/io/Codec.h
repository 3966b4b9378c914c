#pragma once

#include <cstdint>
#include <initializer_list>

#include "engine/core/Array.h"
#include "engine/core/Named.h"
#include "engine/core/Ptr.h"
#include "engine/core/RefCounted.h"
#include "engine/system/Module.h"

namespace ynx {

class File;

// Turns files of some extensions into engine structures and back. Each kind
// (ImageCodec, SceneCodec, FileCodec) fixes its own Load and Save; a codec is
// named like the module that creates it.
class Codec : public virtual RefCounted, public Named {
 public:
  enum Kind : int32_t {
    KIND_IMAGE = 0,
    KIND_SCENE = 1,
    KIND_FILE = 2,
    KIND_NONE = 3,
  };

  explicit Codec(const String& name) : Named(name) {}

  virtual int32_t GetKind() const { return KIND_NONE; }
  // 0 when the file's extension is one of the codec's (case-sensitive),
  // 1 otherwise, 3 for a null file.
  int32_t IsSupported(File* file) const;

  const Array<String>& Extensions() const { return extensions; }
  void SetModule(Module* value) { module = value; }
  Module* GetModule() const { return module.Get(); }

 protected:
  void AddExtensions(std::initializer_list<const char*> names);

 private:
  Ptr<Module> module;
  Array<String> extensions{1, 1};
};

}  // namespace ynx
