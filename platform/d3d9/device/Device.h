#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>

#include "platform/d3d9/device/ComPtr.h"
#include "platform/d3d9/device/CubeTexture.h"
#include "platform/d3d9/device/DeviceState.h"
#include "platform/d3d9/device/Query.h"
#include "platform/d3d9/device/Surface.h"
#include "platform/d3d9/device/Texture.h"

namespace ynx {

class IDirect3D9;
class IDirect3DStateBlock9;
struct StateMask;

// The Direct3D 9 device, drawn with OpenGL 4.5 core on an SDL window. The
// back buffer is an offscreen framebuffer like any render target, so that
// reads and target switches are uniform; Present copies it to the window.
// A stage without a shader draws with a generated fixed-function program;
// either kind pairs with the other.
class IDirect3DDevice9 final : public IUnknown {
 public:
  using MessageSink = std::function<void(const std::string&)>;

  // Creates a device on `window` (SDL window ID) as IDirect3D9::CreateDevice
  // asks; fills in what the parameters leave to the device.
  static HRESULT Create(IDirect3D9* direct3d, HWND window, D3DPRESENT_PARAMETERS& parameters, MessageSink sink,
                        IDirect3DDevice9** out);

  // Messages about failures that have no result code of their own (a
  // shader that does not build, a draw that cannot happen).
  void SetMessageSink(MessageSink sink) { this->sink = std::move(sink); }
  // Test hook: the device behaves as lost until Reset.
  void SimulateDeviceLost() { simulatedLoss = true; }

  HRESULT TestCooperativeLevel();
  HRESULT GetDirect3D(IDirect3D9** out);
  HRESULT GetDeviceCaps(D3DCAPS9* caps);
  HRESULT GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode);
  HRESULT Reset(D3DPRESENT_PARAMETERS* parameters);
  HRESULT Present(const RECT* source, const RECT* destination, HWND overrideWindow, const void* dirtyRegion);
  HRESULT GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** out);
  void SetGammaRamp(UINT swapChain, DWORD flags, const D3DGAMMARAMP* ramp);
  void GetGammaRamp(UINT swapChain, D3DGAMMARAMP* ramp);

  HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                        IDirect3DTexture9** out, HANDLE* shared);
  HRESULT CreateCubeTexture(UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                            IDirect3DCubeTexture9** out, HANDLE* shared);
  HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** out,
                             HANDLE* shared);
  HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DIndexBuffer9** out,
                            HANDLE* shared);
  HRESULT CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                             DWORD quality, BOOL lockable, IDirect3DSurface9** out, HANDLE* shared);
  HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                    DWORD quality, BOOL discard, IDirect3DSurface9** out, HANDLE* shared);
  HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DSurface9** out, HANDLE* shared);
  HRESULT UpdateTexture(IDirect3DBaseTexture9* source, IDirect3DBaseTexture9* destination);
  HRESULT GetRenderTargetData(IDirect3DSurface9* renderTarget, IDirect3DSurface9* destination);

  HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface);
  HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** out);
  HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface);
  HRESULT GetDepthStencilSurface(IDirect3DSurface9** out);

  HRESULT BeginScene();
  HRESULT EndScene();
  HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil);

  HRESULT SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix);
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX* matrix);
  HRESULT SetViewport(const D3DVIEWPORT9* viewport);
  HRESULT GetViewport(D3DVIEWPORT9* viewport);
  HRESULT SetMaterial(const D3DMATERIAL9* material);
  HRESULT GetMaterial(D3DMATERIAL9* material);
  HRESULT SetLight(DWORD index, const D3DLIGHT9* light);
  HRESULT GetLight(DWORD index, D3DLIGHT9* light);
  HRESULT LightEnable(DWORD index, BOOL enable);
  HRESULT GetLightEnable(DWORD index, BOOL* enable);
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
  HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value);
  HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
  HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value);
  HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value);
  HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value);
  HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture);
  HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture9** out);

  HRESULT CreateStateBlock(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** out);
  HRESULT BeginStateBlock();
  HRESULT EndStateBlock(IDirect3DStateBlock9** out);

  HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements, IDirect3DVertexDeclaration9** out);
  HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration);
  HRESULT GetVertexDeclaration(IDirect3DVertexDeclaration9** out);
  HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride);
  HRESULT GetStreamSource(UINT stream, IDirect3DVertexBuffer9** out, UINT* offset, UINT* stride);
  HRESULT SetIndices(IDirect3DIndexBuffer9* indices);
  HRESULT GetIndices(IDirect3DIndexBuffer9** out);

  HRESULT CreateVertexShader(const DWORD* function, IDirect3DVertexShader9** out);
  HRESULT SetVertexShader(IDirect3DVertexShader9* shader);
  HRESULT GetVertexShader(IDirect3DVertexShader9** out);
  HRESULT SetVertexShaderConstantF(UINT start, const float* data, UINT count);
  HRESULT GetVertexShaderConstantF(UINT start, float* data, UINT count);
  HRESULT CreatePixelShader(const DWORD* function, IDirect3DPixelShader9** out);
  HRESULT SetPixelShader(IDirect3DPixelShader9* shader);
  HRESULT GetPixelShader(IDirect3DPixelShader9** out);
  HRESULT SetPixelShaderConstantF(UINT start, const float* data, UINT count);
  HRESULT GetPixelShaderConstantF(UINT start, float* data, UINT count);

  HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount);
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex, UINT vertexCount,
                               UINT startIndex, UINT primitiveCount);

  HRESULT CreateQuery(D3DQUERYTYPE type, IDirect3DQuery9** out);

  // For the device's children and state blocks.
  void AttachChild(DeviceChild* child) { children.insert(child); }
  void DetachChild(DeviceChild* child) { children.erase(child); }
  bool MakeCurrent();
  void ForgetTexture(uint32_t texture);
  // GL shader objects by their text, shared by the device's shaders.
  uint32_t AcquireShader(bool fragment, const std::string& source, std::string& error);
  void ReleaseShader(uint32_t shader);
  const DeviceState& State() const { return state; }
  bool IsRecording() const { return recording.Get() != nullptr; }

 protected:
  ~IDirect3DDevice9() override;

 private:
  // What drawing with OpenGL needs: the context, its caches and what draws
  // rebuild. Only the device's own sources see it (DeviceImpl.h).
  struct Impl;

  IDirect3DDevice9(IDirect3D9* direct3d, MessageSink sink);

  // The back buffer and automatic depth buffer for `parameters`, full
  // screen or not; state back to its defaults.
  HRESULT ApplyPresentParameters(D3DPRESENT_PARAMETERS& parameters);
  void Report(const std::string& message);
  bool Lost();
  // Recording into a state block: the block to set into, else null.
  DeviceState* Recording(StateMask*& mask);

  ComPtr<IDirect3D9> direct3d;
  MessageSink sink;
  D3DPRESENT_PARAMETERS parameters = {};
  std::unordered_set<DeviceChild*> children;
  DeviceState state;
  ComPtr<IDirect3DStateBlock9> recording;
  ComPtr<IDirect3DSurface9> backBuffer;
  ComPtr<IDirect3DSurface9> autoDepthStencil;
  ComPtr<IDirect3DSurface9> renderTarget;
  ComPtr<IDirect3DSurface9> depthStencil;
  D3DGAMMARAMP gamma = {};
  std::unique_ptr<Impl> impl;
  bool inScene = false;
  bool simulatedLoss = false;
};

}  // namespace ynx
