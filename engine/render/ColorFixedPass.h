#pragma once

#include <cstdint>

#include "engine/render/GeometryNodeEffectPass.h"

namespace ynx {

class ColorEffect;
class GeometryNode;
class Renderer;

// The colour effect's pass on the fixed pipeline, and the base of the
// textured effect's. The colour lives in the pass's state, as the stage
// constant that stage 0 selects; the geometry's own colours are not used.
class ColorFixedPass : public GeometryNodeEffectPass {
 public:
  explicit ColorFixedPass(ColorEffect* effect);

  // The material, then stage 0 selects the constant colour for colour and
  // alpha. Every stage gets the colour as its constant: the device keeps
  // one constant, the last stage's. Later stages have no texture and pass
  // the colour on.
  void MarkDirty() override;
  // The index buffer, the positions, what BindTextures adds, and the world
  // (the geometry's), view and projection (the camera's). 1 without a
  // current geometry, otherwise 0.
  int32_t Apply() override;

 protected:
  // The textures and their coordinates; the colour effect has none.
  virtual void BindTextures(Renderer& renderer, GeometryNode& geometry);
};

}  // namespace ynx
