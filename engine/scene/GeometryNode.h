#pragma once

#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/scene/Node.h"
#include "engine/scene/NodeEffect.h"

namespace ynx {

class BoundingVolume;
class Buffer;
class ColorBuffer;
class FloatBuffer;
class IntBuffer;
class Vector3Buffer;

// A node that draws something: up to fourteen buffers (positions, point
// sizes, colours, normals, tangents, eight texture-coordinate sets,
// indices), the effect that says how to draw them, and a model-space bound
// from which the world bound follows every frame.
//
// Streamed after the node data, as references that may be null: the
// effect, the positions, point sizes, colours, normals, tangents, the eight
// texture sets and the indices; then the model bound's volume type (int32).
// The model bound itself is not stored: loading fits it to the positions.
class GeometryNode : public Node {
  YNX_DECLARE_CLASS(GeometryNode);

 public:
  static constexpr int32_t TEXTURE_SET_COUNT = 8;
  // The streamed class the effect slot accepts (and whatever derives from it).
  static constexpr const char* EFFECT_TYPE = "YNX.GeometryNodeEffect";
  enum PrimitiveType : int32_t {
    PRIMITIVE_POINTS = 0,
    PRIMITIVE_LINES = 1,
    PRIMITIVE_LINE_STRIP = 2,
    PRIMITIVE_TRIANGLES = 3,
  };

  // The model bound starts as an empty sphere.
  explicit GeometryNode(const String& name = String());
  ~GeometryNode() override;

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  void ReleaseReferences() override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;

  // The controllers, the world transformation, then the effect.
  void Update(double time) override;
  // The model bound carried into the world by the world transformation,
  // unless updateWorldBound is off (a skinned mesh bounds itself).
  void UpdateBound() override;

  // Nothing without an enabled effect; a sorted effect's node waits for the
  // renderer's FlushSorted; anything else draws at once.
  void Draw(SceneRenderer& renderer) override;
  // Draws through every pass of the effect, ignoring its enabled and sorted
  // flags, popping the lights each pass pushed.
  virtual void DrawNow(SceneRenderer& renderer);

  virtual int32_t GetPrimitiveType() const = 0;
  // Derived per-vertex data; the base class has none to compute.
  virtual void ComputeNormals();
  virtual void ComputeTangents(int32_t texCoordSet);
  // Fits the model bound to the positions, if there are any.
  virtual void UpdateModelBound();
  virtual void RebuildDerivedData(bool normals, bool tangents);

  // Each setter replaces the reference, releases the old buffer and tells
  // the effect that the streams changed. Positions invalidate the tangents,
  // which are dropped with them.
  void SetVertices(Vector3Buffer* buffer);
  void SetPointSizes(FloatBuffer* buffer);
  void SetColors(ColorBuffer* buffer);
  void SetNormals(Vector3Buffer* buffer);
  void SetTangents(Vector3Buffer* buffer);
  // Sets outside 0..7 are ignored.
  void SetTexCoords(int32_t set, Buffer* buffer);
  void SetIndices(IntBuffer* buffer);
  // Also makes this node the effect's owner.
  void SetEffect(NodeEffect* value);

  Vector3Buffer* GetVertices() const { return vertices.Get(); }
  FloatBuffer* GetPointSizes() const { return pointSizes.Get(); }
  ColorBuffer* GetColors() const { return colors.Get(); }
  Vector3Buffer* GetNormals() const { return normals.Get(); }
  Vector3Buffer* GetTangents() const { return tangents.Get(); }
  // Null for a set outside 0..7.
  Buffer* GetTexCoords(int32_t set) const;
  IntBuffer* GetIndices() const { return indices.Get(); }
  BoundingVolume* GetModelBound() const { return modelBound.Get(); }
  NodeEffect* GetEffect() const { return effect.Get(); }

 protected:
  // What DrawNow draws once a pass has been applied: the current geometry
  // through its indices.
  virtual int32_t DrawPass(SceneRenderer& renderer);

 private:
  void DropEffect();
  void StreamsChanged();

  Ptr<Vector3Buffer> vertices;
  Ptr<FloatBuffer> pointSizes;
  Ptr<ColorBuffer> colors;
  Ptr<Vector3Buffer> normals;
  Ptr<Vector3Buffer> tangents;
  Ptr<Buffer> texCoords[TEXTURE_SET_COUNT];
  Ptr<IntBuffer> indices;
  Ptr<BoundingVolume> modelBound;
  Ptr<NodeEffect> effect;
};

}  // namespace ynx
