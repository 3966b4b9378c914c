#include "platform/d3d9/device/SamplerObjects.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <bit>
#include <iterator>

namespace ynx {

namespace {

GLint Address(uint32_t mode) {
  switch (mode) {
    case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    case D3DTADDRESS_MIRRORONCE: return GL_MIRROR_CLAMP_TO_EDGE;
    default: return GL_REPEAT;
  }
}

GLint Minification(uint32_t filter, uint32_t mipFilter, bool mipmapped) {
  const bool linear = filter != D3DTEXF_POINT && filter != D3DTEXF_NONE;
  if (!mipmapped || mipFilter == D3DTEXF_NONE) return linear ? GL_LINEAR : GL_NEAREST;
  if (mipFilter == D3DTEXF_POINT) return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
  return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
}

}  // namespace

void SamplerObjects::Create() {
  glCreateSamplers(DeviceState::SAMPLERS, samplers);
  for (GLuint unit = 0; unit < DeviceState::SAMPLERS; ++unit) {
    glBindSampler(unit, samplers[unit]);
    applied[unit].valid = false;
  }
}

void SamplerObjects::Destroy() {
  glDeleteSamplers(DeviceState::SAMPLERS, samplers);
  std::fill(std::begin(samplers), std::end(samplers), 0u);
}

void SamplerObjects::Apply(uint32_t unit, const uint32_t (&states)[DeviceState::SAMPLER_STATES], bool depth,
                           bool mipmapped) {
  Applied& last = applied[unit];
  if (last.valid && last.depth == depth && last.mipmapped == mipmapped &&
      std::equal(std::begin(states), std::end(states), std::begin(last.states))) {
    return;
  }
  const GLuint sampler = samplers[unit];
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, Address(states[D3DSAMP_ADDRESSU]));
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, Address(states[D3DSAMP_ADDRESSV]));
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R, Address(states[D3DSAMP_ADDRESSW]));
  const D3DCOLOR border = states[D3DSAMP_BORDERCOLOR];
  const GLfloat color[4] = {(border >> 16 & 0xFF) / 255.0f, (border >> 8 & 0xFF) / 255.0f, (border & 0xFF) / 255.0f,
                            (border >> 24 & 0xFF) / 255.0f};
  glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, color);
  const uint32_t magnification = states[D3DSAMP_MAGFILTER];
  glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER,
                      magnification == D3DTEXF_POINT || magnification == D3DTEXF_NONE ? GL_NEAREST : GL_LINEAR);
  glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER,
                      Minification(states[D3DSAMP_MINFILTER], states[D3DSAMP_MIPFILTER], mipmapped));
  glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, std::bit_cast<float>(states[D3DSAMP_MIPMAPLODBIAS]));
  // MAXMIPLEVEL names the largest level that may be used.
  glSamplerParameterf(sampler, GL_TEXTURE_MIN_LOD, static_cast<float>(states[D3DSAMP_MAXMIPLEVEL]));
  glSamplerParameteri(sampler, GL_TEXTURE_COMPARE_MODE, depth ? GL_COMPARE_REF_TO_TEXTURE : GL_NONE);
  glSamplerParameteri(sampler, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
  std::copy(std::begin(states), std::end(states), last.states);
  last.depth = depth;
  last.mipmapped = mipmapped;
  last.valid = true;
}

}  // namespace ynx
