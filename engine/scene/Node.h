#pragma once

#include <cstdint>
#include <functional>

#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/math/Transformation.h"
#include "engine/math/Vector3.h"

namespace ynx {

class BoundingVolume;
class Camera;
class SceneNode;
class SceneRenderer;

// Every placeable thing in a scene: a local transformation relative to the
// parent, the world transformation derived from it each frame, a world bound
// for culling, and a weak link to the parent.
//
// Streamed after the object data: the parent as a reference, the local
// transformation (40 bytes), the world bound's volume type (int32) and the
// bound-update flag (one byte). The world transformation is not stored.
//
// The hierarchy is a tree that a loaded file cannot break: a node sits in at
// most one child array, never below itself, at most MAX_DEPTH levels deep,
// and a non-null parent is always the scene node whose array holds it (see
// SceneNode). Every walk over the tree therefore ends, and the parent link,
// which takes no reference, never outlives its target.
class Node : public Object {
  YNX_DECLARE_CLASS(Node);

 public:
  static constexpr int32_t MAX_DEPTH = 512;

  // The world bound starts as an empty sphere.
  explicit Node(const String& name = String());
  ~Node() override;

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  // This node, its controllers, then its world bound.
  Object* FindByName(const String& name) override;
  void CollectByType(const Rtti& type, Array<Object*>& result) override;
  void ReleaseReferences() override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;

  // One frame of this node: its controllers first, so that what they write
  // into the local transformation shows in the same frame, then the world
  // transformation. Groups recurse into their subtree.
  virtual void Update(double time);
  // Recomputes the world bound; a plain node has nothing to derive it from.
  virtual void UpdateBound();

  // The frame's entry point: Update, UpdateBound, and with propagateUp the
  // bound of every ancestor from the nearest to the root.
  void UpdateRecursive(double time, bool propagateUp);
  // local composed with the parent's world transformation, or a copy of
  // local without a parent; nothing while updateWorldTransform is off.
  void UpdateWorldTransform();

  // Submits this node's drawing; a plain node draws nothing.
  virtual void Draw(SceneRenderer& renderer);
  // Draw, unless the world bound lies entirely outside the view volume of
  // the renderer's camera. The planes the bound lies inside are dropped from
  // the camera's mask while the node draws (its subtree needs no test
  // against them) and the mask is restored afterwards, so the next sibling
  // is tested against all of them again. Without a camera nothing is culled.
  void Render(SceneRenderer& renderer);

  // Columns 0, 1 and 2 of the world rotation's matrix, and the world
  // translation.
  Vector3 GetRight() const;
  Vector3 GetUp() const;
  Vector3 GetForward() const;
  Vector3 GetPosition() const;
  // Turns the local rotation so that the node looks along the direction
  // (taken in the parent's space), keeping +Y up; clears the local flags.
  // Straight up or down, world X stays the right axis; a zero direction
  // changes nothing.
  void SetDirection(const Vector3& direction);

  const Transformation& GetLocalTransform() const { return localTransform; }
  void SetLocalTransform(const Transformation& value) { localTransform = value; }
  const Transformation& GetWorldTransform() const { return worldTransform; }
  void SetWorldTransform(const Transformation& value) { worldTransform = value; }
  bool GetUpdateWorldTransform() const { return updateWorldTransform; }
  void SetUpdateWorldTransform(bool value) { updateWorldTransform = value; }
  // Null only when memory ran out.
  BoundingVolume* GetWorldBound() const { return worldBound.Get(); }
  bool GetUpdateWorldBound() const { return updateWorldBound; }
  void SetUpdateWorldBound(bool value) { updateWorldBound = value; }
  Node* GetParent() const { return parent; }

 private:
  friend class SceneNode;

  // Whether the parent just read can stand: see the class comment.
  bool AcceptParent(Node* candidate);

  Transformation localTransform;
  Transformation worldTransform;
  bool updateWorldTransform = true;
  Ptr<BoundingVolume> worldBound;
  bool updateWorldBound = true;
  Node* parent = nullptr;

  // Kept by SceneNode, never streamed: the scene node whose child array
  // holds this node, the height of the tree below it (an upper bound once
  // children were removed), and whether the parent read from the stream
  // still waits for that parent to take this node as a child.
  SceneNode* holder = nullptr;
  int32_t height = 0;
  bool awaitingParent = false;
};

}  // namespace ynx
