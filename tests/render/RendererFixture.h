#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/math/Color.h"
#include "engine/render/Effect.h"
#include "engine/render/Pass.h"
#include "engine/scene/Light.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector3Buffer.h"
#include "modules/d3d9/D3D9Renderer.h"
#include "tests/support/CapturedLog.h"

namespace ynx::test {

// Draws the current geometry's positions (clip space, identity transforms)
// with its vertex colours through the fixed-function pipeline, binding its
// normals too (quads have none); pushes a light when given one and then
// answers `result`.
class QuadPass : public Pass {
 public:
  int32_t Apply() override;

  Light* light = nullptr;
  int32_t result = 0;
};

// One technique of one QuadPass, always possible.
class QuadEffect : public Effect {
 public:
  QuadEffect();
  // Null until the effect was first drawn.
  QuadPass* GetQuadPass() const;
};

// The engine's "DirectX9" renderer, current, on a 64 x 64 window in a
// windowed X8R8G8B8 / D24S8 mode, with what the tests draw and read back.
// No message box can appear: the desktop variables are cleared. A message
// from the device fails the test.
class RendererFixture : public ::testing::Test {
 protected:
  static constexpr int32_t SIZE = 64;
  static constexpr uint32_t BLACK = 0xFF000000u;

  void SetUp() override;
  void TearDown() override;

  // Closes the window and opens it again in the same mode, at SIZE x SIZE
  // unless told otherwise.
  int32_t Reopen(int32_t width = SIZE, int32_t height = SIZE);
  // Index of the first windowed mode with these bits, or -1.
  int32_t WindowedMode(int32_t colorBits, int32_t alphaBits, int32_t depthBits, int32_t stencilBits) const;
  // A quad between two corners in clip space at depth 0.5, clockwise as
  // the default culling draws it, in one colour, with the effect.
  static Ptr<Triangles> Quad(float x0, float y0, float x1, float y1, const Color& color, QuadEffect* effect);
  // Clear, BeginFrame (expected to succeed), the nodes, EndFrame.
  void Frame(const std::vector<GeometryNode*>& nodes);
  // The back buffer, rows top first, as X8R8G8B8 words.
  std::vector<uint32_t> ReadBack() const;
  static uint32_t At(const std::vector<uint32_t>& pixels, int32_t x, int32_t y) { return pixels[y * SIZE + x]; }

  CapturedLog log;
  Ptr<D3D9Renderer> renderer;
  IDirect3DDevice9* device = nullptr;
};

}  // namespace ynx::test
