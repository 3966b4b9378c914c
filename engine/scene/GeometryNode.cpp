#include "engine/scene/GeometryNode.h"

#include <new>

#include "engine/core/Log.h"
#include "engine/core/MemoryStream.h"
#include "engine/scene/ColorBuffer.h"
#include "engine/scene/FloatBuffer.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/Vector3Buffer.h"

namespace ynx {
namespace {

// One reference of the stored layout: written, or read into `field`, with
// the step's message on failure.
template <typename T>
bool SaveReference(MemoryStream& stream, const Ptr<T>& field, const char* message,
                   const Object& node) {
  if (stream.WriteObject(field) == 0) return true;
  LogError(message, node.GetName().CStr(), node.GetID());
  return false;
}

template <typename T>
bool LoadReference(MemoryStream& stream, Ptr<T>& field, const char* message, const Object& node) {
  if (stream.ReadObject(field) == 0) return true;
  LogError(message, node.GetID(), node.GetName().CStr());
  return false;
}

// The same for a class of a higher layer, known here by its streamed name.
template <typename T>
bool LoadReference(MemoryStream& stream, Ptr<T>& field, const char* type, const char* message,
                   const Object& node) {
  Object* read = nullptr;
  const bool loaded = stream.ReadObject(read, type) == 0;
  field = static_cast<T*>(read);
  if (loaded) return true;
  LogError(message, node.GetID(), node.GetName().CStr());
  return false;
}

constexpr const char* SAVE_TEX_COORDS =
    "Невозможно сохранить текстурные координаты. Имя[%s] ID[%d]";
constexpr const char* LOAD_TEX_COORDS =
    "Невозможно загрузить текстурные координаты. ID[%d] Имя[%s]";

}  // namespace

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
  if (Node::Save(stream) != 0) {
    LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
    return 1;
  }
  bool saved =
      SaveReference(stream, effect, "Невозможно сохранить эффект. Имя[%s] ID[%d]", *this) &&
      SaveReference(stream, vertices, "Невозможно сохранить вершины. Имя[%s] ID[%d]", *this) &&
      SaveReference(stream, pointSizes, "Невозможно сохранить размеры точек. Имя[%s] ID[%d]",
                    *this) &&
      SaveReference(stream, colors, "Невозможно сохранить цвета вершин. Имя[%s] ID[%d]", *this) &&
      SaveReference(stream, normals, "Невозможно сохранить нормали. Имя[%s] ID[%d]", *this) &&
      SaveReference(stream, tangents, "Невозможно сохранить тангенты. Имя[%s] ID[%d]", *this);
  for (int32_t set = 0; saved && set < TEXTURE_SET_COUNT; ++set) {
    saved = SaveReference(stream, texCoords[set], SAVE_TEX_COORDS, *this);
  }
  if (!saved ||
      !SaveReference(stream, indices, "Невозможно сохранить индексы. Имя[%s] ID[%d]", *this)) {
    return 1;
  }
  if (stream.WriteInt32(modelBound ? modelBound->GetVolumeType() : BoundingVolume::TYPE_SPHERE) !=
      0) {
    LogError("Невозможно сохранить тип локального окружающего объёма. Имя[%s] ID[%d]",
             GetName().CStr(), GetID());
    return 1;
  }
  return 0;
}

int32_t GeometryNode::Load(MemoryStream& stream) {
  if (Node::Load(stream) != 0) {
    LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
    return 1;
  }
  Ptr<NodeEffect> storedEffect;
  Ptr<Vector3Buffer> storedVertices;
  Ptr<FloatBuffer> storedPointSizes;
  Ptr<ColorBuffer> storedColors;
  Ptr<Vector3Buffer> storedNormals;
  Ptr<Vector3Buffer> storedTangents;
  if (!LoadReference(stream, storedEffect, EFFECT_TYPE,
                     "Невозможно загрузить эффект. ID[%d] Имя[%s]", *this)) {
    return 1;
  }
  SetEffect(storedEffect.Get());
  if (!LoadReference(stream, storedVertices, "Невозможно загрузить вершины. ID[%d] Имя[%s]",
                     *this)) {
    return 1;
  }
  SetVertices(storedVertices.Get());
  if (!LoadReference(stream, storedPointSizes, "Невозможно загрузить размеры точек. ID[%d] Имя[%s]",
                     *this)) {
    return 1;
  }
  SetPointSizes(storedPointSizes.Get());
  if (!LoadReference(stream, storedColors, "Невозможно загрузить цвета. ID[%d] Имя[%s]", *this)) {
    return 1;
  }
  SetColors(storedColors.Get());
  if (!LoadReference(stream, storedNormals, "Невозможно загрузить нормали. ID[%d] Имя[%s]",
                     *this)) {
    return 1;
  }
  SetNormals(storedNormals.Get());
  if (!LoadReference(stream, storedTangents, "Невозможно загрузить тангенты. ID[%d] Имя[%s]",
                     *this)) {
    return 1;
  }
  SetTangents(storedTangents.Get());
  for (int32_t set = 0; set < TEXTURE_SET_COUNT; ++set) {
    Ptr<Buffer> storedSet;
    if (!LoadReference(stream, storedSet, LOAD_TEX_COORDS, *this)) return 1;
    SetTexCoords(set, storedSet.Get());
  }
  Ptr<IntBuffer> storedIndices;
  if (!LoadReference(stream, storedIndices, "Невозможно загрузить индексы. ID[%d] Имя[%s]",
                     *this)) {
    return 1;
  }
  SetIndices(storedIndices.Get());
  // Any type makes a sphere, the only kind of volume.
  int32_t boundType = 0;
  if (stream.ReadInt32(boundType) != 0) {
    LogError("Невозможно загрузить тип лоакльного окружающего объёма. ID[%d] Имя[%s]", GetID(),
             GetName().CStr());
    return 1;
  }
  modelBound = new (std::nothrow) SphereBoundingVolume();
  if (!modelBound) {
    LogError("Недостаточно памяти для создания локального окружающего объёма. ID[%d] Имя[%s]",
             GetID(), GetName().CStr());
    return 1;
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
}

void GeometryNode::SetPointSizes(FloatBuffer* buffer) { pointSizes = buffer; }

void GeometryNode::SetColors(ColorBuffer* buffer) { colors = buffer; }

void GeometryNode::SetNormals(Vector3Buffer* buffer) { normals = buffer; }

void GeometryNode::SetTangents(Vector3Buffer* buffer) { tangents = buffer; }

void GeometryNode::SetTexCoords(int32_t set, Buffer* buffer) {
  if (set >= 0 && set < TEXTURE_SET_COUNT) texCoords[set] = buffer;
}

void GeometryNode::SetIndices(IntBuffer* buffer) { indices = buffer; }

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
