#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

namespace ynx {

// Linked GL programs by their (vertex, fragment) shader objects. Shader
// objects are freed with their shader; Forget drops every program that
// used one. The device's context must be current for every call.
class ProgramCache {
 public:
  ProgramCache() = default;
  ProgramCache(const ProgramCache&) = delete;
  ProgramCache& operator=(const ProgramCache&) = delete;

  // 0 with the linker's reason in `error` when the pair does not link (then
  // remembered, so it is reported once).
  uint32_t Get(uint32_t vertexShader, uint32_t fragmentShader, std::string& error);
  void Forget(uint32_t shader);
  // Frees every program.
  void Clear();

 private:
  static uint64_t Key(uint32_t vertexShader, uint32_t fragmentShader) {
    return uint64_t{vertexShader} << 32 | fragmentShader;
  }

  std::unordered_map<uint64_t, uint32_t> programs;  // 0: failed to link
};

}  // namespace ynx
