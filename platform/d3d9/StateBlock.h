#pragma once

#include "platform/d3d9/DeviceChild.h"
#include "platform/d3d9/DeviceState.h"
#include "platform/d3d9/StateMask.h"

namespace ynx {

// A saved subset of the device state: the elements whose bits are set in
// the mask. Made by CreateStateBlock (a typed subset, captured at once) or
// by recording between BeginStateBlock and EndStateBlock (whatever was set
// meanwhile). Apply pushes the elements through the device's ordinary
// setters; Capture refreshes them from the device.
class IDirect3DStateBlock9 final : public DeviceChild {
 public:
  explicit IDirect3DStateBlock9(IDirect3DDevice9* device);

  HRESULT Capture();
  HRESULT Apply();

  // What the block holds; written while it records.
  DeviceState& State() { return state; }
  StateMask& Mask() { return mask; }

 private:
  DeviceState state;
  StateMask mask;
};

}  // namespace ynx
