#include "platform/d3d9/device/DeviceChild.h"

#include "platform/d3d9/device/Device.h"

namespace ynx {

DeviceChild::DeviceChild(IDirect3DDevice9* device) : device(device) {
  if (device) device->AttachChild(this);
}

DeviceChild::~DeviceChild() {
  if (device) device->DetachChild(this);
}

HRESULT DeviceChild::GetDevice(IDirect3DDevice9** out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = device;
  if (!device) return D3DERR_INVALIDCALL;
  device->AddRef();
  return D3D_OK;
}

void DeviceChild::Orphan(bool contextCurrent) {
  if (contextCurrent) ReleaseGl();
  device = nullptr;
}

void DeviceChild::FinalRelease() {
  if (BeginGl()) ReleaseGl();
}

bool DeviceChild::BeginGl() const { return device && device->MakeCurrent(); }

}  // namespace ynx
