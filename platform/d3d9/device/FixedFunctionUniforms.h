#pragma once

#include <cstdint>

#include "platform/d3d9/device/FixedFunctionState.h"

namespace ynx {

// The values a generated fixed-function program reads: std140 images of its
// two uniform blocks, filled from the device state at draw time. Matrices
// keep Direct3D's memory order (rows of a row-vector matrix), which GLSL
// reads as the transposed matrix, so `M * v` in GLSL is `v * M` here.
// The programs also read the blocks every program shares
// (ShaderInterface::VertexState, PixelState: position fix-up, point size
// clamp, fog colour and table fog, alpha reference); the device fills those.
struct FixedFunctionUniforms {
  static constexpr uint32_t VERTEX_BINDING = 4;  // ynx_FixedVertexState
  static constexpr uint32_t PIXEL_BINDING = 5;   // ynx_FixedPixelState
  // Linear fog's slope when FOGSTART == FOGEND: a step at the end, finite
  // for any end below 1e18.
  static constexpr double STEP_FOG_SCALE = 1e20;

  struct Light {
    float diffuse[4];
    float specular[4];
    float ambient[4];
    float position[4];     // view space; w: range
    float direction[4];    // view space, unit length, pointing away from the light
    float attenuation[4];  // constant, linear, quadratic, 0
    float spot[4];         // cos(theta / 2), cos(phi / 2), falloff, 0
  };

  struct Vertex {
    float worldView[16];
    float projection[16];
    float normalMatrix[16];  // inverse transpose of world x view (upper 3 x 3)
    float texture[FixedFunctionState::STAGES][16];
    float materialDiffuse[4];
    float materialAmbient[4];
    float materialSpecular[4];
    float materialEmissive[4];
    float globalAmbient[4];  // D3DRS_AMBIENT
    float materialPower[4];  // power, 0, 0, 0
    Light lights[FixedFunctionState::LIGHTS];  // the enabled lights in slot order
    // Vertex fog: factor = depth * fog[0] + fog[1] (linear), density fog[2].
    float fog[4];
    float point[4];      // D3DRS_POINTSIZE, POINTSCALE_A, _B, _C
    float viewport[4];    // X, Y, Width, Height
    float depthRange[4];  // MinZ, 1 / (MaxZ - MinZ) (0 when equal), 0, 0
  };

  struct Pixel {
    float textureFactor[4];  // D3DRS_TEXTUREFACTOR
    float constants[FixedFunctionState::STAGES][4];  // D3DTSS_CONSTANT of each stage
  };

  static_assert(sizeof(Light) == 112);
  static_assert(sizeof(Vertex) == 192 + 512 + 96 + 896 + 64);
  static_assert(sizeof(Pixel) == 144);

  // Both images from the state (world x view and the normal matrix in
  // double precision; a singular world x view gives its cofactor matrix as
  // the normal matrix, which keeps directions).
  static void Fill(const FixedFunctionState& state, Vertex& vertex, Pixel& pixel);

  // Fill in parts, for refreshing only what changed. Each part writes its
  // own byte range of the image, whatever was there before:
  // worldView, projection and normalMatrix from world, view, projection;
  static void FillTransforms(const FixedFunctionState& state, Vertex& vertex);
  // texture from the texture matrices;
  static void FillTextureTransforms(const FixedFunctionState& state, Vertex& vertex);
  // material to depthRange from the material, the lights (and view), the
  // viewport and VERTEX_RENDER_STATES;
  static void FillValues(const FixedFunctionState& state, Vertex& vertex);
  // the pixel image from PIXEL_RENDER_STATES and each stage's
  // D3DTSS_CONSTANT.
  static void FillPixel(const FixedFunctionState& state, Pixel& pixel);

  static constexpr D3DRENDERSTATETYPE VERTEX_RENDER_STATES[] = {
      D3DRS_AMBIENT,   D3DRS_FOGSTART,     D3DRS_FOGEND,       D3DRS_FOGDENSITY,
      D3DRS_POINTSIZE, D3DRS_POINTSCALE_A, D3DRS_POINTSCALE_B, D3DRS_POINTSCALE_C,
  };
  static constexpr D3DRENDERSTATETYPE PIXEL_RENDER_STATES[] = {D3DRS_TEXTUREFACTOR};

  // A D3DCOLOR (A8R8G8B8) as r, g, b, a in 0..1.
  static void ColorOf(uint32_t color, float (&rgba)[4]);
};

}  // namespace ynx
