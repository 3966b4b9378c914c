#pragma once

#include <cstdint>

#include "engine/animation/SkinController.h"
#include "engine/core/Ptr.h"
#include "engine/math/Color.h"
#include "engine/render/Effect.h"

namespace ynx {

// The material side of drawing one geometry node: colours, alpha test and
// blending, fog, vertex sway, back-face culling, per-stage texture wrapping,
// and the skin controller when the vertex shader does the skinning. Concrete
// effects (colour, texture, normal map, ...) derive from it.
class GeometryNodeEffect : public Effect {
  YNX_DECLARE_CLASS(GeometryNodeEffect);

 public:
  static constexpr int32_t STAGE_COUNT = 8;

  explicit GeometryNodeEffect(const String& name = String());

  // After the object data: stage clamp bits, four colours, shininess, alpha
  // test and reference, a flags byte (bit 0 blend, bit 4 culling off), the
  // blend factors, fog on, colour, density and exponent, sway on, amplitude
  // and speed, then the skin controller as a reference.
  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  void ReleaseReferences() override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;

  // The controllers, then the frame time is added to the effect's clock.
  // With a skin controller: where the programs skin (SkinsOnDevice) the
  // controller stops skinning on the processor; below program level 2.0
  // the effect hands it back (SetSkin(null)); a swaying effect on 2.0 and
  // up keeps it skinning on the processor, since the swaying programs
  // read the mesh's own positions. Without a renderer, only the clock.
  void Update(double time) override;
  bool IsSorted() const override { return blend; }
  void StreamsChanged() override { MarkPassesDirty(); }

  // Each marks the active technique's passes dirty.
  void SetFog(bool on);
  void SetSway(bool on);
  void SetWireframe(bool on);
  void SetMaterial(const Color& newDiffuse, const Color& newAmbient, const Color& newSpecular,
                   const Color& newEmissive, float newShininess);
  // Pixels pass with an alpha of at least `reference` (0..255).
  void SetAlphaTest(bool on, int32_t reference);
  void SetBlend(bool on, int32_t source, int32_t destination);
  void SetFogParameters(const Color& color, float density, float exponent);
  void SetSwayParameters(float amplitude, float speed);
  void SetCull(bool on);
  // 1 wraps, 0 clamps; stages outside 0..7 are ignored.
  void SetStageWrap(int32_t stage, int32_t wrap);
  // The skin controller whose bone matrices the vertex program reads. The
  // previous one skins on the processor again; the new one does too until
  // the first update, and its mesh takes a bound that encloses everything
  // until the controller bounds it by its bones.
  void SetSkin(SkinController* controller);

  bool GetWireframe() const { return wireframe; }
  const Color& GetDiffuse() const { return diffuse; }
  const Color& GetAmbient() const { return ambient; }
  const Color& GetSpecular() const { return specular; }
  const Color& GetEmissive() const { return emissive; }
  float GetShininess() const { return shininess; }
  bool GetAlphaTest() const { return alphaTest; }
  int32_t GetAlphaRef() const { return alphaRef; }
  // Blended geometry is also drawn sorted, farthest first.
  bool GetBlend() const { return blend; }
  int32_t GetSrcBlend() const { return srcBlend; }
  int32_t GetDstBlend() const { return dstBlend; }
  bool GetFog() const { return fog; }
  const Color& GetFogColor() const { return fogColor; }
  float GetFogDensity() const { return fogDensity; }
  float GetFogExponent() const { return fogExponent; }
  bool GetSway() const { return sway; }
  float GetSwayAmplitude() const { return swayAmplitude; }
  float GetSwaySpeed() const { return swaySpeed; }
  // Sum of all update times, in seconds.
  float GetTime() const { return time; }
  SkinController* GetSkin() const { return skin.Get(); }
  // The one rule every pass follows: the vertex program blends the bones
  // when there is a skin controller, no sway (which wins), and programs of
  // level 2.0 or 3.0 (Renderer::GetProgramLevel).
  bool SkinsOnDevice(int32_t programLevel) const;
  bool GetCull() const { return cull; }
  // 1 wraps the stage's texture coordinates, 0 clamps them.
  int32_t GetStageWrap(int32_t stage) const { return stageWrap[stage]; }

 private:
  bool wireframe = false;
  Color diffuse{0.8f, 0.8f, 0.8f, 1.0f};
  Color ambient{0.2f, 0.2f, 0.2f, 1.0f};
  Color specular{0.0f, 0.0f, 0.0f, 1.0f};
  Color emissive{0.0f, 0.0f, 0.0f, 1.0f};
  float shininess = 1.0f;
  bool alphaTest = false;
  int32_t alphaRef = 1;
  bool blend = false;
  int32_t srcBlend = 4;
  int32_t dstBlend = 5;
  bool fog = false;
  Color fogColor{1.0f, 1.0f, 1.0f, 1.0f};
  float fogDensity = 0.001f;
  float fogExponent = 2.0f;
  float swayAmplitude = 0.05f;
  float swaySpeed = 1.0f;
  float time = 0.0f;
  bool sway = false;
  Ptr<SkinController> skin;
  bool cull = true;
  int32_t stageWrap[STAGE_COUNT] = {1, 1, 1, 1, 1, 1, 1, 1};
};

}  // namespace ynx
