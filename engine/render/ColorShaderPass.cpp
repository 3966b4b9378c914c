#include "engine/render/ColorShaderPass.h"

#include <algorithm>
#include <cstring>

#include "engine/animation/SkinController.h"
#include "engine/render/ColorEffect.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShaderRegisters.h"
#include "engine/scene/Camera.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"

namespace ynx {
namespace {

using R = ShaderRegisters;

// Only the text's address is compared: the tables hand out one per program.
void Use(Shader& shader, const char* text) {
  if (shader.GetText() != text) shader.SetText(text);
}

}  // namespace

ColorShaderPass::ColorShaderPass(ColorEffect* effect)
    : ColorShaderPass(effect, ColorEffect::GetPrograms()) {}

ColorShaderPass::ColorShaderPass(ColorEffect* effect, const ProgramTable& programs)
    : GeometryNodeEffectPass(effect),
      programs(programs),
      vertexShader(new VertexShader()),
      pixelShader(new PixelShader()) {}

const ColorEffect& ColorShaderPass::GetColorEffect() const {
  return *static_cast<const ColorEffect*>(GetEffect());
}

void ColorShaderPass::MarkDirty() {
  GeometryNodeEffectPass::MarkDirty();
  const Renderer* renderer = Renderer::GetCurrent();
  if (renderer == nullptr) return;
  level = renderer->GetProgramLevel();
  variant = ProgramTable::Select(*GetEffect(), level);
  Use(*vertexShader, programs.Vertex(variant, level));
  Use(*pixelShader, programs.Pixel(level));
}

void ColorShaderPass::PutMatrix(float* registers, const Matrix4& matrix) {
  std::memcpy(registers, Matrix4::Transpose(matrix).m, sizeof(matrix.m));
}

void ColorShaderPass::PutVector(float* registers, float x, float y, float z, float w) {
  registers[0] = x;
  registers[1] = y;
  registers[2] = z;
  registers[3] = w;
}

void ColorShaderPass::PutColor(float* registers, const Color& color) {
  PutVector(registers, color.red, color.green, color.blue, color.alpha);
}

void ColorShaderPass::PutFogAndSway(float* registers) const {
  const GeometryNodeEffect& effect = *GetEffect();
  PutVector(registers, effect.GetFogDensity(), effect.GetFogExponent(), effect.GetSwayAmplitude(),
            effect.GetSwaySpeed());
  PutVector(registers + 4, effect.GetSwayAmplitude(), effect.GetSwaySpeed(), effect.GetTime(),
            0.0f);
}

int32_t ColorShaderPass::Apply() {
  Renderer* renderer = Renderer::GetCurrent();
  GeometryNode* geometry = renderer != nullptr ? renderer->GetCurrentGeometry() : nullptr;
  if (geometry == nullptr) return 1;
  const SkinController* skin = variant == ProgramTable::SKINNED ? GetEffect()->GetSkin() : nullptr;
  renderer->SetIndexBuffer(geometry->GetIndices());
  if (skin != nullptr) {
    renderer->SetPositionStream(skin->GetBindVertices());
    BindNormals(*renderer, *geometry, skin);
    renderer->SetBlendWeightStream(skin->GetWeights());
    renderer->SetBlendIndexStream(skin->GetBoneIndices());
  } else {
    renderer->SetPositionStream(geometry->GetVertices());
    BindNormals(*renderer, *geometry, nullptr);
  }
  BindTextures(*renderer, *geometry);
  renderer->SetVertexShader(vertexShader.Get());
  renderer->SetPixelShader(pixelShader.Get());
  const Camera* camera = renderer->GetCamera();
  const Matrix4 view = camera != nullptr ? camera->GetView() : Matrix4::Identity();
  const Matrix4 viewProjection =
      camera != nullptr ? camera->GetViewProjection() : Matrix4::Identity();
  if (skin != nullptr) {
    SetTransformsAndBones(*renderer, *skin, view, viewProjection);
    SetSkinnedConstants(*renderer);
  } else {
    const Matrix4 world = geometry->GetWorldTransform().ToMatrix4();
    SetConstants(*renderer, world, Matrix4::Multiply(world, view),
                 Matrix4::Multiply(world, viewProjection));
  }
  return 0;
}

void ColorShaderPass::BindNormals(Renderer&, GeometryNode&, const SkinController*) {}

void ColorShaderPass::BindTextures(Renderer&, GeometryNode&) {}

void ColorShaderPass::SetConstants(Renderer& renderer, const Matrix4&, const Matrix4& toView,
                                   const Matrix4& toClip) const {
  float registers[(R::SWAY + 1) * 4];
  PutMatrix(registers + R::TRANSFORM * 4, toClip);
  PutMatrix(registers + R::VIEW_TRANSFORM * 4, toView);
  PutColor(registers + R::COLOR * 4, GetColorEffect().GetColor());
  static_assert(R::SWAY == R::FOG_SWAY + 1);
  PutFogAndSway(registers + R::FOG_SWAY * 4);
  renderer.SetVertexShaderConstants(0, registers, R::SWAY + 1);
}

void ColorShaderPass::SetTransformsAndBones(Renderer& renderer, const SkinController& skin,
                                            const Matrix4& view, const Matrix4& viewProjection) {
  float transforms[2 * R::MATRIX_REGISTERS * 4];
  PutMatrix(transforms + R::TRANSFORM * 4, viewProjection);
  PutMatrix(transforms + R::VIEW_TRANSFORM * 4, view);
  renderer.SetVertexShaderConstants(0, transforms, 2 * R::MATRIX_REGISTERS);

  const int32_t bones = std::min(skin.GetBoneCount(), R::MAX_BONES);
  float boneRegisters[R::MAX_BONES * R::MATRIX_REGISTERS * 4];
  for (int32_t bone = 0; bone < bones; ++bone) {
    PutMatrix(boneRegisters + bone * R::MATRIX_REGISTERS * 4, skin.GetBoneMatrices()[bone]);
  }
  if (bones > 0) {
    renderer.SetVertexShaderConstants(R::BONES, boneRegisters, bones * R::MATRIX_REGISTERS);
  }
}

void ColorShaderPass::SetSkinnedConstants(Renderer& renderer) const {
  const ColorEffect& effect = GetColorEffect();
  float tail[2 * 4];
  PutVector(tail, effect.GetFogDensity(), effect.GetFogExponent(), 0.0f, 0.0f);
  PutColor(tail + 4, effect.GetColor());
  static_assert(R::SKIN_COLOR == R::SKIN_FOG + 1);
  renderer.SetVertexShaderConstants(R::SKIN_FOG, tail, 2);
}

}  // namespace ynx
