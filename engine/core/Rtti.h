#pragma once

#include "engine/core/Named.h"

namespace ynx {

// Run-time type record: the type name ("YNX." and the class name) and the
// parent's record. Two types are the same exactly when their records are.
class Rtti : public Named {
 public:
  Rtti(const char* name, const Rtti* parent) : Named(String(name)), parent(parent) {}

  const Rtti* GetParent() const { return parent; }
  bool IsDerivedFrom(const Rtti& other) const {
    for (const Rtti* type = this; type != nullptr; type = type->parent) {
      if (type == &other) return true;
    }
    return false;
  }
  // Type names are unique, so this is the same test by name.
  bool IsDerivedFrom(const char* name) const {
    for (const Rtti* type = this; type != nullptr; type = type->parent) {
      if (type->GetName() == name) return true;
    }
    return false;
  }

 private:
  const Rtti* parent;
};

}  // namespace ynx
