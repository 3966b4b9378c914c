#pragma once

#include <cstdint>

namespace ynx {

enum class ResourceLanguage : uint8_t {
  NEUTRAL,
  RUSSIAN,
};

// The resources linked into the program by ynx_embed_resources (the stand-in
// for an executable's resource section). A resource is named by number and
// type and comes in up to two variants, language-neutral and Russian. The
// bytes are read-only and live as long as the process.
class ResourceTable {
 public:
  struct Entry {
    int32_t id;
    const char* type;
    ResourceLanguage language;
    const uint8_t* data;
    // Counted by the assembler beside the bytes, hence a pointer.
    const uint32_t* size;
  };

  constexpr ResourceTable(const Entry* entries, uint32_t count) : entries(entries), count(count) {}

  // This program's table; empty for a program that embeds nothing.
  static const ResourceTable& Program();

  // The language the user reads: the first of LC_ALL, LC_MESSAGES and LANG
  // that is set and not empty decides, and a value starting with "ru" means
  // Russian. Null stands for an unset variable.
  static ResourceLanguage LanguageOf(const char* lcAll, const char* lcMessages, const char* lang);
  // LanguageOf this process's environment.
  static ResourceLanguage UserLanguage();

  // The variant in `language`, else the other one. False when the table has
  // no resource `id` of `type`; the outputs are then left alone.
  bool Find(int32_t id, const char* type, ResourceLanguage language, const uint8_t** data,
            uint32_t* size) const;

  uint32_t Count() const { return count; }

 private:
  const Entry* entries;
  uint32_t count;
};

}  // namespace ynx
