#pragma once

#include <cstdint>

namespace ynx {

// How far one unit of GL polygon offset moves depth in a depth buffer of a
// given format: drivers differ, so the device measures it by drawing once
// at start-up and turns DEPTHBIAS (in depth-range units) into offset units
// with it. The device's context must be current; GL state it touches is
// left for the caller to set again.
class DepthBiasProbe {
 public:
  // The depth step of one unit, or 2^-bits when the measurement fails.
  static float Measure(uint32_t internalFormat, uint32_t bits);
};

}  // namespace ynx
