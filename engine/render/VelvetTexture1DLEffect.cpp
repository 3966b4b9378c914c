#include "engine/render/VelvetTexture1DLEffect.h"

#include <cmath>
#include <new>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/render/LitProgramText.h"
#include "engine/render/LitShaderPass.h"
#include "engine/render/ShaderRegisters.h"
#include "engine/render/SinglePassTechnique.h"

namespace ynx {
namespace {

using R = ShaderRegisters;

// The velvet colour and (wrap, 1 / (1 + wrap)): the programs multiply
// rather than divide. A wrap of -1 wraps nothing.
class VelvetShaderPass : public LitShaderPass {
 public:
  explicit VelvetShaderPass(VelvetTexture1DLEffect* effect)
      : LitShaderPass(effect, VelvetTexture1DLEffect::GetPrograms(), &Texture1DLEffect::LightOf) {}

 protected:
  int32_t PutOwn(float* registers, const Matrix4&) const override {
    const auto& effect = static_cast<const VelvetTexture1DLEffect&>(*GetEffect());
    const float wrap = effect.GetVelvetWrap();
    const float span = 1.0f + wrap;
    PutColor(registers + R::OWN_VELVET_COLOR * 4, effect.GetVelvetColor());
    PutVector(registers + R::OWN_VELVET_WRAP * 4, wrap,
              std::fabs(span) > 1e-6f ? 1.0f / span : 0.0f, 0, 0);
    return R::OWN_VELVET_WRAP + 1;
  }
};

}  // namespace

YNX_IMPLEMENT_CLASS(VelvetTexture1DLEffect, Texture1DLEffect)

VelvetTexture1DLEffect::VelvetTexture1DLEffect(const String& name) : Texture1DLEffect(name) {
  using Single = SinglePassTechnique;
  AddTechnique(new (std::nothrow) Single(this, &CanLightWithShaders,
                                         &Single::Make<VelvetShaderPass, VelvetTexture1DLEffect>));
}

int32_t VelvetTexture1DLEffect::Save(MemoryStream& stream) const {
  return FieldWriter(stream, *this, Texture1DLEffect::Save(stream))
      .Field("Невозможно сохранить данные бархата.", velvetColor, velvetWrap)
      .Status();
}

int32_t VelvetTexture1DLEffect::Load(MemoryStream& stream) {
  return FieldReader(stream, *this, Texture1DLEffect::Load(stream))
      .Field("Невозможно загрузить данные бархата.", velvetColor, velvetWrap)
      .Status();
}

const ProgramTable& VelvetTexture1DLEffect::GetPrograms() {
  return LitProgramText::Programs(LitProgramText::VELVET);
}

}  // namespace ynx
