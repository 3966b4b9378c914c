#pragma once

#include "platform/d3d9/device/IUnknown.h"

namespace ynx {

class IDirect3DDevice9;

// Everything a device creates. The device keeps a list of its children and
// they keep a plain pointer back (no reference, so that the device can go
// while an application still holds some of them): when the device goes, it
// orphans every child left, which frees the child's GL objects; an orphan
// stays a valid object that does nothing on the GPU.
class DeviceChild : public IUnknown {
 public:
  // Adds a reference to the device, as the API does.
  HRESULT GetDevice(IDirect3DDevice9** out);
  IDirect3DDevice9* OwningDevice() const { return device; }

  // Called by the device as it goes; `contextCurrent` tells whether GL
  // objects can be freed (they cannot once the window has gone, but then
  // the context takes them along).
  void Orphan(bool contextCurrent);

 protected:
  explicit DeviceChild(IDirect3DDevice9* device);
  ~DeviceChild() override;
  void FinalRelease() override;
  // Frees this object's GL objects; the device's context is current.
  virtual void ReleaseGl() {}
  // Makes the device's context current; false for orphans and lost windows.
  bool BeginGl() const;

 private:
  IDirect3DDevice9* device;
};

}  // namespace ynx
