#pragma once

#include "engine/render/Shader.h"

namespace ynx {

// A shader the renderer binds as the pixel program.
class PixelShader : public Shader {
  YNX_DECLARE_CLASS(PixelShader);

 public:
  explicit PixelShader(const String& name = String(), const char* text = nullptr)
      : Shader(name, text) {}
};

}  // namespace ynx
