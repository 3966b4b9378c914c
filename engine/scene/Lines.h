#pragma once

#include "engine/scene/GeometryNode.h"

namespace ynx {

// Geometry drawn as a line list: each pair of indices is one segment.
class Lines : public GeometryNode {
  YNX_DECLARE_CLASS(Lines);

 public:
  explicit Lines(const String& name = String());

  int32_t GetPrimitiveType() const override;
};

}  // namespace ynx
