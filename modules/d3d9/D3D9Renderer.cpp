// The device, its modes and capabilities, the frame, transforms, lights,
// the viewport and the gamma ramp.
#include "modules/d3d9/D3D9Renderer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>

#include "engine/core/Log.h"
#include "engine/render/RenderStateBlock.h"
#include "engine/scene/Light.h"
#include "modules/d3d9/CapabilityLimits.h"
#include "modules/d3d9/D3D9Mappings.h"

namespace ynx {
namespace {

constexpr D3DFORMAT ADAPTER_FORMATS[] = {D3DFMT_X8R8G8B8, D3DFMT_X1R5G5B5, D3DFMT_R5G6B5,
                                         D3DFMT_A2R10G10B10};
constexpr D3DFORMAT BACK_BUFFER_FORMATS[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A2R10G10B10,
                                             D3DFMT_R5G6B5,   D3DFMT_A1R5G5B5, D3DFMT_X1R5G5B5};
constexpr D3DFORMAT DEPTH_FORMATS[] = {D3DFMT_D24S8, D3DFMT_D24X4S4, D3DFMT_D15S1,
                                       D3DFMT_D24X8, D3DFMT_D32,     D3DFMT_D16};
// No multisampling, then 2 to 16 samples; position + 1 is the sample count.
constexpr int32_t MULTISAMPLE_TYPES = 16;

D3DMULTISAMPLE_TYPE MultisampleType(int32_t position) {
  return position == 0 ? D3DMULTISAMPLE_NONE : static_cast<D3DMULTISAMPLE_TYPE>(position + 1);
}

struct AdapterMode {
  UINT width;
  UINT height;
  D3DFORMAT format;
};

D3DCOLORVALUE ColorValue(const Color& color) { return {color.red, color.green, color.blue, color.alpha}; }

D3DVECTOR VectorValue(const Vector3& vector) { return {vector.x, vector.y, vector.z}; }

// The shader level a version stands for; pixel shaders 1.1 to 1.4 are one
// level.
int32_t ShaderLevel(DWORD version, bool pixel) {
  const uint32_t major = D3DSHADER_VERSION_MAJOR(version);
  const uint32_t minor = D3DSHADER_VERSION_MINOR(version);
  if (major == 1 && (minor == 1 || (pixel && minor >= 2 && minor <= 4))) return Renderer::SHADER_1;
  if (major == 2 && minor == 0) return Renderer::SHADER_2;
  if (major == 3 && minor == 0) return Renderer::SHADER_3;
  return Renderer::SHADER_NONE;
}

}  // namespace

D3D9Renderer::D3D9Renderer() {
  d3d = ComPtr<IDirect3D9>::Adopt(Direct3DCreate9(31));
  if (!d3d) {
    LogError("Невозможно создать экземпляр D3D9.");
    return;
  }
  // What the device cannot report through a result goes to the log.
  d3d->SetMessageSink([](const std::string& message) { LogWarning("Direct3D: %s", message.c_str()); });
  EnumerateModes();
}

D3D9Renderer::~D3D9Renderer() {
  if (GetWindow() != 0 && Close() != 0) LogError("Невозможно закрыть окно рендеринга.");
  ReleaseDevice();
}

void D3D9Renderer::EnumerateModes() {
  D3DDISPLAYMODE desktop{};
  const bool hasDesktop = SUCCEEDED(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &desktop));
  std::vector<AdapterMode> adapterModes;
  std::vector<D3DFORMAT> seen;
  for (const D3DFORMAT format : ADAPTER_FORMATS) {
    const UINT count = d3d->GetAdapterModeCount(D3DADAPTER_DEFAULT, format);
    for (UINT index = 0; index < count; ++index) {
      D3DDISPLAYMODE mode{};
      if (FAILED(d3d->EnumAdapterModes(D3DADAPTER_DEFAULT, format, index, &mode))) continue;
      const AdapterMode entry{mode.Width, mode.Height, mode.Format};
      const auto same = [&](const AdapterMode& other) {
        return other.width == entry.width && other.height == entry.height && other.format == entry.format;
      };
      if (std::none_of(adapterModes.begin(), adapterModes.end(), same)) adapterModes.push_back(entry);
      if (std::find(seen.begin(), seen.end(), mode.Format) == seen.end()) seen.push_back(mode.Format);
    }
  }
  std::sort(adapterModes.begin(), adapterModes.end(), [](const AdapterMode& a, const AdapterMode& b) {
    return std::tie(a.width, a.height, a.format) < std::tie(b.width, b.height, b.format);
  });

  for (const D3DFORMAT adapter : seen) {
    for (const D3DFORMAT backBuffer : BACK_BUFFER_FORMATS) {
      D3D9Mappings::ColorBits color{};
      if (!D3D9Mappings::BitsOf(backBuffer, color)) continue;
      for (const BOOL windowed : {FALSE, TRUE}) {
        if (FAILED(d3d->CheckDeviceType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, adapter, backBuffer, windowed))) {
          continue;
        }
        for (const D3DFORMAT depth : DEPTH_FORMATS) {
          D3D9Mappings::DepthBits bits{};
          if (!D3D9Mappings::BitsOf(depth, bits) ||
              FAILED(d3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, adapter, D3DUSAGE_DEPTHSTENCIL,
                                            D3DRTYPE_SURFACE, depth)) ||
              FAILED(d3d->CheckDepthStencilMatch(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, adapter, backBuffer, depth))) {
            continue;
          }
          for (int32_t position = 0; position < MULTISAMPLE_TYPES; ++position) {
            if (FAILED(d3d->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, backBuffer, windowed,
                                                       MultisampleType(position), nullptr))) {
              continue;
            }
            DisplayModeDesc desc;
            desc.fullscreen = !windowed;
            desc.colorBits = color.color;
            desc.redBits = color.red;
            desc.greenBits = color.green;
            desc.blueBits = color.blue;
            desc.alphaBits = color.alpha;
            desc.depthBits = bits.depth;
            desc.stencilBits = bits.stencil;
            desc.samples = position + 1;
            if (windowed) {
              modes.push_back(desc);
              continue;
            }
            for (const AdapterMode& mode : adapterModes) {
              if (mode.format != adapter) continue;
              desc.width = static_cast<int32_t>(mode.width);
              desc.height = static_cast<int32_t>(mode.height);
              if (desktopMode < 0 && hasDesktop && mode.width == desktop.Width && mode.height == desktop.Height &&
                  mode.format == desktop.Format) {
                desktopMode = static_cast<int32_t>(modes.size());
              }
              modes.push_back(desc);
            }
          }
        }
      }
    }
  }
}

int32_t D3D9Renderer::CreateDevice(int32_t modeIndex, const String&, uint64_t, int32_t x, int32_t y,
                                   int32_t requestedWidth, int32_t requestedHeight) {
  if (device) ReleaseDevice();
  if (!d3d || modeIndex < 0 || modeIndex >= static_cast<int32_t>(modes.size())) return 1;
  const DisplayModeDesc mode = modes[static_cast<size_t>(modeIndex)];
  const D3DFORMAT backBuffer = D3D9Mappings::BackBufferFormat(mode);
  const D3DFORMAT depth = D3D9Mappings::DepthFormat(mode.depthBits, mode.stencilBits);
  if (backBuffer == D3DFMT_UNKNOWN || depth == D3DFMT_UNKNOWN) return 1;

  presentParams = {};
  presentParams.BackBufferWidth = static_cast<UINT>(mode.fullscreen ? mode.width : requestedWidth);
  presentParams.BackBufferHeight = static_cast<UINT>(mode.fullscreen ? mode.height : requestedHeight);
  presentParams.BackBufferFormat = backBuffer;
  presentParams.BackBufferCount = 1;
  presentParams.MultiSampleType = MultisampleType(mode.samples - 1);
  presentParams.MultiSampleQuality = 0;
  presentParams.SwapEffect = D3DSWAPEFFECT_DISCARD;
  presentParams.hDeviceWindow = GetWindow();
  presentParams.Windowed = mode.fullscreen ? FALSE : TRUE;
  presentParams.EnableAutoDepthStencil = TRUE;
  presentParams.AutoDepthStencilFormat = depth;
  presentParams.Flags = 0;
  presentParams.FullScreen_RefreshRateInHz = D3DPRESENT_RATE_DEFAULT;
  presentParams.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;

  IDirect3DDevice9* made = nullptr;
  D3DPRESENT_PARAMETERS parameters = presentParams;
  if (SUCCEEDED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, GetWindow(),
                                  D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, &made))) {
    LogInfo("Created HARDWARE VERTEXPROCESSING");
  } else {
    parameters = presentParams;
    if (FAILED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, GetWindow(),
                                 D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &made))) {
      return 1;
    }
    LogInfo("Created SOFTWARE VERTEXPROCESSING");
  }
  device = ComPtr<IDirect3DDevice9>::Adopt(made);
  depthFormat = depth;

  fullscreen = mode.fullscreen;
  windowX = mode.fullscreen ? 0 : x;
  windowY = mode.fullscreen ? 0 : y;
  width = mode.fullscreen ? mode.width : requestedWidth;
  height = mode.fullscreen ? mode.height : requestedHeight;
  colorBits = mode.colorBits;
  alphaBits = mode.alphaBits;
  depthBits = mode.depthBits;
  stencilBits = mode.stencilBits;
  samples = mode.samples;
  LogInfo("COLOR BPP %d", colorBits);
  LogInfo("Alpha BPP %d", alphaBits);
  LogInfo("Depth BPP %d", depthBits);
  LogInfo("Stencil BPP %d", stencilBits);
  LogInfo("Samples %d", samples);

  ReadCapabilities(D3D9Mappings::AdapterFormat(mode));
  SetLighting(false);
  return 0;
}

void D3D9Renderer::ReadCapabilities(D3DFORMAT adapterFormat) {
  D3DCAPS9 caps{};
  device->GetDeviceCaps(&caps);
  index32 = caps.MaxVertexIndex > 65536;
  Capabilities found{};
  found.maxTextureStages = static_cast<int32_t>(caps.MaxSimultaneousTextures);
  found.maxLights = static_cast<int32_t>(caps.MaxActiveLights);
  found.vertexShaderLevel = ShaderLevel(caps.VertexShaderVersion, false);
  found.pixelShaderLevel = ShaderLevel(caps.PixelShaderVersion, true);
  found.pointSprites = caps.MaxPointSize > 1.0f;
  found.depthTextures = SUCCEEDED(d3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, adapterFormat,
                                                         D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_TEXTURE, depthFormat));
  CapabilityLimits::Apply(std::getenv(CapabilityLimits::VARIABLE), found);
  maxTextureStages = found.maxTextureStages;
  maxLights = found.maxLights;
  vertexShaderLevel = found.vertexShaderLevel;
  pixelShaderLevel = found.pixelShaderLevel;
  hasPointSprites = found.pointSprites;
  hasDepthTextures = found.depthTextures;
  LogInfo("VERTEX SHADER %d", vertexShaderLevel);
  LogInfo("PIXEL SHADER %d", pixelShaderLevel);
}

int32_t D3D9Renderer::ReleaseDevice() {
  DiscardRecording();
  ReleaseAll();
  appliedPass = nullptr;
  device = nullptr;
  return 0;
}

int32_t D3D9Renderer::Clear(int32_t flags, const Color& color, float depth, int32_t stencil) {
  DWORD deviceFlags = 0;
  if (flags & CLEAR_COLOR) {
    deviceFlags |= D3DCLEAR_TARGET;
    clearColor = color;
  }
  if (flags & CLEAR_DEPTH) deviceFlags |= D3DCLEAR_ZBUFFER;
  // The device refuses the whole clear for a stencil the mode lacks.
  if ((flags & CLEAR_STENCIL) && stencilBits > 0) deviceFlags |= D3DCLEAR_STENCIL;
  if (!device || deviceFlags == 0) return 1;
  return SUCCEEDED(device->Clear(0, nullptr, deviceFlags, color.ToARGB(), depth, static_cast<DWORD>(stencil)))
             ? 0
             : 1;
}

int32_t D3D9Renderer::BeginScene() {
  if (!device) return 1;
  if (FAILED(device->TestCooperativeLevel())) {
    DiscardRecording();
    ReleaseAll();
    appliedPass = nullptr;
    return 1;
  }
  if (FAILED(device->BeginScene())) return 1;
  SetLighting(false);
  return 0;
}

int32_t D3D9Renderer::EndSceneAndPresent() {
  if (!device) return 1;
  // A pass applied but never drawn leaves nothing open across frames.
  DiscardRecording();
  appliedPass = nullptr;
  device->EndScene();
  device->Present(nullptr, nullptr, 0, nullptr);
  return 0;
}

void D3D9Renderer::SetTransform(D3DTRANSFORMSTATETYPE type, const Matrix4& matrix) {
  if (!device) return;
  D3DMATRIX value;
  std::memcpy(value.m, matrix.m, sizeof value.m);
  device->SetTransform(type, &value);
}

void D3D9Renderer::GetTransform(D3DTRANSFORMSTATETYPE type, Matrix4& out) {
  D3DMATRIX value;
  if (!device || FAILED(device->GetTransform(type, &value))) {
    out = Matrix4::Identity();
    return;
  }
  std::memcpy(out.m, value.m, sizeof out.m);
}

void D3D9Renderer::GetWorldMatrix(Matrix4& out) { GetTransform(D3DTS_WORLD, out); }
void D3D9Renderer::SetWorldMatrix(const Matrix4& matrix) { SetTransform(D3DTS_WORLD, matrix); }
void D3D9Renderer::GetViewMatrix(Matrix4& out) { GetTransform(D3DTS_VIEW, out); }
void D3D9Renderer::SetViewMatrix(const Matrix4& matrix) { SetTransform(D3DTS_VIEW, matrix); }
void D3D9Renderer::GetProjectionMatrix(Matrix4& out) { GetTransform(D3DTS_PROJECTION, out); }
void D3D9Renderer::SetProjectionMatrix(const Matrix4& matrix) { SetTransform(D3DTS_PROJECTION, matrix); }

void D3D9Renderer::GetTextureMatrix(Matrix4& out, int32_t stage) {
  if (stage < 0 || stage >= RenderStateBlock::STAGE_COUNT) {
    out = Matrix4::Identity();
    return;
  }
  GetTransform(static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + stage), out);
}

void D3D9Renderer::SetTextureMatrix(int32_t stage, const Matrix4& matrix) {
  if (!device || stage < 0 || stage >= RenderStateBlock::STAGE_COUNT) return;
  SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + stage), matrix);
  // Only the identity to the bit switches the transform off.
  const Matrix4 identity = Matrix4::Identity();
  const bool off = std::memcmp(matrix.m, identity.m, sizeof identity.m) == 0;
  device->SetTextureStageState(static_cast<DWORD>(stage), D3DTSS_TEXTURETRANSFORMFLAGS,
                               off ? D3DTTFF_DISABLE : D3DTTFF_COUNT3);
}

void D3D9Renderer::SetLighting(bool on) {
  if (!device) return;
  device->SetRenderState(D3DRS_LIGHTING, on ? TRUE : FALSE);
  device->SetRenderState(D3DRS_SPECULARENABLE, on ? TRUE : FALSE);
}

void D3D9Renderer::PushLight(Light* light) {
  const size_t count = GetLights().size();
  if (!device || light == nullptr || count == 0 || count > static_cast<size_t>(maxLights)) return;
  if (count == 1) SetLighting(true);
  D3DLIGHT9 value{};
  value.Diffuse = ColorValue(light->GetDiffuse());
  value.Specular = ColorValue(light->GetSpecular());
  value.Ambient = ColorValue(light->GetAmbient());
  // The largest range the device takes.
  value.Range = 1.8446743e19f;
  const Vector3 attenuation = light->GetAttenuation();
  value.Attenuation0 = attenuation.x;
  value.Attenuation1 = attenuation.y;
  value.Attenuation2 = attenuation.z;
  switch (light->GetLightType()) {
    case Light::LIGHT_DIRECTIONAL:
      value.Type = D3DLIGHT_DIRECTIONAL;
      value.Direction = VectorValue(light->GetForward());
      break;
    case Light::LIGHT_POINT:
      value.Type = D3DLIGHT_POINT;
      value.Position = VectorValue(light->GetPosition());
      break;
    case Light::LIGHT_SPOT:
      value.Type = D3DLIGHT_SPOT;
      value.Position = VectorValue(light->GetPosition());
      value.Direction = VectorValue(light->GetForward());
      value.Falloff = light->GetFalloff();
      value.Theta = 2.0f * light->GetConeAngle();
      value.Phi = 2.1f * light->GetConeAngle();
      break;
    default:
      value.Type = D3DLIGHT_DIRECTIONAL;
      value.Direction = {0.0f, 0.0f, 1.0f};
      value.Falloff = 1.0f;
      break;
  }
  const auto slot = static_cast<DWORD>(count - 1);
  device->SetLight(slot, &value);
  device->LightEnable(slot, TRUE);
}

void D3D9Renderer::PopLight() {
  const size_t count = GetLights().size();
  if (!device || count >= static_cast<size_t>(maxLights)) return;
  device->LightEnable(static_cast<DWORD>(count), FALSE);
  if (count == 0) SetLighting(false);
}

int32_t D3D9Renderer::GetViewportWidth() {
  D3DVIEWPORT9 viewport{};
  return device && SUCCEEDED(device->GetViewport(&viewport)) ? static_cast<int32_t>(viewport.Width) : 0;
}

int32_t D3D9Renderer::GetViewportHeight() {
  D3DVIEWPORT9 viewport{};
  return device && SUCCEEDED(device->GetViewport(&viewport)) ? static_cast<int32_t>(viewport.Height) : 0;
}

void D3D9Renderer::SetViewport(const Vector2& origin, const Vector2& size) {
  if (!device) return;
  // Truncated; negative and absurd values become the nearest size a
  // target can have.
  const auto whole = [](float value) { return value > 0.0f ? static_cast<DWORD>(std::min(value, 65536.0f)) : 0u; };
  const D3DVIEWPORT9 viewport{whole(origin.x), whole(origin.y), whole(size.x), whole(size.y), 0.0f, 1.0f};
  device->SetViewport(&viewport);
}

void D3D9Renderer::SetBrightness(int32_t level) {
  if (!device) return;
  D3DGAMMARAMP ramp{};
  for (int32_t i = 0; i < 256; ++i) {
    const int64_t value = std::clamp<int64_t>(int64_t{level} * 200 + int64_t{i} * 256, 0, 65535);
    ramp.red[i] = ramp.green[i] = ramp.blue[i] = static_cast<WORD>(value);
  }
  device->SetGammaRamp(0, D3DSGR_CALIBRATE, &ramp);
}

}  // namespace ynx
