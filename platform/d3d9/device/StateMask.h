#pragma once

#include <bitset>
#include <cstdint>

#include "platform/d3d9/device/DeviceState.h"

namespace ynx {

// Which elements of a DeviceState a state block holds.
struct StateMask {
  // Transform bits: world, view, projection, then texture 0 to 7.
  static constexpr uint32_t WORLD = 0;
  static constexpr uint32_t VIEW = 1;
  static constexpr uint32_t PROJECTION = 2;
  static constexpr uint32_t TEXTURE0 = 3;

  std::bitset<DeviceState::RENDER_STATES> renderStates;
  std::bitset<DeviceState::STAGE_STATES> stageStates[DeviceState::STAGES];
  std::bitset<DeviceState::SAMPLER_STATES> samplerStates[DeviceState::SAMPLERS];
  uint32_t transforms = 0;
  uint32_t lights = 0;        // bit n: light n's parameters
  uint32_t lightEnables = 0;  // bit n: light n's enable
  bool material = false;
  bool viewport = false;
  bool vertexShader = false;
  bool pixelShader = false;
  bool declaration = false;
  bool indices = false;
  std::bitset<DeviceState::VERTEX_CONSTANTS> vertexConstants;
  std::bitset<DeviceState::PIXEL_CONSTANTS> pixelConstants;
  uint32_t streams = 0;   // bit n: stream n
  uint32_t textures = 0;  // bit n: sampler n's texture

  // The transform bit of a transform type, or -1.
  static int TransformBit(D3DTRANSFORMSTATETYPE type);

  // What CreateStateBlock captures for D3DSBT_ALL, _PIXELSTATE and
  // _VERTEXSTATE.
  void SetAll();
  void SetPixelStates();
  void SetVertexStates();
};

}  // namespace ynx
