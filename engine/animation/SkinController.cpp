#include "engine/animation/SkinController.h"

#include <emmintrin.h>

#include <new>
#include <utility>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"

namespace ynx {
namespace {

// Stored bytes of one bone: a reference of at least 4 bytes and its offset.
constexpr int32_t MIN_BONE_BYTES = 4 + 40;

// Bounds the world bound's radius is scaled by: the vertices hang around
// the bones, not on them.
constexpr float BONE_SPREAD = 1.5f;

// A float bone index that truncates to a bone of the array. Comparing the
// float first keeps NaN and huge values away from the conversion.
bool BoneOf(float index, int32_t boneCount, int32_t& bone) {
  if (!(index > -1.0f && index < static_cast<float>(boneCount))) return false;
  bone = static_cast<int32_t>(index);
  return bone < boneCount;
}

// rows += weight · the four rows of the matrix.
inline void Accumulate(__m128 rows[4], const Matrix4& matrix, __m128 weight) {
  for (int row = 0; row < 4; ++row) {
    rows[row] = _mm_add_ps(rows[row], _mm_mul_ps(weight, _mm_loadu_ps(&matrix.m[row * 4])));
  }
}

}  // namespace

YNX_IMPLEMENT_CLASS(SkinController, Controller)

void SkinController::SkinScalar(const Influences& job, Vector3* out) {
  for (int32_t i = 0; i < job.count; ++i) {
    const Vector3 position = job.positions[i];
    const float weight[4] = {job.weights[i].x, job.weights[i].y, job.weights[i].z,
                             job.weights[i].w};
    const float index[4] = {job.indices[i].x, job.indices[i].y, job.indices[i].z, job.indices[i].w};
    Vector3 sum;
    for (int k = 0; k < 4; ++k) {
      int32_t bone = 0;
      if ((k > 0 && !(weight[k] > 0.0f)) || !BoneOf(index[k], job.boneCount, bone)) continue;
      sum = sum + job.matrices[bone].TransformPoint(position) * weight[k];
    }
    out[i] = sum;
  }
}

void SkinController::SkinVector(const Influences& job, Vector3* out) {
  const __m128 zero = _mm_setzero_ps();
  const __m128 belowFirstBone = _mm_set1_ps(-1.0f);
  const __m128 boneLimit = _mm_set1_ps(static_cast<float>(job.boneCount));
  const __m128i boneCount = _mm_set1_epi32(job.boneCount);
  // Influence 0 counts whatever its weight.
  const __m128 firstLane = _mm_castsi128_ps(_mm_setr_epi32(-1, 0, 0, 0));
  for (int32_t i = 0; i < job.count; ++i) {
    const __m128 index = _mm_loadu_ps(&job.indices[i].x);
    const __m128 weight = _mm_loadu_ps(&job.weights[i].x);
    // The lanes whose index truncates to a bone of the array (see BoneOf).
    const __m128 inRange =
        _mm_and_ps(_mm_cmpgt_ps(index, belowFirstBone), _mm_cmplt_ps(index, boneLimit));
    const __m128i truncated = _mm_and_si128(_mm_cvttps_epi32(index), _mm_castps_si128(inRange));
    const __m128 valid =
        _mm_and_ps(inRange, _mm_castsi128_ps(_mm_cmplt_epi32(truncated, boneCount)));
    // Out-of-range or uncounted lanes weigh 0 against bone 0.
    const __m128 counted = _mm_and_ps(valid, _mm_or_ps(firstLane, _mm_cmpgt_ps(weight, zero)));
    const __m128 w = _mm_and_ps(weight, counted);
    alignas(16) int32_t bone[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(bone),
                    _mm_and_si128(truncated, _mm_castps_si128(counted)));

    __m128 rows[4] = {zero, zero, zero, zero};
    Accumulate(rows, job.matrices[bone[0]], _mm_shuffle_ps(w, w, _MM_SHUFFLE(0, 0, 0, 0)));
    Accumulate(rows, job.matrices[bone[1]], _mm_shuffle_ps(w, w, _MM_SHUFFLE(1, 1, 1, 1)));
    Accumulate(rows, job.matrices[bone[2]], _mm_shuffle_ps(w, w, _MM_SHUFFLE(2, 2, 2, 2)));
    Accumulate(rows, job.matrices[bone[3]], _mm_shuffle_ps(w, w, _MM_SHUFFLE(3, 3, 3, 3)));

    const Vector3 p = job.positions[i];
    const __m128 moved = _mm_add_ps(
        _mm_add_ps(_mm_mul_ps(_mm_set1_ps(p.x), rows[0]), _mm_mul_ps(_mm_set1_ps(p.y), rows[1])),
        _mm_add_ps(_mm_mul_ps(_mm_set1_ps(p.z), rows[2]), rows[3]));
    alignas(16) float result[4];
    _mm_store_ps(result, moved);
    out[i] = {result[0], result[1], result[2]};
  }
}

SkinController::SkinController(const String& name) : Controller(name) {}

SkinController::~SkinController() = default;

int32_t SkinController::Save(MemoryStream& stream) const {
  FieldWriter out(stream, *this, Controller::Save(stream));
  out.Field("Невозможно сохранить количество костей. Имя[%s] ID[%d]", GetBoneCount());
  for (const Ptr<Node>& bone : bones) out.Field("Невозможно сохранить кость. Имя[%s] ID[%d]", bone);
  for (const Transformation& offset : boneOffsets) {
    out.Field("Невозможно сохранить кость. Имя[%s] ID[%d]", offset);
  }
  return out.Field("Невозможно сохранить веса. Имя[%s] ID[%d]", weights)
      .Field("Невозможно сохранить индексы. Имя[%s] ID[%d]", boneIndices)
      .Field("Невозможно сохранить вершины. Имя[%s] ID[%d]", bindVertices)
      .Field("Невозможно сохранить нормали. Имя[%s] ID[%d]", bindNormals)
      .Field("Невозможно сохранить тангенсы. Имя[%s] ID[%d]", bindTangents)
      .Status();
}

int32_t SkinController::Load(MemoryStream& stream) {
  int32_t count = 0;
  FieldReader in(stream, *this, Controller::Load(stream));
  in.Count("Невозможно загрузить количество костей. ID[%d] Имя[%s]", count, MIN_BONE_BYTES);
  // Read aside, so that the bone arrays always have one size.
  std::vector<Ptr<Node>> storedBones(static_cast<size_t>(count));
  std::vector<Transformation> storedOffsets(static_cast<size_t>(count));
  for (Ptr<Node>& bone : storedBones) in.Field("Невозможно загрузить кость. ID[%d]", bone);
  for (Transformation& offset : storedOffsets)
    in.Field("Невозможно загрузить кость. ID[%d]", offset);
  if (!in) return in.Status();
  bones = std::move(storedBones);
  boneOffsets = std::move(storedOffsets);
  ResizeBoneData();
  if (!bonePositions || bonePositions->GetCount() != count) return 2;
  return in.Field("Невозможно загрузить веса. Имя[%s] ID[%d]", weights)
      .Field("Невозможно загрузить индексы. Имя[%s] ID[%d]", boneIndices)
      .Field("Невозможно загрузить вершины. Имя[%s] ID[%d]", bindVertices)
      .Field("Невозможно загрузить нормали. Имя[%s] ID[%d]", bindNormals)
      .Field("Невозможно загрузить тангенсы. Имя[%s] ID[%d]", bindTangents)
      .Status();
}

void SkinController::ResizeBoneData() {
  const int32_t count = GetBoneCount();
  bonePositions = new (std::nothrow) Vector3Buffer(count);
  boneMatrices.assign(static_cast<size_t>(count), Matrix4::Identity());
}

void SkinController::ReleaseReferences() {
  bones.clear();
  boneOffsets.clear();
  boneMatrices.clear();
  bonePositions = nullptr;
  weights = nullptr;
  boneIndices = nullptr;
  bindVertices = nullptr;
  bindNormals = nullptr;
  bindTangents = nullptr;
  Controller::ReleaseReferences();
}

void SkinController::VisitReferences(const std::function<void(Object*)>& visit) const {
  Controller::VisitReferences(visit);
  for (const Ptr<Node>& bone : bones) {
    if (bone) visit(bone.Get());
  }
  const Object* fields[] = {bonePositions.Get(), weights.Get(),     boneIndices.Get(),
                            bindVertices.Get(),  bindNormals.Get(), bindTangents.Get()};
  for (const Object* field : fields) {
    if (field != nullptr) visit(const_cast<Object*>(field));
  }
}

void SkinController::Update(double) {
  Object* owner = GetOwner();
  if (owner == nullptr || !owner->IsDerivedFrom(GeometryNode::Type())) return;
  auto* mesh = static_cast<GeometryNode*>(owner);
  if (!IsActive()) {
    ComputeBoneMatrices();
    UpdateSkinBound();
    return;
  }
  Vector3Buffer* vertices = mesh->GetVertices();
  if (vertices == nullptr || bones.empty()) return;
  const int32_t count = vertices->GetCount();
  for (const Buffer* stream :
       {static_cast<const Buffer*>(bindVertices.Get()), static_cast<const Buffer*>(weights.Get()),
        static_cast<const Buffer*>(boneIndices.Get())}) {
    if (stream == nullptr || stream->GetCount() != count) return;
  }
  ComputeBoneMatrices();
  vertices->MarkChanged();
  SkinVector({bindVertices->GetElements(), weights->GetElements(), boneIndices->GetElements(),
              count, boneMatrices.data(), GetBoneCount()},
             vertices->GetElements());
  UpdateSkinBound();
  // The positions are in world space already.
  mesh->SetWorldTransform(Transformation());
  mesh->SetUpdateWorldTransform(false);
}

void SkinController::ComputeBoneMatrices() {
  Vector3* positions = bonePositions ? bonePositions->GetElements() : nullptr;
  const bool placed = positions != nullptr && bonePositions->GetCount() == GetBoneCount();
  for (size_t i = 0; i < bones.size(); ++i) {
    const Node* bone = bones[i].Get();
    const Transformation world = bone != nullptr ? bone->GetWorldTransform() : Transformation();
    boneMatrices[i] = Transformation::Compose(boneOffsets[i], world).ToMatrix4();
    if (placed) positions[i] = bone != nullptr ? bone->GetPosition() : Vector3{};
  }
}

void SkinController::UpdateSkinBound() {
  Object* owner = GetOwner();
  if (owner == nullptr || !owner->IsDerivedFrom(Node::Type())) return;
  auto* node = static_cast<Node*>(owner);
  BoundingVolume* bound = node->GetWorldBound();
  if (bound == nullptr || bound->GetVolumeType() != BoundingVolume::TYPE_SPHERE || !bonePositions ||
      bonePositions->GetCount() == 0 || bound->ComputeFromVertices(bonePositions.Get()) != 0) {
    return;
  }
  auto* sphere = static_cast<SphereBoundingVolume*>(bound);
  sphere->Set(sphere->GetCenter(), sphere->GetRadius() * BONE_SPREAD);
  node->SetUpdateWorldBound(false);
}

void SkinController::AddBone(Node* bone, const Transformation& offset) {
  bones.emplace_back(bone);
  boneOffsets.push_back(offset);
  ResizeBoneData();
}

void SkinController::SetWeights(Vector4Buffer* buffer) { weights = buffer; }

void SkinController::SetBoneIndices(Vector4Buffer* buffer) { boneIndices = buffer; }

void SkinController::SetBindVertices(Vector3Buffer* buffer) { bindVertices = buffer; }

void SkinController::SetBindNormals(Vector3Buffer* buffer) { bindNormals = buffer; }

void SkinController::SetBindTangents(Vector3Buffer* buffer) { bindTangents = buffer; }

}  // namespace ynx
