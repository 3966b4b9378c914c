#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/render/Renderer.h"

namespace ynx::test {

// A renderer without a device: every operation a device would carry out is
// recorded as one line ("SetTexture stone 0"), objects by name ("null" for
// none), passes as "pass", and vertex constants land in a register file.
// ApplyPass records whether the pass was dirty ("ApplyPass dirty") and
// then takes it as recorded.
class RecordingRenderer : public Renderer {
 public:
  RecordingRenderer();

  void SetCapabilities(int32_t vertexLevel, int32_t pixelLevel, int32_t textureStages,
                       int32_t lightCount = 8);
  void AddMode(const DisplayModeDesc& mode) { modes.push_back(mode); }
  // The lines recorded since the last call.
  std::vector<std::string> TakeCalls();

  std::vector<std::string> calls;
  int32_t beginSceneResult = 0;
  std::array<std::array<float, 4>, 256> vertexConstants{};

  int32_t CreateDevice(int32_t modeIndex, const String& title, uint64_t parentWindow, int32_t x,
                       int32_t y, int32_t width, int32_t height) override;
  int32_t ReleaseDevice() override;
  void ReleaseBinding(RendererBinding& binding) override;
  void ReleaseBuffer(Buffer* buffer) override;
  void ReleaseTexture(BaseTexture* texture) override;
  void ReleaseShader(Shader* shader) override;
  void ReleasePass(Pass* pass) override;
  void ReleaseQuery(OcclusionQuery* query) override;
  void BeginQuery(OcclusionQuery* query) override;
  void EndQuery(OcclusionQuery* query) override;
  void SetTexture(BaseTexture* texture, int32_t stage) override;
  void SetVertexShader(VertexShader* shader) override;
  void SetVertexShaderConstants(int32_t firstRegister, const float* values,
                                int32_t registerCount) override;
  void SetPixelShader(PixelShader* shader) override;
  void SetPixelShaderConstants(int32_t firstRegister, const float* values,
                               int32_t registerCount) override;
  void SetTexCoordStream(Buffer* buffer, int32_t set) override;
  void SetColorStream(ColorBuffer* buffer) override;
  void SetPositionStream(Buffer* buffer) override;
  void SetPointSizeStream(FloatBuffer* buffer) override;
  void SetNormalStream(Vector3Buffer* buffer) override;
  void SetBlendWeightStream(Vector4Buffer* buffer) override;
  void SetBlendIndexStream(Vector4Buffer* buffer) override;
  void SetIndexBuffer(IntBuffer* buffer) override;
  void ApplyPass(Pass* pass) override;
  void AbandonPass(Pass* pass) override;
  int32_t DrawIndexed() override;
  int32_t DrawIndexedSkinned(Buffer* positions, IntBuffer* indices, Vector4Buffer* blendWeights,
                             Vector4Buffer* blendIndices) override;
  int32_t Draw(int32_t primitiveCount) override;
  int32_t Clear(int32_t flags, const Color& color, float depth, int32_t stencil) override;
  int32_t BeginScene() override;
  int32_t EndSceneAndPresent() override;
  void GetWorldMatrix(Matrix4& out) override { out = world; }
  void SetWorldMatrix(const Matrix4& matrix) override;
  void GetViewMatrix(Matrix4& out) override { out = view; }
  void SetViewMatrix(const Matrix4& matrix) override;
  void GetProjectionMatrix(Matrix4& out) override { out = projection; }
  void SetProjectionMatrix(const Matrix4& matrix) override;
  void GetTextureMatrix(Matrix4& out, int32_t stage) override;
  void SetTextureMatrix(int32_t stage, const Matrix4& matrix) override;
  void PushLight(Light* light) override;
  void PopLight() override;
  void BeginRenderToCubeFace(int32_t face, CubeTexture* texture) override;
  void BeginRenderToTexture(Texture* texture) override;
  void BeginRenderToDepthTexture(Texture* texture, float depthBias, float slopeBias) override;
  int32_t GetViewportWidth() override { return 640; }
  int32_t GetViewportHeight() override { return 480; }
  void SetViewport(const Vector2& origin, const Vector2& size) override;
  void SetBrightness(int32_t level) override;

  Matrix4 world = Matrix4::Identity();
  Matrix4 view = Matrix4::Identity();
  Matrix4 projection = Matrix4::Identity();

 private:
  void Record(const std::string& line) { calls.push_back(line); }
};

}  // namespace ynx::test
