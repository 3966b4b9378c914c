#include "engine/render/Shader.h"

#include <cstring>

namespace ynx {

YNX_IMPLEMENT_ABSTRACT_CLASS(Shader, Object)

Shader::Shader(const String& name, const char* newText) : Object(name) { SetText(newText); }

void Shader::SetText(const char* newText) {
  binding.Release();
  text = newText;
  length = newText != nullptr ? static_cast<int32_t>(std::strlen(newText)) : 0;
  failed = false;
}

}  // namespace ynx
