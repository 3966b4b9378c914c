#pragma once

#include <cstdint>

#include "platform/d3d9/device/DeviceState.h"

namespace ynx {

// Turns the render states that GL keeps outside programs (blending, depth,
// stencil, culling, fill mode, colour mask, depth bias, point size) and the
// viewport into GL state. Remembers what it last applied and touches only
// the groups that changed. The device's context must be current.
class PipelineState {
 public:
  struct Target {
    uint32_t depthBits = 0;    // 0: no depth buffer
    uint32_t stencilBits = 0;  // 0: no stencil
    float depthUnit = 0.0f;    // the depth step of one polygon-offset unit
    bool programPointSize = false;
  };

  void Apply(const DeviceState& state, const Target& target);
  // Forget what was applied (after Clear changed masks and scissor, or a
  // new context): the next Apply sets everything.
  void Invalidate() { valid = false; }

 private:
  // Whether a group must be applied: `force`, or a state of `list`
  // differs from what was applied. If so, the group's states count as
  // applied from now on.
  bool Refresh(const DeviceState& state, const D3DRENDERSTATETYPE* list, size_t count, bool force);
  void ApplyBlend(const uint32_t* rs);
  void ApplyDepth(const uint32_t* rs, const Target& target);
  void ApplyStencil(const uint32_t* rs, const Target& target);
  void ApplyRaster(const uint32_t* rs);

  bool valid = false;
  uint32_t applied[DeviceState::RENDER_STATES] = {};
  Target appliedTarget;
  D3DVIEWPORT9 appliedViewport = {};
};

}  // namespace ynx
