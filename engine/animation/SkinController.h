#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/Controller.h"
#include "engine/core/Ptr.h"
#include "engine/math/Matrix4.h"
#include "engine/math/Transformation.h"
#include "engine/math/Vector3.h"
#include "engine/math/Vector4.h"

namespace ynx {

class Node;
class Vector3Buffer;
class Vector4Buffer;

// Moves a skinned mesh (its owner, a geometry node) with a set of bone
// nodes: each frame the bone matrices follow the bones' world
// transformations, and every position is recomputed from its bind pose and
// up to four weighted bone influences, already in world space. The world
// bound is the sphere around the bones, 1.5 times their spread.
//
// `active` means skinning on the processor: an effect that skins in the
// vertex shader switches it off, and then only the bone matrices and the
// bound are computed.
//
// Streamed after the controller data: the bone count, the bone references,
// one offset per bone (a transformation from bind space into the bone's
// space, 40 bytes), then references to the weights, the bone indices (as
// floats), and the bind positions, normals and tangents.
//
// Skinning leaves the mesh untouched unless the positions, bind positions,
// weights and indices all have the same count and there is at least one
// bone; an influence whose bone index lies outside the bones contributes
// nothing, and a null bone stands at the origin unturned.
class SkinController : public Controller {
  YNX_DECLARE_CLASS(SkinController);

 public:
  // One skinning job: per vertex a bind position, four weights and four
  // bone indices (floats, truncated), and the bones' matrices.
  struct Influences {
    const Vector3* positions;
    const Vector4* weights;
    const Vector4* indices;
    int32_t count;
    const Matrix4* matrices;
    int32_t boneCount;
  };

  // out[i] = sum over k of weight k times positions[i] (a point) through the
  // matrix of index k. Influence 0 always counts, the others only with a
  // weight above 0. out may be the positions themselves.
  static void SkinScalar(const Influences& job, Vector3* out);
  // The same four lanes at a time, blending the matrices before the one
  // transformation: equal to SkinScalar within rounding for affine matrices.
  static void SkinVector(const Influences& job, Vector3* out);

  explicit SkinController(const String& name = String());
  ~SkinController() override;

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  void ReleaseReferences() override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;

  void Update(double time) override;
  // Each bone's offset composed with its world transformation, as a matrix,
  // and each bone's world position.
  void ComputeBoneMatrices();
  // The sphere around the bone positions, radius times 1.5, becomes the
  // owner's world bound, which the owner then stops deriving itself.
  void UpdateSkinBound();

  void AddBone(Node* bone, const Transformation& offset);
  void SetWeights(Vector4Buffer* buffer);
  void SetBoneIndices(Vector4Buffer* buffer);
  void SetBindVertices(Vector3Buffer* buffer);
  void SetBindNormals(Vector3Buffer* buffer);
  void SetBindTangents(Vector3Buffer* buffer);

  int32_t GetBoneCount() const { return static_cast<int32_t>(bones.size()); }
  Node* GetBone(int32_t index) const { return bones[static_cast<size_t>(index)].Get(); }
  const Transformation& GetBoneOffset(int32_t index) const {
    return boneOffsets[static_cast<size_t>(index)];
  }
  // One per bone: what the vertex programs read.
  const Matrix4* GetBoneMatrices() const { return boneMatrices.data(); }
  Vector3Buffer* GetBonePositions() const { return bonePositions.Get(); }
  Vector4Buffer* GetWeights() const { return weights.Get(); }
  Vector4Buffer* GetBoneIndices() const { return boneIndices.Get(); }
  Vector3Buffer* GetBindVertices() const { return bindVertices.Get(); }
  Vector3Buffer* GetBindNormals() const { return bindNormals.Get(); }
  Vector3Buffer* GetBindTangents() const { return bindTangents.Get(); }

 private:
  // The bone arrays sized for the bones: matrices identity.
  void ResizeBoneData();

  std::vector<Ptr<Node>> bones;
  Ptr<Vector3Buffer> bonePositions;
  std::vector<Transformation> boneOffsets;
  std::vector<Matrix4> boneMatrices;
  Ptr<Vector4Buffer> weights;
  Ptr<Vector4Buffer> boneIndices;
  Ptr<Vector3Buffer> bindVertices;
  Ptr<Vector3Buffer> bindNormals;
  Ptr<Vector3Buffer> bindTangents;
};

}  // namespace ynx
