#include "engine/scene/Triangles.h"

#include <cstddef>
#include <new>

#include "engine/core/Log.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"

namespace ynx {
namespace {

// A zeroed buffer of `count` vectors, or null (logged with the message)
// without memory.
Ptr<Vector3Buffer> ZeroedVectors(int32_t count, const char* message, const Object& node) {
  Ptr<Vector3Buffer> buffer(new (std::nothrow) Vector3Buffer(count));
  if (!buffer || buffer->GetCount() != count) {
    LogError(message, node.GetID(), node.GetName().CStr());
    return nullptr;
  }
  return buffer;
}

bool InRange(int32_t index, int32_t count) { return index >= 0 && index < count; }

// Floats per texture coordinate of a set, or 0 for a set tangents cannot
// use.
int32_t CoordinateStride(const Buffer& set) {
  if (set.IsDerivedFrom(Vector2Buffer::Type())) return 2;
  if (set.IsDerivedFrom(Vector3Buffer::Type())) return 3;
  if (set.IsDerivedFrom(Vector4Buffer::Type())) return 4;
  return 0;
}

}  // namespace

YNX_IMPLEMENT_CLASS(Triangles, GeometryNode)

Triangles::Triangles(const String& name) : GeometryNode(name) {}

int32_t Triangles::GetPrimitiveType() const { return PRIMITIVE_TRIANGLES; }

void Triangles::ComputeNormals() {
  const IntBuffer* indexBuffer = GetIndices();
  const Vector3Buffer* positionBuffer = GetVertices();
  if (indexBuffer == nullptr || positionBuffer == nullptr) return;
  const int32_t vertexCount = positionBuffer->GetCount();
  Ptr<Vector3Buffer> result = ZeroedVectors(
      vertexCount, "Недостаточно памяти для создания буффера нормалей. ID[%d] Имя[%s]", *this);
  if (!result) return;
  const Vector3* positions = positionBuffer->GetElements();
  const int32_t* corners = indexBuffer->GetElements();
  Vector3* sums = result->GetElements();
  for (int32_t first = 0; first + 2 < indexBuffer->GetCount(); first += 3) {
    const int32_t i0 = corners[first], i1 = corners[first + 1], i2 = corners[first + 2];
    if (!InRange(i0, vertexCount) || !InRange(i1, vertexCount) || !InRange(i2, vertexCount)) {
      continue;
    }
    const Vector3 face =
        Vector3::Cross(positions[i1] - positions[i0], positions[i2] - positions[i0]);
    for (const int32_t corner : {i0, i1, i2}) sums[corner] = sums[corner] + face;
  }
  for (int32_t i = 0; i < vertexCount; ++i) sums[i].Normalize();
  SetNormals(result.Get());
}

void Triangles::ComputeTangents(int32_t texCoordSet) {
  const IntBuffer* indexBuffer = GetIndices();
  const Vector3Buffer* positionBuffer = GetVertices();
  const Buffer* coordinateBuffer = GetTexCoords(texCoordSet);
  if (indexBuffer == nullptr || positionBuffer == nullptr || coordinateBuffer == nullptr) return;
  const int32_t stride = CoordinateStride(*coordinateBuffer);
  if (stride == 0) return;
  const int32_t vertexCount = positionBuffer->GetCount();
  const int32_t coordinateCount = coordinateBuffer->GetCount();
  Ptr<Vector3Buffer> result = ZeroedVectors(
      vertexCount, "Недостаточно памяти для создания буффера тангенсов. ID[%d] Имя[%s]", *this);
  if (!result) return;
  const Vector3* positions = positionBuffer->GetElements();
  const auto* coordinates = static_cast<const float*>(coordinateBuffer->GetData());
  const int32_t* corners = indexBuffer->GetElements();
  Vector3* sums = result->GetElements();
  for (int32_t first = 0; first + 2 < indexBuffer->GetCount(); first += 3) {
    const int32_t i0 = corners[first], i1 = corners[first + 1], i2 = corners[first + 2];
    bool usable = true;
    for (const int32_t corner : {i0, i1, i2}) {
      usable = usable && InRange(corner, vertexCount) && InRange(corner, coordinateCount);
    }
    if (!usable) continue;
    const float* st0 = coordinates + static_cast<std::ptrdiff_t>(i0) * stride;
    const float* st1 = coordinates + static_cast<std::ptrdiff_t>(i1) * stride;
    const float* st2 = coordinates + static_cast<std::ptrdiff_t>(i2) * stride;
    const float ds1 = st1[0] - st0[0], dt1 = st1[1] - st0[1];
    const float ds2 = st2[0] - st0[0], dt2 = st2[1] - st0[1];
    const float denominator = ds1 * dt2 - ds2 * dt1;
    // A triangle without a usable mapping has no tangent direction.
    if (denominator == 0.0f) continue;
    const Vector3 dp1 = positions[i1] - positions[i0];
    const Vector3 dp2 = positions[i2] - positions[i0];
    const Vector3 tangent{(dp1.x * dt2 - dp2.x * dt1) / denominator,
                          (dp1.y * dt2 - dp2.y * dt1) / denominator,
                          (dp1.z * dt2 - dp2.z * dt1) / denominator};
    for (const int32_t corner : {i0, i1, i2}) sums[corner] = sums[corner] + tangent;
  }
  for (int32_t i = 0; i < vertexCount; ++i) sums[i].Normalize();
  SetTangents(result.Get());
}

}  // namespace ynx
