#include "platform/d3d9/device/ShaderObjectCache.h"

#include <epoxy/gl.h>

#include "platform/d3d9/device/GlslCompiler.h"

namespace ynx {

uint32_t ShaderObjectCache::Acquire(bool fragment, const std::string& source, std::string& error) {
  std::string key = (fragment ? "f" : "v") + source;
  const auto found = bySource.find(key);
  if (found != bySource.end()) {
    ++found->second.uses;
    return found->second.object;
  }
  const uint32_t object = GlslCompiler::Compile(fragment, source, error);
  if (object == 0) return 0;
  const auto added = bySource.emplace(std::move(key), Entry{object, 1}).first;
  sourceOf.emplace(object, &added->first);
  return object;
}

bool ShaderObjectCache::Release(uint32_t object) {
  const auto source = sourceOf.find(object);
  if (source == sourceOf.end()) return false;
  const auto entry = bySource.find(*source->second);
  if (--entry->second.uses > 0) return false;
  bySource.erase(entry);
  sourceOf.erase(source);
  glDeleteShader(object);
  return true;
}

}  // namespace ynx
