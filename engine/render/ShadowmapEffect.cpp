#include "engine/render/ShadowmapEffect.h"

#include <cstdio>
#include <initializer_list>
#include <new>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/core/Log.h"
#include "engine/io/Image.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShadowmapReceiverPass.h"
#include "engine/render/SinglePassTechnique.h"
#include "engine/render/SpriteParticleSystem.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Vector3Buffer.h"

namespace ynx {
namespace {

// Pass 1 of both techniques: the scene node then draws its children as
// they are.
class ScreenQuadPass : public Pass {
 public:
  explicit ScreenQuadPass(ShadowmapEffect* effect) : effect(effect) {}

  int32_t Apply() override {
    Renderer* renderer = Renderer::GetCurrent();
    if (renderer == nullptr) return 1;
    effect->BindScreenQuad(*renderer);
    return 0;
  }

 private:
  ShadowmapEffect* effect;
};

// The scene drawn, then the receivers darkened where the map hides them
// from the light. The receiver pass runs programs and samples a depth
// texture, so it needs both.
class ShadowTechnique : public Technique {
 public:
  explicit ShadowTechnique(ShadowmapEffect* effect) : Technique(effect) {}

  bool Create() override {
    const Renderer* renderer = Renderer::GetCurrent();
    if (renderer == nullptr || !renderer->HasShaders() || !renderer->HasDepthTextures()) return false;
    auto* shadowmap = static_cast<ShadowmapEffect*>(effect);
    Pass* scene = new (std::nothrow) ScreenQuadPass(shadowmap);
    Pass* receivers = new (std::nothrow) ShadowmapReceiverPass(shadowmap);
    if (scene == nullptr || receivers == nullptr) {
      delete scene;
      delete receivers;
      return false;
    }
    AddPass(scene);
    AddPass(receivers);
    shadowmap->CollectReceivers();
    return true;
  }
};

// The smallest positive normal float: a bound that holds nothing yet.
constexpr float EMPTY_RADIUS = 1.1754944e-38f;

void CollectBelow(const SceneNode& node, Array<Ptr<GeometryNode>>& found) {
  for (int32_t slot = 0; slot < node.GetSlotCount(); ++slot) {
    Node* child = node.GetChild(slot);
    if (child == nullptr) continue;
    if (child->IsDerivedFrom(SceneNode::Type())) {
      CollectBelow(*static_cast<SceneNode*>(child), found);
    } else if (child->IsDerivedFrom(GeometryNode::Type()) &&
               !child->IsDerivedFrom(SpriteParticleSystem::Type())) {
      found.Append(static_cast<GeometryNode*>(child));
    }
  }
}

}  // namespace

YNX_IMPLEMENT_CLASS(ShadowmapEffect, SceneNodeEffect)

ShadowmapEffect::ShadowmapEffect(const String& name)
    : SceneNodeEffect(name),
      lightCamera(new (std::nothrow) Camera()),
      casterBound(new (std::nothrow) SphereBoundingVolume(Vector3{}, EMPTY_RADIUS)),
      screenQuad(new (std::nothrow) Triangles()) {
  Image* image = new (std::nothrow)
      Image(String(), Image::FORMAT_DEPTH, DEFAULT_MAP_SIZE, DEFAULT_MAP_SIZE);
  shadowMap = new (std::nothrow) Texture(String(), image);
  if (shadowMap) {
    char mapName[32];
    std::snprintf(mapName, sizeof mapName, "Shadowmap %d", shadowMap->GetID());
    shadowMap->SetName(String(mapName));
  }
  AddTechnique(new (std::nothrow) SinglePassTechnique(
      this, &SinglePassTechnique::Always, &SinglePassTechnique::Make<ScreenQuadPass, ShadowmapEffect>));
  AddTechnique(new (std::nothrow) ShadowTechnique(this));
}

int32_t ShadowmapEffect::Save(MemoryStream& stream) const {
  // The colour and the numbers have no message of their own: a failure
  // there shows at the caster list.
  return FieldWriter(stream, *this, SceneNodeEffect::Save(stream))
      .Field("Невозможно сохранить источник света. Имя[%s] ID[%d]", light)
      .Field("Невозможно сохранить шадамап. Имя[%s] ID[%d]", shadowMap)
      .Field("Невозможно сохранить узлы. Имя[%s] ID[%d]", shadowColor, perspective, depthBias,
             slopeBias, perspectiveLimit, [&] { return SaveCasters(stream); })
      .Status();
}

int32_t ShadowmapEffect::Load(MemoryStream& stream) {
  Ptr<Light> readLight;
  Ptr<Texture> readMap;
  FieldReader in(stream, *this, SceneNodeEffect::Load(stream));
  in.Field("Невозможно загрузить источник света. Имя[%s] ID[%d]", readLight);
  if (in) SetLight(readLight.Get());
  in.Field("Невозможно загрузить карту теней. ID[%d] Имя[%s]", readMap);
  if (in) SetShadowMap(readMap.Get());
  return in
      .Field("Невозможно загрузить цвет тени. Имя[%s] ID[%d]", shadowColor, perspective, depthBias,
             slopeBias, perspectiveLimit)
      .Field("Невозможно загрузить узлы. Имя[%s] ID[%d]", [&] { return LoadCasters(stream); })
      .Status();
}

int32_t ShadowmapEffect::SaveCasters(MemoryStream& stream) const {
  // The colour or a number before the list failed: the list's own line
  // alone says so.
  if (stream.GetState() != 0) return stream.GetState();
  if (stream.WriteInt32(static_cast<int32_t>(casters.Count())) != 0) {
    LogError("Невозможно сохранить количество объектов.");
    return 1;
  }
  for (uint32_t i = 0; i < casters.Count(); ++i) {
    if (stream.WriteObject(casters[i]) != 0) {
      LogError("Невозможно сохранить объект [%d].", static_cast<int32_t>(i));
      return 1;
    }
  }
  return 0;
}

int32_t ShadowmapEffect::LoadCasters(MemoryStream& stream) {
  // Every reference takes at least its 4-byte ID.
  constexpr int32_t MIN_REFERENCE_BYTES = 4;
  int32_t count = 0;
  if (stream.ReadCount(count, MIN_REFERENCE_BYTES) != 0) {
    LogError("Невозможно загрузить количество объектов.");
    return 1;
  }
  Array<Node*> list(static_cast<uint32_t>(count) + 1, 8);
  for (int32_t i = 0; i < count; ++i) {
    Ptr<Node> caster;
    if (stream.ReadObject(caster) != 0) {
      LogError("Невозможно загрузить объект [%d].", i);
      return 1;
    }
    // The array holds no references: the stream's table keeps the object
    // until the list is copied below.
    list.Append(caster.Get());
  }
  return SetCasters(list) == 0 ? 0 : 1;
}

void ShadowmapEffect::ReleaseReferences() {
  casters.Clear();
  receivers.Clear();
  lightCamera = nullptr;
  casterBound = nullptr;
  shadowMap = nullptr;
  colorTarget = nullptr;
  screenQuad = nullptr;
  light = nullptr;
  SceneNodeEffect::ReleaseReferences();
}

void ShadowmapEffect::VisitReferences(const std::function<void(Object*)>& visit) const {
  SceneNodeEffect::VisitReferences(visit);
  for (const Ptr<Node>& caster : casters) {
    if (caster) visit(caster.Get());
  }
  for (Object* held : std::initializer_list<Object*>{lightCamera.Get(), casterBound.Get(), shadowMap.Get(),
                                                      colorTarget.Get(), screenQuad.Get(), light.Get()}) {
    if (held != nullptr) visit(held);
  }
  for (const Ptr<GeometryNode>& receiver : receivers) visit(receiver.Get());
}

void ShadowmapEffect::SetShadowMap(Texture* texture) {
  shadowMap = texture;
  colorTarget = nullptr;
  const Image* image = texture != nullptr ? texture->GetImage() : nullptr;
  if (image == nullptr) return;
  Image* color =
      new (std::nothrow) Image(String(), Image::FORMAT_RGB, image->GetWidth(), image->GetHeight());
  if (color == nullptr) return;
  colorTarget = new (std::nothrow) Texture(String(), color);
  // The shadow map is the depth buffer of every draw into this target.
  if (colorTarget) colorTarget->SetOwnDepth(false);
}

int32_t ShadowmapEffect::SetCasters(const Array<Node*>& list) {
  casters.Clear();
  for (Node* caster : list) {
    if (!casters.Append(caster)) {
      casters.Clear();
      return 2;
    }
  }
  return 0;
}

void ShadowmapEffect::CollectReceivers() {
  receivers.Clear();
  Object* owner = GetOwner();
  if (owner == nullptr || !owner->IsDerivedFrom(SceneNode::Type())) return;
  CollectBelow(*static_cast<SceneNode*>(owner), receivers);
}

bool ShadowmapEffect::RebuildCasterBound() {
  if (!casterBound) return false;
  bool started = false;
  for (const Ptr<GeometryNode>& receiver : receivers) {
    const BoundingVolume* bound = receiver->GetWorldBound();
    if (bound == nullptr || !bound->IsDerivedFrom(SphereBoundingVolume::Type())) continue;
    if (static_cast<const SphereBoundingVolume*>(bound)->GetRadius() >= UNBOUNDED_RADIUS) continue;
    if (started) {
      casterBound->Merge(bound);
    } else {
      started = casterBound->CopyFrom(bound) == 0;
    }
  }
  return started;
}

void ShadowmapEffect::BindScreenQuad(Renderer& renderer) const {
  renderer.SetCurrentGeometry(screenQuad.Get());
  renderer.SetIndexBuffer(screenQuad ? screenQuad->GetIndices() : nullptr);
  renderer.SetPositionStream(screenQuad ? screenQuad->GetVertices() : nullptr);
  renderer.Draw(0);
}

}  // namespace ynx
