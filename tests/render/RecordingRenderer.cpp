#include "tests/render/RecordingRenderer.h"

namespace ynx::test {

void RecordingRenderer::SetVertexShaderConstants(int32_t first, const float* values,
                                                 int32_t count) {
  Record("SetVertexShaderConstants", first, count);
  for (int32_t i = 0; i < count * 4; ++i) {
    vertexConstants[static_cast<size_t>(first + i / 4)][static_cast<size_t>(i % 4)] = values[i];
  }
}

void RecordingRenderer::SetPixelShaderConstants(int32_t first, const float* values,
                                                int32_t count) {
  Record("SetPixelShaderConstants", first, count);
  for (int32_t i = 0; i < count * 4; ++i) {
    pixelConstants[static_cast<size_t>(first + i / 4)][static_cast<size_t>(i % 4)] = values[i];
  }
}

std::string RecordingRenderer::Text(const Object* object) {
  if (object == nullptr) return "null";
  const String& name = object->GetName();
  return name.IsEmpty() ? object->GetType().GetName().CStr() : name.CStr();
}

}  // namespace ynx::test
