#include "platform/d3d9/device/UniformBlocks.h"

#include <epoxy/gl.h>

#include <cstring>
#include <vector>

namespace ynx {

void UniformBlocks::Create() {
  static constexpr uint32_t BINDINGS[BLOCKS] = {
      ShaderInterface::VERTEX_CONSTANTS_BINDING, ShaderInterface::PIXEL_CONSTANTS_BINDING,
      ShaderInterface::VERTEX_STATE_BINDING,     ShaderInterface::PIXEL_STATE_BINDING,
      FixedFunctionUniforms::VERTEX_BINDING,     FixedFunctionUniforms::PIXEL_BINDING};
  static constexpr size_t SIZES[BLOCKS] = {sizeof(ShaderInterface::VertexConstants),
                                           sizeof(ShaderInterface::PixelConstants),
                                           sizeof(ShaderInterface::VertexState), sizeof(ShaderInterface::PixelState),
                                           sizeof(FixedFunctionUniforms::Vertex), sizeof(FixedFunctionUniforms::Pixel)};
  glCreateBuffers(BLOCKS, buffers);
  for (int block = 0; block < BLOCKS; ++block) {
    const std::vector<uint8_t> zeros(SIZES[block], 0);
    glNamedBufferData(buffers[block], static_cast<GLsizeiptr>(SIZES[block]), zeros.data(), GL_DYNAMIC_DRAW);
    glBindBufferBase(GL_UNIFORM_BUFFER, BINDINGS[block], buffers[block]);
  }
  glCreateTextures(GL_TEXTURE_BUFFER, 1, &constantTexels);
  glTextureBufferRange(constantTexels, GL_RGBA32F, buffers[VERTEX_CONSTANTS], 0,
                       sizeof(ShaderInterface::VertexConstants::c));
  glBindTextureUnit(ShaderInterface::VERTEX_CONSTANT_TEXELS_UNIT, constantTexels);
  vertexStateValid = pixelStateValid = false;
}

void UniformBlocks::Destroy() {
  glDeleteTextures(1, &constantTexels);
  constantTexels = 0;
  glDeleteBuffers(BLOCKS, buffers);
  for (uint32_t& buffer : buffers) buffer = 0;
}

void UniformBlocks::UploadVertexConstants(const float (*constants)[4], uint32_t begin, uint32_t end) {
  if (begin >= end) return;
  glNamedBufferSubData(buffers[VERTEX_CONSTANTS], GLintptr{begin} * 16, GLsizeiptr{end - begin} * 16, constants[begin]);
}

void UniformBlocks::UploadPixelConstants(const float (*constants)[4], uint32_t begin, uint32_t end) {
  if (begin >= end) return;
  glNamedBufferSubData(buffers[PIXEL_CONSTANTS], GLintptr{begin} * 16, GLsizeiptr{end - begin} * 16, constants[begin]);
}

template <class Image>
void UniformBlocks::UploadIfChanged(Block block, const Image& bytes, Image& last, bool& valid) {
  if (valid && std::memcmp(&bytes, &last, sizeof bytes) == 0) return;
  last = bytes;
  valid = true;
  glNamedBufferSubData(buffers[block], 0, sizeof bytes, &bytes);
}

void UniformBlocks::UploadVertexState(const ShaderInterface::VertexState& state) {
  UploadIfChanged(VERTEX_STATE, state, vertexState, vertexStateValid);
}

void UniformBlocks::UploadPixelState(const ShaderInterface::PixelState& state) {
  UploadIfChanged(PIXEL_STATE, state, pixelState, pixelStateValid);
}

void UniformBlocks::UploadFixedVertex(const FixedFunctionUniforms::Vertex& vertex, size_t begin, size_t end) {
  if (begin >= end) return;
  glNamedBufferSubData(buffers[FIXED_VERTEX], static_cast<GLintptr>(begin), static_cast<GLsizeiptr>(end - begin),
                       reinterpret_cast<const uint8_t*>(&vertex) + begin);
}

void UniformBlocks::UploadFixedPixel(const FixedFunctionUniforms::Pixel& pixel) {
  glNamedBufferSubData(buffers[FIXED_PIXEL], 0, sizeof pixel, &pixel);
}

}  // namespace ynx
