#include "engine/scene/Node.h"

#include <new>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/core/Log.h"
#include "engine/math/Matrix3.h"
#include "engine/math/Quaternion.h"
#include "engine/scene/Camera.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/SceneRenderer.h"
#include "engine/scene/SphereBoundingVolume.h"

namespace ynx {
namespace {

// The world rotation's matrix; the identity while a flag says so.
Matrix3 WorldRotation(const Transformation& world) {
  if (world.identity || world.rotationFree) return Quaternion::ToMatrix3(Quaternion());
  return Quaternion::ToMatrix3(world.rotation);
}

Vector3 Column(const Matrix3& matrix, int column) {
  return {matrix.m[column], matrix.m[3 + column], matrix.m[6 + column]};
}

}  // namespace

YNX_IMPLEMENT_ABSTRACT_CLASS(Node, Object)

Node::Node(const String& name) : Object(name) {
  worldBound = new (std::nothrow) SphereBoundingVolume();
  if (!worldBound) LogError("Недостаточно памяти для создания окружающего объёма.");
}

Node::~Node() = default;

int32_t Node::Save(MemoryStream& stream) const {
  return FieldWriter(stream, *this, Object::Save(stream))
      .Field("Невозможно сохранить родителя. Имя[%s] ID[%d]", parent)
      .Field("Невозможно сохранить локальную трансформацию. Имя[%s] ID[%d]", localTransform)
      .Field("Невозможно сохранить тип окружающего объёма. Имя[%s] ID[%d]",
             worldBound ? worldBound->GetVolumeType() : BoundingVolume::TYPE_SPHERE)
      .Field("Невозможно сохранить флаг обновления мирового объёма. Имя[%s] ID[%d]",
             updateWorldBound)
      .Status();
}

int32_t Node::Load(MemoryStream& stream) {
  Node* storedParent = nullptr;
  // Any type makes a sphere, the only kind of volume.
  int32_t boundType = 0;
  FieldReader in(stream, *this, Object::Load(stream));
  in.Checked("Невозможно загрузить родителя. ID[%d] Имя[%s]", storedParent,
             [&] { return AcceptParent(storedParent); })
      .Field("Невозможно загрузить локальную трансформацию. ID[%d] Имя[%s]", localTransform)
      .Field("Невозможно загрузить тип окружающего объёма. ID[%d] Имя[%s]", boundType)
      .Field("Невозможно загрузить флаг обновления окружающего объёма. ID[%d] Имя[%s]",
             updateWorldBound);
  if (!in) return in.Status();
  worldBound = new (std::nothrow) SphereBoundingVolume();
  if (!worldBound) {
    return in.Fail("Недостаточно памяти для создания мирового окружающего объёма. ID[%d] Имя[%s]");
  }
  return 0;
}

// A parent from the stream must end up holding this node as a child: it is
// the scene node that already holds it, or one still loading, which then
// must take it before it finishes (SceneNode::Load checks). A finished
// parent must itself be held by something, or wait for its own parent:
// nothing but weak links would reach it otherwise.
bool Node::AcceptParent(Node* candidate) {
  if (candidate == nullptr) {
    parent = nullptr;
    return true;
  }
  if (candidate == this || !candidate->IsDerivedFrom(SceneNode::Type())) return false;
  auto* group = static_cast<SceneNode*>(candidate);
  if (!group->loading && group->holder == nullptr && group->parent == nullptr) return false;
  if (holder != nullptr) {
    if (holder != group) return false;
  } else if (group->loading) {
    ++group->awaitedChildren;
    awaitingParent = true;
  } else {
    return false;
  }
  parent = group;
  return true;
}

Object* Node::FindByName(const String& name) {
  if (Object* found = Object::FindByName(name)) return found;
  return worldBound ? worldBound->FindByName(name) : nullptr;
}

void Node::CollectByType(const Rtti& type, Array<Object*>& result) {
  Object::CollectByType(type, result);
  if (worldBound) worldBound->CollectByType(type, result);
}

void Node::ReleaseReferences() {
  worldBound = nullptr;
  Object::ReleaseReferences();
}

void Node::VisitReferences(const std::function<void(Object*)>& visit) const {
  Object::VisitReferences(visit);
  if (worldBound) visit(worldBound.Get());
}

void Node::Update(double time) {
  UpdateControllers(time);
  UpdateWorldTransform();
}

void Node::UpdateBound() {}

void Node::UpdateRecursive(double time, bool propagateUp) {
  Update(time);
  UpdateBound();
  if (!propagateUp) return;
  for (Node* ancestor = parent; ancestor != nullptr; ancestor = ancestor->parent) {
    ancestor->UpdateBound();
  }
}

void Node::UpdateWorldTransform() {
  if (!updateWorldTransform) return;
  worldTransform = parent != nullptr
                       ? Transformation::Compose(localTransform, parent->worldTransform)
                       : localTransform;
}

void Node::Draw(SceneRenderer&) {}

void Node::Render(SceneRenderer& renderer) {
  Camera* camera = renderer.GetCamera();
  if (camera == nullptr) {
    Draw(renderer);
    return;
  }
  const int32_t savedMask = camera->GetPlaneMask();
  if (!camera->IsCulled(worldBound.Get())) Draw(renderer);
  camera->SetPlaneMask(savedMask);
}

Vector3 Node::GetRight() const { return Column(WorldRotation(worldTransform), 0); }

Vector3 Node::GetUp() const { return Column(WorldRotation(worldTransform), 1); }

Vector3 Node::GetForward() const { return Column(WorldRotation(worldTransform), 2); }

Vector3 Node::GetPosition() const {
  return worldTransform.identity ? Vector3{} : worldTransform.translation;
}

void Node::SetDirection(const Vector3& direction) {
  Vector3 forward = direction;
  forward.Normalize();
  if (forward == Vector3{}) return;
  Vector3 right = Vector3::Cross(Vector3::UP, direction);
  right.Normalize();
  if (right == Vector3{}) right = {1.0f, 0.0f, 0.0f};
  Vector3 up = Vector3::Cross(forward, right);
  up.Normalize();
  localTransform.rotation = Quaternion::FromMatrix3(Matrix3::FromAxes(right, up, forward, true));
  localTransform.identity = false;
  localTransform.rotationFree = false;
}

}  // namespace ynx
