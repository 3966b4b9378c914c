#pragma once

#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/math/Matrix4.h"
#include "engine/render/GeometryNodeEffectPass.h"
#include "engine/render/PixelShader.h"
#include "engine/render/ProgramTable.h"
#include "engine/render/VertexShader.h"

namespace ynx {

class ColorEffect;
class GeometryNode;
class Renderer;
class SkinController;

// The colour effect's pass on vertex and pixel programs, and the base of
// the textured effect's: the programs come from the effect's table, the
// constants fill the registers of ShaderRegisters.h.
class ColorShaderPass : public GeometryNodeEffectPass {
 public:
  // With the colour effect's programs.
  explicit ColorShaderPass(ColorEffect* effect);
  ColorShaderPass(ColorEffect* effect, const ProgramTable& programs);

  // The material, then the programs of the effect's variant at the current
  // renderer's shader levels. A shader keeps its text, and so its device
  // copy, while the choice stays the same.
  void MarkDirty() override;
  // The index buffer, the positions (skinned: the bind pose with the blend
  // weights and indices), what BindTextures adds, the programs and their
  // constants. 1 without a current geometry, otherwise 0.
  int32_t Apply() override;

  VertexShader* GetVertexShader() const { return vertexShader.Get(); }
  PixelShader* GetPixelShader() const { return pixelShader.Get(); }

 protected:
  // The textures and their coordinates; the colour effect has none.
  virtual void BindTextures(Renderer& renderer, GeometryNode& geometry);
  const ColorEffect& GetColorEffect() const;

 private:
  // toView and toClip take object space to view and clip space.
  void SetConstants(Renderer& renderer, const Matrix4& toView, const Matrix4& toClip) const;
  void SetSkinnedConstants(Renderer& renderer, const SkinController& skin, const Matrix4& view,
                           const Matrix4& viewProjection) const;

  const ProgramTable& programs;
  Ptr<VertexShader> vertexShader;
  Ptr<PixelShader> pixelShader;
  ProgramTable::Variant variant = ProgramTable::PLAIN;
};

}  // namespace ynx
