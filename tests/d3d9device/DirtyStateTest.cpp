#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/d3d9/device/FixedFunctionKey.h"
#include "platform/d3d9/device/FixedFunctionUniforms.h"
#include "platform/d3d9/device/StateBlock.h"
#include "tests/d3d9device/DeviceFixture.h"

namespace ynx::test {
namespace {

// The device rebuilds the fixed-function key and uniform images only when
// a setter changed one of their inputs. These draw twice with a single
// change in between: a stale key or image shows as the first picture
// again.
class DirtyStateTest : public DeviceFixture {
 protected:
  struct LitVertex {
    float x, y, z;
    float nx, ny, nz;
  };

  void SetUp() override {
    DeviceFixture::SetUp();
    const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                          {0, 12, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_NORMAL, 0},
                                          D3DDECL_END()};
    ASSERT_EQ(device->CreateVertexDeclaration(elements, &lit), D3D_OK);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
  }
  void TearDown() override {
    device->SetVertexDeclaration(nullptr);
    lit->Release();
    DeviceFixture::TearDown();
  }

  // Clears, then draws a square of half-size `size` around the origin
  // (facing the viewer) through a fresh buffer, and reads the target back.
  std::vector<uint32_t> Draw(float size = 0.25f) {
    const LitVertex quad[4] = {{-size, size, 0.5f, 0, 0, -1},
                               {size, size, 0.5f, 0, 0, -1},
                               {-size, -size, 0.5f, 0, 0, -1},
                               {size, -size, 0.5f, 0, 0, -1}};
    IDirect3DVertexBuffer9* buffer = VertexBufferOf(&quad, sizeof quad);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device->BeginScene();
    device->SetVertexDeclaration(lit);
    device->SetStreamSource(0, buffer, 0, sizeof(LitVertex));
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    device->SetStreamSource(0, nullptr, 0, 0);
    device->EndScene();
    buffer->Release();
    return ReadBack();
  }

  static D3DMATRIX Translation(float x, float y) {
    D3DMATRIX matrix{};
    matrix._11 = matrix._22 = matrix._33 = matrix._44 = 1.0f;
    matrix._41 = x;
    matrix._42 = y;
    return matrix;
  }

  static D3DLIGHT9 Light(float r, float g, float b) {
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {r, g, b, 1.0f};
    light.Direction = {0.0f, 0.0f, 1.0f};
    return light;
  }

  // Pixels at the middle of the left and right halves.
  static uint32_t Left(const std::vector<uint32_t>& pixels) { return At(pixels, WIDTH, WIDTH / 4, HEIGHT / 2); }
  static uint32_t Right(const std::vector<uint32_t>& pixels) { return At(pixels, WIDTH, 3 * WIDTH / 4, HEIGHT / 2); }

  IDirect3DVertexDeclaration9* lit = nullptr;
};

TEST_F(DirtyStateTest, ATransformChangedAloneMovesTheNextDraw) {
  const D3DMATRIX left = Translation(-0.5f, 0.0f);
  const D3DMATRIX right = Translation(0.5f, 0.0f);
  device->SetTransform(D3DTS_WORLD, &left);
  std::vector<uint32_t> pixels = Draw();
  EXPECT_EQ(Left(pixels), 0xFFFFFFFFu);
  EXPECT_EQ(Right(pixels), 0xFF000000u);
  device->SetTransform(D3DTS_WORLD, &right);
  pixels = Draw();
  EXPECT_EQ(Left(pixels), 0xFF000000u);
  EXPECT_EQ(Right(pixels), 0xFFFFFFFFu);
  // The view moves it back; setting the same world again changes nothing.
  const D3DMATRIX back = Translation(-1.0f, 0.0f);
  device->SetTransform(D3DTS_VIEW, &back);
  device->SetTransform(D3DTS_WORLD, &right);
  pixels = Draw();
  EXPECT_EQ(Left(pixels), 0xFFFFFFFFu);
  EXPECT_EQ(Right(pixels), 0xFF000000u);
}

TEST_F(DirtyStateTest, ALightChangedAloneRelightsTheNextDraw) {
  device->SetRenderState(D3DRS_LIGHTING, TRUE);
  D3DMATERIAL9 material{};
  material.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
  device->SetMaterial(&material);
  const D3DLIGHT9 red = Light(1, 0, 0);
  const D3DLIGHT9 green = Light(0, 1, 0);
  device->SetLight(0, &red);
  EXPECT_TRUE(NearColor(Left(Draw(1.0f)), 0xFF000000u));
  // Enabled: the key gains the light.
  device->LightEnable(0, TRUE);
  EXPECT_TRUE(NearColor(Left(Draw(1.0f)), 0xFFFF0000u));
  device->SetLight(0, &green);
  EXPECT_TRUE(NearColor(Left(Draw(1.0f)), 0xFF00FF00u));
  // Off and on again.
  device->LightEnable(0, FALSE);
  EXPECT_TRUE(NearColor(Left(Draw(1.0f)), 0xFF000000u));
  device->LightEnable(0, TRUE);
  EXPECT_TRUE(NearColor(Left(Draw(1.0f)), 0xFF00FF00u));
  material.Diffuse = {0.5f, 0.5f, 0.5f, 1.0f};
  device->SetMaterial(&material);
  EXPECT_TRUE(NearColor(Left(Draw(1.0f)), 0xFF008000u));
  // Only the ambient render state changes.
  device->SetRenderState(D3DRS_AMBIENT, 0xFF404040);
  material.Ambient = {1.0f, 1.0f, 1.0f, 1.0f};
  device->SetMaterial(&material);
  EXPECT_TRUE(NearColor(Left(Draw(1.0f)), 0xFF40C040u));
  device->SetRenderState(D3DRS_AMBIENT, 0xFF000000);
  EXPECT_TRUE(NearColor(Left(Draw(1.0f)), 0xFF008000u));
}

TEST_F(DirtyStateTest, AFactorOrStageConstantChangedAloneRecoloursTheNextDraw) {
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
  device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF102030);
  EXPECT_EQ(Left(Draw(1.0f)), 0xFF102030u);
  device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF405060);
  EXPECT_EQ(Left(Draw(1.0f)), 0xFF405060u);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_CONSTANT);
  device->SetTextureStageState(0, D3DTSS_CONSTANT, 0xFF708090);
  EXPECT_EQ(Left(Draw(1.0f)), 0xFF708090u);
  device->SetTextureStageState(0, D3DTSS_CONSTANT, 0xFFA0B0C0);
  EXPECT_EQ(Left(Draw(1.0f)), 0xFFA0B0C0u);
}

TEST_F(DirtyStateTest, AStateBlockAppliedAgainRestoresWhatItHolds) {
  const D3DMATRIX left = Translation(-0.5f, 0.0f);
  const D3DMATRIX right = Translation(0.5f, 0.0f);
  const float constants[7][4] = {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16},
                                 {0, 0, 0, 0}, {0, 0, 0, 0}, {17, 18, 19, 20}};
  ASSERT_EQ(device->BeginStateBlock(), D3D_OK);
  device->SetTransform(D3DTS_WORLD, &left);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
  device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF00FF00);
  device->SetVertexShaderConstantF(0, constants[0], 2);
  device->SetVertexShaderConstantF(2, constants[2], 2);
  device->SetVertexShaderConstantF(6, constants[6], 1);
  IDirect3DStateBlock9* block = nullptr;
  ASSERT_EQ(device->EndStateBlock(&block), D3D_OK);

  const float zeros[7][4] = {};
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_EQ(block->Apply(), D3D_OK);
    std::vector<uint32_t> pixels = Draw();
    EXPECT_EQ(Left(pixels), 0xFF00FF00u) << pass;
    EXPECT_EQ(Right(pixels), 0xFF000000u) << pass;
    float read[7][4] = {};
    device->GetVertexShaderConstantF(0, read[0], 7);
    EXPECT_EQ(std::memcmp(read, constants, sizeof read), 0) << pass;

    // Changed behind the block's back; the next Apply must undo all of it.
    device->SetTransform(D3DTS_WORLD, &right);
    device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFFFF0000);
    device->SetVertexShaderConstantF(0, zeros[0], 7);
    pixels = Draw();
    EXPECT_EQ(Left(pixels), 0xFF000000u) << pass;
    EXPECT_EQ(Right(pixels), 0xFFFF0000u) << pass;
  }
  // Capture takes the device's current values into the block.
  ASSERT_EQ(block->Capture(), D3D_OK);
  device->SetTransform(D3DTS_WORLD, &left);
  ASSERT_EQ(block->Apply(), D3D_OK);
  std::vector<uint32_t> pixels = Draw();
  EXPECT_EQ(Right(pixels), 0xFFFF0000u);
  float read[4] = {9, 9, 9, 9};
  device->GetVertexShaderConstantF(6, read, 1);
  EXPECT_EQ(read[0], 0.0f);
  block->Release();
}

// The device rebuilds the key only for the render states the key lists, and
// the uniform images only for theirs: changing any other render state must
// change neither, whatever else is set.
TEST(FixedFunctionInputsTest, RenderStatesOutsideTheListsChangeNeitherKeyNorUniforms) {
  const auto listed = [](const auto& list, uint32_t type) {
    for (D3DRENDERSTATETYPE entry : list) {
      if (entry == type) return true;
    }
    return false;
  };
  DeviceState base;
  base.SetDefaults(true, 64, 64);
  base.lights[0].Type = D3DLIGHT_SPOT;
  base.lights[2].Type = D3DLIGHT_POINT;
  base.lightEnables = 0b101;
  base.stageStates[0][D3DTSS_TEXCOORDINDEX] = D3DTSS_TCI_CAMERASPACENORMAL;
  base.stageStates[1][D3DTSS_COLOROP] = D3DTOP_ADD;
  base.stageStates[1][D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_COUNT3 | D3DTTFF_PROJECTED;
  base.renderStates[D3DRS_SPECULARENABLE] = TRUE;
  base.renderStates[D3DRS_ALPHATESTENABLE] = TRUE;
  base.renderStates[D3DRS_POINTSPRITEENABLE] = TRUE;
  base.renderStates[D3DRS_POINTSCALEENABLE] = TRUE;

  const DWORD values[] = {0, 1, 2, 3, 4, 8, 0x3F800000, 0xFFFFFFFF};
  for (DWORD fog : {0u, 1u}) {
    for (DWORD tableMode : {DWORD{D3DFOG_NONE}, DWORD{D3DFOG_LINEAR}}) {
      for (bool points : {false, true}) {
        DeviceState state = base;
        state.renderStates[D3DRS_FOGENABLE] = fog;
        state.renderStates[D3DRS_FOGTABLEMODE] = tableMode;
        state.renderStates[D3DRS_FOGVERTEXMODE] = D3DFOG_EXP;
        const auto view = [&]() -> FixedFunctionState {
          return {state.renderStates, state.stageStates, state.world,
                  state.view,         state.projection,  state.texture,
                  state.lights,       static_cast<uint8_t>(state.lightEnables),
                  state.material,     state.viewport};
        };
        FixedFunctionKey::Draw draw;
        draw.normal = draw.diffuse = draw.specular = draw.pointSize = true;
        draw.texcoordComponents[0] = 3;
        draw.points = points;
        draw.textures[0] = draw.textures[1] = FixedFunctionKey::TEXTURE_2D;
        const FixedFunctionKey key = FixedFunctionKey::Make(view(), draw);
        FixedFunctionUniforms::Vertex vertex;
        FixedFunctionUniforms::Pixel pixel;
        FixedFunctionUniforms::Fill(view(), vertex, pixel);
        for (uint32_t type = 0; type < DeviceState::RENDER_STATES; ++type) {
          const bool keyReads = listed(FixedFunctionKey::RENDER_STATES_READ, type);
          const bool vertexReads = listed(FixedFunctionUniforms::VERTEX_RENDER_STATES, type);
          const bool pixelReads = listed(FixedFunctionUniforms::PIXEL_RENDER_STATES, type);
          const uint32_t original = state.renderStates[type];
          for (DWORD value : values) {
            state.renderStates[type] = value;
            FixedFunctionUniforms::Vertex otherVertex;
            FixedFunctionUniforms::Pixel otherPixel;
            FixedFunctionUniforms::Fill(view(), otherVertex, otherPixel);
            const bool sameKey = FixedFunctionKey::Make(view(), draw) == key;
            ASSERT_TRUE(keyReads || sameKey) << type << " = " << value;
            const bool sameVertex = std::memcmp(&otherVertex, &vertex, sizeof vertex) == 0;
            const bool samePixel = std::memcmp(&otherPixel, &pixel, sizeof pixel) == 0;
            ASSERT_TRUE(vertexReads || sameVertex) << type << " = " << value;
            ASSERT_TRUE(pixelReads || samePixel) << type << " = " << value;
          }
          state.renderStates[type] = original;
        }
      }
    }
  }
}

}  // namespace
}  // namespace ynx::test
