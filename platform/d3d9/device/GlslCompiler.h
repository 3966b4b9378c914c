#pragma once

#include <cstdint>
#include <string>

namespace ynx {

// Compiles one GLSL shader stage. The device's context must be current.
class GlslCompiler {
 public:
  // The GL shader object, or 0 with the compiler's log in `error`.
  static uint32_t Compile(bool fragment, const std::string& source, std::string& error);
};

}  // namespace ynx
