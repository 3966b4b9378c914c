#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/d3d9device/DeviceFixture.h"

namespace ynx::test {
namespace {

constexpr D3DCOLOR RED = 0xFFFF0000;
constexpr D3DCOLOR GREEN = 0xFF00FF00;
constexpr D3DCOLOR BLUE = 0xFF0000FF;
constexpr D3DCOLOR BLACK = 0xFF000000;

using DrawTest = DeviceFixture;

TEST_F(DrawTest, ClearFillsTheViewportAndRectanglesOnly) {
  ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, RED, 1.0f, 0), D3D_OK);
  std::vector<uint32_t> pixels = ReadBack();
  ASSERT_EQ(pixels.size(), size_t{WIDTH} * HEIGHT);
  for (uint32_t pixel : pixels) ASSERT_EQ(pixel, RED);

  const D3DRECT rects[] = {{10, 20, 30, 25}, {100, 90, 200, 200}};
  ASSERT_EQ(device->Clear(2, rects, D3DCLEAR_TARGET, GREEN, 1.0f, 0), D3D_OK);
  pixels = ReadBack();
  EXPECT_EQ(At(pixels, WIDTH, 10, 20), GREEN);
  EXPECT_EQ(At(pixels, WIDTH, 29, 24), GREEN);
  EXPECT_EQ(At(pixels, WIDTH, 30, 24), RED);
  EXPECT_EQ(At(pixels, WIDTH, 29, 25), RED);
  EXPECT_EQ(At(pixels, WIDTH, 9, 20), RED);
  EXPECT_EQ(At(pixels, WIDTH, WIDTH - 1, HEIGHT - 1), GREEN);  // clipped to the target
  EXPECT_EQ(At(pixels, WIDTH, 99, 95), RED);

  const D3DVIEWPORT9 viewport{32, 16, 16, 8, 0.0f, 1.0f};
  ASSERT_EQ(device->SetViewport(&viewport), D3D_OK);
  ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, BLUE, 1.0f, 0), D3D_OK);
  pixels = ReadBack();
  EXPECT_EQ(At(pixels, WIDTH, 32, 16), BLUE);
  EXPECT_EQ(At(pixels, WIDTH, 47, 23), BLUE);
  EXPECT_EQ(At(pixels, WIDTH, 48, 23), RED);
  EXPECT_EQ(At(pixels, WIDTH, 47, 24), RED);
  EXPECT_EQ(At(pixels, WIDTH, 31, 16), RED);

  // Depth and stencil need a depth buffer that has them.
  device->SetDepthStencilSurface(nullptr);
  EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
}

TEST_F(DrawTest, AQuadInTheUpperLeftQuadrantLandsThere) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, BLACK, 1.0f, 0);
  ASSERT_EQ(device->BeginScene(), D3D_OK);
  DrawColorQuad(-1.0f, 1.0f, 0.0f, 0.0f, 0.5f, RED);
  ASSERT_EQ(device->EndScene(), D3D_OK);
  const std::vector<uint32_t> pixels = ReadBack();
  for (UINT y = 0; y < HEIGHT; ++y) {
    for (UINT x = 0; x < WIDTH; ++x) {
      const bool inside = x < WIDTH / 2 && y < HEIGHT / 2;
      ASSERT_EQ(At(pixels, WIDTH, x, y), inside ? RED : BLACK) << x << ", " << y;
    }
  }
}

TEST_F(DrawTest, CullingFollowsTheWindingOnScreen) {
  // Clockwise on screen (top left, top right, bottom left), then the same
  // counter-clockwise.
  const ColorVertex triangles[6] = {{-1, 1, 0.5f, RED},   {1, 1, 0.5f, RED},    {-1, -1, 0.5f, RED},
                                    {-1, 1, 0.5f, GREEN}, {-1, -1, 0.5f, GREEN}, {1, 1, 0.5f, GREEN}};
  IDirect3DVertexBuffer9* buffer = VertexBufferOf(triangles, sizeof triangles);
  UseColorPipeline();
  device->SetStreamSource(0, buffer, 0, sizeof(ColorVertex));

  struct Case {
    DWORD cull;
    D3DCOLOR expected;
  };
  // Drawn in order clockwise then counter-clockwise; the later one wins
  // where both survive.
  for (const Case& test : {Case{D3DCULL_CCW, RED}, Case{D3DCULL_CW, GREEN}, Case{D3DCULL_NONE, GREEN}}) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, BLACK, 1.0f, 0);
    device->SetRenderState(D3DRS_CULLMODE, test.cull);
    device->BeginScene();
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);
    device->EndScene();
    EXPECT_EQ(At(ReadBack(), WIDTH, 10, 10), test.expected) << "cull mode " << test.cull;
  }
  // The default is counter-clockwise culling.
  D3DPRESENT_PARAMETERS parameters = Parameters();
  device->SetStreamSource(0, nullptr, 0, 0);
  buffer->Release();
  ASSERT_EQ(device->Reset(&parameters), D3D_OK);
  DWORD cull = 0;
  device->GetRenderState(D3DRS_CULLMODE, &cull);
  EXPECT_EQ(cull, DWORD{D3DCULL_CCW});
}

TEST_F(DrawTest, DepthTestComparesAgainstTheClearedDepth) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, BLACK, 0.5f, 0);
  device->BeginScene();
  DrawColorQuad(-1, 1, 0, -1, 0.25f, GREEN);  // nearer: drawn
  DrawColorQuad(0, 1, 1, -1, 0.75f, BLUE);    // farther: hidden
  DrawColorQuad(-1, 1, 1, 0.5f, 0.5f, RED);   // equal: drawn under LESSEQUAL on the right only
  device->EndScene();
  std::vector<uint32_t> pixels = ReadBack();
  EXPECT_EQ(At(pixels, WIDTH, 10, 60), GREEN);
  EXPECT_EQ(At(pixels, WIDTH, 100, 60), BLACK);
  EXPECT_EQ(At(pixels, WIDTH, 10, 5), GREEN);
  EXPECT_EQ(At(pixels, WIDTH, 100, 5), RED);

  // Without depth testing the last quad wins everywhere it covers.
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  device->BeginScene();
  DrawColorQuad(0, 1, 1, -1, 0.9f, BLUE);
  device->EndScene();
  pixels = ReadBack();
  EXPECT_EQ(At(pixels, WIDTH, 100, 60), BLUE);
  // ... and writes no depth: testing again with the cleared 0.5 hides it.
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  device->BeginScene();
  DrawColorQuad(0, 1, 1, -1, 0.6f, GREEN);
  device->EndScene();
  EXPECT_EQ(At(ReadBack(), WIDTH, 100, 60), BLUE);
}

TEST_F(DrawTest, ShaderConstantsReachBothStages) {
  const std::string vs = "vs_2_0\ndcl_position v0\nmov oPos, v0\nmov oD0, c7\n";
  const std::string ps = "ps_2_0\ndcl v0\nmul r0, v0, c2\nadd oC0, r0, c3\n";
  IDirect3DVertexShader9* vertexShader = VertexShader(vs);
  IDirect3DPixelShader9* pixelShader = PixelShader(ps);
  UseColorPipeline();
  device->SetVertexShader(vertexShader);
  device->SetPixelShader(pixelShader);
  const float half[4] = {0.5f, 0.5f, 0.5f, 1.0f};
  const float quarter[4] = {0.25f, 0.25f, 0.25f, 0.5f};
  const float colors[2][4] = {{1.0f, 0.0f, 0.5f, 1.0f}, {0.0f, 1.0f, 1.0f, 1.0f}};
  device->SetPixelShaderConstantF(2, half, 1);
  device->SetPixelShaderConstantF(3, quarter, 1);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, BLACK, 1.0f, 0);
  // Strips over the left and the right half.
  const ColorVertex halves[8] = {{-1, 1, 0, 0}, {0, 1, 0, 0}, {-1, -1, 0, 0}, {0, -1, 0, 0},
                                 {0, 1, 0, 0},  {1, 1, 0, 0}, {0, -1, 0, 0},  {1, -1, 0, 0}};
  IDirect3DVertexBuffer9* buffer = VertexBufferOf(halves, sizeof halves);
  device->SetStreamSource(0, buffer, 0, sizeof(ColorVertex));
  device->BeginScene();
  // Constants changed between draws of one frame reach the second draw.
  device->SetVertexShaderConstantF(7, colors[0], 1);
  device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  device->SetVertexShaderConstantF(7, colors[1], 1);
  device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 4, 2);
  device->EndScene();
  const std::vector<uint32_t> pixels = ReadBack();
  // 0.5 * c + 0.25: 1 -> 0.75 (191), 0 -> 0.25 (64), 0.5 -> 0.5 (128).
  EXPECT_TRUE(NearColor(At(pixels, WIDTH, 20, 40), 0xFFBF4080));
  EXPECT_TRUE(NearColor(At(pixels, WIDTH, 100, 40), 0xFF40BFBF));

  float read[4] = {};
  device->GetVertexShaderConstantF(7, read, 1);
  EXPECT_EQ(read[1], 1.0f);
  EXPECT_EQ(device->SetPixelShaderConstantF(31, half, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetVertexShaderConstantF(255, half, 1), D3D_OK);
  device->SetStreamSource(0, nullptr, 0, 0);
  buffer->Release();
  vertexShader->Release();
  pixelShader->Release();
}

TEST_F(DrawTest, IndicesOfSixteenAndThirtyTwoBits) {
  // 65537 vertices so that index 0xFFFF names a real vertex: no primitive
  // restart.
  constexpr UINT COUNT = 65537;
  IDirect3DVertexBuffer9* vertices = nullptr;
  ASSERT_EQ(device->CreateVertexBuffer(COUNT * sizeof(ColorVertex), 0, 0, D3DPOOL_MANAGED, &vertices, nullptr),
            D3D_OK);
  void* data = nullptr;
  vertices->Lock(0, 0, &data, 0);
  auto* v = static_cast<ColorVertex*>(data);
  for (UINT i = 0; i < COUNT; ++i) v[i] = {2.0f, 2.0f, 0.5f, 0};  // off screen
  // Left half through 16-bit indices (0xFFFF among them), right half
  // through 32-bit ones with a base vertex.
  v[0xFFFC] = {-1, 1, 0.5f, RED};
  v[0xFFFD] = {0, 1, 0.5f, RED};
  v[0xFFFE] = {-1, -1, 0.5f, RED};
  v[0xFFFF] = {0, -1, 0.5f, RED};
  v[10] = {0, 1, 0.5f, GREEN};
  v[11] = {1, 1, 0.5f, GREEN};
  v[12] = {0, -1, 0.5f, GREEN};
  v[13] = {1, -1, 0.5f, GREEN};
  vertices->Unlock();

  IDirect3DIndexBuffer9* short16 = nullptr;
  IDirect3DIndexBuffer9* long32 = nullptr;
  ASSERT_EQ(device->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &short16, nullptr), D3D_OK);
  ASSERT_EQ(device->CreateIndexBuffer(32, 0, D3DFMT_INDEX32, D3DPOOL_MANAGED, &long32, nullptr), D3D_OK);
  short16->Lock(0, 0, &data, 0);
  const uint16_t shortIndices[6] = {0xFFFC, 0xFFFD, 0xFFFE, 0xFFFD, 0xFFFF, 0xFFFE};
  std::memcpy(data, shortIndices, sizeof shortIndices);
  short16->Unlock();
  long32->Lock(0, 0, &data, 0);
  const uint32_t longIndices[8] = {99, 99, 0, 1, 2, 1, 3, 2};
  std::memcpy(data, longIndices, sizeof longIndices);
  long32->Unlock();

  UseColorPipeline();
  device->SetStreamSource(0, vertices, 0, sizeof(ColorVertex));
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, BLACK, 1.0f, 0);
  device->BeginScene();
  device->SetIndices(short16);
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, COUNT, 0, 2), D3D_OK);
  device->SetIndices(long32);
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 10, 0, 4, 2, 2), D3D_OK);
  // Past the end of the index buffer.
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 10, 0, 4, 4, 2), D3DERR_INVALIDCALL);
  device->EndScene();
  const std::vector<uint32_t> pixels = ReadBack();
  EXPECT_EQ(At(pixels, WIDTH, 10, 10), RED);
  EXPECT_EQ(At(pixels, WIDTH, 60, 90), RED);
  EXPECT_EQ(At(pixels, WIDTH, 70, 10), GREEN);
  EXPECT_EQ(At(pixels, WIDTH, 120, 90), GREEN);

  device->SetIndices(nullptr);
  device->SetStreamSource(0, nullptr, 0, 0);
  short16->Release();
  long32->Release();
  vertices->Release();
}

// Small static buffers share GL storage: each draw must still read its own
// bytes after neighbours are released and made anew, after a lock rewrites
// part of one, and next to a dynamic buffer with storage of its own.
TEST_F(DrawTest, SmallBuffersDrawTheirOwnBytes) {
  constexpr int COLUMNS = 4;
  struct Column {
    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
  };
  Column columns[COLUMNS];
  // Column c's quad follows c vertices off screen and its indices skip
  // them, so that another column's indices would draw nothing right.
  const auto make = [&](int column, D3DCOLOR color, DWORD usage) {
    Column& made = columns[column];
    const float x0 = -1.0f + 0.5f * static_cast<float>(column);
    std::vector<ColorVertex> vertices(static_cast<size_t>(column), ColorVertex{2, 2, 0.5f, 0});
    vertices.insert(vertices.end(), {{x0, 1, 0.5f, color},
                                     {x0 + 0.5f, 1, 0.5f, color},
                                     {x0, -1, 0.5f, color},
                                     {x0 + 0.5f, -1, 0.5f, color}});
    const auto size = static_cast<UINT>(vertices.size() * sizeof(ColorVertex));
    ASSERT_EQ(device->CreateVertexBuffer(size, usage, 0, usage & D3DUSAGE_DYNAMIC ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED,
                                         &made.vertices, nullptr),
              D3D_OK);
    void* data = nullptr;
    made.vertices->Lock(0, 0, &data, 0);
    std::memcpy(data, vertices.data(), size);
    made.vertices->Unlock();
    ASSERT_EQ(device->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &made.indices, nullptr), D3D_OK);
    made.indices->Lock(0, 0, &data, 0);
    const auto first = static_cast<uint16_t>(column);
    const uint16_t indices[6] = {first,
                                 static_cast<uint16_t>(first + 1),
                                 static_cast<uint16_t>(first + 2),
                                 static_cast<uint16_t>(first + 1),
                                 static_cast<uint16_t>(first + 3),
                                 static_cast<uint16_t>(first + 2)};
    std::memcpy(data, indices, sizeof indices);
    made.indices->Unlock();
  };
  const auto release = [&](int column) {
    columns[column].vertices->Release();
    columns[column].indices->Release();
  };
  const auto drawAll = [&] {
    UseColorPipeline();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, BLACK, 1.0f, 0);
    device->BeginScene();
    for (const Column& column : columns) {
      device->SetStreamSource(0, column.vertices, 0, sizeof(ColorVertex));
      device->SetIndices(column.indices);
      EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 7, 0, 2), D3D_OK);
    }
    device->EndScene();
    return ReadBack();
  };
  make(0, RED, 0);
  make(1, GREEN, 0);
  make(2, BLUE, 0);
  make(3, RED, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY);

  struct Round {
    const char* change;
    D3DCOLOR expected[COLUMNS];
  };
  const Round rounds[] = {
      {"as made", {RED, GREEN, BLUE, RED}},
      {"column 1 made anew in blue", {RED, BLUE, BLUE, RED}},
      {"column 2 relocked in green, in two ranges", {RED, BLUE, GREEN, RED}},
      {"column 3 rewritten in green", {RED, BLUE, GREEN, GREEN}},
  };
  for (const Round& round : rounds) {
    SCOPED_TRACE(round.change);
    if (round.change == rounds[1].change) {
      release(1);
      make(1, BLUE, 0);
    } else if (round.change == rounds[2].change) {
      // Its quad is vertices 2 to 5: two locks at offsets of their own.
      for (UINT pair = 0; pair < 2; ++pair) {
        void* data = nullptr;
        columns[2].vertices->Lock((2 + 2 * pair) * sizeof(ColorVertex), 2 * sizeof(ColorVertex), &data, 0);
        auto* v = static_cast<ColorVertex*>(data);
        v[0].color = v[1].color = GREEN;
        columns[2].vertices->Unlock();
      }
    } else if (round.change == rounds[3].change) {
      void* data = nullptr;
      columns[3].vertices->Lock(0, 0, &data, 0);
      auto* v = static_cast<ColorVertex*>(data);
      for (int i = 3; i < 7; ++i) v[i].color = GREEN;
      columns[3].vertices->Unlock();
    }
    const std::vector<uint32_t> pixels = drawAll();
    for (int column = 0; column < COLUMNS; ++column) {
      EXPECT_EQ(At(pixels, WIDTH, static_cast<UINT>(16 + 32 * column), HEIGHT / 2), round.expected[column])
          << "column " << column;
    }
  }
  device->SetIndices(nullptr);
  device->SetStreamSource(0, nullptr, 0, 0);
  for (int column = 0; column < COLUMNS; ++column) release(column);
}

TEST_F(DrawTest, AlphaBlendingMixesWithTheTarget) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->BeginScene();
  DrawColorQuad(-1, 1, 1, -1, 0.5f, 0x40FF0000);
  device->EndScene();
  // 0.25 red over blue.
  EXPECT_TRUE(NearColor(At(ReadBack(), WIDTH, 5, 5) | 0xFF000000, 0xFF4000BF));

  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  device->SetRenderState(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_GREEN);
  device->BeginScene();
  DrawColorQuad(-1, 1, 1, -1, 0.5f, 0xFFFFFFFF);
  device->EndScene();
  EXPECT_TRUE(NearColor(At(ReadBack(), WIDTH, 5, 5) | 0xFF000000, 0xFF40FFBF));
}

TEST_F(DrawTest, DrawsNeedADeclarationStreamsAndAScene) {
  UseColorPipeline();
  device->SetVertexDeclaration(nullptr);
  device->BeginScene();
  const ColorVertex quad[4] = {};
  IDirect3DVertexBuffer9* buffer = VertexBufferOf(quad, sizeof quad);
  device->SetStreamSource(0, buffer, 0, sizeof(ColorVertex));
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, 4, 0, 2), D3DERR_INVALIDCALL);
  UseColorPipeline();
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
  EXPECT_EQ(device->DrawPrimitive(static_cast<D3DPRIMITIVETYPE>(9), 0, 2), D3DERR_INVALIDCALL);
  device->SetStreamSource(0, nullptr, 0, 0);
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);
  const std::vector<std::string> messages = TakeMessages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("stream 0"), std::string::npos) << messages[0];
  EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
  device->EndScene();
  EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
  device->SetStreamSource(0, buffer, 0, sizeof(ColorVertex));
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);  // outside a scene
  device->SetStreamSource(0, nullptr, 0, 0);
  buffer->Release();
}

TEST_F(DrawTest, OcclusionQueriesCountVisibleSamples) {
  IDirect3DQuery9* query = nullptr;
  ASSERT_EQ(device->CreateQuery(D3DQUERYTYPE_OCCLUSION, nullptr), D3D_OK);
  EXPECT_EQ(device->CreateQuery(D3DQUERYTYPE_EVENT, nullptr), D3DERR_NOTAVAILABLE);
  ASSERT_EQ(device->CreateQuery(D3DQUERYTYPE_OCCLUSION, &query), D3D_OK);
  EXPECT_EQ(query->GetDataSize(), 4u);
  DWORD count = 0;
  EXPECT_EQ(query->GetData(&count, sizeof count, 0), D3DERR_INVALIDCALL);  // never issued

  auto measure = [&](float z) {
    device->BeginScene();
    query->Issue(D3DISSUE_BEGIN);
    // A quarter of the width and a quarter of the height.
    DrawColorQuad(-0.5f, 0.5f, 0.0f, 0.0f, z, RED);
    query->Issue(D3DISSUE_END);
    device->EndScene();
    HRESULT result = S_FALSE;
    while ((result = query->GetData(&count, sizeof count, D3DGETDATA_FLUSH)) == S_FALSE) {
    }
    EXPECT_EQ(result, S_OK);
    return count;
  };
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, BLACK, 0.5f, 0);
  EXPECT_EQ(measure(0.25f), (WIDTH / 4) * (HEIGHT / 4));
  EXPECT_EQ(measure(0.75f), 0u);
  // An end without a begin counts nothing.
  query->Issue(D3DISSUE_END);
  count = 5;
  EXPECT_EQ(query->GetData(&count, sizeof count, 0), S_OK);
  EXPECT_EQ(count, 0u);
  query->Release();
}

}  // namespace
}  // namespace ynx::test
