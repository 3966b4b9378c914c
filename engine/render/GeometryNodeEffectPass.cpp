#include "engine/render/GeometryNodeEffectPass.h"

#include "engine/render/GeometryNodeEffect.h"

namespace ynx {

YNX_IMPLEMENT_ABSTRACT_CLASS(GeometryNodeEffectPass, Pass)

GeometryNodeEffectPass::GeometryNodeEffectPass(GeometryNodeEffect* owner) : effect(owner) {
  GeometryNodeEffectPass::MarkDirty();
}

void GeometryNodeEffectPass::MarkDirty() {
  RenderStateBlock& block = *stateBlock;
  block.diffuse = effect->GetDiffuse();
  block.ambient = effect->GetAmbient();
  block.specular = effect->GetSpecular();
  block.emissive = effect->GetEmissive();
  block.shininess = effect->GetShininess();
  block.wireframe = effect->GetWireframe();
  block.alphaTestEnable = effect->GetAlphaTest();
  block.alphaRef = effect->GetAlphaRef();
  block.alphaFunc = RenderStateBlock::COMPARE_GREATER_EQUAL;
  block.blendEnable = effect->GetBlend();
  block.srcBlend = effect->GetSrcBlend();
  block.dstBlend = effect->GetDstBlend();
  block.fogEnable = effect->GetFog();
  block.fogColor = effect->GetFogColor();
  block.fogDensity = effect->GetFogDensity();
  block.fogMode = effect->GetFogExponent() > 2.0f ? RenderStateBlock::FOG_EXP2 : RenderStateBlock::FOG_EXP;
  block.fogPerPixel = false;
  block.cullEnable = effect->GetCull();
  for (int32_t stage = 0; stage < RenderStateBlock::STAGE_COUNT; ++stage) {
    const int32_t address = effect->GetStageWrap(stage);
    block.stages[stage].addressU = address;
    block.stages[stage].addressV = address;
    block.stages[stage].addressW = address;
  }
  Pass::MarkDirty();
}

}  // namespace ynx
