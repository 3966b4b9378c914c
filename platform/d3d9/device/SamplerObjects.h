#pragma once

#include <cstdint>

#include "platform/d3d9/device/DeviceState.h"

namespace ynx {

// One GL sampler object per texture unit, kept in step with that unit's
// sampler states (and whether it holds a depth texture, which samples as a
// comparison). The device's context must be current.
class SamplerObjects {
 public:
  SamplerObjects() = default;
  SamplerObjects(const SamplerObjects&) = delete;
  SamplerObjects& operator=(const SamplerObjects&) = delete;

  void Create();
  void Destroy();
  void Apply(uint32_t unit, const uint32_t (&states)[DeviceState::SAMPLER_STATES], bool depth, bool mipmapped);

 private:
  struct Applied {
    uint32_t states[DeviceState::SAMPLER_STATES] = {};
    bool depth = false;
    bool mipmapped = false;
    bool valid = false;
  };

  uint32_t samplers[DeviceState::SAMPLERS] = {};
  Applied applied[DeviceState::SAMPLERS];
};

}  // namespace ynx
