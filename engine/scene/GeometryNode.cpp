#include "engine/scene/GeometryNode.h"

#include <new>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/core/Log.h"
#include "engine/scene/ColorBuffer.h"
#include "engine/scene/FloatBuffer.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/SceneRenderer.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/Vector3Buffer.h"

namespace ynx {

YNX_IMPLEMENT_ABSTRACT_CLASS(GeometryNode, Node)

GeometryNode::GeometryNode(const String& name) : Node(name) {
  modelBound = new (std::nothrow) SphereBoundingVolume();
  if (!modelBound) LogError("Недостаточно памяти для создания окружающего объёма.");
}

GeometryNode::~GeometryNode() { DropEffect(); }

void GeometryNode::DropEffect() {
  if (effect && effect->GetOwner() == this) effect->SetOwner(nullptr);
  effect = nullptr;
}

int32_t GeometryNode::Save(MemoryStream& stream) const {
  FieldWriter out(stream, *this, Node::Save(stream));
  out.Field("Невозможно сохранить эффект. Имя[%s] ID[%d]", effect)
      .Field("Невозможно сохранить вершины. Имя[%s] ID[%d]", vertices)
      .Field("Невозможно сохранить размеры точек. Имя[%s] ID[%d]", pointSizes)
      .Field("Невозможно сохранить цвета вершин. Имя[%s] ID[%d]", colors)
      .Field("Невозможно сохранить нормали. Имя[%s] ID[%d]", normals)
      .Field("Невозможно сохранить тангенты. Имя[%s] ID[%d]", tangents);
  for (const Ptr<Buffer>& set : texCoords) {
    out.Field("Невозможно сохранить текстурные координаты. Имя[%s] ID[%d]", set);
  }
  return out.Field("Невозможно сохранить индексы. Имя[%s] ID[%d]", indices)
      .Field("Невозможно сохранить тип локального окружающего объёма. Имя[%s] ID[%d]",
             modelBound ? modelBound->GetVolumeType() : BoundingVolume::TYPE_SPHERE)
      .Status();
}

// The buffers are read straight into their slots: on a node fresh from the
// factory, as every loading node is, that is what their setters would do.
int32_t GeometryNode::Load(MemoryStream& stream) {
  Ptr<NodeEffect> storedEffect;
  // Any type makes a sphere, the only kind of volume.
  int32_t boundType = 0;
  FieldReader in(stream, *this, Node::Load(stream));
  if (in.Field("Невозможно загрузить эффект. ID[%d] Имя[%s]",
               [&] { return stream.ReadObject(storedEffect, EFFECT_TYPE); })) {
    SetEffect(storedEffect.Get());
  }
  in.Field("Невозможно загрузить вершины. ID[%d] Имя[%s]", vertices)
      .Field("Невозможно загрузить размеры точек. ID[%d] Имя[%s]", pointSizes)
      .Field("Невозможно загрузить цвета. ID[%d] Имя[%s]", colors)
      .Field("Невозможно загрузить нормали. ID[%d] Имя[%s]", normals)
      .Field("Невозможно загрузить тангенты. ID[%d] Имя[%s]", tangents);
  for (Ptr<Buffer>& set : texCoords) {
    in.Field("Невозможно загрузить текстурные координаты. ID[%d] Имя[%s]", set);
  }
  in.Field("Невозможно загрузить индексы. ID[%d] Имя[%s]", indices)
      .Field("Невозможно загрузить тип лоакльного окружающего объёма. ID[%d] Имя[%s]", boundType);
  if (!in) return in.Status();
  modelBound = new (std::nothrow) SphereBoundingVolume();
  if (!modelBound) {
    return in.Fail(
        "Недостаточно памяти для создания локального окружающего объёма. ID[%d] Имя[%s]");
  }
  UpdateModelBound();
  return 0;
}

void GeometryNode::ReleaseReferences() {
  DropEffect();
  vertices = nullptr;
  pointSizes = nullptr;
  colors = nullptr;
  normals = nullptr;
  tangents = nullptr;
  for (Ptr<Buffer>& set : texCoords) set = nullptr;
  indices = nullptr;
  modelBound = nullptr;
  Node::ReleaseReferences();
}

void GeometryNode::VisitReferences(const std::function<void(Object*)>& visit) const {
  Node::VisitReferences(visit);
  const Object* fields[] = {effect.Get(),  vertices.Get(), pointSizes.Get(), colors.Get(),
                            normals.Get(), tangents.Get(), indices.Get(),    modelBound.Get()};
  for (const Object* field : fields) {
    if (field != nullptr) visit(const_cast<Object*>(field));
  }
  for (const Ptr<Buffer>& set : texCoords) {
    if (set) visit(set.Get());
  }
}

void GeometryNode::Update(double time) {
  Node::Update(time);
  if (effect) effect->Update(time);
}

void GeometryNode::UpdateBound() {
  BoundingVolume* world = GetWorldBound();
  if (!GetUpdateWorldBound() || !modelBound || world == nullptr) return;
  modelBound->TransformTo(world, GetWorldTransform());
}

void GeometryNode::ComputeNormals() {}

void GeometryNode::ComputeTangents(int32_t) {}

void GeometryNode::UpdateModelBound() {
  if (vertices && modelBound) modelBound->ComputeFromVertices(vertices.Get());
}

void GeometryNode::RebuildDerivedData(bool withNormals, bool withTangents) {
  UpdateModelBound();
  if (withNormals) ComputeNormals();
  if (withTangents) ComputeTangents(0);
}

void GeometryNode::SetVertices(Vector3Buffer* buffer) {
  vertices = buffer;
  tangents = nullptr;
  StreamsChanged();
}

void GeometryNode::SetPointSizes(FloatBuffer* buffer) {
  pointSizes = buffer;
  StreamsChanged();
}

void GeometryNode::SetColors(ColorBuffer* buffer) {
  colors = buffer;
  StreamsChanged();
}

void GeometryNode::SetNormals(Vector3Buffer* buffer) {
  normals = buffer;
  StreamsChanged();
}

void GeometryNode::SetTangents(Vector3Buffer* buffer) {
  tangents = buffer;
  StreamsChanged();
}

void GeometryNode::SetTexCoords(int32_t set, Buffer* buffer) {
  if (set < 0 || set >= TEXTURE_SET_COUNT) return;
  texCoords[set] = buffer;
  StreamsChanged();
}

void GeometryNode::SetIndices(IntBuffer* buffer) {
  indices = buffer;
  StreamsChanged();
}

void GeometryNode::StreamsChanged() {
  if (effect) effect->StreamsChanged();
}

void GeometryNode::Draw(SceneRenderer& renderer) {
  if (!effect || !effect->IsEnabled()) return;
  if (effect->IsSorted()) {
    renderer.EnqueueSorted(this);
    return;
  }
  DrawNow(renderer);
}

void GeometryNode::DrawNow(SceneRenderer& renderer) {
  if (!effect) return;
  // The effect may drop its last other reference while it draws.
  const Ptr<NodeEffect> drawing = effect;
  renderer.SetCurrentGeometry(this);
  const int32_t passes = drawing->PassCount();
  for (int32_t pass = 0; pass < passes; ++pass) {
    // A skipped pass may have pushed lights before it gave up.
    if (drawing->ApplyPass(pass) == 0) DrawPass(renderer);
    renderer.PopLights();
  }
}

int32_t GeometryNode::DrawPass(SceneRenderer& renderer) { return renderer.DrawIndexed(); }

void GeometryNode::SetEffect(NodeEffect* value) {
  if (effect != value) {
    DropEffect();
    effect = value;
  }
  if (effect) effect->SetOwner(this);
}

Buffer* GeometryNode::GetTexCoords(int32_t set) const {
  return set >= 0 && set < TEXTURE_SET_COUNT ? texCoords[set].Get() : nullptr;
}

}  // namespace ynx
