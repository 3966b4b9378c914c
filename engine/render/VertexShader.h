#pragma once

#include "engine/render/Shader.h"

namespace ynx {

// A shader the renderer binds as the vertex program.
class VertexShader : public Shader {
  YNX_DECLARE_CLASS(VertexShader);

 public:
  explicit VertexShader(const String& name = String(), const char* text = nullptr)
      : Shader(name, text) {}
};

}  // namespace ynx
