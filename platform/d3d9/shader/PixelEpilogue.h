#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ynx {

// The end every pixel program shares, translated or fixed-function: the
// alpha test on `ynx_output` and fog after the shader (ShaderKey's alpha
// function and fog fields), as GLSL statements, one per entry.
class PixelEpilogue {
 public:
  static std::vector<std::string> AlphaTestAndFog(uint8_t alphaFunction, uint8_t fog, bool fogFromW);
};

}  // namespace ynx
