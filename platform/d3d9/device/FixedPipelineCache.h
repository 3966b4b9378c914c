#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "platform/d3d9/device/FixedFunctionKey.h"

namespace ynx {

// Compiled fixed-function shader objects: one vertex object per vertex key
// and one fragment object per pixel key, generated and compiled on first
// use. A key that fails to build is remembered as 0 and reported once. The
// device's context must be current for every call.
class FixedPipelineCache {
 public:
  FixedPipelineCache() = default;
  FixedPipelineCache(const FixedPipelineCache&) = delete;
  FixedPipelineCache& operator=(const FixedPipelineCache&) = delete;

  uint32_t Vertex(const FixedFunctionKey::Vertex& key, std::string& error);
  uint32_t Pixel(const FixedFunctionKey::Pixel& key, std::string& error);
  // Frees every object; `forget` is told each one first.
  template <class Forget>
  void Clear(Forget forget) {
    for (const auto& [key, object] : vertexObjects) Free(object, forget);
    for (const auto& [key, object] : pixelObjects) Free(object, forget);
    vertexObjects.clear();
    pixelObjects.clear();
  }

 private:
  struct Hash {
    template <class Key>
    size_t operator()(const Key& key) const {
      return key.Hash();
    }
  };
  template <class Forget>
  static void Free(uint32_t object, Forget& forget) {
    if (object == 0) return;
    forget(object);
    Delete(object);
  }
  static void Delete(uint32_t object);

  std::unordered_map<FixedFunctionKey::Vertex, uint32_t, Hash> vertexObjects;
  std::unordered_map<FixedFunctionKey::Pixel, uint32_t, Hash> pixelObjects;
};

}  // namespace ynx
