#include <gtest/gtest.h>

#include <cstring>

#include "platform/d3d9/D3DX9.h"
#include "platform/d3d9/StateBlock.h"
#include "tests/d3d9device/DeviceFixture.h"

namespace ynx::test {
namespace {

using ResourceLifetimeTest = DeviceFixture;

TEST_F(ResourceLifetimeTest, CreatingUsingAndReleasingEveryKindLeavesNothing) {
  const size_t before = IUnknown::LiveObjects();
  for (int round = 0; round < 25; ++round) {
    IDirect3DTexture9* texture = PatternTexture(16, 16);
    IDirect3DTexture9* mipmapped = nullptr;
    IDirect3DTexture9* target = nullptr;
    IDirect3DTexture9* depthTexture = nullptr;
    IDirect3DCubeTexture9* cube = nullptr;
    IDirect3DSurface9* depthSurface = nullptr;
    IDirect3DSurface9* renderSurface = nullptr;
    IDirect3DSurface9* plain = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    IDirect3DQuery9* query = nullptr;
    ASSERT_EQ(device->CreateTexture(8, 8, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &mipmapped, nullptr), D3D_OK);
    ASSERT_EQ(device->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target,
                                    nullptr),
              D3D_OK);
    ASSERT_EQ(device->CreateTexture(16, 16, 1, D3DUSAGE_DEPTHSTENCIL, D3DFMT_D16, D3DPOOL_DEFAULT, &depthTexture,
                                    nullptr),
              D3D_OK);
    ASSERT_EQ(device->CreateCubeTexture(4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &cube, nullptr), D3D_OK);
    ASSERT_EQ(device->CreateDepthStencilSurface(16, 16, D3DFMT_D24X8, D3DMULTISAMPLE_NONE, 0, FALSE, &depthSurface,
                                                nullptr),
              D3D_OK);
    ASSERT_EQ(device->CreateRenderTarget(16, 16, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE, &renderSurface,
                                         nullptr),
              D3D_OK);
    ASSERT_EQ(device->CreateOffscreenPlainSurface(16, 16, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &plain, nullptr), D3D_OK);
    ASSERT_EQ(device->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr), D3D_OK);
    ASSERT_EQ(device->CreateQuery(D3DQUERYTYPE_OCCLUSION, &query), D3D_OK);
    D3DXFilterTexture(mipmapped, nullptr, 0, D3DX_DEFAULT);
    void* data = nullptr;
    indices->Lock(0, 0, &data, 0);
    const uint16_t quad[6] = {0, 1, 2, 1, 3, 2};
    std::memcpy(data, quad, sizeof quad);
    indices->Unlock();

    // Use them: render into the target with the depth texture, sample it,
    // read back, record a block holding some of them.
    IDirect3DSurface9* level = nullptr;
    IDirect3DSurface9* depthLevel = nullptr;
    target->GetSurfaceLevel(0, &level);
    depthTexture->GetSurfaceLevel(0, &depthLevel);
    IDirect3DSurface9* backBuffer = nullptr;
    IDirect3DSurface9* autoDepth = nullptr;
    device->GetRenderTarget(0, &backBuffer);
    device->GetDepthStencilSurface(&autoDepth);
    device->SetRenderTarget(0, level);
    device->SetDepthStencilSurface(depthLevel);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device->BeginScene();
    query->Issue(D3DISSUE_BEGIN);
    device->SetTexture(0, round % 2 ? static_cast<IDirect3DBaseTexture9*>(texture) : mipmapped);
    DrawTexturedQuad(-1, 1, 1, -1, 0, 0, 1, 1);
    query->Issue(D3DISSUE_END);
    device->EndScene();
    DWORD samples = 0;
    while (query->GetData(&samples, sizeof samples, D3DGETDATA_FLUSH) == S_FALSE) {
    }
    EXPECT_EQ(samples, 256u);
    device->SetRenderTarget(0, renderSurface);
    device->SetDepthStencilSurface(depthSurface);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device->SetRenderTarget(0, backBuffer);
    device->SetDepthStencilSurface(autoDepth);
    device->GetRenderTargetData(level, plain);
    device->BeginStateBlock();
    device->SetTexture(2, cube);
    device->SetIndices(indices);
    IDirect3DStateBlock9* block = nullptr;
    device->EndStateBlock(&block);
    IDirect3DStateBlock9* all = nullptr;
    device->CreateStateBlock(D3DSBT_ALL, &all);
    block->Apply();
    device->SetTexture(0, nullptr);
    device->SetTexture(2, nullptr);
    device->SetIndices(nullptr);

    for (IUnknown* object : std::initializer_list<IUnknown*>{
             texture, mipmapped, target, depthTexture, cube, depthSurface, renderSurface, plain, indices, query, level,
             depthLevel, backBuffer, autoDepth, block, all}) {
      object->Release();
    }
  }
  EXPECT_EQ(IUnknown::LiveObjects(), before);
}

TEST_F(ResourceLifetimeTest, ReferencesFollowTheApi) {
  const size_t before = IUnknown::LiveObjects();
  IDirect3DTexture9* texture = PatternTexture(4, 4);
  EXPECT_EQ(IUnknown::LiveObjects(), before + 1);
  // A level's surface shares the texture's count.
  IDirect3DSurface9* level = nullptr;
  texture->GetSurfaceLevel(0, &level);
  EXPECT_EQ(texture->AddRef(), 3u);
  EXPECT_EQ(level->Release(), 2u);
  EXPECT_EQ(texture->Release(), 1u);
  // Binding holds a reference.
  device->SetTexture(0, texture);
  EXPECT_EQ(texture->Release(), 1u);
  EXPECT_GT(IUnknown::LiveObjects(), before);
  device->SetTexture(0, nullptr);
  EXPECT_EQ(IUnknown::LiveObjects(), before);

  // Getters add a reference; the device's getter too.
  IDirect3DDevice9* owner = nullptr;
  IDirect3DVertexBuffer9* buffer = nullptr;
  device->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, &buffer, nullptr);
  ASSERT_EQ(buffer->GetDevice(&owner), D3D_OK);
  EXPECT_EQ(owner, device);
  owner->Release();
  device->SetStreamSource(3, buffer, 16, 12);
  IDirect3DVertexBuffer9* bound = nullptr;
  UINT offset = 0;
  UINT stride = 0;
  ASSERT_EQ(device->GetStreamSource(3, &bound, &offset, &stride), D3D_OK);
  EXPECT_EQ(bound, buffer);
  EXPECT_EQ(offset, 16u);
  EXPECT_EQ(stride, 12u);
  EXPECT_EQ(buffer->Release(), 2u);
  EXPECT_EQ(buffer->Release(), 1u);
  device->SetStreamSource(3, nullptr, 0, 0);
  EXPECT_EQ(IUnknown::LiveObjects(), before);
}

TEST_F(ResourceLifetimeTest, ObjectsOutliveTheirDeviceAsOrphans) {
  IDirect3DTexture9* texture = PatternTexture(4, 4);
  device->SetTexture(0, texture);
  IDirect3DStateBlock9* block = nullptr;
  device->CreateStateBlock(D3DSBT_ALL, &block);
  device->Release();
  device = nullptr;
  // Still a texture whose bits can be read.
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(static_cast<const uint32_t*>(locked.pBits)[1], Pattern(1, 0));
  texture->UnlockRect(0);
  IDirect3DDevice9* owner = nullptr;
  EXPECT_EQ(texture->GetDevice(&owner), D3DERR_INVALIDCALL);
  EXPECT_EQ(block->Apply(), D3DERR_INVALIDCALL);
  block->Release();
  texture->Release();
}

}  // namespace
}  // namespace ynx::test
