#pragma once

#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/math/Matrix4.h"
#include "engine/render/Pass.h"
#include "engine/render/PixelShader.h"
#include "engine/render/ProgramTable.h"
#include "engine/render/VertexShader.h"

namespace ynx {

class GeometryNode;
class Renderer;
class ShadowmapEffect;

// The second pass of the shadow technique: over what the scene pass drew
// (depth equal, no depth writes), each receiver is drawn again with the
// shadow colour blended in where the shadow map hides it from the light.
// Stage 1 holds the map, clamped, with projected coordinates: its lookup
// is the depth comparison, 1 lit and 0 shadowed, and the pixel program
// outputs the shadow colour times (1 - that) in colour and alpha.
//
// Draws the receivers itself, each with its own streams (a skin on the
// device: its bind pose and blend streams), and so always answers 1: the
// scene node must not draw its children again.
class ShadowmapReceiverPass : public Pass {
 public:
  explicit ShadowmapReceiverPass(ShadowmapEffect* effect);

  int32_t Apply() override;

  // Plain (vs_1_1), swaying and skinned (vs_2_0) receiver programs, and
  // the one ps.1.1 pixel program at every level.
  static const ProgramTable& GetPrograms();

 private:
  // Only enabled triangle geometry is a receiver this frame.
  void DrawReceiver(Renderer& renderer, GeometryNode& node, int32_t level,
                    const Matrix4& viewProjection);

  ShadowmapEffect* effect;
  // One shader a variant, so that each keeps its device copy.
  Ptr<VertexShader> vertexShaders[ProgramTable::VARIANT_COUNT];
  Ptr<PixelShader> pixelShader;
};

}  // namespace ynx
