#include <gtest/gtest.h>

#include <cstring>

#include "platform/d3d9/device/StateBlock.h"
#include "tests/d3d9device/DeviceFixture.h"

namespace ynx::test {
namespace {

using StateBlockTest = DeviceFixture;

constexpr D3DMATRIX SCALE = {{{2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 5, 6, 7, 1}}};

DWORD RenderState(IDirect3DDevice9* device, D3DRENDERSTATETYPE type) {
  DWORD value = 0;
  device->GetRenderState(type, &value);
  return value;
}

TEST_F(StateBlockTest, RecordingKeepsSetsFromTheDeviceUntilApplied) {
  IDirect3DTexture9* texture = PatternTexture(4, 4);
  const float green[4] = {0, 1, 0, 1};
  ASSERT_EQ(device->BeginStateBlock(), D3D_OK);
  EXPECT_EQ(device->BeginStateBlock(), D3DERR_INVALIDCALL);
  device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
  device->SetTextureStageState(2, D3DTSS_TEXCOORDINDEX, 5);
  device->SetSamplerState(3, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);
  device->SetPixelShaderConstantF(4, green, 1);
  device->SetTexture(1, texture);
  device->SetTransform(D3DTS_VIEW, &SCALE);
  device->LightEnable(3, TRUE);
  IDirect3DStateBlock9* block = nullptr;
  ASSERT_EQ(device->EndStateBlock(&block), D3D_OK);
  // The texture is held by the block alone now.
  texture->Release();

  // Nothing reached the device.
  EXPECT_EQ(RenderState(device, D3DRS_ZFUNC), DWORD{D3DCMP_LESSEQUAL});
  DWORD value = 0;
  device->GetTextureStageState(2, D3DTSS_TEXCOORDINDEX, &value);
  EXPECT_EQ(value, 2u);
  float constant[4] = {9, 9, 9, 9};
  device->GetPixelShaderConstantF(4, constant, 1);
  EXPECT_EQ(constant[1], 0.0f);
  IDirect3DBaseTexture9* bound = reinterpret_cast<IDirect3DBaseTexture9*>(1);
  device->GetTexture(1, &bound);
  EXPECT_EQ(bound, nullptr);
  BOOL enabled = TRUE;
  device->GetLightEnable(3, &enabled);
  EXPECT_FALSE(enabled);

  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  ASSERT_EQ(block->Apply(), D3D_OK);
  EXPECT_EQ(RenderState(device, D3DRS_ZFUNC), DWORD{D3DCMP_ALWAYS});
  EXPECT_EQ(RenderState(device, D3DRS_CULLMODE), DWORD{D3DCULL_CW});  // not recorded: untouched
  device->GetTextureStageState(2, D3DTSS_TEXCOORDINDEX, &value);
  EXPECT_EQ(value, 5u);
  device->GetSamplerState(3, D3DSAMP_ADDRESSU, &value);
  EXPECT_EQ(value, DWORD{D3DTADDRESS_MIRROR});
  device->GetPixelShaderConstantF(4, constant, 1);
  EXPECT_EQ(constant[1], 1.0f);
  device->GetTexture(1, &bound);
  ASSERT_NE(bound, nullptr);
  bound->Release();
  D3DMATRIX view{};
  device->GetTransform(D3DTS_VIEW, &view);
  EXPECT_EQ(view._42, 6.0f);
  device->GetLightEnable(3, &enabled);
  EXPECT_TRUE(enabled);

  // Capture refreshes only what the block holds.
  device->SetRenderState(D3DRS_ZFUNC, D3DCMP_GREATER);
  device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  ASSERT_EQ(block->Capture(), D3D_OK);
  device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
  block->Apply();
  EXPECT_EQ(RenderState(device, D3DRS_ZFUNC), DWORD{D3DCMP_GREATER});
  EXPECT_EQ(RenderState(device, D3DRS_ZWRITEENABLE), DWORD{TRUE});

  device->SetTexture(1, nullptr);
  block->Release();
}

// A replay skips values the device holds already, except into a recording:
// there every value of the block must reach the new one.
TEST_F(StateBlockTest, ApplyingInsideARecordingRecordsEveryValue) {
  struct Value {
    const char* name;
    void (*set)(IDirect3DDevice9*, DWORD);
    DWORD (*get)(IDirect3DDevice9*);
    DWORD recorded;  // the device's value while the block is applied into the recording
    DWORD later;     // what the device holds when the recording is applied
  };
  const Value values[] = {
      {"render state", [](IDirect3DDevice9* d, DWORD v) { d->SetRenderState(D3DRS_ZFUNC, v); },
       [](IDirect3DDevice9* d) { return RenderState(d, D3DRS_ZFUNC); }, D3DCMP_LESSEQUAL, D3DCMP_GREATER},
      {"stage state", [](IDirect3DDevice9* d, DWORD v) { d->SetTextureStageState(1, D3DTSS_COLOROP, v); },
       [](IDirect3DDevice9* d) {
         DWORD v = 0;
         d->GetTextureStageState(1, D3DTSS_COLOROP, &v);
         return v;
       },
       D3DTOP_DISABLE, D3DTOP_ADD},
      {"sampler state", [](IDirect3DDevice9* d, DWORD v) { d->SetSamplerState(2, D3DSAMP_MAGFILTER, v); },
       [](IDirect3DDevice9* d) {
         DWORD v = 0;
         d->GetSamplerState(2, D3DSAMP_MAGFILTER, &v);
         return v;
       },
       D3DTEXF_POINT, D3DTEXF_LINEAR},
  };
  ASSERT_EQ(device->BeginStateBlock(), D3D_OK);
  for (const Value& value : values) value.set(device, value.recorded);
  IDirect3DStateBlock9* first = nullptr;
  ASSERT_EQ(device->EndStateBlock(&first), D3D_OK);
  // The device holds the block's values: the replay into the second
  // recording finds nothing to change.
  first->Apply();
  ASSERT_EQ(device->BeginStateBlock(), D3D_OK);
  first->Apply();
  IDirect3DStateBlock9* second = nullptr;
  ASSERT_EQ(device->EndStateBlock(&second), D3D_OK);
  for (const Value& value : values) value.set(device, value.later);
  second->Apply();
  for (const Value& value : values) EXPECT_EQ(value.get(device), value.recorded) << value.name;
  first->Release();
  second->Release();
}

TEST_F(StateBlockTest, ARecordedPassDrawsAfterTheDeviceWasCleared) {
  IDirect3DVertexShader9* vertexShader = VertexShader("vs_2_0\ndcl_position v0\nmov oPos, v0\nmov oD0, c0\n");
  const ColorVertex quad[4] = {{-1, 1, 0.5f, 0}, {1, 1, 0.5f, 0}, {-1, -1, 0.5f, 0}, {1, -1, 0.5f, 0}};
  IDirect3DVertexBuffer9* buffer = VertexBufferOf(&quad, sizeof quad);

  const float blue[4] = {0, 0, 1, 1};
  device->BeginStateBlock();
  UseColorPipeline();
  device->SetVertexShader(vertexShader);
  device->SetStreamSource(0, buffer, 0, sizeof(ColorVertex));
  device->SetVertexShaderConstantF(0, blue, 1);
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  IDirect3DStateBlock9* pass = nullptr;
  ASSERT_EQ(device->EndStateBlock(&pass), D3D_OK);
  buffer->Release();
  vertexShader->Release();

  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 0.0f, 0);
  device->BeginScene();
  pass->Apply();
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
  device->EndScene();
  EXPECT_EQ(ReadBack()[0], 0xFF0000FFu);

  device->SetVertexShader(nullptr);
  device->SetStreamSource(0, nullptr, 0, 0);
  pass->Release();
}

TEST_F(StateBlockTest, TypedBlocksCaptureTheirShareOfTheState) {
  device->SetRenderState(D3DRS_ZFUNC, D3DCMP_GREATER);  // a pixel state
  device->SetRenderState(D3DRS_AMBIENT, 0x123456);     // a vertex state
  device->SetTransform(D3DTS_WORLD, &SCALE);           // neither
  D3DLIGHT9 light{};
  light.Type = D3DLIGHT_POINT;
  light.Range = 10.0f;
  device->SetLight(1, &light);
  IDirect3DStateBlock9* all = nullptr;
  IDirect3DStateBlock9* pixel = nullptr;
  IDirect3DStateBlock9* vertex = nullptr;
  ASSERT_EQ(device->CreateStateBlock(D3DSBT_ALL, &all), D3D_OK);
  ASSERT_EQ(device->CreateStateBlock(D3DSBT_PIXELSTATE, &pixel), D3D_OK);
  ASSERT_EQ(device->CreateStateBlock(D3DSBT_VERTEXSTATE, &vertex), D3D_OK);

  const D3DMATRIX identity = {{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}};
  auto scramble = [&] {
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_NEVER);
    device->SetRenderState(D3DRS_AMBIENT, 0);
    device->SetTransform(D3DTS_WORLD, &identity);
    D3DLIGHT9 other{};
    other.Type = D3DLIGHT_DIRECTIONAL;
    device->SetLight(1, &other);
  };
  D3DMATRIX world{};
  D3DLIGHT9 read{};

  scramble();
  pixel->Apply();
  EXPECT_EQ(RenderState(device, D3DRS_ZFUNC), DWORD{D3DCMP_GREATER});
  EXPECT_EQ(RenderState(device, D3DRS_AMBIENT), 0u);
  device->GetLight(1, &read);
  EXPECT_EQ(read.Type, D3DLIGHT_DIRECTIONAL);

  scramble();
  vertex->Apply();
  EXPECT_EQ(RenderState(device, D3DRS_ZFUNC), DWORD{D3DCMP_NEVER});
  EXPECT_EQ(RenderState(device, D3DRS_AMBIENT), 0x123456u);
  device->GetLight(1, &read);
  EXPECT_EQ(read.Type, D3DLIGHT_POINT);
  device->GetTransform(D3DTS_WORLD, &world);
  EXPECT_EQ(world._11, 1.0f);

  scramble();
  all->Apply();
  EXPECT_EQ(RenderState(device, D3DRS_ZFUNC), DWORD{D3DCMP_GREATER});
  EXPECT_EQ(RenderState(device, D3DRS_AMBIENT), 0x123456u);
  device->GetTransform(D3DTS_WORLD, &world);
  EXPECT_EQ(world._11, 2.0f);
  EXPECT_EQ(world._43, 7.0f);

  IDirect3DStateBlock9* none = nullptr;
  EXPECT_EQ(device->CreateStateBlock(static_cast<D3DSTATEBLOCKTYPE>(0), &none), D3DERR_INVALIDCALL);
  EXPECT_EQ(none, nullptr);
  all->Release();
  pixel->Release();
  vertex->Release();
}

}  // namespace
}  // namespace ynx::test
