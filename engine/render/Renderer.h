#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/core/RendererBinding.h"
#include "engine/core/String.h"
#include "engine/io/Image.h"
#include "engine/math/Color.h"
#include "engine/math/Matrix4.h"
#include "engine/math/Vector2.h"
#include "engine/math/Vector3.h"
#include "engine/render/DisplayModeDesc.h"
#include "engine/scene/SceneRenderer.h"
#include "engine/system/SystemWindow.h"

namespace ynx {

class BaseTexture;
class Buffer;
class Camera;
class ColorBuffer;
class CubeTexture;
class FloatBuffer;
class GeometryNode;
class IntBuffer;
class Light;
class Module;
class OcclusionQuery;
class Pass;
class PixelShader;
class PostUpdateController;
class Shader;
class Texture;
class Vector3Buffer;
class Vector4Buffer;
class VertexShader;

// What a renderer counts per frame, from BeginFrame on: for tools and tests.
struct RenderStats {
  int32_t draws = 0;
  // Passes whose state was recorded anew (first use, or changed).
  int32_t passesRecorded = 0;
  // Buffers and textures whose contents went to the device.
  int32_t uploads = 0;
  // Device objects made (buffers, textures, shaders, recordings, layouts).
  int32_t deviceObjectsCreated = 0;
};

// All drawing goes through one renderer: it owns the output window and the
// device, lists the display modes, holds the current camera, geometry and
// pass, and offers the virtual operations that effects, passes and nodes
// use. Objects with a device copy carry a binding that the renderer fills
// at first use and releases at once when the device goes.
//
// Matrices are row-major with row vectors, as Matrix4 is.
class Renderer : public BindingOwner, public SceneRenderer {
 public:
  // Shader levels as the capability fields hold them.
  static constexpr int32_t SHADER_1 = 0;  // vertex 1.1, pixel 1.1 to 1.4
  static constexpr int32_t SHADER_2 = 1;
  static constexpr int32_t SHADER_3 = 2;
  static constexpr int32_t SHADER_NONE = 4;
  // Clear flags.
  static constexpr int32_t CLEAR_COLOR = 1;
  static constexpr int32_t CLEAR_DEPTH = 2;
  static constexpr int32_t CLEAR_STENCIL = 4;

  ~Renderer() override;

  // The one current renderer, or null.
  static Renderer* GetCurrent();
  // Takes a reference; null empties the slot. The current renderer is where
  // post-update controllers queue themselves, and its camera is where
  // positional sounds are heard from.
  static void SetCurrent(Renderer* renderer);

  // --- The device, its resources and drawing (implemented per device) ---

  virtual int32_t CreateDevice(int32_t modeIndex, const String& title, uint64_t parentWindow,
                               int32_t x, int32_t y, int32_t width, int32_t height) = 0;
  virtual int32_t ReleaseDevice() = 0;
  virtual void ReleaseBuffer(Buffer* buffer) = 0;
  virtual void ReleaseTexture(BaseTexture* texture) = 0;
  virtual void ReleaseShader(Shader* shader) = 0;
  // The recording of the pass's state block, then its vertex layout.
  virtual void ReleasePass(Pass* pass) = 0;
  virtual void ReleaseQuery(OcclusionQuery* query) = 0;
  virtual void BeginQuery(OcclusionQuery* query) = 0;
  // Waits for the count of visible pixels and stores it in the query.
  virtual void EndQuery(OcclusionQuery* query) = 0;
  // Null unbinds the stage.
  virtual void SetTexture(BaseTexture* texture, int32_t stage) = 0;
  virtual void SetVertexShader(VertexShader* shader) = 0;
  virtual void SetVertexShaderConstants(int32_t firstRegister, const float* values,
                                        int32_t registerCount) = 0;
  virtual void SetPixelShader(PixelShader* shader) = 0;
  virtual void SetPixelShaderConstants(int32_t firstRegister, const float* values,
                                       int32_t registerCount) = 0;
  virtual void SetTexCoordStream(Buffer* buffer, int32_t set) = 0;
  virtual void SetColorStream(ColorBuffer* buffer) = 0;
  virtual void SetPositionStream(Buffer* buffer) = 0;
  virtual void SetPointSizeStream(FloatBuffer* buffer) = 0;
  virtual void SetNormalStream(Vector3Buffer* buffer) = 0;
  virtual void SetBlendWeightStream(Vector4Buffer* buffer) = 0;
  virtual void SetBlendIndexStream(Vector4Buffer* buffer) = 0;
  virtual void SetIndexBuffer(IntBuffer* buffer) = 0;
  // The pass's render state, and its vertex layout made ready.
  virtual void ApplyPass(Pass* pass) = 0;
  // After ApplyPass, for a pass whose Apply refused: whatever ApplyPass
  // began for it is ended without drawing.
  virtual void AbandonPass(Pass* pass) = 0;
  int32_t DrawIndexed() override = 0;
  virtual int32_t DrawIndexedSkinned(Buffer* positions, IntBuffer* indices,
                                     Vector4Buffer* blendWeights, Vector4Buffer* blendIndices) = 0;
  // From vertex 0; 0 only commits the vertex layout.
  virtual int32_t Draw(int32_t primitiveCount) = 0;
  virtual int32_t Clear(int32_t flags, const Color& color, float depth, int32_t stencil) = 0;
  // 1 when the device is lost.
  virtual int32_t BeginScene() = 0;
  virtual int32_t EndSceneAndPresent() = 0;
  virtual void GetWorldMatrix(Matrix4& out) = 0;
  virtual void SetWorldMatrix(const Matrix4& matrix) = 0;
  virtual void GetViewMatrix(Matrix4& out) = 0;
  virtual void SetViewMatrix(const Matrix4& matrix) = 0;
  virtual void GetProjectionMatrix(Matrix4& out) = 0;
  virtual void SetProjectionMatrix(const Matrix4& matrix) = 0;
  virtual void GetTextureMatrix(Matrix4& out, int32_t stage) = 0;
  // The identity switches the stage's transform off.
  virtual void SetTextureMatrix(int32_t stage, const Matrix4& matrix) = 0;
  // The caller appends the light to the light list first: its slot is the
  // list's count minus one. The first light switches lighting on.
  virtual void PushLight(Light* light) = 0;
  // The caller removed the top entry first: the slot is the new count.
  virtual void PopLight() = 0;
  // Null ends the innermost redirection.
  virtual void BeginRenderToCubeFace(int32_t face, CubeTexture* texture) = 0;
  virtual void BeginRenderToTexture(Texture* texture) = 0;
  virtual void BeginRenderToDepthTexture(Texture* texture, float depthBias, float slopeBias) = 0;
  virtual int32_t GetViewportWidth() = 0;
  virtual int32_t GetViewportHeight() = 0;
  // Truncated to whole pixels; depth range 0..1.
  virtual void SetViewport(const Vector2& origin, const Vector2& size) = 0;
  virtual void SetBrightness(int32_t level) = 0;
  // What has been drawn into the back buffer so far, as an RGB image with
  // its bottom row first (as images are); null when it cannot be read.
  virtual Ptr<Image> CaptureFrame() = 0;

  // --- What every renderer does the same way ---

  // Closes an open window, makes one for the mode (full screen: the mode's
  // size at 0, 0) and the device on it. 3 for a mode that is not listed.
  int32_t Open(int32_t modeIndex, const String& title, uint64_t parentWindow, int32_t x,
               int32_t y, int32_t width, int32_t height);
  // 3 when no window is open.
  int32_t Close();

  Camera* GetCamera() const override { return camera.Get(); }
  // Every plane of the camera is tested again.
  void SetCamera(Camera* value);
  void SetCurrentGeometry(GeometryNode* node) override;
  GeometryNode* GetCurrentGeometry() const { return currentGeometry.Get(); }
  Pass* GetCurrentPass() const { return currentPass; }
  void SetCurrentPass(Pass* pass) { currentPass = pass; }
  void EnqueueSorted(GeometryNode* node) override;
  void FlushSorted() override;
  void PopLights() override;
  // Lights pushed for the current pass; see PushLight.
  std::vector<Light*>& GetLights() { return lights; }
  // Lists the controller for the next BeginFrame unless it is listed;
  // returns its place in the list.
  int32_t AddPostUpdate(PostUpdateController* controller);
  // Camera, BeginScene, the post-updates, the listener. Non-zero (a lost
  // device) ends the frame loop.
  int32_t BeginFrame();
  // The sorted nodes, then the frame is shown.
  int32_t EndFrame();

  const std::vector<DisplayModeDesc>& GetModes() const { return modes; }
  // Index of the full-screen mode the desktop runs in, or -1.
  int32_t GetDesktopMode() const { return desktopMode; }
  WindowHandle GetWindow() const { return window; }
  int32_t GetWindowX() const { return windowX; }
  int32_t GetWindowY() const { return windowY; }
  int32_t GetWidth() const { return width; }
  int32_t GetHeight() const { return height; }
  bool IsFullscreen() const { return fullscreen; }
  int32_t GetColorBits() const { return colorBits; }
  int32_t GetAlphaBits() const { return alphaBits; }
  int32_t GetDepthBits() const { return depthBits; }
  int32_t GetStencilBits() const { return stencilBits; }
  int32_t GetSamples() const { return samples; }
  int32_t GetMaxTextureStages() const { return maxTextureStages; }
  int32_t GetMaxLights() const { return maxLights; }
  int32_t GetVertexShaderLevel() const { return vertexShaderLevel; }
  int32_t GetPixelShaderLevel() const { return pixelShaderLevel; }
  // Both shader levels present.
  bool HasShaders() const {
    return vertexShaderLevel != SHADER_NONE && pixelShaderLevel != SHADER_NONE;
  }
  // The level a vertex and a pixel program run at together: the lower of
  // the two, since a pair must agree on its interpolants and the pixel
  // side's constants; SHADER_NONE unless both exist.
  int32_t GetProgramLevel() const {
    return HasShaders() ? std::min(vertexShaderLevel, pixelShaderLevel) : SHADER_NONE;
  }
  bool HasPointSprites() const { return hasPointSprites; }
  bool HasDepthTextures() const { return hasDepthTextures; }
  const Color& GetClearColor() const { return clearColor; }
  Module* GetModule() const { return module.Get(); }
  void SetModule(Module* value);
  // Since the last BeginFrame.
  const RenderStats& GetStats() const { return stats; }

 protected:
  Renderer();

  std::vector<DisplayModeDesc> modes;
  int32_t desktopMode = -1;
  WindowHandle window = 0;
  int32_t windowX = 0;
  int32_t windowY = 0;
  int32_t width = 0;
  int32_t height = 0;
  bool fullscreen = false;
  int32_t colorBits = 0;
  int32_t alphaBits = 0;
  int32_t depthBits = 0;
  int32_t stencilBits = 0;
  int32_t samples = 1;
  int32_t maxTextureStages = 0;
  int32_t maxLights = 0;
  int32_t vertexShaderLevel = SHADER_NONE;
  int32_t pixelShaderLevel = SHADER_NONE;
  bool hasPointSprites = false;
  bool hasDepthTextures = false;
  Color clearColor{0.0f, 0.0f, 0.0f, 1.0f};
  RenderStats stats;

 private:
  struct SortedNode {
    Ptr<GeometryNode> node;
    float key;
  };

  Ptr<Module> module;
  Ptr<Camera> camera;
  Ptr<GeometryNode> currentGeometry;
  Pass* currentPass = nullptr;
  std::vector<Light*> lights;
  std::vector<PostUpdateController*> postUpdates;
  std::vector<SortedNode> sortedQueue;
  // The queue being drawn by FlushSorted, kept to reuse its memory.
  std::vector<SortedNode> flushing;
};

// Loads the renderer module `name`, creates its renderer and makes it the
// current one. 0; 3 when the module or its CreateRenderer is missing; 1
// when creation fails.
int32_t CreateRendererFromModule(const String& name);
// Drops the current renderer; it goes with its last reference. Always 0.
int32_t ReleaseRenderer();

}  // namespace ynx
