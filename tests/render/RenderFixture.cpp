#include "tests/render/RenderFixture.h"

#include "engine/scene/IntBuffer.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"

namespace ynx::test {

void RenderFixture::SetUp() {
  renderer = new RecordingRenderer();
  Renderer::SetCurrent(renderer.Get());
}

void RenderFixture::TearDown() { Renderer::SetCurrent(nullptr); }

Ptr<Triangles> RenderFixture::MakeMesh(const char* name, NodeEffect* effect,
                                       const Vector3& position) {
  Ptr<Triangles> mesh(new Triangles(String(name)));
  auto* positions = new Vector3Buffer(3);
  positions->SetName(String("positions"));
  positions->GetElements()[1] = {1, 0, 0};
  positions->GetElements()[2] = {0, 1, 0};
  auto* indices = new IntBuffer(3, new int32_t[3]{0, 1, 2});
  indices->SetName(String("indices"));
  auto* uv = new Vector2Buffer(3);
  uv->SetName(String("uv1"));
  mesh->SetVertices(positions);
  mesh->SetIndices(indices);
  mesh->SetTexCoords(1, uv);
  mesh->SetEffect(effect);
  Transformation place;
  place.SetTranslation(position);
  mesh->SetLocalTransform(place);
  mesh->UpdateModelBound();
  mesh->UpdateWorldTransform();
  mesh->UpdateBound();
  return mesh;
}

void GeometryEffectPart(ByteWriter& bytes, uint8_t clampBits, uint8_t flags, float fogExponent) {
  bytes.I8(static_cast<int8_t>(clampBits));
  for (const float grey : {0.8f, 0.2f, 0.0f, 0.0f}) bytes.F32(grey).F32(grey).F32(grey).F32(1);
  bytes.F32(1).I8(0).I32(1).I8(static_cast<int8_t>(flags)).I32(4).I32(5);
  bytes.I8(1).F32(1).F32(1).F32(1).F32(1).F32(0.001f).F32(fogExponent);
  bytes.I8(0).F32(0.05f).F32(1).I32(-1);
}

}  // namespace ynx::test
