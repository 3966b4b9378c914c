#pragma once

#include <cstdint>

#include "engine/particles/ParticleSystem.h"

namespace ynx {

class Renderer;

// A particle system that writes its live particles into its buffers every
// update and draws them with a SpriteEffect: one point sprite per particle
// when the current renderer has point sprites, otherwise two triangles per
// particle, a square facing the renderer's camera. The layout follows the
// current renderer: a system made before it, or loaded under another one,
// remakes its buffers at the next update.
class SpriteParticleSystem : public ParticleSystem {
  YNX_DECLARE_CLASS(SpriteParticleSystem);

 public:
  // With a new SpriteEffect.
  explicit SpriteParticleSystem(const String& name = String());

  // The simulation, then the live particles written in list order. Quads
  // face the renderer's camera; without one (before the first frame)
  // none are written that update and drawCount stays 0.
  void Update(double time) override;
  // Nothing while no particle was written.
  void Draw(SceneRenderer& renderer) override;
  // Fits the world bound to the written vertices only (none: left as it
  // was).
  void UpdateBound() override;
  int32_t GetPrimitiveType() const override;
  void AllocateBuffers() override;

  int32_t GetDrawCount() const { return drawCount; }
  bool UsesPointSprites() const { return pointSprites; }

 protected:
  // drawCount points or 2·drawCount triangles, without indices.
  int32_t DrawPass(SceneRenderer& renderer) override;

 private:
  static bool RendererHasPointSprites();
  // Particles the buffers hold room for.
  int32_t Capacity() const;
  void WritePoints();
  void WriteQuads(const Renderer* renderer);

  int32_t drawCount = 0;
  bool pointSprites = false;
};

}  // namespace ynx
