#pragma once

#include <cstdint>

#include "engine/core/HashMap.h"

namespace ynx {

class Object;

// Stores a new object (name empty, count 0) at the address and returns 0;
// 1 for an abstract class, 2 when memory runs out.
using CreateFunction = int32_t (*)(Object** result);

// The table from type name to create function. It is filled by the classes'
// InitializeClass hooks when the engine starts and emptied when it stops.
class Factory {
 public:
  // False when the name is already present; the existing entry stays.
  static bool Add(const String& typeName, CreateFunction create);
  static void Remove(const String& typeName);
  static CreateFunction Find(const String& typeName);
  static const HashMap<String, CreateFunction>& Table();

 private:
  static HashMap<String, CreateFunction>& MutableTable();
};

}  // namespace ynx
