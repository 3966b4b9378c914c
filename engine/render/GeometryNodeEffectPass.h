#pragma once

#include "engine/render/Pass.h"

namespace ynx {

class GeometryNodeEffect;

// A pass of a geometry node's effect: marking it dirty copies the effect's
// material, blending, fog, culling and stage wrapping into its block. Every
// concrete material pass derives from it and reports its type.
class GeometryNodeEffectPass : public Pass {
  YNX_DECLARE_CLASS(GeometryNodeEffectPass);

 public:
  // Copies the effect's parameters once.
  explicit GeometryNodeEffectPass(GeometryNodeEffect* effect);

  void MarkDirty() override;

  GeometryNodeEffect* GetEffect() const { return effect; }

 private:
  GeometryNodeEffect* effect;
};

}  // namespace ynx
