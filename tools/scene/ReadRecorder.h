#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/core/StreamObserver.h"

namespace ynx::tools {

// Records what the engine's readers read from a stream, in order: each
// object definition with its fields as values, back-references and nested
// definitions. Bytes the readers took without a typed read (buffer
// contents, flag bytes) are the gaps between the recorded fields.
class ReadRecorder : public StreamObserver {
 public:
  struct Field {
    enum Type { VALUE, REFERENCE, DEFINITION };
    Type type = VALUE;
    int32_t offset = 0;
    // Stored bytes, for values and references.
    int32_t size = 0;
    // The value as text ("int32 7", "string \"Root\"").
    std::string text;
    // The ID of a reference, or the index of a nested definition.
    int32_t target = 0;
  };

  struct Definition {
    int32_t id = 0;
    std::string type;
    // The object's name, the first string it read.
    std::string name;
    int32_t offset = 0;
    // Where its fields start: after the ID and the type name.
    int32_t fieldsOffset = 0;
    // Where its fields end; -1 while reading them.
    int32_t end = -1;
    int32_t status = 0;
    std::vector<Field> fields;
  };

  void OnValue(int32_t offset, Kind kind, const void* value, int32_t size) override;
  void OnReference(int32_t offset, int32_t id) override;
  void OnObjectBegin(int32_t offset, int32_t id, const String& typeName) override;
  void OnObjectEnd(int32_t offset, int32_t status) override;

  // In the order their definitions began.
  const std::vector<Definition>& Definitions() const { return definitions; }
  // What was read outside any definition: the file header, the root.
  const std::vector<Field>& TopLevel() const { return topLevel; }
  // The definition read under the file ID, or null.
  const Definition* Find(int32_t id) const;

 private:
  std::vector<Field>& Current();

  std::vector<Definition> definitions;
  std::vector<Field> topLevel;
  // Indices of the definitions being read, innermost last.
  std::vector<size_t> open;
  std::unordered_map<int32_t, size_t> byId;
};

}  // namespace ynx::tools
