#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/HashMap.h"
#include "engine/render/Pass.h"
#include "engine/render/Renderer.h"
#include "modules/d3d9/D3D9DeviceCopies.h"
#include "platform/d3d9/device/ComPtr.h"
#include "platform/d3d9/device/D3D9Types.h"
#include "platform/d3d9/device/Device.h"
#include "platform/d3d9/device/Direct3D9.h"

namespace ynx {

class RenderStateBlock;
struct TextureStageState;

// The renderer on a Direct3D 9 device. Device copies of buffers, textures,
// shaders and queries are made at their first use and kept behind the
// objects' bindings, each registered under its object's ID so that all of
// them can go at once when the device goes or is lost. A pass is recorded
// once, at its first draw, into a device state block and a vertex layout,
// and replayed afterwards; its stream operations still bind each draw's
// own buffers where the layout expects them.
//
// The sources are split by concern: the device, modes and frame here; the
// device copies and render targets in D3D9RendererResources.cpp; the
// render-state translation in D3D9RendererStates.cpp; passes, vertex
// layouts and draws in D3D9RendererDraw.cpp.
class D3D9Renderer final : public Renderer {
 public:
  // Enumerates the display modes; without Direct3D the renderer has none
  // and every device operation fails.
  D3D9Renderer();
  // Closes an open window first.
  ~D3D9Renderer() override;

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
  // 1 when the device is lost (every device copy is released) or fails.
  int32_t BeginScene() override;
  int32_t EndSceneAndPresent() override;
  void GetWorldMatrix(Matrix4& out) override;
  void SetWorldMatrix(const Matrix4& matrix) override;
  void GetViewMatrix(Matrix4& out) override;
  void SetViewMatrix(const Matrix4& matrix) override;
  void GetProjectionMatrix(Matrix4& out) override;
  void SetProjectionMatrix(const Matrix4& matrix) override;
  void GetTextureMatrix(Matrix4& out, int32_t stage) override;
  void SetTextureMatrix(int32_t stage, const Matrix4& matrix) override;
  void PushLight(Light* light) override;
  void PopLight() override;
  void BeginRenderToCubeFace(int32_t face, CubeTexture* texture) override;
  void BeginRenderToTexture(Texture* texture) override;
  void BeginRenderToDepthTexture(Texture* texture, float depthBias, float slopeBias) override;
  int32_t GetViewportWidth() override;
  int32_t GetViewportHeight() override;
  void SetViewport(const Vector2& origin, const Vector2& size) override;
  void SetBrightness(int32_t level) override;
  Ptr<Image> CaptureFrame() override;

  // For tools and tests: the device (null while there is none) and the
  // device copies registered.
  IDirect3DDevice9* GetDevice() const { return device.Get(); }
  uint32_t GetResourceCount() const { return resources.Count(); }

 private:
  // One active redirection of drawing into a texture: what was drawn into
  // before. A redirection that could not begin leaves a marker, so that
  // its end pops the marker and not the redirection before it.
  struct Target {
    ComPtr<IDirect3DBaseTexture9> texture;
    ComPtr<IDirect3DSurface9> color;
    ComPtr<IDirect3DSurface9> depth;
    bool marker = true;
  };

  // --- The device and the frame (D3D9Renderer.cpp) ---
  void EnumerateModes();
  void ReadCapabilities(D3DFORMAT adapterFormat);
  void SetTransform(D3DTRANSFORMSTATETYPE type, const Matrix4& matrix);
  void GetTransform(D3DTRANSFORMSTATETYPE type, Matrix4& out);
  // Lighting and specular highlights together, as lights need them.
  void SetLighting(bool on);

  // --- Device copies (D3D9RendererResources.cpp) ---
  template <typename Copy>
  Copy* CopyOf(RendererBinding& binding) const {
    return binding.owner.Get() == this ? static_cast<Copy*>(binding.rendererData) : nullptr;
  }
  // Puts the copy behind the binding and registers it; false (the copy
  // deleted) when its ID is taken.
  bool Attach(RendererBinding& binding, DeviceCopy* copy);
  // Forgets what points at the copy and deletes it.
  void Drop(DeviceCopy* copy);
  // Every device copy, every redirection, every cached layout.
  void ReleaseAll();
  // The device buffer of a vertex stream, made and uploaded as needed;
  // null when it cannot be.
  IDirect3DVertexBuffer9* PrepareVertexBuffer(Buffer& buffer, bool packedColors);
  BufferCopy* PrepareIndexBuffer(IntBuffer& buffer);
  // A texture to sample: plain 2D or cube, or a render target as it is.
  IDirect3DBaseTexture9* PrepareTexture(BaseTexture& texture);
  TextureCopy* MakeTexture(BaseTexture& texture, int32_t requestedLevels);
  bool UploadTexture(BaseTexture& texture, TextureCopy& copy);
  // A render-target or depth texture for a redirection into it.
  TextureCopy* PrepareTarget(BaseTexture& texture, DWORD usage, bool ownDepth);
  DeviceShader* PrepareShader(Shader& shader, bool pixel);
  bool IsTarget(const IDirect3DBaseTexture9* texture) const;
  // Pushes a marker when the redirection cannot begin.
  void BeginRedirection(BaseTexture& texture, DWORD usage, int32_t face, bool ownDepth);
  void EndRedirection();
  void ReportOnce(const Object& object, const char* format);

  // --- Render states (D3D9RendererStates.cpp) ---
  void TranslateStates(const RenderStateBlock& block);
  void TranslateStage(DWORD stage, const TextureStageState& state);
  void SetState(D3DRENDERSTATETYPE state, DWORD value);
  void SetFloatState(D3DRENDERSTATETYPE state, float value);

  // --- Passes and drawing (D3D9RendererDraw.cpp) ---
  // One stream operation: records its element while the pass records,
  // otherwise binds the buffer where the recorded layout expects it.
  void BindStream(Buffer* buffer, D3DDECLTYPE type, D3DDECLUSAGE usage, int32_t usageIndex,
                  bool packedColors = false);
  // A position or texture-coordinate element's type from the buffer's
  // class; false for a class that is neither.
  static bool VectorType(const Buffer* buffer, D3DDECLTYPE& type);
  // Ends the recording that ApplyPass began and drops it.
  void DiscardRecording();
  // Ends the pass's recording into its copies (at its first draw) and sets
  // its layout; false when the pass has no layout to draw with.
  bool CommitPass();
  // Whether the bound streams hold `vertices` vertices and every stream
  // the layout reads.
  bool StreamsHold(uint64_t vertices) const;
  IDirect3DVertexDeclaration9* SkinLayout(D3DDECLTYPE positions, bool weights, bool indices);

  ComPtr<IDirect3D9> d3d;
  ComPtr<IDirect3DDevice9> device;
  D3DPRESENT_PARAMETERS presentParams = {};
  D3DFORMAT depthFormat = D3DFMT_UNKNOWN;
  bool index32 = false;
  HashMap<int32_t, RendererBinding*> resources;
  std::vector<Target> targets;

  // The pass being drawn. While it records, the elements of its layout and
  // the streams its operations fed are collected, and the pass is held so
  // that the recording can be stored in it at the first draw.
  Pass* appliedPass = nullptr;
  Ptr<Pass> recordingPass;
  bool blockRecording = false;
  std::vector<D3DVERTEXELEMENT9> elements;
  std::vector<LayoutCopy::Slot> recordedSlots;
  const LayoutCopy* replayLayout = nullptr;
  ComPtr<IDirect3DVertexDeclaration9> layout;
  // What the pass's operations bound so far, for the checks before a draw.
  int32_t streamOperations = 0;
  uint32_t streamsBound = 0;
  uint32_t streamsNeeded = 0;
  uint64_t vertexLimit = 0;
  bool hasPositions = false;
  IntBuffer* boundIndexBuffer = nullptr;
  const BufferCopy* boundIndices = nullptr;
  ComPtr<IDirect3DVertexDeclaration9> skinLayouts[4][2][2];
  // Objects whose bad data was logged, so that a frame loop logs it once.
  std::vector<int32_t> reported;
};

}  // namespace ynx
