#pragma once

#include <cstdint>

namespace ynx {

// What the device can do, as the renderer reports it: shader levels as the
// renderer's fields hold them (0 = 1.x, 1 = 2.0, 2 = 3.0, 4 = none).
struct Capabilities {
  int32_t vertexShaderLevel;
  int32_t pixelShaderLevel;
  int32_t maxTextureStages;
  int32_t maxLights;
  bool pointSprites;
  bool depthTextures;
};

// Lowers a device's capabilities to what a comma-separated list of limits
// allows ("vs=1.1,ps=none,stages=2,lights=1,pointsprites=0,depthtextures=0";
// shader values 1.1, 2.0, 3.0 or none), so that the fallback techniques can
// be seen on a capable machine. A limit never raises a capability; an
// unknown key or a bad value is logged once and ignored. Without pixel
// shaders there are no vertex shaders either.
class CapabilityLimits {
 public:
  // The environment variable the renderer reads at device creation.
  static constexpr const char* VARIABLE = "YNX_RENDERER_CAPS";

  // Null or empty limits change nothing.
  static void Apply(const char* limits, Capabilities& capabilities);
};

}  // namespace ynx
