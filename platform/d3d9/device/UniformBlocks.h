#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/d3d9/device/FixedFunctionUniforms.h"
#include "platform/d3d9/shader/ShaderInterface.h"

namespace ynx {

// The uniform buffers programs read (ShaderInterface's four binding points
// and the fixed-function pipeline's two), bound once, the vertex c# also as
// a buffer texture for relatively addressed reads. Constants go up in the
// register ranges that changed; the shared state blocks only when their
// bytes differ from the last upload; the fixed-function blocks as the
// device says. The device's context must be current.
class UniformBlocks {
 public:
  UniformBlocks() = default;
  UniformBlocks(const UniformBlocks&) = delete;
  UniformBlocks& operator=(const UniformBlocks&) = delete;

  void Create();
  void Destroy();

  // Registers [begin, end) of `constants`.
  void UploadVertexConstants(const float (*constants)[4], uint32_t begin, uint32_t end);
  void UploadPixelConstants(const float (*constants)[4], uint32_t begin, uint32_t end);
  void UploadVertexState(const ShaderInterface::VertexState& state);
  void UploadPixelState(const ShaderInterface::PixelState& state);
  // Bytes [begin, end) of the fixed-function vertex image; the whole pixel
  // image. The device uploads them only when it changed them.
  void UploadFixedVertex(const FixedFunctionUniforms::Vertex& vertex, size_t begin, size_t end);
  void UploadFixedPixel(const FixedFunctionUniforms::Pixel& pixel);

 private:
  enum Block { VERTEX_CONSTANTS, PIXEL_CONSTANTS, VERTEX_STATE, PIXEL_STATE, FIXED_VERTEX, FIXED_PIXEL, BLOCKS };

  // Uploads `bytes` to `block` unless they equal `last`, which then holds them.
  template <class Image>
  void UploadIfChanged(Block block, const Image& bytes, Image& last, bool& valid);

  uint32_t buffers[BLOCKS] = {};
  uint32_t constantTexels = 0;  // the vertex c# as a buffer texture
  ShaderInterface::VertexState vertexState = {};
  ShaderInterface::PixelState pixelState = {};
  bool vertexStateValid = false;
  bool pixelStateValid = false;
};

}  // namespace ynx
