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
// the textured and lit effects': the programs come from the effect's
// table, the constants fill the registers of ShaderRegisters.h.
class ColorShaderPass : public GeometryNodeEffectPass {
 public:
  // With the colour effect's programs.
  explicit ColorShaderPass(ColorEffect* effect);
  ColorShaderPass(ColorEffect* effect, const ProgramTable& programs);

  // The material, then the programs of the effect's variant at the current
  // renderer's program level (the lower of its two shader levels). A
  // shader keeps its text, and so its device copy, while the choice stays
  // the same.
  void MarkDirty() override;
  // The index buffer, the positions (skinned: the bind pose) and what
  // BindNormals adds, the blend weights and indices when skinned, what
  // BindTextures adds, the programs and their constants. 1 without a
  // current geometry, otherwise 0.
  int32_t Apply() override;

  VertexShader* GetVertexShader() const { return vertexShader.Get(); }
  PixelShader* GetPixelShader() const { return pixelShader.Get(); }

 protected:
  // The normals (the skin's bind normals when skinned); unlit effects have
  // none.
  virtual void BindNormals(Renderer& renderer, GeometryNode& geometry, const SkinController* skin);
  // The textures and their coordinates; the colour effect has none.
  virtual void BindTextures(Renderer& renderer, GeometryNode& geometry);
  // The constants of a plain or swaying program: `toView` and `toClip`
  // take object space to view and clip space, `world` object space to the
  // world's.
  virtual void SetConstants(Renderer& renderer, const Matrix4& world, const Matrix4& toView,
                            const Matrix4& toClip) const;
  // The constants of a skinned program after c0-c7 and the bones, which
  // SetTransformsAndBones has set.
  virtual void SetSkinnedConstants(Renderer& renderer) const;
  const ColorEffect& GetColorEffect() const;
  // The model of the programs the pass last chose; -1 for none.
  int32_t GetModel() const { return ProgramTable::ModelOf(level); }

  // Register writers: a matrix as m4x4 reads it (its columns), a vector, a
  // colour, and the effect's (fog density, fog exponent, sway amplitude,
  // sway speed) and (sway amplitude, sway speed, time, 0).
  static void PutMatrix(float* registers, const Matrix4& matrix);
  static void PutVector(float* registers, float x, float y, float z, float w);
  static void PutColor(float* registers, const Color& color);
  void PutFogAndSway(float* registers) const;

 private:
  static void SetTransformsAndBones(Renderer& renderer, const SkinController& skin,
                                    const Matrix4& view, const Matrix4& viewProjection);

  const ProgramTable& programs;
  Ptr<VertexShader> vertexShader;
  Ptr<PixelShader> pixelShader;
  ProgramTable::Variant variant = ProgramTable::PLAIN;
  int32_t level = -1;
};

}  // namespace ynx
