#pragma once

#include "engine/scene/GeometryNode.h"

namespace ynx {

// Geometry drawn as points, one per position.
class Points : public GeometryNode {
  YNX_DECLARE_CLASS(Points);

 public:
  explicit Points(const String& name = String());

  int32_t GetPrimitiveType() const override;
};

}  // namespace ynx
