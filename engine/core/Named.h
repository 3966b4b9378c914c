#pragma once

#include "engine/core/String.h"

namespace ynx {

// Base of everything that carries a name: objects, type records, files,
// directories, codecs, modules, log outputs.
class Named {
 public:
  Named() = default;
  explicit Named(const String& name) : name(name) {}
  virtual ~Named() = default;

  virtual void SetName(const String& newName) { name = newName; }
  const String& GetName() const { return name; }

 private:
  String name;
};

}  // namespace ynx
