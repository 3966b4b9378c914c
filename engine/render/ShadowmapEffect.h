#pragma once

#include <cstdint>
#include <functional>

#include "engine/core/Array.h"
#include "engine/core/Ptr.h"
#include "engine/math/Color.h"
#include "engine/math/Matrix4.h"
#include "engine/render/SceneNodeEffect.h"
#include "engine/render/Texture.h"
#include "engine/scene/Camera.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/Light.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/Triangles.h"

namespace ynx {

class Renderer;

// Shadows from one light on everything below the effect's scene node. Its
// RenderShadowmapEffectController draws the casters' depth into shadowMap
// from lightCamera each frame; the effect then lets the scene node draw its
// children normally and darkens the shadowed parts of the receivers (every
// geometry node below the node but particle sprites) in a second pass.
// Without shaders or depth textures the subtree draws once, unshadowed.
//
// Streamed after the object data: the light and the shadow map as
// references, the shadow colour, perspective (one byte), depth bias, slope
// bias and perspective limit, then the casters as a count and references.
class ShadowmapEffect : public SceneNodeEffect {
  YNX_DECLARE_CLASS(ShadowmapEffect);

 public:
  // Receiver bounds this large belong to skinned meshes whose controller
  // has not bounded them by their bones yet: they would swallow the fit.
  static constexpr float UNBOUNDED_RADIUS = 3.4028235e38f;
  static constexpr uint32_t DEFAULT_MAP_SIZE = 128;

  // Makes a 128 x 128 depth texture named "Shadowmap <its ID>" as the
  // shadow map, without a colour target.
  explicit ShadowmapEffect(const String& name = String());

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  void ReleaseReferences() override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;

  void SetLight(Light* value) { light = value; }
  // Replaces the map and remakes the colour target beside it: an RGB
  // texture of the map's size (none for a null map or one without an
  // image).
  void SetShadowMap(Texture* texture);
  // Copies the list; 2 when memory runs out (the list is then empty).
  int32_t SetCasters(const Array<Node*>& list);
  void SetShadowColor(const Color& value) { shadowColor = value; }
  void SetPerspective(bool on) { perspective = on; }
  void SetBias(float depth, float slope) {
    depthBias = depth;
    slopeBias = slope;
  }
  void SetPerspectiveLimit(float value) { perspectiveLimit = value; }
  void SetShadowMatrix(const Matrix4& value) { shadowMatrix = value; }

  // Every geometry node below the scene node holding the effect, except
  // particle sprites, in tree order; made anew on each call. Called when
  // the shadow technique is created.
  void CollectReceivers();
  // casterBound becomes the merged world bound of the receivers (bounds of
  // UNBOUNDED_RADIUS and up left out); false, with the bound unchanged,
  // when no receiver has a usable bound.
  bool RebuildCasterBound();
  // What both passes bind first: the screen quad made current, its index
  // and position buffers, and a draw of nothing that commits the layout.
  void BindScreenQuad(Renderer& renderer) const;

  Light* GetLight() const { return light.Get(); }
  Texture* GetShadowMap() const { return shadowMap.Get(); }
  Texture* GetColorTarget() const { return colorTarget.Get(); }
  const Array<Ptr<Node>>& GetCasters() const { return casters; }
  const Array<Ptr<GeometryNode>>& GetReceivers() const { return receivers; }
  const Color& GetShadowColor() const { return shadowColor; }
  bool GetPerspective() const { return perspective; }
  float GetDepthBias() const { return depthBias; }
  float GetSlopeBias() const { return slopeBias; }
  float GetPerspectiveLimit() const { return perspectiveLimit; }
  const Matrix4& GetShadowMatrix() const { return shadowMatrix; }
  Camera* GetLightCamera() const { return lightCamera.Get(); }
  const SphereBoundingVolume& GetCasterBound() const { return *casterBound; }
  Triangles* GetScreenQuad() const { return screenQuad.Get(); }

 private:
  int32_t SaveCasters(MemoryStream& stream) const;
  int32_t LoadCasters(MemoryStream& stream);

  Array<Ptr<Node>> casters{8, 8};
  Matrix4 shadowMatrix = Matrix4::Identity();
  Ptr<Camera> lightCamera;
  Ptr<SphereBoundingVolume> casterBound;
  bool perspective = false;
  float depthBias = 0.0f;
  float slopeBias = 3.0f;
  float perspectiveLimit = 0.95f;
  Ptr<Texture> shadowMap;
  Ptr<Texture> colorTarget;
  Ptr<Triangles> screenQuad;
  Ptr<Light> light;
  Color shadowColor{0.0f, 0.0f, 0.0f, 0.5f};
  Array<Ptr<GeometryNode>> receivers{16, 16};
};

}  // namespace ynx
