#include "tests/render/RecordingRenderer.h"

#include <utility>

#include "engine/render/CubeTexture.h"
#include "engine/render/OcclusionQuery.h"
#include "engine/render/Pass.h"
#include "engine/render/Shader.h"
#include "engine/render/Texture.h"
#include "engine/scene/ColorBuffer.h"
#include "engine/scene/FloatBuffer.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Light.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"

namespace ynx::test {
namespace {

std::string NameOf(const Object* object) {
  return object != nullptr ? std::string(object->GetName().CStr()) : std::string("null");
}

std::string Number(int32_t value) { return std::to_string(value); }

}  // namespace

RecordingRenderer::RecordingRenderer() = default;

void RecordingRenderer::SetCapabilities(int32_t vertexLevel, int32_t pixelLevel,
                                        int32_t textureStages, int32_t lightCount) {
  vertexShaderLevel = vertexLevel;
  pixelShaderLevel = pixelLevel;
  maxTextureStages = textureStages;
  maxLights = lightCount;
}

std::vector<std::string> RecordingRenderer::TakeCalls() { return std::exchange(calls, {}); }

int32_t RecordingRenderer::CreateDevice(int32_t modeIndex, const String&, uint64_t, int32_t,
                                        int32_t, int32_t, int32_t) {
  Record("CreateDevice " + Number(modeIndex));
  return 0;
}

int32_t RecordingRenderer::ReleaseDevice() {
  Record("ReleaseDevice");
  return 0;
}

void RecordingRenderer::ReleaseBinding(RendererBinding& binding) {
  Record("ReleaseBinding");
  binding.Reset();
}

void RecordingRenderer::ReleaseBuffer(Buffer* buffer) { Record("ReleaseBuffer " + NameOf(buffer)); }

void RecordingRenderer::ReleaseTexture(BaseTexture* texture) {
  Record("ReleaseTexture " + NameOf(texture));
}

void RecordingRenderer::ReleaseShader(Shader* shader) { Record("ReleaseShader " + NameOf(shader)); }

void RecordingRenderer::ReleasePass(Pass*) { Record("ReleasePass pass"); }

void RecordingRenderer::ReleaseQuery(OcclusionQuery* query) {
  Record("ReleaseQuery " + NameOf(query));
}

void RecordingRenderer::BeginQuery(OcclusionQuery* query) { Record("BeginQuery " + NameOf(query)); }

void RecordingRenderer::EndQuery(OcclusionQuery* query) { Record("EndQuery " + NameOf(query)); }

void RecordingRenderer::SetTexture(BaseTexture* texture, int32_t stage) {
  Record("SetTexture " + NameOf(texture) + " " + Number(stage));
}

void RecordingRenderer::SetVertexShader(VertexShader* shader) {
  Record(std::string("SetVertexShader ") + (shader != nullptr ? "shader" : "null"));
}

void RecordingRenderer::SetVertexShaderConstants(int32_t firstRegister, const float* values,
                                                 int32_t registerCount) {
  Record("SetVertexShaderConstants " + Number(firstRegister) + " " + Number(registerCount));
  for (int32_t i = 0; i < registerCount; ++i) {
    for (int32_t k = 0; k < 4; ++k) {
      vertexConstants[static_cast<size_t>(firstRegister + i)][static_cast<size_t>(k)] =
          values[i * 4 + k];
    }
  }
}

void RecordingRenderer::SetPixelShader(PixelShader* shader) {
  Record(std::string("SetPixelShader ") + (shader != nullptr ? "shader" : "null"));
}

void RecordingRenderer::SetPixelShaderConstants(int32_t firstRegister, const float*,
                                                int32_t registerCount) {
  Record("SetPixelShaderConstants " + Number(firstRegister) + " " + Number(registerCount));
}

void RecordingRenderer::SetTexCoordStream(Buffer* buffer, int32_t set) {
  Record("SetTexCoordStream " + NameOf(buffer) + " " + Number(set));
}

void RecordingRenderer::SetColorStream(ColorBuffer* buffer) {
  Record("SetColorStream " + NameOf(buffer));
}

void RecordingRenderer::SetPositionStream(Buffer* buffer) {
  Record("SetPositionStream " + NameOf(buffer));
}

void RecordingRenderer::SetPointSizeStream(FloatBuffer* buffer) {
  Record("SetPointSizeStream " + NameOf(buffer));
}

void RecordingRenderer::SetNormalStream(Vector3Buffer* buffer) {
  Record("SetNormalStream " + NameOf(buffer));
}

void RecordingRenderer::SetBlendWeightStream(Vector4Buffer* buffer) {
  Record("SetBlendWeightStream " + NameOf(buffer));
}

void RecordingRenderer::SetBlendIndexStream(Vector4Buffer* buffer) {
  Record("SetBlendIndexStream " + NameOf(buffer));
}

void RecordingRenderer::SetIndexBuffer(IntBuffer* buffer) {
  Record("SetIndexBuffer " + NameOf(buffer));
}

void RecordingRenderer::ApplyPass(Pass* pass) {
  Record(pass->GetBinding().changed ? "ApplyPass dirty" : "ApplyPass clean");
  pass->GetBinding().changed = false;
}

void RecordingRenderer::AbandonPass(Pass*) { Record("AbandonPass pass"); }

int32_t RecordingRenderer::DrawIndexed() {
  Record("DrawIndexed " + NameOf(GetCurrentGeometry()));
  return 0;
}

int32_t RecordingRenderer::DrawIndexedSkinned(Buffer* positions, IntBuffer*, Vector4Buffer*,
                                              Vector4Buffer*) {
  Record("DrawIndexedSkinned " + NameOf(positions));
  return 0;
}

int32_t RecordingRenderer::Draw(int32_t primitiveCount) {
  Record("Draw " + Number(primitiveCount));
  return 0;
}

int32_t RecordingRenderer::Clear(int32_t flags, const Color& color, float, int32_t) {
  Record("Clear " + Number(flags));
  if ((flags & CLEAR_COLOR) != 0) clearColor = color;
  return 0;
}

int32_t RecordingRenderer::BeginScene() {
  Record("BeginScene");
  return beginSceneResult;
}

int32_t RecordingRenderer::EndSceneAndPresent() {
  Record("EndSceneAndPresent");
  return 0;
}

void RecordingRenderer::SetWorldMatrix(const Matrix4& matrix) {
  Record("SetWorldMatrix");
  world = matrix;
}

void RecordingRenderer::SetViewMatrix(const Matrix4& matrix) {
  Record("SetViewMatrix");
  view = matrix;
}

void RecordingRenderer::SetProjectionMatrix(const Matrix4& matrix) {
  Record("SetProjectionMatrix");
  projection = matrix;
}

void RecordingRenderer::GetTextureMatrix(Matrix4& out, int32_t) { out = Matrix4::Identity(); }

void RecordingRenderer::SetTextureMatrix(int32_t stage, const Matrix4&) {
  Record("SetTextureMatrix " + Number(stage));
}

void RecordingRenderer::PushLight(Light* light) { Record("PushLight " + NameOf(light)); }

void RecordingRenderer::PopLight() { Record("PopLight"); }

void RecordingRenderer::BeginRenderToCubeFace(int32_t face, CubeTexture* texture) {
  Record("BeginRenderToCubeFace " + Number(face) + " " + NameOf(texture));
}

void RecordingRenderer::BeginRenderToTexture(Texture* texture) {
  Record("BeginRenderToTexture " + NameOf(texture));
}

void RecordingRenderer::BeginRenderToDepthTexture(Texture* texture, float, float) {
  Record("BeginRenderToDepthTexture " + NameOf(texture));
}

void RecordingRenderer::SetViewport(const Vector2&, const Vector2&) { Record("SetViewport"); }

void RecordingRenderer::SetBrightness(int32_t level) { Record("SetBrightness " + Number(level)); }

}  // namespace ynx::test
