#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

namespace ynx {

// Compiled GL shader objects by their GLSL text, shared by every device
// shader that translates to the same text. Scenes give each effect shaders
// of their own; one object a text lets them share one linked program, so
// the driver compiles and keeps that program once. The device's context
// must be current for every call.
class ShaderObjectCache {
 public:
  ShaderObjectCache() = default;
  ShaderObjectCache(const ShaderObjectCache&) = delete;
  ShaderObjectCache& operator=(const ShaderObjectCache&) = delete;

  // The object for `source`, compiled on its first use; 0 with the
  // compiler's log in `error` when it does not compile (not remembered:
  // each device shader reports its own failure). Every object handed out
  // is one use to release.
  uint32_t Acquire(bool fragment, const std::string& source, std::string& error);
  // Ends one use; true when it was the last and the object is deleted.
  bool Release(uint32_t object);

 private:
  struct Entry {
    uint32_t object = 0;
    uint32_t uses = 0;
  };

  std::unordered_map<std::string, Entry> bySource;  // the stage's letter, then the text
  std::unordered_map<uint32_t, const std::string*> sourceOf;  // keys of bySource (nodes do not move)
};

}  // namespace ynx
