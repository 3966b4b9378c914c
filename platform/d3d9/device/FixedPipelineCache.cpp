#include "platform/d3d9/device/FixedPipelineCache.h"

#include <epoxy/gl.h>

#include "platform/d3d9/device/FixedFunctionProgram.h"
#include "platform/d3d9/device/GlslCompiler.h"

namespace ynx {

uint32_t FixedPipelineCache::Vertex(const FixedFunctionKey::Vertex& key, std::string& error) {
  const auto found = vertexObjects.find(key);
  if (found != vertexObjects.end()) return found->second;
  const uint32_t object = GlslCompiler::Compile(false, FixedFunctionProgram::VertexSource(key), error);
  if (!object) error = "the fixed-function vertex program does not compile: " + error;
  vertexObjects.emplace(key, object);
  return object;
}

uint32_t FixedPipelineCache::Pixel(const FixedFunctionKey::Pixel& key, std::string& error) {
  const auto found = pixelObjects.find(key);
  if (found != pixelObjects.end()) return found->second;
  const uint32_t object = GlslCompiler::Compile(true, FixedFunctionProgram::PixelSource(key), error);
  if (!object) error = "the fixed-function pixel program does not compile: " + error;
  pixelObjects.emplace(key, object);
  return object;
}

void FixedPipelineCache::Delete(uint32_t object) { glDeleteShader(object); }

}  // namespace ynx
