#include "engine/render/NormalmapShaderPass.h"

#include "engine/render/NormalmapTextureEffect.h"
#include "engine/render/ParallaxTextureEffect.h"
#include "engine/render/RenderStateBlock.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShaderRegisters.h"
#include "engine/scene/Light.h"

namespace ynx {
namespace {

using R = ShaderRegisters;

Color Product(const Color& a, const Color& b) {
  return {a.red * b.red, a.green * b.green, a.blue * b.blue, a.alpha * b.alpha};
}

}  // namespace

NormalmapShaderPass::NormalmapShaderPass(NormalmapTextureEffect* effect,
                                         const ProgramTable& programs, LightOf light,
                                         LightOf pointLight)
    : LitShaderPass(effect, programs, light, pointLight) {}

const NormalmapTextureEffect& NormalmapShaderPass::GetNormalmapEffect() const {
  return static_cast<const NormalmapTextureEffect&>(*GetEffect());
}

void NormalmapShaderPass::BindNormals(Renderer& renderer, GeometryNode& geometry,
                                      const SkinController* skin) {
  LitShaderPass::BindNormals(renderer, geometry, skin);
  GetNormalmapEffect().BindTangents(renderer, geometry, skin);
}

void NormalmapShaderPass::BindTextures(Renderer& renderer, GeometryNode& geometry) {
  LitShaderPass::BindTextures(renderer, geometry);
  GetNormalmapEffect().BindNormalMap(renderer, geometry);
}

void NormalmapShaderPass::SetConstants(Renderer& renderer, const Matrix4& world,
                                       const Matrix4& toView, const Matrix4& toClip) const {
  LitShaderPass::SetConstants(renderer, world, toView, toClip);
  if (GetModel() != ProgramTable::MODEL_1) return;
  // ps.1.1 multiplies by constants only: the products are made here.
  const RenderStateBlock& block = *GetStateBlock();
  const Color none{0, 0, 0, 0};
  const Light* light = GetLight();
  const Light* point = GetPointLight();
  float registers[3 * 4];
  PutColor(registers + R::PIXEL_1_AMBIENT * 4,
           Product(block.ambient, light != nullptr ? light->GetAmbient() : none));
  Color diffuse = Product(block.diffuse, light != nullptr ? light->GetDiffuse() : none);
  diffuse.alpha = block.diffuse.alpha;
  PutColor(registers + R::PIXEL_1_DIFFUSE * 4, diffuse);
  PutColor(registers + R::PIXEL_1_POINT_DIFFUSE * 4,
           Product(block.diffuse, point != nullptr ? point->GetDiffuse() : none));
  renderer.SetPixelShaderConstants(0, registers, 3);
}

int32_t NormalmapShaderPass::PutVertexLights(float* registers, const Matrix4& fromWorld) const {
  return PutLightVectors(registers, fromWorld);
}

int32_t NormalmapShaderPass::PutOwn(float* registers, const Matrix4& fromWorld) const {
  const auto* parallax = dynamic_cast<const ParallaxTextureEffect*>(GetEffect());
  if (parallax == nullptr) return LitShaderPass::PutOwn(registers, fromWorld);
  const float scale = parallax->GetParallaxScale();
  const float bias = parallax->GetParallaxBias();
  PutVector(registers + R::OWN_PARALLAX * 4, scale, bias, 0.5f * scale - bias, 0);
  return R::OWN_PARALLAX + 1;
}

}  // namespace ynx
