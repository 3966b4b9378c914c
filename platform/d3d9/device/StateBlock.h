#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d9/device/DeviceChild.h"
#include "platform/d3d9/device/DeviceState.h"
#include "platform/d3d9/device/StateMask.h"

namespace ynx {

// A saved subset of the device state: the elements whose bits are set in
// the mask. Made by CreateStateBlock (a typed subset, captured at once) or
// by recording between BeginStateBlock and EndStateBlock (whatever was set
// meanwhile). Apply pushes the elements through the device's ordinary
// setters (outside a recording, states, textures, shaders and the material
// only where they differ from the device's); Capture refreshes them from
// the device.
class IDirect3DStateBlock9 final : public DeviceChild {
 public:
  explicit IDirect3DStateBlock9(IDirect3DDevice9* device);

  HRESULT Capture();
  HRESULT Apply();

  // What the block holds; written while it records.
  DeviceState& State() { return state; }
  StateMask& Mask() {
    listed = false;
    return mask;
  }

 private:
  // A state of one stage or sampler.
  struct Element {
    uint8_t unit;
    uint8_t type;
  };
  // Consecutive constant registers.
  struct Run {
    uint16_t start;
    uint16_t count;
  };

  // The mask's set bits as lists, so that Apply and Capture visit only
  // what the block holds and set constants a run at a time. Rebuilt after
  // the mask was handed out.
  void List();

  DeviceState state;
  StateMask mask;
  bool listed = false;
  std::vector<uint8_t> renderStates;
  std::vector<Element> stageStates;
  std::vector<Element> samplerStates;
  std::vector<Run> vertexConstants;
  std::vector<Run> pixelConstants;
};

}  // namespace ynx
