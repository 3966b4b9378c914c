#pragma once

#include <cstdint>

#include "platform/d3d9/device/D3D9Types.h"

namespace ynx {

// The device state the fixed-function pipeline reads at draw time, as the
// device keeps it: render states by D3DRENDERSTATETYPE, texture-stage states
// by D3DTEXTURESTAGESTATETYPE, the transforms, the eight light slots with
// their enable bits, the material and the viewport. A view, not a copy.
struct FixedFunctionState {
  static constexpr uint32_t RENDER_STATES = 256;
  static constexpr uint32_t STAGES = 8;
  static constexpr uint32_t STAGE_STATES = 33;
  static constexpr uint32_t LIGHTS = 8;

  const uint32_t (&renderStates)[RENDER_STATES];
  const uint32_t (&stageStates)[STAGES][STAGE_STATES];
  const D3DMATRIX& world;
  const D3DMATRIX& view;
  const D3DMATRIX& projection;
  const D3DMATRIX (&texture)[STAGES];
  const D3DLIGHT9 (&lights)[LIGHTS];
  uint8_t lightEnables;  // bit n: light slot n is on
  const D3DMATERIAL9& material;
  const D3DVIEWPORT9& viewport;

  // A slot lights the scene when it is enabled and holds a known type; the
  // key and the uniforms list such lights in slot order.
  bool LightInUse(uint32_t slot) const {
    const uint32_t type = lights[slot].Type;
    return (lightEnables >> slot & 1) && type >= D3DLIGHT_POINT && type <= D3DLIGHT_DIRECTIONAL;
  }
};

}  // namespace ynx
