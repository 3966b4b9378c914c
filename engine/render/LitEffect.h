#pragma once

#include <cstdint>
#include <functional>
#include <new>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/core/Ptr.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Light.h"

namespace ynx {

class Effect;
class GeometryNodeEffect;
class Pass;

// What every lit material effect adds to its parent class Base: its
// lights, a directional one and, with two lights, a point light, read at
// every draw. Stored after Base's data as references, in that order; a
// failed save names the light (the effect when there is none).
template <class Base, int32_t LIGHTS>
class LitEffect : public Base {
  static_assert(LIGHTS == 1 || LIGHTS == 2);

 public:
  explicit LitEffect(const String& name) : Base(name) {}

  int32_t Save(MemoryStream& stream) const override {
    const FieldWriter parent(stream, *this, Base::Save(stream));
    int32_t status = parent.Status();
    for (const Ptr<Light>& light : lights) {
      if (status != 0) break;
      const Object& named = light ? static_cast<const Object&>(*light) : *this;
      status = FieldWriter(stream, &named)
                   .Field("Невозможно сохранить источник света. Имя[%s] ID[%d]", light)
                   .Status();
    }
    return status;
  }

  int32_t Load(MemoryStream& stream) override {
    FieldReader reader(stream, *this, Base::Load(stream));
    for (Ptr<Light>& light : lights) reader.Field("Невозможно загрузить источник света.", light);
    return reader.Status();
  }

  void ReleaseReferences() override {
    for (Ptr<Light>& light : lights) light = nullptr;
    Base::ReleaseReferences();
  }

  void VisitReferences(const std::function<void(Object*)>& visit) const override {
    Base::VisitReferences(visit);
    for (const Ptr<Light>& light : lights) {
      if (light) visit(light.Get());
    }
  }

  Light* GetLight() const { return lights[0].Get(); }
  // Read at every draw; the recorded passes stay.
  void SetLight(Light* value) { lights[0] = value; }
  Light* GetPointLight() const
    requires(LIGHTS == 2)
  {
    return lights[1].Get();
  }
  void SetLights(Light* directional, Light* point)
    requires(LIGHTS == 2)
  {
    lights[0] = directional;
    lights[1] = point;
  }

  // The lights of an effect of this class, for the passes.
  static Light* LightOf(const GeometryNodeEffect& effect) {
    return static_cast<const LitEffect&>(effect).GetLight();
  }
  static Light* PointLightOf(const GeometryNodeEffect& effect)
    requires(LIGHTS == 2)
  {
    return static_cast<const LitEffect&>(effect).GetPointLight();
  }

  // What the lit fixed pass needs: two texture stages and a light; and
  // the lit programs: vertex and pixel shaders as well.
  static bool CanLight(const Renderer& renderer) {
    return renderer.GetMaxTextureStages() >= 2 && renderer.GetMaxLights() >= 1;
  }
  static bool CanLightWithShaders(const Renderer& renderer) {
    return renderer.HasShaders() && CanLight(renderer);
  }

  // Pass makers for the techniques of class Self: a shader pass of
  // ShaderPass with Self's programs, or a fixed pass of FixedPass, both
  // with the lights.
  template <class Self, class ShaderPass>
  static Pass* MakeShaderPass(Effect* effect) {
    auto* self = static_cast<Self*>(effect);
    if constexpr (LIGHTS == 2) {
      return new (std::nothrow) ShaderPass(self, Self::GetPrograms(), &LightOf, &PointLightOf);
    } else {
      return new (std::nothrow) ShaderPass(self, Self::GetPrograms(), &LightOf);
    }
  }
  template <class Self, class FixedPass>
  static Pass* MakeFixedPass(Effect* effect) {
    auto* self = static_cast<Self*>(effect);
    if constexpr (LIGHTS == 2) {
      return new (std::nothrow) FixedPass(self, &LightOf, &PointLightOf);
    } else {
      return new (std::nothrow) FixedPass(self, &LightOf);
    }
  }

 private:
  Ptr<Light> lights[LIGHTS];
};

}  // namespace ynx
