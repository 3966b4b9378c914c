#pragma once

#include <cstdint>

#include "engine/render/LitShaderPass.h"

namespace ynx {

class NormalmapTextureEffect;

// The shader pass of the normal-map effects: the lit pass's streams,
// texture and constants, plus the tangents as coordinate set 2, the
// normal map at stage 1 with its set as set 1, the light vectors for the
// 2.0 vertex programs, the ps.1.1 colour products and the parallax
// registers (see NormalmapProgramText and ShaderRegisters.h).
class NormalmapShaderPass : public LitShaderPass {
 public:
  NormalmapShaderPass(NormalmapTextureEffect* effect, const ProgramTable& programs, LightOf light,
                      LightOf pointLight = nullptr);

 protected:
  void BindNormals(Renderer& renderer, GeometryNode& geometry, const SkinController* skin) override;
  void BindTextures(Renderer& renderer, GeometryNode& geometry) override;
  void SetConstants(Renderer& renderer, const Matrix4& world, const Matrix4& toView,
                    const Matrix4& toClip) const override;
  int32_t PutVertexLights(float* registers, const Matrix4& fromWorld) const override;
  // Parallax: (scale, bias, 0.5 x scale - bias, 0); otherwise the lit
  // pass's.
  int32_t PutOwn(float* registers, const Matrix4& fromWorld) const override;

 private:
  const NormalmapTextureEffect& GetNormalmapEffect() const;
};

}  // namespace ynx
