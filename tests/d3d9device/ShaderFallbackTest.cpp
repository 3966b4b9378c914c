#include <gtest/gtest.h>

#include <SDL.h>
#include <epoxy/gl.h>

#include <string>
#include <vector>

#include "tests/d3d9device/DeviceFixture.h"

namespace ynx::test {
namespace {

constexpr D3DCOLOR RED = 0xFFFF0000;
constexpr D3DCOLOR GREEN = 0xFF00FF00;
constexpr D3DCOLOR BLACK = 0xFF000000;

// A driver that cannot build every program: while one is in place, the
// translated programs of one stage ("// vs_" or "// ps_" on their second
// line) reach the GL compiler with an #error directive, so that they fail
// to compile as they would on a driver with tighter limits. Mesa builds
// every program the translator writes, and the device has no hook for this;
// the GL entry points, which the device reaches through libepoxy's
// pointers, are the seam.
class RefusingDriver {
 public:
  explicit RefusingDriver(const char* stage) {
    real = reinterpret_cast<PFNGLSHADERSOURCEPROC>(SDL_GL_GetProcAddress("glShaderSource"));
    refused = stage;
    epoxy_glShaderSource = &ShaderSource;
  }
  ~RefusingDriver() { epoxy_glShaderSource = real; }
  RefusingDriver(const RefusingDriver&) = delete;
  RefusingDriver& operator=(const RefusingDriver&) = delete;

 private:
  static void APIENTRY ShaderSource(GLuint shader, GLsizei count, const GLchar* const* strings, const GLint* lengths) {
    std::string source;
    for (GLsizei i = 0; i < count; ++i) {
      source += lengths && lengths[i] >= 0 ? std::string(strings[i], static_cast<size_t>(lengths[i])) : strings[i];
    }
    const size_t secondLine = source.find('\n') + 1;
    if (source.compare(secondLine, 6, refused) == 0 && source.find("translated by YNX") != std::string::npos) {
      source.insert(secondLine, "#error this driver cannot build the program\n");
    }
    const GLchar* text = source.c_str();
    real(shader, 1, &text, nullptr);
  }

  static inline PFNGLSHADERSOURCEPROC real = nullptr;
  static inline const char* refused = nullptr;
};

// A pass-through pair with colours: the vertex shader places a quad where
// its vertices say, the pixel shader colours it with the vertex colour.
// The fixed-function state differs visibly in both stages: its transform
// halves the quad, its first stage gives the texture factor (green).
class ShaderFallbackTest : public DeviceFixture {
 protected:
  void SetUp() override {
    DeviceFixture::SetUp();
    const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                          {0, 12, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
                                          D3DDECL_END()};
    ASSERT_EQ(device->CreateVertexDeclaration(elements, &declaration), D3D_OK);
    const ColorVertex quad[4] = {
        {-0.8f, 0.8f, 0.5f, RED}, {0.8f, 0.8f, 0.5f, RED}, {-0.8f, -0.8f, 0.5f, RED}, {0.8f, -0.8f, 0.5f, RED}};
    buffer = VertexBufferOf(quad, sizeof quad);
    ASSERT_NE(buffer, nullptr);
    D3DMATRIX half{};
    half._11 = half._22 = half._33 = 0.5f;
    half._44 = 1.0f;
    device->SetTransform(D3DTS_WORLD, &half);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_TEXTUREFACTOR, GREEN);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TFACTOR);
  }

  void TearDown() override {
    if (buffer) buffer->Release();
    if (declaration) declaration->Release();
    DeviceFixture::TearDown();
  }

  // A frame of `draws` draws of the quad with the shaders bound; the pixels
  // at the centre (inside both quads) and at (0.6, 0), inside the
  // shaders' quad only.
  void DrawFrame(IDirect3DVertexShader9* vertexShader, IDirect3DPixelShader9* pixelShader, int draws,
                 uint32_t& centre, uint32_t& outside) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, BLACK, 1.0f, 0);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    device->SetVertexShader(vertexShader);
    device->SetPixelShader(pixelShader);
    device->SetVertexDeclaration(declaration);
    device->SetStreamSource(0, buffer, 0, sizeof(ColorVertex));
    for (int draw = 0; draw < draws; ++draw) {
      EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK) << "draw " << draw;
    }
    ASSERT_EQ(device->EndScene(), D3D_OK);
    const std::vector<uint32_t> pixels = ReadBack();
    centre = At(pixels, WIDTH, WIDTH / 2, HEIGHT / 2);
    outside = At(pixels, WIDTH, WIDTH * 8 / 10, HEIGHT / 2);
  }

  IDirect3DVertexDeclaration9* declaration = nullptr;
  IDirect3DVertexBuffer9* buffer = nullptr;
};

// A shader whose program cannot be built for the state is left unbound:
// its stage runs the fixed-function program, the other stage keeps its
// shader, the draw succeeds and the reason is reported once, however often
// the shader is drawn with in that state.
TEST_F(ShaderFallbackTest, AStageWhoseProgramCannotBeBuiltFallsBackToFixedFunction) {
  struct Case {
    const char* refused;   // the translated programs the driver refuses
    D3DCOLOR centre;       // red from the pixel shader, green from the texture factor
    D3DCOLOR outside;      // red where the vertex shader places the quad, black where the world halves it
    const char* reason;    // the one message, or none
  };
  const Case cases[] = {
      {"// no_", RED, RED, nullptr},
      {"// vs_", RED, BLACK, "vertex shader left unbound: the translated shader does not compile: "},
      {"// ps_", GREEN, GREEN, "pixel shader left unbound: the translated shader does not compile: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.refused);
    // New shaders for each case: a device keeps what it built per shader.
    IDirect3DVertexShader9* vertexShader =
        VertexShader("vs_2_0\ndcl_position v0\ndcl_color v1\nmov oPos, v0\nmov oD0, v1\n");
    IDirect3DPixelShader9* pixelShader = PixelShader("ps_2_0\ndcl v0\nmov oC0, v0\n");
    ASSERT_TRUE(vertexShader && pixelShader);
    uint32_t centre = 0;
    uint32_t outside = 0;
    {
      const RefusingDriver driver(c.refused);
      for (int frame = 0; frame < 2; ++frame) {
        DrawFrame(vertexShader, pixelShader, 3, centre, outside);
        EXPECT_TRUE(NearColor(centre, c.centre)) << "frame " << frame;
        EXPECT_TRUE(NearColor(outside, c.outside)) << "frame " << frame;
      }
    }
    // The device keeps the shaders set; it only draws without them.
    IDirect3DVertexShader9* setVertex = nullptr;
    IDirect3DPixelShader9* setPixel = nullptr;
    device->GetVertexShader(&setVertex);
    device->GetPixelShader(&setPixel);
    EXPECT_EQ(setVertex, vertexShader);
    EXPECT_EQ(setPixel, pixelShader);
    if (setVertex) setVertex->Release();
    if (setPixel) setPixel->Release();

    // What failed for this state stays failed, with no second report, even
    // where the driver would now build it.
    DrawFrame(vertexShader, pixelShader, 2, centre, outside);
    EXPECT_TRUE(NearColor(centre, c.centre));
    EXPECT_TRUE(NearColor(outside, c.outside));

    const std::vector<std::string> messages = TakeMessages();
    if (c.reason) {
      ASSERT_EQ(messages.size(), 1u) << "after 8 draws in 3 frames";
      EXPECT_EQ(messages[0].rfind(c.reason, 0), 0u) << messages[0];
      EXPECT_NE(messages[0].find("this driver cannot build the program"), std::string::npos) << messages[0];
    } else {
      EXPECT_TRUE(messages.empty());
    }
    device->SetVertexShader(nullptr);
    device->SetPixelShader(nullptr);
    vertexShader->Release();
    pixelShader->Release();
  }
}

}  // namespace
}  // namespace ynx::test
