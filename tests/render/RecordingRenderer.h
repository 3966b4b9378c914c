#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/render/CubeTexture.h"
#include "engine/render/OcclusionQuery.h"
#include "engine/render/Pass.h"
#include "engine/render/PixelShader.h"
#include "engine/render/Renderer.h"
#include "engine/render/Texture.h"
#include "engine/render/VertexShader.h"
#include "engine/scene/ColorBuffer.h"
#include "engine/scene/FloatBuffer.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Light.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"

namespace ynx::test {

// A renderer without a device: each operation a device would carry out is
// recorded as one line ("SetTexture stone 0"; an object by its name, else
// its type, "null" for none), and vertex and pixel constants land in
// register files. ApplyPass records whether the pass was dirty ("ApplyPass dirty")
// and then takes it as recorded.
class RecordingRenderer : public Renderer {
 public:
  void SetCapabilities(int32_t vertexLevel, int32_t pixelLevel, int32_t textureStages,
                       int32_t lights = 8) {
    vertexShaderLevel = vertexLevel;
    pixelShaderLevel = pixelLevel;
    maxTextureStages = textureStages;
    maxLights = lights;
  }
  void SetPointSprites(bool on) { hasPointSprites = on; }
  void SetDepthTextures(bool on) { hasDepthTextures = on; }
  void AddMode(const DisplayModeDesc& mode) { modes.push_back(mode); }
  std::vector<std::string> TakeCalls() { return std::exchange(calls, {}); }

  std::vector<std::string> calls;
  int32_t beginSceneResult = 0;
  std::array<std::array<float, 4>, 256> vertexConstants{};
  std::array<std::array<float, 4>, 32> pixelConstants{};

  int32_t CreateDevice(int32_t mode, const String&, uint64_t, int32_t, int32_t, int32_t,
                       int32_t) override {
    return Record("CreateDevice", mode), 0;
  }
  int32_t ReleaseDevice() override { return Record("ReleaseDevice"), 0; }
  void ReleaseBinding(RendererBinding& binding) override {
    Record("ReleaseBinding");
    binding.Reset();
  }
  void ReleaseBuffer(Buffer* buffer) override { Record("ReleaseBuffer", buffer); }
  void ReleaseTexture(BaseTexture* texture) override { Record("ReleaseTexture", texture); }
  void ReleaseShader(Shader* shader) override { Record("ReleaseShader", shader); }
  void ReleasePass(Pass*) override { Record("ReleasePass"); }
  void ReleaseQuery(OcclusionQuery* query) override { Record("ReleaseQuery", query); }
  void BeginQuery(OcclusionQuery* query) override { Record("BeginQuery", query); }
  void EndQuery(OcclusionQuery* query) override { Record("EndQuery", query); }
  void SetTexture(BaseTexture* texture, int32_t stage) override {
    Record("SetTexture", texture, stage);
  }
  void SetVertexShader(VertexShader* shader) override { Record("SetVertexShader", shader); }
  void SetVertexShaderConstants(int32_t first, const float* values, int32_t count) override;
  void SetPixelShader(PixelShader* shader) override { Record("SetPixelShader", shader); }
  void SetPixelShaderConstants(int32_t first, const float* values, int32_t count) override;
  void SetTexCoordStream(Buffer* buffer, int32_t set) override {
    Record("SetTexCoordStream", buffer, set);
  }
  void SetColorStream(ColorBuffer* buffer) override { Record("SetColorStream", buffer); }
  void SetPositionStream(Buffer* buffer) override { Record("SetPositionStream", buffer); }
  void SetPointSizeStream(FloatBuffer* buffer) override { Record("SetPointSizeStream", buffer); }
  void SetNormalStream(Vector3Buffer* buffer) override { Record("SetNormalStream", buffer); }
  void SetBlendWeightStream(Vector4Buffer* buffer) override {
    Record("SetBlendWeightStream", buffer);
  }
  void SetBlendIndexStream(Vector4Buffer* buffer) override {
    Record("SetBlendIndexStream", buffer);
  }
  void SetIndexBuffer(IntBuffer* buffer) override { Record("SetIndexBuffer", buffer); }
  void ApplyPass(Pass* pass) override {
    Record(pass->GetBinding().changed ? "ApplyPass dirty" : "ApplyPass clean");
    pass->GetBinding().changed = false;
  }
  void AbandonPass(Pass*) override { Record("AbandonPass"); }
  int32_t DrawIndexed() override { return Record("DrawIndexed", GetCurrentGeometry()), 0; }
  int32_t DrawIndexedSkinned(Buffer* positions, IntBuffer*, Vector4Buffer*,
                             Vector4Buffer*) override {
    return Record("DrawIndexedSkinned", positions), 0;
  }
  int32_t Draw(int32_t primitives) override { return Record("Draw", primitives), 0; }
  int32_t Clear(int32_t flags, const Color&, float, int32_t) override {
    return Record("Clear", flags), 0;
  }
  int32_t BeginScene() override { return Record("BeginScene"), beginSceneResult; }
  int32_t EndSceneAndPresent() override { return Record("EndSceneAndPresent"), 0; }
  void GetWorldMatrix(Matrix4& out) override { out = Matrix4::Identity(); }
  void SetWorldMatrix(const Matrix4&) override { Record("SetWorldMatrix"); }
  void GetViewMatrix(Matrix4& out) override { out = Matrix4::Identity(); }
  void SetViewMatrix(const Matrix4&) override { Record("SetViewMatrix"); }
  void GetProjectionMatrix(Matrix4& out) override { out = Matrix4::Identity(); }
  void SetProjectionMatrix(const Matrix4&) override { Record("SetProjectionMatrix"); }
  void GetTextureMatrix(Matrix4& out, int32_t) override { out = Matrix4::Identity(); }
  void SetTextureMatrix(int32_t stage, const Matrix4&) override {
    Record("SetTextureMatrix", stage);
  }
  void PushLight(Light* light) override { Record("PushLight", light); }
  void PopLight() override { Record("PopLight"); }
  void BeginRenderToCubeFace(int32_t face, CubeTexture* texture) override {
    Record("BeginRenderToCubeFace", face, texture);
  }
  void BeginRenderToTexture(Texture* texture) override { Record("BeginRenderToTexture", texture); }
  void BeginRenderToDepthTexture(Texture* texture, float, float) override {
    Record("BeginRenderToDepthTexture", texture);
  }
  int32_t GetViewportWidth() override { return 640; }
  int32_t GetViewportHeight() override { return 480; }
  void SetViewport(const Vector2&, const Vector2&) override { Record("SetViewport"); }
  void SetBrightness(int32_t level) override { Record("SetBrightness", level); }
  Ptr<Image> CaptureFrame() override { return nullptr; }

 private:
  static std::string Text(const Object* object);
  static std::string Text(int32_t value) { return std::to_string(value); }
  template <typename... Arguments>
  void Record(const char* operation, const Arguments&... arguments) {
    std::string line = operation;
    ((line += " " + Text(arguments)), ...);
    calls.push_back(line);
  }
};

}  // namespace ynx::test
