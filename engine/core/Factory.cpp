#include "engine/core/Factory.h"

namespace ynx {

HashMap<String, CreateFunction>& Factory::MutableTable() {
  static HashMap<String, CreateFunction> table;
  return table;
}

const HashMap<String, CreateFunction>& Factory::Table() { return MutableTable(); }

bool Factory::Add(const String& typeName, CreateFunction create) {
  return MutableTable().Insert(typeName, create);
}

void Factory::Remove(const String& typeName) { MutableTable().Remove(typeName); }

CreateFunction Factory::Find(const String& typeName) {
  CreateFunction* create = MutableTable().Find(typeName);
  return create != nullptr ? *create : nullptr;
}

}  // namespace ynx
