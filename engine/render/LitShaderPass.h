#pragma once

#include <cstdint>

#include "engine/render/ColorShaderPass.h"

namespace ynx {

class Light;
class TextureEffect;

// The shader pass of the lit material effects: the texture effect's
// streams and texture plus the normals, and the constants of
// ShaderRegisters.h's lit layouts for one directional light, optionally a
// point light, and whatever a member adds in PutOwn. Without a light the
// light's colours are zero and its direction (0, 0, 1).
class LitShaderPass : public ColorShaderPass {
 public:
  // How the pass finds its effect's lights (either may give null).
  using LightOf = Light* (*)(const GeometryNodeEffect& effect);

  LitShaderPass(TextureEffect* effect, const ProgramTable& programs, LightOf light,
                LightOf pointLight = nullptr);

  // Towards the light, in world space: against the light's forward axis,
  // against world +z for a fixed directional light.
  static Vector3 TowardsLight(const Light& light);

 protected:
  void BindNormals(Renderer& renderer, GeometryNode& geometry, const SkinController* skin) override;
  void BindTextures(Renderer& renderer, GeometryNode& geometry) override;
  void SetConstants(Renderer& renderer, const Matrix4& world, const Matrix4& toView,
                    const Matrix4& toClip) const override;
  void SetSkinnedConstants(Renderer& renderer) const override;
  // The member's own registers (from LIT_OWN at vs_1_1, PIXEL_OWN at
  // ps_2_0), positions taken by `fromWorld` into the space the program
  // lights in; returns how many it wrote, at most OWN_MAX. Here: the
  // point light's when the pass has one.
  virtual int32_t PutOwn(float* registers, const Matrix4& fromWorld) const;
  // Vertex registers of the 2.0 programs after the fog and sway (skinned:
  // after the fog), for programs that take the lights themselves; returns
  // how many it wrote, at most TANGENT_LIGHTS_MAX. Here: none.
  virtual int32_t PutVertexLights(float* registers, const Matrix4& fromWorld) const;
  // The direction towards the light (w 0; (0, 0, 1) without one) and,
  // where the pass has a point light, its position (the origin without
  // one), taken by `fromWorld`; returns how many registers it wrote.
  int32_t PutLightVectors(float* registers, const Matrix4& fromWorld) const;
  // The effect's lights, or null.
  Light* GetLight() const;
  Light* GetPointLight() const;

 private:
  // Pixel constants c0-c9, the member's and their products for the 2.0
  // programs.
  void SetPixelConstants(Renderer& renderer, const Matrix4& fromWorld) const;

  LightOf light;
  LightOf pointLight;
};

}  // namespace ynx
