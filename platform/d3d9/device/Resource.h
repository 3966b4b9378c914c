#pragma once

#include "platform/d3d9/device/DeviceChild.h"

namespace ynx {

// Buffers, textures and surfaces: a type and the pool they live in.
// Default-pool resources are what a lost device asks the application to
// release before Reset.
class IDirect3DResource9 : public DeviceChild {
 public:
  D3DRESOURCETYPE GetType() const { return type; }
  D3DPOOL Pool() const { return pool; }

 protected:
  IDirect3DResource9(IDirect3DDevice9* device, D3DRESOURCETYPE type, D3DPOOL pool)
      : DeviceChild(device), type(type), pool(pool) {}

 private:
  D3DRESOURCETYPE type;
  D3DPOOL pool;
};

}  // namespace ynx
