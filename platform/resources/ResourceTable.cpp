#include "platform/resources/ResourceTable.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace ynx {

// A program that embeds resources links a generated definition, which
// replaces this one.
__attribute__((weak)) const ResourceTable& ResourceTable::Program() {
  static const ResourceTable empty(nullptr, 0);
  return empty;
}

ResourceLanguage ResourceTable::LanguageOf(const char* lcAll, const char* lcMessages,
                                           const char* lang) {
  for (const char* value : {lcAll, lcMessages, lang}) {
    if (value == nullptr || value[0] == 0) continue;
    return std::strncmp(value, "ru", 2) == 0 ? ResourceLanguage::RUSSIAN : ResourceLanguage::NEUTRAL;
  }
  return ResourceLanguage::NEUTRAL;
}

ResourceLanguage ResourceTable::UserLanguage() {
  return LanguageOf(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

bool ResourceTable::Find(int32_t id, const char* type, ResourceLanguage language,
                         const uint8_t** data, uint32_t* size) const {
  const Entry* found = nullptr;
  for (uint32_t i = 0; i < count; ++i) {
    const Entry& entry = entries[i];
    if (entry.id != id || std::strcmp(entry.type, type) != 0) continue;
    found = &entry;
    if (entry.language == language) break;
  }
  if (found == nullptr) return false;
  *data = found->data;
  *size = *found->size;
  return true;
}

}  // namespace ynx
