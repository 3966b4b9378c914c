#pragma once

#include <cstdint>

#include "engine/render/GeometryNodeEffectPass.h"
#include "engine/render/LitShaderPass.h"

namespace ynx {

class TextureEffect;

// The fixed-function pass of the lit material effects: the device lights
// per vertex with the block's material and the effect's lights, and stage
// 0 modulates the texture by the lit colour (the block's default stages).
class LitFixedPass : public GeometryNodeEffectPass {
 public:
  using LightOf = LitShaderPass::LightOf;

  LitFixedPass(TextureEffect* effect, LightOf light, LightOf pointLight = nullptr);

  // Positions, normals, the texture and its coordinates, the index buffer,
  // projection and view (the camera's) and world (the geometry's); then
  // each light the effect has is appended to the renderer's lights and
  // pushed (none without a light). 1 without a current geometry, else 0.
  int32_t Apply() override;

 private:
  LightOf light;
  LightOf pointLight;
};

}  // namespace ynx
