#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d9/device/Device.h"
#include "platform/d3d9/device/Direct3D9.h"
#include "tests/support/NearColor.h"
#include "tools/d3d9play/HiddenDevice.h"

namespace ynx::test {

// A hidden window of its own and a windowed device on it (X8R8G8B8 back
// buffer with a D24S8 depth buffer), shaders that pass colours and
// textures through, and a read-back of any render target. Messages from
// the device fail the test unless the test takes them.
class DeviceFixture : public ::testing::Test {
 private:
  HiddenDevice hidden;

 protected:
  static constexpr UINT WIDTH = 128;
  static constexpr UINT HEIGHT = 96;

  struct ColorVertex {
    float x, y, z;
    D3DCOLOR color;
  };
  struct TexturedVertex {
    float x, y, z;
    float u, v;
  };

  void SetUp() override;
  void TearDown() override;

  D3DPRESENT_PARAMETERS Parameters() const { return hidden.Parameters(); }
  // Messages so far, which the test thereby takes.
  std::vector<std::string> TakeMessages();

  // A managed vertex buffer holding `size` bytes from `vertices`.
  IDirect3DVertexBuffer9* VertexBufferOf(const void* vertices, UINT size);
  // Assembled tokens (empty, with a test failure, when the text is bad).
  std::vector<DWORD> Assemble(const std::string& text);
  IDirect3DVertexShader9* VertexShader(const std::string& text);
  IDirect3DPixelShader9* PixelShader(const std::string& text);
  // Binds the pass-through colour or texture shaders and declaration.
  void UseColorPipeline();
  void UseTexturePipeline();
  // A quad between two corners in clip space at depth z, drawn as a
  // triangle strip through a fresh vertex buffer (and through `vertexShader`
  // instead of the pass-through one when given).
  void DrawColorQuad(float x0, float y0, float x1, float y1, float z, D3DCOLOR color,
                     IDirect3DVertexShader9* vertexShader = nullptr);
  void DrawTexturedQuad(float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1);
  // Every pixel of a render target (the current one by default), rows top
  // first, as A8R8G8B8 words.
  std::vector<uint32_t> ReadBack(IDirect3DSurface9* target = nullptr);
  static uint32_t At(const std::vector<uint32_t>& pixels, UINT width, UINT x, UINT y) { return pixels[y * width + x]; }
  // A texture whose texel (x, y) is Pattern(x, y): ramps up and down in
  // steps of 8 (x in red, y in green, both in blue), so that sampling half
  // a texel off shows and the driver's sub-pixel precision does not.
  IDirect3DTexture9* PatternTexture(UINT width, UINT height);
  static uint32_t Pattern(UINT x, UINT y) {
    return 0xFF000000u | Ramp(8 * x) << 16 | Ramp(8 * y) << 8 | Ramp(4 * (x + y) + 100);
  }
  static uint32_t Ramp(UINT value) { return value % 512 < 256 ? value % 512 : 511 - value % 512; }

  // The hidden device's handles: a test may release the device or destroy
  // the window itself and clear them.
  uint32_t& window = hidden.window;
  IDirect3D9*& direct3d = hidden.direct3d;
  IDirect3DDevice9*& device = hidden.device;

 private:
  void Release();

  std::vector<std::string> messages;
  IDirect3DVertexShader9* colorVertexShader = nullptr;
  IDirect3DPixelShader9* colorPixelShader = nullptr;
  IDirect3DVertexShader9* textureVertexShader = nullptr;
  IDirect3DPixelShader9* texturePixelShader = nullptr;
  IDirect3DVertexDeclaration9* colorDeclaration = nullptr;
  IDirect3DVertexDeclaration9* textureDeclaration = nullptr;
};

}  // namespace ynx::test
