#include "engine/render/ShadowmapReceiverPass.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "engine/animation/SkinController.h"
#include "engine/render/GeometryNodeEffect.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShaderRegisters.h"
#include "engine/render/ShadowmapEffect.h"
#include "engine/render/VertexProgramText.h"
#include "engine/scene/Camera.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"

namespace ynx {
namespace {

using R = ShaderRegisters;

static_assert(R::SHADOW_TRANSFORM == 4 && R::SHADOW_COLOR == 8 && R::SHADOW_SWAY == 9 &&
              R::SKIN_SHADOW_TRANSFORM == 204 && R::SKIN_SHADOW_COLOR == 208);
static_assert(R::SHADOW_BONES + R::MAX_BONES * R::MATRIX_REGISTERS == R::SKIN_SHADOW_TRANSFORM);

// The plain program is vs_1_1 whatever the level; skinned positions come
// out in world space, so the shadow matrix takes them as they are.
std::string ReceiverProgram(ProgramTable::Model model, ProgramTable::Variant variant) {
  const VertexProgramText::Layout layout{R::SHADOW_SWAY, R::SHADOW_SWAY, false, false};
  if (variant == ProgramTable::PLAIN) model = ProgramTable::MODEL_1;
  std::string text = VertexProgramText::Position(model, variant, "", layout, R::SHADOW_BONES);
  text += "m4x4 oPos, r0, c0\n";
  text += variant == ProgramTable::SKINNED ? "m4x4 oT1, r0, c204\nmov oD0, c208\n"
                                           : "m4x4 oT1, r0, c4\nmov oD0, c8\n";
  return text;
}

constexpr const char* RECEIVER_PIXEL = "ps.1.1\ntex t1\nmul r0, v0, 1-t1\n";

void PutMatrix(float* registers, const Matrix4& matrix) {
  std::memcpy(registers, Matrix4::Transpose(matrix).m, sizeof(matrix.m));
}

void PutColor(float* registers, const Color& color) {
  const float values[4] = {color.red, color.green, color.blue, color.alpha};
  std::memcpy(registers, values, sizeof values);
}

// Only the text's address is compared: the table hands out one per program.
void Use(Shader& shader, const char* text) {
  if (shader.GetText() != text) shader.SetText(text);
}

}  // namespace

ShadowmapReceiverPass::ShadowmapReceiverPass(ShadowmapEffect* effect)
    : effect(effect), pixelShader(new (std::nothrow) PixelShader()) {
  for (Ptr<VertexShader>& shader : vertexShaders) shader = new (std::nothrow) VertexShader();
  RenderStateBlock& block = *stateBlock;
  block.depthFunc = RenderStateBlock::COMPARE_EQUAL;
  block.depthWrite = false;
  block.blendEnable = true;
  block.srcBlend = RenderStateBlock::BLEND_SRC_ALPHA;
  block.dstBlend = RenderStateBlock::BLEND_INV_SRC_ALPHA;
  TextureStageState& map = block.stages[1];
  map.addressU = map.addressV = map.addressW = TextureStageState::CLAMP;
  map.texGen = TextureStageState::TEXGEN_PROJECTED;
}

const ProgramTable& ShadowmapReceiverPass::GetPrograms() {
  static const ProgramTable programs(&ReceiverProgram, RECEIVER_PIXEL, RECEIVER_PIXEL);
  return programs;
}

int32_t ShadowmapReceiverPass::Apply() {
  Renderer* renderer = Renderer::GetCurrent();
  if (renderer == nullptr) return 1;
  effect->BindScreenQuad(*renderer);
  const int32_t level = renderer->GetProgramLevel();
  const ProgramTable& programs = GetPrograms();
  if (ProgramTable::ModelOf(level) < 0 || !pixelShader) return 1;
  for (int32_t variant = 0; variant < ProgramTable::VARIANT_COUNT; ++variant) {
    if (vertexShaders[variant]) {
      Use(*vertexShaders[variant], programs.Vertex(static_cast<ProgramTable::Variant>(variant), level));
    }
  }
  Use(*pixelShader, programs.Pixel(level));
  renderer->SetTexture(effect->GetShadowMap(), 1);
  renderer->SetPixelShader(pixelShader.Get());
  const Camera* camera = renderer->GetCamera();
  const Matrix4 viewProjection = camera != nullptr ? camera->GetViewProjection() : Matrix4::Identity();
  for (const Ptr<GeometryNode>& receiver : effect->GetReceivers()) {
    DrawReceiver(*renderer, *receiver, level, viewProjection);
  }
  // The map is drawn into next frame: it must not stay bound.
  renderer->SetTexture(nullptr, 1);
  return 1;
}

void ShadowmapReceiverPass::DrawReceiver(Renderer& renderer, GeometryNode& node, int32_t level,
                                         const Matrix4& viewProjection) {
  const NodeEffect* own = node.GetEffect();
  if (own == nullptr || !own->IsEnabled() || node.GetPrimitiveType() != GeometryNode::PRIMITIVE_TRIANGLES) {
    return;
  }
  const GeometryNodeEffect* material = own->IsDerivedFrom(GeometryNodeEffect::Type())
                                           ? static_cast<const GeometryNodeEffect*>(own)
                                           : nullptr;
  const ProgramTable::Variant variant =
      material != nullptr ? ProgramTable::Select(*material, level) : ProgramTable::PLAIN;
  VertexShader* shader = vertexShaders[variant].Get();
  if (shader == nullptr) return;
  renderer.SetCurrentGeometry(&node);
  renderer.SetVertexShader(shader);
  if (variant == ProgramTable::SKINNED) {
    const SkinController& skin = *material->GetSkin();
    float transform[R::MATRIX_REGISTERS * 4];
    PutMatrix(transform, viewProjection);
    renderer.SetVertexShaderConstants(R::TRANSFORM, transform, R::MATRIX_REGISTERS);
    const int32_t bones = std::min(skin.GetBoneCount(), R::MAX_BONES);
    float boneRegisters[R::MAX_BONES * R::MATRIX_REGISTERS * 4];
    for (int32_t bone = 0; bone < bones; ++bone) {
      PutMatrix(boneRegisters + bone * R::MATRIX_REGISTERS * 4, skin.GetBoneMatrices()[bone]);
    }
    if (bones > 0) {
      renderer.SetVertexShaderConstants(R::SHADOW_BONES, boneRegisters, bones * R::MATRIX_REGISTERS);
    }
    float tail[(R::MATRIX_REGISTERS + 1) * 4];
    PutMatrix(tail, effect->GetShadowMatrix());
    PutColor(tail + R::MATRIX_REGISTERS * 4, effect->GetShadowColor());
    renderer.SetVertexShaderConstants(R::SKIN_SHADOW_TRANSFORM, tail, R::MATRIX_REGISTERS + 1);
    renderer.DrawIndexedSkinned(skin.GetBindVertices(), node.GetIndices(), skin.GetWeights(),
                                skin.GetBoneIndices());
    return;
  }
  const Matrix4 world = node.GetWorldTransform().ToMatrix4();
  float registers[(R::SHADOW_SWAY + 1) * 4];
  PutMatrix(registers + R::TRANSFORM * 4, Matrix4::Multiply(world, viewProjection));
  PutMatrix(registers + R::SHADOW_TRANSFORM * 4, Matrix4::Multiply(world, effect->GetShadowMatrix()));
  PutColor(registers + R::SHADOW_COLOR * 4, effect->GetShadowColor());
  int32_t count = R::SHADOW_COLOR + 1;
  if (variant == ProgramTable::SWAYING) {
    float* sway = registers + R::SHADOW_SWAY * 4;
    sway[0] = material->GetSwayAmplitude();
    sway[1] = material->GetSwaySpeed();
    sway[2] = material->GetTime();
    sway[3] = 0.0f;
    count = R::SHADOW_SWAY + 1;
  }
  renderer.SetVertexShaderConstants(0, registers, count);
  renderer.DrawIndexedSkinned(node.GetVertices(), node.GetIndices(), nullptr, nullptr);
}

}  // namespace ynx
