#include "tests/d3d9device/DeviceFixture.h"

#include <cstring>
#include <utility>

#include "platform/d3d9/device/D3DX9.h"
#include "tests/support/VideoEnvironment.h"

namespace ynx::test {

namespace {

constexpr const char* COLOR_VS = "vs_2_0\ndcl_position v0\ndcl_color v1\nmov oPos, v0\nmov oD0, v1\n";
constexpr const char* COLOR_PS = "ps_2_0\ndcl v0\nmov oC0, v0\n";
constexpr const char* TEXTURE_VS = "vs_2_0\ndcl_position v0\ndcl_texcoord v1\nmov oPos, v0\nmov oT0, v1\n";
constexpr const char* TEXTURE_PS = "ps_2_0\ndcl t0.xy\ndcl_2d s0\ntexld r0, t0, s0\nmov oC0, r0\n";

[[maybe_unused]] ::testing::Environment* const VIDEO = ::testing::AddGlobalTestEnvironment(new VideoEnvironment);

template <class T>
void ReleaseAndClear(T*& object) {
  if (object) object->Release();
  object = nullptr;
}

IDirect3DVertexBuffer9* MakeVertexBuffer(IDirect3DDevice9* device, const void* vertices, UINT size) {
  IDirect3DVertexBuffer9* buffer = nullptr;
  EXPECT_EQ(device->CreateVertexBuffer(size, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &buffer, nullptr), D3D_OK);
  if (!buffer) return nullptr;
  void* data = nullptr;
  EXPECT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
  std::memcpy(data, vertices, size);
  buffer->Unlock();
  return buffer;
}

template <class Vertex>
void DrawStrip(IDirect3DDevice9* device, const Vertex (&vertices)[4]) {
  IDirect3DVertexBuffer9* buffer = MakeVertexBuffer(device, vertices, sizeof vertices);
  ASSERT_NE(buffer, nullptr);
  device->SetStreamSource(0, buffer, 0, sizeof(Vertex));
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
  device->SetStreamSource(0, nullptr, 0, 0);
  buffer->Release();
}

}  // namespace

void DeviceFixture::SetUp() {
  std::string error;
  ASSERT_TRUE(hidden.Open("d3d9device", WIDTH, HEIGHT,
                          [this](const std::string& message) { messages.push_back(message); }, error))
      << error;
  ASSERT_EQ(hidden.CreateDevice(), D3D_OK);
  colorVertexShader = VertexShader(COLOR_VS);
  colorPixelShader = PixelShader(COLOR_PS);
  textureVertexShader = VertexShader(TEXTURE_VS);
  texturePixelShader = PixelShader(TEXTURE_PS);
  const D3DVERTEXELEMENT9 color[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                     {0, 12, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
                                     D3DDECL_END()};
  const D3DVERTEXELEMENT9 textured[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                        {0, 12, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                        D3DDECL_END()};
  ASSERT_EQ(device->CreateVertexDeclaration(color, &colorDeclaration), D3D_OK);
  ASSERT_EQ(device->CreateVertexDeclaration(textured, &textureDeclaration), D3D_OK);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
}

void DeviceFixture::Release() {
  ReleaseAndClear(colorVertexShader);
  ReleaseAndClear(colorPixelShader);
  ReleaseAndClear(textureVertexShader);
  ReleaseAndClear(texturePixelShader);
  ReleaseAndClear(colorDeclaration);
  ReleaseAndClear(textureDeclaration);
  hidden.Close();
}

void DeviceFixture::TearDown() {
  Release();
  for (const std::string& message : messages) ADD_FAILURE() << "unexpected device message: " << message;
}

std::vector<std::string> DeviceFixture::TakeMessages() { return std::exchange(messages, {}); }

IDirect3DVertexBuffer9* DeviceFixture::VertexBufferOf(const void* vertices, UINT size) {
  return MakeVertexBuffer(device, vertices, size);
}

std::vector<DWORD> DeviceFixture::Assemble(const std::string& text) {
  ID3DXBuffer* code = nullptr;
  ID3DXBuffer* errors = nullptr;
  const HRESULT assembled = D3DXAssembleShader(text.c_str(), static_cast<UINT>(text.size()), nullptr, nullptr, 0,
                                               &code, &errors);
  EXPECT_EQ(assembled, D3D_OK) << (errors ? static_cast<const char*>(errors->GetBufferPointer()) : "");
  if (errors) errors->Release();
  if (!code) return {};
  const auto* tokens = static_cast<const DWORD*>(code->GetBufferPointer());
  std::vector<DWORD> result(tokens, tokens + code->GetBufferSize() / sizeof(DWORD));
  code->Release();
  return result;
}

IDirect3DVertexShader9* DeviceFixture::VertexShader(const std::string& text) {
  const std::vector<DWORD> code = Assemble(text);
  IDirect3DVertexShader9* shader = nullptr;
  if (!code.empty()) {
    EXPECT_EQ(device->CreateVertexShader(code.data(), &shader), D3D_OK);
  }
  return shader;
}

IDirect3DPixelShader9* DeviceFixture::PixelShader(const std::string& text) {
  const std::vector<DWORD> code = Assemble(text);
  IDirect3DPixelShader9* shader = nullptr;
  if (!code.empty()) {
    EXPECT_EQ(device->CreatePixelShader(code.data(), &shader), D3D_OK);
  }
  return shader;
}

void DeviceFixture::UseColorPipeline() {
  device->SetVertexShader(colorVertexShader);
  device->SetPixelShader(colorPixelShader);
  device->SetVertexDeclaration(colorDeclaration);
}

void DeviceFixture::UseTexturePipeline() {
  device->SetVertexShader(textureVertexShader);
  device->SetPixelShader(texturePixelShader);
  device->SetVertexDeclaration(textureDeclaration);
}

void DeviceFixture::DrawColorQuad(float x0, float y0, float x1, float y1, float z, D3DCOLOR color,
                                  IDirect3DVertexShader9* vertexShader) {
  UseColorPipeline();
  if (vertexShader) device->SetVertexShader(vertexShader);
  const ColorVertex vertices[4] = {{x0, y0, z, color}, {x1, y0, z, color}, {x0, y1, z, color}, {x1, y1, z, color}};
  DrawStrip(device, vertices);
}

void DeviceFixture::DrawTexturedQuad(float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1) {
  UseTexturePipeline();
  const TexturedVertex vertices[4] = {
      {x0, y0, 0.5f, u0, v0}, {x1, y0, 0.5f, u1, v0}, {x0, y1, 0.5f, u0, v1}, {x1, y1, 0.5f, u1, v1}};
  DrawStrip(device, vertices);
}

std::vector<uint32_t> DeviceFixture::ReadBack(IDirect3DSurface9* target) {
  IDirect3DSurface9* source = target;
  if (!source) device->GetRenderTarget(0, &source);
  std::vector<uint32_t> pixels;
  D3DSURFACE_DESC desc{};
  if (FAILED(HiddenDevice::ReadPixels(device, source, pixels, desc))) pixels.clear();
  if (!target) source->Release();
  return pixels;
}

IDirect3DTexture9* DeviceFixture::PatternTexture(UINT width, UINT height) {
  IDirect3DTexture9* texture = nullptr;
  EXPECT_EQ(device->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  if (!texture) return nullptr;
  D3DLOCKED_RECT locked{};
  EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  for (UINT y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + size_t{y} * locked.Pitch);
    for (UINT x = 0; x < width; ++x) row[x] = Pattern(x, y);
  }
  texture->UnlockRect(0);
  return texture;
}

}  // namespace ynx::test
